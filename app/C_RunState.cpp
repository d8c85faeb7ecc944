#include "app/C_RunState.h"

C_RunState::Press C_RunState::Pressed() {
    if (m_nPhase == kIdle) {
        m_nPhase = kAsking;
        return kAskRun;
    }
    if (m_nPhase == kRunning && !m_bAbortAsked) {
        m_bAbortAsked = true;
        return kAskAbort;
    }
    return kIgnore;
}

void C_RunState::RunStarted() {
    if (m_nPhase == kAsking) {
        m_nPhase = kRunning;
    }
}

void C_RunState::NoRun() {
    if (m_nPhase == kAsking) {
        m_nPhase = kIdle;
    }
}

C_RunState::Answer C_RunState::AbortAnswered(bool yes) {
    m_bAbortAsked = false;
    if (m_bEndWaiting) {
        m_bEndWaiting = false;
        m_nPhase = kAsking;
        return kShowEnd;
    }
    if (yes && m_nPhase == kRunning) {
        m_nPhase = kStopping;
        return kStop;
    }
    return kGoOn;
}

bool C_RunState::StopForExit() {
    if (m_nPhase != kRunning) {
        return false;
    }
    m_nPhase = kStopping;
    return true;
}

bool C_RunState::WorkerEnded() {
    if (m_nPhase != kRunning && m_nPhase != kStopping) {
        return false;
    }
    if (m_bAbortAsked) {
        m_bEndWaiting = true;
        return false;
    }
    m_nPhase = kAsking;
    return true;
}

void C_RunState::Told() {
    if (m_nPhase == kAsking) {
        m_nPhase = kIdle;
    }
}
