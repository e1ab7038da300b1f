#include "editor/editing/schitmed.h"

#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/controls.h"
#include "editor/shell/entry_change.h"
#include "editor/shell/help.h"
#include "editor/shell/listbox.h"
#include "editor/shell/menus.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/numtext.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "editor/shell/textnum.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/grid.h"
#include "platform/winsys/interaction.h"
#include "platform/winsys/keyboard.h"
#include "platform/winsys/nested_runs.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

int32_t g_ItemEditorFresh = 0;

namespace {

// What a row of the table shows and writes.
enum Field { FX, FY, FP1, FP2, FP3, FP4, FWidth, FRot, FFilled, FAngleA, FAngleB, FText, FTxtsize };

struct KindLayout {
    const char* header;
    const char* names;
    std::vector<int> fields;
};

bool IsTitledText(const ItemRec& item)
{
    return item.Flags == 2 || item.Flags == 4 || item.Flags == 8;
}

KindLayout LayoutOf(const ItemRec& item)
{
    switch (item.Kind) {
    case 1: return {"LINE", "StartX,StartY,dEndX,dEndY,LWidth", {FX, FY, FP1, FP2, FWidth}};
    case 2:
        return {"TRIANGLE ", "VtxAx,VtxAy,dVtxBx,dVtxBy,dVtxCx,dVtxCy,Filled,LWidth",
                {FX, FY, FP1, FP2, FP3, FP4, FFilled, FWidth}};
    case 3: return {"RECTANGLE", "PosX,PosY,SizeX,SizeY,Rot,Filled,LWidth", {FX, FY, FP1, FP2, FRot, FFilled, FWidth}};
    case 4: return {"CIRCLE ", "Centx,Centy,Radius,Filled,LWidth", {FX, FY, FP1, FFilled, FWidth}};
    case 5: return {"ARC ", "Centx,Centy,Radius,AngleA,AngleB,LWidth", {FX, FY, FP1, FAngleA, FAngleB, FWidth}};
    case 6:
        if (IsTitledText(item)) return {"", "Xpos,Ypos,Rot,Txtsize", {FX, FY, FRot, FTxtsize}};
        return {"TEXT ", "Xpos,Ypos,Rot,Text,Txtsize", {FX, FY, FRot, FText, FTxtsize}};
    default:
        if (item.Kind < 20) return {"", "", {FX, FY, FWidth}};
        return {"", "", {}};
    }
}

std::string LengthText(double value)
{
    return Trim(Format(value / g_DbUnitsPerMm * g_UnitFactor(g_UnitIndex), g_NumFormat(g_UnitIndex)));
}

double CellLength(double number)
{
    return number / g_UnitFactor(g_UnitIndex) * g_DbUnitsPerMm;
}

std::string AngleText(int32_t value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value / 1000.0);
    return buffer;
}

int32_t CellAngle(double degrees)
{
    return G_AngleAdj(static_cast<int32_t>(std::lround(degrees * 1000.0)));
}

// The cell text with its first comma taken as the decimal point.
std::string WithDecimalPoint(std::string text)
{
    const auto comma = text.find(',');
    if (comma != std::string::npos) text[comma] = '.';
    return text;
}

// True when the whole text reads as a number (first comma as the point).
bool IsNumberText(const std::string& text)
{
    const std::string number = Trim(WithDecimalPoint(text));
    if (number.empty()) return false;
    char* end = nullptr;
    std::strtod(number.c_str(), &end);
    return end && *end == '\0';
}

std::string FieldText(int field, const ItemRec& item, const std::string& text)
{
    switch (field) {
    case FX: return LengthText(item.X);
    case FY: return LengthText(item.Y);
    case FP1: return LengthText(item.P1);
    case FP2: return LengthText(item.P2);
    case FP3: return LengthText(item.P3);
    case FP4: return LengthText(item.P4);
    case FWidth: return LengthText(item.Width);
    case FRot: return AngleText(item.Angle);
    case FFilled: return item.Style == 16 ? "True" : "False";
    case FAngleA: return AngleText(item.P2);
    case FAngleB: return AngleText(item.P3);
    case FText: return Trim(text);
    case FTxtsize: return LengthText(item.P2 * 6.0);
    default: return "";
    }
}

