#include "editor/dialogs/schipack.h"

#include "editor/interaction/commands.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/comp_texts.h"
#include "editor/objects/components.h"
#include "editor/shell/design_change.h"
#include "editor/objects/packaging.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/help.h"
#include "editor/shell/listbox.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/grid.h"
#include "platform/winsys/interaction.h"
#include "platform/winsys/keyboard.h"

#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScreen>
#include <QVBoxLayout>

#include <cmath>

bool g_PackDlgOpen = false;
bool g_PackClosed = false;
bool g_PackDone = false;

namespace {

class PackWindow : public QDialog {
public:
    explicit PackWindow(SCHIPACK& form) : form_(form) {}
    void reject() override
    {
        RunEventProcedure([this] { form_.F_Cancel_Click(); });
    }

private:
    SCHIPACK& form_;
};

constexpr int kSymbolCol = 1;
constexpr int kCompCol = 2;
constexpr size_t kPartNameLength = 15;

void Beep()
{
    winsys::Ui().Beep();
}

}  // namespace

SCHIPACK::SCHIPACK() : Form("SCHIPACK")
{
    KeyPreview = true;
}

std::unique_ptr<QWidget> SCHIPACK::CreateWindow()
{
    auto window = std::make_unique<PackWindow>(*this);
    window->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    window->setWindowTitle("Norvo32 - Component Packaging");
    window->setModal(false);
    auto* layout = new QVBoxLayout(window.get());
    auto* fields = new QGridLayout();
    auto* partLabel = new Label("Part:", window.get());
    device_ = new Label({}, window.get());
    auto* nameLabel = new Label("Layout name:", window.get());
    cname_ = new TextBox(window.get());
    auto* gateLabel = new Label("Gate number:", window.get());
    gate_ = new TextBox(window.get());
    fields->addWidget(partLabel, 0, 0);
    fields->addWidget(device_, 0, 1);
    fields->addWidget(nameLabel, 1, 0);
    fields->addWidget(cname_, 1, 1);
    fields->addWidget(gateLabel, 2, 0);
    fields->addWidget(gate_, 2, 1);
    layout->addLayout(fields);
    auto* body = new QHBoxLayout();
    auto* frame = new QGroupBox("Used by: ", window.get());
    auto* frameLayout = new QVBoxLayout(frame);
    compList_ = new ListBox(frame);
    frameLayout->addWidget(compList_);
    body->addWidget(frame, 1);
    groups_ = new winsys::NorvoGrid(1, 0, window.get());
    body->addWidget(groups_, 3);
    layout->addLayout(body, 1);
    auto* buttons = new QHBoxLayout();
    find_ = new CommandButton("Find free", window.get());
    accept_ = new CommandButton("Accept", window.get());
    cancel_ = new CommandButton("Close", window.get());
    buttons->addWidget(find_);
    buttons->addStretch();
    buttons->addWidget(accept_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    window->resize(520, 300);

    AddControl(partLabel, "Label1");
    AddControl(device_, "F_Device");
    AddControl(nameLabel, "Label2");
    AddControl(cname_, "F_Cname");
    AddControl(gateLabel, "Label3");
    AddControl(gate_, "F_Gate");
    AddControl(frame, "Frame1");
    AddControl(compList_, "F_CompList");
    AddControl(groups_, "F_Groups");
    AddControl(find_, "F_Find");
    AddControl(accept_, "F_Accept");
    AddControl(cancel_, "F_Cancel");
    groups_->Click.Connect([this] { F_Groups_Click(); });
    compList_->Click.Connect([this] { F_CompList_Click(); });
    cname_->KeyPress.Connect([this](int& key) { F_Cname_KeyPress(key); });
    cname_->LostFocus.Connect([this] { F_Cname_LostFocus(); });
    gate_->KeyPress.Connect([this](int& key) { F_Gate_KeyPress(key); });
    gate_->LostFocus.Connect([this] { F_Gate_LostFocus(); });
    find_->Click.Connect([this] { F_Find_Click(); });
    accept_->Click.Connect([this] { F_Accept_Click(); });
    cancel_->Click.Connect([this] { F_Cancel_Click(); });
    return window;
}

void SCHIPACK::ForgetControls()
{
    device_ = nullptr;
    cname_ = nullptr;
    gate_ = nullptr;
    compList_ = nullptr;
    groups_ = nullptr;
    find_ = nullptr;
    accept_ = nullptr;
    cancel_ = nullptr;
}

Label* SCHIPACK::F_Device() { EnsureLoaded(); return device_; }
TextBox* SCHIPACK::F_Cname() { EnsureLoaded(); return cname_; }
TextBox* SCHIPACK::F_Gate() { EnsureLoaded(); return gate_; }
ListBox* SCHIPACK::F_CompList() { EnsureLoaded(); return compList_; }
winsys::NorvoGrid* SCHIPACK::F_Groups() { EnsureLoaded(); return groups_; }
CommandButton* SCHIPACK::F_Find() { EnsureLoaded(); return find_; }
CommandButton* SCHIPACK::F_Accept() { EnsureLoaded(); return accept_; }
CommandButton* SCHIPACK::F_Cancel() { EnsureLoaded(); return cancel_; }

void SCHIPACK::SetTopmost(bool topmost)
{
    QWidget* window = Window();
    if (!window || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == topmost) return;
    // Changing the window's flags hides it; a shown window is shown again.
    const bool shown = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    if (shown) window->show();
}

void SCHIPACK::Form_Load()
{
    LocalizeForm(*this);
    // At the top edge of the screen, against its right edge.
    QWidget* window = Window();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window->move(area.right() - window->frameGeometry().width() + 1, area.top());
    }
    SetupPackGrid();
    RefreshPackDialog();
    g_DlgOpening = false;
}

