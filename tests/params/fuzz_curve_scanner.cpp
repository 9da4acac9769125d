// Any bytes as a user-curve text file: the scanner must keep its count and
// points in range, the curve it produces must print, and reading the text in
// blocks of any sizes (as the import reads a file) must give what the whole
// text at once gives.
#include "params/curve_text.h"

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string_view>

namespace {

// The bytes in blocks of random sizes, chosen from the input itself so that
// a failing input repeats its split.
CurveScanner scan_in_blocks(std::string_view bytes) {
    std::minstd_rand random(unsigned(std::hash<std::string_view>{}(bytes)));
    CurveScanner s;
    while (!bytes.empty()) {
        const size_t size =
            std::min(bytes.size(), size_t(random() % 40 == 0 ? 1 + random() % 1100 : 1 + random() % 8));
        if (!curve_scan_bytes(s, bytes.substr(0, size))) break;
        bytes.remove_prefix(size);
    }
    curve_scan_byte(s, ' ');
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const CurveImport r = import_curve_bytes(bytes);
    if (r.count < 0 || r.count > CURVE_POINTS) std::abort();
    if ((r.outcome == CurveImportOutcome::ok) != (r.count == CURVE_POINTS)) std::abort();
    for (int i = r.count; i < CURVE_POINTS; ++i)
        if (r.points[size_t(i)] != 0) std::abort();

    const CurveScanner blocks = scan_in_blocks(bytes);
    if (blocks.count != r.count || blocks.points != r.points) std::abort();

    if (curve_data_text(r.points.data()).size() > 2400) std::abort();
    return 0;
}
