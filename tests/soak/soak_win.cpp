// The soak run: a technician's day with kv310r.exe compressed into minutes,
// and what the process holds counted after a warm-up and at the end. Runs the
// real main window in this process against the dimmer on the COM port named
// in KV_TEST_COM (see technician_win.h for what a round holds).
//
//   soak.exe day ROUNDS   a warm-up round, then ROUNDS rounds (100 make the
//                         day); the counters after the warm-up, after each
//                         round and at the end
//   soak.exe short        the same with a round of a few of everything: after
//                         the warm-up a round that must leave every counter
//                         within its allowance, then each counter shown to
//                         see a deliberate leak: a round leaking one GDI
//                         object, window, menu, kernel handle or block of
//                         memory per thing done must fail on that counter
//   soak.exe each ROUNDS  to find what leaks: each kind of thing of a round
//                         alone, as often as in ROUNDS rounds, after one
//                         round of everything; the counters' growth per kind
//                         (no verdict on them: what one kind leaves behind,
//                         such as the last capture, the next may free)
//
// Exit status 0 when nothing grew beyond its allowance (day, short),
// everything planned happened and (short) every counter saw its leak; 1
// otherwise.
#include "tests/soak/resource_counters_win.h"
#include "tests/soak/technician_win.h"

#include "win/app_win.h"

#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The short run's round: a few of everything.
constexpr RoundPlan SHORT_ROUND = {5, 100, 2, 2, 1, 1, 1};

double seconds_since(DWORD start) { return (GetTickCount() - start) / 1000.0; }

std::string fresh_folder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::filesystem::path folder =
        std::filesystem::path(temp) /
        ("kv310r-soak-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()));
    std::filesystem::create_directories(folder);
    const std::u8string name = folder.u8string() + u8"\\";
    return std::string(name.begin(), name.end());
}

void print_counts(const char* when, const ResourceCounts& c) {
    std::printf("%-10s", when);
    for (int i = 0; i < COUNTER_COUNT; ++i)
        std::printf(" %s %lld%s", counter_info(Counter(i)).name, static_cast<long long>(c[i]),
                    i + 1 < COUNTER_COUNT ? "," : "\n");
    std::fflush(stdout);
}

// A round that falls short (the dimmer gone, a dialog that did not open)
// ends the day: what follows would no longer be a day of use.
int run_day(int rounds) {
    const DWORD start = GetTickCount();
    Tally warm_up;
    play_round(DAY_ROUND, warm_up);
    std::printf("warm-up: %.1f s, %s\n", seconds_since(start), tally_text(warm_up).c_str());
    std::string missing = tally_shortfall(warm_up, DAY_ROUND, 1);
    const ResourceCounts after_warm_up = read_resource_counts();
    print_counts("warm-up", after_warm_up);

    const DWORD day_start = GetTickCount();
    Tally day;
    int played = 0;
    while (missing.empty() && played < rounds) {
        play_round(DAY_ROUND, day);
        ++played;
        char when[32];
        std::snprintf(when, sizeof when, "round %d", played);
        print_counts(when, read_resource_counts());
        missing = tally_shortfall(day, DAY_ROUND, played);
    }
    const double day_seconds = seconds_since(day_start);
    const ResourceCounts end = read_resource_counts();

    std::printf("\n%d rounds in %.1f s: %s\n", played, day_seconds, tally_text(day).c_str());
    std::printf("  %-24s %10s %10s %9s\n%s", "counter", "warm-up", "end", "growth",
                counts_table(after_warm_up, end).c_str());
    const std::vector<Counter> grown = counters_grown(after_warm_up, end);
    if (!missing.empty()) std::printf("NOT DONE:\n%s", missing.c_str());
    const bool passed = grown.empty() && missing.empty();
    std::printf("%s\n", passed ? "PASS" : "FAIL");
    return passed ? 0 : 1;
}

// Each kind of thing of the day's round alone, so that a counter that grows
// over the day points at what makes it grow.
int run_each(int rounds) {
    Tally warm_up;
    play_round(DAY_ROUND, warm_up);
    struct Kind {
        const char* name;
        int RoundPlan::*count;
    };
    const Kind kinds[] = {
        {"page switches", &RoundPlan::page_switches},
        {"status replies", &RoundPlan::status_replies},
        {"captures with their exports", &RoundPlan::captures},
        {"parameter files", &RoundPlan::parameter_files},
        {"monitor openings", &RoundPlan::monitor_openings},
        {"connection dialog openings", &RoundPlan::dialog_openings},
        {"read/write cycles", &RoundPlan::read_write_cycles},
    };
    bool done = true;
    for (const Kind& kind : kinds) {
        RoundPlan plan{};
        plan.*kind.count = DAY_ROUND.*kind.count * rounds;
        const DWORD start = GetTickCount();
        const ResourceCounts before = read_resource_counts();
        Tally tally;
        play_round(plan, tally);
        const ResourceCounts after = read_resource_counts();
        std::printf("%d %s (%.1f s):\n%s", plan.*kind.count, kind.name, seconds_since(start),
                    counts_table(before, after).c_str());
        const std::string missing = tally_shortfall(tally, plan, 1);
        if (!missing.empty()) std::printf("  NOT DONE:\n%s", missing.c_str());
        if (!missing.empty()) done = false;
    }
    return done ? 0 : 1;
}

// ---- deliberate leaks

struct Leak {
    const char* name;
    void (*leak)();
    std::vector<Counter> seen_by;
};

