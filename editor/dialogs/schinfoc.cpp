#include "editor/dialogs/schinfoc.h"

#include "editor/objects/components.h"
#include "editor/objects/libraries.h"
#include "editor/objects/net_lookups.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/help.h"
#include "editor/shell/listbox.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/schmain.h"
#include "editor/shell/schmain_design.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/grid.h"
#include "platform/winsys/keyboard.h"

#include <QDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

int32_t g_InfoMapKind = 0;

namespace {

// Escape is the Close button.
class MapsWindow : public QDialog {
public:
    explicit MapsWindow(SCHINFOC& form) : form_(form) {}
    void reject() override
    {
        RunEventProcedure([this] { form_.F_Return_Click(); });
    }

private:
    SCHINFOC& form_;
};

constexpr int kTwips = schmain_design::kTwipsPerPixel;
constexpr int kBelowMainTop = 315 / kTwips;
// The grid's alignments: left, centred and right, each vertically centred.
constexpr int kLeft = 1;
constexpr int kCentre = 4;
constexpr int kRight = 7;

const char* const kMissing = "*Missing*";

std::string NameOf(int32_t handle)
{
    return DisplayText(PtrToStr(O_GetName(handle)));
}

// The text shown for pin `entry` of a layout component (kind 1): the name
// of that pad in the component's package; "" when it cannot be read.
std::string PinDisplayText(int32_t kind, int32_t comp, int32_t entry)
{
    if (kind != 1) return {};
    LayCompRec rec{};
    if (L_ReadComponent(comp, &rec) < 1) return {};
    EntryRec pad{};
    if (S_ReadEntry(rec.Symb, entry, &pad) < 1) return {};
    return DisplayText(PtrToStr(pad.Name));
}

struct MapColumn {
    const char* header;
    const char* id;
    int alignment;
    std::string sample;  // empty: the grid's default width
};

}  // namespace

SCHINFOC::SCHINFOC() : Form("SCHINFOC")
{
    KeyPreview = true;
}

std::unique_ptr<QWidget> SCHINFOC::CreateWindow()
{
    auto window = std::make_unique<MapsWindow>(*this);
    window->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    window->setModal(false);
    auto* layout = new QHBoxLayout(window.get());
    layout->setContentsMargins(6, 6, 6, 6);

    auto* left = new QVBoxLayout();
    list_ = new ListBox(window.get());
    list_->setFixedWidth(150);
    left->addWidget(list_, 1);
    auto* count = new QHBoxLayout();
    label1_ = new Label("Item(s):", window.get());
    items_ = new Label({}, window.get());
    count->addWidget(label1_);
    count->addWidget(items_, 1);
    left->addLayout(count);
    layout->addLayout(left);

    auto* right = new QVBoxLayout();
    info_ = new winsys::NorvoGrid(1, 0, window.get());
    info_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    info_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    right->addWidget(info_, 1);
    sinfoF_ = new QGroupBox(window.get());
    auto* frame = new QHBoxLayout(sinfoF_);
    frame->setContentsMargins(4, 2, 4, 4);
    sinfo_ = new Label({}, sinfoF_);
    sinfo_->setStyleSheet("QLabel { color: blue; background-color: #ffffe0; padding: 1px 3px; }");
    frame->addWidget(sinfo_);
    right->addWidget(sinfoF_);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch();
    return_ = new CommandButton("Close", window.get());
    return_->setDefault(true);
    buttons->addWidget(return_);
    right->addLayout(buttons);
    layout->addLayout(right, 1);
    window->resize(640, 400);

    AddControl(list_, "F_List");
    AddControl(label1_, "Label1");
    AddControl(items_, "F_Items");
    AddControl(info_, "F_Info");
    AddControl(sinfoF_, "F_SinfoF");
    AddControl(sinfo_, "F_Sinfo");
    AddControl(return_, "F_Return");
    SetControlTag(label1_, "99792");
    SetControlTag(return_, "99422");
    list_->Click.Connect([this] { F_List_Click(); });
    return_->Click.Connect([this] { F_Return_Click(); });
    return window;
}

void SCHINFOC::ForgetControls()
{
    list_ = nullptr;
    label1_ = nullptr;
    items_ = nullptr;
    info_ = nullptr;
    sinfoF_ = nullptr;
    sinfo_ = nullptr;
    return_ = nullptr;
}

