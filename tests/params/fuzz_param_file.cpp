// Any bytes as a parameter file: reading must not crash, whatever it leaves in
// the record must be a validated record, and a complete file saved over
// itself must read back as the same record.
#include "params/param_file.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

bool same(const ParameterRecord& a, const ParameterRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ParameterRecord r;
    std::memset(&r, 0xEE, sizeof r);
    const bool ok = read_parameter_text(r, text);
    ParameterRecord again = r;
    validate_record(again);
    check(same(r, again));
    if (!ok) return 0;

    // A complete file, saved over itself (its other sections and keys kept),
    // reads back as the same record, now with the current version.
    set_file_version(r, PARAM_FILE_VERSION);
    ParameterRecord back;
    check(read_parameter_text(back, parameter_file_update(r, text)));
    check(same(r, back));
    return 0;
}
