#include "editor/dialogs/schitext.h"

#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/geometry.h"
#include "editor/shell/help.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/numtext.h"
#include "editor/shell/schmain.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "editor/shell/textarea.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/interaction.h"
#include "platform/winsys/keyboard.h"

#include <QDialog>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <cmath>

namespace {

class TextWindow : public QDialog {
public:
    explicit TextWindow(SCHITEXT& form) : form_(form) {}
    void reject() override
    {
        RunEventProcedure([this] { form_.F_Cancel_Click(); });
    }

private:
    SCHITEXT& form_;
};

}  // namespace

SCHITEXT::SCHITEXT() : Form("SCHITEXT")
{
    KeyPreview = true;
}

std::unique_ptr<QWidget> SCHITEXT::CreateWindow()
{
    auto window = std::make_unique<TextWindow>(*this);
    window->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    window->setWindowTitle("Norvo32 - Text");
    auto* layout = new QVBoxLayout(window.get());
    menuPan_ = new QFrame(window.get());
    auto* row = new QHBoxLayout(menuPan_);
    row->addWidget(new Label("Size:", menuPan_));
    size_ = new ComboBox(menuPan_);
    row->addWidget(size_);
    row->addWidget(new Label("Pitch:", menuPan_));
    pitch_ = new TextBox(menuPan_);
    row->addWidget(pitch_);
    row->addStretch();
    accept_ = new CommandButton("Accept", menuPan_);
    cancel_ = new CommandButton("Cancel", menuPan_);
    row->addWidget(accept_);
    row->addWidget(cancel_);
    layout->addWidget(menuPan_);
    text_ = new TextArea(window.get());
    layout->addWidget(text_, 1);
    window->resize(560, 220);

    AddControl(menuPan_, "F_MenuPan");
    AddControl(size_, "F_Tsize");
    AddControl(pitch_, "F_Pitch");
    AddControl(accept_, "F_Accept");
    AddControl(cancel_, "F_Cancel");
    AddControl(text_, "F_TxtBuffer");
    size_->Click.Connect([this] { F_Tsize_Click(); });
    pitch_->KeyPress.Connect([this](int& key) { F_Pitch_KeyPress(key); });
    pitch_->LostFocus.Connect([this] { F_Pitch_LostFocus(); });
    pitch_->GotFocus.Connect([this] { F_Pitch_GotFocus(); });
    accept_->Click.Connect([this] { F_Accept_Click(); });
    cancel_->Click.Connect([this] { F_Cancel_Click(); });
    return window;
}

void SCHITEXT::ForgetControls()
{
    text_ = nullptr;
    size_ = nullptr;
    pitch_ = nullptr;
    accept_ = nullptr;
    cancel_ = nullptr;
    menuPan_ = nullptr;
}

TextArea* SCHITEXT::F_TxtBuffer() { EnsureLoaded(); return text_; }
ComboBox* SCHITEXT::F_Tsize() { EnsureLoaded(); return size_; }
TextBox* SCHITEXT::F_Pitch() { EnsureLoaded(); return pitch_; }
CommandButton* SCHITEXT::F_Accept() { EnsureLoaded(); return accept_; }
CommandButton* SCHITEXT::F_Cancel() { EnsureLoaded(); return cancel_; }

void SCHITEXT::Form_Load()
{
    LocalizeForm(*this);
    SetScreenMousePointer(mousepointer::Hourglass);
    auto pointer = OnExit([] { SetScreenMousePointer(mousepointer::Default); });
    {
        // The main window ignores the size events of the positioning; an
        // error on the way must not leave it ignoring them.
        g_SuppressResize = true;
        auto resize = OnExit([] { g_SuppressResize = false; });
        SetupTextSizeChoice();
        if (g_MainForm && g_MainForm->Window()) {
            const QRect main = g_MainForm->Window()->geometry();
            Window()->move(main.left(), main.top() + 315 / 15);
        }
    }
    text_->SetText(g_TextBuf);
}

void SCHITEXT::Form_Resize()
{
    // The layout keeps the frame across the top and the text below it.
    try {
        text_->update();
        text_->setFocus();
    } catch (...) {
    }
}

void SCHITEXT::Form_KeyUp(int& KeyCode, int& Shift)
{
    if (KeyCode == winsys::vk::F1 && Shift == winsys::shiftmask::Ctrl) ShowFormHelp();
}

void SCHITEXT::SetupTextSizeChoice()
{
    if (g_TextSizeFixed) {
        size_->setEnabled(false);
    } else {
        size_->setEnabled(true);
        FillTextSizeList(*this);
    }
    ShowTextPitch();
}

void SCHITEXT::ShowTextPitch()
{
    const double shown = static_cast<double>(g_TextPitch) / g_DbUnitsPerMm * g_UnitFactor(g_UnitIndex);
    pitch_->SetText(Format(shown, g_NumFormat(g_UnitIndex)) + g_UnitSuffix(g_UnitIndex));
}

void SCHITEXT::ApplyTextPitch()
{
    const double value = ParseNum(pitch_->Text()) * g_DbUnitsPerMm / g_UnitFactor(g_UnitIndex);
    if (value >= kMinTextPitch && value <= kMaxTextPitch)
        g_TextPitch = static_cast<int32_t>(std::nearbyint(value));
    else
        winsys::Ui().Beep();
    ShowTextPitch();
    m_PitchEdited = 0;
}

void SCHITEXT::F_Pitch_GotFocus()
{
    m_PitchEdited = 1;
}

void SCHITEXT::F_Pitch_KeyPress(int& KeyAscii)
{
    m_PitchEdited = 1;
    if (KeyAscii != 13) return;
    KeyAscii = 0;
    ApplyTextPitch();
}

void SCHITEXT::F_Pitch_LostFocus()
{
    // The field loses the focus also when the dialog has just been
    // unloaded; its controls are gone then.
    if (m_PitchEdited == 1 && pitch_) ApplyTextPitch();
}

void SCHITEXT::F_Tsize_Click()
{
    // With nothing selected there is no size to take.
    const int index = size_->ListIndex();
    if (index < 0) return;
    g_TextSizeIdx = index + 1;
}

void SCHITEXT::F_Accept_Click()
{
    g_TextBuf = text_->Text();
    g_TextAccepted = true;
    Hide();
}

void SCHITEXT::F_Cancel_Click()
{
    g_TextBuf.clear();
    g_TextAccepted = false;
    Hide();
}
