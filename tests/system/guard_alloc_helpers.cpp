// Guarded allocation for the robustness tests: one reserved arena; each block gets a header
// page, its data pages and one PAGE_NOACCESS page, with the block's last byte right before
// that page. Freed regions are kept per page count and reused, so the guard page stays.
#include "system/guard_alloc.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <windows.h>

namespace {

const size_t kPage = 4096;
const size_t kArenaSize = size_t(16) << 30; // address space only
const size_t kMaxPooledPages = 256;
const uint32_t kMagic = 0x6B74726Fu;

struct Header {
    uint32_t magic;
    size_t size;
    size_t pages; // data pages
    Header* next;
};

std::atomic<bool> g_enabled{false};
std::atomic_flag g_lock = ATOMIC_FLAG_INIT;
char* g_arena = nullptr;
size_t g_used = 0;
Header* g_free[kMaxPooledPages + 1] = {};
std::atomic<size_t> g_served{0};

struct Lock {
    Lock() {
        while (g_lock.test_and_set(std::memory_order_acquire))
            Sleep(0);
    }
    ~Lock() { g_lock.clear(std::memory_order_release); }
};

typedef void* (*MallocFn)(size_t);
typedef void (*FreeFn)(void*);
typedef void* (*ReallocFn)(void*, size_t);
typedef void* (*CallocFn)(size_t, size_t);

typedef void (*AnyFn)(void);

AnyFn crt(const char* name) {
    HMODULE m = GetModuleHandleA("msvcrt.dll");
    if (m == nullptr)
        m = GetModuleHandleA("ucrtbase.dll");
    return m != nullptr ? reinterpret_cast<AnyFn>(GetProcAddress(m, name)) : nullptr;
}

// Plain pointers, filled on first use: a guarded local static could itself allocate.
MallocFn g_malloc = nullptr;
FreeFn g_freefn = nullptr;
ReallocFn g_realloc = nullptr;
CallocFn g_calloc = nullptr;

MallocFn real_malloc() {
    if (g_malloc == nullptr)
        g_malloc = reinterpret_cast<MallocFn>(crt("malloc"));
    return g_malloc;
}
FreeFn real_free() {
    if (g_freefn == nullptr)
        g_freefn = reinterpret_cast<FreeFn>(crt("free"));
    return g_freefn;
}
ReallocFn real_realloc() {
    if (g_realloc == nullptr)
        g_realloc = reinterpret_cast<ReallocFn>(crt("realloc"));
    return g_realloc;
}
CallocFn real_calloc() {
    if (g_calloc == nullptr)
        g_calloc = reinterpret_cast<CallocFn>(crt("calloc"));
    return g_calloc;
}

bool in_arena(const void* p) {
    const char* c = static_cast<const char*>(p);
    return g_arena != nullptr && c >= g_arena && c < g_arena + kArenaSize;
}

Header* header_of(void* p) {
    uintptr_t page = reinterpret_cast<uintptr_t>(p) & ~(uintptr_t)(kPage - 1);
    return reinterpret_cast<Header*>(page - kPage);
}

void* guarded_alloc(size_t size) {
    size_t pages = (size + kPage - 1) / kPage;
    Header* h = nullptr;
    {
        Lock lock;
        if (g_arena == nullptr) {
            g_arena =
                static_cast<char*>(VirtualAlloc(nullptr, kArenaSize, MEM_RESERVE, PAGE_NOACCESS));
            if (g_arena == nullptr)
                return nullptr;
        }
        if (pages <= kMaxPooledPages && g_free[pages] != nullptr) {
            h = g_free[pages];
            g_free[pages] = h->next;
        } else {
            size_t total = (pages + 2) * kPage;
            if (g_used + total > kArenaSize)
                return nullptr;
            char* region = g_arena + g_used;
            g_used += total;
            if (!VirtualAlloc(region, (pages + 1) * kPage, MEM_COMMIT, PAGE_READWRITE) ||
                !VirtualAlloc(region + (pages + 1) * kPage, kPage, MEM_COMMIT, PAGE_NOACCESS))
                return nullptr;
            h = reinterpret_cast<Header*>(region);
            h->pages = pages;
        }
    }
    h->magic = kMagic;
    h->size = size;
    h->next = nullptr;
    g_served.fetch_add(1, std::memory_order_relaxed);
    char* dataEnd = reinterpret_cast<char*>(h) + (h->pages + 1) * kPage;
    return dataEnd - size;
}

void guarded_free(void* p) {
    Header* h = header_of(p);
    if (h->magic != kMagic)
        return; // not a live block: ignore rather than corrupt the pool
    h->magic = 0;
    if (h->pages > kMaxPooledPages) {
        VirtualFree(reinterpret_cast<char*>(h) + kPage, h->pages * kPage, MEM_DECOMMIT);
        return; // not reused; the address space stays reserved
    }
    Lock lock;
    h->next = g_free[h->pages];
    g_free[h->pages] = h;
}

// An overrun must end the test at once with a message: without this filter Wine starts
// its debugger and the test only ends at the harness's time limit.
LONG WINAPI report_fault(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* r = info->ExceptionRecord;
    std::fprintf(stderr, "\nguard_alloc: exception 0x%08lX at %p (%s address %p)\n",
                 static_cast<unsigned long>(r->ExceptionCode), r->ExceptionAddress,
                 r->NumberParameters > 0 && r->ExceptionInformation[0] ? "write" : "read",
                 r->NumberParameters > 1 ? reinterpret_cast<void*>(r->ExceptionInformation[1])
                                         : nullptr);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

namespace guard_alloc {

void set_enabled(bool on) {
    if (on)
        SetUnhandledExceptionFilter(report_fault);
    g_enabled.store(on);
}

bool enabled() {
    return g_enabled.load();
}

bool owns(const void* p) {
    return in_arena(p);
}

size_t blocks_served() {
    return g_served.load();
}

} // namespace guard_alloc

extern "C" {

void* malloc(size_t size) {
    if (g_enabled.load(std::memory_order_relaxed))
        return guarded_alloc(size);
    return real_malloc()(size);
}

void* calloc(size_t count, size_t size) {
    if (!g_enabled.load(std::memory_order_relaxed))
        return real_calloc()(count, size);
    if (size != 0 && count > SIZE_MAX / size)
        return nullptr;
    void* p = guarded_alloc(count * size);
    if (p != nullptr)
        std::memset(p, 0, count * size);
    return p;
}

void free(void* p) {
    if (p == nullptr)
        return;
    if (in_arena(p))
        guarded_free(p);
    else
        real_free()(p);
}

void* realloc(void* p, size_t size) {
    if (p == nullptr)
        return malloc(size);
    if (!in_arena(p))
        return real_realloc()(p, size);
    size_t old = header_of(p)->size;
    void* q = malloc(size);
    if (q == nullptr)
        return nullptr;
    std::memcpy(q, p, old < size ? old : size);
    guarded_free(p);
    return q;
}

} // extern "C"

void* operator new(size_t size) {
    void* p = malloc(size);
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}
void* operator new[](size_t size) {
    void* p = malloc(size);
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return malloc(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return malloc(size);
}
void operator delete(void* p) noexcept {
    free(p);
}
void operator delete[](void* p) noexcept {
    free(p);
}
void operator delete(void* p, size_t) noexcept {
    free(p);
}
void operator delete[](void* p, size_t) noexcept {
    free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    free(p);
}
