#include "copier/C_WriterPool.h"

namespace copier {

C_WriterPool::C_WriterPool() = default;

C_WriterPool::~C_WriterPool() {
    Stop();
}

int C_WriterPool::Start(int threads, int targets) {
    Stop();
    m_nTargets = targets;
    int want = threads < targets ? threads : targets;
    if (want <= 1)
        return 1;
    m_nNextIndex.store(0);
    m_bQuit.store(false);
    // Each thread takes its index as it starts: a thread counts only once it runs.
    m_nThreads = want;
    for (int i = 0; i < want; ++i) {
        auto thread = std::make_unique<ktora::C_Thread>(this);
        if (!thread->Start())
            break;
        m_threads.push_back(std::move(thread));
    }
    if (static_cast<int>(m_threads.size()) != want) {
        Stop(); // fewer than planned would leave targets without a writer: work inline
        return 1;
    }
    return want;
}

void C_WriterPool::Stop() {
    if (!m_threads.empty()) {
        Wait();
        AcquireSRWLockExclusive(&m_lock);
        m_bQuit.store(true);
        ReleaseSRWLockExclusive(&m_lock);
        WakeAllConditionVariable(&m_work);
        for (auto& t : m_threads)
            t->Stop();
        m_threads.clear();
    }
    m_nThreads = 0;
}

void C_WriterPool::Post(std::function<void(int)> task, unsigned mask) {
    if (m_threads.empty()) {
        for (int t = 0; t < m_nTargets; ++t)
            if (mask & (1u << t))
                task(t);
        return;
    }
    Wait();
    AcquireSRWLockExclusive(&m_lock);
    m_task = std::move(task);
    m_mask = mask;
    m_nPending.store(m_nThreads);
    m_generation.fetch_add(1);
    ReleaseSRWLockExclusive(&m_lock);
    WakeAllConditionVariable(&m_work);
}

void C_WriterPool::Wait() {
    if (m_threads.empty())
        return;
    AcquireSRWLockExclusive(&m_lock);
    while (m_nPending.load() > 0)
        SleepConditionVariableSRW(&m_done, &m_lock, INFINITE, 0);
    ReleaseSRWLockExclusive(&m_lock);
}

void C_WriterPool::Run() {
    const int me = m_nNextIndex.fetch_add(1);
    unsigned long seen = 0;
    AcquireSRWLockExclusive(&m_lock);
    for (;;) {
        while (m_generation.load() == seen && !m_bQuit.load())
            SleepConditionVariableSRW(&m_work, &m_lock, INFINITE, 0);
        if (m_bQuit.load())
            break;
        seen = m_generation.load();
        const unsigned mask = m_mask;
        ReleaseSRWLockExclusive(&m_lock);
        // m_task stays put until every thread has reported back.
        for (int t = me; t < m_nTargets; t += m_nThreads)
            if (mask & (1u << t))
                m_task(t);
        AcquireSRWLockExclusive(&m_lock);
        if (m_nPending.fetch_sub(1) == 1)
            WakeAllConditionVariable(&m_done);
    }
    ReleaseSRWLockExclusive(&m_lock);
}

} // namespace copier
