#include "editor/dialogs/schbtext.h"

#include "editor/objects/components.h"
#include "editor/objects/libraries.h"
#include "editor/shell/controls.h"
#include "editor/shell/design_change.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/entry_change.h"
#include "editor/shell/geometry.h"
#include "editor/shell/help.h"
#include "editor/shell/menus.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/schmain.h"
#include "editor/shell/schmain_design.h"
#include "editor/shell/settings.h"
#include "editor/shell/textarea.h"
#include "editor/shell/textnum.h"
#include "editor/view/marks.h"
#include "platform/winsys/keyboard.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QTextCursor>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

CheckedArray<CompListEntry> g_CompListEntries(0, 0);
bool g_CompListCreate = false;
int32_t g_CompListCoordMode = 0;

namespace {

// Escape (and closing the window) is Cancel.
class ListWindow : public QDialog {
public:
    explicit ListWindow(SCHBTEXT& form) : form_(form) {}
    void reject() override
    {
        RunEventProcedure([this] { form_.F_Return_Click(); });
    }

private:
    SCHBTEXT& form_;
};

// The main window's position, 315 twips below its top.
constexpr int kBelowMainTop = 315 / schmain_design::kTwipsPerPixel;

const char* const kFreeNamePrefix = "Unpck";

// Takes away what an earlier lookup left under a temporary id. An id that
// holds nothing is not handed to the kernel: its refusal would count as a
// failed step of the edit the list belongs to.
void DropTemporary(int32_t map, int32_t id)
{
    if (OM_Object(map, id) != 0) OM_Delete(map, id);
}

// A position in a text with CR LF line ends as the text box counts it (one
// position for a line end).
int BoxPosition(const std::string& text, size_t pos)
{
    size_t pairs = 0;
    for (size_t i = text.find("\r\n"); i != std::string::npos && i + 1 < pos; i = text.find("\r\n", i + 2)) ++pairs;
    return static_cast<int>(pos - pairs);
}

}  // namespace

// The kernel side of a parse: the form's lookups and the kernel's names.
class ListKernelLookups : public CompListLookups {
public:
    explicit ListKernelLookups(SCHBTEXT& form) : form_(form) {}

    bool FreeCompName(const std::vector<std::string>& handed, std::string& name) override
    {
        int32_t status = 0;
        FindFreeName(status, DB_SchCompMap(), kFreeNamePrefix, name);
        if (status != 0) return false;
        // The kernel reserves nothing: a name handed to an earlier line of
        // this list is still free in the design, so count on from it.
        long number = std::strtol(name.c_str() + std::char_traits<char>::length(kFreeNamePrefix), nullptr, 10);
        auto taken = [&handed](const std::string& candidate) {
            return std::find(handed.begin(), handed.end(), candidate) != handed.end() ||
                   OM_FindName(DB_SchCompMap(), candidate.c_str()) > 0;
        };
        while (taken(name)) {
            if (number >= 2147483647L) return false;
            name = kFreeNamePrefix + std::to_string(++number);
        }
        return true;
    }
    int LookupPart(const std::string& name, std::optional<int32_t> group, int32_t& device) override
    {
        int err = 0;
        device = 0;
        if (!form_.LoadWhole([&] { err = form_.LookupListPart(name, group); })) return listerr::kLoadRefused;
        device = form_.m_RefId;
        return err;
    }
    int LookupSymbol(const std::string& name, int32_t& symbol) override
    {
        int err = 0;
        symbol = 0;
        if (!form_.LoadWhole([&] { err = form_.LookupListSymbol(name); })) return listerr::kLoadRefused;
        symbol = form_.m_RefId;
        return err;
    }
    bool FindComp(const std::string& name, int32_t& id, int32_t& x, int32_t& y) override
    {
        int32_t status = 1;
        FindCompByName(status, 0, id, name);
        if (status != 0) return false;
        std::string compName;
        ReadComp(status, id, compName);
        if (status != 0) return false;
        g_CompId = id;
        x = g_Comp.X;
        y = g_Comp.Y;
        return true;
    }
    int32_t AdjustAngle(int32_t angle) override { return G_AngleAdj(angle); }

private:
    SCHBTEXT& form_;
};

SCHBTEXT::SCHBTEXT() : Form("SCHBTEXT")
{
    KeyPreview = true;
}

