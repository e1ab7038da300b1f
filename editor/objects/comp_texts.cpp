#include "editor/objects/comp_texts.h"

#include "editor/objects/owner_items.h"
#include "editor/objects/symbols.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/prefs.h"
#include "editor/shell/reporter.h"
#include "editor/shell/shared_services.h"
#include "editor/shell/systables.h"

#include <cmath>
#include <numbers>

namespace {

constexpr int32_t kTextKind = 6;
constexpr int32_t kDefaultTextSize = 1;

struct TextStyle {
    int32_t flags;
    uint8_t layer;
};
constexpr TextStyle kRefText{130, 33};
constexpr TextStyle kDescText{132, 34};
constexpr TextStyle kGateText{136, 35};
constexpr TextStyle kPinText{144, 38};

void SetSize(ItemRec& rec, int32_t sizeIndex)
{
    const TextSizeRec& size = g_TextSizes(sizeIndex);
    rec.P1 = size.Height;
    rec.P2 = size.Width;
    rec.Width = size.Width3;
}

// A new text at the centre of the symbol's item frame (in the symbol's own
// frame), unturned, in text size 1.
ItemRec CentredTemplate(int32_t symbol)
{
    ItemRec rec{};
    int32_t box[4] = {};
    S_SetCompLocation(0, 0, 0, 0);
    if (S_FrameSymbolItems(symbol, 1, box) == 0) box[0] = box[1] = box[2] = box[3] = 0;
    rec.Kind = kTextKind;
    rec.X = ToLong(box[0] + (static_cast<double>(box[2]) - box[0]) / 2);
    rec.Y = ToLong(box[1] + (static_cast<double>(box[3]) - box[1]) / 2);
    SetSize(rec, kDefaultTextSize);
    return rec;
}

// The symbol's first text with `mask` as the template, else a centred one.
ItemRec SymbolTemplate(int32_t symbol, int32_t mask, uint8_t layer)
{
    ItemRec rec{};
    const int32_t index = OA_SearchMask(S_SymbolItemArray(symbol), 1, mask);
    if (index > 0 && I_ReadItem(S_SymbolItem(symbol, index), &rec) != 0 && rec.Kind == kTextKind) return rec;
    rec = CentredTemplate(symbol);
    rec.Layer = layer;
    return rec;
}

// Index and record of text `index` of the component; 0 when none.
int32_t ReadOldText(int32_t comp, int32_t index, ItemRec& rec)
{
    if (index <= 0 || I_ReadItem(C_CompText(comp, index), &rec) == 0) return 0;
    return index;
}

int32_t FindOldText(int32_t comp, int32_t mask, ItemRec& rec)
{
    return ReadOldText(comp, OA_SearchMask(C_CompTextArray(comp), 1, mask), rec);
}

// The new or kept text from an old text (0: none) and a template: the old
// one, moved to the template's place and angle when `move`; its size from
// the size table entry when `fromTable`, else the template's.
ItemRec ChooseText(int32_t oldIdx, const ItemRec& old, const ItemRec& tmpl, int32_t move, int32_t fromTable,
                   int32_t sizeIndex)
{
    ItemRec rec = oldIdx != 0 ? old : tmpl;
    if (oldIdx != 0 && move != 0) {
        rec.X = tmpl.X;
        rec.Y = tmpl.Y;
        rec.Angle = tmpl.Angle;
    }
    if (fromTable != 0) {
        SetSize(rec, sizeIndex);
    } else {
        rec.P1 = tmpl.P1;
        rec.P2 = tmpl.P2;
        rec.Width = tmpl.Width;
    }
    return rec;
}

// Makes the text and then takes the old one (index 0: none) off the
// component; a text that cannot be made leaves the old one (status 1).
bool ReplaceText(int32_t& status, int32_t comp, int32_t oldIdx, ItemRec rec, TextStyle style, const std::string& text)
{
    rec.Kind = kTextKind;
    rec.Flags = style.flags;
    rec.Layer = style.layer;
    int32_t item = 0;
    int32_t failed = 0;
    MakeOwnerItem(failed, kOwnerComp, comp, rec, text, item);
    if (failed != 0) {
        status = 1;
        return false;
    }
    if (oldIdx != 0) OA_Delete(C_CompTextArray(comp), oldIdx);
    return true;
}

void DropText(int32_t comp, int32_t oldIdx)
{
    if (oldIdx != 0) OA_Delete(C_CompTextArray(comp), oldIdx);
}

// True when a component other than `self` is named `name`.
bool NameTaken(const std::string& name, int32_t self)
{
    const int32_t map = DB_SchCompMap();
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t id = OM_SearchName(map, &cursor, name.c_str()))
        if (id != self) return true;
    return false;
}

