// Reporting what went wrong with a file the user named: each message is shown
// with the error icon through the user-interface seam (base/ui.h), its path
// cut to MESSAGE_PATH_CHARS characters so the message box stays readable. The
// texts are built here (the curve import's in curve_text.cpp) and nowhere
// else; the program's commands, its pages and kv310r-cli report through these.
#pragma once

#include <cstddef>
#include <string>

#include "base/ui.h"
#include "params/curve_text.h"

constexpr size_t MESSAGE_PATH_CHARS = 128;

// "Fehler: Datei ... ist nicht lesbar": missing, or no name at all.
void report_file_not_readable(WindowRef owner, const std::string& path);
// "Fehler: Datei ... ist nicht vollständig": a parameter file without every key.
void report_file_incomplete(WindowRef owner, const std::string& path);
// "Fehler: Datei ... konnte nicht abgespeichert werden", after any save that failed.
void report_file_not_saved(WindowRef owner, const std::string& path);
// Its text, for a failed save that is reported in a list rather than a box.
std::string file_not_saved_message(const std::string& path);
// The message of a failed curve import (curve_import_message); nothing for success.
void report_curve_import_error(WindowRef owner, const CurveImport& result, const std::string& path);