std::unique_ptr<QWidget> SCHBTEXT::CreateWindow()
{
    auto window = std::make_unique<ListWindow>(*this);
    window->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    window->setModal(false);

    auto* layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(1, 0, 1, 1);
    layout->setSpacing(1);
    menuBar_ = new QMenuBar(window.get());
    layout->setMenuBar(menuBar_);
    mRef_ = MenuItem::BarMenu(menuBar_, "&Mode");
    AddControl(mRef_, "M_Ref");
    const char* const modes[] = {"&Absolute", "&Page Datum", "&Ref.Point", "&Vector"};
    for (int i = 0; i < 4; ++i) {
        MenuItem* item = MenuItem::Command(mRef_->Menu(), modes[i], true);
        mCref_.Add(i, item);
        AddControl(item, "M_Cref", i);
        item->Click.Connect([this, i] { M_Cref_Click(i); });
    }

    txtBuffer_ = new TextArea(window.get());
    txtBuffer_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtBuffer_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtBuffer_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont fixed("DejaVu Sans Mono");
    fixed.setStyleHint(QFont::Monospace);
    txtBuffer_->setFont(fixed);
    layout->addWidget(txtBuffer_, 1);

    fClose_ = new Panel(window.get());
    auto* buttons = new QHBoxLayout(fClose_);
    buttons->setContentsMargins(4, 4, 4, 4);
    buttons->addStretch();
    accept_ = new CommandButton("Accept", fClose_);
    buttons->addWidget(accept_);
    return_ = new CommandButton("Cancel", fClose_);
    buttons->addWidget(return_);
    layout->addWidget(fClose_);
    window->resize(600, 420);

    AddControl(txtBuffer_, "F_TxtBuffer");
    AddControl(fClose_, "F_FClose");
    AddControl(accept_, "F_Accept");
    AddControl(return_, "F_Return");
    SetControlTag(accept_, "99177");
    SetControlTag(return_, "99388");
    accept_->Click.Connect([this] { F_Accept_Click(); });
    return_->Click.Connect([this] { F_Return_Click(); });
    return window;
}

void SCHBTEXT::ForgetControls()
{
    menuBar_ = nullptr;
    txtBuffer_ = nullptr;
    fClose_ = nullptr;
    accept_ = nullptr;
    return_ = nullptr;
    mRef_ = nullptr;
    mCref_.Clear();
}

TextArea* SCHBTEXT::F_TxtBuffer() { EnsureLoaded(); return txtBuffer_; }
Panel* SCHBTEXT::F_FClose() { EnsureLoaded(); return fClose_; }
CommandButton* SCHBTEXT::F_Accept() { EnsureLoaded(); return accept_; }
CommandButton* SCHBTEXT::F_Return() { EnsureLoaded(); return return_; }
MenuItem* SCHBTEXT::M_Ref() { EnsureLoaded(); return mRef_; }
MenuItem* SCHBTEXT::M_Cref(int index) { EnsureLoaded(); return mCref_(index); }

void SCHBTEXT::Form_Load()
{
    LocalizeForm(*this);
    SetMousePointer(mousepointer::Hourglass);
    {
        g_SuppressResize = true;
        if (g_MainForm && g_MainForm->Window()) {
            const QPoint main = g_MainForm->Window()->pos();
            Window()->move(main.x(), main.y() + kBelowMainTop);
        }
        g_SuppressResize = false;
    }

    std::string help = "Format:" + g_CrLf;
    if (g_CompListCreate) {
        help += "groupnumber,refmode,refname{,xcomp,ycomp,rot[,coordmode]}" + g_CrLf;
        help += GetMsgText(" where:", "991399") + g_CrLf;
        help += GetMsgText("  refmode = d then refname = Part name", "991438") + g_CrLf;
        help += GetMsgText("  refmode = s then groupnumber=0,refname = symbol name", "13172") + g_CrLf;
        help += GetMsgText("  xcomp,ycomp,rot = coordinates(optional)", "991440") + g_CrLf;
    } else {
        help += "compname,xcomp,ycomp,rot[,coordmode]" + g_CrLf;
        help += GetMsgText(" where:", "991399") + g_CrLf;
    }
    help += GetMsgText("  coordmode = A then absolute", "99483") + g_CrLf;
    help += GetMsgText("  coordmode = P then from page datum", "1372") + g_CrLf;
    help += GetMsgText("  coordmode = R then from ref.point", "99485") + g_CrLf;
    help += GetMsgText("  coordmode = V then vector from current pos.", "99486") + g_CrLf;
    help += GetMsgText("  coordmode if present overrides set mode", "99487") + g_CrLf;
    g_TextBuf += help;

    if (g_CompListCreate) mCref_(3)->SetEnabled(false);
    txtBuffer_->SetText(g_TextBuf);
    SetMousePointer(mousepointer::Default);

    const std::string unit = g_UnitLongName(g_UnitIndex);
    SetCaption(g_CompListCreate ? GetMsgText("Edit Component List Create in: ", "99597") + unit
                                : GetMsgText("Edit Component Relocation in :", "1398") + unit);
    if (mCref_.Exists(g_CompListCoordMode)) mCref_(g_CompListCoordMode)->SetChecked(true);
}

