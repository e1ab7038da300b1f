#include "editor/automation/routing_dialogs.h"

#include "editor/shell/controls.h"
#include "editor/shell/errors.h"
#include "editor/shell/help.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/settings.h"
#include "platform/winsys/keyboard.h"
#include "platform/winsys/latin1.h"

#include <QDialog>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cstdio>

namespace {

// Closing through the close box or Esc hides the dialog, which ends its
// modal showing; nothing is stored.
class OptionDialogWindow : public QDialog {
public:
    void reject() override { hide(); }
};

// The router's step table in database units (index 0..5).
constexpr std::array<int32_t, 6> kStepUnits{25400, 50800, 101600, 127000, 203200, 254000};
constexpr std::array<const char*, 6> kStepMm{"0.254 mm", "0.508 mm", "1.016 mm", "1.270 mm", "2.032 mm", "2.540 mm"};
constexpr double kDbUnitsPerInch = 2540000.0;

std::string StepCaption(size_t index)
{
    if (g_UnitIndex != 0) return kStepMm[index];
    char text[16];
    std::snprintf(text, sizeof text, "%.3f\"", kStepUnits[index] / kDbUnitsPerInch);
    return text;
}

}  // namespace

// ---- RouteStep ---------------------------------------------------------------

RouteStep::RouteStep() : Form("RouteStep")
{
    KeyPreview = true;
}

std::unique_ptr<QWidget> RouteStep::CreateWindow()
{
    auto window = std::make_unique<OptionDialogWindow>();
    window->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    window->setWindowTitle("Routing Step");
    auto* layout = new QVBoxLayout(window.get());
    frame_ = new QGroupBox(window.get());
    auto* inner = new QVBoxLayout(frame_);
    for (size_t i = 0; i < step_.size(); ++i) {
        step_[i] = new QRadioButton(frame_);
        inner->addWidget(step_[i]);
    }
    layout->addWidget(frame_);
    panel_ = new Panel(window.get());
    auto* bottom = new QVBoxLayout(panel_);
    ok_ = new CommandButton("Accept", panel_);
    ok_->setAutoDefault(false);
    bottom->addWidget(ok_);
    layout->addWidget(panel_);

    AddControl(frame_, "Frame3D1");
    for (size_t i = 0; i < step_.size(); ++i) AddControl(step_[i], "step", static_cast<int>(i));
    AddControl(panel_, "SPanel");
    AddControl(ok_, "BOk");
    SetControlTag(ok_, "9917");
    for (int i = 0; i < static_cast<int>(step_.size()); ++i)
        QObject::connect(step_[static_cast<size_t>(i)], &QRadioButton::clicked,
                         [this, i] { RunEventProcedure([this, i] { step_Click(i); }); });
    ok_->Click.Connect([this] { BOk_Click(); });
    return window;
}

void RouteStep::ForgetControls()
{
    frame_ = nullptr;
    step_ = {};
    panel_ = nullptr;
    ok_ = nullptr;
}

QRadioButton* RouteStep::step(int index)
{
    EnsureLoaded();
    if (index < 0 || index >= static_cast<int>(step_.size())) RaiseError(errnum::SubscriptOutOfRange);
    return step_[static_cast<size_t>(index)];
}

CommandButton* RouteStep::BOk()
{
    EnsureLoaded();
    return ok_;
}

void RouteStep::Form_Load()
{
    LocalizeForm(*this);
    SetCaption(GetMsgText("Routing Step", "991122"));
    m_StepIndex = SCR_GetStepIndex();
    for (size_t i = 0; i < step_.size(); ++i) step_[i]->setText(QString());
    for (size_t i = 0; i < step_.size(); ++i) step_[i]->setText(ToQ(StepCaption(i)));
    if (m_StepIndex >= 0 && m_StepIndex < static_cast<int32_t>(step_.size()))
        step_[static_cast<size_t>(m_StepIndex)]->setChecked(true);
}

void RouteStep::step_Click(int Index)
{
    m_StepIndex = Index;
}

void RouteStep::BOk_Click()
{
    SCR_SetStepIndex(m_StepIndex);
    Hide();
}

void RouteStep::Form_KeyUp(int& KeyCode, int& Shift)
{
    if (KeyCode == winsys::vk::F1 && Shift == winsys::shiftmask::Ctrl) ShowFormHelp();
}

// ---- SCHRTLP -----------------------------------------------------------------

SCHRTLP::SCHRTLP() : Form("SCHRTLP")
{
    KeyPreview = true;
}

std::unique_ptr<QWidget> SCHRTLP::CreateWindow()
{
    auto window = std::make_unique<OptionDialogWindow>();
    window->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    window->setWindowTitle("Wire Preload Setup");
    auto* layout = new QVBoxLayout(window.get());
    frame_ = new QGroupBox(window.get());
    auto* inner = new QVBoxLayout(frame_);
    keys_[0] = new CheckBox("Delete Wires  not connected to nodes", frame_);
    keys_[1] = new CheckBox("Delete Wires connected to single node", frame_);
    keys_[2] = new CheckBox("Delete Wires with nonorthogonal segments", frame_);
    for (CheckBox* box : keys_) inner->addWidget(box);
    layout->addWidget(frame_);
    ok_ = new CommandButton("Accept", window.get());
    ok_->setAutoDefault(false);
    layout->addWidget(ok_);

    AddControl(frame_, "Frame3D1");
    static constexpr std::array<const char*, 3> kTags{"99535", "99536", "99537"};
    for (size_t i = 0; i < keys_.size(); ++i) {
        AddControl(keys_[i], "PrKey", static_cast<int>(i));
        SetControlTag(keys_[i], kTags[i]);
    }
    AddControl(ok_, "ButOk");
    SetControlTag(ok_, "99177");
    ok_->Click.Connect([this] { ButOk_Click(); });
    return window;
}

void SCHRTLP::ForgetControls()
{
    frame_ = nullptr;
    keys_ = {};
    ok_ = nullptr;
}

CheckBox* SCHRTLP::PrKey(int index)
{
    EnsureLoaded();
    if (index < 0 || index >= static_cast<int>(keys_.size())) RaiseError(errnum::SubscriptOutOfRange);
    return keys_[static_cast<size_t>(index)];
}

CommandButton* SCHRTLP::ButOk()
{
    EnsureLoaded();
    return ok_;
}

void SCHRTLP::Form_Load()
{
    LocalizeForm(*this);
    SetCaption(GetMsgText("Wire Preload Setup", "991405"));
    LoadPreloadBits();
}

void SCHRTLP::LoadPreloadBits()
{
    int32_t bits = 0;
    SCR_GetPreloadBits(&bits);
    for (size_t k = 0; k < keys_.size(); ++k)
        if (bits & (1 << k)) keys_[k]->SetValue(1);
}

void SCHRTLP::SavePreloadBits()
{
    int32_t bits = 0;
    for (size_t k = 0; k < keys_.size(); ++k)
        if (keys_[k]->Value() == 1) bits += 1 << k;
    SCR_SetPreloadBits(bits);
}

void SCHRTLP::ButOk_Click()
{
    SavePreloadBits();
    Hide();
}

void SCHRTLP::Form_KeyUp(int& KeyCode, int& Shift)
{
    if (KeyCode == winsys::vk::F1 && Shift == winsys::shiftmask::Ctrl) ShowFormHelp();
}
