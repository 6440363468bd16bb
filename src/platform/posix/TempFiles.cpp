#include "platform/TempFiles.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/TextEncoding.h"
#include "platform/posix/UniqueFd.h"

namespace tessaly::platform {

std::u16string TempFolder()
{
    const char* env = std::getenv("TMPDIR");
    std::string folder = (env && *env) ? env : "/tmp";
    if (folder.back() != '/')
        folder += '/';
    return Utf8ToUtf16(folder);
}

std::optional<std::u16string> CreateUniqueTempFile(std::u16string_view prefix)
{
    // Up to three characters of the prefix; a separator in it must not move the file elsewhere.
    std::u16string head(prefix.substr(0, 3));
    for (char16_t& c : head)
        if (c == u'/' || c == u'\\' || c == 0)
            c = u'_';
    std::string templ = Utf16ToUtf8(TempFolder() + head) + "XXXXXX";
    posix::UniqueFd fd(::mkostemp(templ.data(), O_CLOEXEC));
    if (!fd.valid())
        return std::nullopt;
    ::fchmod(fd.get(), 0600);
    return Utf8ToUtf16(templ);
}

void ForceRemoveFile(const std::u16string& path)
{
    const std::string narrow = Utf16ToUtf8(path);
    if (narrow.empty() || narrow.find('\0') != std::string::npos)
        return;
    // unlink removes a read-only file (permission lies with the folder) and a link itself; it never
    // removes a folder.
    ::unlink(narrow.c_str());
}

}  // namespace tessaly::platform