void SCHBTEXT::Form_Resize()
{
    // The layout fits the text and the button frame to the window.
    if (txtBuffer_ && txtBuffer_->isVisible()) txtBuffer_->setFocus(Qt::OtherFocusReason);
}

void SCHBTEXT::Form_KeyUp(int& KeyCode, int& Shift)
{
    if (KeyCode == winsys::vk::F1 && Shift == winsys::shiftmask::Ctrl) ShowFormHelp();
}

void SCHBTEXT::M_Cref_Click(int Index)
{
    if (mCref_.Exists(g_CompListCoordMode)) mCref_(g_CompListCoordMode)->SetChecked(false);
    g_CompListCoordMode = Index;
    mCref_(Index)->SetChecked(true);
}

void SCHBTEXT::F_Accept_Click()
{
    if (g_CompListCreate)
        ParseCreateList();
    else
        ParseRelocList();
    if (g_TextAccepted) Hide();
}

void SCHBTEXT::F_Return_Click()
{
    g_TextBuf.clear();
    g_TextAccepted = false;
    Hide();
}

void SCHBTEXT::ParseCreateList()
{
    ParseList(true);
}

void SCHBTEXT::ParseRelocList()
{
    ParseList(false);
}

void SCHBTEXT::ParseList(bool create)
{
    g_CompListEntries.Redim(0, 0);
    g_TextAccepted = false;
    m_PartName.clear();
    m_SymbName.clear();
    m_Group = 0;
    m_RefId = 0;

    ListCoordContext context;
    context.unitFactor = g_UnitFactor(g_UnitIndex);
    context.dbUnitsPerMm = g_DbUnitsPerMm;
    context.menuMode = g_CompListCoordMode;
    context.frameX = g_FrameX1;
    context.frameY = g_FrameY1;
    context.refX = g_Markers[kRefPointMarker].X;
    context.refY = g_Markers[kRefPointMarker].Y;

    // The parts and symbols this reading loads stay (a cancel keeps them).
    // Each line's load is an entry of its own: one the kernel refused a step
    // of goes back alone, the line is skipped when the list is applied and
    // the other lines are read and made. A step refused outside the lines'
    // loads puts the whole reading back: the list is not taken, and another
    // try starts from the design as it was.
    EntryChange reading;
    ListKernelLookups lookups(*this);
    const CompListResult result = ParseCompList(txtBuffer_->Text(), create, context, lookups);
    const bool whole = reading.End();
    g_TextBuf = result.stripped;
    g_CompListEntries.Redim(0, static_cast<long>(result.entries.size()));
    for (size_t i = 0; i < result.entries.size(); ++i) g_CompListEntries(static_cast<long>(i) + 1) = result.entries[i];
    if (result.error != 0) {
        ReportListError(result.error, result);
        return;
    }
    if (!whole) {
        g_CompListEntries.Redim(0, 0);
        std::string detail = ":" + g_CrLf + "Not done: the kernel refused a step";
        ReportMsg(create ? 97 : 96, detail);
        return;
    }
    g_TextAccepted = true;
}

bool SCHBTEXT::LoadWhole(const std::function<void()>& lookup)
{
    loadingSymbol_ = false;
    loadTold_ = false;
    EntryChange load;
    lookup();
    if (load.End()) return true;
    if (!loadTold_) {
        std::string detail = loadingSymbol_ ? m_SymbName : m_PartName;
        ReportMsg(loadingSymbol_ ? 12 : 13, detail);
    }
    m_RefId = 0;
    return false;
}

