#pragma once
// Waiting on the default GLib main context: everything pending is dispatched between the checks.
#include <glib.h>

#include <chrono>

#include "common/ProcessCensus.h"

namespace tessaly::test {

// Runs the default main context until `done` holds or `limit` has passed; true when it held.
template <typename Predicate>
bool PumpUntil(Predicate done, std::chrono::milliseconds limit)
{
    return WaitUntil(
        [&] {
            while (g_main_context_iteration(nullptr, FALSE)) {
            }
            return done();
        },
        limit);
}

}  // namespace tessaly::test
