#include "platform/MutexObject.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

// Runs fn on another thread and returns its result.
template <typename Fn> bool onOtherThread(Fn fn)
{
    bool result = false;
    std::thread other([&] { result = fn(); });
    other.join();
    return result;
}

} // namespace

TEST(MutexObject, OwnerTakesItAgainAndReleasesEachTake)
{
    mutexobject::MutexObject* mutex = mutexobject::create();
    ASSERT_NE(mutex, nullptr);
    ASSERT_TRUE(mutexobject::wait(mutex));
    ASSERT_TRUE(mutexobject::wait(mutex, 0));
    EXPECT_TRUE(mutexobject::release(mutex));
    // Still owned once: another thread cannot take it.
    EXPECT_FALSE(onOtherThread([&] { return mutexobject::wait(mutex, 20); }));
    EXPECT_TRUE(mutexobject::release(mutex));
    EXPECT_TRUE(onOtherThread([&] { return mutexobject::wait(mutex, 20) && mutexobject::release(mutex); }));
    mutexobject::close(mutex);
}

TEST(MutexObject, OnlyTheOwnerReleases)
{
    mutexobject::MutexObject* mutex = mutexobject::create();
    ASSERT_NE(mutex, nullptr);
    EXPECT_FALSE(mutexobject::release(mutex)) << "released without being taken";
    ASSERT_TRUE(mutexobject::wait(mutex));
    EXPECT_FALSE(onOtherThread([&] { return mutexobject::release(mutex); }));
    EXPECT_TRUE(mutexobject::release(mutex));
    mutexobject::close(mutex);
}

TEST(MutexObject, TimedWaitEndsAfterItsLimit)
{
    mutexobject::MutexObject* mutex = mutexobject::create();
    ASSERT_TRUE(mutexobject::wait(mutex));
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(onOtherThread([&] { return mutexobject::wait(mutex, 1200); }));
    auto waited = std::chrono::steady_clock::now() - start;
    // Crosses a whole second, where a wrong deadline carry would show.
    EXPECT_GE(waited, std::chrono::milliseconds(1150));
    EXPECT_LT(waited, std::chrono::seconds(5));
    mutexobject::release(mutex);
    mutexobject::close(mutex);
}

TEST(MutexObject, WaiterGetsItWhenTheOwnerReleases)
{
    mutexobject::MutexObject* mutex = mutexobject::create();
    ASSERT_TRUE(mutexobject::wait(mutex));
    std::atomic<bool> taken{false};
    std::thread waiter([&] {
        taken = mutexobject::wait(mutex);
        mutexobject::release(mutex);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(taken);
    mutexobject::release(mutex);
    waiter.join();
    EXPECT_TRUE(taken);
    mutexobject::close(mutex);
}

TEST(MutexObject, NullMutexIsRefused)
{
    EXPECT_FALSE(mutexobject::wait(nullptr, 0));
    EXPECT_FALSE(mutexobject::release(nullptr));
    mutexobject::close(nullptr);
}
