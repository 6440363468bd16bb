// A stand-in machine-information library that records how it is called.
#include "FakeCompanionState.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

FakeParvexControl g_state;

void Write(char16_t* buffer, std::int32_t capacity, const char16_t* value)
{
    std::int32_t n = 0;
    for (; n + 1 < capacity && (g_state.fillWithoutTerminator || value[n] != 0); ++n)
        buffer[n] = g_state.fillWithoutTerminator ? u'Z' : value[n];
    buffer[n] = g_state.fillWithoutTerminator ? u'Z' : u'\0';
}

}  // namespace

FAKE_EXPORT FakeParvexControl* FakeParvexState()
{
    return &g_state;
}

FAKE_EXPORT std::int32_t PVXGetPCID(char16_t* buffer, std::int32_t capacity, std::int32_t flag)
{
    const std::int32_t slot = g_state.pcidCalls < 4 ? g_state.pcidCalls : 3;
    ++g_state.pcidCalls;
    g_state.pcidFlags[slot] = flag;
    g_state.pcidCapacity = capacity;
    if (g_state.pcidResults[slot] != 0)
        Write(buffer, capacity, g_state.pcid);
    return g_state.pcidResults[slot];
}

FAKE_EXPORT std::int32_t PVXGetVCC(char16_t*, std::int32_t, std::int32_t)
{
    return ++g_state.vccCalls, 0;
}

#ifndef FAKE_WITHOUT_OEM
FAKE_EXPORT std::int32_t PVXGetOemID(char16_t* buffer, std::int32_t capacity, std::int32_t flag)
{
    g_state.oemFlag = flag;
    Write(buffer, capacity, g_state.oem);
    return 0;  // reports failure, yet the buffer is what counts
}
#endif

FAKE_EXPORT std::int32_t PVXGetAreaCode(char16_t* buffer, std::int32_t capacity, std::int32_t flag)
{
    g_state.areaFlag = flag;
    Write(buffer, capacity, g_state.area);
    return 1;
}
