#include "win/file_dialog_win.h"

#include "port/utf16_win.h"

#include <windows.h>
#include <commdlg.h>

#include <cwchar>
#include <vector>

namespace {

constexpr DWORD FILE_BUFFER_CHARS = 512;
constexpr DWORD CUSTOM_FILTER_CHARS = 512;

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

// The custom filter as the dialog keeps it: "label\0pattern\0", with two more
// zeros the dialog never writes, so the text always ends.
std::vector<wchar_t> custom_filter_buffer(const CustomFilter& filter) {
    std::vector<wchar_t> buffer(CUSTOM_FILTER_CHARS + 2, L'\0');
    std::wstring text = widen(filter.label);
    text.push_back(L'\0');
    text += widen(filter.pattern);
    text.copy(buffer.data(), CUSTOM_FILTER_CHARS - 1);
    return buffer;
}

CustomFilter custom_filter_from(const std::vector<wchar_t>& buffer) {
    const wchar_t* label = buffer.data();
    const wchar_t* pattern = label + wcslen(label) + 1;
    return CustomFilter{narrow(label), narrow(pattern)};
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
    // A custom filter goes to the dialog only once it has a pattern. The
    // dialog takes an empty one as a filter all the same: Wine then fills no
    // filter list and shows every file, whatever filter index was asked for.
    CustomFilter* custom = request.save ? nullptr : request.custom_filter;
    if (custom && custom->pattern.empty()) custom = nullptr;
    std::vector<wchar_t> custom_buffer;
    if (custom) {
        custom_buffer = custom_filter_buffer(*custom);
        ofn.lpstrCustomFilter = custom_buffer.data();
        ofn.nMaxCustFilter = CUSTOM_FILTER_CHARS;
    }
    BOOL chosen;
    if (request.save) {
        ofn.Flags |= OFN_OVERWRITEPROMPT;
        chosen = GetSaveFileNameW(&ofn);
    } else {
        ofn.Flags |= OFN_FILEMUSTEXIST;
        chosen = GetOpenFileNameW(&ofn);
    }
    if (!chosen) return std::nullopt;
    if (custom) *custom = custom_filter_from(custom_buffer);  // the pattern last in effect
    return FileDialogResult{narrow(file.data()), static_cast<int>(ofn.nFilterIndex)};
}
