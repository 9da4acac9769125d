#include "win/toolbar_images_win.h"

#include "win/image_scale.h"
#include "res/resource.h"

namespace {

constexpr uint32_t STRIP_BACKGROUND = 0xC0C0C0;  // light grey, the button face in the strip

HIMAGELIST g_list = nullptr;

int screen_dpi() {
    HDC dc = GetDC(nullptr);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

BITMAPINFO top_down_32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// The strip's pixels as 0xAARRGGBB, its light grey made transparent.
bool read_strip(HINSTANCE instance, ImageStrip& strip) {
    auto bitmap = static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDB_TOOLBAR), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap) return false;
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    strip = ImageStrip{TOOLBAR_IMAGE_WIDTH, info.bmHeight, TOOLBAR_IMAGE_COUNT, {}};
    strip.pixels.resize(size_t(info.bmWidth) * size_t(info.bmHeight));
    BITMAPINFO want = top_down_32(info.bmWidth, info.bmHeight);
    HDC dc = GetDC(nullptr);
    const int rows =
        GetDIBits(dc, bitmap, 0, UINT(info.bmHeight), strip.pixels.data(), &want, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(bitmap);
    if (rows != info.bmHeight || info.bmWidth != TOOLBAR_IMAGE_WIDTH * TOOLBAR_IMAGE_COUNT) return false;
    make_key_transparent(strip, STRIP_BACKGROUND);
    return true;
}

HIMAGELIST scaled_list(HINSTANCE instance, int width, int height) {
    ImageStrip strip;
    if (!read_strip(instance, strip)) return nullptr;
    ImageStrip scaled = scale_strip(strip, width, height);
    to_straight_alpha(scaled);
    BITMAPINFO info = top_down_32(width * scaled.count, height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    std::copy(scaled.pixels.begin(), scaled.pixels.end(), static_cast<uint32_t*>(bits));
    HIMAGELIST list = ImageList_Create(width, height, ILC_COLOR32, scaled.count, 0);
    if (list && ImageList_Add(list, bitmap, nullptr) < 0) {
        ImageList_Destroy(list);
        list = nullptr;
    }
    DeleteObject(bitmap);
    return list;
}

}  // namespace

ToolbarImages toolbar_images(HINSTANCE instance) {
    const int dpi = screen_dpi();
    const int width = scale_for_dpi(TOOLBAR_IMAGE_WIDTH, dpi),
              height = scale_for_dpi(TOOLBAR_IMAGE_HEIGHT, dpi);
    const ToolbarImages plain{TOOLBAR_IMAGE_WIDTH, TOOLBAR_IMAGE_HEIGHT, nullptr};
    if (width == plain.width && height == plain.height) return plain;
    if (!g_list) g_list = scaled_list(instance, width, height);
    return g_list ? ToolbarImages{width, height, g_list} : plain;
}