void SCHIPACK::Form_Activate()
{
    if (!g_DlgOpening) return;
    g_DlgOpening = false;
    RefreshPackDialog();
}

void SCHIPACK::Form_KeyUp(int& KeyCode, int& Shift)
{
    if (KeyCode == winsys::vk::F1 && Shift == winsys::shiftmask::Ctrl) ShowFormHelp();
}

void SCHIPACK::SetupPackGrid()
{
    g_PackDlgOpen = true;
    m_VisRows = 3;
    groups_->SetCols(3);
    groups_->SetRows(2);
    groups_->SetColWidth(0, 500);
    groups_->SetColWidth(kSymbolCol, 2000);
    groups_->SetColWidth(kCompCol, 2000);
    groups_->SetTextMatrix(0, 0, "# ");
    groups_->SetTextMatrix(0, kSymbolCol, GetMsgText("Symbol", "991273"));
    groups_->SetTextMatrix(0, kCompCol, GetMsgText("Component", "99460"));
    // The component column takes what the other two leave of the grid.
    groups_->horizontalHeader()->setStretchLastSection(true);
    SetTopmost(true);
}

void SCHIPACK::RefreshPackDialog()
{
    g_PackClosed = false;
    g_PackDone = false;
    FillCompInfo(g_CompId, g_Comp, g_CompInfo);
    EnablePackDialog(true);
    FillPackCompList();
    F_Find_Click();
}

void SCHIPACK::ClearGroupRows()
{
    groups_->SetRows(2);
    for (int c = 0; c < 3; ++c) groups_->SetTextMatrix(1, c, "");
}

void SCHIPACK::EnablePackDialog(bool enable)
{
    if (enable) {
        device_->SetCaption("");
    } else {
        device_->SetCaption(GetMsgText("Select next component", "991184"));
        ClearGroupRows();
        cname_->SetText("");
        gate_->SetText("");
        compList_->Clear();
    }
    groups_->setEnabled(enable);
    find_->setEnabled(enable);
    accept_->setEnabled(enable);
}

void SCHIPACK::FillPackCompList()
{
    compList_->Clear();
    const int32_t map = DB_LayCompMap();
    int32_t cursor = OM_GetFirst(map);
    for (;;) {
        const int32_t layComp = L_SearchDevice(&cursor, g_CompInfo.Device);
        if (layComp < 1) break;
        if (L_ReadComponent(layComp, &g_LayComp) == 0) continue;
        compList_->AddItem(PtrToStr(g_LayComp.Name));
    }
}

