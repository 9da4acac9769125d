// Message boxes: UTF-8 texts shown through the wide-character API, so umlauts
// and ß show whatever the system's code page.
#include "win/message_box_win.h"

#include "win/app_win.h"
#include "win/file_dialog_win.h"
#include "base/text.h"
#include "port/utf16_win.h"
#include "res/resource.h"

namespace {
// What replaces the real message box and file dialogs (null: nothing).
struct Hooks {
    MessageBoxHook message_box = nullptr;
    FileDialogHook file_dialog = nullptr;
};
Hooks g_hooks;

constexpr size_t MAX_TEXT_CHARS = 511;
constexpr int MAX_CAPTION_CHARS = 193;
}  // namespace

void set_message_box_hook(MessageBoxHook hook) { g_hooks.message_box = hook; }
void set_file_dialog_hook(FileDialogHook hook) { g_hooks.file_dialog = hook; }
FileDialogHook file_dialog_hook() { return g_hooks.file_dialog; }

std::wstring message_caption() {
    wchar_t buffer[MAX_CAPTION_CHARS + 1] = {};
    LoadStringW(app_instance(), IDS_CAPTION, buffer, MAX_CAPTION_CHARS + 1);
    return buffer;
}

int message_box(WindowRef owner, unsigned type, const std::string& text) {
    std::string shown = cut_chars(text, MAX_TEXT_CHARS);
    if (g_hooks.message_box) return g_hooks.message_box(owner, type, shown);
    return MessageBoxW(static_cast<HWND>(owner), widen(shown).c_str(), message_caption().c_str(), type);
}

void message_box_id(unsigned type, unsigned string_id) {
    wchar_t buffer[MAX_TEXT_CHARS + 1] = {};
    LoadStringW(app_instance(), string_id, buffer, MAX_TEXT_CHARS + 1);
    message_box(main_window(), type, narrow(buffer));
}

std::optional<FileDialogResult> ask_file_name(WindowRef owner, const FileDialogRequest& request) {
    if (g_hooks.file_dialog) return g_hooks.file_dialog(owner, request);
    return show_file_dialog(owner, request);
}
