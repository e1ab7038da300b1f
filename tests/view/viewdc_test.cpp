// The canvas drawing context and the recorded overlay and highlight: XOR
// overlays shown and erased, the level counter, and the highlight kinds.
#include "platform/kernel/nvokernel32.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/wire_state.h"
#include "editor/view/canvas.h"
#include "editor/view/highlight.h"
#include "tests/support/raster.h"
#include "tests/view/view_fixture.h"

#include <gtest/gtest.h>

namespace {

using palvane_test::CompareImages;
using CanvasContext = view_test::DemoTest;

TEST_F(CanvasContext, LevelStaysZeroOrOne)
{
    SCHMAIN& m = Main();
    m.CloseCanvasDC();
    EXPECT_EQ(m.m_CanvasDCLevel, 0);
    m.OpenCanvasDC();
    m.OpenCanvasDC();
    EXPECT_EQ(m.m_CanvasDCLevel, 1);
    m.CloseCanvasDC();
    EXPECT_EQ(m.m_CanvasDCLevel, 0);
}

TEST_F(CanvasContext, OverlayShownThenErasedRestoresTheImage)
{
    SCHMAIN& m = Main();
    m.RefreshCanvas();
    const QImage before = m.ViewPicture->Image().copy();
    m.OpenCanvasDC();
    m.EraseOverlay();
    G_OpenMF(m.ViewPicture->DeviceHandle());
    G_SetDrawMode(32);
    G_SetColor(61);
    G_Line(-3000000, -2000000, 3000000, 2000000);
    G_Circle(0, 0, 1000000);
    m.m_OverlayMF = G_CloseMF();
    m.PlayOverlay();
    EXPECT_FALSE(CompareImages(before, m.ViewPicture->Image()).Same());
    m.EraseOverlay();
    EXPECT_EQ(m.m_OverlayMF, 0);
    EXPECT_EQ(m.m_CanvasDCLevel, 1);  // closed and reopened at the current view
    m.CloseCanvasDC();
    EXPECT_TRUE(CompareImages(before, m.ViewPicture->Image()).Same());
}

TEST_F(CanvasContext, EraseWithContextClosedOnlyDeletes)
{
    SCHMAIN& m = Main();
    m.RefreshCanvas();
    m.OpenCanvasDC();
    G_OpenMF(m.ViewPicture->DeviceHandle());
    G_Line(0, 0, 1000000, 1000000);
    m.m_OverlayMF = G_CloseMF();
    m.PlayOverlay();
    m.CloseCanvasDC();
    const QImage shown = m.ViewPicture->Image().copy();
    m.EraseOverlay();
    EXPECT_EQ(m.m_OverlayMF, 0);
    EXPECT_EQ(m.m_CanvasDCLevel, 0);
    EXPECT_TRUE(CompareImages(shown, m.ViewPicture->Image()).Same());
}

TEST_F(CanvasContext, ClearOverlayErasesWithItsOwnContext)
{
    SCHMAIN& m = Main();
    m.RefreshCanvas();
    const QImage before = m.ViewPicture->Image().copy();
    m.OpenCanvasDC();
    G_OpenMF(m.ViewPicture->DeviceHandle());
    G_Rectangle(-1000000, -1000000, 2000000, 2000000, 0);
    m.m_OverlayMF = G_CloseMF();
    m.PlayOverlay();
    m.CloseCanvasDC();
    m.ClearOverlay();
    EXPECT_EQ(m.m_OverlayMF, 0);
    EXPECT_EQ(m.m_CanvasDCLevel, 0);
    EXPECT_TRUE(CompareImages(before, m.ViewPicture->Image()).Same());
}

// A component of the demo's first page, by name.
int32_t Comp(const char* name)
{
    return OM_FindName(DB_SchCompMap(), name);
}

TEST_F(CanvasContext, ComponentHighlightShowsAndErases)
{
    SCHMAIN& m = Main();
    m.RefreshCanvas();
    const QImage before = m.ViewPicture->Image().copy();
    g_CompId = Comp("R1/1");
    ASSERT_GT(g_CompId, 0);
    ASSERT_NE(C_ReadComponent(g_CompId, &g_Comp), 0);
    g_CompOld = g_Comp;
    m.OpenCanvasDC();
    int32_t kind = 2;
    m.HighlightComp(kind);
    EXPECT_EQ(m.m_HighlightKind, 2);
    EXPECT_EQ(m.m_HighlightOnCanvas, 1);
    EXPECT_FALSE(CompareImages(before, m.ViewPicture->Image()).Same());
    m.EraseHighlight();
    m.CloseCanvasDC();
    EXPECT_EQ(m.m_HighlightMF, 0);
    EXPECT_TRUE(CompareImages(before, m.ViewPicture->Image()).Same());
}

TEST_F(CanvasContext, ComponentHighlightCoversOnlyWhatThePageShows)
{
    // Every pixel the highlight changes is one the component drew: no
    // second copy of the symbol's text templates beside its own texts.
    SCHMAIN& m = Main();
    m.RefreshCanvas();
    const QImage page = m.ViewPicture->Image().copy();
    const int32_t r1 = Comp("R1/1");
    // The component alone on a cleared canvas.
    m.ViewPicture->Cls();
    m.OpenCanvasDC();
    G_SetDrawMode(0);
    C_DrawComponent(r1);
    m.CloseCanvasDC();
    const QImage alone = m.ViewPicture->Image().copy();
    const QRgb back = m.ViewPicture->BackColor().rgb() & 0xFFFFFF;
    m.ViewPicture->Cls();
    g_CompId = r1;
    C_ReadComponent(r1, &g_Comp);
    g_CompOld = g_Comp;
    m.OpenCanvasDC();
    int32_t kind = 2;
    m.HighlightComp(kind);
    m.CloseCanvasDC();
    const QImage lit = m.ViewPicture->Image();
    int stray = 0, lit_pixels = 0;
    for (int y = 0; y < lit.height(); ++y)
        for (int x = 0; x < lit.width(); ++x) {
            if ((lit.pixel(x, y) & 0xFFFFFF) == back) continue;
            ++lit_pixels;
            if ((alone.pixel(x, y) & 0xFFFFFF) == back) ++stray;
        }
    EXPECT_GT(lit_pixels, 0);
    EXPECT_EQ(stray, 0);
    static_cast<void>(page);
}

TEST_F(CanvasContext, HighlightOfAnUnknownKindRecordsNothing)
{
    SCHMAIN& m = Main();
    m.RefreshCanvas();
    const QImage before = m.ViewPicture->Image().copy();
    m.OpenCanvasDC();
    int32_t kind = 7;
    m.HighlightComp(kind);
    m.CloseCanvasDC();
    EXPECT_NE(m.m_HighlightMF, 0);
    EXPECT_EQ(m.m_HighlightKind, 7);
    EXPECT_TRUE(CompareImages(before, m.ViewPicture->Image()).Same());
}

TEST_F(CanvasContext, NetHighlightDrawsTheNetsWires)
{
    SCHMAIN& m = Main();
    m.RefreshCanvas();
    const QImage before = m.ViewPicture->Image().copy();
    g_CurBranchRec.Net = OM_FindName(DB_NetMap(), "SUM");
    ASSERT_GT(HighlightSourceNow().branchNet, 0);
    m.OpenCanvasDC();
    int32_t kind = 1;
    m.HighlightComp(kind);
    EXPECT_FALSE(CompareImages(before, m.ViewPicture->Image()).Same());
    m.ToggleHighlight();
    EXPECT_EQ(m.m_HighlightOnCanvas, 0);
    m.CloseCanvasDC();
    EXPECT_TRUE(CompareImages(before, m.ViewPicture->Image()).Same());
}

}  // namespace
