#pragma once
// The built-in copier: the copies handed over (up to eight) are made together by one
// copier::C_TreeCopier walk, which reads each source file once and writes it into every copy,
// on state.jobs writer threads. Wait makes them on the run's thread, ticking the bytes written
// about every 500 ms; an abort (the run's flag) stops it before the next chunk and removes
// the file being written. No process, no window.
#include <atomic>
#include <string>
#include <vector>

#include "app/CopyState.h"
#include "app/copier/I_Copier.h"

class C_BuiltinCopier : public I_Copier {
public:
    C_BuiltinCopier(CopyState const& state, std::atomic<int> const& abort);

    int Capacity() const override;
    int InFlight() const override { return static_cast<int>(m_jobs.size()); }
    bool Start(CopyJob const& job) override;
    void Wait(unsigned long milliseconds, CopyTick const& tick,
              std::vector<CopyEnd>* ended) override;
    // Nothing is left running: Wait returns once the flag is seen.
    void Stop() override {}

private:
    std::wstring m_source;
    bool m_bTreeOnly;
    int m_nWriters;
    std::atomic<int> const& m_abort;
    std::vector<CopyJob> m_jobs;
    unsigned long long m_nBytesBefore = 0; // written by the walks before this one
};
