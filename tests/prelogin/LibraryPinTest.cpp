// A host may unload the library right after its call returns while the worker is still inside the
// transfer library; the worker must keep the library's code mapped until it has finished.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "CompanionSandbox.h"
#include "common/ProcessCensus.h"
#include "fakes/FakeCompanionState.h"
#include "support/WideText.h"

namespace tessaly {
namespace {

using namespace std::chrono_literals;

TEST(LibraryPin, UnloadedLibraryStaysMappedUntilItsWorkerFinishes)
{
    test::CompanionSandbox sandbox;
    auto* fake = reinterpret_cast<FakeDunmoreStateFn>(
        sandbox.Install(test::FakeLibrary("FakeDunmore" TESSALY_LIBRARY_SUFFIX), "Dunmore" TESSALY_LIBRARY_SUFFIX, "FakeDunmoreState"))();
    fake->result = 1;
    fake->blockUntilReleased = 1;

    const std::string modulePath = test::FakeLibrary("WorkerModule" TESSALY_LIBRARY_SUFFIX).string();
    const int threadsBefore = test::ThreadCount();
    void* module = ::dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << ::dlerror();
    auto start = reinterpret_cast<int (*)(const char16_t*)>(::dlsym(module, "StartWorker"));
    auto abandon = reinterpret_cast<void (*)()>(::dlsym(module, "AbandonWorker"));
    ASSERT_TRUE(start && abandon);
    ASSERT_EQ(start(test::NativeFolder(sandbox.Folder().string()).c_str()), 1);
    ASSERT_EQ(reinterpret_cast<FakeDunmoreWaitEnteredFn>(sandbox.Export("FakeDunmoreWaitEntered"))(10000), 1);
    abandon();

    ::dlclose(module);  // the host lets go while the worker is blocked in the transfer call
    void* stillThere = ::dlopen(modulePath.c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_NE(stillThere, nullptr);
    if (stillThere)
        ::dlclose(stillThere);

    reinterpret_cast<FakeDunmoreReleaseFn>(sandbox.Export("FakeDunmoreRelease"))();  // back into its code
    EXPECT_TRUE(test::WaitUntil([&] { return test::ThreadCount() <= threadsBefore; }, 10s));
    EXPECT_TRUE(sandbox.TempFolderEmpty());
}

}  // namespace
}  // namespace tessaly