ListBox* SCHINFOC::F_List() { EnsureLoaded(); return list_; }
Label* SCHINFOC::F_Items() { EnsureLoaded(); return items_; }
winsys::NorvoGrid* SCHINFOC::F_Info() { EnsureLoaded(); return info_; }
QGroupBox* SCHINFOC::F_SinfoF() { EnsureLoaded(); return sinfoF_; }
Label* SCHINFOC::F_Sinfo() { EnsureLoaded(); return sinfo_; }
CommandButton* SCHINFOC::F_Return() { EnsureLoaded(); return return_; }

void SCHINFOC::Form_Load()
{
    LocalizeForm(*this);
    g_DlgOpening = true;
    SetupInfoGrid();
    FillMapList();
    if (g_MainForm && g_MainForm->Window()) {
        const QPoint main = g_MainForm->Window()->pos();
        Window()->move(main.x(), main.y() + kBelowMainTop);
    }
    g_DlgOpening = false;
}

void SCHINFOC::Form_Activate()
{
    if (!g_DlgOpening) return;
    g_DlgOpening = false;
    FillMapList();
}

void SCHINFOC::Form_KeyUp(int& KeyCode, int& Shift)
{
    if (KeyCode == winsys::vk::F1 && Shift == winsys::shiftmask::Ctrl) ShowFormHelp();
}

void SCHINFOC::SetupInfoGrid()
{
    const std::string b20(20, 'B');
    const std::string b15(15, 'B');
    std::vector<MapColumn> columns;
    bool summary = false;
    const char* frameCaption = "";
    const char* frameId = "";
    switch (g_InfoMapKind) {
    case 1:
        columns = {{"Pin", "991037", kRight, {}}, {"Net", "99920", kLeft, b20}, {"Status", "991257", kCentre, {}}};
        summary = true;
        frameCaption = "Part/Symbol: ";
        frameId = "99561";
        break;
    case 2:
        columns = {{"Component", "99460", kLeft, b20}, {"Status", "991257", kCentre, {}}};
        break;
    case 3:
    case 4:
        columns = {{"Component", "99460", kLeft, b20}};
        break;
    case 5:
        columns = {{"LComponent", "99823", kLeft, b15},   {"Pin", "991037", kRight, "sPins"},
                   {"Status", "991257", kCentre, "sStatuss"}, {"SComponent", "991443", kLeft, b15},
                   {"Entry", "99656", kRight, "sEntrys"},   {"Status", "991257", kCentre, "sStatuss"}};
        summary = true;
        frameCaption = "Net Status: ";
        frameId = "99926";
        break;
    case 6:
        columns = {{"Net", "99920", kLeft, b20}, {"Member", "99880", kRight, {}}};
        break;
    default:
        break;
    }
    info_->SetCols(static_cast<int>(columns.size()));
    info_->SetRows(2);
    const QFontMetrics metrics(Window()->font());
    int total = 0;
    for (size_t c = 0; c < columns.size(); ++c) {
        const int col = static_cast<int>(c);
        info_->SetTextMatrix(0, col, GetMsgText(columns[c].header, columns[c].id));
        info_->SetColAlignment(col, columns[c].alignment);
        info_->SetFixedAlignment(col, kCentre);
        if (!columns[c].sample.empty())
            info_->SetColWidth(col, metrics.horizontalAdvance(QString::fromLatin1(columns[c].sample.c_str())) * kTwips);
        total += info_->ColWidth(col);
    }
    sinfoF_->setVisible(summary);
    if (summary) sinfoF_->setTitle(QString::fromLatin1(GetMsgText(frameCaption, frameId).c_str()));
    info_->SetAfterSizing(0);
    // The grid is as wide as its columns; the window fits it.
    info_->setFixedWidth((350 + total) / kTwips);
    const int width = info_->Left() / kTwips + (350 + total) / kTwips + 315 / kTwips;
    Window()->resize(std::max(width, list_->width() + (350 + total + 315) / kTwips + 20), Window()->height());
}

