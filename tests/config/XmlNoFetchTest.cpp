// Hostile files name outside files as entities and DTDs: none of them is ever opened (inotify).
#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include "common/TempDir.h"
#include "config/CXMLDocument.h"
#include "support/WideText.h"

namespace tessaly {
namespace {

using test::TempDir;

// True when `file` is opened or read while `action` runs.
template <typename Action>
bool Touches(const std::filesystem::path& file, Action&& action)
{
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    EXPECT_GE(fd, 0);
    EXPECT_GE(inotify_add_watch(fd, file.c_str(), IN_OPEN | IN_ACCESS), 0);
    action();
    alignas(inotify_event) char buffer[4096];
    const bool touched = read(fd, buffer, sizeof buffer) > 0;
    close(fd);
    return touched;
}

TEST(XmlAccess, NoExternalEntityOrDtdIsEverRead)
{
    TempDir folder;
    folder.Write("secret.txt", "TOP-SECRET");
    folder.Write("outside.dtd", "<!ENTITY leak \"TOP-SECRET\">");
    const std::string secret = (folder.path() / "secret.txt").string();
    const std::string dtd = "file://" + (folder.path() / "outside.dtd").string();
    const std::string cases[] = {
        "<!DOCTYPE r [<!ENTITY x SYSTEM \"file://" + secret + "\">]><r><c>&x;</c></r>",
        "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + secret + "\">]><r><c>&x;</c></r>",
        "<!DOCTYPE r SYSTEM \"" + dtd + "\"><r><c>&leak;</c></r>",
        "<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + dtd + "\"> %p;]><r><c>&leak;</c></r>",
    };
    for (const std::string& content : cases) {
        SCOPED_TRACE(content);
        const std::u16string file = folder.Write("hostile.xml", content);
        for (const char* watched : {"secret.txt", "outside.dtd"}) {
            EXPECT_FALSE(Touches(folder.path() / watched, [&] {
                CXMLDocument document;
                XmlElement* root = nullptr;
                document.Init();
                if (document.Load(file, root)) {
                    EXPECT_EQ(ToUtf8(root->TextContent()).find("SECRET"), std::string::npos);
                }
            }));
        }
    }
}

}  // namespace
}  // namespace tessaly
