#pragma once
// What the fake machine-information and transfer libraries record and how a test steers them. A test
// reaches the state through the fake's extra export (FakeParvexState / FakeDunmoreState) after
// loading the very file that the code under test loads.
#include <cstdint>

struct FakeParvexControl {
    // Steering
    std::int32_t pcidResults[4];  // result of the n-th PVXGetPCID call; later calls reuse the last
    std::int32_t fillWithoutTerminator;  // write `capacity` letters and no NUL
    char16_t pcid[64];
    char16_t oem[64];
    char16_t area[64];
    // Records
    std::int32_t pcidCalls;
    std::int32_t pcidFlags[4];
    std::int32_t pcidCapacities[4];
    std::int32_t pcidBufferZeroOnEntry[4];
    std::int32_t oemCalls;
    std::int32_t oemFlag;
    std::int32_t areaCalls;
    std::int32_t areaFlag;
    std::int32_t vccCalls;
};

struct FakeDunmoreControl {
    // Steering
    std::int32_t result;               // what HttpUpload returns
    std::int32_t writeReply;           // write `reply` into the reply file first
    std::int32_t replyLength;
    char reply[12000];
    std::int32_t blockUntilReleased;   // wait inside HttpUpload for FakeDunmoreRelease
    char symlinkTarget[512];           // when set: replace the reply file by a link to this file
    // Records
    std::int32_t uploadCalls;
    std::int32_t downloadCalls;
    char16_t url[512];
    char16_t params[512];              // the block as read by its contract, terminator included
    std::int32_t paramUnits;
    char16_t replyPath[512];
    std::int32_t replyFileMode;        // permission bits of the reply file on entry, -1 when missing
    std::int64_t replyFileSize;        // its size on entry
};

extern "C" {
using FakeParvexStateFn = FakeParvexControl* (*)();
using FakeDunmoreStateFn = FakeDunmoreControl* (*)();
using FakeDunmoreReleaseFn = void (*)();
using FakeDunmoreWaitEnteredFn = int (*)(int timeoutMs);
}
