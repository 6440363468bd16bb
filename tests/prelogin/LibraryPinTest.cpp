// A host may unload the library right after its call returns while the worker is still inside the
// transfer library; the worker must keep the library's code mapped until it has finished.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "CompanionSandbox.h"
#include "fakes/FakeCompanionState.h"
#include "support/WideText.h"

namespace tessaly {
namespace {

using test::CompanionSandbox;
using test::FakeLibrary;
using test::WaitFor;

std::size_t ThreadCount()
{
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ++count;
    return count;
}

TEST(LibraryPin, UnloadedLibraryStaysMappedUntilItsWorkerFinishes)
{
    CompanionSandbox sandbox;
    sandbox.Install(FakeLibrary("FakeDunmore.so"), "Dunmore.so");
    auto* dunmore = reinterpret_cast<FakeDunmoreStateFn>(sandbox.Control("Dunmore.so", "FakeDunmoreState"))();
    auto release = reinterpret_cast<FakeDunmoreReleaseFn>(sandbox.Control("Dunmore.so", "FakeDunmoreRelease"));
    auto waitEntered =
        reinterpret_cast<FakeDunmoreWaitEnteredFn>(sandbox.Control("Dunmore.so", "FakeDunmoreWaitEntered"));
    dunmore->result = 1;
    dunmore->blockUntilReleased = 1;

    const std::string modulePath = FakeLibrary("WorkerModule.so").string();
    const std::size_t threadsBefore = ThreadCount();
    void* module = ::dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << ::dlerror();
    using StartFn = int (*)(const char16_t*);
    using AbandonFn = void (*)();
    auto start = reinterpret_cast<StartFn>(::dlsym(module, "StartWorker"));
    auto abandon = reinterpret_cast<AbandonFn>(::dlsym(module, "AbandonWorker"));
    ASSERT_TRUE(start && abandon);
    ASSERT_EQ(start(FromUtf8(sandbox.Folder().string() + "/").c_str()), 1);
    ASSERT_EQ(waitEntered(10000), 1);
    abandon();

    ::dlclose(module);  // the host lets go while the worker is blocked in the transfer call
    void* stillThere = ::dlopen(modulePath.c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_NE(stillThere, nullptr);
    if (stillThere)
        ::dlclose(stillThere);

    release();  // the worker now returns into the library's code
    EXPECT_TRUE(WaitFor([&] { return ThreadCount() <= threadsBefore; }));
    EXPECT_TRUE(sandbox.TempLeftovers().empty());
}

}  // namespace
}  // namespace tessaly
