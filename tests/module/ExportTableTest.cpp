// The shipped binary: its dynamic symbol table and its hardening, read with binutils as an outside
// check would.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "common/CommandRun.h"

namespace {

const std::string kLibrary = std::string(TESSALY_OUT_DIR) + "/libtessaly.so";

std::string Capture(const std::string& command) { return tessaly::test::RunCommand(command).output; }

TEST(ExportTable, OnlyPreLoginAndRedirectAreExported)
{
    const std::string table = Capture("nm -D --defined-only '" + kLibrary + "'");
    ASSERT_FALSE(table.empty()) << "nm gave no output";
    std::set<std::string> names;
    std::istringstream lines(table);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string address, type, name;
        fields >> address >> type >> name;
        if (!name.empty())
            names.insert(name.substr(0, name.find('@')));
    }
    EXPECT_EQ(names, (std::set<std::string> {"PreLogin", "Redirect"})) << table;
}

TEST(ExportTable, BuiltWithFullRelroAndStackProtection)
{
    const std::string dynamic = Capture("readelf -dW '" + kLibrary + "'");
    EXPECT_NE(dynamic.find("BIND_NOW"), std::string::npos) << dynamic;
    const std::string headers = Capture("readelf -lW '" + kLibrary + "'");
    EXPECT_NE(headers.find("GNU_RELRO"), std::string::npos);
    EXPECT_EQ(headers.find("RWE"), std::string::npos) << "executable stack or segment";
    const std::string imports = Capture("nm -D --undefined-only '" + kLibrary + "'");
    EXPECT_NE(imports.find("__stack_chk_fail"), std::string::npos);
}

}  // namespace
