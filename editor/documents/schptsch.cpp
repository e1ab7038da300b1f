#include "editor/documents/schptsch.h"

#include "editor/documents/printing.h"
#include "editor/shell/controls.h"
#include "editor/shell/help.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/numtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/settings.h"
#include "editor/shell/textnum.h"
#include "editor/view/print_area.h"
#include "platform/winsys/grid.h"
#include "platform/winsys/keyboard.h"
#include "platform/winsys/printer.h"

#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

CheckedArray<PrintPageRec> g_PrintPages;

namespace {

constexpr int32_t kPrintMargin = 25400;  // 0.01 inch around the boundary
constexpr int kColumns = 6;

// The window: Escape is the Close button.
class PrintWindow : public QDialog {
public:
    explicit PrintWindow(SCHPTSCH& form) : form_(form) {}
    void reject() override
    {
        RunEventProcedure([this] { form_.F_Close_Click(); });
    }

private:
    SCHPTSCH& form_;
};

// The scale as the table shows it: "1 : 2.5", "2.5 : 1", "1. : 1".
std::string ScaleText(int32_t a, int32_t b)
{
    if (a < b) return "1 : " + Format(static_cast<double>(b) / a, "#.##");
    return Format(static_cast<double>(a) / b, "#.##") + " : 1";
}

}  // namespace

SCHPTSCH& SchptschForm()
{
    static auto* form = new SCHPTSCH;
    return *form;
}

SCHPTSCH::SCHPTSCH() : Form("SCHPTSCH")
{
    KeyPreview = true;
}

std::unique_ptr<QWidget> SCHPTSCH::CreateWindow()
{
    auto window = std::make_unique<PrintWindow>(*this);
    window->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    window->setWindowTitle("Print Scheduler");
    auto* layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(0);

    F_LGrid = new winsys::NorvoGrid(1, 0, window.get());
    F_LGrid->SetRows(1);
    F_LGrid->SetCols(kColumns);
    F_LGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    F_LGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    F_LGrid->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    layout->addWidget(F_LGrid);
    F_PrintPageSetup = new winsys::NorvoGrid(0, 0, window.get());
    F_PrintPageSetup->SetCols(kColumns);
    F_PrintPageSetup->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    F_PrintPageSetup->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    layout->addWidget(F_PrintPageSetup, 1);
    AddControl(F_LGrid, "F_LGrid");
    AddControl(F_PrintPageSetup, "F_PrintPageSetup");
    F_PrintPageSetup->Click.Connect([this] { F_PrintPageSetup_Click(); });

    F_MsgLine = new Label({}, window.get());
    F_MsgLine->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    layout->addSpacing(6);
    layout->addWidget(F_MsgLine);
    AddControl(F_MsgLine, "F_MsgLine");
    layout->addSpacing(6);
    CreateSettings(window.get());
    CreateButtons(window.get());
    return window;
}

void SCHPTSCH::CreateSettings(QWidget* window)
{
    Frame3D1 = new Panel(window);
    Frame3D1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    auto* grid = new QGridLayout(Frame3D1);
    auto* title = new Label("Settings", Frame3D1);
    grid->addWidget(title, 0, 0, 1, 3);
    AddControl(Frame3D1, "Frame3D1");
    struct Box {
        CheckBox** box;
        const char* name;
        const char* caption;
        void (SCHPTSCH::*click)();
    };
    const Box boxes[] = {
        {&F_pageNotes, "F_pageNotes", "Page Notes", &SCHPTSCH::F_pageNotes_Click},
        {&F_DesignNotes, "F_DesignNotes", "Design Notes", &SCHPTSCH::F_DesignNotes_Click},
        {&F_BitMaps, "F_BitMaps", "BitMaps", &SCHPTSCH::F_BitMaps_Click},
        {&F_Entries, "F_Entries", "Entries", &SCHPTSCH::F_Entries_Click},
        {&F_MonoColor, "F_MonoColor", "Mono Color", &SCHPTSCH::F_MonoColor_Click},
    };
    int i = 0;
    for (const Box& b : boxes) {
        *b.box = new CheckBox(b.caption, Frame3D1);
        grid->addWidget(*b.box, 1 + i / 3, i % 3);
        AddControl(*b.box, b.name);
        (*b.box)->Click.Connect([this, click = b.click] { (this->*click)(); });
        ++i;
    }
    auto* buttons = new QHBoxLayout;
    F_Set = new CommandButton("Set Scale/Offset", Frame3D1);
    F_Accept = new CommandButton("Accept", Frame3D1);
    F_Cancel = new CommandButton("Cancel", Frame3D1);
    buttons->addWidget(F_Set);
    buttons->addWidget(F_Accept);
    buttons->addWidget(F_Cancel);
    grid->addLayout(buttons, 3, 0, 1, 3);
    AddControl(F_Set, "F_Set");
    AddControl(F_Accept, "F_Accept");
    AddControl(F_Cancel, "F_Cancel");
    SetControlTag(F_Cancel, "99388");
    F_Set->Click.Connect([this] { F_Set_Click(); });
    F_Accept->Click.Connect([this] { F_Accept_Click(); });
    F_Cancel->Click.Connect([this] { F_Cancel_Click(); });
    window->layout()->addWidget(Frame3D1);
}

