#include "editor/dialogs/schinet.h"

#include "editor/objects/net_lookups.h"
#include "editor/objects/net_text.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/help.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/schmain.h"
#include "editor/shell/schmain_design.h"
#include "editor/shell/textarea.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/interaction.h"
#include "platform/winsys/keyboard.h"

#include <QDialog>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QTextCursor>

#include <algorithm>

namespace {

// Escape (and closing the window) is the Cancel button.
class NetDialogWindow : public QDialog {
public:
    explicit NetDialogWindow(SCHINET& form) : form_(form) {}
    void reject() override
    {
        RunEventProcedure([this] { form_.F_Cancel_Click(); });
    }

private:
    SCHINET& form_;
};

// The name field's GotFocus.
class FocusInWatch : public QObject {
public:
    FocusInWatch(SCHINET& form, QObject* parent) : QObject(parent), form_(form) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn) RunEventProcedure([this] { form_.F_NetName_GotFocus(); });
        return QObject::eventFilter(watched, event);
    }

private:
    SCHINET& form_;
};

// The main window's position, 315 twips below its top.
constexpr int kBelowMainTop = 315 / schmain_design::kTwipsPerPixel;

}  // namespace

SCHINET::SCHINET() : Form("SCHINET")
{
    KeyPreview = true;
}

std::unique_ptr<QWidget> SCHINET::CreateWindow()
{
    auto window = std::make_unique<NetDialogWindow>(*this);
    window->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    window->setWindowTitle("Norvo32 - Edit Net");
    window->setModal(false);

    menuPan_ = new Panel(window.get());
    auto* bar = new QHBoxLayout(menuPan_);
    bar->setContentsMargins(4, 2, 4, 4);
    frame3D1_ = new QGroupBox("Netname:", menuPan_);
    auto* frameLayout = new QHBoxLayout(frame3D1_);
    frameLayout->setContentsMargins(4, 2, 4, 4);
    netName_ = new TextBox(frame3D1_);
    netName_->setFixedWidth(140);
    frame3D1_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    frameLayout->addWidget(netName_);
    bar->addWidget(frame3D1_);
    pwrGnd_ = new CheckBox("Pwr/Gnd:", menuPan_);
    pwrGnd_->setLayoutDirection(Qt::RightToLeft);  // the box to the right of the caption
    bar->addWidget(pwrGnd_, 0, Qt::AlignBottom);
    named_ = new CheckBox("Named:   ", menuPan_);
    named_->setLayoutDirection(Qt::RightToLeft);
    bar->addWidget(named_, 0, Qt::AlignBottom);
    bus_ = new Label({}, menuPan_);
    bus_->setStyleSheet("QLabel { color: blue; background-color: yellow; padding: 1px 3px; }");
    bar->addWidget(bus_, 0, Qt::AlignBottom);
    bar->addStretch();
    accept_ = new CommandButton("Accept", menuPan_);
    accept_->setDefault(true);
    bar->addWidget(accept_, 0, Qt::AlignBottom);
    cancel_ = new CommandButton("Cancel", menuPan_);
    bar->addWidget(cancel_, 0, Qt::AlignBottom);

    txtBuffer_ = new TextArea(window.get());
    txtBuffer_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtBuffer_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtBuffer_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont fixed("DejaVu Sans Mono");
    fixed.setStyleHint(QFont::Monospace);
    txtBuffer_->setFont(fixed);
    window->resize(640, 360);

    AddControl(menuPan_, "F_MenuPan");
    AddControl(frame3D1_, "Frame3D1");
    AddControl(netName_, "F_NetName");
    AddControl(pwrGnd_, "F_PwrGnd");
    AddControl(named_, "F_Named");
    AddControl(bus_, "F_Bus");
    AddControl(accept_, "F_Accept");
    AddControl(cancel_, "F_Cancel");
    AddControl(txtBuffer_, "F_TxtBuffer");
    SetControlTag(frame3D1_, "99932");
    SetControlTag(pwrGnd_, "991087");
    SetControlTag(named_, "99917");
    SetControlTag(accept_, "99177");
    SetControlTag(cancel_, "99388");

    accept_->Click.Connect([this] { F_Accept_Click(); });
    cancel_->Click.Connect([this] { F_Cancel_Click(); });
    named_->Click.Connect([this] { F_Named_Click(); });
    pwrGnd_->Click.Connect([this] { F_PwrGnd_Click(); });
    netName_->installEventFilter(new FocusInWatch(*this, netName_));
    netName_->KeyPress.Connect([this](int& key) { F_NetName_KeyPress(key); });
    netName_->LostFocus.Connect([this] { F_NetName_LostFocus(); });
    txtBuffer_->Change.Connect([this] { F_TxtBuffer_Change(); });
    return window;
}