void SCHINFOC::FillMapList()
{
    struct MapKind {
        const char* caption;
        const char* id;
        int32_t (*map)();
        int32_t value;
        int32_t mask;
    };
    static const MapKind kinds[] = {
        {"Component Map", "99464", [] { return DB_LayCompMap(); }, 0, 0},
        {"Part Map", "99553", [] { return DB_DeviceMap(); }, 0, 0},
        {"Package Map", "99818", [] { return DB_SymbMap(); }, 2, 2},
        {"Symbol Map", "991159", [] { return DB_SymbMap(); }, 1, 3},
        {"Net Map", "99922", [] { return DB_NetMap(); }, 0, 0},
        {"Bus Map", "99266", [] { return DB_BusMap(); }, 0, 0},
    };
    list_->Clear();
    int count = 0;
    if (g_InfoMapKind >= 1 && g_InfoMapKind <= 6) {
        const MapKind& kind = kinds[g_InfoMapKind - 1];
        SetCaption(GetMsgText(kind.caption, kind.id));
        const int32_t map = kind.map();
        int32_t position = OM_GetFirst(map);
        for (;;) {
            const int32_t found = OM_SearchMask(map, &position, kind.value, kind.mask);
            if (found == 0) break;
            if (found < 0) continue;
            list_->AddItem(NameOf(OM_Object(map, found)));
            ++count;
        }
    }
    items_->SetCaption(Str(count));
}

void SCHINFOC::ClearInfoGrid()
{
    info_->SetRows(2);
    for (int col = 0; col < info_->Cols(); ++col) info_->SetTextMatrix(1, col, "");
    info_->SetRow(0);
    sinfo_->SetCaption("");
}

void SCHINFOC::AddRow()
{
    info_->SetRows(info_->Row() + 2);
    info_->SetRow(info_->Row() + 1);
}

void SCHINFOC::SetCell(int col, const std::string& text)
{
    info_->SetCol(col);
    info_->SetText(text);
}

void SCHINFOC::F_List_Click()
{
    const std::string name = EnteredText(list_->Text());
    m_EntryName = name;
    switch (g_InfoMapKind) {
    case 1: ShowComponentPins(name); break;
    case 2: ShowPartComponents(name); break;
    case 3: ShowPackageComponents(name); break;
    case 4: ShowSymbolComponents(name); break;
    case 5: ShowNetNodes(name); break;
    case 6: ShowBusMembers(name); break;
    default: break;
    }
}

void SCHINFOC::F_Return_Click()
{
    Hide();
}

void SCHINFOC::ShowComponentPins(const std::string& name)
{
    ClearInfoGrid();
    int32_t status = 1;
    FindCompByName(status, 1, m_EntryId, name);
    std::string detail = name;
    if (status != 0) {
        ReportMsg(23, detail);
        return;
    }
    LayCompRec rec{};
    if (L_ReadComponent(m_EntryId, &rec) < 1) {
        sinfo_->SetCaption(kMissing);
        return;
    }
    const std::string part = rec.Device != 0 ? NameOf(D_Device(rec.Device)) + "/" : GetMsgText("None/", "99960");
    const std::string package = rec.Symb != 0 ? NameOf(S_Symbol(rec.Symb)) : GetMsgText("None", "99958");
    sinfo_->SetCaption(part + package);

    // The node view is the layout side only while the pins are read; it is
    // the schematic side again before any message shows (a paint may run
    // while the box is open).
    N_SetNodeView(1);
    auto schematic = OnExit([] { N_SetNodeView(0); });
    for (int32_t entry = 1;; ++entry) {
        EntryRec pad{};
        if (L_ReadEntry(m_EntryId, entry, &pad) == 0) break;
        int32_t net = 0;
        const int32_t node = N_FindCompEntry(m_EntryId, entry, &net);
        if (node == 0) continue;
        AddRow();
        SetCell(0, PinDisplayText(1, m_EntryId, entry));
        const std::string netName = NameOf(N_Net(net));
        SetCell(1, netName);
        NodeRec nodeRec{};
        if (N_ReadNode(net, node, &nodeRec) == 0) {
            N_SetNodeView(0);
            std::string failed = netName + "/" + Str(entry);
            ReportMsg(26, failed);
            break;
        }
        SetCell(2, (nodeRec.Flags & 4) != 0 ? "C" : "UnC");
    }
}

void SCHINFOC::ShowPartComponents(const std::string& name)
{
    ClearInfoGrid();
    int32_t status = 1;
    FindDeviceByName(status, m_EntryId, name);
    if (status != 0) {
        std::string detail = name;
        ReportMsg(1, detail);
        return;
    }
    int32_t position = OM_GetFirst(DB_SchCompMap());
    for (;;) {
        const int32_t before = position;
        const int32_t comp = C_SearchDevice(&position, m_EntryId);
        if (comp == 0) break;
        if (comp < 0) {
            if (position == before) break;
            continue;
        }
        AddRow();
        CompRec rec{};
        if (C_ReadComponent(comp, &rec) < 1) {
            SetCell(0, kMissing);
            continue;
        }
        SetCell(0, DisplayText(PtrToStr(rec.Name)));
        SetCell(1, rec.LayComp != 0 ? "P" : "UnP");
    }
}

