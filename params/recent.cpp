#include "params/recent.h"

#include <algorithm>
#include <string_view>

#include "base/settings.h"
#include "base/text.h"

namespace {

struct RecentList {
    std::array<RecentEntry, RECENT_COUNT> entries;
    bool ready = false;
    bool menu_outdated = false;
    bool changed = false;
};

RecentList g_recent;

// One byte of a path with its letter case folded: ASCII letters, and the
// second byte of the UTF-8 Latin-1 capitals (À..Þ without ×), which covers
// the German umlauts. Windows file names ignore case in both.
unsigned char fold_at(std::string_view s, size_t i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + ('a' - 'A'));
    if (i > 0 && static_cast<unsigned char>(s[i - 1]) == 0xC3 && c >= 0x80 && c <= 0x9E && c != 0x97)
        return static_cast<unsigned char>(c + 0x20);
    return c;
}

bool same_path_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (fold_at(a, i) != fold_at(b, i)) return false;
    return true;
}

uint32_t limited_age(uint32_t age) {
    // Ages are stored as signed numbers; a negative one counts as 0.
    int32_t signed_age = static_cast<int32_t>(age);
    return static_cast<uint32_t>(std::clamp<int32_t>(signed_age, 0, static_cast<int32_t>(RECENT_MAX_AGE)));
}

// The slot for a new entry when all ten are in use: the oldest entry of the
// same kind once that kind holds five or more, else the oldest of the other
// kinds; on equal ages the later entry.
size_t slot_to_replace(uint32_t kind) {
    auto& e = g_recent.entries;
    int same_kind = static_cast<int>(
        std::count_if(e.begin(), e.end(), [kind](const RecentEntry& r) { return r.kind == kind; }));
    bool pick_same = same_kind >= 5;
    size_t slot = 0;
    bool found = false;
    for (size_t i = 0; i < e.size(); ++i) {
        if ((e[i].kind == kind) != pick_same) continue;
        if (!found || e[i].age >= e[slot].age) {
            slot = i;
            found = true;
        }
    }
    return slot;
}

void sort_entries() {
    std::stable_sort(g_recent.entries.begin(), g_recent.entries.end(),
                     [](const RecentEntry& a, const RecentEntry& b) {
                         if (a.path.empty() || b.path.empty()) return !a.path.empty() && b.path.empty();
                         return a.path < b.path;  // byte order, letter case counts
                     });
}

bool add_entry(const std::string& path, uint32_t kind, uint32_t age, bool age_others) {
    // The limit is the stored file's: 511 characters, whatever UTF-8 makes of them.
    if (!g_recent.ready || path.empty() || cut_chars(path, RECENT_MAX_PATH).size() < path.size())
        return false;
    auto& e = g_recent.entries;
    for (const RecentEntry& r : e)
        if (same_path_ignoring_case(r.path, path)) return false;

    auto free_slot = std::find_if(e.begin(), e.end(), [](const RecentEntry& r) { return r.path.empty(); });
    size_t slot = free_slot != e.end() ? static_cast<size_t>(free_slot - e.begin()) : slot_to_replace(kind);
    if (age_others)
        for (RecentEntry& r : e)
            if (!r.path.empty() && r.age < RECENT_MAX_AGE) ++r.age;
    e[slot] = RecentEntry{kind, limited_age(age), path};
    sort_entries();
    g_recent.menu_outdated = true;
    return true;
}

std::string key_name(const char* prefix, int n) {
    std::string key = prefix;
    key += std::to_string(n);
    return key;
}

}  // namespace

void recent_load() {
    g_recent = RecentList{};
    g_recent.ready = true;
    for (int n = RECENT_COUNT; n >= 1; --n) {
        std::string path;
        settings_read_text("FOP", key_name("FOP", n).c_str(), path, RECENT_MAX_PATH + 1);
        if (settings_read_int("FOP", key_name("TOP", n).c_str(), 0) !=
            static_cast<int32_t>(RECENT_KIND_PARAMETER_FILE))
            continue;  // other kinds are dropped
        int32_t age = settings_read_int("FOP", key_name("COP", n).c_str(), 0);
        // The stored ages are taken as they are: ageing the entries already
        // read at every load would make the alphabetically last files look
        // oldest after a restart, and a full list would drop the wrong one.
        add_entry(path, RECENT_KIND_PARAMETER_FILE, static_cast<uint32_t>(age), false);
    }
    g_recent.menu_outdated = true;
    g_recent.changed = false;
}

void recent_save() {
    if (!g_recent.ready || !g_recent.changed) return;
    settings_write_text("FOP", nullptr, nullptr);
    for (int i = 0; i < RECENT_COUNT && !g_recent.entries[i].path.empty(); ++i) {
        const RecentEntry& r = g_recent.entries[i];
        settings_write_text("FOP", key_name("FOP", i + 1).c_str(), r.path.c_str());
        settings_write_int("FOP", key_name("TOP", i + 1).c_str(), static_cast<int32_t>(r.kind));
        settings_write_int("FOP", key_name("COP", i + 1).c_str(), static_cast<int32_t>(r.age));
    }
    g_recent.changed = false;
}

bool recent_add(const std::string& path, uint32_t kind, uint32_t age) {
    if (!add_entry(path, kind, age, true)) return false;
    g_recent.changed = true;
    return true;
}

bool recent_remove(const std::string& path) {
    if (!g_recent.ready) return false;
    auto& e = g_recent.entries;
    auto it = std::find_if(e.begin(), e.end(),
                           [&](const RecentEntry& r) { return !r.path.empty() && r.path == path; });
    if (it == e.end()) return false;
    std::move(it + 1, e.end(), it);
    e.back() = RecentEntry{};
    g_recent.menu_outdated = true;
    g_recent.changed = true;
    return true;
}

const std::array<RecentEntry, RECENT_COUNT>& recent_entries() { return g_recent.entries; }

bool recent_is_ready() { return g_recent.ready; }

bool recent_menu_outdated() { return g_recent.menu_outdated; }

void recent_menu_rebuilt() { g_recent.menu_outdated = false; }

std::string recent_menu_label(int index, const std::string& path) {
    constexpr size_t max_chars = 64;
    std::string_view text = path;
    size_t backslash = text.rfind('\\');
    if (cut_chars(text, max_chars).size() < text.size() && backslash != std::string_view::npos)
        text = text.substr(backslash);
    std::string shown = cut_chars(text, max_chars);
    std::string label = "&";
    label += std::to_string(index + 1);
    label += ' ';
    label += shown;
    if (shown.size() < text.size()) label += "...";
    return label;
}

void recent_reset() { g_recent = RecentList{}; }