void SCHINET::ForgetControls()
{
    menuPan_ = nullptr;
    frame3D1_ = nullptr;
    netName_ = nullptr;
    pwrGnd_ = nullptr;
    named_ = nullptr;
    bus_ = nullptr;
    accept_ = nullptr;
    cancel_ = nullptr;
    txtBuffer_ = nullptr;
}

Panel* SCHINET::F_MenuPan() { EnsureLoaded(); return menuPan_; }
TextBox* SCHINET::F_NetName() { EnsureLoaded(); return netName_; }
CheckBox* SCHINET::F_PwrGnd() { EnsureLoaded(); return pwrGnd_; }
CheckBox* SCHINET::F_Named() { EnsureLoaded(); return named_; }
Label* SCHINET::F_Bus() { EnsureLoaded(); return bus_; }
CommandButton* SCHINET::F_Accept() { EnsureLoaded(); return accept_; }
CommandButton* SCHINET::F_Cancel() { EnsureLoaded(); return cancel_; }
TextArea* SCHINET::F_TxtBuffer() { EnsureLoaded(); return txtBuffer_; }

void SCHINET::SetTopmost(bool topmost)
{
    QWidget* window = Window();
    if (!window || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == topmost) return;
    // Changing the window's flags hides it; a shown window is shown again.
    const bool shown = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    if (shown) window->show();
}

void SCHINET::Form_Load()
{
    LocalizeForm(*this);
    g_SuppressResize = true;
    m_PwrGndState = 0;
    m_NamedState = 0;
    SetupNetDialog();
    g_SuppressResize = false;
    QWidget* window = Window();
    if (m_SavedTop != 0 || m_SavedLeft != 0) {
        window->move(static_cast<int>(m_SavedLeft), static_cast<int>(m_SavedTop));
    } else if (g_MainForm && g_MainForm->Window()) {
        const QPoint main = g_MainForm->Window()->pos();
        window->move(main.x(), main.y() + kBelowMainTop);
    }
    Form_Resize();
    g_DlgOpening = false;
}

void SCHINET::Form_Activate()
{
    if (!g_DlgOpening) return;
    g_DlgOpening = false;
    SetupNetDialog();
}

void SCHINET::SetupNetDialog()
{
    txtBuffer_->SetText(g_NetNodeText);
    netName_->SetText(DisplayText(g_CurNetName));
    m_NetName = g_CurNetName;
    m_OrigNetName = g_CurNetName;
    accept_->setEnabled(true);
    cancel_->setEnabled(true);
    if (g_NetEditMode == 1) {
        SetCaption(GetMsgText("Norvo32 - Edit Net", "99620"));
        pwrGnd_->setVisible(true);
        pwrGnd_->setEnabled(true);
        pwrGnd_->SetValue(0);
        named_->SetValue(0);
        bus_->setVisible(false);
    } else {
        SetCaption(g_NetEditMode == 0 ? GetMsgText("Norvo32 - Rename Net", "99629")
                                       : GetMsgText("Norvo32 - Nodes in Splited Net", "99627"));
        const int32_t flags = g_CurNetRec.Flags;
        if ((flags & 8) != 0) {
            pwrGnd_->setVisible(false);
            pwrGnd_->setEnabled(false);
            m_PwrGndState = 0;
            bus_->setVisible(true);
            int32_t index = 0;
            if (const int32_t bus = N_FindBusMember(g_CurNet, &index); bus != 0)
                bus_->SetCaption(GetMsgText("in Bus: ", "99764") + PtrToStr(O_GetName(N_Bus(bus))) + " memb:" +
                                 Str(index));
        } else {
            pwrGnd_->setVisible(true);
            pwrGnd_->setEnabled(true);
            pwrGnd_->SetValue(flags & 2);
            m_PwrGndState = flags & 2;
            bus_->setVisible(false);
        }
        named_->SetValue((flags & 4) != 0 ? 1 : 0);
    }
    const int size = static_cast<int>(txtBuffer_->document()->characterCount()) - 1;
    const int start = std::clamp(g_NetTextSelStart, 0, std::max(size, 0));
    const int end = std::clamp(start + std::max(g_NetTextSelLen, 0), start, std::max(size, 0));
    QTextCursor cursor = txtBuffer_->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    txtBuffer_->setTextCursor(cursor);
}

