#include "editor/objects/schahier.h"

#include "editor/objects/hierarchy.h"
#include "editor/shell/controls.h"
#include "editor/shell/curpos.h"
#include "editor/shell/listbox.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/textnum.h"

#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

int32_t g_HierCompId = 0;
int32_t g_HierReassign = 0;
int32_t g_HierApplied = 0;

namespace {

// Escape (and closing the window) is the Cancel button.
class AssignWindow : public QDialog {
public:
    explicit AssignWindow(SCHAHIER& form) : form_(form) {}
    void reject() override
    {
        RunEventProcedure([this] { form_.F_Cancel_Click(); });
    }

private:
    SCHAHIER& form_;
};

}  // namespace

SCHAHIER::SCHAHIER() : Form("SCHAHIER") {}

std::unique_ptr<QWidget> SCHAHIER::CreateWindow()
{
    auto window = std::make_unique<AssignWindow>(*this);
    window->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    window->setModal(false);

    auto* layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(6, 6, 6, 6);
    selectFrame_ = new QGroupBox(window.get());
    auto* frameLayout = new QVBoxLayout(selectFrame_);
    frameLayout->setContentsMargins(6, 4, 6, 6);
    list_ = new ListBox(selectFrame_);
    frameLayout->addWidget(list_);
    layout->addWidget(selectFrame_, 1);
    allInstances_ = new CheckBox({}, window.get());
    layout->addWidget(allInstances_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    apply_ = new CommandButton("Apply", window.get());
    apply_->setDefault(true);
    buttons->addWidget(apply_);
    cancel_ = new CommandButton("Cancel", window.get());
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    window->resize(340, 320);

    AddControl(selectFrame_, "F_SelectFrame");
    AddControl(list_, "F_List");
    AddControl(allInstances_, "F_AllInstances");
    AddControl(apply_, "F_Apply");
    AddControl(cancel_, "F_Cancel");
    apply_->Click.Connect([this] { F_Apply_Click(); });
    cancel_->Click.Connect([this] { F_Cancel_Click(); });
    return window;
}

void SCHAHIER::ForgetControls()
{
    list_ = nullptr;
    allInstances_ = nullptr;
    selectFrame_ = nullptr;
    apply_ = nullptr;
    cancel_ = nullptr;
}

ListBox* SCHAHIER::F_List()
{
    EnsureLoaded();
    return list_;
}

CheckBox* SCHAHIER::F_AllInstances()
{
    EnsureLoaded();
    return allInstances_;
}

QGroupBox* SCHAHIER::F_SelectFrame()
{
    EnsureLoaded();
    return selectFrame_;
}

CommandButton* SCHAHIER::F_Apply()
{
    EnsureLoaded();
    return apply_;
}

CommandButton* SCHAHIER::F_Cancel()
{
    EnsureLoaded();
    return cancel_;
}

void SCHAHIER::Form_Load()
{
    LocalizeForm(*this);
    SetHierCaptions();
    FillHierList();
}

void SCHAHIER::SetHierCaptions()
{
    const std::string level = HierLevelName(g_CurHier);
    const std::string comp = PtrToStr(O_GetName(C_Component(g_HierCompId)));
    if (g_HierReassign) {
        SetControlCaption(selectFrame_, GetMsgText("Select New Hierarchy: ", "991476"));
        SetCaption(GetMsgText("Reassign Hierarchy down ", "991468") + level + ":" + comp);
    } else {
        SetCaption(GetMsgText("Assign Hierarchy down ", "991466") + level + ":" + comp);
        SetControlCaption(selectFrame_, GetMsgText("Select Hierarchy: ", "991467"));
    }
}

void SCHAHIER::FillHierList()
{
    list_->Clear();
    CompSubHier = 0;
    CompRec rec{};
    C_ReadComponent(g_HierCompId, &rec);
    if (g_HierReassign) {
        list_->AddItem("(none)");
        std::string name;
        int32_t own = 0;
        GetCompSubHier(CompSubHier, name, own, g_HierCompId, rec.Symb);
    }
    const int32_t current = DB_CurHier();
    const int32_t levels = DB_HierarchyMap();
    int32_t position = OM_GetFirst(levels);
    while (const int32_t level = OM_SearchMask(levels, &position, 0, 0))
        if (level != current) list_->AddItem(HierLevelName(level));
    allInstances_->SetValue(0);
    SetControlCaption(allInstances_,
                      GetMsgText("All instances of smb: ", "991469") + PtrToStr(O_GetName(S_Symbol(rec.Symb))));
}

void SCHAHIER::F_Cancel_Click()
{
    g_HierApplied = 0;
    Hide();
}
