// Locks and events, with real threads where the behaviour is about other threads.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

#include "ktora/thread/C_CriticalLock.h"
#include "ktora/thread/C_CriticalSection.h"
#include "ktora/thread/C_Event.h"
#include "ktora/thread/C_Mutex.h"
#include "ktora/thread/C_Synchronize.h"
#include "ktora/thread/C_SynchronizeLock.h"

using namespace ktora;

namespace {

// Runs fn on another thread and waits for it (bounded).
template <class F> void OnOtherThread(F fn) {
    std::thread t(fn);
    t.join();
}

} // namespace

TEST(CriticalSection, CountsDepthAndOwnerAcrossRecursion) {
    C_CriticalSection cs;
    EXPECT_EQ(0, cs.GetEnterCount());
    EXPECT_EQ(0, cs.IsLockedByCurrentThread());
    cs.Leave(); // unmatched: nothing happens
    EXPECT_EQ(0, cs.GetEnterCount());
    cs.Enter();
    cs.Enter();
    cs.Enter();
    EXPECT_EQ(3, cs.GetEnterCount());
    EXPECT_EQ(1, cs.IsLockedByCurrentThread());
    int otherOwner = -1;
    int otherCount = -1;
    OnOtherThread([&] {
        otherOwner = cs.IsLockedByCurrentThread();
        cs.Leave(); // not the owner: must not release the section
        otherCount = cs.GetEnterCount();
    });
    EXPECT_EQ(0, otherOwner);
    EXPECT_EQ(3, otherCount);
    cs.Leave();
    cs.Leave();
    EXPECT_EQ(1, cs.GetEnterCount());
    EXPECT_EQ(1, cs.IsLockedByCurrentThread());
    cs.Leave();
    EXPECT_EQ(0, cs.GetEnterCount());
    EXPECT_EQ(0, cs.IsLockedByCurrentThread());
    // Free again: another thread gets in.
    int entered = 0;
    OnOtherThread([&] {
        cs.Enter();
        entered = cs.GetEnterCount();
        cs.Leave();
    });
    EXPECT_EQ(1, entered);
}

TEST(CriticalLock, ReleasesEveryLevelItTookAndNullLocksNothing) {
    C_CriticalSection cs;
    cs.Enter(); // a level taken outside the holder stays
    {
        C_CriticalLock lock(&cs);
        lock.Lock();
        lock.Lock();
        EXPECT_EQ(4, cs.GetEnterCount());
        EXPECT_EQ(1, lock.IsLocked());
        EXPECT_EQ(1, lock.IsLockedByCurrentThread());
        lock.Unlock(0);
        EXPECT_EQ(3, cs.GetEnterCount());
    }
    EXPECT_EQ(1, cs.GetEnterCount());
    {
        C_CriticalLock lock(&cs);
        lock.Unlock(1);
        EXPECT_EQ(1, cs.GetEnterCount());
        lock.Unlock(1); // nothing left to release
        EXPECT_EQ(1, cs.GetEnterCount());
    }
    cs.Leave();
    EXPECT_EQ(0, cs.GetEnterCount());

    C_CriticalLock none(nullptr);
    none.Lock();
    EXPECT_EQ(0, none.IsLocked());
    EXPECT_EQ(0, none.IsLockedByCurrentThread());
}

TEST(Event, SetResetAndTimedWaits) {
    C_Event ev;
    ASSERT_NE(nullptr, ev.GetHandle());
    EXPECT_EQ(0, ev.IsSignal());
    EXPECT_EQ(1, ev.Wait(0));
    EXPECT_EQ(1, ev.Wait(30));
    ev.SetEvent();
    EXPECT_EQ(1, ev.IsSignal());
    EXPECT_EQ(0, ev.Wait(0));
    EXPECT_EQ(0, ev.Wait(-1)); // manual reset: stays set
    ev.ResetEvent();
    EXPECT_EQ(0, ev.IsSignal());
    EXPECT_EQ(1, ev.Wait(0));

    // A waiter on another thread wakes when the event is set.
    std::atomic<int> result{-5};
    std::thread waiter([&] { result = ev.Wait(10000); });
    ev.SetEvent();
    waiter.join();
    EXPECT_EQ(0, result.load());
}

TEST(Mutex, NotRecursiveAndOnlyTheOwnerUnlocks) {
    C_Mutex m;
    EXPECT_EQ(1, m.Lock());
    EXPECT_EQ(0, m.Lock());
    EXPECT_EQ(1, m.IsLockedByCurrentThread());
    EXPECT_EQ(GetCurrentThreadId(), m.GetLockedID());
    int unlockElsewhere = -1;
    OnOtherThread([&] { unlockElsewhere = m.Unlock(); });
    EXPECT_EQ(0, unlockElsewhere);
    EXPECT_EQ(1, m.Unlock());
    EXPECT_EQ(0, m.IsLockedByCurrentThread());
    EXPECT_EQ(static_cast<DWORD>(-1), m.GetLockedID());
    EXPECT_EQ(0, m.Unlock());
}

