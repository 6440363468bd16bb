#pragma once
// A machine-information reader over a fake library that records its calls, in a sandbox of its own.
#include <gtest/gtest.h>

#include "CompanionSandbox.h"
#include "fakes/FakeCompanionState.h"
#include "prelogin/CMachineInfo.h"
#include "support/TraceTestSupport.h"
#include "support/WideText.h"

namespace tessaly {

class MachineInfoTest : public ::testing::Test {
protected:
    void Install(const char* built = "FakeParvex" TESSALY_LIBRARY_SUFFIX)
    {
        fake = reinterpret_cast<FakeParvexStateFn>(sandbox.Install(test::FakeLibrary(built), "Parvex" TESSALY_LIBRARY_SUFFIX, "FakeParvexState"))();
    }

    std::u16string ReadPcid(std::u16string value = {})
    {
        CMachineInfo info;
        info.LoadExports(u"", u"Parvex" TESSALY_LIBRARY_SUFFIX);
        result = info.GetPCID(FromUtf8((sandbox.Folder() / "Config" / "Parvex.cfg").string()), value);
        return value;
    }

    test::CompanionSandbox sandbox;
    FakeParvexControl* fake = nullptr;
    bool result = false;
};

}  // namespace tessaly