// The description text's parts under the preferences.
std::string DescriptionText(const CompInfoRec& rec, const std::string& groupName, bool groupRead)
{
    std::string text;
    bool first = true;
    auto add = [&](const std::string& part) {
        text = first ? part : text + "," + part;
        first = false;
    };
    if (g_PrefDescription(5) != 0) add(Trim(rec.DeviceName));
    if (g_PrefDescription(6) != 0 || g_PrefDescription(7) != 0 || g_PrefDescription(8) != 0) {
        ReadDeviceFields(rec.Device);
        if (g_DevArgStr.UBound() < 3) g_DevArgStr.RedimPreserve(3);
        for (int k = 1; k <= 3; ++k)
            if (g_PrefDescription(5 + k) != 0 && !Trim(g_DevArgStr(k)).empty()) add(g_DevArgStr(k));
    }
    if (g_PrefDescription(9) != 0 && groupRead) add(groupName);
    return Trim(text);
}

// The pin-number texts of the component's gate.
void MakePinTexts(int32_t& status, const CompInfoRec& rec, const GroupRec& group)
{
    const int32_t pins = D_GroupPinArray(rec.Device, rec.Group);
    const std::string gateDetail = Trim(rec.DeviceName) + "/" + Trim(rec.GateText);
    for (int32_t p = 1; p <= group.Pins; ++p) {
        PinRec pin{};
        if (D_ReadPin(pins, p, &pin) == 0) {
            std::string detail = gateDetail + "/" + " " + std::to_string(p);
            ReportMsg(19, detail);
            continue;
        }
        const std::string pinName = PtrToStr(pin.Name);
        int32_t number = 0;
        SymbEntryRec entry{};
        FindSymbEntryByName(number, rec.Symb, pinName, entry);
        if (number == 0) {
            std::string detail = Trim(rec.SymbName) + "/" + pinName;
            ReportMsg(20, detail);
            continue;
        }
        ItemRec tmpl{};
        tmpl.Kind = kTextKind;
        tmpl.X = OffsetCoord(entry.X, entry.KeyOrTextX);
        tmpl.Y = OffsetCoord(entry.Y, entry.TextY);
        tmpl.Angle = entry.TextAngle;
        tmpl.Link = number;
        SetSize(tmpl, kDefaultTextSize);
        ItemRec old{};
        const int32_t oldIdx =
            ReadOldText(rec.Id, IA_SearchMaskLink(C_CompTextArray(rec.Id), 1, kPinTextMask, number), old);
        const std::string pinNumber = std::to_string(pin.Number);
        if (g_PrefPinOut(1) == 0) {
            if ((entry.Flags & 2) != 0)
                ReplaceText(status, rec.Id, oldIdx, tmpl, kPinText, pinNumber);
            else
                DropText(rec.Id, oldIdx);
        } else if (g_PrefPinOut(2) != 0) {
            ItemRec text = ChooseText(oldIdx, old, tmpl, g_PrefPinOut(5), g_PrefPinOut(3), g_PrefPinOut(4));
            // Sound behaviour: an unpacked component has no package to ask
            // for a grid name; its pin number stands instead.
            const std::string padName =
                rec.LayComp != 0 ? GetGridPinName(1, rec.LayComp, pin.Number) : pinNumber;
            std::string content;
            switch (g_PrefPinOut(6)) {
            case 1: content = Trim(pinName); break;
            case 2: content = padName + " " + Trim(pinName); break;
            default: content = padName; break;
            }
            ReplaceText(status, rec.Id, oldIdx, text, kPinText, content);
        } else {
            DropText(rec.Id, oldIdx);
        }
    }
}

}  // namespace

void FillCompInfo(int32_t id, const CompRec& comp, CompInfoRec& info)
{
    info.Id = id;
    info.Flags = comp.Flags;
    info.X = comp.X;
    info.Y = comp.Y;
    info.Symb = comp.Symb;
    info.Name = FixedText(PtrToStr(comp.Name), 15);
    info.SymbName = FixedText(comp.Symb != 0 ? PtrToStr(O_GetName(S_Symbol(comp.Symb))) : "none", 15);
    info.Device = comp.Device;
    info.DeviceName = FixedText("none", 15);
    info.GateText = FixedText("", 30);
    if (D_Device(comp.Device) == 0) {
        info.Device = 0;
    } else {
        const std::string device = PtrToStr(O_GetName(D_Device(comp.Device)));
        info.DeviceName = FixedText(device, 15);
        std::string gate = Trim(info.DeviceName);
        if (comp.Group > 0)
            gate += "," + PtrToStr(O_GetName(OA_Object(D_GroupArray(comp.Device), comp.Group)));
        info.GateText = FixedText(gate, 30);
    }
    ItemRec desc{};
    if (FindOldText(id, kDescTextMask, desc) != 0 && desc.Kind == kTextKind)
        info.GateText = FixedText(PtrToStr(desc.Text), 30);
    info.LayComp = comp.LayComp;
    info.Group = comp.Group;
    info.Page = comp.Page;
    info.Info = comp.Info;
    info.Angle = comp.Angle;
    info.Extra = comp.Extra;
}

