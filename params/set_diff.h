// What differs between two parameter sets, in the words of the pages: one
// line per field ("Grundeinstellung, Dimmer 1, CD = 10, Minimum 0-100%: 0 ->
// 20"), then one per user curve ("Userkurve 1: 37 Punkte verschieden (erste:
// 12)"). Only what the pages show counts; the reserved bytes do not.
#pragma once

#include "params/record.h"

#include <string>
#include <vector>

std::vector<std::string> parameter_set_differences(const ParameterRecord& a, const ParameterRecord& b);
