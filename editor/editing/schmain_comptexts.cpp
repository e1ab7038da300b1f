// Changing a component's texts, adding a free text, and setting its value.
#include "editor/objects/comp_state.h"
#include "editor/objects/comp_texts.h"
#include "editor/objects/components.h"
#include "editor/shell/design_change.h"
#include "editor/objects/owner_items.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/systables.h"
#include "editor/shell/textnum.h"

#include <cmath>

namespace {

constexpr int32_t kTextKind = 6;
constexpr int32_t kValueFlag = 8;
constexpr int32_t kPlaceholderFlag = 4;
constexpr int32_t kWrittenFlag = 128;
constexpr int32_t kCompTextOwner = 1;

std::string ChangePrompt(int32_t flags)
{
    switch (flags & 30) {
    case 2: return GetMsgText("Change Comp.name text: ", "1348");
    case 4: return GetMsgText("Change Comp.description", "1347");
    case 8: return GetMsgText("Change Comp.value:", "1350");
    case 16: return GetMsgText("Change Pinout text:", "1353");
    default: return GetMsgText("Change Comp.text:", "1349");
    }
}

}  // namespace

void SCHMAIN::ChangeCompTexts(int32_t& status, int32_t existing)
{
    DesignChange edit;
    status = 1;
    bool change = existing != 0;
    std::string prompt;
    std::string answerDefault;
    if (change) {
        prompt = ChangePrompt(g_CompText.Flags);
        answerDefault = g_CompTextStr;
    } else {
        ItemRec text{};
        int32_t frame[4] = {};
        S_SetCompLocation(0, 0, 0, 0);
        S_FrameSymbolItems(g_Comp.Symb, 1, frame);
        text.X = static_cast<int32_t>(std::nearbyint((static_cast<double>(frame[0]) + frame[2]) / 2));
        text.Y = static_cast<int32_t>(std::nearbyint((static_cast<double>(frame[1]) + frame[3]) / 2));
        text.P1 = g_TextSizes(1).Height;
        text.P2 = g_TextSizes(1).Width;
        text.Width = g_TextSizes(1).Width3;
        if (!F_OST(0)->Value()) {
            text.Kind = kTextKind;
            text.Flags = 1;
            text.Layer = 36;
            prompt = GetMsgText(" Add text: ", "1322");
        } else {
            const int32_t array = C_CompTextArray(g_CompId);
            const int32_t index = OA_SearchMask(array, 1, kValueFlag);
            ItemRec found{};
            const int32_t item = index > 0 ? C_CompText(g_CompId, index) : 0;
            if (item != 0 && I_ReadItem(item, &found) != 0 && found.Kind == kTextKind) {
                g_CompTextIdx = index;
                g_CompText = found;
                answerDefault = PtrToStr(found.Text);
                prompt = GetMsgText("Change Comp.value: ", "1350");
                change = true;
            } else {
                prompt = GetMsgText(" Set value: ", "13197");
                text.Layer = 35;
                text.Flags = kValueFlag;
                // The value takes the place and size of the symbol's
                // placeholder text, read into a scratch record so that an
                // item that is no text leaves the prepared one alone.
                const int32_t items = S_SymbolItemArray(g_Comp.Symb);
                const int32_t at = OA_SearchMask(items, 1, kPlaceholderFlag);
                ItemRec placeholder{};
                if (at > 0 && I_ReadItem(S_SymbolItem(g_Comp.Symb, at), &placeholder) != 0 &&
                    placeholder.Kind == kTextKind) {
                    text = placeholder;
                    text.Text = nullptr;
                    text.Layer = 35;
                    text.Flags = kValueFlag;
                }
                text.Kind = kTextKind;
            }
        }
        if (!change) {
            g_CompText = text;
            g_CompTextOld = text;
        }
    }

    const std::string answer = AskText(Trim(g_CompName) + " - " + prompt, "", answerDefault);
    if (answer.empty() || Trim(answer).empty()) return;
    g_CompTextStr = answer;

    OpenCanvasDC();
    EraseComp(g_CompId);
    g_CompText.Flags |= kWrittenFlag;
    if (change) {
        int32_t index = g_CompTextIdx;
        RemakeCompText(g_CompId, index, g_CompText, g_CompTextStr);
        g_CompTextIdx = index;
        DrawCompWithWires(g_CompId);
        CloseCanvasDC();
        return;
    }
    int32_t failed = 0;
    int32_t item = 0;
    const int32_t index = MakeOwnerItem(failed, kCompTextOwner, g_CompId, g_CompText, g_CompTextStr, item);
    if (failed != 0 || index == 0) {
        DrawCompWithWires(g_CompId);
        CloseCanvasDC();
        return;
    }
    g_CompTextIdx = index;
    CloseCanvasDC();
    // The new text follows the pointer only when it stays.
    if (edit.Finish()) status = 0;
}
