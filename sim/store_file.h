// The dimmer's parameter store and the program's parameter file: the store's
// first 596 bytes are the device parameter image of a parameter record.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "sim/device_model.h"

// Factory state: the default parameter set with both markers, zeros after it.
std::array<uint8_t, TRANSFER_IMAGE_SIZE> factory_store();

// Fills the store from a parameter file (zeros after the image). False when
// the file could not be read completely.
bool load_store(const std::string& path, uint8_t store[TRANSFER_IMAGE_SIZE]);

bool save_store(const std::string& path, const uint8_t store[TRANSFER_IMAGE_SIZE]);
