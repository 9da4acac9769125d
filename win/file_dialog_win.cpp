// The common open and save dialogs for parameter files.
#include "win/message_box_win.h"
#include "port/utf16_win.h"

#include <windows.h>
#include <commdlg.h>

#include <vector>

namespace {

constexpr DWORD FILE_BUFFER_CHARS = 512;

// The open dialog's custom filter (what the user typed as a pattern), kept for
// the run like the filter index.
wchar_t g_custom_filter[512];

// "label\0pattern\0...\0\0"
std::wstring filter_text(const FileDialogRequest& request) {
    std::wstring text;
    for (const auto& [label, pattern] : request.filters) {
        text += widen(label);
        text.push_back(L'\0');
        text += widen(pattern);
        text.push_back(L'\0');
    }
    text.push_back(L'\0');
    return text;
}

}  // namespace

std::optional<FileDialogResult> show_file_dialog(WindowRef owner, const FileDialogRequest& request) {
    std::vector<wchar_t> file(FILE_BUFFER_CHARS, L'\0');
    std::wstring initial = widen(request.initial_name);
    initial.copy(file.data(), FILE_BUFFER_CHARS - 1);
    const std::wstring filters = filter_text(request);
    const std::wstring title = widen(request.title);
    const std::wstring dir = widen(request.initial_dir);
    const std::wstring ext = widen(request.default_ext);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = static_cast<HWND>(owner);
    ofn.lpstrFilter = filters.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(request.filter_index);
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = FILE_BUFFER_CHARS;
    ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
    BOOL chosen;
    if (request.save) {
        ofn.Flags |= OFN_OVERWRITEPROMPT;
        chosen = GetSaveFileNameW(&ofn);
    } else {
        ofn.lpstrCustomFilter = g_custom_filter;
        ofn.nMaxCustFilter = sizeof g_custom_filter / sizeof g_custom_filter[0];
        ofn.Flags |= OFN_FILEMUSTEXIST;
        chosen = GetOpenFileNameW(&ofn);
    }
    if (!chosen) return std::nullopt;
    return FileDialogResult{narrow(file.data()), static_cast<int>(ofn.nFilterIndex)};
}
