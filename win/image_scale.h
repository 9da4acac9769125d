// Scaling the toolbar's images to the size a high DPI setting asks for, once
// at start-up: each image of a strip on its own, by area averaging, so edges
// come out smooth and no image bleeds into its neighbour.
#pragma once

#include <cstdint>
#include <vector>

// Pixels as 0xAARRGGBB, alpha premultiplied, rows top-down.
struct ImageStrip {
    int cell_width = 0;  // one image
    int height = 0;
    int count = 0;                 // images side by side
    std::vector<uint32_t> pixels;  // (cell_width * count) x height
};

// Every pixel of the key colour (alpha ignored) becomes fully transparent,
// every other one opaque.
void make_key_transparent(ImageStrip& strip, uint32_t key_rgb);

// Each image scaled to cell_width x height.
ImageStrip scale_strip(const ImageStrip& strip, int cell_width, int height);

// Premultiplied to straight alpha, as image lists and icons keep their pixels.
void to_straight_alpha(ImageStrip& strip);

// An image size at dpi, from its size at 96 dpi (rounded to the nearest pixel).
int scale_for_dpi(int size_at_96, int dpi);
