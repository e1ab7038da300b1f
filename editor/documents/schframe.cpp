#include "editor/documents/schframe.h"

#include "editor/documents/frame_outline.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/entry_change.h"
#include "editor/shell/help.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/numtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/prefs.h"
#include "editor/shell/reporter.h"
#include "editor/shell/settings.h"
#include "editor/shell/textnum.h"
#include "editor/view/canvas.h"
#include "platform/winsys/interaction.h"
#include "platform/winsys/keyboard.h"
#include "platform/winsys/latin1.h"

#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

// The unit last chosen in the dialog; inches at the first opening.
int32_t g_frameDlgUnit = 0;

constexpr int32_t kMinPreviewScale = 5080;
constexpr int32_t kIncompleteCode = 7;
constexpr int32_t kCantCreateFormatCode = 11;

class FrameDialogWindow : public QDialog {
public:
    void reject() override { hide(); }
};

void Beep()
{
    winsys::Ui().Beep();
}

}  // namespace

SCHFRAME::SCHFRAME() : Form("SCHFRAME")
{
    KeyPreview = true;
}

std::unique_ptr<QWidget> SCHFRAME::CreateWindow()
{
    auto window = std::make_unique<FrameDialogWindow>();
    window->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    window->setWindowTitle("Page Format");
    auto* layout = new QHBoxLayout(window.get());

    auto* left = new QVBoxLayout;
    modeFrame_ = new QGroupBox("Format rectangle:", window.get());
    auto* grid = new QGridLayout(modeFrame_);
    xMode_ = new Label("Width:", modeFrame_);
    yMode_ = new Label("Height:", modeFrame_);
    xValue_ = new TextBox(modeFrame_);
    yValue_ = new TextBox(modeFrame_);
    grid->addWidget(xMode_, 0, 0);
    grid->addWidget(xValue_, 0, 1);
    grid->addWidget(yMode_, 1, 0);
    grid->addWidget(yValue_, 1, 1);
    unit_[0] = new QRadioButton("Inch", modeFrame_);
    unit_[1] = new QRadioButton("mm", modeFrame_);
    grid->addWidget(unit_[0], 2, 0);
    grid->addWidget(unit_[1], 2, 1);
    confirm_ = new CommandButton("Size O.K.", modeFrame_);
    delete_ = new CommandButton("Delete", modeFrame_);
    grid->addWidget(confirm_, 3, 0);
    grid->addWidget(delete_, 3, 1);
    left->addWidget(modeFrame_);
    formatCaption_ = new Label("Standard formats:", window.get());
    formats_ = new ComboBox(window.get());
    left->addWidget(formatCaption_);
    left->addWidget(formats_);
    left->addStretch();
    auto* buttons = new QHBoxLayout;
    accept_ = new CommandButton("Accept", window.get());
    cancel_ = new CommandButton("Cancel", window.get());
    accept_->setAutoDefault(false);
    cancel_->setAutoDefault(false);
    confirm_->setAutoDefault(false);
    delete_->setAutoDefault(false);
    buttons->addWidget(accept_);
    buttons->addWidget(cancel_);
    left->addLayout(buttons);
    defFrmtExchg_ = new TextBox(window.get());
    defFrmtExchg_->hide();
    layout->addLayout(left);

    preview_ = new Canvas(window.get());
    preview_->setFrameShape(QFrame::Box);
    preview_->setFixedSize(240, 240);
    layout->addWidget(preview_);
    window->resize(520, 270);

    AddControl(modeFrame_, "F_ModeFrame");
    SetControlTag(modeFrame_, "13110");
    AddControl(xMode_, "F_Xmode");
    AddControl(xValue_, "F_Xvalue");
    AddControl(yMode_, "F_Ymode");
    AddControl(yValue_, "F_Yvalue");
    AddControl(unit_[0], "F_Mcunit", 0);
    AddControl(unit_[1], "F_Mcunit", 1);
    AddControl(confirm_, "F_Confirm");
    AddControl(delete_, "F_Delete");
    SetControlTag(delete_, "99334");
    AddControl(formatCaption_, "F_FormatCaption");
    SetControlTag(formatCaption_, "99733");
    AddControl(formats_, "F_Formats");
    AddControl(accept_, "F_Accept");
    SetControlTag(accept_, "99177");
    AddControl(cancel_, "F_Cancel");
    SetControlTag(cancel_, "99388");
    AddControl(preview_, "ViewPicture");
    AddControl(defFrmtExchg_, "F_DefFrmtExchg");

    xValue_->KeyPress.Connect([this](int& key) { F_Xvalue_KeyPress(key); });
    yValue_->KeyPress.Connect([this](int& key) { F_Yvalue_KeyPress(key); });
    xValue_->LostFocus.Connect([this] { F_Xvalue_LostFocus(); });
    yValue_->LostFocus.Connect([this] { F_Yvalue_LostFocus(); });
    for (int i = 0; i < 2; ++i)
        QObject::connect(unit_[static_cast<size_t>(i)], &QRadioButton::clicked,
                         [this, i] { RunEventProcedure([this, i] { F_Mcunit_Click(i); }); });
    formats_->Click.Connect([this] { F_Formats_Click(); });
    confirm_->Click.Connect([this] { F_Confirm_Click(); });
    delete_->Click.Connect([this] { F_Delete_Click(); });
    accept_->Click.Connect([this] { F_Accept_Click(); });
    cancel_->Click.Connect([this] { F_Cancel_Click(); });
    defFrmtExchg_->Change.Connect([this] { F_DefFrmtExchg_Change(); });
    preview_->Paint.Connect([this] { ViewPicture_Paint(); });
    return window;
}

