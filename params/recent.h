// The list of recently used parameter files shown at the end of the menu
// "&Parameterdatei" and kept in section "FOP" of the settings file.
//
// Ten entries; entries with a path come first, sorted by path in byte order,
// so the menu is alphabetical. Each entry's age counts the files added since
// it was added itself; a full list drops the oldest entry. Menu entry i (from
// 0) has the command RECENT_FIRST_COMMAND + i.
#pragma once

#include <array>
#include <cstdint>
#include <string>

constexpr int RECENT_COUNT = 10;
constexpr int RECENT_FIRST_COMMAND = 21020;
constexpr uint32_t RECENT_KIND_PARAMETER_FILE = 1;  // the only kind in use
constexpr uint32_t RECENT_MAX_AGE = 0x7FFF;
constexpr size_t RECENT_MAX_PATH = 511;  // characters; longer paths are not listed

struct RecentEntry {
    uint32_t kind = 0;
    uint32_t age = 0;
    std::string path;  // empty: unused slot
};

// Reads the list from the settings file; the list is usable from then on.
void recent_load();
// Writes the list back (section "FOP" rewritten), only when it has changed.
void recent_save();

// Adds a file just opened or saved. False when nothing changed: list not
// loaded, path empty or too long, or already listed (letter case ignored).
bool recent_add(const std::string& path, uint32_t kind, uint32_t age);
// Removes the entry with exactly this path. False when there is none.
bool recent_remove(const std::string& path);

const std::array<RecentEntry, RECENT_COUNT>& recent_entries();
bool recent_is_ready();

// The menu needs rebuilding after a change; the menu code clears the flag
// once it has put the entries in.
bool recent_menu_outdated();
void recent_menu_rebuilt();

// Menu text of entry `index` (from 0): "&<index+1> " and the path, or for a
// path of more than 64 characters the part from its last backslash on; cut to
// 64 characters with "..." appended when longer.
std::string recent_menu_label(int index, const std::string& path);

// Back to the state before recent_load (for tests).
void recent_reset();
