#include "editor/automation/plsgpara.h"

#include "editor/automation/placement_settings.h"
#include "editor/shell/controls.h"
#include "editor/shell/errors.h"
#include "editor/shell/help.h"
#include "editor/shell/msgtext.h"
#include "platform/winsys/keyboard.h"

#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

struct FrameTitle {
    const char* id;
    const char* text;
};
constexpr FrameTitle kCompFrames[4] = {
    {"991021", "Pattern # 1 : "}, {"991023", "Pattern # 2 : "}, {"991025", "Pattern # 3 : "}, {"13159", "Pattern # 4 : "}};
constexpr FrameTitle kSolderFrames[4] = {
    {"13120", "Grid # 1"}, {"13121", "Grid # 2"}, {"13122", "Grid # 3"}, {"13123", "Grid # 4"}};

// Shows a stored choice: 0 selects "Rotate", anything else "No rotate".
void ShowChoice(const std::array<QRadioButton*, 2>& pair, int32_t stored)
{
    pair[0]->setChecked(stored == 0);
    pair[1]->setChecked(stored != 0);
}

}  // namespace

PLSGPARA::PLSGPARA() : Form("PLSGPARA") {}

std::unique_ptr<QWidget> PLSGPARA::CreateWindow()
{
    auto window = std::make_unique<QDialog>();
    window->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    window->setWindowTitle("Global Pattern Parameters");
    auto* layout = new QVBoxLayout(window.get());
    auto* compSide = new QGroupBox(window.get());
    auto* soldSide = new QGroupBox("Solder side", window.get());
    std::array<QGroupBox*, 4> compFrames{}, soldFrames{};
    // One side: four frames side by side, each with its Rotate / No rotate pair.
    auto side = [](QGroupBox* holder, std::array<QGroupBox*, 4>& frames, const FrameTitle (&titles)[4],
                   Pairs& pairs) {
        auto* row = new QHBoxLayout(holder);
        for (size_t n = 0; n < 4; ++n) {
            frames[n] = new QGroupBox(titles[n].text, holder);
            auto* inner = new QVBoxLayout(frames[n]);
            pairs[n][0] = new QRadioButton("Rotate", frames[n]);
            pairs[n][1] = new QRadioButton("No rotate", frames[n]);
            inner->addWidget(pairs[n][0]);
            inner->addWidget(pairs[n][1]);
            row->addWidget(frames[n]);
            SetControlTag(frames[n], titles[n].id);
            SetControlTag(pairs[n][0], "991114");
            SetControlTag(pairs[n][1], "99944");
        }
    };
    side(compSide, compFrames, kCompFrames, compSide_);
    side(soldSide, soldFrames, kSolderFrames, solderSide_);
    layout->addWidget(compSide);
    layout->addWidget(soldSide);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ok_ = new CommandButton("Accept", window.get());
    cancel_ = new CommandButton("Cancel", window.get());
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);

    SetControlTag(window.get(), "99721");
    SetControlTag(soldSide, "991236");
    SetControlTag(ok_, "99177");
    SetControlTag(cancel_, "99388");
    AddControl(compSide, "F_CompSide");
    for (size_t n = 0; n < 4; ++n) {
        AddControl(compFrames[n], "F_CGrid" + std::to_string(n + 1));
        for (int i = 0; i < 2; ++i) AddControl(compSide_[n][static_cast<size_t>(i)], "O_CG" + std::to_string(n + 1), i);
    }
    AddControl(soldSide, "F_SoldSide");
    for (size_t n = 0; n < 4; ++n) {
        AddControl(soldFrames[n], "F_SGrid" + std::to_string(n + 1));
        for (int i = 0; i < 2; ++i)
            AddControl(solderSide_[n][static_cast<size_t>(i)], "O_SG" + std::to_string(n + 1), i);
    }
    AddControl(ok_, "Com_OK");
    AddControl(cancel_, "Command2");
    ok_->Click.Connect([this] { Com_OK_Click(); });
    cancel_->Click.Connect([this] { Command2_Click(); });
    return window;
}

void PLSGPARA::ForgetControls()
{
    compSide_ = {};
    solderSide_ = {};
    ok_ = cancel_ = nullptr;
}

QRadioButton* PLSGPARA::Pick(Pairs& pairs, int n, int index)
{
    if (n < 1 || n > 4 || index < 0 || index > 1) RaiseError(errnum::SubscriptOutOfRange);
    return pairs[static_cast<size_t>(n - 1)][static_cast<size_t>(index)];
}

QRadioButton* PLSGPARA::O_CG(int n, int index)
{
    EnsureLoaded();
    return Pick(compSide_, n, index);
}
QRadioButton* PLSGPARA::O_SG(int n, int index)
{
    EnsureLoaded();
    return Pick(solderSide_, n, index);
}
CommandButton* PLSGPARA::Com_OK()
{
    EnsureLoaded();
    return ok_;
}
CommandButton* PLSGPARA::Command2()
{
    EnsureLoaded();
    return cancel_;
}

void PLSGPARA::Form_Load()
{
    LocalizeForm(*this);
    for (size_t n = 1; n <= 4; ++n) {
        ShowChoice(compSide_[n - 1], g_CompSideGrids[n]);
        ShowChoice(solderSide_[n - 1], g_SolderSideGrids[n]);
    }
}

void PLSGPARA::Form_KeyUp(int& KeyCode, int& Shift)
{
    if (KeyCode == winsys::vk::F1 && Shift == winsys::shiftmask::Ctrl) ShowFormHelp();
}

void PLSGPARA::Com_OK_Click()
{
    for (size_t n = 1; n <= 4; ++n) g_CompSideGrids[n] = compSide_[n - 1][0]->isChecked() ? 0 : 1;
    for (size_t n = 1; n <= 4; ++n) g_SolderSideGrids[n] = solderSide_[n - 1][0]->isChecked() ? 0 : 1;
    Hide();
}

void PLSGPARA::Command2_Click()
{
    Hide();
}
