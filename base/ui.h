// The user-interface seam of the portable core: message boxes and the common
// file dialogs. The Windows program implements these with the real dialogs,
// kv310r-cli on the terminal, and tests with scripted answers; the choice is
// made at link time.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

using WindowRef = void*;  // an owner window (HWND in the Windows program), or null

// Message types and buttons, with the Windows values.
constexpr unsigned KV_MB_ERROR = 0x10;         // error icon, OK
constexpr unsigned KV_MB_INFO = 0x40;          // information icon, OK
constexpr unsigned KV_MB_QUESTION_YNC = 0x23;  // question icon, Yes / No / Cancel
constexpr int KV_IDOK = 1;
constexpr int KV_IDCANCEL = 2;
constexpr int KV_IDYES = 6;
constexpr int KV_IDNO = 7;

// Shows text (UTF-8) captioned "KV-310-R PC-Testprogramm"; returns the button.
int message_box(WindowRef owner, unsigned type, const std::string& text);

// A filter of the user's own in an open dialog, kept by the caller from one
// use of that dialog to the next; each dialog keeps its own.
struct CustomFilter {
    std::string label;
    std::string pattern;  // empty: none yet, and then none is shown
};

struct FileDialogRequest {
    bool save = false;  // save dialog (path must exist, asks before overwriting);
                        // otherwise open dialog (file and path must exist)
    std::string title;
    std::vector<std::pair<std::string, std::string>> filters;  // label, pattern
    int filter_index = 1;                                      // 1-based, as Windows counts
    std::string initial_name;
    std::string initial_dir;                // empty: none passed
    std::string default_ext;                // empty: none
    CustomFilter* custom_filter = nullptr;  // open dialog: its own, updated when a file is chosen
};

struct FileDialogResult {
    std::string path;
    int filter_index = 1;
};

// Nothing when the user cancelled.
std::optional<FileDialogResult> ask_file_name(WindowRef owner, const FileDialogRequest& request);
