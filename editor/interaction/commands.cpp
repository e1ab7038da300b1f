#include "editor/interaction/commands.h"

int32_t g_CurMode = MODE_NONE;
int32_t g_CurCommand = 0;
int32_t g_CmdRunning = 0;

std::vector<Prep> CommandPreparation(int32_t id, int32_t cmdStep, int32_t curNet)
{
    using P = Prep;
    switch (id) {
    case 1: case 2: case 3: case 8: case 9:
        return {P::EraseComp, P::DrawMaskedBranches, P::Preview};
    case 4:
        return {P::DrawMaskedBranches, P::Preview};
    case 5: case 10:
        return {P::EraseComp, P::HighlightComp, P::Preview};
    case 6:
        // The gate stays where it is while the packaging window shows it:
        // its wires keep their legs on its pins.
        return {P::EraseComp, P::RedrawMaskedBranches, P::BlinkGate};
    case 7:
        // The first gate of an exchange stays where it is too, until the
        // second is picked.
        return {P::EraseComp, P::RedrawMaskedBranches, P::BlinkGate, P::EnablePages};
    case 15: case 17:
        if (cmdStep == 3) return {P::BlinkCompFrame, P::Preview};
        return {P::BlinkCompFrame};
    case 16: case 64: case 96: case 99: case 301:
    case 50: case 51: case 52: case 53: case 54: case 55: case 56: case 57: case 58: case 59: case 60: case 61:
        return {P::Preview};
    case 19:
        return {P::HighlightNet, P::DrawMaskedBranches, P::DrawAllWiresOff, P::RedrawNet, P::BlinkBranch,
                P::EnablePages};
    case 20: case 33:
        return {P::ClearMaskedIds, P::MarkJunctionPair, P::DrawMaskedCurBranch, P::Preview};
    case 21: case 32: case 34:
        return {P::ClearMaskedIds, P::MarkJunction, P::DrawMaskedCurBranch, P::Preview};
    case 22: case 31: case 35:
        return {P::Preview, P::ClearMaskedIds};
    case 24: case 30: case 39:
        return {P::MarkBranchRecords, P::BlinkNet};
    case 37: case 38:
        return {P::EraseBranchText, P::Preview};
    case 65: case 75:
        return {P::Preview, P::EraseSymbolItem};
    case 76:
        return {P::Preview, P::EraseSymbolItem, P::RebaseItem};
    case 71: case 72: case 73: case 74: case 77: case 79:
        return {P::Preview};
    case 87: case 88:
        return {P::Preview, P::DrawBitmapFrame};
    case 90: case 101: case 102:
        if (curNet == 0) return {P::EnablePages};
        if (id == 101) return {P::HighlightNet, P::DrawMaskedBranches, P::Preview, P::EnablePages};
        return {P::HighlightNet, P::DrawMaskedBranches, P::BlinkNode, P::PreviewIfNextNode, P::EnablePages};
    case 98:
        return {P::BlinkEntry};
    case 201: case 205:
        return {P::Preview, P::EraseComp};
    case 211: case 212:
        return {P::Preview, P::DrawCellTexts};
    case 213: case 215:
        return {P::Preview};
    case 216:
        return {P::Preview, P::DrawZoneTexts};
    case 217:
        return {P::CloseCanvas, P::Preview, P::Refresh};
    default:
        return {};
    }
}
