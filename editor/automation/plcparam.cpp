#include "editor/automation/plcparam.h"

#include "editor/automation/placement_settings.h"
#include "editor/shell/controls.h"
#include "editor/shell/help.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/numtext.h"
#include "editor/shell/settings.h"
#include "editor/shell/textnum.h"
#include "platform/placement/plc_rules.h"
#include "platform/winsys/keyboard.h"

#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

bool g_PlcParamLoaded = false;

namespace {

constexpr double kUnitsPerInch = 2540000.0;
constexpr int32_t kDefaultLength = 254000;  // .100 inch, the lists' default

std::string ShownLength(double inches)
{
    std::string pattern = "0.000";
    if (g_UnitIndex >= g_NumFormat.LBound() && g_UnitIndex <= g_NumFormat.UBound()) pattern = g_NumFormat(g_UnitIndex);
    return Format(inches, pattern) + "\"";
}

ComboBox* LengthBox(QWidget* parent)
{
    auto* box = new ComboBox(parent);
    box->setEditable(true);
    return box;
}

}  // namespace

std::string NormalizeLength(const std::string& text)
{
    double u = std::floor(ParseNum(text) * kUnitsPerInch);
    u = std::floor(u / 2) * 2;
    double v = u / kUnitsPerInch;
    if (v < 0.009) v = 0.01;
    if (v > 0.5) v = 0.5;
    return ShownLength(v);
}

std::string NormalizeCount(const std::string& text)
{
    // Limited before it becomes a whole number: a number typed beyond the
    // range of one (such as 1e30) is the largest count, not an undefined
    // conversion.
    const int64_t n = plc_prefix::RoundHalfEven(std::clamp(ParseNum(text), 1.0, 999.0));
    return " " + std::to_string(n);
}

int32_t LengthUnits(const std::string& text)
{
    // Kept within the 32-bit range so that any text converts defined.
    const double units = std::floor(ParseNum(text) * kUnitsPerInch);
    return static_cast<int32_t>(std::clamp(units, -2147483648.0, 2147483647.0));
}

PLCPARAM::PLCPARAM() : Form("PLCPARAM") {}

std::unique_ptr<QWidget> PLCPARAM::CreateWindow()
{
    auto window = std::make_unique<QDialog>();
    window->setWindowTitle("Pattern Generation Parameters");
    auto* layout = new QVBoxLayout(window.get());
    auto* frame1 = new QGroupBox("Clearances between components : ", window.get());
    auto* f1 = new QHBoxLayout(frame1);
    auto* frame2 = new QGroupBox("By X : ", frame1);
    auto* frame3 = new QGroupBox("By Y : ", frame1);
    clearX_ = LengthBox(frame2);
    clearY_ = LengthBox(frame3);
    (new QVBoxLayout(frame2))->addWidget(clearX_);
    (new QVBoxLayout(frame3))->addWidget(clearY_);
    f1->addWidget(frame2);
    f1->addWidget(frame3);
    layout->addWidget(frame1);
    auto* row = new QHBoxLayout;
    auto* frame4 = new QGroupBox("Alignment : ", window.get());
    align_ = LengthBox(frame4);
    (new QVBoxLayout(frame4))->addWidget(align_);
    auto* frame5 = new QGroupBox("Generation : ", window.get());
    generation_ = new ComboBox(frame5);
    (new QVBoxLayout(frame5))->addWidget(generation_);
    row->addWidget(frame4);
    row->addWidget(frame5);
    layout->addLayout(row);
    auto* frame6 = new QGroupBox("Cells : ", window.get());
    auto* f6 = new QGridLayout(frame6);
    columnsLabel_ = new Label("Columns : ", frame6);
    rowsLabel_ = new Label("Rows : ", frame6);
    columns_ = new TextBox(frame6);
    rows_ = new TextBox(frame6);
    f6->addWidget(columnsLabel_, 0, 0);
    f6->addWidget(columns_, 0, 1);
    f6->addWidget(rowsLabel_, 1, 0);
    f6->addWidget(rows_, 1, 1);
    layout->addWidget(frame6);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    accept_ = new CommandButton("Accept", window.get());
    cancel_ = new CommandButton("Cancel", window.get());
    buttons->addWidget(accept_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);

    const std::pair<QWidget*, const char*> tagged[] = {
        {frame1, "1359"}, {frame2, "1338"}, {frame3, "1339"}, {frame4, "1323"}, {frame5, "13114"},
        {frame6, "1342"}, {columnsLabel_, "1360"}, {rowsLabel_, "13182"}, {accept_, "99177"}, {cancel_, "99388"}};
    for (auto [w, tag] : tagged) SetControlTag(w, tag);
    AddControl(clearX_, "PlcParamClearanceX");
    AddControl(clearY_, "PlcParamClearanceY");
    AddControl(align_, "PlcParamAlignment");
    AddControl(generation_, "PlcParamGeneration");
    AddControl(columns_, "PlcParamColumns");
    AddControl(rows_, "PlcParamRows");
    AddControl(columnsLabel_, "PlcParamColumnsLabel");
    AddControl(rowsLabel_, "PlcParamRowsLabel");
    AddControl(accept_, "PlcParamAccept");
    AddControl(cancel_, "PlcParamCancel");
    SetControlTag(window.get(), "991033");

    for (ComboBox* box : {clearX_, clearY_, align_}) {
        box->KeyPress.Connect([box](int& key) {
            if (key != winsys::vk::Return) return;
            key = 0;
            box->SetText(NormalizeLength(box->Text()));
        });
        box->LostFocus.Connect([box] { box->SetText(NormalizeLength(box->Text())); });
    }
    for (TextBox* box : {columns_, rows_}) {
        box->KeyPress.Connect([box](int& key) {
            if (key != winsys::vk::Return) return;
            key = 0;
            box->SetText(NormalizeCount(box->Text()));
        });
        box->LostFocus.Connect([box] { box->SetText(NormalizeCount(box->Text())); });
    }
    generation_->Click.Connect([this] { PlcParamGeneration_Click(); });
    generation_->LostFocus.Connect([this] { PlcParamGeneration_Click(); });
    accept_->Click.Connect([this] { PlcParamAccept_Click(); });
    cancel_->Click.Connect([this] { PlcParamCancel_Click(); });
    return window;
}

