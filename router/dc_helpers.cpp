// Thin drawing services for the router's callers: the kernel's drawing
// context, device and logical positions, a rubber-band rectangle kept in a
// metafile, and the routing cursor.
#include "router/corvex.h"
#include "router/route.h"

#include "platform/kernel/nvokernel32.h"

namespace corvex {

// The metafile last closed (-1 = none) and whether its drawing is shown.
int32_t g_Metafile = -1;
int32_t g_MetafileShown = 0;

}  // namespace corvex

using namespace corvex;

int32_t PG_OpenDC(int32_t device, const ViewDCRec* view) noexcept { return G_OpenDC(device, view); }

int32_t PG_CloseDC() noexcept { return G_CloseDC(); }

int32_t PG_RealPosition(int32_t* point) noexcept { return point ? G_DPtoLP(point) : 0; }

int32_t PG_DevicePosition(int32_t* point) noexcept { return point ? G_LPtoDP(point) : 0; }

int32_t PG_OpenMF() noexcept { return G_OpenMF(G_GetDC()); }

int32_t PG_CloseMF() noexcept
{
    const int32_t mf = G_CloseMF();
    g_Metafile = mf > 0 ? mf : -1;
    g_MetafileShown = 0;
    return g_Metafile;
}

int32_t PG_PlayMF() noexcept
{
    if (g_Metafile == -1) return 0;
    g_MetafileShown ^= 1;
    return G_PlayEnhMetaFile(G_GetDC(), g_Metafile);
}

int32_t PG_DeleteMF() noexcept
{
    if (g_Metafile == -1) return 0;
    if (g_MetafileShown == 1) {
        g_MetafileShown = 0;
        G_PlayEnhMetaFile(G_GetDC(), g_Metafile);
    }
    G_DeleteEnhMetaFile(g_Metafile);
    g_Metafile = -1;
    return 1;
}

int32_t PG_LineMF(int32_t x1, int32_t y1, int32_t x2, int32_t y2) noexcept
{
    SetPen(15, 0, 1);
    return G_Line(x1, y1, x2, y2);
}

int32_t PG_DrawRectMF(const int32_t* corner1, const int32_t* corner2) noexcept
{
    if (!corner1 || !corner2) return 0;
    PG_DeleteMF();
    if (!PG_OpenMF()) return 0;
    SetPen(15, 0, 1);
    const int32_t x1 = corner1[0], y1 = corner1[1], x2 = corner2[0], y2 = corner2[1];
    G_MoveTo(x1, y1);
    G_LineTo(x1, y2);
    G_LineTo(x2, y2);
    G_LineTo(x2, y1);
    G_LineTo(x1, y1);
    PG_CloseMF();
    return PG_PlayMF();
}

// The router's cursors 1..4 are the kernel's cursor kinds 3..6; every other
// number gives the kernel's cross-hair.
int32_t PG_LoadCursor(int32_t n) noexcept { return G_SelectCur(n >= 1 && n <= 4 ? n + 2 : 1); }
