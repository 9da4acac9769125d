// Message boxes and file dialogs of the Windows program, with hooks that
// replace them (the UI tests answer them this way).
#pragma once

#include "base/ui.h"

#include <optional>

using MessageBoxHook = int (*)(WindowRef owner, unsigned type, const std::string& text);
using FileDialogHook = std::optional<FileDialogResult> (*)(WindowRef owner, const FileDialogRequest& request);
// Null restores the real message box or dialog.
void set_message_box_hook(MessageBoxHook hook);
void set_file_dialog_hook(FileDialogHook hook);
FileDialogHook file_dialog_hook();

// A message from the string table, owned by the main window (none before it
// exists).
void message_box_id(unsigned type, unsigned string_id);
// The caption of every message box: string 1.
std::wstring message_caption();
