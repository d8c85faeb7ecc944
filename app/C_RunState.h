#pragma once
// Where the dialog stands with its copy run, kept by the dialog's thread alone: it decides what
// a press of the start button (the button, Enter, a posted IDOK) does, so that one intent makes
// at most one question and one run, and an abort is final.
//
//   idle     -> asking   a press: the run questions open
//   asking   -> running  the worker started        asking   -> idle  refused, No, no worker
//   running  -> stopping abort confirmed, or the window closes or the session ends
//   running, stopping -> asking  the worker posted its end: its one message shows
//   asking   -> idle     that message was acknowledged
// A press while running opens the abort question once; every other press does nothing. A
// worker's end that comes while the abort question is open waits until it is answered.
class C_RunState {
public:
    enum Phase { kIdle, kAsking, kRunning, kStopping };
    // What a press asks the dialog to do.
    enum Press { kIgnore, kAskRun, kAskAbort };
    // What the answer to the abort question asks the dialog to do.
    enum Answer { kGoOn, kStop, kShowEnd };

    Phase GetPhase() const { return m_nPhase; }
    bool IsAbortAsked() const { return m_bAbortAsked; }

    Press Pressed();
    // The questions before a run ended: with a started worker, or without a run.
    void RunStarted();
    void NoRun();
    // The abort question was answered. kStop: set the run's flag (the phase is now stopping);
    // kShowEnd: the worker ended while the question was open, show its end now.
    Answer AbortAnswered(bool yes);
    // Closing or log-off: true when a run is to be stopped now (it was running).
    bool StopForExit();
    // The worker posted its end: true when its message is to be shown now (phase asking);
    // false when the abort question is open (shown after its answer) or there was no run.
    bool WorkerEnded();
    // The end message of a run was acknowledged.
    void Told();

private:
    Phase m_nPhase = kIdle;
    bool m_bAbortAsked = false; // the abort question is open
    bool m_bEndWaiting = false; // the worker ended while it was open
};
