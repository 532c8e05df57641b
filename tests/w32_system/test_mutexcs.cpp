#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "w32_system/LxMutexCS.h"

namespace {

// Holds a mutex on another thread until told to let go.
class Holder
{
public:
    explicit Holder(pthread_mutexCS_t* m)
        : m_thread([this, m] {
              pthread_mutexCS_lock(m);
              m_locked = true;
              while (!m_release)
                  std::this_thread::yield();
              pthread_mutexCS_unlock(m);
          })
    {
        while (!m_locked)
            std::this_thread::yield();
    }
    void release()
    {
        m_release = true;
        m_thread.join();
    }
    ~Holder()
    {
        if (m_thread.joinable())
            release();
    }

private:
    std::atomic<bool> m_locked{false}, m_release{false};
    std::thread m_thread;
};

TEST(MutexCS, StaticHandleIsCreatedByFirstLock)
{
    pthread_mutexCS_t m = PTHREAD_MUTEXCS_INITIALIZER;
    EXPECT_EQ(pthread_mutexCS_lock(&m), 0);
    EXPECT_NE(m, nullptr);
    EXPECT_NE(m, PTHREAD_MUTEXCS_INITIALIZER);
    EXPECT_EQ(pthread_mutexCS_unlock(&m), 0);
    EXPECT_EQ(pthread_mutexCS_destroy(&m), 0);
    EXPECT_EQ(m, nullptr);
}

TEST(MutexCS, ConcurrentFirstLocksCreateOneRecord)
{
    for (int round = 0; round < 50; ++round) {
        pthread_mutexCS_t m = PTHREAD_MUTEXCS_INITIALIZER;
        std::atomic<int> inside{0}, maxInside{0};
        std::atomic<bool> go{false};
        auto worker = [&] {
            while (!go)
                std::this_thread::yield();
            ASSERT_EQ(pthread_mutexCS_lock(&m), 0);
            int now = ++inside;
            int seen = maxInside;
            while (now > seen && !maxInside.compare_exchange_weak(seen, now)) {
            }
            --inside;
            ASSERT_EQ(pthread_mutexCS_unlock(&m), 0);
        };
        std::thread a(worker), b(worker), c(worker);
        go = true;
        a.join(), b.join(), c.join();
        EXPECT_EQ(maxInside, 1);
        EXPECT_EQ(pthread_mutexCS_destroy(&m), 0);
    }
}

TEST(MutexCS, InvalidHandlesAreRefused)
{
    struct Case {
        pthread_mutexCS_t initial;
        int unlock, destroy, lock;
    };
    const Case cases[] = {
        {nullptr, 22, 22, 22},
        {PTHREAD_MUTEXCS_INITIALIZER, 22, 22, 0},
    };
    for (const Case& c : cases) {
        pthread_mutexCS_t m = c.initial;
        EXPECT_EQ(pthread_mutexCS_unlock(&m), c.unlock);
        EXPECT_EQ(m, c.initial);
        EXPECT_EQ(pthread_mutexCS_destroy(&m), c.destroy);
        EXPECT_EQ(m, c.initial);
        EXPECT_EQ(pthread_mutexCS_lock(&m), c.lock);
        if (c.lock == 0) {
            pthread_mutexCS_unlock(&m);
            pthread_mutexCS_destroy(&m);
        }
    }
    EXPECT_EQ(pthread_mutexCS_init(nullptr, nullptr), 22);
    EXPECT_EQ(pthread_mutexCS_lock(nullptr), 22);
    EXPECT_EQ(pthread_mutexCS_trylock(nullptr), 22);
    EXPECT_EQ(pthread_mutexCS_unlock(nullptr), 22);
    EXPECT_EQ(pthread_mutexCS_destroy(nullptr), 22);
}

TEST(MutexCS, ProcessSharedAttributeIsNotSupported)
{
    pthread_mutexattrCS_t_ record{1};
    pthread_mutexattrCS_t attr = &record;
    pthread_mutexCS_t m = PTHREAD_MUTEXCS_INITIALIZER;
    EXPECT_EQ(pthread_mutexCS_init(&m, &attr), 40);
    EXPECT_EQ(m, nullptr);

    record.pshared = 0;
    EXPECT_EQ(pthread_mutexCS_init(&m, &attr), 0);
    EXPECT_EQ(pthread_mutexCS_destroy(&m), 0);
}

TEST(MutexCS, DestroyWhileAnotherThreadHoldsIsBusy)
{
    pthread_mutexCS_t m;
    ASSERT_EQ(pthread_mutexCS_init(&m, nullptr), 0);
    pthread_mutexCS_t original = m;
    Holder holder(&m);
    EXPECT_EQ(pthread_mutexCS_destroy(&m), 16);
    EXPECT_EQ(m, original);
    EXPECT_EQ(pthread_mutexCS_trylock(&m), 16);
    holder.release();
    EXPECT_EQ(pthread_mutexCS_lock(&m), 0);
    EXPECT_EQ(pthread_mutexCS_unlock(&m), 0);
    EXPECT_EQ(pthread_mutexCS_destroy(&m), 0);
    EXPECT_EQ(m, nullptr);
}

TEST(MutexCS, OwnerEntersRecursively)
{
    pthread_mutexCS_t m;
    ASSERT_EQ(pthread_mutexCS_init(&m, nullptr), 0);
    ASSERT_EQ(pthread_mutexCS_lock(&m), 0);
    EXPECT_EQ(pthread_mutexCS_trylock(&m), 0);
    // Held twice: the owner cannot destroy it out from under itself.
    EXPECT_EQ(pthread_mutexCS_destroy(&m), 16);
    EXPECT_EQ(pthread_mutexCS_unlock(&m), 0);
    std::thread([&] { EXPECT_EQ(pthread_mutexCS_trylock(&m), 16); }).join();
    EXPECT_EQ(pthread_mutexCS_unlock(&m), 0);
    std::thread([&] {
        EXPECT_EQ(pthread_mutexCS_trylock(&m), 0);
        EXPECT_EQ(pthread_mutexCS_unlock(&m), 0);
    }).join();
    EXPECT_EQ(pthread_mutexCS_destroy(&m), 0);
}

TEST(MutexCS, UnlockByANonOwnerIsRefused)
{
    pthread_mutexCS_t m;
    ASSERT_EQ(pthread_mutexCS_init(&m, nullptr), 0);
    Holder holder(&m);
    EXPECT_NE(pthread_mutexCS_unlock(&m), 0);
    holder.release();
    EXPECT_EQ(pthread_mutexCS_destroy(&m), 0);
}

} // namespace
