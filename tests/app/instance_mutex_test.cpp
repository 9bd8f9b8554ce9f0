// The single-instance mutex on the real kernel objects of the test prefix, under a name of this
// test's own so that no running program is disturbed.
#include "app/instance_mutex.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring TestMutexName() { return L"OrbelinInstanceMutexTest_" + std::to_wstring(GetCurrentProcessId()); }

// True when a mutex of that name exists for any process.
bool MutexExists(const std::wstring& name) {
    HANDLE handle = OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    if (handle == nullptr) return false;
    CloseHandle(handle);
    return true;
}

TEST(InstanceMutexTest, FirstTakerRunsASecondSeesItUntilReleased) {
    const std::wstring name = TestMutexName();
    InstanceMutex first(name);
    InstanceMutex second(name);
    ASSERT_FALSE(MutexExists(name));

    EXPECT_TRUE(first.Take()) << "nobody held the name";
    EXPECT_TRUE(first.IsHeld());
    EXPECT_TRUE(MutexExists(name));
    EXPECT_FALSE(second.Take()) << "the first copy runs";

    // Both let go: the name is free, and the next start is the running program again.
    second.Release();
    first.Release();
    EXPECT_FALSE(first.IsHeld());
    EXPECT_FALSE(MutexExists(name));
    EXPECT_TRUE(second.Take());
}

TEST(InstanceMutexTest, StartingAnotherCopyLetsGoAndTakesBackOnlyOnFailure) {
    const std::wstring name = TestMutexName();
    for (const bool startWorks : {false, true}) {
        SCOPED_TRACE(startWorks ? "the other copy starts" : "the start fails");
        InstanceMutex running(name);
        ASSERT_TRUE(running.Take());

        bool freeDuringStart = false;
        bool newCopyWouldRun = false;
        const bool reported = running.RunReleased([&] {
            // What the new copy sees when it starts: nobody holds the name.
            freeDuringStart = !MutexExists(name);
            InstanceMutex newCopy(name);
            newCopyWouldRun = newCopy.Take();
            return startWorks;
        });

        EXPECT_EQ(reported, startWorks);
        EXPECT_TRUE(freeDuringStart) << "the mutex was still held while the other copy started";
        EXPECT_TRUE(newCopyWouldRun) << "the new copy would have found a running program and ended (45054)";
        EXPECT_EQ(running.IsHeld(), !startWorks);
        EXPECT_EQ(MutexExists(name), !startWorks) << "a failed start must leave this copy findable, a good one not";
        if (!startWorks) {
            // A later start finds this copy.
            InstanceMutex laterStart(name);
            EXPECT_FALSE(laterStart.Take());
        }
        running.Release();
    }
}

}  // namespace
