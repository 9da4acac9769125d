// What this process holds, counted so that a leak shows under Wine as well as
// on Windows. Under Wine 8 GetGuiResources and GetProcessHandleCount read 0,
// so each resource is also counted in a way Wine keeps up: the GDI handle
// table probed entry by entry, the windows and menus enumerated or probed, the
// kernel handles listed by the system, the memory from the address space, from
// the heaps' blocks and from the process's memory counters (which Wine takes
// from Linux). Windows'
// own counters are read and checked too; under Wine they stay at 0.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

enum class Counter {
    gdi_objects,       // live entries of the GDI handle table
    windows,           // windows of this process: top-level, children, message-only
    menus,             // live menus
    kernel_handles,    // this process's entries in the system's handle list
    committed_kib,     // private memory committed (the address space walked)
    private_kib,       // private memory in use (commit charge; resident anonymous under Wine)
    heap_bytes,        // the blocks in use in the process's heaps, walked block by block
    gui_gdi_objects,   // GetGuiResources(GR_GDIOBJECTS)
    gui_user_objects,  // GetGuiResources(GR_USEROBJECTS)
    handle_count,      // GetProcessHandleCount
};
constexpr int COUNTER_COUNT = 10;

struct CounterInfo {
    const char* name;
    int64_t allowance;  // growth accepted between two readings of a day's use
};
const CounterInfo& counter_info(Counter counter);

using ResourceCounts = std::array<int64_t, COUNTER_COUNT>;

ResourceCounts read_resource_counts();
int64_t count_of(const ResourceCounts& counts, Counter counter);

// The counters that grew by more than their allowance from before to after.
std::vector<Counter> counters_grown(const ResourceCounts& before, const ResourceCounts& after);

// One line per counter: name, before, after, growth, allowance, and "GREW"
// where the growth is beyond the allowance.
std::string counts_table(const ResourceCounts& before, const ResourceCounts& after);