std::vector<HGDIOBJ> g_leaked_gdi;
std::vector<HWND> g_leaked_windows;
std::vector<HMENU> g_leaked_menus;
std::vector<HANDLE> g_leaked_handles;
std::vector<char*> g_leaked_memory;
constexpr size_t LEAKED_BLOCK = 256 * 1024;  // touched, so it is resident too

void leak_gdi_object() { g_leaked_gdi.push_back(CreatePen(PS_SOLID, 1, RGB(255, 0, 0))); }
void leak_window() {
    g_leaked_windows.push_back(CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 1, 1, main_window(),
                                               nullptr, GetModuleHandleW(nullptr), nullptr));
}
void leak_menu() { g_leaked_menus.push_back(CreatePopupMenu()); }
void leak_handle() { g_leaked_handles.push_back(CreateEventW(nullptr, FALSE, FALSE, nullptr)); }
void leak_memory() {
    char* block = new char[LEAKED_BLOCK];
    std::memset(block, 0x5A, LEAKED_BLOCK);
    g_leaked_memory.push_back(block);
}

void free_leaks() {
    for (HGDIOBJ o : g_leaked_gdi) DeleteObject(o);
    for (HWND w : g_leaked_windows) DestroyWindow(w);
    for (HMENU m : g_leaked_menus) DestroyMenu(m);
    for (HANDLE h : g_leaked_handles) CloseHandle(h);
    for (char* b : g_leaked_memory) delete[] b;
    g_leaked_gdi.clear();
    g_leaked_windows.clear();
    g_leaked_menus.clear();
    g_leaked_handles.clear();
    g_leaked_memory.clear();
}

std::string names(const std::vector<Counter>& counters) {
    std::string text;
    for (Counter c : counters) text += std::string(text.empty() ? "" : ", ") + counter_info(c).name;
    return text.empty() ? "nothing" : text;
}

bool contains(const std::vector<Counter>& counters, Counter c) {
    for (Counter x : counters)
        if (x == c) return true;
    return false;
}

// One short round, leaking through leak (none when null): the counters
// before and after, and what grew beyond its allowance.
struct ShortRound {
    ResourceCounts before, after;
    std::vector<Counter> grown;
    bool done;
};

ShortRound short_round(void (*leak)()) {
    ShortRound r;
    r.before = read_resource_counts();
    Tally tally;
    play_round(SHORT_ROUND, tally, leak);
    r.after = read_resource_counts();
    free_leaks();
    r.grown = counters_grown(r.before, r.after);
    const std::string missing = tally_shortfall(tally, SHORT_ROUND, 1);
    r.done = missing.empty();
    std::printf("%s", counts_table(r.before, r.after).c_str());
    if (!r.done) std::printf("  NOT DONE:\n%s", missing.c_str());
    return r;
}

int run_short() {
    const DWORD start = GetTickCount();
    Tally warm_up;
    play_round(SHORT_ROUND, warm_up);
    bool passed = true;

    std::printf("after the warm-up, a round leaking nothing:\n");
    const ShortRound control = short_round(nullptr);
    std::printf("  grew: %s\n", names(control.grown).c_str());
    if (!control.grown.empty() || !control.done) passed = false;

    const Leak leaks[] = {
        {"a GDI object", leak_gdi_object, {Counter::gdi_objects, Counter::gui_gdi_objects}},
        {"a window", leak_window, {Counter::windows, Counter::gui_user_objects}},
        {"a menu", leak_menu, {Counter::menus, Counter::gui_user_objects}},
        {"a kernel handle", leak_handle, {Counter::kernel_handles, Counter::handle_count}},
        {"256 KiB of memory",
         leak_memory,
         {Counter::committed_kib, Counter::private_kib, Counter::heap_bytes}},
    };
    for (const Leak& leak : leaks) {
        std::printf("a round leaking %s for each thing done:\n", leak.name);
        const ShortRound r = short_round(leak.leak);
        if (!r.done) passed = false;
        // Windows' own counters read 0 under Wine; each leak must be seen by
        // a counter that reads, and missed by none that reads.
        int seen = 0;
        for (Counter c : leak.seen_by) {
            const char* verdict = "sees it";
            if (count_of(r.before, c) <= 0 && count_of(r.after, c) <= 0)
                verdict = "reads 0 here, not proven";
            else if (!contains(r.grown, c))
                verdict = "MISSED IT", passed = false;
            else
                ++seen;
            std::printf("  %s: %s\n", counter_info(c).name, verdict);
        }
        if (seen == 0) passed = false;
    }
    std::printf("%.1f s\n%s\n", seconds_since(start),
                passed ? "PASS: nothing grew, and every counter that reads here saw its leak" : "FAIL");
    return passed ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const bool day = argc == 3 && std::strcmp(argv[1], "day") == 0 && std::atoi(argv[2]) > 0;
    const bool each = argc == 3 && std::strcmp(argv[1], "each") == 0 && std::atoi(argv[2]) > 0;
    const bool short_run = argc == 2 && std::strcmp(argv[1], "short") == 0;
    if (!day && !each && !short_run) {
        std::fprintf(stderr, "usage: soak day ROUNDS | soak each ROUNDS | soak short\n");
        return 2;
    }
    if (FAILED(OleInitialize(nullptr))) return 1;
    const std::string folder = fresh_folder();
    if (!technician_start(folder)) {
        std::fprintf(stderr, "soak: the program did not start (KV_TEST_COM names the dimmer's port)\n");
        return 1;
    }
    const int status = day ? run_day(std::atoi(argv[2])) : each ? run_each(std::atoi(argv[2])) : run_short();
    technician_stop();
    OleUninitialize();
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(std::u8string(folder.begin(), folder.end())), ignored);
    return status;
}
