// The worker thread that runs function objects: the copy run's life cycle (start, timed
// and unlimited joins, restart) and the repeat mode.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>

#include "ktora/string/Pointer.h"
#include "ktora/thread/C_FunctionTypeMemberA1.h"
#include "ktora/thread/C_ThreadEx.h"
#include "thread/thread_helpers.h"

using namespace ktora;
using ktora::common::Pointer;

namespace {

class Ev {
public:
    Ev() : h(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Ev() { CloseHandle(h); }
    void Set() { SetEvent(h); }
    void Reset() { ResetEvent(h); }
    bool WaitFor(DWORD ms = 10000) { return WaitForSingleObject(h, ms) == WAIT_OBJECT_0; }
    HANDLE h;
};

// Stands for the copy run's record: counts its destruction and signals it.
struct Record {
    Record(std::atomic<int>* destroyed, Ev* gone) : destroyed(destroyed), gone(gone) {}
    ~Record() {
        ++*destroyed;
        gone->Set();
    }
    std::atomic<int>* destroyed;
    Ev* gone;
};

// Stands for the application: a member function run on the worker with the record.
struct Worker {
    Ev entered;
    Ev release;
    std::atomic<int> calls{0};
    std::atomic<DWORD> threadId{0};
    C_ThreadEx* thread = nullptr;
    std::atomic<int> selfJoin{-1};

