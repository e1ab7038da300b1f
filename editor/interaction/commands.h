// The current edit mode and the current command: the mode and command ids,
// and what BeginCommand prepares for each command.
#pragma once

#include <cstdint>
#include <vector>

// Edit modes.
constexpr int32_t MODE_NONE = 0;
constexpr int32_t MODE_COMPONENTS = 1;
constexpr int32_t MODE_WIRES = 2;
constexpr int32_t MODE_DESIGN_NOTES = 3;
constexpr int32_t MODE_NETS = 4;
constexpr int32_t MODE_BLOCK_EDIT = 5;
constexpr int32_t MODE_PAGE_FORMAT = 6;
constexpr int32_t MODE_PAGE_NOTES = 7;
constexpr int32_t MODE_BITMAPS = 8;
constexpr int32_t MODE_PLACEMENT_PATTERNS = 9;
constexpr int32_t MODE_KEEP_OFF_ZONE = 10;
constexpr int32_t MODE_ROUTING = 11;

// Named command ids.
constexpr int32_t CMD_NONE = 0;
constexpr int32_t CMD_GATE_SWAP = 7;
constexpr int32_t CMD_COMP_TEXT_DELETE = 10;
constexpr int32_t CMD_VECTOR = 15;
constexpr int32_t CMD_SPLIT_NET = 19;
constexpr int32_t CMD_REPEAT_WIRE = 96;
constexpr int32_t CMD_PIN_SWAP = 98;
constexpr int32_t CMD_BOX_AREA = 99;
constexpr int32_t CMD_NEXT_NODE = 101;
constexpr int32_t CMD_ROUTE_PAIR = 300;
constexpr int32_t CMD_ROUTE_BLOCK = 301;

extern int32_t g_CurMode;     // 0..11; components after start-up
extern int32_t g_CurCommand;  // current command id, 0 when idle
extern int32_t g_CmdRunning;  // a step asked for the same click to go to the mode dispatcher

// One step of a command's preparation, in the order BeginCommand runs them.
enum class Prep {
    EraseComp,             // EraseComp(g_CompId)
    DrawMaskedBranches,    // DrawMaskedBranches(0, 128)
    RedrawMaskedBranches,  // DrawMaskedBranches(0, 128) drawn plainly, with their junction dots
    DrawMaskedCurBranch,   // DrawMaskedBranches(g_CurBranch, 256)
    HighlightComp,         // HighlightComp(2)
    HighlightNet,          // HighlightNet(g_CurNet)
    DrawAllWiresOff,       // DrawAllWires(0)
    RedrawNet,             // RedrawNet(g_CurNet)
    ClearMaskedIds,        // g_MaskedBranchIds emptied
    MarkJunctionPair,      // MarkJunctionPairWires(id = 20, ...)
    MarkJunction,          // MarkJunctionWires(id = 21, ...)
    MarkBranchRecords,     // MarkBranchRecord(id = 24, g_CurBranch, 1, n - 1), B_MaskBranchRecords
    EraseBranchText,       // EraseOwnerItem(4, 0, g_CurBranch, g_SymbItemIdx); MarkBranchRecord(0, ...)
    EraseSymbolItem,       // EraseOwnerItem(0, 0, g_CurSymb, g_SymbItemIdx)
    RebaseItem,            // RebaseItemOnHandle
    DrawBitmapFrame,       // DrawBitmapFrame(g_BitmapIdx)
    DrawCellTexts,         // DrawLayoutTexts(0, g_PlcCellSymb, g_SymbItemIdx)
    DrawZoneTexts,         // DrawLayoutTexts(0, g_PlcZoneSymb, g_SymbItemIdx)
    BlinkGate,
    BlinkCompFrame,
    BlinkBranch,
    BlinkNet,
    BlinkNode,
    BlinkEntry,
    EnablePages,           // F_Pages enabled
    CloseCanvas,           // CloseCanvasDC
    Preview,               // m_PreviewPending set
    PreviewIfNextNode,     // preview only when the command is 101 after the blink
    Refresh,               // RefreshCanvas
};

// The preparation of command `id`; `cmdStep` is the vector command's step,
// `curNet` the net being extended (0 = none).
std::vector<Prep> CommandPreparation(int32_t id, int32_t cmdStep, int32_t curNet);

// Where a left release goes while command `id` runs: ids 1 to 99 and 201 to
// 349 to the step engine, 101 to 199 to the net pick step, every other id
// (0, 100, 200, 350 and above) to the mode's click.
enum class ReleaseRoute { Step, NetPick, ModeClick };
ReleaseRoute RouteOfRelease(int32_t id);
