#pragma once
// Test allocator that turns a one-byte overrun into a crash: while it is switched on, every
// block from malloc/calloc/realloc and operator new ends exactly where an inaccessible page
// begins. Switched off, allocation goes to the C runtime as usual.
#include <cstddef>

namespace guard_alloc {

void set_enabled(bool on);
bool enabled();
// True for a block that came from the guarded arena.
bool owns(const void* p);
// Number of guarded blocks handed out so far.
size_t blocks_served();

class Scope {
public:
    Scope() { set_enabled(true); }
    ~Scope() { set_enabled(false); }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
};

} // namespace guard_alloc