// Writes an edited cell into the record; the text and text size fields are
// taken separately.
void TakeField(int field, const std::string& cell, ItemRec& item)
{
    const double number = ParseNum(Trim(WithDecimalPoint(cell)));
    const auto length = [&] { return static_cast<int32_t>(std::lround(CellLength(number))); };
    switch (field) {
    case FX: item.X = length(); break;
    case FY: item.Y = length(); break;
    case FP1: item.P1 = length(); break;
    case FP2: item.P2 = length(); break;
    case FP3: item.P3 = length(); break;
    case FP4: item.P4 = length(); break;
    case FWidth: item.Width = length(); break;
    case FRot: item.Angle = CellAngle(number); break;
    case FFilled: item.Style = UCase(Trim(cell)) == "TRUE" ? 16 : 0; break;
    case FAngleA: item.P2 = CellAngle(number); break;
    case FAngleB: item.P3 = CellAngle(number); break;
    default: break;
    }
}

class ItemEditorWindow : public QDialog {
public:
    ItemEditorWindow() : QDialog(nullptr) {}
};

constexpr int kTwips = winsys::TwipsPerPixel;

void PlaceTwips(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(left / kTwips, top / kTwips, width / kTwips, height / kTwips);
}

}  // namespace

SCHITMED::SCHITMED() : Form("SCHITMED")
{
    m_UndoStates.resize(1);
}

std::unique_ptr<QWidget> SCHITMED::CreateWindow()
{
    auto window = std::make_unique<ItemEditorWindow>();
    window->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    window->setWindowTitle("Properties");
    window->setFixedSize(2910 / kTwips, 4215 / kTwips);
    grid_ = new winsys::NorvoGrid(0, 0, window.get());
    grid_->SetCols(2);
    // The two columns fill the table; it scrolls only down.
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    PlaceTwips(grid_, 15, 0, 2865, 2400);
    text_ = new TextBox(window.get());
    PlaceTwips(text_, 15, 2460, 2865, 300);
    sizes_ = new ListBox(window.get());
    PlaceTwips(sizes_, 15, 2760, 2865, 1035);
    undo_ = new CommandButton("Undo", window.get());
    PlaceTwips(undo_, 105, 3870, 1305, 315);
    cancel_ = new CommandButton("Cancel", window.get());
    PlaceTwips(cancel_, 1455, 3870, 1305, 315);

    AddControl(grid_, "F_GD");
    AddControl(text_, "F_TXT");
    AddControl(sizes_, "F_Tsize");
    AddControl(undo_, "F_UNDO");
    AddControl(cancel_, "F_Cncl");
    grid_->Click.Connect([this] { F_GD_Click(); });
    grid_->KeyDown.Connect([this](int key, int shift) { F_GD_KeyDown(key, shift); });
    grid_->KeyPress.Connect([this](int& key) { F_GD_KeyPress(key); });
    text_->KeyPress.Connect([this](int& key) { F_TXT_KeyPress(key); });
    text_->LostFocus.Connect([this] { F_TXT_LostFocus(); });
    text_->GotFocus.Connect([this] { F_TXT_GotFocus(); });
    sizes_->Click.Connect([this] { F_Tsize_Click(); });
    undo_->Click.Connect([this] { F_UNDO_Click(); });
    cancel_->Click.Connect([this] { F_Cncl_Click(); });
    return window;
}

void SCHITMED::ForgetControls()
{
    grid_ = nullptr;
    text_ = nullptr;
    sizes_ = nullptr;
    undo_ = nullptr;
    cancel_ = nullptr;
}

winsys::NorvoGrid* SCHITMED::F_GD() { EnsureLoaded(); return grid_; }
TextBox* SCHITMED::F_TXT() { EnsureLoaded(); return text_; }
ListBox* SCHITMED::F_Tsize() { EnsureLoaded(); return sizes_; }
CommandButton* SCHITMED::F_UNDO() { EnsureLoaded(); return undo_; }
CommandButton* SCHITMED::F_Cncl() { EnsureLoaded(); return cancel_; }

