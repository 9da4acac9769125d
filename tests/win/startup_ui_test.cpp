// Start-up checks of the program's entry: one instance only, and GDI+ bound
// by name when the system has it.
#include "tests/win/shell_fixture.h"

#include "win/gdiplus_win.h"

namespace {

// Every entry point the plots use, in binding order.
std::vector<const void*> entry_points() {
    const GdiplusApi& g = g_gdiplus;
    return {
        reinterpret_cast<const void*>(g.Startup),        reinterpret_cast<const void*>(g.Shutdown),
        reinterpret_cast<const void*>(g.CreateFromHDC),  reinterpret_cast<const void*>(g.DrawLine),
        reinterpret_cast<const void*>(g.DrawLineI),      reinterpret_cast<const void*>(g.DrawLines),
        reinterpret_cast<const void*>(g.DrawLinesI),     reinterpret_cast<const void*>(g.DrawBezierI),
        reinterpret_cast<const void*>(g.DrawBeziersI),   reinterpret_cast<const void*>(g.SetSmoothingMode),
        reinterpret_cast<const void*>(g.CreatePen1),     reinterpret_cast<const void*>(g.DeletePen),
        reinterpret_cast<const void*>(g.SetPenStartCap), reinterpret_cast<const void*>(g.SetPenEndCap),
        reinterpret_cast<const void*>(g.SetPenLineJoin), reinterpret_cast<const void*>(g.DeleteGraphics)};
}

}  // namespace

TEST_F(ShellTest, ASecondInstanceIsRefusedWithoutAWindow) {
    // The first instance holds the named mutex for its whole life.
    HANDLE first = CreateMutexW(nullptr, FALSE, L"Kv310rXPUniqueClassMutex");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(kv310r_main(GetModuleHandleW(nullptr), nullptr, SW_SHOWNORMAL), 0);
    CloseHandle(first);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].type, KV_MB_ERROR);
    EXPECT_EQ(messages[0].text, "Programm ist bereits gestartet!");
    EXPECT_EQ(main_window(), nullptr);

    // A previous-instance handle from the system is refused the same way.
    messages.clear();
    EXPECT_EQ(kv310r_main(GetModuleHandleW(nullptr), GetModuleHandleW(nullptr), SW_SHOWNORMAL), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Programm ist bereits gestartet!");
    EXPECT_EQ(main_window(), nullptr);
}

TEST_F(ShellTest, GdiPlusIsBoundByNameWithAllEntryPoints) {
    gdiplus_unload();
    for (const void* p : entry_points()) EXPECT_EQ(p, nullptr);
    EXPECT_EQ(gdiplus_available, 0);

    ASSERT_EQ(gdiplus_load(), 1);
    for (const void* p : entry_points()) EXPECT_NE(p, nullptr);
    EXPECT_EQ(gdiplus_available, 1);
    EXPECT_EQ(gdiplus_load(), 1);  // already loaded: nothing happens
    EXPECT_EQ(gdiplus_available, 1);
}
