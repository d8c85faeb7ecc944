#pragma once

namespace ktora {
namespace common {

// Sleeps the calling thread for ms milliseconds.
void ktora_sleep_millis(unsigned long ms);

// Milliseconds since the system started; wraps after about 49.7 days, so compare two
// readings by their unsigned difference (now - start >= ms), never by a sum.
unsigned long ktora_get_time();

// The two bytes of a 16-bit value exchanged, as 0 to 65535.
int ktora_swap_short(short value);

// 1 on a little-endian host.
int ktora_IsLittleEndian();

// Runs "program args" to completion and returns its exit code; -1 when it could not be
// started (*started, if given, tells that apart from an exit code of -1).
int ktora_execl(const char* program, const char* args, int* started);

} // namespace common
} // namespace ktora
