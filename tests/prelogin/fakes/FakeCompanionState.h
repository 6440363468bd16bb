#pragma once
// What the fake machine-information and transfer libraries record and how a test steers them; a test
// reaches the state through the fake's extra export after loading the file the code under test loads.
#include <cstdint>

struct FakeParvexControl {
    std::int32_t pcidResults[4] = {1, 1, 1, 1};  // result of the n-th PVXGetPCID call (later: the last)
    std::int32_t fillWithoutTerminator = 0;      // write `capacity` letters and no NUL
    char16_t pcid[64] = u"PC-0001";
    char16_t oem[64] = u"OEM-7";
    char16_t area[64] = u"AREA-42";
    std::int32_t pcidCalls = 0, pcidFlags[4] = {}, pcidCapacity = 0;
    std::int32_t oemFlag = -1, areaFlag = -1, vccCalls = 0;
};

struct FakeDunmoreControl {
    std::int32_t result;  // what HttpUpload returns
    std::int32_t replyLength;
    char reply[12000];    // written into the reply file when replyLength > 0
    std::int32_t blockUntilReleased;
    std::int32_t uploadCalls, downloadCalls;
    char16_t url[512], params[512], replyPath[512];
    std::int32_t paramUnits;     // units of the block read pairwise up to its empty name
    std::int32_t replyFileMode;  // permission bits of the reply file on entry, -1 when missing
};

using FakeParvexStateFn = FakeParvexControl* (*)();
using FakeDunmoreStateFn = FakeDunmoreControl* (*)();
using FakeDunmoreReleaseFn = void (*)();
using FakeDunmoreWaitEnteredFn = int (*)(int timeoutMs);
