#include "win/status_fields.h"

std::array<int, 4> status_field_edges(int label_width, int client_width) {
    const int half = client_width / 2;
    if (label_width < half) return {label_width, half, half + label_width, client_width};
    return {half, half, client_width, client_width};
}
