#include "sim/store_file.h"

#include <cstring>

#include "params/param_file.h"
#include "params/record.h"

std::array<uint8_t, TRANSFER_IMAGE_SIZE> factory_store() {
    ParameterRecord record;
    apply_defaults(record);
    std::array<uint8_t, TRANSFER_IMAGE_SIZE> store{};
    std::memcpy(store.data(), device_image(record), DEVICE_IMAGE_SIZE);
    return store;
}

bool load_store(const std::string& path, uint8_t store[TRANSFER_IMAGE_SIZE]) {
    ParameterRecord record;
    if (!read_parameter_file(record, path)) return false;
    std::memset(store, 0, TRANSFER_IMAGE_SIZE);
    std::memcpy(store, device_image(record), DEVICE_IMAGE_SIZE);
    return true;
}

bool save_store(const std::string& path, const uint8_t store[TRANSFER_IMAGE_SIZE]) {
    ParameterRecord record{};
    set_file_version(record, PARAM_FILE_VERSION);
    std::memcpy(device_image(record), store, DEVICE_IMAGE_SIZE);
    return write_parameter_file(record, path);
}
