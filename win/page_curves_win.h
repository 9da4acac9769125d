// The "Userkurve 1 und 2" page (template IDD_PAGE_CURVES), long known as
// KvDlg_UserTab: both user curves of the live record as plots and as number
// lists, and the import of a curve from a text file.
#pragma once

#include <windows.h>

#include <cstdint>

INT_PTR CALLBACK page_curves_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// One curve plot drawn into a context of the given pixel size (pixel mapping
// set).
void draw_curve_plot(HDC dc, int width, int height, const uint8_t* curve);
// The import of a text file into curve 0 or 1 through the open-file dialog,
// reporting a failure.
void import_curve_text(int curve);

// The last imported curve file, kept in the settings ("CHARIMP"/"FILE").
void import_file_load();
void import_file_store();
