#include "editor/dialogs/schinfob.h"

#include "editor/shell/controls.h"
#include "editor/shell/help.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/textarea.h"
#include "platform/winsys/keyboard.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

// Escape is the Close button, as Enter is.
class ReportWindow : public QDialog {
public:
    explicit ReportWindow(SCHINFOB& form) : form_(form) {}
    void reject() override
    {
        RunEventProcedure([this] { form_.F_Return_Click(); });
    }

private:
    SCHINFOB& form_;
};

}  // namespace

SCHINFOB::SCHINFOB() : Form("SCHINFOB")
{
    KeyPreview = true;
}

std::unique_ptr<QWidget> SCHINFOB::CreateWindow()
{
    auto window = std::make_unique<ReportWindow>(*this);
    window->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    window->setWindowTitle("Norvo32 Info");
    SetControlTag(window.get(), "99635");
    window->setModal(false);

    auto* layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(1, 0, 0, 1);
    layout->setSpacing(1);
    txtBuffer_ = new TextArea(window.get());
    txtBuffer_->setReadOnly(true);
    txtBuffer_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtBuffer_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtBuffer_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(txtBuffer_, 1);
    fClose_ = new Panel(window.get());
    auto* buttons = new QHBoxLayout(fClose_);
    buttons->setContentsMargins(4, 4, 4, 4);
    buttons->addStretch();
    return_ = new CommandButton("Close", fClose_);
    return_->setDefault(true);
    buttons->addWidget(return_);
    layout->addWidget(fClose_);
    window->resize(520, 420);

    AddControl(txtBuffer_, "F_TxtBuffer");
    AddControl(fClose_, "F_FClose");
    AddControl(return_, "F_Return");
    SetControlTag(return_, "99422");
    return_->Click.Connect([this] { F_Return_Click(); });
    return window;
}

void SCHINFOB::ForgetControls()
{
    txtBuffer_ = nullptr;
    fClose_ = nullptr;
    return_ = nullptr;
}

TextArea* SCHINFOB::F_TxtBuffer()
{
    EnsureLoaded();
    return txtBuffer_;
}

CommandButton* SCHINFOB::F_Return()
{
    EnsureLoaded();
    return return_;
}

void SCHINFOB::SetTopmost(bool topmost)
{
    QWidget* window = Window();
    if (!window || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == topmost) return;
    // Changing the window's flags hides it; a shown window is shown again.
    const bool shown = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    if (shown) window->show();
}

void SCHINFOB::F_Return_Click()
{
    SetTopmost(false);
    Hide();
}

void SCHINFOB::Form_Resize()
{
    // The form has no load procedure: its captions are localised here. The
    // layout places the text and the button frame.
    LocalizeForm(*this);
    if (txtBuffer_ && txtBuffer_->isVisible()) txtBuffer_->setFocus(Qt::OtherFocusReason);
}

void SCHINFOB::Form_KeyUp(int& KeyCode, int& Shift)
{
    if (KeyCode == winsys::vk::F1 && Shift == winsys::shiftmask::Ctrl) ShowFormHelp();
}
