#pragma once

// Number of handles this process holds right now (-1 when the system cannot tell).
// Works under Wine, where GetProcessHandleCount always reports 0.
int OwnHandleCount();
