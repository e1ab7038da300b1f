#include "editor/shell/nvoinpbg.h"

#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/help.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textarea.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/keyboard.h"

#include <QDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// A dialog window whose Escape closes it as the window's close button does
// (no answer), rather than hiding it behind the form's back.
class InputBoxWindow : public QDialog {
public:
    void reject() override { close(); }
};

}  // namespace

NvoInpBG::NvoInpBG() : Form("NvoInpBG")
{
    // Enter anywhere in the box accepts it.
    KeyPreview = true;
}

std::unique_ptr<QWidget> NvoInpBG::CreateWindow()
{
    auto window = std::make_unique<InputBoxWindow>();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    window->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    window->setWindowTitle(" ");

    auto* layout = new QVBoxLayout(window.get());
    frame3D1_ = new Panel(window.get());
    frame3D1_->setFrameShape(QFrame::StyledPanel);
    auto* frameLayout = new QHBoxLayout(frame3D1_);
    picture1_ = new QLabel(frame3D1_);
    picture1_->setPixmap(window->style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    picture1_->setAlignment(Qt::AlignTop);
    frameLayout->addWidget(picture1_);
    auto* fields = new QVBoxLayout;
    inpPrompt_ = new TextArea(frame3D1_);
    inpPrompt_->setReadOnly(true);
    inpPrompt_->setFrameShape(QFrame::NoFrame);
    inpPrompt_->setFocusPolicy(Qt::NoFocus);
    inpPrompt_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    inpPrompt_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    inpPrompt_->setFixedHeight(inpPrompt_->fontMetrics().lineSpacing() * 2 + 12);
    inpPrompt_->viewport()->setAutoFillBackground(false);
    fields->addWidget(inpPrompt_);
    inpText_ = new TextBox(frame3D1_);
    fields->addWidget(inpText_);
    frameLayout->addLayout(fields, 1);
    layout->addWidget(frame3D1_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    inpOK_ = new CommandButton("Accept", window.get());
    inpCancel_ = new CommandButton("Cancel", window.get());
    inpOK_->setAutoDefault(false);
    inpCancel_->setAutoDefault(false);
    buttons->addWidget(inpOK_);
    buttons->addWidget(inpCancel_);
    layout->addLayout(buttons);
    window->resize(420, 160);

    AddControl(picture1_, "Picture1");
    AddControl(frame3D1_, "Frame3D1");
    AddControl(inpPrompt_, "InpPrompt");
    AddControl(inpText_, "InpText");
    AddControl(inpOK_, "InpOK");
    SetControlTag(inpOK_, "99177");
    AddControl(inpCancel_, "InpCancel");
    SetControlTag(inpCancel_, "99388");
    inpOK_->Click.Connect([this] { InpOK_Click(); });
    inpCancel_->Click.Connect([this] { InpCancel_Click(); });
    return window;
}

void NvoInpBG::ForgetControls()
{
    frame3D1_ = nullptr;
    picture1_ = nullptr;
    inpPrompt_ = nullptr;
    inpText_ = nullptr;
    inpOK_ = nullptr;
    inpCancel_ = nullptr;
}

TextArea* NvoInpBG::InpPrompt()
{
    EnsureLoaded();
    return inpPrompt_;
}

TextBox* NvoInpBG::InpText()
{
    EnsureLoaded();
    return inpText_;
}

CommandButton* NvoInpBG::InpOK()
{
    EnsureLoaded();
    return inpOK_;
}

CommandButton* NvoInpBG::InpCancel()
{
    EnsureLoaded();
    return inpCancel_;
}

void NvoInpBG::Form_Load()
{
    LocalizeForm(*this);
    PlaceInputBox();
}

void NvoInpBG::Form_Activate()
{
    if (inpText_) inpText_->setFocus(Qt::OtherFocusReason);
}

void NvoInpBG::Form_KeyDown(int& KeyCode, int& /*Shift*/)
{
    if (KeyCode != winsys::vk::Return) return;
    KeyCode = 0;
    InpOK_Click();
}

void NvoInpBG::Form_KeyUp(int& KeyCode, int& Shift)
{
    if (KeyCode == winsys::vk::F1 && Shift == winsys::shiftmask::Ctrl) ShowFormHelp();
}

void NvoInpBG::InpOK_Click()
{
    const std::string answer = inpText_ ? Trim(inpText_->Text()) : std::string();
    g_InputResult = answer.empty() ? " " : answer;
    Unload();
}

void NvoInpBG::InpCancel_Click()
{
    g_InputResult.clear();
    Unload();
}

void NvoInpBG::PlaceInputBox()
{
    QWidget* window = Window();
    if (!window) return;
    if (g_ModalDepth != 0 || !g_MainForm || !g_MainForm->Window()) {
        CenterForm(*this);
        return;
    }
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect();
    const QPoint corner = g_MainForm->Window()->frameGeometry().topLeft();
    const QSize size = window->frameGeometry().size();
    int left = corner.x();
    int top = corner.y();
    if (top + size.height() > area.y() + area.height()) top = area.y() + area.height() - size.height();
    if (left + size.width() > area.x() + area.width()) left = area.x() + area.width() - size.width();
    window->move(left, top);
}