void SCHFRAME::ForgetControls()
{
    xValue_ = yValue_ = nullptr;
    xMode_ = yMode_ = nullptr;
    modeFrame_ = nullptr;
    formats_ = nullptr;
    formatCaption_ = nullptr;
    unit_ = {};
    confirm_ = delete_ = accept_ = cancel_ = nullptr;
    preview_ = nullptr;
    defFrmtExchg_ = nullptr;
}

TextBox* SCHFRAME::F_Xvalue() { EnsureLoaded(); return xValue_; }
TextBox* SCHFRAME::F_Yvalue() { EnsureLoaded(); return yValue_; }
Label* SCHFRAME::F_Xmode() { EnsureLoaded(); return xMode_; }
Label* SCHFRAME::F_Ymode() { EnsureLoaded(); return yMode_; }
QGroupBox* SCHFRAME::F_ModeFrame() { EnsureLoaded(); return modeFrame_; }
ComboBox* SCHFRAME::F_Formats() { EnsureLoaded(); return formats_; }
Label* SCHFRAME::F_FormatCaption() { EnsureLoaded(); return formatCaption_; }
QRadioButton* SCHFRAME::F_Mcunit(int index)
{
    EnsureLoaded();
    if (index < 0 || index > 1) RaiseError(errnum::SubscriptOutOfRange);
    return unit_[static_cast<size_t>(index)];
}
CommandButton* SCHFRAME::F_Confirm() { EnsureLoaded(); return confirm_; }
CommandButton* SCHFRAME::F_Delete() { EnsureLoaded(); return delete_; }
CommandButton* SCHFRAME::F_Accept() { EnsureLoaded(); return accept_; }
CommandButton* SCHFRAME::F_Cancel() { EnsureLoaded(); return cancel_; }
Canvas* SCHFRAME::ViewPicture() { EnsureLoaded(); return preview_; }
TextBox* SCHFRAME::F_DefFrmtExchg() { EnsureLoaded(); return defFrmtExchg_; }

int32_t SCHFRAME::DialogUnit() const
{
    return g_frameDlgUnit;
}

int32_t SCHFRAME::PreviewScaleFor(int height)
{
    // A picture without height shows nothing; its scale stays the smallest.
    if (height == 0) return kMinPreviewScale;
    const double quotient = static_cast<double>(kFrameSizeLimit) / std::abs(height);
    if (quotient <= 1) return kMinPreviewScale;
    return ToLong(quotient + kMinPreviewScale);
}

void SCHFRAME::Form_Load()
{
    LocalizeForm(*this);
    InitFrameValues();
    SetupFrameMode();
    g_DlgOpening = false;
}

