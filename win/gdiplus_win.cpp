#include "win/gdiplus_win.h"

GdiplusApi g_gdiplus{};
int g_gdiplus_available = 0;

namespace {

// The library while it is loaded, and GDI+'s token once it has started.
struct Library {
    HMODULE module = nullptr;
    ULONG_PTR token = 0;
};
Library g_library;

struct StartupInput {
    UINT32 version = 1;
    void* debug_callback = nullptr;
    BOOL suppress_background_thread = FALSE;
    BOOL suppress_external_codecs = FALSE;
};

template <typename F>
bool bind(F& slot, const char* name) {
    FARPROC p = GetProcAddress(g_library.module, name);
    if (!p) return false;
    slot = reinterpret_cast<F>(reinterpret_cast<void*>(p));
    return true;
}

// Looked up in this order; the first one missing stops the binding.
bool bind_all() {
    GdiplusApi& a = g_gdiplus;
    return bind(a.Startup, "GdiplusStartup") && bind(a.Shutdown, "GdiplusShutdown") &&
           bind(a.CreateFromHDC, "GdipCreateFromHDC") && bind(a.DrawLine, "GdipDrawLine") &&
           bind(a.DrawLineI, "GdipDrawLineI") && bind(a.DrawLines, "GdipDrawLines") &&
           bind(a.DrawLinesI, "GdipDrawLinesI") && bind(a.DrawBezierI, "GdipDrawBezierI") &&
           bind(a.DrawBeziersI, "GdipDrawBeziersI") && bind(a.SetSmoothingMode, "GdipSetSmoothingMode") &&
           bind(a.CreatePen1, "GdipCreatePen1") && bind(a.DeletePen, "GdipDeletePen") &&
           bind(a.SetPenStartCap, "GdipSetPenStartCap") && bind(a.SetPenEndCap, "GdipSetPenEndCap") &&
           bind(a.SetPenLineJoin, "GdipSetPenLineJoin") && bind(a.DeleteGraphics, "GdipDeleteGraphics");
}

}  // namespace

int gdiplus_load() {
    if (g_library.module) return 1;
    g_gdiplus_available = 0;
    g_gdiplus = GdiplusApi{};
    g_library.module = LoadLibraryW(L"GdiPlus.dll");
    if (!g_library.module) return 0;
    if (!bind_all()) return 0;  // the library stays loaded, unusable
    StartupInput input;
    if (g_gdiplus.Startup(&g_library.token, &input, nullptr) == 0) g_gdiplus_available = 1;
    return 1;
}

void gdiplus_unload() {
    if (!g_library.module) return;
    if (g_gdiplus_available) g_gdiplus.Shutdown(g_library.token);
    FreeLibrary(g_library.module);
    g_library.module = nullptr;
    g_library.token = 0;
    g_gdiplus_available = 0;
    g_gdiplus = GdiplusApi{};
}
