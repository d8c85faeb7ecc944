// The dialog's run state: what each press, answer and end does, one row per transition.
#include <gtest/gtest.h>

#include <functional>

#include "app/C_RunState.h"

namespace {

using S = C_RunState;

// Brings a state to the phase a row starts from, through the transitions themselves.
S From(S::Phase phase, bool abortAsked = false) {
    S s;
    if (phase != S::kIdle) {
        s.Pressed();
    }
    if (phase == S::kRunning || phase == S::kStopping) {
        s.RunStarted();
    }
    if (phase == S::kStopping) {
        s.StopForExit();
    }
    if (abortAsked) {
        s.Pressed();
    }
    return s;
}

struct Row {
    char const* what;
    S::Phase from;
    bool abortAsked;
    std::function<int(S&)> event; // what the event answers, as an int
    int answer;
    S::Phase to;
    bool abortAskedAfter;
};

TEST(C_RunState, Transitions) {
    const Row rows[] = {
        {"press when idle asks the run questions", S::kIdle, false,
         [](S& s) { return s.Pressed(); }, S::kAskRun, S::kAsking, false},
        {"press while the questions are open does nothing", S::kAsking, false,
         [](S& s) { return s.Pressed(); }, S::kIgnore, S::kAsking, false},
        {"the worker started", S::kAsking, false, [](S& s) { return s.RunStarted(), 0; }, 0,
         S::kRunning, false},
        {"refused or No", S::kAsking, false, [](S& s) { return s.NoRun(), 0; }, 0, S::kIdle, false},
        {"press while running asks to abort", S::kRunning, false, [](S& s) { return s.Pressed(); },
         S::kAskAbort, S::kRunning, true},
        {"press while the abort question is open does nothing", S::kRunning, true,
         [](S& s) { return s.Pressed(); }, S::kIgnore, S::kRunning, true},
        {"abort answered No goes on", S::kRunning, true,
         [](S& s) { return s.AbortAnswered(false); }, S::kGoOn, S::kRunning, false},
        {"abort answered Yes stops", S::kRunning, true, [](S& s) { return s.AbortAnswered(true); },
         S::kStop, S::kStopping, false},
        {"press while stopping does nothing", S::kStopping, false, [](S& s) { return s.Pressed(); },
         S::kIgnore, S::kStopping, false},
        {"closing stops a running run", S::kRunning, false, [](S& s) { return s.StopForExit(); }, 1,
         S::kStopping, false},
        {"closing with no run stops nothing", S::kIdle, false, [](S& s) { return s.StopForExit(); },
         0, S::kIdle, false},
        {"the stopped worker's end shows its message", S::kStopping, false,
         [](S& s) { return s.WorkerEnded(); }, 1, S::kAsking, false},
        {"a completed worker's end shows its message", S::kRunning, false,
         [](S& s) { return s.WorkerEnded(); }, 1, S::kAsking, false},
        {"an end while the abort question is open waits", S::kRunning, true,
         [](S& s) { return s.WorkerEnded(); }, 0, S::kRunning, true},
        {"an end with no run is nothing", S::kIdle, false, [](S& s) { return s.WorkerEnded(); }, 0,
         S::kIdle, false},
        {"the end's message acknowledged", S::kAsking, false, [](S& s) { return s.Told(), 0; }, 0,
         S::kIdle, false},
    };
    for (Row const& r : rows) {
        S s = From(r.from, r.abortAsked);
        ASSERT_EQ(r.from, s.GetPhase()) << r.what;
        EXPECT_EQ(r.answer, r.event(s)) << r.what;
        EXPECT_EQ(r.to, s.GetPhase()) << r.what;
        EXPECT_EQ(r.abortAskedAfter, s.IsAbortAsked()) << r.what;
    }
    // The end that waited for the abort question comes out with its answer, whatever it was.
    for (bool yes : {false, true}) {
        S s = From(S::kRunning, true);
        s.WorkerEnded();
        EXPECT_EQ(S::kShowEnd, s.AbortAnswered(yes));
        EXPECT_EQ(S::kAsking, s.GetPhase());
        EXPECT_EQ(S::kIgnore, s.Pressed()); // its message is open
    }
}

} // namespace
