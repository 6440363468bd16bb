#pragma once

// Marks the few C entry points a companion library offers; everything else stays hidden.
#define COMPANION_EXPORT extern "C" __attribute__((visibility("default")))
