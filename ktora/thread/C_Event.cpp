#include "ktora/thread/C_Event.h"

#include "ktora/thread/C_CriticalLock.h"
#include "ktora/thread/ktora_thread.h"

namespace ktora {

C_Event::C_Event() : m_hEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)), m_nSignal(0) {}

C_Event::~C_Event() {
    if (m_hEvent) {
        CloseHandle(m_hEvent);
    }
}

void C_Event::SetEvent() {
    C_CriticalLock lock(&m_cs);
    m_nSignal = 1;
    if (m_hEvent) {
        ::SetEvent(m_hEvent);
    }
}

void C_Event::ResetEvent() {
    C_CriticalLock lock(&m_cs);
    m_nSignal = 0;
    if (m_hEvent) {
        ::ResetEvent(m_hEvent);
    }
}

int C_Event::Wait(int milliseconds) {
    if (!m_hEvent) {
        return common::kWaitFailed;
    }
    DWORD limit = milliseconds < 0 ? INFINITE : static_cast<DWORD>(milliseconds);
    return common::ktora_wait_handle(m_hEvent, limit);
}

int C_Event::IsSignal() const {
    C_CriticalLock lock(&m_cs);
    return m_nSignal;
}

void* C_Event::GetHandle() const {
    return m_hEvent;
}

} // namespace ktora
