#include "tests/soak/resource_counters_win.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>

namespace {

// Allowances. Handles and windows come and go in pairs, so after the warm-up
// nothing may be left over. The few kernel handles allowed are Wine's own
// (timer and wait objects it creates on first use of a call). Memory may grow
// by heap fragmentation and the caches of the system's libraries. Wine's
// static control keeps 24 bytes of the heap each time one that was given a
// font is destroyed (a bare static control sent WM_SETFONT shows it, one
// without a font does not). The texts of the monitor, the connection dialog
// and the busy windows leave some 350 bytes a round that way, 35 KiB a day,
// within the heap's allowance. Wine's private memory also grows once by about
// 1.3 MB (committed memory and the heap unchanged) at some point in the first
// rounds of captures with their exports, sometimes only after the warm-up; the
// private memory's allowance takes that one step, and a real leak still shows
// in the heap and the committed memory first.
const CounterInfo INFO[COUNTER_COUNT] = {
    {"GDI objects", 0},
    {"windows", 0},
    {"menus", 0},
    {"kernel handles", 4},
    {"committed memory KiB", 1024},
    {"private memory KiB", 2048},
    {"heap in use bytes", 65536},
    {"GetGuiResources GDI", 0},
    {"GetGuiResources USER", 0},
    {"GetProcessHandleCount", 4},
};

// The GDI handle table holds at most 65536 objects per process. Wine looks a
// handle up by its low 16 bits and accepts one whose upper bits are 0 for any
// entry in use, so asking each index for its object's type counts the table.
// Windows checks the upper bits and answers 0 here; GetGuiResources counts
// there.
int64_t probe_gdi_objects() {
    int64_t n = 0;
    for (ULONG_PTR index = 1; index <= 0xFFFF; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index))) ++n;
    return n;
}

// USER handles are looked up by their low 16 bits too, the upper ones 0
// taken as any.
int64_t probe_menus() {
    int64_t n = 0;
    for (ULONG_PTR index = 1; index <= 0xFFFF; ++index)
        if (IsMenu(reinterpret_cast<HMENU>(index))) ++n;
    return n;
}

BOOL CALLBACK count_one(HWND, LPARAM count) {
    ++*reinterpret_cast<int64_t*>(count);
    return TRUE;
}

bool ours(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

// A window of this process with all its descendants.
int64_t window_tree(HWND window) {
    int64_t n = 1;
    EnumChildWindows(window, count_one, reinterpret_cast<LPARAM>(&n));
    return n;
}

struct WindowCount {
    int64_t n = 0;
};

BOOL CALLBACK count_top_level(HWND window, LPARAM param) {
    if (ours(window)) reinterpret_cast<WindowCount*>(param)->n += window_tree(window);
    return TRUE;
}

int64_t count_windows() {
    WindowCount count;
    EnumWindows(count_top_level, reinterpret_cast<LPARAM>(&count));
    // Message-only windows are not top-level windows of the desktop.
    for (HWND w = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
         w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr))
        if (ours(w)) count.n += window_tree(w);
    return count.n;
}

// The system's list of every open handle (SystemExtendedHandleInformation),
// the entries of this process counted. Wine's server keeps this list.
struct HandleEntry {
    void* object;
    ULONG_PTR process;
    ULONG_PTR handle;
    ULONG access;
    USHORT creator_back_trace;
    USHORT type;
    ULONG attributes;
    ULONG reserved;
};
struct HandleList {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};
constexpr ULONG SYSTEM_EXTENDED_HANDLE_INFORMATION = 64;
constexpr LONG STATUS_INFO_LENGTH_MISMATCH = LONG(0xC0000004);

int64_t count_kernel_handles() {
    using Query = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    static const Query query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return -1;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        ULONG length = 0;
        const LONG status =
            query(SYSTEM_EXTENDED_HANDLE_INFORMATION, buffer.data(), ULONG(buffer.size()), &length);
        if (status == STATUS_INFO_LENGTH_MISMATCH && buffer.size() < (64u << 20)) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != 0) return -1;
        break;
    }
    const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
    const ULONG_PTR me = GetCurrentProcessId();
    int64_t n = 0;
    for (ULONG_PTR i = 0; i < list->count; ++i)
        if (list->entries[i].process == me) ++n;
    return n;
}

// Every committed private region of the address space, walked region by region.
int64_t committed_kib() {
    uint64_t total = 0;
    MEMORY_BASIC_INFORMATION region{};
    const char* at = nullptr;
    while (VirtualQuery(at, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= at) break;
        at = next;
    }
    return int64_t(total / 1024);
}

// What the program and its libraries hold from the heaps (malloc and new
// take from them): every block in use, summed. Blocks freed go back to the
// heap without leaving the committed memory, so this sees a leak of small
// allocations long before the memory counters do.
int64_t heap_bytes() {
    std::vector<HANDLE> heaps(64);
    DWORD count = GetProcessHeaps(DWORD(heaps.size()), heaps.data());
    if (count > heaps.size()) {
        heaps.resize(count);
        count = GetProcessHeaps(count, heaps.data());
    }
    uint64_t total = 0;
    for (DWORD i = 0; i < count && i < heaps.size(); ++i) {
        if (!HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return int64_t(total);
}

// The commit charge on Windows; under Wine the resident anonymous memory
// and swap Linux reports for the process.
int64_t private_kib() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return -1;
    return int64_t(counters.PagefileUsage / 1024);
}

int64_t handle_count() {
    DWORD n = 0;
    return GetProcessHandleCount(GetCurrentProcess(), &n) ? int64_t(n) : -1;
}

}  // namespace

const CounterInfo& counter_info(Counter counter) { return INFO[int(counter)]; }

int64_t count_of(const ResourceCounts& counts, Counter counter) { return counts[size_t(counter)]; }

ResourceCounts read_resource_counts() {
    ResourceCounts c{};
    c[size_t(Counter::gdi_objects)] = probe_gdi_objects();
    c[size_t(Counter::windows)] = count_windows();
    c[size_t(Counter::menus)] = probe_menus();
    c[size_t(Counter::kernel_handles)] = count_kernel_handles();
    c[size_t(Counter::committed_kib)] = committed_kib();
    c[size_t(Counter::private_kib)] = private_kib();
    c[size_t(Counter::heap_bytes)] = heap_bytes();
    c[size_t(Counter::gui_gdi_objects)] = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    c[size_t(Counter::gui_user_objects)] = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    c[size_t(Counter::handle_count)] = handle_count();
    return c;
}

std::vector<Counter> counters_grown(const ResourceCounts& before, const ResourceCounts& after) {
    std::vector<Counter> grown;
    for (int i = 0; i < COUNTER_COUNT; ++i)
        if (after[i] - before[i] > INFO[i].allowance) grown.push_back(Counter(i));
    return grown;
}

std::string counts_table(const ResourceCounts& before, const ResourceCounts& after) {
    std::string table;
    char line[160];
    for (int i = 0; i < COUNTER_COUNT; ++i) {
        const int64_t growth = after[i] - before[i];
        std::snprintf(line, sizeof line, "  %-24s %10lld %10lld %+9lld  (allowed %+lld)%s\n", INFO[i].name,
                      static_cast<long long>(before[i]), static_cast<long long>(after[i]),
                      static_cast<long long>(growth), static_cast<long long>(INFO[i].allowance),
                      growth > INFO[i].allowance ? "  GREW" : "");
        table += line;
    }
    return table;
}
