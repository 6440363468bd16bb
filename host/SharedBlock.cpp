#include "SharedBlock.h"

#include <cerrno>
#include <cstring>

namespace tessaly::host {

std::unique_ptr<SharedBlock> SharedBlock::Publish(TessalyWndMsgList* list, std::string& error)
{
    if (TessalyPublishWndMsgList(list) != 0) {
        error = std::string("cannot publish the window list in the shared data block: ") + std::strerror(errno);
        return nullptr;
    }
    return std::make_unique<SharedBlock>(Key{});
}

SharedBlock::~SharedBlock() { TessalyPublishWndMsgList(nullptr); }

}  // namespace tessaly::host
