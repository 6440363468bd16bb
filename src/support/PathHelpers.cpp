#include "support/PathHelpers.h"

#include <variant>

#include "platform/FilePaths.h"
#include "platform/IniFile.h"
#include "platform/ModulePaths.h"
#include "platform/SettingsStore.h"
#include "platform/TempFiles.h"
#include "support/CLogTrace.h"
#include "support/WideText.h"

namespace tessaly {

namespace {
// Its address lies inside whichever binary this code is linked into, so it names that binary.
const char kInstanceAnchor = 0;
}  // namespace

ModuleHandle LibraryInstance() { return &kInstanceAnchor; }

std::u16string GetModuleDir(ModuleHandle module) { return platform::ModuleFolder(module); }

std::u16string GetConfigDir(ModuleHandle module)
{
    // Without a module folder there is no configuration folder either (never one relative to
    // whatever the current folder is).
    std::u16string dir = GetModuleDir(module);
    if (dir.empty())
        return dir;
    return dir + u"Config" + platform::kPathSeparator;
}

std::u16string ConfigFilePath(std::u16string_view fileName)
{
    const std::u16string dir = GetConfigDir(LibraryInstance());
    if (dir.empty()) {
        g_LogTrace.Trace(4, u"--Library folder unknown: %s is neither read nor written", fileName);
        return {};
    }
    return dir + std::u16string(fileName);
}

std::u16string SplitPath(const std::u16string& path, std::u16string* dir, std::u16string* fileName)
{
    const auto slash = path.rfind(platform::kPathSeparator);
    std::u16string folder = slash == std::u16string::npos ? path : path.substr(0, slash + 1);
    std::u16string name = slash == std::u16string::npos ? std::u16string() : path.substr(slash + 1);
    if (dir)
        *dir = std::move(folder);
    if (fileName)
        *fileName = name;
    return name;
}

void ReadRegString(const std::u16string& key, const std::u16string& name, int bufferBytes, std::u16string* out)
{
    if (!out)
        return;
    out->clear();
    const auto value = platform::ReadSetting(key, name);
    if (!value || bufferBytes < 2)
        return;
    if (const auto* number = std::get_if<std::uint32_t>(&*value)) {
        // Written as "%d" would write it: the 32 bits read as a signed number.
        *out = ToWide(static_cast<std::int32_t>(*number));
    } else {
        *out = std::get<std::u16string>(*value);
    }
    // The text had to fit the byte buffer with its terminator.
    const std::size_t maxChars = static_cast<std::size_t>(bufferBytes) / 2 - 1;
    if (out->size() > maxChars)
        out->resize(maxChars);
}

void ReadIniString(const std::u16string& section, const std::u16string& key, const std::u16string& def,
                   std::u16string* out, const std::u16string& path, int bufferChars)
{
    if (!out)
        return;
    if (path.empty()) {
        *out = def;
        return;
    }
    *out = platform::ReadProfileString(section, key, def, path, bufferChars > 0 ? static_cast<std::size_t>(bufferChars) : 0);
}

void MakeTempReplyFile(const std::u16string& prefix, std::u16string* dir, std::u16string* fileName)
{
    const auto path = platform::CreateUniqueTempFile(prefix);
    if (path)
        SplitPath(*path, dir, fileName);
}

void ForceDeleteFile(const std::u16string& path) { platform::ForceRemoveFile(path); }

}  // namespace tessaly
