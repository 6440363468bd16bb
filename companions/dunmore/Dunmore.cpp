// HTTP transfer library: uploads a block of name/value pairs as a form and stores the answer in a
// file, or downloads a URL into a file.

#include "CompanionExport.h"
#include "FormBody.h"
#include "HttpTransfer.h"
#include "TargetFiles.h"
#include "Utf16.h"

#include <cstdint>
#include <optional>
#include <string>

namespace {

constexpr std::size_t kMaxPathUnits = 4096;
constexpr std::size_t kMaxUrlUnits = 8192;
// A reply or download beyond this is refused rather than allowed to fill the disk.
constexpr std::uint64_t kMaxBodyBytes = 64ull * 1024 * 1024;

std::optional<std::u16string> Text(const char16_t* text, std::size_t limit)
{
    const auto length = companion::BoundedLength(text, limit);
    if (!length || *length == 0)
        return std::nullopt;
    return std::u16string(text, *length);
}

// The request as a transfer whose body stops at kMaxBodyBytes.
dunmore::Transfer Bounded(const companion::HttpRequest& request)
{
    return [&request](const companion::BodySink& write) {
        std::uint64_t written = 0;
        return companion::HttpPerform(request, [&](const char* data, std::size_t size) {
            written += size;
            return written <= kMaxBodyBytes && write(data, size);
        });
    };
}

}  // namespace

// Posts the pairs of `params` as a form to `url` and writes the answer into `replyPath`. Returns 1
// only when the server answered 2xx and the whole body is in the file; otherwise 0, with an existing
// reply file left empty.
COMPANION_EXPORT int HttpUpload(const char16_t* url, const char16_t* params, const char16_t* replyPath)
{
    const auto wideUrl = Text(url, kMaxUrlUnits);
    const auto path = Text(replyPath, kMaxPathUnits);
    const auto fields = dunmore::ParseParamBlock(params);
    if (!wideUrl || !path || !fields)
        return 0;
    const std::string body = dunmore::EncodeForm(*fields);
    const companion::HttpRequest request{companion::ToUtf8(*wideUrl), &body};
    return dunmore::TransferIntoReplyFile(*path, Bounded(request)) ? 1 : 0;
}

// Fetches `url` into the file `path`, whole or not at all. 1 on success.
COMPANION_EXPORT int HttpDownload(const char16_t* url, const char16_t* path)
{
    const auto wideUrl = Text(url, kMaxUrlUnits);
    const auto target = Text(path, kMaxPathUnits);
    if (!wideUrl || !target)
        return 0;
    const companion::HttpRequest request{companion::ToUtf8(*wideUrl)};
    return dunmore::TransferIntoNewFile(*target, Bounded(request)) ? 1 : 0;
}