TEST(Mutex, NamedMutexExcludesAnotherObjectOfTheSameName) {
    std::wstring name = L"ktora-test-mutex-" + std::to_wstring(GetCurrentProcessId());
    C_Mutex a(C_WString(name.c_str()));
    C_Mutex b(C_WString(name.c_str()));
    ASSERT_EQ(1, a.Lock());
    HANDLE acquired = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread t([&] {
        b.Lock();
        SetEvent(acquired);
        b.Unlock();
    });
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(acquired, 100));
    a.Unlock();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(acquired, 10000));
    t.join();
    CloseHandle(acquired);
}

TEST(Mutex, FailedWaitReportsNoLockAndRecordsNoOwner) {
    // A name taken by an event makes the mutex creation fail, so every wait fails.
    std::wstring name = L"ktora-test-clash-" + std::to_wstring(GetCurrentProcessId());
    HANDLE ev = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    ASSERT_NE(nullptr, ev);
    C_Mutex m(C_WString(name.c_str()));
    EXPECT_EQ(0, m.Lock());
    EXPECT_EQ(0, m.IsLockedByCurrentThread());
    EXPECT_EQ(static_cast<DWORD>(-1), m.GetLockedID());
    CloseHandle(ev);
}

TEST(Synchronize, ReadersShareAWriterWaitsForAllOfThemAndReadersWaitForTheWriter) {
    C_Synchronize rw;
    HANDLE readersIn = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE readersGo = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE writerIn = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE writerGo = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE lateReaderIn = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> inside{0};

    auto reader = [&] {
        C_SynchronizeLock lock(&rw, 0);
        if (++inside == 2) {
            SetEvent(readersIn);
        }
        WaitForSingleObject(readersGo, 10000);
    };
    std::thread r1(reader);
    std::thread r2(reader);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(readersIn, 10000));
    EXPECT_EQ(2, rw.GetLockCount());

    std::thread writer([&] {
        C_SynchronizeLock lock(&rw, 1);
        EXPECT_EQ(1, lock.IsLockedByCurrentThread());
        SetEvent(writerIn);
        WaitForSingleObject(writerGo, 10000);
    });
    // Two readers hold the lock: the writer must not get in.
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(writerIn, 100));
    SetEvent(readersGo);
    r1.join();
    r2.join();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(writerIn, 10000));

    std::thread lateReader([&] {
        C_SynchronizeLock lock(&rw, 0);
        SetEvent(lateReaderIn);
    });
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(lateReaderIn, 100));
    EXPECT_EQ(1, rw.GetLockCount()); // a query does not block behind the writer
    SetEvent(writerGo);
    writer.join();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(lateReaderIn, 10000));
    lateReader.join();
    EXPECT_EQ(0, rw.GetLockCount());
    for (HANDLE h : {readersIn, readersGo, writerIn, writerGo, lateReaderIn}) {
        CloseHandle(h);
    }
}

TEST(Synchronize, WriterNestsAndAStrayUnlockFromAnotherThreadKeepsItsLock) {
    C_Synchronize rw;
    rw.Lock(1);
    rw.Lock(1);
    rw.Lock(0); // a read inside the write nests too
    EXPECT_EQ(3, rw.GetLockCount());
    EXPECT_EQ(1, rw.IsLockedByCurrentThread());
    std::thread stray([&] { EXPECT_EQ(0, rw.IsLockedByCurrentThread()); });
    stray.join();
    rw.Unlock();
    rw.Unlock();
    EXPECT_EQ(1, rw.GetLockCount());
    EXPECT_EQ(1, rw.IsLockedByCurrentThread());
    rw.Unlock();
    EXPECT_EQ(0, rw.GetLockCount());
    EXPECT_EQ(0, rw.IsLockedByCurrentThread());
    rw.Unlock(); // nothing held: stays at 0
    EXPECT_EQ(0, rw.GetLockCount());
}

TEST(Synchronize, ContendingReadersAndWritersSeeConsistentData) {
    C_Synchronize rw;
    // Writers keep a == b; readers must never see them apart.
    int a = 0;
    int b = 0;
    std::atomic<int> torn{0};
    const int kWriters = 3;
    const int kReaders = 3;
    const int kRounds = 2000;
    std::vector<std::thread> threads;
    for (int w = 0; w < kWriters; ++w) {
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                C_SynchronizeLock lock(&rw, 1);
                ++a;
                if (i % 64 == 0) {
                    SwitchToThread(); // widen the window a broken lock would show
                }
                ++b;
            }
        });
    }
    for (int r = 0; r < kReaders; ++r) {
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                C_SynchronizeLock lock(&rw, 0);
                if (a != b) {
                    ++torn;
                }
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(0, torn.load());
    EXPECT_EQ(kWriters * kRounds, a);
    EXPECT_EQ(kWriters * kRounds, b);
    EXPECT_EQ(0, rw.GetLockCount());
}
