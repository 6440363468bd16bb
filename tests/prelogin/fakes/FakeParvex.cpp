// A stand-in machine-information library that records how it is called.
#include <cstring>

#include "FakeCompanionState.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

FakeParvexControl g_state = {{1, 1, 1, 1}, 0, u"PC-0001", u"OEM-7", u"AREA-42", 0, {}, {}, {}, 0, -1, 0, -1, 0};

std::int32_t Write(char16_t* buffer, std::int32_t capacity, const char16_t* value)
{
    if (!buffer || capacity <= 0)
        return 0;
    if (g_state.fillWithoutTerminator) {
        for (std::int32_t i = 0; i < capacity; ++i)
            buffer[i] = u'Z';
        return 1;
    }
    std::int32_t n = 0;
    for (; value[n] != 0 && n + 1 < capacity; ++n)
        buffer[n] = value[n];
    buffer[n] = 0;
    return 1;
}

bool AllZero(const char16_t* buffer, std::int32_t capacity)
{
    for (std::int32_t i = 0; i < capacity; ++i)
        if (buffer[i] != 0)
            return false;
    return true;
}

}  // namespace

FAKE_EXPORT FakeParvexControl* FakeParvexState()
{
    return &g_state;
}

FAKE_EXPORT std::int32_t PVXGetPCID(char16_t* buffer, std::int32_t capacity, std::int32_t flag)
{
    const std::int32_t call = g_state.pcidCalls++;
    const std::int32_t slot = call < 4 ? call : 3;
    if (call < 4) {
        g_state.pcidFlags[call] = flag;
        g_state.pcidCapacities[call] = capacity;
        g_state.pcidBufferZeroOnEntry[call] = AllZero(buffer, capacity);
    }
    const std::int32_t result = g_state.pcidResults[slot];
    if (result != 0)
        Write(buffer, capacity, g_state.pcid);
    return result;
}

FAKE_EXPORT std::int32_t PVXGetVCC(char16_t*, std::int32_t, std::int32_t)
{
    ++g_state.vccCalls;
    return 0;
}

#ifndef FAKE_WITHOUT_OEM
FAKE_EXPORT std::int32_t PVXGetOemID(char16_t* buffer, std::int32_t capacity, std::int32_t flag)
{
    ++g_state.oemCalls;
    g_state.oemFlag = flag;
    Write(buffer, capacity, g_state.oem);
    return 0;  // a failing result whose buffer is still taken
}
#endif

FAKE_EXPORT std::int32_t PVXGetAreaCode(char16_t* buffer, std::int32_t capacity, std::int32_t flag)
{
    ++g_state.areaCalls;
    g_state.areaFlag = flag;
    return Write(buffer, capacity, g_state.area);
}