void SCHINET::F_PwrGnd_Click()
{
    m_PwrGndState = pwrGnd_->Value();
    if (m_PwrGndState != 0) {
        // A power/ground net is always named.
        named_->setEnabled(false);
        named_->SetValue(1);
        m_NamedState = 1;
    } else {
        named_->setEnabled(true);
    }
}

void SCHINET::F_Named_Click()
{
    m_NamedState = named_->Value();
}

void SCHINET::F_NetName_GotFocus()
{
    m_NameTouched = true;
}

void SCHINET::F_NetName_KeyPress(int& KeyAscii)
{
    m_NameTouched = true;
    if (KeyAscii != 13) return;
    KeyAscii = 0;
    CheckNetNameField();
}

void SCHINET::F_NetName_LostFocus()
{
    if (m_NameTouched) CheckNetNameField();
}

void SCHINET::CheckNetNameField()
{
    const std::string candidate = FirstWord((netName_->Text() + std::string(15, ' ')).substr(0, 15));
    if (candidate.empty()) {
        winsys::Ui().Beep();
        m_NetName = m_OrigNetName;
    } else {
        m_NetName = EnteredText(candidate);
        if (m_NetName != m_OrigNetName) {
            int32_t status = 1;
            int32_t net = 0;
            FindNetByName(status, net, m_NetName);
            if (status == 0) {
                std::string detail = m_NetName;
                ReportMsg(27, detail);
                m_NetName = m_OrigNetName;
            }
        }
    }
    netName_->SetText(DisplayText(m_NetName));
}

void SCHINET::F_TxtBuffer_Change()
{
    // Only the edit mode lets the node list be changed.
    if (g_NetEditMode != 1 && txtBuffer_->Text() != g_NetNodeText) txtBuffer_->SetText(g_NetNodeText);
}

void SCHINET::SavePosition()
{
    if (QWidget* window = Window()) {
        m_SavedTop = window->pos().y();
        m_SavedLeft = window->pos().x();
    }
}

void SCHINET::F_Accept_Click()
{
    g_NetNodeText = txtBuffer_->Text();
    g_NetEditFlags = 1;
    g_CurNetName = m_NetName;
    if (m_PwrGndState != 0) g_NetEditFlags |= 2;
    if (m_NamedState != 0) g_NetEditFlags |= 4;
    SavePosition();
    if (g_NetEditMode == 2 && g_MainForm && g_MainForm->F_FrmCmd) {
        // Emptied first, so that the change runs even when it held "C19".
        g_MainForm->F_FrmCmd->SetText("");
        g_MainForm->F_FrmCmd->SetText("C19");
    }
    Hide();
}

void SCHINET::F_Cancel_Click()
{
    g_NetNodeText.clear();
    g_NetEditFlags = 0;
    SavePosition();
    Hide();
}

void SCHINET::Form_Resize()
{
    if (g_SuppressResize) return;
    QWidget* window = Window();
    if (!window || !menuPan_) return;
    const QRect inner = window->contentsRect();
    const int panHeight = menuPan_->sizeHint().height();
    menuPan_->setGeometry(inner.left() + 1, inner.top(), std::max(inner.width() - 1, 0), panHeight);
    txtBuffer_->setGeometry(inner.left() + 1, inner.top() + panHeight + 1, std::max(inner.width() - 1, 0),
                            std::max(inner.height() - panHeight - 1, 0));
    if (!window->isVisible()) return;
    if (g_NetEditMode == 1) txtBuffer_->setFocus(Qt::OtherFocusReason);
    else netName_->setFocus(Qt::OtherFocusReason);
}

void SCHINET::Form_KeyUp(int& KeyCode, int& Shift)
{
    if (KeyCode == winsys::vk::F1 && Shift == winsys::shiftmask::Ctrl) ShowFormHelp();
}