void SCHITMED::Form_Load()
{
    LocalizeForm(*this);
    SetupGridWindow();
    if (g_MainForm && g_MainForm->M_Unit) g_MainForm->M_Unit->SetEnabled(false);
}

void SCHITMED::SetupGridWindow()
{
    // The window flag keeps it above the other windows; position and size
    // stay as they are.
    grid_->SetColWidth(0, 1000);
    grid_->SetColWidth(1, 1800);
}

void SCHITMED::Form_Activate()
{
    if (g_ItemEditorFresh == 0) return;
    const std::string unit = g_UnitSuffix(g_UnitIndex) == "mm" ? "mm" : "Inch";
    SetCaption(GetMsgText("Properties in ", "991085") + unit);
    g_ItemEditorFresh = 0;
    m_TextSizeIdx = 1;
    m_EventsLive = 0;
    PushItemState(true);
    BuildItemGrid();
    text_->SetText("");
    sizes_->Clear();
    undo_->setEnabled(false);
}

void SCHITMED::Form_KeyUp(int& KeyCode, int& Shift)
{
    if (KeyCode == winsys::vk::F1 && Shift == winsys::shiftmask::Ctrl) ShowFormHelp();
}

void SCHITMED::Form_Unload(int& /*cancel*/)
{
    if (text_) text_->SetText("");
    m_UndoStates.assign(1, ItemStateRec{});
    if (g_MainForm && g_MainForm->M_Unit) g_MainForm->M_Unit->SetEnabled(true);
}

std::string SCHITMED::FieldName(int row) const
{
    return UCase(Trim(grid_->TextMatrix(row, 0)));
}

void SCHITMED::BuildItemGrid()
{
    const KindLayout layout = LayoutOf(g_SymbItem);
    const ItemRec& source = g_SymbItem.Kind == 6 ? g_SymbText : g_SymbItem;
    fields_.assign(1, -1);
    fields_.insert(fields_.end(), layout.fields.begin(), layout.fields.end());
    const int n = static_cast<int>(layout.fields.size());
    m_CellText.assign(n + 1, "");
    for (int k = 1; k <= n; ++k) m_CellText[k] = FieldText(fields_[k], source, g_SymbItemText);
    edited_.assign(n + 1, false);

    grid_->SetRows(n + 1);
    // Never over the text box below it: a longer table scrolls.
    const int height = grid_->RowHeight(1 < grid_->Rows() ? 1 : 0) * grid_->Rows() + 60;
    grid_->SetHeight(std::min(height, 2445));
    grid_->SetTextMatrix(0, 0, "ID");
    grid_->SetTextMatrix(0, 1, g_SymbItem.Kind == 6 && IsTitledText(g_SymbItem) ? g_SymbItemText : layout.header);
    std::vector<std::string> names(1);
    for (const char* c = layout.names; *c; ++c) {
        if (*c == ',') names.emplace_back();
        else names.back() += *c;
    }
    for (int k = 1; k <= n; ++k) {
        grid_->SetTextMatrix(k, 1, m_CellText[k]);
        grid_->SetTextMatrix(k, 0, *layout.names && k <= static_cast<int>(names.size()) ? names[k - 1] : "");
    }
    grid_->SetRow(0);
    PrepareCellEditor();
    m_EventsLive = 1;
    grid_->PostFillB(0);
    grid_->SetColAlignment(1, 0);
}

