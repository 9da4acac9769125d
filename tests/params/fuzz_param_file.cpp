// Any bytes as a parameter file: reading must not crash, whatever it leaves in
// the record must be a validated record, and a complete file must survive
// being written and read again.
#include "params/param_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

static void put_file(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = (std::filesystem::temp_directory_path() /
                                     ("kv310r-fuzz-param-" + std::to_string(std::random_device{}()) + ".ini"))
                                        .string();
    put_file(path, std::string_view(reinterpret_cast<const char*>(data), size));
    ParameterRecord r;
    std::memset(&r, 0xEE, sizeof r);
    const bool ok = read_parameter_file(r, path);
    ParameterRecord again = r;
    validate_record(again);
    if (std::memcmp(&r, &again, sizeof r) != 0) std::abort();

    if (ok) {
        put_file(path, parameter_file_text(r));
        ParameterRecord back;
        if (!read_parameter_file(back, path)) std::abort();
        set_file_version(r, PARAM_FILE_VERSION);
        if (std::memcmp(&r, &back, sizeof r) != 0) std::abort();
    }
    std::remove(path.c_str());
    return 0;
}
