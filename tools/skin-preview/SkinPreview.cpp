// tessaly-skin-preview --config DIR --section NAME --out FILE.png [--states] [--watch [--max-renders N]]
// Builds a skinned window from the configuration folder DIR (its VomoLoginCfg.xml), the way the
// library does, and writes what its client area shows to a PNG file, in the window's device pixels
// (under GDK_SCALE=2 twice the sheet's size). Nobody needs to be at the keyboard; a display is needed
// (an X server such as Xvfb).
// Exit status: 0 written, 1 bad arguments, 2 no display, 3 the PNG cannot be written (with --watch:
// the last render failed), 4 the section is not in the file or the file cannot be read.
#include <cairo.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "PreviewModes.h"
#include "StateSheet.h"
#include "config/CXMLDocument.h"
#include "config/ConfigSection.h"
#include "toolkit/gtk/GuiHandles.h"
#include "skin/CZelCommonDlg.h"
#include "support/WideText.h"
#include "toolkit/gtk/CairoCanvas.h"
#include "toolkit/gtk/GtkTypes.h"
#include "toolkit/gtk/ImageHelpers.h"

namespace {

using namespace tessaly;

// Why `section` cannot be read from the file: not readable as XML, or the sections it has instead.
std::string MissingSectionReason(const std::string& file)
{
    CXMLDocument document;
    document.Init();
    XmlElement* root = nullptr;
    if (!document.Load(FromUtf8(file), root))
        return "the file is missing or not well-formed XML (tessaly-skin-check shows where)";
    std::string names;
    const XmlElement* common = FindChildElement(root, u"CommonWindow");
    for (const XmlElement* child = common ? common->FirstChildElement() : nullptr; child;
         child = child->NextSiblingElement())
        names += (names.empty() ? "" : ", ") + ToUtf8(child->Name());
    return names.empty() ? "the file has no sections under <CommonWindow>" : "the file has " + names;
}

class CSkinPreviewDlg : public CZelCommonDlg {
public:
    CSkinPreviewDlg(std::u16string file, std::u16string section)
        : m_file(std::move(file)), m_section(std::move(section))
    {
    }

protected:
    bool OnInitDialog() override
    {
        m_found = ReadConfigSection(m_file, m_section, [this](const XmlElement* s, const std::u16string& dir) {
            ParseSection(s, dir);
        });
        if (!m_found)
            return true;
        ApplyWindowSkin();
        CreateLabels();
        CreatePictures();
        CreateButtons();
        PlaceTemplateControl(kTemplateId, u"ITEM1");
        return true;
    }

private:
    std::u16string m_file;
    std::u16string m_section;
    bool m_found = false;
};

int Usage()
{
    std::fprintf(stderr, "usage: tessaly-skin-preview --config DIR --section NAME --out FILE.png\n"
                         "                            [--states] [--watch [--max-renders N]]\n"
                         "  --states         a contact sheet of every button face and check/radio cell\n"
                         "  --watch          render again whenever a file of DIR changes, shown in a window\n"
                         "  --max-renders N  with --watch: stop after N renders\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const preview::PreviewModes modes = preview::TakeModeOptions(argc, argv);
    if (!modes.valid)
        return Usage();
    std::string configDir, section, out;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--config") == 0)
            configDir = argv[i + 1];
        else if (std::strcmp(argv[i], "--section") == 0)
            section = argv[i + 1];
        else if (std::strcmp(argv[i], "--out") == 0)
            out = argv[i + 1];
        else
            return Usage();
    }
    if (argc % 2 == 0 || configDir.empty() || section.empty() || out.empty())
        return Usage();
    if (configDir.back() != '/')
        configDir += '/';
    if (modes.watch) {
        std::error_code ec;
        const std::string self = std::filesystem::read_symlink("/proc/self/exe", ec).string();
        return preview::RunWatch(ec ? std::string(argv[0]) : self, configDir, section, out, modes);
    }

    const std::string file = configDir + "VomoLoginCfg.xml";
    if (!ReadConfigSection(FromUtf8(file), FromUtf8(section), [](const XmlElement*, const std::u16string&) {})) {
        std::fprintf(stderr, "tessaly-skin-preview: no section \"%s\" in %s: %s\n", section.c_str(), file.c_str(),
                     MissingSectionReason(file).c_str());
        return 4;
    }
    CSkinPreviewDlg dialog(FromUtf8(file), FromUtf8(section));
    if (!dialog.Create()) {
        std::fprintf(stderr, "tessaly-skin-preview: no display, the window cannot be made\n");
        return 2;
    }
    if (modes.states) {
        const bool written = preview::WriteStateSheet(dialog, out, stdout);
        dialog.DestroyWindow();
        if (!written)
            std::fprintf(stderr, "tessaly-skin-preview: cannot write %s\n", out.c_str());
        return written ? 0 : 3;
    }

    // At the window's scale, as the screen shows it: twice the sheet's size at 200 % (GDK_SCALE=2).
    SurfacePtr image = MakeScaledSurface(dialog.ClientWidth(), dialog.ClientHeight(), dialog.ScaleFactor());
    {
        CairoPtr cr(cairo_create(image.get()));
        toolkit::CairoCanvas canvas(cr.get());
        dialog.RenderClient(canvas);
    }
    dialog.DestroyWindow();
    if (cairo_surface_write_to_png(image.get(), out.c_str()) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "tessaly-skin-preview: cannot write %s\n", out.c_str());
        return 3;
    }
    return 0;
}
