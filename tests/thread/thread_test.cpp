// The plain thread, the free thread wrappers, the run-once guard and the binding templates.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "ktora/string/Pointer.h"
#include "ktora/thread/C_FunctionTypeA0.h"
#include "ktora/thread/C_FunctionTypeA1.h"
#include "ktora/thread/C_FunctionTypeMemberA0.h"
#include "ktora/thread/C_FunctionTypeMemberA1.h"
#include "ktora/thread/C_FunctionTypeMemberA2.h"
#include "ktora/thread/C_FunctionTypeMemberA3.h"
#include "ktora/thread/C_Thread.h"
#include "ktora/thread/ktora_thread.h"

using namespace ktora;
using namespace ktora::common;

namespace {

// Runs until released, so that every observation of a running thread is deterministic.
class GatedRunnable : public I_Runnable {
public:
    GatedRunnable()
        : entered(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          release(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~GatedRunnable() override {
        CloseHandle(entered);
        CloseHandle(release);
    }
    void Run() override {
        ++runs;
        SetEvent(entered);
        WaitForSingleObject(release, 10000);
    }
    HANDLE entered;
    HANDLE release;
    std::atomic<int> runs{0};
};

unsigned __stdcall ReturnSeven(void*) {
    return 7;
}

std::atomic<int> g_onceRuns{0};
std::atomic<bool> g_onceFinished{false};
HANDLE g_onceEntered = nullptr;
HANDLE g_onceRelease = nullptr;

void OnceBody() {
    ++g_onceRuns;
    SetEvent(g_onceEntered);
    WaitForSingleObject(g_onceRelease, 10000);
    g_onceFinished = true;
}

struct Target {
    int Zero() { return 10; }
    int One(int x) { return x + 1; }
    int Two(int x, int y) { return x * y; }
    int Three(int x, int y, int z) { return x + y + z; }
};

int FreeZero() {
    return 42;
}
int FreeOne(int x) {
    return -x;
}

// Counts how many copies are alive, so that a held argument's release is visible.
struct Counted {
    static std::atomic<int> alive;
    Counted() { ++alive; }
    ~Counted() { --alive; }
};
std::atomic<int> Counted::alive{0};

struct Holder {
    int Use(Pointer<Counted> p) { return p.Get() ? Counted::alive.load() : -1; }
};

} // namespace

TEST(Thread, RunsTargetOnceJoinsWithAndWithoutLimit) {
    GatedRunnable body;
    C_Thread t(&body);
    EXPECT_EQ(1, t.Start());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(body.entered, 10000));
    EXPECT_EQ(1, t.IsAlive());
    EXPECT_EQ(0, t.Start()); // a handle is held
    EXPECT_EQ(C_Thread::kJoinTimeout, t.Join(20));
    SetEvent(body.release);
    EXPECT_EQ(C_Thread::kJoinEnded, t.Join(INFINITE));
    EXPECT_EQ(0, t.IsAlive());
    EXPECT_EQ(1, body.runs.load());
    EXPECT_EQ(C_Thread::kJoinEnded, t.Join(100)); // nothing held any more
    // Joined: it can start again.
    ResetEvent(body.entered);
    EXPECT_EQ(1, t.Start());
    t.Stop();
    EXPECT_EQ(2, body.runs.load());
}

TEST(ThreadWrappers, CreateJoinWithExitCodeAndClose) {
    void* h = ktora_create_thread(&ReturnSeven, nullptr);
    ASSERT_NE(nullptr, h);
    int code = 0;
    EXPECT_EQ(WAIT_OBJECT_0, ktora_join_thread(h, &code));
    EXPECT_EQ(7, code);
    EXPECT_EQ(1, ktora_close_thread(h));
    EXPECT_EQ(nullptr, ktora_create_thread(nullptr, nullptr));
}

TEST(ThreadWrappers, JoinCloseReleasesTheHandleAlsoWhenTheWaitFails) {
    // A handle without the right to wait on makes the wait fail.
    HANDLE ev = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    HANDLE noWait = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), ev, GetCurrentProcess(), &noWait,
                                EVENT_MODIFY_STATE, FALSE, 0));
    EXPECT_EQ(WAIT_FAILED, ktora_join_close_thread(noWait, INFINITE));
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(noWait, &flags)); // closed, not leaked
    // A timed-out wait keeps the handle.
    ResetEvent(ev);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), ktora_join_close_thread(ev, 0));
    EXPECT_TRUE(GetHandleInformation(ev, &flags));
    SetEvent(ev);
    EXPECT_EQ(WAIT_OBJECT_0, ktora_join_close_thread(ev, 1000));
    EXPECT_FALSE(GetHandleInformation(ev, &flags));
}