void SCHPTSCH::CreateButtons(QWidget* window)
{
    auto* row = new QHBoxLayout;
    F_Pause = new CheckBox("Pause for paper change", window);
    F_Print = new CommandButton("Print", window);
    F_Restart = new CommandButton("Continue...", window);
    F_Close = new CommandButton("Close", window);
    row->addWidget(F_Pause);
    row->addStretch();
    row->addWidget(F_Print);
    row->addWidget(F_Restart);
    row->addWidget(F_Close);
    static_cast<QVBoxLayout*>(window->layout())->addSpacing(6);
    static_cast<QVBoxLayout*>(window->layout())->addLayout(row);
    AddControl(F_Pause, "F_Pause");
    AddControl(F_Print, "F_Print");
    AddControl(F_Restart, "F_Restart");
    AddControl(F_Close, "F_Close");
    SetControlTag(F_Close, "99422");
    F_Restart->setEnabled(false);
    F_Pause->Click.Connect([this] { F_Pause_Click(); });
    F_Print->Click.Connect([this] { F_Print_Click(); });
    F_Restart->Click.Connect([this] { F_Restart_Click(); });
    F_Close->Click.Connect([this] { F_Close_Click(); });
}

void SCHPTSCH::ForgetControls()
{
    F_PrintPageSetup = F_LGrid = nullptr;
    F_MsgLine = nullptr;
    Frame3D1 = nullptr;
    F_pageNotes = F_DesignNotes = F_BitMaps = F_Entries = F_MonoColor = F_Pause = nullptr;
    F_Set = F_Accept = F_Cancel = F_Print = F_Close = F_Restart = nullptr;
}

void SCHPTSCH::Form_Load()
{
    LocalizeForm(*this);
    // 6744 twips high; ShowModal centres the window.
    Window()->resize(Window()->sizeHint().width(), 6744 / winsys::TwipsPerPixel);
    Window()->move(1620 / winsys::TwipsPerPixel, 780 / winsys::TwipsPerPixel);
    edit_ = blank_;
    editSetUp_ = false;
    setupRow_ = 0;
    FillPageGrid();
}

void SCHPTSCH::Form_KeyUp(int& KeyCode, int& Shift)
{
    if (KeyCode == winsys::vk::F1 && (Shift & 2)) ShowFormHelp();
}

void SCHPTSCH::LayOutGrids()
{
    const QFontMetrics metrics(Window()->font());
    const auto twips = [&](const QString& sample) {
        return metrics.horizontalAdvance(sample) * winsys::TwipsPerPixel;
    };
    const int widths[kColumns] = {twips(QString(15, 'B')), twips(" YES "), twips(QString(8, 'B')),
                                  twips(QString(8, 'B')), twips(QString(8, 'B')), twips(QString(9, 'B'))};
    int total = 0;
    for (int c = 0; c < kColumns; ++c) {
        F_PrintPageSetup->SetColWidth(c, widths[c]);
        F_LGrid->SetColWidth(c, widths[c]);
        total += widths[c];
    }
    // Both grids as wide as their columns (and the frame around them).
    const int frame = 2 * F_PrintPageSetup->frameWidth() * winsys::TwipsPerPixel;
    const int scroll = F_PrintPageSetup->verticalScrollBar()->sizeHint().width() * winsys::TwipsPerPixel;
    F_PrintPageSetup->SetWidth(total + frame + scroll);
    F_LGrid->SetWidth(total + frame + scroll);
    F_LGrid->SetHeight(F_LGrid->RowHeight(0) + frame);
    // The layout keeps those sizes.
    F_PrintPageSetup->setFixedWidth(F_PrintPageSetup->width());
    F_LGrid->setFixedSize(F_LGrid->width(), F_LGrid->height());
    Window()->resize(std::max(Window()->width(), Window()->sizeHint().width()), Window()->height());
}

