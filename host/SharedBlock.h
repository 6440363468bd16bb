#pragma once

#include "tessaly/tessaly.h"

#include <memory>
#include <string>

namespace tessaly::host {

// The named shared data block through which the host tells the library where its window message
// list lives. Created for the lifetime of this object (1024 bytes, mode 0600); the address is
// withdrawn and the block removed again when it goes away.
class SharedBlock {
public:
    // nullptr and a reason in `error` when the block cannot be made. `note` tells about a block left
    // behind by an earlier process, which is taken over.
    static std::unique_ptr<SharedBlock> Publish(TessalyWndMsgList* list, std::string& error, std::string& note);

    struct Key {
    private:
        Key() = default;
        friend class SharedBlock;
    };
    SharedBlock(Key, void* mapping, TessalyWndMsgList* list) : m_mapping(mapping), m_list(list)
    {
    }
    SharedBlock(const SharedBlock&) = delete;
    SharedBlock& operator=(const SharedBlock&) = delete;
    ~SharedBlock();

private:
    void* m_mapping;
    TessalyWndMsgList* m_list;
};

}  // namespace tessaly::host
