#include "tests/support/fake_ui.h"

FakeUi& fake_ui() {
    static FakeUi ui;
    return ui;
}

void fake_ui_reset() { fake_ui() = FakeUi{}; }

void fake_ui_answer(int button) { fake_ui().message_answers.push_back(button); }

void fake_ui_choose_file(const std::string& path, int filter_index) {
    fake_ui().file_answers.push_back(FileDialogResult{path, filter_index});
}

void fake_ui_cancel_file_dialog() { fake_ui().file_answers.push_back(std::nullopt); }

int fake_message_box(WindowRef owner, unsigned type, const std::string& text) {
    FakeUi& ui = fake_ui();
    ui.messages.push_back({owner, type, text});
    if (ui.message_answers.empty()) {
        ++ui.unscripted_calls;
        return type == KV_MB_QUESTION_YNC ? KV_IDNO : KV_IDOK;
    }
    const int answer = ui.message_answers.front();
    ui.message_answers.pop_front();
    return answer;
}

std::optional<FileDialogResult> fake_file_dialog(WindowRef, const FileDialogRequest& request) {
    FakeUi& ui = fake_ui();
    ui.file_requests.push_back(request);
    if (ui.file_answers.empty()) {
        ++ui.unscripted_calls;
        return std::nullopt;
    }
    std::optional<FileDialogResult> answer = ui.file_answers.front();
    ui.file_answers.pop_front();
    return answer;
}
