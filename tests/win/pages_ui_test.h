// What the page tests do as a user: type into an edit, leave it, click.
#pragma once

#include "tests/win/shell_fixture.h"

#include "params/record.h"

#include <string>
#include <vector>

// Focuses the edit, clears it and types text key by key.
void type_into(ShellTest& t, HWND page, int id, const std::string& text);
// Moves the focus off the page (to the tab strip), so an edit reports it lost it.
void leave(ShellTest& t);
// A mouse click on a button.
void click(ShellTest& t, HWND page, int id);
bool ticked(HWND page, int id);
// The record offsets where a and b differ.
std::vector<size_t> changed_bytes(const ParameterRecord& a, const ParameterRecord& b);