void SCHITMED::PrepareCellEditor()
{
    const std::string name = FieldName(grid_->Row());
    if (name == "LWIDTH") {
        if (g_SymbItem.Style == 16) {
            sizes_->setVisible(false);
            text_->setVisible(false);
        } else {
            sizes_->Clear();
            for (long i = 0; i <= 15; ++i) sizes_->AddItem(LengthText(g_LineWidths(i)));
            sizes_->setVisible(true);
            text_->setVisible(true);
        }
    } else if (name == "TXTSIZE") {
        sizes_->Clear();
        for (long i = 1; i <= 15; ++i)
            sizes_->AddItem(LengthText(6.0 * g_TextSizes(i).Width) + g_UnitSuffix(g_UnitIndex));
        const int index = g_TextSizeIdx - 1;
        sizes_->SetListIndex(index >= 0 && index < sizes_->ListCount() ? index : -1);
        sizes_->setVisible(true);
        text_->setVisible(false);
    } else if (name == "FILLED") {
        sizes_->setVisible(false);
        text_->setVisible(false);
        const int row = m_EditRow;
        const std::string flipped = UCase(Trim(grid_->TextMatrix(row, 1))) == "TRUE" ? "False" : "True";
        grid_->SetTextMatrix(row, 1, flipped);
        m_CellText[row] = flipped;
        edited_[row] = true;
        if (ApplyItemGrid()) undo_->setEnabled(true);
    } else if (name == "ID" || name.empty()) {
        sizes_->setVisible(false);
        text_->setVisible(false);
    } else {
        sizes_->setVisible(false);
        text_->setVisible(true);
    }
    grid_->SetCol(1);
    grid_->horizontalScrollBar()->setValue(0);
    if (!sizes_->isVisibleTo(Window())) return;
    const std::string value = UCase(grid_->TextMatrix(grid_->Row(), 1));
    for (int i = 0; i < sizes_->ListCount(); ++i) {
        if (UCase(sizes_->List(i)) == value) {
            sizes_->SetListIndex(i);
            break;
        }
    }
}

void SCHITMED::F_GD_Click()
{
    m_EditRow = grid_->Row();
    m_EventsLive = 0;
    PrepareCellEditor();
    text_->SetText(grid_->TextMatrix(m_EditRow, 1));
    m_EventsLive = 1;
    if (text_->isVisibleTo(Window())) text_->setFocus();
}

void SCHITMED::F_GD_KeyDown(int /*KeyCode*/, int /*Shift*/)
{
    grid_->SetCol(0);
}

void SCHITMED::F_GD_KeyPress(int& KeyAscii)
{
    if (KeyAscii == 13) F_GD_Click();
}

void SCHITMED::F_TXT_GotFocus()
{
    m_Dirty = 0;
}

void SCHITMED::F_TXT_KeyPress(int& KeyAscii)
{
    const bool always = (KeyAscii >= '0' && KeyAscii <= '9') || KeyAscii == '.' || KeyAscii == ',' ||
                        KeyAscii == '-' || KeyAscii == 8 || KeyAscii == 13;
    if (!always && FieldName(m_EditRow) != "TEXT") {
        KeyAscii = 0;
        winsys::Ui().Beep();
        return;
    }
    m_Dirty = 1;
    if (KeyAscii == 13) {
        KeyAscii = 0;
        CommitCellText(text_->Text());
    }
}

void SCHITMED::F_TXT_LostFocus()
{
    if (m_Dirty == 1) CommitCellText(text_->Text());
}

void SCHITMED::F_Tsize_Click()
{
    if (m_EventsLive == 0) return;
    // A cleared selection picks nothing.
    const int index = sizes_->ListIndex();
    if (index < 0) return;
    const int row = grid_->Row();
    const std::string entry = sizes_->List(index);
    grid_->SetTextMatrix(row, 1, entry);
    m_CellText[row] = entry;
    const std::string name = FieldName(row);
    if (name == "LWIDTH") {
        text_->SetText(entry);
        edited_[row] = true;
    } else if (name == "TXTSIZE") {
        m_Dirty = 1;
        m_TextSizeIdx = index + 1;
    }
    if (ApplyItemGrid()) undo_->setEnabled(true);
}

