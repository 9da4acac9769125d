// base/ui.h answered by the fake, for tests of the core and the apps' code
// that has no Windows program behind it.
#include "tests/support/fake_ui.h"

int message_box(WindowRef owner, unsigned type, const std::string& text) {
    return fake_message_box(owner, type, text);
}

std::optional<FileDialogResult> ask_file_name(WindowRef owner, const FileDialogRequest& request) {
    return fake_file_dialog(owner, request);
}
