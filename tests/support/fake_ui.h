// The one stand-in for the message boxes and file dialogs of base/ui.h, used
// by every test folder. A test queues the answers the "user" will give and
// afterwards checks what was shown. Core tests link kv_fake_ui_seam, which
// answers base/ui.h with it; the window tests hook it into the Windows
// program's own message box and file dialog.
#pragma once

#include "base/ui.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

struct ShownMessage {
    WindowRef owner;
    unsigned type;
    std::string text;
};

struct FakeUi {
    // Answers, used front first. An empty message queue answers KV_IDOK, or
    // KV_IDNO to a question; an empty file-dialog queue cancels. Both count as
    // unscripted.
    std::deque<int> message_answers;
    std::deque<std::optional<FileDialogResult>> file_answers;

    std::vector<ShownMessage> messages;
    std::vector<FileDialogRequest> file_requests;
    int unscripted_calls = 0;
};

FakeUi& fake_ui();
void fake_ui_reset();

// Shorthands for queueing answers.
void fake_ui_answer(int button);
void fake_ui_choose_file(const std::string& path, int filter_index = 1);
void fake_ui_cancel_file_dialog();

// A message box or file dialog, recorded and answered from the script.
int fake_message_box(WindowRef owner, unsigned type, const std::string& text);
std::optional<FileDialogResult> fake_file_dialog(WindowRef owner, const FileDialogRequest& request);
