#include "thread/thread_helpers.h"

#include <windows.h>

#include <vector>

namespace {

// The system handle table, as NtQuerySystemInformation class 16 returns it.
struct HandleEntry {
    USHORT processId;
    USHORT creatorBackTraceIndex;
    UCHAR objectTypeIndex;
    UCHAR handleAttributes;
    USHORT handleValue;
    PVOID object;
    ACCESS_MASK grantedAccess;
};
struct HandleTable {
    ULONG count;
    HandleEntry entries[1];
};

typedef LONG(NTAPI* QuerySystemInformation)(ULONG, PVOID, ULONG, PULONG);

const ULONG kSystemHandleInformation = 16;
const LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004L);

} // namespace

int OwnHandleCount() {
    auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) {
        return -1;
    }
    std::vector<char> buffer(1 << 16);
    LONG status = 0;
    for (int tries = 0; tries < 16; ++tries) {
        ULONG needed = 0;
        status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                       &needed);
        if (status != kInfoLengthMismatch) {
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    if (status != 0) {
        return -1;
    }
    const HandleTable* table = reinterpret_cast<const HandleTable*>(buffer.data());
    const USHORT self = static_cast<USHORT>(GetCurrentProcessId());
    int n = 0;
    for (ULONG i = 0; i < table->count; ++i) {
        n += table->entries[i].processId == self;
    }
    return n;
}