int SCHBTEXT::LookupListPart(const std::string& name, std::optional<int32_t> group)
{
    m_PartName = name;
    m_Group = 0;
    int32_t status = 1;
    std::string libName;
    int32_t index = 0;
    {
        // The part's own load, so that a step of it refused is told as the
        // part's and ends the lookup (LoadWhole puts it back).
        DesignChange partLoad;
        DropTemporary(DB_DeviceMap(), kTempDeviceId);
        DropTemporary(DB_SymbMap(), kTempSchSymbolId);
        GetDevice(status, name, m_RefId, libName, index);
        // KeepTemporaryEntry reports a refusal itself.
        if (status == 0 && !KeepTemporaryEntry(m_RefId, m_PartName)) {
            loadTold_ = true;
            status = 1;
        }
        if (!partLoad.Finish() || status != 0) return listerr::kNoPart;
    }

    GroupRec groupRec{};
    if (!group || D_ReadGroup(m_RefId, *group, &groupRec) < 1) return listerr::kNoGroup;
    m_Group = *group;

    m_SymbName = PtrToStr(groupRec.SymbName);
    loadingSymbol_ = true;
    DropTemporary(DB_SymbMap(), kTempSchSymbolId);
    int32_t symbol = 0;
    GetSymb(status, kSchSymbol, m_SymbName, symbol, libName, index);
    if (status != 0) return listerr::kNoSymbol;
    if (!KeepTemporaryEntry(symbol, m_SymbName)) {
        loadTold_ = true;
        return listerr::kNoSymbol;
    }
    DropTemporary(DB_DeviceMap(), kTempDeviceId);
    DropTemporary(DB_SymbMap(), kTempSchSymbolId);
    return 0;
}

int SCHBTEXT::LookupListSymbol(const std::string& name)
{
    loadingSymbol_ = true;
    DropTemporary(DB_SymbMap(), kTempSchSymbolId);
    m_SymbName = name;
    m_Group = 0;
    int32_t status = 1;
    std::string libName;
    int32_t index = 0;
    GetSymb(status, kSchSymbol, name, m_RefId, libName, index);
    if (status != 0) return listerr::kNoSymbol;
    if (!KeepTemporaryEntry(m_RefId, m_SymbName)) {
        loadTold_ = true;
        return listerr::kNoSymbol;
    }
    DropTemporary(DB_SymbMap(), kTempSchSymbolId);
    return 0;
}

void SCHBTEXT::ReportListError(int code, const CompListResult& result)
{
    std::string text;
    switch (code) {
    case listerr::kTextMissing: text = "Text missing or misplaced"; break;
    case listerr::kEndMissing: text = "'@END' line missing or misplaced"; break;
    case listerr::kFormat: text = "Wrong Format"; break;
    case listerr::kRange: text = "Out of Range"; break;
    case listerr::kNoComponent: text = GetMsgText("Component", "99460") + result.field1 + " not found"; break;
    case listerr::kCoordMode: text = "Wrong coordinate mode"; break;
    case listerr::kNoFreeName:
        text = "Cant't assign number to Prefix: ";
        text += kFreeNamePrefix;
        break;
    case listerr::kNoPart: text = "Part: " + m_PartName + " not found"; break;
    case listerr::kNoGroup: {
        const std::string number = std::isfinite(result.field1Value) ? Str(result.field1Value) : " " + result.field1;
        text = "Group:" + number + " in Part: " + m_PartName + " not found";
        break;
    }
    case listerr::kNoSymbol: text = "Symbol: " + m_SymbName + " not found"; break;
    default: break;
    }
    std::string detail = ":" + g_CrLf + text;
    ReportMsg(g_CompListCreate ? 97 : 96, detail);

    m_SelStart = result.selStart;
    m_SelLength = result.selLength;
    const std::string typed = txtBuffer_->Text();
    QTextCursor cursor = txtBuffer_->textCursor();
    const int size = std::max(0, static_cast<int>(txtBuffer_->document()->characterCount()) - 1);
    cursor.setPosition(std::clamp(BoxPosition(typed, m_SelStart), 0, size));
    cursor.setPosition(std::clamp(BoxPosition(typed, m_SelStart + m_SelLength), 0, size), QTextCursor::KeepAnchor);
    txtBuffer_->setTextCursor(cursor);
    if (txtBuffer_->isVisible()) txtBuffer_->setFocus(Qt::OtherFocusReason);
}
