#include "editor/automation/plsglpar.h"

#include "editor/automation/placement_settings.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/help.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/schmain.h"
#include "platform/winsys/keyboard.h"

#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

// A stored index outside the list shows (and is stored back as) the default.
int ListIndexOf(int32_t index)
{
    return (index < 0 || index > 10) ? kPlcDefaultStepIdx : index;
}

}  // namespace

PLSGLPAR::PLSGLPAR() : Form("PLSGLPAR") {}

std::unique_ptr<QWidget> PLSGLPAR::CreateWindow()
{
    auto window = std::make_unique<QDialog>();
    window->setWindowTitle("Global parameters ");
    auto* layout = new QVBoxLayout(window.get());
    auto* clearance = new QGroupBox("Clearances between components : ", window.get());
    auto* cl = new QHBoxLayout(clearance);
    auto box = [](QGroupBox* frame) {
        auto* list = new ComboBox(frame);
        (new QVBoxLayout(frame))->addWidget(list);
        return list;
    };
    auto* fx = new QGroupBox("By X : ", clearance);
    auto* fy = new QGroupBox("By Y : ", clearance);
    clearX_ = box(fx);
    clearY_ = box(fy);
    cl->addWidget(fx);
    cl->addWidget(fy);
    layout->addWidget(clearance);
    auto* row = new QHBoxLayout;
    auto* fa = new QGroupBox("Comp Alignment : ", window.get());
    auto* fe = new QGroupBox("Page edge : ", window.get());
    align_ = box(fa);
    edge_ = box(fe);
    row->addWidget(fa);
    row->addWidget(fe);
    layout->addLayout(row);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new CommandButton("Accept", window.get());
    auto* cancel = new CommandButton("Cancel", window.get());
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    SetControlTag(window.get(), "14129");
    const std::pair<QWidget*, const char*> tagged[] = {{clearance, "1359"}, {fx, "1338"}, {fy, "1339"},
                                                        {fa, "99461"},      {fe, "13155"}, {ok, "99177"},
                                                        {cancel, "99388"}};
    for (auto [w, tag] : tagged) SetControlTag(w, tag);
    AddControl(clearance, "F_Clearance");
    AddControl(fx, "F_ClearanceX");
    AddControl(fy, "F_ClearanceY");
    AddControl(fa, "F_Component");
    AddControl(fe, "F_BoardEdge");
    AddControl(clearX_, "C_ClearanceX");
    AddControl(clearY_, "C_ClearanceY");
    AddControl(align_, "C_Alignment");
    AddControl(edge_, "C_BoardEdge");
    AddControl(ok, "Com_OK");
    AddControl(cancel, "Com_Cancel");
    ok->Click.Connect([this] { Com_OK_Click(); });
    cancel->Click.Connect([this] { Com_Cancel_Click(); });
    return window;
}

void PLSGLPAR::ForgetControls()
{
    clearX_ = clearY_ = align_ = edge_ = nullptr;
}

ComboBox* PLSGLPAR::C_ClearanceX()
{
    EnsureLoaded();
    return clearX_;
}
ComboBox* PLSGLPAR::C_ClearanceY()
{
    EnsureLoaded();
    return clearY_;
}
ComboBox* PLSGLPAR::C_Alignment()
{
    EnsureLoaded();
    return align_;
}
ComboBox* PLSGLPAR::C_BoardEdge()
{
    EnsureLoaded();
    return edge_;
}

void PLSGLPAR::Form_Load()
{
    LocalizeForm(*this);
    for (const char* step : kPlcStepTexts)
        for (ComboBox* list : {clearX_, clearY_, align_, edge_}) list->AddItem(std::string(step) + "\"");
    clearX_->SetListIndex(ListIndexOf(g_PlcClearXIdx));
    clearY_->SetListIndex(ListIndexOf(g_PlcClearYIdx));
    align_->SetListIndex(ListIndexOf(g_PlcAlignIdx));
    edge_->SetListIndex(ListIndexOf(g_PlcBoardEdgeIdx));
}

void PLSGLPAR::Form_KeyUp(int& KeyCode, int& Shift)
{
    if (KeyCode == winsys::vk::F1 && Shift == winsys::shiftmask::Ctrl) ShowFormHelp();
}

void PLSGLPAR::Com_OK_Click()
{
    g_PlcClearXIdx = ListIndexOf(clearX_->ListIndex());
    g_PlcClearYIdx = ListIndexOf(clearY_->ListIndex());
    g_PlcAlignIdx = ListIndexOf(align_->ListIndex());
    g_PlcBoardEdgeIdx = ListIndexOf(edge_->ListIndex());
    Hide();
}

void PLSGLPAR::Com_Cancel_Click()
{
    Hide();
}

void SCHMAIN::M_AutPlcGlbPara_Click()
{
    CheckHelpMode(7, 2, 3, 0);
    ::ShowModal(FormInstance<PLSGLPAR>());
}