void PLCPARAM::ForgetControls()
{
    clearX_ = clearY_ = align_ = generation_ = nullptr;
    columns_ = rows_ = nullptr;
    columnsLabel_ = rowsLabel_ = nullptr;
    accept_ = cancel_ = nullptr;
}

#define PLCPARAM_ACCESSOR(type, name, member) \
    type* PLCPARAM::name()                    \
    {                                         \
        EnsureLoaded();                       \
        return member;                        \
    }
PLCPARAM_ACCESSOR(ComboBox, PlcParamClearanceX, clearX_)
PLCPARAM_ACCESSOR(ComboBox, PlcParamClearanceY, clearY_)
PLCPARAM_ACCESSOR(ComboBox, PlcParamAlignment, align_)
PLCPARAM_ACCESSOR(ComboBox, PlcParamGeneration, generation_)
PLCPARAM_ACCESSOR(TextBox, PlcParamColumns, columns_)
PLCPARAM_ACCESSOR(TextBox, PlcParamRows, rows_)
PLCPARAM_ACCESSOR(Label, PlcParamColumnsLabel, columnsLabel_)
PLCPARAM_ACCESSOR(Label, PlcParamRowsLabel, rowsLabel_)
PLCPARAM_ACCESSOR(CommandButton, PlcParamAccept, accept_)
PLCPARAM_ACCESSOR(CommandButton, PlcParamCancel, cancel_)
#undef PLCPARAM_ACCESSOR

void PLCPARAM::EnableCounts(bool on)
{
    for (QWidget* w : std::initializer_list<QWidget*>{columns_, rows_, columnsLabel_, rowsLabel_}) w->setEnabled(on);
}

void PLCPARAM::Form_Load()
{
    LocalizeForm(*this);
    for (ComboBox* box : {clearX_, clearY_, align_}) {
        for (const char* step : kPlcStepTexts) box->AddItem(std::string(step) + "\"");
        box->SetText(".100\"");
    }
    generation_->AddItem("Automatic");
    generation_->AddItem("As Setup");
    columns_->SetText("1");
    rows_->SetText("1");
    generation_->SetText("As Setup");
    EnableCounts(false);
    if (!g_PlcParamLoaded) {
        // The first opening gives the parameters the lists' defaults; later
        // openings show what was accepted last.
        g_PlcParamLoaded = true;
        g_PatColumns = g_PatRows = 1;
        g_PatAsSetup = 0;
        g_PatClearanceX = g_PatClearanceY = g_PatAlignment = kDefaultLength;
    }
}

void PLCPARAM::Form_Activate()
{
    clearX_->SetText(ShownLength(g_PatClearanceX / kUnitsPerInch));
    clearY_->SetText(ShownLength(g_PatClearanceY / kUnitsPerInch));
    align_->SetText(ShownLength(g_PatAlignment / kUnitsPerInch));
    columns_->SetText(" " + std::to_string(g_PatColumns));
    rows_->SetText(" " + std::to_string(g_PatRows));
    generation_->SetText(g_PatAsSetup == 0 ? "Automatic" : "As Setup");
    EnableCounts(g_PatAsSetup != 0);
}

void PLCPARAM::Form_KeyUp(int& KeyCode, int& Shift)
{
    if (KeyCode == winsys::vk::F1 && Shift == winsys::shiftmask::Ctrl) ShowFormHelp();
}

void PLCPARAM::PlcParamGeneration_Click()
{
    const std::string text = generation_->Text();
    if (text == "Automatic") EnableCounts(false);
    else if (text == "As Setup") EnableCounts(true);
}

void PLCPARAM::PlcParamAccept_Click()
{
    // The fields are normalised first: a text typed without leaving the
    // field is stored by the same rule as one that lost the focus.
    for (ComboBox* box : {clearX_, clearY_, align_}) box->SetText(NormalizeLength(box->Text()));
    for (TextBox* box : {columns_, rows_}) box->SetText(NormalizeCount(box->Text()));
    g_PatClearanceX = LengthUnits(clearX_->Text());
    g_PatClearanceY = LengthUnits(clearY_->Text());
    g_PatAlignment = std::max(1, LengthUnits(align_->Text()));
    g_PatAsSetup = generation_->Text() == "Automatic" ? 0 : 1;
    g_PatColumns = static_cast<int32_t>(plc_prefix::RoundHalfEven(ParseNum(columns_->Text())));
    g_PatRows = static_cast<int32_t>(plc_prefix::RoundHalfEven(ParseNum(rows_->Text())));
    Hide();
}

void PLCPARAM::PlcParamCancel_Click()
{
    Hide();
}
