#pragma once

#include "tessaly/tessaly.h"

#include <memory>
#include <string>

namespace tessaly::host {

// This process's shared data block, through which the host tells the library where its window
// message list lives (published with the header's helper). The address is withdrawn and the block
// removed again when the object goes away.
class SharedBlock {
public:
    // nullptr and a reason in `error` when the list cannot be published.
    static std::unique_ptr<SharedBlock> Publish(TessalyWndMsgList* list, std::string& error);

    struct Key {
    private:
        Key() = default;
        friend class SharedBlock;
    };
    explicit SharedBlock(Key) {}
    SharedBlock(const SharedBlock&) = delete;
    SharedBlock& operator=(const SharedBlock&) = delete;
    ~SharedBlock();
};

}  // namespace tessaly::host