void ApplyCompInfo(int32_t& status, const CompInfoRec& rec)
{
    const int32_t comp = rec.Id;
    const std::string base = FirstWord(rec.Name);
    std::string newName = base + "/" + std::to_string(rec.Group);
    // Sound behaviour: a name another component bears, or one the kernel
    // refuses, is reported and nothing is changed.
    if (C_Component(comp) == 0 || base.empty() || NameTaken(newName, comp) ||
        O_Rename(C_Component(comp), newName.c_str()) == 0) {
        if (C_Component(comp) != 0) ReportMsg(4, newName);
        status = 1;
        return;
    }

    // Reference text.
    ItemRec old{};
    int32_t oldIdx = FindOldText(comp, kRefTextMask, old);
    ItemRec tmpl = SymbolTemplate(rec.Symb, kRefTextMask, kRefText.layer);
    if (g_PrefCompName(1) != 0) {
        const ItemRec text = ChooseText(oldIdx, old, tmpl, g_PrefCompName(4), g_PrefCompName(2), g_PrefCompName(3));
        ReplaceText(status, comp, oldIdx, text, kRefText, base);
    } else {
        DropText(comp, oldIdx);
    }

    // Description text.
    GroupRec group{};
    const bool groupRead = D_ReadGroup(rec.Device, rec.Group, &group) != 0;
    const std::string groupName = groupRead ? PtrToStr(group.Name) : std::string();
    oldIdx = FindOldText(comp, kDescTextMask, old);
    tmpl = SymbolTemplate(rec.Symb, kDescTextMask, kDescText.layer);
    ItemRec desc{};
    std::string descText;
    if (g_PrefDescription(1) != 0) {
        desc = ChooseText(oldIdx, old, tmpl, g_PrefDescription(4), g_PrefDescription(2), g_PrefDescription(3));
        descText = DescriptionText(rec, groupName, groupRead);
        if (!descText.empty())
            ReplaceText(status, comp, oldIdx, desc, kDescText, descText);
        else
            DropText(comp, oldIdx);
    } else {
        DropText(comp, oldIdx);
    }

    // Gate text, beside the description.
    if (g_PrefDescription(1) != 0 && g_PrefDescription(10) != 0) {
        oldIdx = FindOldText(comp, kGateTextMask, old);
        ItemRec gate = desc;
        if (oldIdx != 0) {
            gate = old;
        } else {
            int32_t extent[2] = {};
            G_GetTextSize(desc.P1, desc.P2, static_cast<int32_t>(descText.size()) + 1, extent);
            const double angle = desc.Angle / 1000.0 * std::numbers::pi / 180.0;
            gate.X = ToLong(desc.X + extent[0] * std::cos(angle));
            gate.Y = ToLong(desc.Y + extent[0] * std::sin(angle));
        }
        if (!ReplaceText(status, comp, oldIdx, gate, kGateText, Trim(groupName))) return;
    }

    // Pin-number texts.
    if (!groupRead) {
        std::string detail = Trim(rec.DeviceName) + "/" + Trim(rec.GateText);
        ReportMsg(18, detail);
        status = 1;
        return;
    }
    MakePinTexts(status, rec, group);
}

void RefreshCompTexts(int32_t id, const CompRec& comp)
{
    FillCompInfo(id, comp, g_CompInfo);
    const size_t slash = g_CompInfo.Name.find('/');
    if (slash != std::string::npos) g_CompInfo.Name = FixedText(g_CompInfo.Name.substr(0, slash), 15);
    int32_t status = 0;
    ApplyCompInfo(status, g_CompInfo);
}

void RemakeCompText(int32_t id, int32_t& textIdx, const ItemRec& rec, const std::string& text)
{
    const int32_t array = C_CompTextArray(id);
    if (C_CompText(id, textIdx) == 0) return;
    ItemRec made = rec;
    made.Kind = kTextKind;
    made.Gap = 0;
    int32_t status = 0;
    int32_t item = 0;
    const int32_t added = AddItemToArray(status, array, made, text, item);
    if (status != 0) return;
    // The new text is in place before the old one goes.
    OA_Delete(array, textIdx);
    textIdx = added - 1;
}

void WriteCompText(int32_t id, int32_t textIdx)
{
    const int32_t item = C_CompText(id, textIdx);
    if (item == 0) return;
    I_ChangeItemXY(item, &g_CompText);
    I_ChangeTextSize(item, g_CompText.P1, g_CompText.P2);
    I_ChangeItemAttr(item, g_CompText.Flags, g_CompText.Layer, g_CompText.Style, g_CompText.Width);
}
