// Any bytes as a user-curve text file: the scanner must keep its count and
// points in range, and the curve it produces must print.
#include "params/curve_text.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const CurveImport r = import_curve_bytes(std::string_view(reinterpret_cast<const char*>(data), size));
    if (r.count < 0 || r.count > CURVE_POINTS) std::abort();
    if ((r.outcome == CurveImportOutcome::ok) != (r.count == CURVE_POINTS)) std::abort();
    for (int i = r.count; i < CURVE_POINTS; ++i)
        if (r.points[size_t(i)] != 0) std::abort();

    if (curve_data_text(r.points.data()).size() > 2400) std::abort();
    return 0;
}