void SCHFRAME::Form_KeyUp(int& KeyCode, int& Shift)
{
    if (KeyCode == winsys::vk::F1 && Shift == winsys::shiftmask::Ctrl) ShowFormHelp();
}

void SCHFRAME::InitFrameValues()
{
    width_ = height_ = deltaX_ = deltaY_ = 0;
    SelectUnit(g_frameDlgUnit);
}

void SCHFRAME::SelectUnit(int index)
{
    unit_[static_cast<size_t>(index)]->setChecked(true);
    F_Mcunit_Click(index);
}

void SCHFRAME::SetupFrameMode()
{
    const bool corners = g_FrameMode == 1;
    modeFrame_->setTitle(ToQ(corners ? GetMsgText("Format corners:", "13109") : GetMsgText("Format rectangle:", "13110")));
    xMode_->SetCaption(corners ? GetMsgText("Delta X:", "99540") : GetMsgText("Width:", "991402"));
    yMode_->SetCaption(corners ? GetMsgText("Delta Y:", "99541") : GetMsgText("Height:", "99745"));
    confirm_->setText(ToQ(corners ? GetMsgText("Add Point", "99180") : GetMsgText("Size O.K.", "991217")));
    delete_->setVisible(corners);
    formats_->setVisible(!corners);
    formatCaption_->setVisible(!corners);

    g_FramePoints.Redim(0, corners ? 1 : 4);
    formats_->Clear();
    for (long row = 0; row <= 1; ++row)
        for (long slot = 1; slot <= 6; ++slot) formats_->AddItem(g_PageFormats(row, slot).Name);
    // A freshly filled list has nothing chosen.
    formats_->SetListIndex(-1);
    ShowFrameValues();
    previewScale_ = PreviewScaleFor(preview_->ClientSize().height());
    preview_->Refresh();
}

std::string SCHFRAME::ValueText(int32_t value) const
{
    const double shown = value / static_cast<double>(g_DbUnitsPerMm) * g_UnitFactor(g_frameDlgUnit);
    return Format(shown, numFormat_) + g_UnitSuffix(g_frameDlgUnit);
}

void SCHFRAME::ShowFrameValues()
{
    const bool corners = g_FrameMode == 1;
    xValue_->SetText(ValueText(corners ? deltaX_ : width_));
    yValue_->SetText(ValueText(corners ? deltaY_ : height_));
}

void SCHFRAME::ReadFrameValues()
{
    edited_ = false;
    const auto toDb = [](const std::string& text) {
        return ParseNum(text) / g_UnitFactor(g_frameDlgUnit) * g_DbUnitsPerMm;
    };
    const double x = toDb(xValue_->Text());
    const double y = toDb(yValue_->Text());
    if (g_FrameMode == 1) {
        const auto inSpan = [](double v) { return v >= -kFrameSpanLimit && v <= kFrameSpanLimit; };
        if (inSpan(x)) deltaX_ = ToLong(x);
        if (inSpan(y)) deltaY_ = ToLong(y);
    } else {
        const auto inSize = [](double v) { return v > 0 && v <= kFrameSizeLimit; };
        if (inSize(x)) width_ = ToLong(x);
        if (inSize(y)) height_ = ToLong(y);
    }
    ShowFrameValues();
}

void SCHFRAME::F_Xvalue_KeyPress(int& KeyAscii)
{
    edited_ = true;
    if (KeyAscii != winsys::vk::Return) return;
    KeyAscii = 0;
    ReadFrameValues();
}

void SCHFRAME::F_Yvalue_KeyPress(int& KeyAscii)
{
    F_Xvalue_KeyPress(KeyAscii);
}

void SCHFRAME::F_Xvalue_LostFocus()
{
    if (edited_) ReadFrameValues();
}

void SCHFRAME::F_Yvalue_LostFocus()
{
    if (edited_) ReadFrameValues();
}

void SCHFRAME::F_Mcunit_Click(int Index)
{
    g_frameDlgUnit = Index == 1 ? 1 : 0;
    numFormat_ = g_frameDlgUnit == 1 ? "#####0" : g_NumFormat(g_UnitIndex == 1 ? 1 : 0);
    ShowFrameValues();
}

