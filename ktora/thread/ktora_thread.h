#pragma once

namespace ktora {
namespace common {

// Thread procedure as the C runtime's _beginthreadex expects it.
typedef unsigned(__stdcall* ktora_thread_proc)(void*);

// Starts a thread at once (default security, default stack); the handle, or null.
void* ktora_create_thread(ktora_thread_proc proc, void* arg);
// Waits without limit; fills exitCode when given. Returns the wait result.
unsigned long ktora_join_thread(void* handle, int* exitCode);
// Waits at most milliseconds (INFINITE allowed); unless the wait timed out the handle is
// closed, also when the wait failed, since the caller has let go of it. Returns the wait
// result.
unsigned long ktora_join_close_thread(void* handle, unsigned long milliseconds);
int ktora_close_thread(void* handle);
// What ktora_wait_handle answers.
enum WaitResult : int {
    kWaitSignalled = 0, // an abandoned mutex counts
    kWaitTimeout = 1,
    kWaitFailed = 2,
};
// Waits at most milliseconds (INFINITE allowed) on any waitable handle; a WaitResult.
int ktora_wait_handle(void* handle, unsigned long milliseconds);
[[noreturn]] void ktora_end_thread(int code);
// Runs fn exactly once for the guard word (0 not run, 1 running, 2 done); callers that
// lose the race return only after fn has finished. Returns 0.
int ktora_pthread_once(long* once, void (*fn)());

// Whether limit milliseconds have passed from start to now on the wrapping 32-bit
// millisecond clock (timeGetTime); right across the wrap after 49.7 days.
bool ktora_time_passed(unsigned long start, unsigned long now, unsigned long limit);

} // namespace common
} // namespace ktora