void SCHINFOC::ShowPackageComponents(const std::string& name)
{
    ClearInfoGrid();
    int32_t status = 1;
    FindSymbByName(status, kLaySymbol, m_EntryId, name);
    if (status != 0) {
        std::string detail = name;
        ReportMsg(6, detail);
        return;
    }
    int32_t position = OM_GetFirst(DB_LayCompMap());
    while (const int32_t comp = L_SearchSymbol(&position, m_EntryId)) {
        if (comp < 0) break;
        AddRow();
        LayCompRec rec{};
        SetCell(0, L_ReadComponent(comp, &rec) >= 1 ? DisplayText(PtrToStr(rec.Name)) : kMissing);
    }
}

void SCHINFOC::ShowSymbolComponents(const std::string& name)
{
    ClearInfoGrid();
    int32_t status = 1;
    FindSymbByName(status, kSchSymbol, m_EntryId, name);
    if (status != 0) {
        std::string detail = name;
        ReportMsg(6, detail);
        return;
    }
    int32_t position = OM_GetFirst(DB_SchCompMap());
    while (const int32_t comp = C_SearchSymbol(&position, m_EntryId)) {
        if (comp < 0) break;
        AddRow();
        CompRec rec{};
        SetCell(0, C_ReadComponent(comp, &rec) >= 1 ? DisplayText(PtrToStr(rec.Name)) : kMissing);
    }
}

void SCHINFOC::ShowNetNodes(const std::string& name)
{
    ClearInfoGrid();
    int32_t status = 1;
    FindNetByName(status, m_EntryId, name);
    std::string detail = name;
    if (status != 0) {
        ReportMsg(24, detail);
        return;
    }
    NetRec net{};
    if (N_ReadNet(m_EntryId, &net) == 0) {
        ReportMsg(25, detail);
        return;
    }
    if ((net.Flags & 2) != 0)
        sinfo_->SetCaption(GetMsgText("Pwr/Gnd", "991086"));
    else if ((net.Flags & 4) != 0)
        sinfo_->SetCaption(GetMsgText("Named", "99915"));
    else
        sinfo_->SetCaption(GetMsgText("Unnamed", "991365"));

    const int32_t map = N_NodeMap(m_EntryId);
    int32_t position = OM_GetFirst(map);
    while (const int32_t node = OM_SearchMask(map, &position, 0, 0)) {
        NodeRec rec{};
        if (N_ReadNode(m_EntryId, node, &rec) == 0) {
            std::string failed = name + "/" + Str(node);
            ReportMsg(26, failed);
            break;
        }
        AddRow();
        LayCompRec lay{};
        if (rec.LayComp != 0 && L_ReadComponent(rec.LayComp, &lay) >= 1) {
            SetCell(0, DisplayText(PtrToStr(lay.Name)));
            SetCell(1, PinDisplayText(1, rec.LayComp, rec.LayEntry));
            SetCell(2, (rec.Flags & 4) != 0 ? "C" : "UnC");
        } else {
            SetCell(0, kMissing);
        }
        CompRec comp{};
        if (rec.Comp != 0 && C_ReadComponent(rec.Comp, &comp) >= 1) {
            SetCell(3, DisplayText(PtrToStr(comp.Name)));
            EntryRec entry{};
            SetCell(4, S_ReadEntry(comp.Symb, rec.Entry, &entry) >= 1 ? DisplayText(PtrToStr(entry.Name)) : "*Msng*");
            SetCell(5, (rec.Flags & 2) != 0 ? "C" : "UnC");
        } else {
            SetCell(3, kMissing);
        }
    }
}

void SCHINFOC::ShowBusMembers(const std::string& name)
{
    ClearInfoGrid();
    int32_t status = 1;
    FindBusByName(status, m_EntryId, name);
    std::string detail = name;
    if (status != 0) {
        ReportMsg(24, detail);
        return;
    }
    BusRec bus{};
    if (N_ReadBus(m_EntryId, &bus) == 0) {
        ReportMsg(25, detail);
        return;
    }
    for (int32_t i = 1; i <= bus.Members; ++i) {
        const int32_t member = N_ReadBusMember(m_EntryId, i - 1);
        if (member == 0) continue;
        AddRow();
        SetCell(0, NameOf(N_Net(member)));
        SetCell(1, Str(i - 1));
    }
}
