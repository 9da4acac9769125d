// The error messages about a file the user named, with its path cut to 128
// characters so the message box stays readable.
#pragma once

#include <string>

#include "base/ui.h"

// format holds one "%s" for the path.
void show_file_error(WindowRef owner, const char* format, const std::string& path);
// "Fehler: Datei ... konnte nicht abgespeichert werden", after any save that failed.
void show_file_not_saved(WindowRef owner, const std::string& path);
