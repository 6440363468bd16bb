#include "browser/BrowserHosting.h"

#include <memory>

#include "browser/CImpIDispatch.h"

namespace tessaly {

namespace {
// Owned by the library between load and unload; pages only ever see a copy of its rules.
std::unique_ptr<CImpIDispatch>& ExternalSlot()
{
    static std::unique_ptr<CImpIDispatch> slot;
    return slot;
}
}  // namespace

CImpIDispatch* ExternalDispatch() { return ExternalSlot().get(); }

bool StartBrowserHosting()
{
    if (!ExternalSlot())
        ExternalSlot() = std::make_unique<CImpIDispatch>();
    return true;
}

void StopBrowserHosting()
{
    // Deleted whatever its count: no view outlives the modal window that made it.
    ExternalSlot().reset();
}

}  // namespace tessaly