void SCHITMED::CommitCellText(const std::string& text)
{
    if (m_EventsLive == 0) return;
    if (Trim(text).empty()) {
        winsys::Ui().Beep();
        return;
    }
    m_Dirty = 0;
    const int remembered = grid_->Row();
    grid_->SetRow(m_EditRow);
    if (FieldName(m_EditRow) == "TEXT") m_NewText = text;
    // A pasted text that is no number is refused rather than read as 0.
    const bool isText = FieldName(m_EditRow) == "TEXT";
    double value = ParseNum(Trim(text));
    if ((isText || IsNumberText(text)) && CheckCellValue(value) == 0) {
        grid_->SetTextMatrix(m_EditRow, 1, text);
        m_CellText[m_EditRow] = text;
        edited_[m_EditRow] = true;
        grid_->SetRow(remembered);
        if (ApplyItemGrid()) undo_->setEnabled(true);
    } else {
        grid_->SetRow(remembered);
        winsys::Ui().Beep();
        text_->SetText(grid_->TextMatrix(m_EditRow, 1));
    }
}

int SCHITMED::CheckCellValue(double& value)
{
    const std::string name = FieldName(grid_->Row());
    if (name == "TEXT") return 0;
    if (name == "ROT" || name == "ANGLEA" || name == "ANGLEB") return std::fabs(value) <= 360.0 ? 0 : 1;
    value = CellLength(value);
    const double low = name == "LWIDTH" ? 0.0 : -static_cast<double>(kCoordLimit);
    return value >= low && value <= kCoordLimit ? 0 : 1;
}

// Makes the replacement text item, adds it, and only then deletes the old
// one. Run inside the caller's change: a refused step is put back there.
bool SCHITMED::ReplaceText(const ItemRec& record, const std::string& text)
{
    const int32_t array = S_SymbolItemArray(g_CurSymb);
    int32_t status = 0, made = 0;
    MakeOwnerItem(status, kOwnerSymbol, g_CurSymb, record, text, made);
    if (status != 0 || made <= 0) return false;
    if (OA_Delete(array, g_SymbItemIdx) == 0) return false;
    g_SymbItemIdx = made > g_SymbItemIdx ? made - 1 : made;
    int32_t kind = 0;
    ReadSymbItem(status, g_CurSymb, g_SymbItemIdx, g_SymbItemText, kind);
    return status == 0 && kind == 6;
}

void SCHITMED::ShowItemAsItIs(int32_t index)
{
    winsys::Ui().Beep();
    g_SymbItemIdx = index;
    int32_t status = 0, kind = 0;
    ReadSymbItem(status, g_CurSymb, g_SymbItemIdx, g_SymbItemText, kind);
}

bool SCHITMED::ApplyItemGrid()
{
    const int n = static_cast<int>(m_CellText.size()) - 1;
    for (int k = 1; k <= n; ++k) m_CellText[k] = WithDecimalPoint(m_CellText[k]);
    const int32_t kindNow = g_SymbItem.Kind;
    const int32_t index = g_SymbItemIdx;
    const size_t states = m_UndoStates.size();
    // The item's fields are written as one: a refused step puts the item
    // back as it was, with a beep, and the table shows it as it is.
    bool written = true;
    {
        EntryChange write;
        if (kindNow >= 1 && kindNow <= 5) {
            ItemRec copy = g_SymbItem;
            for (int k = 1; k <= n; ++k)
                if (edited_[k]) TakeField(fields_[k], m_CellText[k], copy);
            WriteSymbItem(g_CurSymb, g_SymbItemIdx, copy);
            O_Mask(S_SymbolItem(g_CurSymb, g_SymbItemIdx), 0, 1);
            int32_t status = 0, kind = 0;
            ReadSymbItem(status, g_CurSymb, g_SymbItemIdx, g_SymbItemText, kind);
            written = status == 0;
        } else if (kindNow == 6) {
            int32_t status = 0, kind = 0;
            ReadSymbItem(status, g_CurSymb, g_SymbItemIdx, g_SymbItemText, kind);
            written = status == 0 && kind == 6;
        }
        if (written && kindNow == 6) {
            m_NewText = Trim(m_NewText);
            ItemRec copy = g_SymbItem;
            for (int k = 1; k <= n; ++k)
                if (edited_[k] && fields_[k] != FText) TakeField(fields_[k], m_CellText[k], copy);
            if (m_Dirty != 0) {
                m_Dirty = 0;
                copy.P1 = g_TextSizes(m_TextSizeIdx).Height;
                copy.P2 = g_TextSizes(m_TextSizeIdx).Width;
                copy.Width = g_TextSizes(m_TextSizeIdx).Width3;
            }
            if (!m_NewText.empty()) g_SymbItemText = m_NewText;
            if (!g_SymbItemText.empty()) written = ReplaceText(copy, g_SymbItemText);
            if (written) {
                m_NewText.clear();
                g_SymbItemText.clear();
            }
        }
        // The state kept for Undo reads the item as written, and the canvas
        // is painted afresh inside the change: a call of either that the
        // kernel refuses sends the change back like a refused write (and
        // the put-back paints the canvas again as the design is).
        if (written) {
            PushItemState(false);
            RequestRedraw();
        }
        written = write.End() && written;
    }
    if (!written) {
        m_UndoStates.resize(states);
        ShowItemAsItIs(index);
        m_NewText.clear();
        m_EventsLive = 0;
        BuildItemGrid();
        return false;
    }
    std::fill(edited_.begin(), edited_.end(), false);
    return true;
}

