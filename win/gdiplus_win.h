// GDI+ bound at run time by name, for anti-aliased plot lines. Without it the
// plots use plain GDI: g_gdiplus_available stays 0.
#pragma once

#include <windows.h>

// GDI+ flat API types, as far as the plots need them.
using GpStatus = int;
struct GpPointF {
    float x, y;
};
struct GpPoint {
    INT x, y;
};

struct GdiplusApi {
    GpStatus(WINAPI* Startup)(ULONG_PTR* token, const void* input, void* output);
    void(WINAPI* Shutdown)(ULONG_PTR token);
    GpStatus(WINAPI* CreateFromHDC)(HDC dc, void** graphics);
    GpStatus(WINAPI* DrawLine)(void* graphics, void* pen, float x1, float y1, float x2, float y2);
    GpStatus(WINAPI* DrawLineI)(void* graphics, void* pen, INT x1, INT y1, INT x2, INT y2);
    GpStatus(WINAPI* DrawLines)(void* graphics, void* pen, const GpPointF* points, INT count);
    GpStatus(WINAPI* DrawLinesI)(void* graphics, void* pen, const GpPoint* points, INT count);
    GpStatus(WINAPI* DrawBezierI)(void* graphics, void* pen, INT x1, INT y1, INT x2, INT y2, INT x3, INT y3,
                                  INT x4, INT y4);
    GpStatus(WINAPI* DrawBeziersI)(void* graphics, void* pen, const GpPoint* points, INT count);
    GpStatus(WINAPI* SetSmoothingMode)(void* graphics, int mode);
    GpStatus(WINAPI* CreatePen1)(DWORD argb, float width, int unit, void** pen);
    GpStatus(WINAPI* DeletePen)(void* pen);
    GpStatus(WINAPI* SetPenStartCap)(void* pen, int cap);
    GpStatus(WINAPI* SetPenEndCap)(void* pen, int cap);
    GpStatus(WINAPI* SetPenLineJoin)(void* pen, int join);
    GpStatus(WINAPI* DeleteGraphics)(void* graphics);
};

extern GdiplusApi g_gdiplus;
// 1 only after "GdiplusStartup" succeeded.
extern int g_gdiplus_available;

// Loads "GdiPlus.dll", binds its entry points and starts it. 0 when the
// library cannot be loaded or an entry point is missing; 1 at once when it is
// already loaded.
int gdiplus_load();
void gdiplus_unload();
