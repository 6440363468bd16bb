#pragma once
// The few system facilities the shared test kit needs, Windows side.
#include <winsock2.h>
#include <windows.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessaly::test::system {

inline constexpr bool kWindows = true;
// Whether the Windows programs run under Wine, whose system libraries fall short of Windows' in places.
inline bool UnderWine()
{
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
// The file name suffix of a shared library.
inline constexpr const char* kLibrarySuffix = ".dll";

inline void SetEnv(const char* name, const std::string& value) { ::_putenv_s(name, value.c_str()); }
// The variable that names the temporary folder (GetTempPathW reads TMP first).
inline constexpr const char* kTempFolderVariable = "TMP";

// The calling thread's description (ASCII names only), as debuggers show it.
inline std::string CurrentThreadName()
{
    using GetDescription = HRESULT(WINAPI*)(HANDLE, PWSTR*);
    const auto get = reinterpret_cast<GetDescription>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription")));
    wchar_t* description = nullptr;
    std::string name;
    if (get && SUCCEEDED(get(::GetCurrentThread(), &description)) && description)
        for (const wchar_t* c = description; *c; ++c)
            name.push_back(static_cast<char>(*c));
    if (description)
        ::LocalFree(description);
    return name;
}

// Windows has no FIFOs in the file system.
inline bool MakeFifo(const std::string&) { return false; }

// A folder's read-only attribute does not stop files being made in it on Windows.
inline bool CanMakeFolderReadOnly() { return false; }

inline void UnsetEnv(const char* name) { ::_putenv_s(name, ""); }

// Narrow text as the library hands it to the in-house libraries: the ANSI code page.
inline std::string EdgeText(std::u16string_view text)
{
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int units = static_cast<int>(text.size());
    const int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide, units, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide, units, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
    return out;
}

// Bytes in use in every heap of the process.
inline std::size_t HeapBytesInUse()
{
    std::vector<HANDLE> heaps(::GetProcessHeaps(0, nullptr) + 16);
    heaps.resize(::GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
    std::size_t total = 0;
    for (HANDLE heap : heaps) {
        if (!::HeapLock(heap))
            continue;
        PROCESS_HEAP_ENTRY entry {};
        while (::HeapWalk(heap, &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                total += entry.cbData;
        ::HeapUnlock(heap);
    }
    return total;
}

// The settings store (HKEY_LOCAL_MACHINE) holds what `regText` (REGEDIT4 text: key lines, "Name"="text"
// and "Name"=dword:XXXXXXXX values) says while this object lives: the values are written into the
// registry and removed again at the end. The registry is one for all processes of the Wine prefix, so
// the Windows pass runs its tests one after another.
class ScopedSettingsStore {
public:
    ScopedSettingsStore(const std::filesystem::path&, std::string_view regText) { Apply(regText); }
    explicit ScopedSettingsStore(const std::filesystem::path&) {}
    ~ScopedSettingsStore()
    {
        for (const auto& [key, name] : m_written)
            ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str());
    }
    ScopedSettingsStore(const ScopedSettingsStore&) = delete;
    ScopedSettingsStore& operator=(const ScopedSettingsStore&) = delete;

private:
    static std::wstring Widen(std::string_view text) { return std::wstring(text.begin(), text.end()); }

    void Apply(std::string_view text)
    {
        std::wstring key;
        while (!text.empty()) {
            const auto end = text.find('\n');
            std::string_view line = text.substr(0, end);
            text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
            while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
                line.remove_suffix(1);
            constexpr std::string_view machine = "[HKEY_LOCAL_MACHINE\\";
            if (line.starts_with('[')) {
                key = line.starts_with(machine) && line.ends_with(']')
                          ? Widen(line.substr(machine.size(), line.size() - machine.size() - 1))
                          : std::wstring();
                continue;
            }
            const auto equals = line.find("\"=");
            if (key.empty() || !line.starts_with('"') || equals == std::string_view::npos)
                continue;
            const std::wstring name = Widen(line.substr(1, equals - 1));
            const std::string_view value = line.substr(equals + 2);
            if (value.starts_with("dword:")) {
                const DWORD number = std::stoul(std::string(value.substr(6)), nullptr, 16);
                ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(), REG_DWORD, &number, sizeof number);
            } else if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
                const std::wstring data = Widen(value.substr(1, value.size() - 2));
                ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(), REG_SZ, data.c_str(),
                                  static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
            } else {
                continue;
            }
            m_written.emplace_back(key, name);
        }
    }

    std::vector<std::pair<std::wstring, std::wstring>> m_written;
};

}  // namespace tessaly::test::system