// The canvas is painted afresh, so that the item as it was (another size,
// place or shape) leaves no pixels behind and what it covered shows again;
// then the main window is asked to mark the item as it is now.
void SCHITMED::RequestRedraw()
{
    if (!g_MainForm) return;
    g_MainForm->RefreshCanvas();
    if (!g_MainForm->F_Bitm) return;
    g_MainForm->F_Bitm->SetText(" ");
    g_MainForm->F_Bitm->SetText("B");
}

void SCHITMED::PushItemState(bool reset)
{
    if (reset) m_UndoStates.clear();
    ItemStateRec state;
    int32_t status = 0, kind = 0;
    ReadSymbItem(status, g_CurSymb, g_SymbItemIdx, g_SymbItemText, kind);
    if (status == 0 && kind >= 1 && kind <= 6) {
        state.item = g_SymbItem;
        if (kind == 6) {
            state.text = g_SymbText;
            state.textString = g_SymbItemText;
        }
    }
    m_UndoStates.push_back(state);
}

void SCHITMED::RestoreItemState()
{
    if (m_UndoStates.empty()) m_UndoStates.resize(1);
    size_t n = m_UndoStates.size() - 1;
    if (n > 0) --n;
    const ItemStateRec& state = m_UndoStates[n];
    const int32_t kind = g_SymbItem.Kind;
    const int32_t index = g_SymbItemIdx;
    // Written and read back as one: a refused step leaves the item as it
    // is, and the history is kept for another try.
    bool written = true;
    {
        EntryChange write;
        if (kind >= 1 && kind <= 6 && state.item.Kind == kind) {
            if (kind == 6)
                written = ReplaceText(state.item, state.textString);
            else
                WriteSymbItem(g_CurSymb, g_SymbItemIdx, state.item);
        }
        if (written) {
            int32_t status = 0, readKind = 0;
            ReadSymbItem(status, g_CurSymb, g_SymbItemIdx, g_SymbItemText, readKind);
            RequestRedraw();
        }
        written = write.End() && written;
    }
    if (!written) {
        ShowItemAsItIs(index);
        return;
    }
    text_->SetText("");
    m_UndoStates.resize(n + 1);
    if (n == 0) undo_->setEnabled(false);
}

void SCHITMED::F_UNDO_Click()
{
    m_EventsLive = 0;
    RestoreItemState();
    BuildItemGrid();
}

void SCHITMED::F_Cncl_Click()
{
    m_UndoStates.resize(1);
    m_EventsLive = 0;
    RestoreItemState();
    BuildItemGrid();
    undo_->setEnabled(false);
    if (g_MainForm) g_MainForm->F_OST(2)->SetValue(true);
}

void SCHMAIN::UnloadItemEditor()
{
    UnmarkCurrentItem();
    FormInstance<SCHITMED>().Unload();
    winsys::NestedRun turn;
    QApplication::processEvents();
}