void SCHFRAME::F_Formats_Click()
{
    const int p = formats_->ListIndex() + 1;
    if (p < 1 || p > 12) return;
    const int row = p <= 6 ? 0 : 1;
    const PageFormatRec& format = g_PageFormats(row, p <= 6 ? p : p - 6);
    SelectUnit(row);
    xValue_->SetText(CStr(format.Width));
    yValue_->SetText(CStr(format.Height));
    ReadFrameValues();
    F_Confirm_Click();
}

void SCHFRAME::F_Confirm_Click()
{
    if (g_FrameMode == 1) {
        if (deltaX_ == 0 && deltaY_ == 0) {
            Beep();
            return;
        }
        if (!AddFramePoint(g_FramePoints, deltaX_, deltaY_)) Beep();
        deltaX_ = deltaY_ = 0;
        ShowFrameValues();
    } else {
        if (width_ == 0 || height_ == 0) {
            Beep();
            return;
        }
        MakeFrameRectangle(g_FramePoints, width_, height_);
    }
    preview_->Refresh();
}

void SCHFRAME::F_Delete_Click()
{
    if (!DeleteFramePoint(g_FramePoints)) Beep();
    preview_->Refresh();
}

void SCHFRAME::F_Accept_Click()
{
    if (IsFrameIncomplete(g_FramePoints)) {
        ReportMsg(kIncompleteCode);
        return;
    }
    // A refused write goes back alone: the dialog stays open for another
    // try, and what the user accepts then stays.
    bool written = false;
    {
        EntryChange attempt;
        written = WritePageFrame(g_FrameBranch, g_FramePoints, 0);
        written = attempt.End() && written;
    }
    if (!written) {
        std::string detail;
        ReportMsg(kCantCreateFormatCode, detail);
        return;
    }
    Hide();
}

void SCHFRAME::F_Cancel_Click()
{
    Hide();
}

void SCHFRAME::F_DefFrmtExchg_Change()
{
    if (Trim(defFrmtExchg_->Text()).empty()) return;
    const double value = ParseNum(Trim(defFrmtExchg_->Text()));
    // A position outside the list applies nothing.
    if (value >= 0 && value < formats_->ListCount() && value == std::floor(value)) {
        const int p = static_cast<int>(value);
        if (formats_->ListIndex() != p)
            formats_->SetListIndex(p);
        else
            F_Formats_Click();
        F_Accept_Click();
    }
    defFrmtExchg_->SetText("");
}

void SCHFRAME::ViewPicture_Paint()
{
    preview_->Cls();
    const QSize size = preview_->ClientSize();
    ViewDCRec view{previewScale_, std::max(size.width(), 1), std::max(size.height(), 1), 0, 0, 0};
    if (G_OpenDC(preview_->DeviceHandle(), &view) == 0) return;
    DrawFramePreview();
    G_CloseDC();
}

void SCHFRAME::DrawFramePreview()
{
    G_SetDrawMode(0);
    G_SetColor(61);
    G_SetWidth(1);
    G_SetStyle(2);
    G_Line(-kFrameSpanLimit, 0, kFrameSpanLimit, 0);
    G_Line(0, -kFrameSpanLimit, 0, kFrameSpanLimit);
    G_Rectangle(-kFrameSpanLimit, -kFrameSpanLimit, kFrameSizeLimit, kFrameSizeLimit, 0);
    if (g_FramePoints.Empty()) return;
    G_SetStyle(16);
    const FramePoint& origin = g_FramePoints(0);
    G_Rectangle(origin.X - 1270000, origin.Y - 1270000, 2540000, 2540000, 0);
    G_SetStyle(0);
    const long last = g_FramePoints.UBound();
    const bool corners = g_FrameMode == 1;
    for (long i = 0; i < last; ++i) {
        if (corners && i == last - 1) G_SetStyle(2);
        G_Line(g_FramePoints(i).X, g_FramePoints(i).Y, g_FramePoints(i + 1).X, g_FramePoints(i + 1).Y);
    }
    if (corners && last >= 1) {
        G_SetStyle(0);
        G_Circle(g_FramePoints(last - 1).X, g_FramePoints(last - 1).Y, 2540000);
    }
}