TEST(ThreadWrappers, WaitHandleMapsSignalledAbandonedTimeOutAndFailure) {
    HANDLE ev = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(nullptr, ev);
    EXPECT_EQ(1, ktora_wait_handle(ev, 0));
    SetEvent(ev);
    EXPECT_EQ(0, ktora_wait_handle(ev, 0));
    CloseHandle(ev);
    EXPECT_EQ(2, ktora_wait_handle(nullptr, 0));
    // A mutex whose owner ended without releasing it is still handed over.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, nullptr);
    ASSERT_NE(nullptr, mutex);
    std::thread owner([mutex] { WaitForSingleObject(mutex, INFINITE); });
    owner.join();
    EXPECT_EQ(0, ktora_wait_handle(mutex, 1000));
    ReleaseMutex(mutex);
    CloseHandle(mutex);
}

TEST(ThreadWrappers, TimePassedIsRightAcrossTheClockWrap) {
    EXPECT_FALSE(ktora_time_passed(1000, 1500, 1000));
    EXPECT_TRUE(ktora_time_passed(1000, 2000, 1000));
    EXPECT_TRUE(ktora_time_passed(1000, 2500, 1000));
    // start just before the 32-bit wrap, now just after it: 0x110 ms passed.
    EXPECT_FALSE(ktora_time_passed(0xFFFFFF00UL, 0x10UL, 1000));
    EXPECT_TRUE(ktora_time_passed(0xFFFFFF00UL, 0x10UL, 0x110));
    EXPECT_TRUE(ktora_time_passed(0xFFFFFF00UL, 0x400UL, 1000));
    EXPECT_TRUE(ktora_time_passed(5, 5, 0));
}

TEST(ThreadWrappers, OnceRunsOnceAndTheSecondCallerWaitsForItToFinish) {
    g_onceRuns = 0;
    g_onceFinished = false;
    g_onceEntered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_onceRelease = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    long guard = 0;
    std::thread first([&] { ktora_pthread_once(&guard, &OnceBody); });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_onceEntered, 10000));
    std::atomic<bool> secondSawFinished{false};
    std::thread second([&] {
        EXPECT_EQ(0, ktora_pthread_once(&guard, &OnceBody));
        // Returning before the body has finished would see the flag still false.
        secondSawFinished = g_onceFinished.load();
    });
    SetEvent(g_onceRelease);
    first.join();
    second.join();
    EXPECT_TRUE(secondSawFinished.load());
    EXPECT_EQ(1, g_onceRuns.load());
    EXPECT_EQ(2, guard);
    EXPECT_EQ(0, ktora_pthread_once(&guard, &OnceBody));
    EXPECT_EQ(1, g_onceRuns.load());
    CloseHandle(g_onceEntered);
    CloseHandle(g_onceRelease);
}

TEST(FunctionTypes, BindObjectsFunctionsAndArguments) {
    Target t;
    C_FunctionTypeMemberA0<Target> f0(&t, &Target::Zero);
    C_FunctionTypeMemberA1<Target, int> f1(&t, &Target::One, 4);
    C_FunctionTypeMemberA2<Target, int, int> f2(&t, &Target::Two, 3, 5);
    C_FunctionTypeMemberA3<Target, int, int, int> f3(&t, &Target::Three, 1, 2, 3);
    C_FunctionTypeA0 g0(&FreeZero);
    C_FunctionTypeA1<int> g1(&FreeOne, 9);
    EXPECT_EQ(10, f0.Invoke());
    EXPECT_EQ(5, f1.Invoke());
    EXPECT_EQ(15, f2.Invoke());
    EXPECT_EQ(6, f3.Invoke());
    EXPECT_EQ(42, g0.Invoke());
    EXPECT_EQ(-9, g1.Invoke());
    int out = 123;
    EXPECT_EQ(0, f1.GetResult(&out)); // the bound function's result is not kept
    EXPECT_EQ(0, out);
    EXPECT_EQ(0, f1.GetResult(nullptr));
    C_FunctionTypeMemberA1<Target, int> unbound(nullptr, &Target::One, 1);
    EXPECT_EQ(0, unbound.Invoke());
}

TEST(FunctionTypes, HeldPointerArgumentIsSharedAndReleasedWithTheFunction) {
    Holder h;
    {
        Pointer<Counted> p(new Counted);
        Pointer<I_Function> fn(
            new C_FunctionTypeMemberA1<Holder, Pointer<Counted>>(&h, &Holder::Use, p));
        p = Pointer<Counted>();
        EXPECT_EQ(1, Counted::alive.load()); // the function keeps it alive
        EXPECT_EQ(1, fn->Invoke());          // the call shares it, no copy of the object
        EXPECT_EQ(1, Counted::alive.load());
    }
    EXPECT_EQ(0, Counted::alive.load());
}
