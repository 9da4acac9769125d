#include "win/image_scale.h"

#include <cstddef>

namespace {

// How much of source pixel i (covering [i, i + 1)) lies in the target pixel
// covering [start, end), all in source units times the target size.
int64_t overlap(int64_t i_scaled_start, int64_t i_scaled_end, int64_t start, int64_t end) {
    const int64_t a = i_scaled_start > start ? i_scaled_start : start;
    const int64_t b = i_scaled_end < end ? i_scaled_end : end;
    return b > a ? b - a : 0;
}

}  // namespace

void make_key_transparent(ImageStrip& strip, uint32_t key_rgb) {
    for (uint32_t& p : strip.pixels) p = (p & 0xFFFFFFu) == (key_rgb & 0xFFFFFFu) ? 0 : (p | 0xFF000000u);
}

ImageStrip scale_strip(const ImageStrip& strip, int cell_width, int height) {
    ImageStrip out{cell_width, height, strip.count, {}};
    if (cell_width <= 0 || height <= 0 || strip.cell_width <= 0 || strip.height <= 0) return out;
    const int sw = strip.cell_width, sh = strip.height;
    const int source_row = sw * strip.count, target_row = cell_width * strip.count;
    out.pixels.assign(size_t(target_row) * size_t(height), 0);
    // Target pixel (x, y) covers source [x * sw / cw, (x + 1) * sw / cw); in
    // units of 1 / (cw * ch) of a source pixel everything stays integral.
    for (int n = 0; n < strip.count; ++n)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < cell_width; ++x) {
                uint64_t sum[4] = {0, 0, 0, 0};
                for (int sy = int(int64_t(y) * sh / height);
                     sy < sh && int64_t(sy) * height < int64_t(y + 1) * sh; ++sy) {
                    const int64_t wy = overlap(int64_t(sy) * height, int64_t(sy + 1) * height,
                                               int64_t(y) * sh, int64_t(y + 1) * sh);
                    for (int sx = int(int64_t(x) * sw / cell_width);
                         sx < sw && int64_t(sx) * cell_width < int64_t(x + 1) * sw; ++sx) {
                        const int64_t wx = overlap(int64_t(sx) * cell_width, int64_t(sx + 1) * cell_width,
                                                   int64_t(x) * sw, int64_t(x + 1) * sw);
                        const uint32_t p =
                            strip.pixels[size_t(sy) * size_t(source_row) + size_t(n * sw + sx)];
                        for (int c = 0; c < 4; ++c) sum[c] += uint64_t(wx * wy) * ((p >> (8 * c)) & 0xFF);
                    }
                }
                const uint64_t total = uint64_t(sw) * uint64_t(sh);  // the area of one target pixel
                uint32_t q = 0;
                for (int c = 0; c < 4; ++c) q |= uint32_t((sum[c] + total / 2) / total) << (8 * c);
                out.pixels[size_t(y) * size_t(target_row) + size_t(n * cell_width + x)] = q;
            }
    return out;
}

void to_straight_alpha(ImageStrip& strip) {
    for (uint32_t& p : strip.pixels) {
        const uint32_t a = p >> 24;
        if (a == 0 || a == 255) continue;
        uint32_t q = a << 24;
        for (int c = 0; c < 3; ++c) {
            const uint32_t v = ((p >> (8 * c)) & 0xFF) * 255 + a / 2;
            q |= (v / a > 255 ? 255 : v / a) << (8 * c);
        }
        p = q;
    }
}

int scale_for_dpi(int size_at_96, int dpi) { return (size_at_96 * dpi + 48) / 96; }
