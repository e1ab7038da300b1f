// Kernel functions: drawing contexts, primitives, metafiles, object drawing,
// frames, hit tests and coordinates.
//
// Coordinates are database units unless a name says pixels; angles are
// thousandths of a degree, counter-clockwise. A rectangle out-argument
// ("rect") is four Longs x1, y1, x2, y2 with x1 <= x2 and y1 <= y2 (left,
// bottom, right, top). Device handles come from winsys's device registry.
#pragma once

#include <cstdint>

extern "C" {

// The view a drawing context maps with (G_OpenDC): the database point
// (X, Y) lies at the centre of a Width x Height pixel window, Size
// database units per pixel. The print-scale record holds one from Long 2.
typedef struct ViewDCRec {
    int32_t Size;    // 0   database units per pixel (at least 1)
    int32_t Width;   // 4   window width in pixels
    int32_t Height;  // 8   window height in pixels
    int32_t X;       // 12  database point at the window's centre
    int32_t Y;       // 16  (a database Y: up is positive)
    int32_t Flags;   // 20  0 schematic view, 4 layout view
} ViewDCRec;

// The print-scale record (E_PrintScaleSetupDialog): twelve Longs.
typedef struct PrintScaleRec {
    int32_t Numerator;     // 0   scale paper : drawing (callers pass 1 : 1)
    int32_t Denominator;   // 4
    ViewDCRec View;        // 8   Longs 2..7: the view of the first (bottom-left) sheet
    int32_t SheetsAcross;  // 32  Long 8
    int32_t SheetsDown;    // 36  Long 9
    int32_t StepX;         // 40  Long 10: database width of one sheet (move View.X by it per column)
    int32_t StepY;         // 44  Long 11: database height of one sheet (move View.Y by it per row, upwards)
} PrintScaleRec;

// One placed picture (the editor's placement list holds these; ShowDib
// draws one).
typedef struct BitmapPlaceRec {
    int32_t Picture;       // 0   file object id (current level) holding the bytes of a BMP file
    int32_t X;             // 4   left edge (Mode 0) or box width in pixels (Mode -1)
    int32_t Y;             // 8   top edge (Mode 0) or box height in pixels (Mode -1)
    int32_t Page;          // 12  page id, 0 = every page of its level
    int32_t Hier;          // 16  hierarchy level id
    int32_t Mode;          // 20  0 placed; -1 fit into the box (0, 0)..(X, Y) of the device
    int32_t Reserved[7];   // 24
} BitmapPlaceRec;

}  // extern "C"

// Drawn, a picture takes 4 bytes a pixel whatever its depth (it is drawn
// from 32-bit pixels). GetBmpDim, ShowDib and FrameBitmaps (and
// GetBmpDimOfBytes) refuse a picture whose width x height x 4 is above 64 MiB,
// that is more than 16,777,216 pixels: a picture covering a whole A0 or E
// sheet at 0.25 mm a pixel (4756 x 3364, 4470 x 3454) still passes.
constexpr int64_t KernelPictureBytesPerPixel = 4;
constexpr int64_t KernelMaxPictureBytes = int64_t{64} << 20;

