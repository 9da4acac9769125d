// RS485 addresses given as a list with ranges, "1,2,5-8": the dimmers on one
// bus that a command goes to one after the other.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

constexpr uint32_t RS485_ADDRESS_MAX = 255;  // frames carry eight address bits

// The addresses in the order given, each once (a repeat is dropped). Blanks
// around the parts are allowed. Nothing when a part is not a number 0..255 or
// a range that runs upwards; `bad` then holds that part.
std::optional<std::vector<uint32_t>> parse_address_list(std::string_view text, std::string& bad);
