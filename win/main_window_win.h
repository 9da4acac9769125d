// The main window of kv310r.exe: its window class, and the toolbar it holds
// above the tab control and the status bar.
#pragma once

#include <windows.h>

constexpr wchar_t MAIN_CLASS_NAME[] = L"Kv310rXPAppClass";

// Registers the main window's class (with the program's icon and menu); true
// also when it is registered already.
bool main_window_register_class(HINSTANCE instance);

HWND tool_bar();