#define KERNEL_DRAW_FUNCTIONS(X)                                                                   \
    /* Drawing contexts and coordinates */                                                        \
    X(int32_t, G_OpenDC, (int32_t device, const ViewDCRec* view), (device, view))                  \
    X(int32_t, G_CloseDC, (), ())                                                                  \
    X(int32_t, G_GetDC, (), ())                                                                    \
    X(int32_t, G_DPtoLP, (int32_t* point), (point))                                                \
    X(int32_t, G_LPtoDP, (int32_t* point), (point))                                                \
    X(int32_t, S_SetCompLocation, (int32_t x, int32_t y, int32_t angle, int32_t mirror),           \
      (x, y, angle, mirror))                                                                       \
    X(int32_t, I_APtoLP, (int32_t* point), (point))                                                \
    X(int32_t, I_LPtoAP, (int32_t* point), (point))                                                \
    X(int32_t, G_AngleAdj, (int32_t angle), (angle))                                               \
    X(int32_t, G_ArcNormalize, (int32_t* start, int32_t* sweep), (start, sweep))                   \
    /* Pen, modes, thick pens and cursors */                                                      \
    X(int32_t, G_SetDrawMode, (int32_t mode), (mode))                                              \
    X(int32_t, G_SetColor, (int32_t colour), (colour))                                             \
    X(int32_t, G_SetStyle, (int32_t style), (style))                                               \
    X(int32_t, G_SetWidth, (int32_t width), (width))                                               \
    X(int32_t, G_GetThickPens, (), ())                                                             \
    X(int32_t, G_FreeThickPen, (int32_t width, int32_t colour), (width, colour))                   \
    X(int32_t, G_SelectCur, (int32_t kind), (kind))                                                \
    X(int32_t, G_DelCur, (int32_t cursor), (cursor))                                               \
    /* Primitives */                                                                              \
    X(int32_t, G_Line, (int32_t x1, int32_t y1, int32_t x2, int32_t y2), (x1, y1, x2, y2))         \
    X(int32_t, G_MoveTo, (int32_t x, int32_t y), (x, y))                                           \
    X(int32_t, G_LineTo, (int32_t x, int32_t y), (x, y))                                           \
    X(int32_t, G_Circle, (int32_t x, int32_t y, int32_t radius), (x, y, radius))                   \
    X(int32_t, G_Triangle,                                                                         \
      (int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3),                    \
      (x1, y1, x2, y2, x3, y3))                                                                    \
    X(int32_t, G_Rectangle, (int32_t x, int32_t y, int32_t width, int32_t height, int32_t angle),  \
      (x, y, width, height, angle))                                                                \
    X(int32_t, G_GetTextSize, (int32_t height, int32_t width, int32_t count, int32_t* extent),     \
      (height, width, count, extent))                                                              \
    X(int32_t, G_DrawGrid,                                                                         \
      (int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t step, int32_t on),        \
      (left, top, right, bottom, step, on))                                                        \
    X(int32_t, G_CopyScreen,                                                                       \
      (int32_t device, int32_t left, int32_t top, int32_t right, int32_t bottom),                  \
      (device, left, top, right, bottom))                                                          \
    /* Metafiles */                                                                               \
    X(int32_t, G_OpenMF, (int32_t device), (device))                                               \
    X(int32_t, G_CloseMF, (), ())                                                                  \
    X(int32_t, G_PlayEnhMetaFile, (int32_t device, int32_t metafile), (device, metafile))          \
    X(int32_t, G_ReplaceEnhMetaFile, (int32_t device, int32_t before, int32_t after),               \
      (device, before, after))                                                                     \
    X(int32_t, G_DeleteEnhMetaFile, (int32_t metafile), (metafile))                                \
    /* Object drawing */                                                                          \
    X(int32_t, C_DrawComponent, (int32_t comp), (comp))                                            \
    X(int32_t, C_DrawAllComponents, (int32_t mask), (mask))                                        \
    X(int32_t, C_DrawCompText, (int32_t comp, int32_t index), (comp, index))                       \
    X(int32_t, B_DrawAllBranchMask, (int32_t value, int32_t mask, int32_t textMask),               \
      (value, mask, textMask))                                                                     \
    X(int32_t, B_DrawAllRecords, (int32_t branch, int32_t recordMask), (branch, recordMask))       \
    X(int32_t, B_DrawRecords, (int32_t branch, int32_t first, int32_t count), (branch, first, count)) \
    X(int32_t, B_DrawAllJunctions, (int32_t branch, int32_t recordMask), (branch, recordMask))     \
    X(int32_t, B_DrawBranchAllTexts, (int32_t branch, int32_t mask), (branch, mask))               \
    X(int32_t, B_DrawBranchText, (int32_t branch, int32_t index), (branch, index))                 \
    X(int32_t, B_ReachBox, (int32_t branch, int32_t * rect), (branch, rect))                       \
    X(int32_t, J_DrawJunction, (int32_t junction), (junction))                                     \
    X(int32_t, J_DrawAllJunctions, (int32_t mask), (mask))                                         \
    X(int32_t, N_DrawAllNodes, (int32_t mask), (mask))                                             \
    X(int32_t, N_DrawNetNodes, (int32_t net, int32_t mask), (net, mask))                           \
    X(int32_t, N_DrawNetRatsnest, (int32_t net, int32_t withWires, int32_t ratsnest),              \
      (net, withWires, ratsnest))                                                                  \
    X(int32_t, S_DrawSymbol, (int32_t symbol, int32_t selector, int32_t entries),                  \
      (symbol, selector, entries))                                                                 \
    X(int32_t, S_DrawItem, (int32_t symbol, int32_t index), (symbol, index))                       \
    X(int32_t, T_DrawLayoutText, (int32_t index), (index))                                         \
    /* Pictures kept as file objects */                                                           \
    X(int32_t, ShowDib, (int32_t window, int32_t device, const BitmapPlaceRec* record),           \
      (window, device, record))                                                                    \
    X(int32_t, GetBmpDim, (int32_t file, int32_t* width, int32_t* height), (file, width, height))  \
    X(int32_t, GetBmpDimOfBytes, (const char* bytes, int32_t length, int32_t* width, int32_t* height),   \
      (bytes, length, width, height))                                                              \
    /* Frames (bounding boxes) */                                                                 \
    X(int32_t, B_FrameBranchLines, (int32_t branch, int32_t recordMask, int32_t* rect),            \
      (branch, recordMask, rect))                                                                  \
    X(int32_t, C_FrameCompItems, (int32_t comp, int32_t* rect), (comp, rect))                      \
    X(int32_t, C_FrameCompEntries, (int32_t comp, int32_t* rect), (comp, rect))                    \
    X(int32_t, S_FrameSymbolItems, (int32_t symbol, int32_t selector, int32_t* rect),              \
      (symbol, selector, rect))                                                                    \
    X(int32_t, S_FrameSymbolItem, (int32_t symbol, int32_t index, int32_t* rect),                  \
      (symbol, index, rect))                                                                       \
    X(int32_t, S_FrameSymbolEntries, (int32_t symbol, int32_t selector, int32_t* rect),            \
      (symbol, selector, rect))                                                                    \
    X(int32_t, T_FrameTraceLines, (int32_t trace, int32_t recordMask, int32_t* rect),              \
      (trace, recordMask, rect))                                                                   \
    X(int32_t, FrameBitmaps, (int32_t page, int32_t* rect), (page, rect))                          \
    /* Hit tests */                                                                               \
    X(int32_t, C_CoverComponent, (int32_t x, int32_t y, int32_t tolerance, int32_t* entry),       \
      (x, y, tolerance, entry))                                                                    \
    X(int32_t, C_CoverNextComponent, (int32_t* entry), (entry))                                    \
    X(int32_t, C_CoverCompText,                                                                    \
      (int32_t comp, int32_t x, int32_t y, int32_t tolerance, int32_t* compFound),                 \
      (comp, x, y, tolerance, compFound))                                                          \
    X(int32_t, B_CoverBranch, (int32_t x, int32_t y, int32_t tolerance, int32_t* record),         \
      (x, y, tolerance, record))                                                                   \
    X(int32_t, B_CoverNextBranch, (int32_t* record), (record))                                     \
    X(int32_t, C_CoverComponentSet,                                                                \
      (int32_t x, int32_t y, int32_t tolerance, int32_t* ids, int32_t capacity),                   \
      (x, y, tolerance, ids, capacity))                                                            \
    X(int32_t, B_CoverBranchSet,                                                                   \
      (int32_t x, int32_t y, int32_t tolerance, int32_t* ids, int32_t capacity),                   \
      (x, y, tolerance, ids, capacity))                                                            \
    X(int32_t, B_CoverBranchOrder, (int32_t x, int32_t y, int32_t* ids, int32_t count),           \
      (x, y, ids, count))                                                                          \
    X(int32_t, B_CoverBranchText,                                                                  \
      (int32_t branch, int32_t x, int32_t y, int32_t tolerance, int32_t* branchFound),             \
      (branch, x, y, tolerance, branchFound))                                                      \
    X(int32_t, J_CoverJunction, (int32_t x, int32_t y, int32_t tolerance), (x, y, tolerance))      \
    X(int32_t, J_CoverNextJunction, (), ())                                                        \
    X(int32_t, N_CoverNode, (int32_t x, int32_t y, int32_t tolerance, int32_t* net),              \
      (x, y, tolerance, net))                                                                      \
    X(int32_t, OA_Cover, (int32_t array, int32_t start, int32_t x, int32_t y, int32_t tolerance),  \
      (array, start, x, y, tolerance))                                                             \
    X(int32_t, DB_CoverRectangle,                                                                  \
      (int32_t x, int32_t y, int32_t tolerance, int32_t x1, int32_t y1, int32_t x2, int32_t y2),   \
      (x, y, tolerance, x1, y1, x2, y2))                                                           \
    X(int32_t, DB_GetCoverDistance, (), ())                                                        \
    /* Print set-up */                                                                            \
    X(int32_t, E_PrintScaleSetupDialog,                                                            \
      (int32_t printer, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t unitsPerInch,      \
       PrintScaleRec* record, int32_t window),                                                     \
      (printer, x1, y1, x2, y2, unitsPerInch, record, window))
