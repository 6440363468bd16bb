#pragma once
// Sets the fakes' behaviour and record file for the lifetime of one scope.
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "faults/LibrarySandbox.h"

namespace tessaly::test {

class FakeMode {
public:
    FakeMode(const LibrarySandbox& sandbox, const std::string& mode) : record_(sandbox.Root() / "fake-record.txt")
    {
        std::filesystem::remove(record_);
        ::setenv("TESSALY_FAKE_MODE", mode.c_str(), 1);
        ::setenv("TESSALY_FAKE_RECORD", record_.c_str(), 1);
    }
    ~FakeMode()
    {
        ::unsetenv("TESSALY_FAKE_MODE");
        ::unsetenv("TESSALY_FAKE_RECORD");
    }
    FakeMode(const FakeMode&) = delete;
    FakeMode& operator=(const FakeMode&) = delete;

    // Everything the fakes recorded so far, one call per line.
    std::string Record() const { return ReadWholeFile(record_); }

private:
    std::filesystem::path record_;
};

}  // namespace tessaly::test
