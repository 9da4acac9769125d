// The four fields of the main window's status bar: "Parameterdatei", the file
// name, "KV-310-R-Anschluss", port and address.
#pragma once

#include <array>

constexpr int STATUS_FIELD_FILE_LABEL = 0;
constexpr int STATUS_FIELD_FILE_NAME = 1;
constexpr int STATUS_FIELD_PORT_LABEL = 2;
constexpr int STATUS_FIELD_PORT = 3;

// Right edges of the four fields for a window `client_width` pixels wide whose
// wider label needs `label_width` pixels. Each half of the bar starts with its
// label; when a label would take half the bar, the labels go.
std::array<int, 4> status_field_edges(int label_width, int client_width);