void SCHPTSCH::FillPageGrid()
{
    const int32_t map = DB_PageMap();
    const int32_t n = OM_GetCount(map);
    g_PrintPages.Redim(1, n);
    F_PrintPageSetup->SetRows(n);
    LayOutGrids();

    const struct {
        const char* text;
        const char* id;
    } headings[kColumns] = {{"Page(s):", "13157"},   {"Print:", "991078"},    {"Scale:", "13188"},
                            {"X-Offset:", "991415"}, {"Y-Offset:", "991420"}, {"Sheets:", "991208"}};
    F_LGrid->SetRow(0);
    for (int c = 0; c < kColumns; ++c) {
        F_LGrid->SetCol(c);
        F_LGrid->SetText(GetMsgText(headings[c].text, headings[c].id));
    }

    // The first page of the walk goes into the last row.
    F_PrintPageSetup->SetCol(0);
    int32_t k = n - 1;
    int32_t position = OM_GetFirst(map);
    for (;;) {
        const int32_t page = OM_SearchMask(map, &position, 0, 0);
        const char* found = O_GetName(OM_Object(map, page));
        if (!found) break;
        const std::string name = PtrToStr(found);
        if (OM_FindNameMask(map, name.c_str(), 0, 0) <= 0 || k < 0) continue;
        F_PrintPageSetup->SetRow(k);
        F_PrintPageSetup->SetText(DisplayText(name));
        g_PrintPages(k + 1).Name = F_PrintPageSetup->Text();
        --k;
    }
    for (int32_t i = 1; i <= n; ++i) ShowPageRow(i);
    EnableRowSetup(false);
}

void SCHPTSCH::ShowPageRow(int32_t row)
{
    winsys::NorvoGrid& grid = *F_PrintPageSetup;
    const PrintPageRec& page = g_PrintPages(row);
    grid.SetRow(row - 1);
    grid.SetCol(1);
    grid.PostFillA(2);
    if (page.Selected == 0) {
        grid.SetText(GetMsgText("No ", "99938"));
        return;
    }
    grid.SetText(GetMsgText("Yes", "991426"));
    const std::string* texts[3] = {&page.ScaleText, &page.XOffsetText, &page.YOffsetText};
    for (int c = 2; c <= 4; ++c) {
        grid.SetCol(c);
        grid.PostFillA(2);
        grid.SetText(*texts[c - 2]);
    }
    // The boxes show the page's options (their clicks load the edit record).
    const int32_t options[5] = {page.PageNotes, page.DesignNotes, page.BitMaps, page.Entries, page.MonoColor};
    CheckBox* boxes[5] = {F_pageNotes, F_DesignNotes, F_BitMaps, F_Entries, F_MonoColor};
    for (int i = 0; i < 5; ++i) boxes[i]->SetValue(options[i] != 0 ? 1 : 0);
    grid.SetCol(5);
    grid.PostFillA(2);
    grid.SetText(std::to_string(page.Sheets));
}

void SCHPTSCH::EnableRowSetup(bool on)
{
    if (!on) F_Accept->setEnabled(false);
    F_Cancel->setEnabled(on);
    for (CheckBox* box : {F_pageNotes, F_DesignNotes, F_BitMaps, F_Entries, F_MonoColor}) {
        box->setEnabled(on);
        box->SetValue(on ? 1 : 0);
    }
    F_Set->setEnabled(on);
    Frame3D1->setEnabled(on);
    F_Print->setEnabled(!on);
}

void SCHPTSCH::F_PrintPageSetup_Click()
{
    edit_ = blank_;
    editSetUp_ = false;
    F_Accept->setEnabled(false);
    if (F_PrintPageSetup->Col() > 1) return;
    F_PrintPageSetup->SetCol(0);
    const int32_t row = F_PrintPageSetup->Row() + 1;
    PrintPageRec& page = g_PrintPages(row);
    if (page.Selected == 1) {
        page.Selected = 0;
        ShowPageRow(row);
        EnableRowSetup(false);
        setupRow_ = 0;
        return;
    }
    if (page.Sheets != 0) {
        page.Selected = 1;
        ShowPageRow(row);
    }
    EnableRowSetup(true);
    ShowPageRow(row);
    setupRow_ = row;
    ShowPrintMsg(GetMsgText("Select Settings ...", "991192"));
}

