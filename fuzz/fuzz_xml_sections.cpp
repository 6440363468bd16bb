// Both section readers over any file content: the login's configuration base and the dialog's skin
// reader. Besides surviving the parse, every value read must be well-formed text, every item must be
// reachable through its command id, and fonts and sizes must come out of any value without faults.
#include "FuzzCheck.h"
#include "TempInputFile.h"
#include "config/CZelDialogConfig.h"
#include "config/CZelXMLParseBase.h"
#include "config/ConfigSection.h"
#include "support/WideText.h"

namespace {

using tessaly::fuzz::IsWellFormedUtf16;

void CheckLoginReader(const std::u16string& path, std::u16string_view section)
{
    tessaly::CZelXMLParseBase base;
    const bool found = tessaly::ReadConfigSection(path, section, base);
    if (!found)
        FUZZ_CHECK(base.WindowInfo().empty() && base.DynamicItems().empty());
    for (const auto& [id, value] : base.WindowInfo()) {
        std::u16string out = u"stale";
        base.GetWindowInfo(out, id);
        FUZZ_CHECK(out == value);
    }
    std::u16string missing = u"stale";
    base.GetWindowInfo(missing, u"\x1F no such id");
    FUZZ_CHECK(missing.empty() || base.WindowInfo().count(u"\x1F no such id"));
}

void CheckDialogReader(const std::u16string& path, std::u16string_view section)
{
    tessaly::CZelDialogConfig config;
    (void)tessaly::ReadConfigSection(path, section, config);
    for (const auto& [id, value] : config.WindowInfo()) {
        FUZZ_CHECK(config.GetWindowInfo(id) == value);
        (void)config.GetWindowInt(id);
        tessaly::ZelRect rect{};
        (void)config.GetSizeInfo(id, rect);
        (void)config.GetWindowFile(id);
    }
    (void)config.GetWindowFont();
    const auto labels = config.LabelItems();
    for (std::size_t i = 0; i < labels.size(); ++i) {
        FUZZ_CHECK(config.FindItemByCommand(tessaly::CZelDialogConfig::kFirstLabelId + static_cast<int>(i)) ==
                   &labels[i]);
        (void)config.GetItemFont(labels[i]);
    }
    const auto buttons = config.ButtonItems();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        FUZZ_CHECK(config.FindItemByCommand(tessaly::CZelDialogConfig::kFirstButtonId + static_cast<int>(i)) ==
                   &buttons[i]);
        (void)config.GetItemFont(buttons[i]);
    }
    FUZZ_CHECK(config.FindItemByCommand(tessaly::CZelDialogConfig::kFirstLabelId - 1) == nullptr);
    for (const auto& [id, pos] : config.PosInfo())
        FUZZ_CHECK(config.FindPosInfo(id) == &pos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static tessaly::fuzz::TempInputFile file(".xml");
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string path = tessaly::FromUtf8(file.Write(bytes));
    CheckLoginReader(path, tessaly::kLoginSection);
    CheckDialogReader(path, tessaly::kRedirectSection);
    // The other way round as well: each reader must cope with the other's section layout.
    CheckLoginReader(path, tessaly::kRedirectSection);
    CheckDialogReader(path, tessaly::kLoginSection);
    return 0;
}