bool SCHIPACK::ReadPackDevice()
{
    DeviceRec rec{};
    if (D_ReadDevice(g_CompInfo.Device, &rec) == 0) return false;
    m_DevRec = rec;
    m_DevName = PtrToStr(rec.Name);
    m_DevPrefix = PtrToStr(rec.Prefix);
    return true;
}

void SCHIPACK::ReReadComp()
{
    CompRec rec{};
    if (C_ReadComponent(g_CompId, &rec) != 0) g_Comp = rec;
}

void SCHIPACK::LoadPackGroups()
{
    ClearGroupRows();
    if (!ReadPackDevice()) {
        Beep();
        F_Cancel_Click();
        return;
    }
    device_->SetCaption(m_DevName);
    cname_->SetText("");
    gate_->SetText("");
    m_LayName.clear();
    // A new part is proposed under the prefix and the next free number.
    int32_t ok = 1;
    std::string proposed;
    FindFreeName(ok, DB_LayCompMap(), Trim(m_DevPrefix), proposed);
    if (ok == 0 && proposed != Trim(m_DevPrefix)) {
        m_LayName = proposed;
        cname_->SetText(proposed);
    }
    for (int32_t g = 1; g <= m_DevRec.Groups; ++g) {
        GroupRec rec{};
        if (D_ReadGroup(g_CompInfo.Device, g, &rec) == 0) break;
        groups_->SetRows(g + 1);
        groups_->SetTextMatrix(g, 0, CStr(g));
        groups_->SetTextMatrix(g, kSymbolCol, PtrToStr(rec.SymbName));
        groups_->SetTextMatrix(g, kCompCol, "");
    }
    groups_->SetRow(1);
    F_Groups_Click();
}

void SCHIPACK::F_Groups_Click()
{
    const std::string symbol = Trim(g_CompInfo.SymbName);
    auto fits = [&](int row) {
        return row >= 1 && row < groups_->Rows() && Trim(groups_->TextMatrix(row, kSymbolCol)) == symbol &&
               groups_->TextMatrix(row, kCompCol).empty();
    };
    m_PackRow = groups_->Row();
    if (!fits(m_PackRow)) {
        m_PackRow = 0;
        for (int row = 1; row < groups_->Rows(); ++row) {
            if (fits(row)) {
                m_PackRow = row;
                break;
            }
        }
        if (m_PackRow == 0) {
            groups_->SetRow(0);
            groups_->SetTopRow(1);
            return;
        }
        groups_->SetRow(m_PackRow);
    }
    groups_->SetTopRow(m_PackRow - m_VisRows >= 1 ? m_PackRow - m_VisRows : 1);
    GroupRec rec{};
    if (D_ReadGroup(g_CompInfo.Device, m_PackRow, &rec) != 0) {
        m_GroupName = PtrToStr(rec.Name);
        m_GroupSymbName = PtrToStr(rec.SymbName);
    }
    gate_->SetText("#" + CStr(m_PackRow) + ":" + m_GroupName);
    m_GateTyped = false;
}

void SCHIPACK::F_CompList_Click()
{
    if (compList_->ListIndex() < 0) return;
    const std::string name = compList_->Text();
    cname_->SetText("");
    m_LayName.clear();
    int32_t missing = 0;
    int32_t layComp = 0;
    FindCompByName(missing, 1, layComp, name);
    if (missing != 0 || L_ReadComponent(layComp, &g_LayComp) == 0) {
        Beep();
        ReReadComp();
        return;
    }
    LoadPackInfo(layComp, g_LayComp, g_PackInfo);
    LoadPackGroups();
    // The gates the part's components take. A gate the device does not
    // have has no row and is passed over.
    for (long k = 1; k <= g_PackGroups.UBound(); ++k) {
        const CompInfoRec& part = g_PackGroups(k);
        if (part.Group < 1 || part.Group >= groups_->Rows()) continue;
        groups_->SetTextMatrix(part.Group, kCompCol, FirstWord(Trim(part.Name)));
    }
    groups_->SetRow(1);
    F_Groups_Click();
    cname_->SetText(name);
    m_LayName = name;
    m_NameTyped = false;
    ReReadComp();
}

