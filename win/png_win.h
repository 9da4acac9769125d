// A bitmap as the bytes of a PNG file, encoded by GDI+. Nothing when GDI+ is
// not loaded or cannot encode it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

std::optional<std::string> png_from_bitmap(HBITMAP bitmap);
