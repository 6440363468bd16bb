#pragma once
// How the host tests that run on both systems start the build's programs, Linux side: through the
// shell.

#include "common/CommandRun.h"
#include "common/ServiceSuite.h"

#include <string>
#include <vector>

namespace tessaly::test {

using ProgramRun = CommandRun;

// The file of the build's program `name`.
inline std::string ProgramFile(const std::string& name) { return OutPath(name); }

// Runs `program` with `arguments` to its end; its standard output and standard error together.
inline ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments)
{
    std::string command = ShellQuote(program);
    for (const auto& argument : arguments)
        command += " " + ShellQuote(argument);
    return RunCommand(command + " 2>&1");
}

}  // namespace tessaly::test
