// A capture as a CSV file: a head of "#" lines with the description, current
// range, the two times and the peak current, then one line per sample (time
// in ms, voltage in V, current in A, ";" between, "." as the decimal point).
// kv310r-cli writes it with "scope -o", the oscilloscope page from its plot's
// context menu.
#pragma once

#include <string>

#include "base/ui.h"
#include "measure/scope.h"

std::string capture_csv(const ScopeCapture& capture, const ScopeSettings& displayed);

// Replaces the file atomically with the capture's CSV text. On failure shows
// "Fehler: Datei ... konnte nicht abgespeichert werden" owned by owner and
// leaves an existing file as it was.
bool save_capture_csv(WindowRef owner, const std::string& path, const ScopeCapture& capture,
                      const ScopeSettings& displayed);
