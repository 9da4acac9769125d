// The common open and save dialogs of Windows, as base/ui.h asks for them.
#pragma once

#include "base/ui.h"

#include <optional>

std::optional<FileDialogResult> show_file_dialog(WindowRef owner, const FileDialogRequest& request);
