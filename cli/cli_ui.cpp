// The user-interface seam for the command line: messages go to the terminal,
// errors to stderr; there are no file dialogs (every path is an argument).
#include "cli/cli_ui.h"

#include "base/ui.h"

#include "cli/cli_ui.h"

#include <cstdio>

namespace {

std::vector<std::string>* g_gathered = nullptr;
bool g_info_to_stderr = false;

}  // namespace

void cli_gather_messages(std::vector<std::string>* into) { g_gathered = into; }

void cli_info_to_stderr() { g_info_to_stderr = true; }

int message_box(WindowRef, unsigned type, const std::string& text) {
    if (g_gathered) {
        g_gathered->push_back(text);
    } else {
        std::FILE* out = (type == KV_MB_ERROR || g_info_to_stderr) ? stderr : stdout;
        std::fprintf(out, "%s\n", text.c_str());
        std::fflush(out);
    }
    // Questions are never asked on the command line: the caller's safe choice is Cancel.
    return type == KV_MB_QUESTION_YNC ? KV_IDCANCEL : KV_IDOK;
}

std::optional<FileDialogResult> ask_file_name(WindowRef, const FileDialogRequest&) { return std::nullopt; }
