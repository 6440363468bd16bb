#pragma once
// Sets the fakes' behaviour and record file for the lifetime of one scope.
#include <filesystem>
#include <optional>
#include <string>

#include "common/ScopedEnv.h"
#include "faults/LibrarySandbox.h"

namespace tessaly::test {

class FakeMode {
public:
    // Without `record` the fakes keep no record (and so hold no record file open).
    FakeMode(const LibrarySandbox& sandbox, const std::string& mode, bool record = true)
        : record_(sandbox.Root() / "fake-record.txt"), mode_("TESSALY_FAKE_MODE", mode),
          recordEnv_("TESSALY_FAKE_RECORD", record ? std::optional(record_.string()) : std::nullopt)
    {
        std::filesystem::remove(record_);
    }

    // Everything the fakes recorded so far, one call per line.
    std::string Record() const { return ReadFile(record_); }

private:
    std::filesystem::path record_;
    ScopedEnv mode_;
    ScopedEnv recordEnv_;
};

}  // namespace tessaly::test
