#pragma once
// How the host tests that run on both systems start the build's programs, Windows side: with
// CreateProcessW, no shell between.

#include "common/ServiceSuite.h"

#include <winsock2.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace tessaly::test {

struct ProgramRun {
    int exitCode = -1;  // -1 when it could not be started
    std::string output;
};

// The file of the build's program `name`.
inline std::string ProgramFile(const std::string& name) { return OutPath(name + ".exe"); }

namespace detail {

inline std::wstring Widen(const std::string& utf8)
{
    std::wstring out(utf8.size(), L'\0');
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(),
                                             static_cast<int>(out.size()));
    out.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return out;
}

// One argument as the C runtime's command-line parser (CommandLineToArgvW) reads it back: in quotes,
// with the backslashes before a quote doubled.
inline void AppendQuoted(std::wstring& line, const std::wstring& argument)
{
    line += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(2 * backslashes, L'\\');
    line += L'"';
}

struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

}  // namespace detail

// Runs `program` with `arguments` to its end; its standard output and standard error together.
inline ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments)
{
    ProgramRun run;
    std::wstring line;
    detail::AppendQuoted(line, detail::Widen(program));
    for (const auto& argument : arguments) {
        line += L' ';
        detail::AppendQuoted(line, detail::Widen(argument));
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return run;
    const detail::Handle reader(readEnd);
    detail::Handle writer(writeEnd);
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    const std::wstring file = detail::Widen(program);
    if (!::CreateProcessW(file.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return run;
    const detail::Handle child(process.hProcess);
    ::CloseHandle(process.hThread);
    writer.reset();
    // Read while the child runs and what it left once it has ended, without waiting for the pipe's
    // end: a process the child started (Wine's desktop process, say) may hold the pipe open for ever.
    for (bool ended = false;;) {
        DWORD waiting = 0;
        if (!::PeekNamedPipe(readEnd, nullptr, 0, nullptr, &waiting, nullptr))
            break;
        if (waiting > 0) {
            char buffer[4096];
            DWORD got = 0;
            if (!::ReadFile(readEnd, buffer, waiting < sizeof buffer ? waiting : sizeof buffer, &got, nullptr))
                break;
            run.output.append(buffer, got);
        } else if (ended) {
            break;
        } else {
            ended = ::WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0;
        }
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    run.exitCode = ::GetExitCodeProcess(process.hProcess, &code) ? static_cast<int>(code) : -1;
    // The console's line ends, as the Linux side reads them.
    for (auto at = run.output.find("\r\n"); at != std::string::npos; at = run.output.find("\r\n", at))
        run.output.erase(at, 1);
    return run;
}

}  // namespace tessaly::test
