// Scripted stand-in for the message boxes and file dialogs of app/ui.h. A test
// queues the answers the "user" will give and afterwards checks what was shown.
#pragma once

#include "base/ui.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

struct ShownMessage {
    unsigned type;
    std::string text;
};

struct FakeUi {
    // Answers, used front first. An empty message queue answers KV_IDOK; an
    // empty file-dialog queue cancels. Both count as unscripted.
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
