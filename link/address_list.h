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

// "Ungültige RS485-Adresse: 1-300": the message for a list that does not
// parse, naming its bad part (or the whole text when no part is to blame).
std::string bad_address_text(std::string_view text, std::string_view bad);

// The list written back in its shortest form, runs of three or more as
// ranges: {1, 2, 3, 4, 7, 9, 10} gives "1-4,7,9,10". parse_address_list reads
// it back as the same list.
std::string address_list_text(const std::vector<uint32_t>& addresses);

// The parameter file of one of several dimmers: "Anlage.ini" for address 2 is
// "Anlage-2.ini"; a name without extension gets ".ini".
std::string file_for_address(const std::string& path, uint32_t address);
