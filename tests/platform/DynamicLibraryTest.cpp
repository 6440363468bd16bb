#include <gtest/gtest.h>

#include <vector>

#include "platform/DynamicLibrary.h"

namespace tessaly::platform {
namespace {

TEST(DynamicLibrary, LoadsByFullPathAndResolvesOwnExportsOnly)
{
    std::string error;
    LibraryHandle lib = LoadLibraryByPath(TESSALY_TEST_PLUGIN, &error);
    ASSERT_NE(lib, nullptr) << error;
    auto* answer = reinterpret_cast<int (*)()>(FindExport(lib, "tessaly_test_answer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(FindExport(lib, "no_such_export"), nullptr);
    // Found through the library's dependencies, but not exported by it.
    EXPECT_EQ(FindExport(lib, "malloc"), nullptr);
    EXPECT_EQ(FindExport(lib, ""), nullptr);
    EXPECT_EQ(FindExport(lib, nullptr), nullptr);
    EXPECT_EQ(FindExport(nullptr, "tessaly_test_answer"), nullptr);
    UnloadLibrary(lib);
    UnloadLibrary(nullptr);
}

TEST(DynamicLibrary, MissingFilesAndBareNamesFailWithAReason)
{
    const std::vector<std::string> paths {"/nonexistent/Trelvin.so", "libc.so.6", "", std::string("/a\0b", 4),
                                          std::string(TESSALY_TEST_BIN_DIR)};
    for (const std::string& path : paths) {
        std::string error;
        EXPECT_EQ(LoadLibraryByPath(path, &error), nullptr) << path;
        EXPECT_FALSE(error.empty()) << path;
    }
    EXPECT_EQ(LoadLibraryByPath("/nonexistent/x.so"), nullptr);
}

TEST(DynamicLibrary, PinningKeepsTheContainingLibraryLoaded)
{
    LibraryHandle lib = LoadLibraryByPath(TESSALY_TEST_PLUGIN);
    ASSERT_NE(lib, nullptr);
    void* code = FindExport(lib, "tessaly_test_answer");
    LibraryHandle pin = PinLibraryContaining(code);
    ASSERT_NE(pin, nullptr);
    UnloadLibrary(lib);
    // Still mapped thanks to the pin.
    EXPECT_EQ(reinterpret_cast<int (*)()>(code)(), 42);
    UnloadLibrary(pin);
    EXPECT_EQ(PinLibraryContaining(nullptr), nullptr);
    static int local = 0;
    LibraryHandle self = PinLibraryContaining(&local);
    EXPECT_NE(self, nullptr);
    UnloadLibrary(self);
}

TEST(DynamicLibrary, PinnedForeverSurvivesItsLastUnload)
{
    EXPECT_FALSE(PinLibraryForever(nullptr));
    LibraryHandle lib = LoadLibraryByPath(TESSALY_TEST_PLUGIN);
    ASSERT_NE(lib, nullptr);
    void* code = FindExport(lib, "tessaly_test_other");
    ASSERT_TRUE(PinLibraryForever(code));
    UnloadLibrary(lib);
    EXPECT_EQ(reinterpret_cast<int (*)()>(code)(), 7);
}

}  // namespace
}  // namespace tessaly::platform
