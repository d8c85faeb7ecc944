// Writer threads of a tree copy: the targets are spread over them (target t on thread
// t % threads), and each task handed over runs once for every chosen target. One task is in
// flight at a time, so the reader can fill its next chunk while the writers put out the last.
// With one thread (or when threads cannot be started) every task runs on the caller's thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "ktora/thread/C_Thread.h"
#include "ktora/thread/I_Runnable.h"

namespace copier {

class C_WriterPool : public ktora::I_Runnable {
public:
    C_WriterPool();
    ~C_WriterPool() override; // ends the threads (after the task in flight)
    C_WriterPool(const C_WriterPool&) = delete;
    C_WriterPool& operator=(const C_WriterPool&) = delete;

    // Starts min(threads, targets) writer threads, or none for one. The number running.
    int Start(int threads, int targets);
    // Waits for the task before, then hands `task` over for every target whose bit is set in
    // mask; returns at once when threads run, after the work otherwise.
    void Post(std::function<void(int)> task, unsigned mask);
    // Waits until the task in flight has run for every target.
    void Wait();

    void Run() override; // a writer thread's loop

private:
    void Stop();

    std::vector<std::unique_ptr<ktora::C_Thread>> m_threads;
    int m_nThreads = 0;
    int m_nTargets = 0;
    SRWLOCK m_lock = SRWLOCK_INIT;
    CONDITION_VARIABLE m_work = CONDITION_VARIABLE_INIT;
    CONDITION_VARIABLE m_done = CONDITION_VARIABLE_INIT;
    std::function<void(int)> m_task;
    unsigned m_mask = 0;
    std::atomic<unsigned long> m_generation{0};
    std::atomic<int> m_nPending{0};
    std::atomic<int> m_nNextIndex{0};
    std::atomic<bool> m_bQuit{false};
};

} // namespace copier
