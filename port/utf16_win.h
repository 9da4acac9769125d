// UTF-8 inside the program, UTF-16 at the Win32 boundary.
#pragma once

#include <string>
#include <string_view>

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);