    int Work(Pointer<Record> record) {
        ++calls;
        threadId = GetCurrentThreadId();
        if (thread) {
            selfJoin = thread->Join(0);
        }
        entered.Set();
        release.WaitFor();
        return record.Get() ? 1 : 0;
    }
};

typedef C_FunctionTypeMemberA1<Worker, Pointer<Record>> WorkerCall;

Pointer<I_Function> Bind(Worker* w, std::atomic<int>* destroyed, Ev* gone) {
    Pointer<Record> record(new Record(destroyed, gone));
    return Pointer<I_Function>(new WorkerCall(w, &Worker::Work, record));
}

// Every test has its own worker and its record's destruction count and signal, which
// outlive the thread objects of the test.
class ThreadEx : public testing::Test {
protected:
    Worker w;
    std::atomic<int> destroyed{0};
    Ev gone;
};

} // namespace

TEST_F(ThreadEx, JoinWithoutThreadReturnsAtOnce) {
    C_ThreadEx t;
    EXPECT_EQ(C_ThreadEx::kJoinNothing, t.Join(0));
    EXPECT_EQ(C_ThreadEx::kJoinNothing, t.Join(100));
    EXPECT_EQ(C_ThreadEx::kJoinNothing, t.Join());
    EXPECT_EQ(0, t.IsRunning());
    EXPECT_EQ(static_cast<DWORD>(-1), t.GetThreadId());
    EXPECT_EQ(THREAD_PRIORITY_ERROR_RETURN, t.GetPriority());
    EXPECT_EQ(1, t.WaitForStart());
    EXPECT_EQ(0, t.Terminate(0));
}

TEST_F(ThreadEx, RunLifeCycleReleasesTheFunctionOnceAndRestarts) {
    C_ThreadEx t;
    w.thread = &t;

    ASSERT_EQ(1, t.Start(Bind(&w, &destroyed, &gone)));
    EXPECT_NE(0, t.IsRunning()); // at once, before the thread gets going
    ASSERT_TRUE(w.entered.WaitFor());
    EXPECT_EQ(0, t.WaitForStart());
    EXPECT_EQ(w.threadId.load(), t.GetThreadId());
    EXPECT_EQ(C_ThreadEx::kJoinSelf,
              w.selfJoin.load()); // a join from the thread itself does not wait
    std::atomic<int> refused{0};
    Ev refusedGone;
    EXPECT_EQ(0, t.SetFunction(Bind(&w, &refused, &refusedGone)));
    EXPECT_EQ(1, refused.load()); // the refused function was released at once
    EXPECT_EQ(0, destroyed.load());
    EXPECT_EQ(C_ThreadEx::kJoinTimeout, t.Join(50)); // still running: time-out, object as it was
    EXPECT_NE(0, t.IsRunning());

    w.release.Set();
    // The record dies with the end of the thread, before anyone joins.
    ASSERT_TRUE(gone.WaitFor());
    EXPECT_EQ(1, destroyed.load());
    // Ended but not joined: a start is refused and starts nothing.
    EXPECT_EQ(0, t.Start());
    EXPECT_EQ(C_ThreadEx::kJoinDone, t.Join(0));
    EXPECT_EQ(0, t.IsRunning());
    EXPECT_EQ(C_ThreadEx::kJoinNothing, t.Join(0));
    EXPECT_EQ(1, w.calls.load());

    // Second run on the same object; it leaves no handle behind.
    const int handles = OwnHandleCount();
    ASSERT_GT(handles, 0);
    w.release.Reset();
    w.entered.Reset();
    gone.Reset();
    ASSERT_EQ(1, t.SetFunction(Bind(&w, &destroyed, &gone)));
    ASSERT_EQ(1, t.Start());
    ASSERT_TRUE(w.entered.WaitFor());
    w.release.Set();
    EXPECT_EQ(C_ThreadEx::kJoinDone, t.Join(5000));
    EXPECT_EQ(2, w.calls.load());
    EXPECT_EQ(2, destroyed.load());
    EXPECT_EQ(0, t.IsRunning());
    EXPECT_EQ(handles, OwnHandleCount());
}

TEST_F(ThreadEx, JoinWaitsForTheEndAndDestructionWaitsForTheRun) {
    w.release.Set();
    {
        C_ThreadEx t;
        ASSERT_EQ(1, t.Start(Bind(&w, &destroyed, &gone)));
        EXPECT_EQ(C_ThreadEx::kJoinDone, t.Join());
        EXPECT_EQ(1, destroyed.load());
    }
    // Destroying a running thread object waits for the run.
    w.release.Reset();
    w.entered.Reset();
    {
        C_ThreadEx t;
        ASSERT_EQ(1, t.Start(Bind(&w, &destroyed, &gone)));
        ASSERT_TRUE(w.entered.WaitFor());
        w.release.Set();
    }
    EXPECT_EQ(2, destroyed.load());
    EXPECT_EQ(2, w.calls.load());
}

TEST_F(ThreadEx, CreatedThreadWaitsAtTheGateUntilStart) {
    w.release.Set();
    C_ThreadEx t;
    ASSERT_EQ(1, t.Create());
    EXPECT_EQ(0, t.Create()); // a thread exists
    EXPECT_EQ(0, t.WaitForStart());
    EXPECT_EQ(0, w.calls.load());
    EXPECT_EQ(0, t.IsRunning()); // parked, not running: the function can still be set
    ASSERT_EQ(1, t.SetFunction(Bind(&w, &destroyed, &gone)));
    ASSERT_EQ(1, t.Start());
    EXPECT_EQ(C_ThreadEx::kJoinDone, t.Join(5000));
    EXPECT_EQ(1, w.calls.load());
    EXPECT_EQ(1, destroyed.load());

    // A parked thread that is joined ends without running its function.
    ASSERT_EQ(1, t.Create());
    ASSERT_EQ(1, t.SetFunction(Bind(&w, &destroyed, &gone)));
    EXPECT_EQ(C_ThreadEx::kJoinDone, t.Join(5000));
    EXPECT_EQ(1, w.calls.load());
    EXPECT_EQ(2, destroyed.load());
}

TEST_F(ThreadEx, RepeatModeRunsAgainOnEachStartAndEndsWhenSwitchedOff) {
    w.release.Set();
    C_ThreadEx t;
    ASSERT_EQ(1, t.SetRepeat(true));
    EXPECT_EQ(1, t.IsRepeat());
    ASSERT_EQ(1, t.Start(Bind(&w, &destroyed, &gone)));
    EXPECT_EQ(C_ThreadEx::kJoinDone, t.Join(5000));
    EXPECT_EQ(1, w.calls.load());
    EXPECT_EQ(0, destroyed.load()); // kept for the next run
    EXPECT_EQ(0, t.IsRunning());
    EXPECT_EQ(C_ThreadEx::kJoinNothing, t.Join(100)); // parked: nothing to wait for

    for (int run = 2; run <= 4; ++run) {
        ASSERT_EQ(1, t.Start());
        EXPECT_EQ(C_ThreadEx::kJoinDone, t.Join(5000));
        EXPECT_EQ(run, w.calls.load());
    }
    // A start while a run is going is refused.
    w.release.Reset();
    w.entered.Reset();
    ASSERT_EQ(1, t.Start());
    ASSERT_TRUE(w.entered.WaitFor());
    EXPECT_EQ(0, t.Start());
    EXPECT_EQ(0, t.SetRepeat(false)); // not while running
    EXPECT_EQ(C_ThreadEx::kJoinTimeout, t.Join(30));
    w.release.Set();
    EXPECT_EQ(C_ThreadEx::kJoinDone, t.Join(0));
    EXPECT_EQ(5, w.calls.load());

    ASSERT_EQ(1, t.SetRepeat(false));
    EXPECT_EQ(C_ThreadEx::kJoinDone, t.Join(5000)); // the parked thread ends
    EXPECT_EQ(1, destroyed.load());
    EXPECT_EQ(5, w.calls.load());
    EXPECT_EQ(C_ThreadEx::kJoinNothing, t.Join(0));
}

TEST_F(ThreadEx, DestroyingARepeatingThreadDuringARunEndsIt) {
    {
        C_ThreadEx t;
        ASSERT_EQ(1, t.SetRepeat(true));
        ASSERT_EQ(1, t.Start(Bind(&w, &destroyed, &gone)));
        ASSERT_TRUE(w.entered.WaitFor());
        w.release.Set();
    }
    EXPECT_EQ(1, w.calls.load());
    EXPECT_EQ(1, destroyed.load());
}

TEST_F(ThreadEx, TerminateForgetsTheThread) {
    C_ThreadEx t;
    ASSERT_EQ(1, t.Start(Bind(&w, &destroyed, &gone)));
    ASSERT_TRUE(w.entered.WaitFor());
    EXPECT_EQ(1, t.SetPriority(THREAD_PRIORITY_BELOW_NORMAL));
    EXPECT_EQ(THREAD_PRIORITY_BELOW_NORMAL, t.GetPriority());
    EXPECT_EQ(1, t.Terminate(5));
    EXPECT_EQ(0, t.IsRunning());
    EXPECT_EQ(C_ThreadEx::kJoinNothing, t.Join(0));
    EXPECT_EQ(static_cast<DWORD>(-1), t.GetThreadId());
}

TEST_F(ThreadEx, RepeatSwitchedOnAfterARunHasEndedStillJoins) {
    w.release.Set();
    Ev gone2;
    {
        C_ThreadEx t;
        ASSERT_EQ(1, t.Start(Bind(&w, &destroyed, &gone)));
        ASSERT_TRUE(gone.WaitFor());
        // The state goes idle just after the record is released; until then SetRepeat is
        // refused.
        int switched = 0;
        for (int i = 0; i < 10000 && !switched; ++i) {
            switched = t.SetRepeat(true);
            if (!switched) {
                Sleep(1);
            }
        }
        ASSERT_EQ(1, switched);
        // The thread without repeat has ended: no run will ever signal its end, so the join
        // must not wait for one, and it releases the ended thread.
        EXPECT_EQ(C_ThreadEx::kJoinDone, t.Join(5000));
        // A new repeating thread runs and parks; the destructor ends it.
        w.entered.Reset();
        ASSERT_EQ(1, t.Start(Bind(&w, &destroyed, &gone2)));
        ASSERT_TRUE(w.entered.WaitFor());
        EXPECT_EQ(C_ThreadEx::kJoinDone, t.Join(5000));
        EXPECT_EQ(2, w.calls.load());
    }
    EXPECT_TRUE(gone2.WaitFor(0));
    EXPECT_EQ(2, destroyed.load());
}