void SCHIPACK::F_Find_Click()
{
    if (!ReadPackDevice()) return;
    int found = -1;
    for (int i = 0; i < compList_->ListCount() && found < 0; ++i) {
        int32_t missing = 0;
        int32_t layComp = 0;
        FindCompByName(missing, 1, layComp, compList_->List(i));
        if (missing != 0 || L_ReadComponent(layComp, &g_LayComp) == 0) continue;
        LoadPackInfo(layComp, g_LayComp, g_PackInfo);
        if (g_PackGroups.UBound() >= m_DevRec.Groups) continue;
        int32_t group = 0;
        FindFreeGroup(group, m_DevRec);
        if (group != 0) found = i;
    }
    if (found >= 0) {
        if (compList_->ListIndex() == found)
            F_CompList_Click();
        else
            compList_->SetListIndex(found);
    } else {
        g_PackGroups.Redim(0, 0);
        LoadPackGroups();
    }
    ReReadComp();
}

void SCHIPACK::CommitPackName()
{
    m_NameTyped = false;
    const std::string name = FirstWord(Trim(cname_->Text()));
    auto refuse = [this] {
        ReReadComp();
        LoadPackGroups();
        Beep();
    };
    if (name.empty() || name.size() > kPartNameLength) return refuse();
    for (int i = 0; i < compList_->ListCount(); ++i) {
        if (compList_->List(i) != name) continue;
        if (compList_->ListIndex() == i)
            F_CompList_Click();
        else
            compList_->SetListIndex(i);
        return;
    }
    int32_t missing = 0;
    int32_t layComp = 0;
    FindCompByName(missing, 1, layComp, name);
    if (missing == 0) return refuse();  // a part of another device
    g_PackGroups.Redim(0, 0);
    LoadPackGroups();
    cname_->SetText(name);
    m_LayName = name;
}

void SCHIPACK::CommitPackGate()
{
    m_GateTyped = false;
    const double value = ParseNum(Trim(gate_->Text()));
    if (std::isfinite(value) && value > 0 && value < groups_->Rows()) {
        groups_->SetRow(static_cast<int>(std::nearbyint(value)));
    } else {
        groups_->SetRow(1);
        Beep();
    }
    F_Groups_Click();
}

void SCHIPACK::F_Cname_KeyPress(int& KeyAscii)
{
    if (KeyAscii != 13) {
        m_NameTyped = true;
        return;
    }
    KeyAscii = 0;
    CommitPackName();
}

void SCHIPACK::F_Cname_LostFocus()
{
    if (m_NameTyped) CommitPackName();
}

void SCHIPACK::F_Gate_KeyPress(int& KeyAscii)
{
    if (KeyAscii != 13) {
        m_GateTyped = true;
        return;
    }
    KeyAscii = 0;
    CommitPackGate();
}

void SCHIPACK::F_Gate_LostFocus()
{
    if (m_GateTyped) CommitPackGate();
}

void SCHIPACK::F_Accept_Click()
{
    std::string name = FirstWord(Trim(m_LayName));
    if (m_PackRow < 1 || m_PackRow >= groups_->Rows() || !groups_->TextMatrix(m_PackRow, kCompCol).empty() ||
        name.empty()) {
        Beep();
        return;
    }
    int32_t status = 1;
    {
        DesignChange change;
        PackComp(status, name, m_PackRow, m_DevRec);
        // A component packed while one of the steps failed is put back.
        if (!change.Finish()) status = 1;
    }
    if (status != 0) {
        Beep();
        return;
    }
    EnablePackDialog(false);
    g_PackDone = true;
    if (g_MainForm && g_MainForm->F_FrmCmd) {
        g_MainForm->F_FrmCmd->SetText("");
        g_MainForm->F_FrmCmd->SetText("C6");
    }
}

void SCHIPACK::F_Cancel_Click()
{
    SetTopmost(true);
    // The window goes at once; it stays loaded for the next pick, and the
    // command's next step ends the packaging.
    Hide();
    g_PackClosed = true;
    g_CmdRunning = 0;
    if (g_MainForm) g_MainForm->ReturnToScreen();
}
