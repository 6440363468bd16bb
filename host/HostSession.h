#pragma once

#include "HostWindowList.h"
#include "SharedBlock.h"
#include "TessalyLibrary.h"

#include <memory>
#include <string>

namespace tessaly::host {

struct PreLoginOutcome {
    int result = 0;    // what PreLogin returned: 1 accepted, 0 refused or failed
    int code = -1;     // the service's reply code
    std::string message;
};

// What a desktop client holds while it uses the library: its window message list, published in the
// shared data block, and the loaded library. Members are torn down library first, list last, so the
// list outlives every window that could still touch it.
class HostSession {
public:
    static std::unique_ptr<HostSession> Open(const std::string& libraryPath, std::string& error);

    struct Key {
    private:
        Key() = default;
        friend class HostSession;
    };
    explicit HostSession(Key) {}

    PreLoginOutcome PreLogin(const std::string& user, const std::string& passwordHex) const;
    int Redirect() const { return m_library->Redirect(); }
    const HostWindowList& Windows() const { return m_windows; }

private:
    HostWindowList m_windows;
    std::unique_ptr<SharedBlock> m_block;
    std::unique_ptr<TessalyLibrary> m_library;
};

// "OK", "Cancel", ... for the end codes Redirect documents.
std::string DescribeEndCode(int code);

}  // namespace tessaly::host