void SCHPTSCH::F_Set_Click()
{
    ApplyPrintOrientation();
    MakePrintSetup();
    F_Accept->setEnabled(true);
}

void SCHPTSCH::F_Accept_Click()
{
    // The row whose setup started, whatever cell was clicked since.
    const int32_t row = setupRow_ > 0 ? setupRow_ : F_PrintPageSetup->Row() + 1;
    if (editSetUp_) {
        // The options are those the boxes show now.
        edit_.PageNotes = F_pageNotes->Value();
        edit_.DesignNotes = F_DesignNotes->Value();
        edit_.BitMaps = F_BitMaps->Value();
        edit_.Entries = F_Entries->Value();
        edit_.MonoColor = F_MonoColor->Value();
        edit_.Name = g_PrintPages(row).Name;
        g_PrintPages(row) = edit_;
    }
    edit_ = blank_;
    editSetUp_ = false;
    setupRow_ = 0;
    ShowPageRow(row);
    EnableRowSetup(false);
    ShowPrintMsg(GetMsgText(" Select Page / Print ", "13195"));
}

void SCHPTSCH::F_Cancel_Click()
{
    setupRow_ = 0;
    EnableRowSetup(false);
    ShowPrintMsg(GetMsgText(" Select Page / Print ", "13195"));
}

void SCHPTSCH::F_pageNotes_Click()
{
    edit_.PageNotes = F_pageNotes->Value();
}

void SCHPTSCH::F_DesignNotes_Click()
{
    edit_.DesignNotes = F_DesignNotes->Value();
}

void SCHPTSCH::F_BitMaps_Click()
{
    edit_.BitMaps = F_BitMaps->Value();
}

void SCHPTSCH::F_Entries_Click()
{
    edit_.Entries = F_Entries->Value();
}

void SCHPTSCH::F_MonoColor_Click()
{
    edit_.MonoColor = F_MonoColor->Value();
}

void SCHPTSCH::ShowPrintMsg(const std::string& text)
{
    F_MsgLine->SetCaption(text + " ");
    F_MsgLine->Refresh();
}

void SCHPTSCH::MakePrintSetup()
{
    bool cancelled = false;
    PrintScaleRec scale{};
    std::string xText, yText;
    SetupPrintScale(cancelled, scale, xText, yText);
    if (cancelled) return;
    edit_.Scale = scale;
    edit_.Selected = 1;
    edit_.ScaleText = ScaleText(scale.Numerator, scale.Denominator);
    edit_.Sheets = scale.SheetsAcross * scale.SheetsDown;
    edit_.XOffsetText = xText;
    edit_.YOffsetText = yText;
    editSetUp_ = true;
}

void SCHPTSCH::SetupPrintScale(bool& cancelled, PrintScaleRec& scale, std::string& xText, std::string& yText)
{
    cancelled = true;
    ReadFrameBox();
    PrintArea area;
    if (g_FrameValid) area.Join(g_FrameX1, g_FrameY1, g_FrameX2, g_FrameY2);
    if (F_pageNotes->Value() != 0) area.JoinSymbolItems(g_PageNotesSymb);
    if (F_DesignNotes->Value() != 0) area.JoinSymbolItems(g_DesNotesSymb);
    if (F_BitMaps->Value() != 0) area.JoinPageBitmaps();
    if (area.Empty()) {
        std::string detail;
        ReportMsg(111, detail);
        return;
    }
    area.Widen(kPrintMargin);
    scale.Numerator = 1;
    scale.Denominator = 1;
    if (E_PrintScaleSetupDialog(winsys::Printer::Get().Device(), area.x1, area.y1, area.x2, area.y2, UnitsPerInch(),
                                &scale, 0) == 0)
        return;
    cancelled = false;
    const double r = static_cast<double>(scale.Numerator) / scale.Denominator;
    const int32_t u = g_UnitIndex;
    const double f = g_UnitFactor(u);
    const double x = (area.x1 - (scale.View.X - scale.StepX / 2.0)) / g_DbUnitsPerMm * f * r;
    const double y = std::fabs((area.y1 - (scale.View.Y - scale.StepY / 2.0)) / g_DbUnitsPerMm * f * r - 0.04);
    xText = Format(x, g_NumFormat(u)) + g_UnitSuffix(u);
    yText = Format(y, g_NumFormat(u)) + g_UnitSuffix(u);
}
