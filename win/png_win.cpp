#include "win/png_win.h"

#include "win/gdiplus_win.h"

#include <ole2.h>

namespace {

// GDI+'s built-in PNG encoder.
const CLSID PNG_ENCODER = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

using CreateBitmapFromHBITMAP = GpStatus(WINAPI*)(HBITMAP bitmap, HPALETTE palette, void** image);
using SaveImageToStream = GpStatus(WINAPI*)(void* image, IStream* stream, const CLSID* encoder,
                                            const void* parameters);
using DisposeImage = GpStatus(WINAPI*)(void* image);

// The image functions are looked up only here: the plots do without them, so
// GDI+ counts as loaded whether or not they exist.
template <typename F>
F entry(const char* name) {
    HMODULE library = GetModuleHandleW(L"GdiPlus.dll");
    return library ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

std::optional<std::string> stream_bytes(IStream* stream) {
    STATSTG stat{};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart > 0x7fffffff)
        return std::nullopt;
    std::string bytes(size_t(stat.cbSize.QuadPart), '\0');
    LARGE_INTEGER start{};
    ULONG read = 0;
    if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)) ||
        FAILED(stream->Read(bytes.data(), ULONG(bytes.size()), &read)) || read != bytes.size())
        return std::nullopt;
    return bytes;
}

}  // namespace

std::optional<std::string> png_from_bitmap(HBITMAP bitmap) {
    if (!g_gdiplus_available || !bitmap) return std::nullopt;
    const auto create = entry<CreateBitmapFromHBITMAP>("GdipCreateBitmapFromHBITMAP");
    const auto save = entry<SaveImageToStream>("GdipSaveImageToStream");
    const auto dispose = entry<DisposeImage>("GdipDisposeImage");
    if (!create || !save || !dispose) return std::nullopt;
    void* image = nullptr;
    if (create(bitmap, nullptr, &image) != 0) return std::nullopt;
    std::optional<std::string> bytes;
    IStream* stream = nullptr;
    if (SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) {
        if (save(image, stream, &PNG_ENCODER, nullptr) == 0) bytes = stream_bytes(stream);
        stream->Release();
    }
    dispose(image);
    return bytes;
}
