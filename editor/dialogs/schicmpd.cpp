#include "editor/dialogs/schicmpd.h"

#include "editor/objects/comp_state.h"
#include "editor/objects/libraries.h"
#include "editor/objects/symbols.h"
#include "editor/shell/paths.h"
#include "editor/shell/applink.h"
#include "editor/shell/appcmd.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/help.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/numtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "editor/shell/textnum.h"
#include "editor/view/canvas.h"
#include "platform/winsys/grid.h"
#include "platform/winsys/interaction.h"
#include "platform/winsys/keyboard.h"

#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

bool g_InsertDlgOpen = false;
bool g_CompDlgMode = false;
int32_t g_CompMirror = 0;
int32_t g_CompRepeat = 0;
bool g_PartDlgLoaded = false;
bool g_SymbDlgLoaded = false;
std::string g_LookupPartName, g_LookupPartLib;
int32_t g_LookupPartId = 0;
std::string g_LookupSymbName, g_LookupSymbLib;
int32_t g_LookupSymbId = 0;
std::string g_LookupGateName, g_LookupGateLib;
int32_t g_LookupGateId = 0;

struct InsertionDialog::Controls {
    TextBox* cref = nullptr;
    TextBox* crot = nullptr;
    TextBox* cstep[2] = {};
    TextBox* cpitch[2] = {};
    QRadioButton* mcunit[2] = {};
    CheckBox* cmirror = nullptr;
    CheckBox* crepeat = nullptr;
    QGroupBox* mcframe = nullptr;
    QGroupBox* geom = nullptr;
    CommandButton* accept = nullptr;
    CommandButton* cancel = nullptr;
    CommandButton* search = nullptr;
    winsys::NorvoGrid* libs = nullptr;
    Label* libName = nullptr;
    ComboBox* lists[3] = {};
    Label* counts[3] = {};
    QGroupBox* smbFrame[2] = {};
    Label* slibname[2] = {};
    Canvas* previews[2] = {};
};

namespace {

// The close box is the dialog's Cancel, so that the opener never waits for
// a window that is gone.
class InsertWindow : public QDialog {
public:
    explicit InsertWindow(InsertionDialog& form) : form_(form) {}
    void reject() override
    {
        RunEventProcedure([this] { form_.F_Cancel_Click(); });
    }

private:
    InsertionDialog& form_;
};

QColor FromBgr(int32_t bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

int32_t RoundLong(double value)
{
    return static_cast<int32_t>(std::nearbyint(value));
}

// Enter is swallowed and takes the field over.
bool TakeEnter(int& KeyAscii)
{
    if (KeyAscii != 13) return false;
    KeyAscii = 0;
    return true;
}

}  // namespace

InsertionDialog::InsertionDialog(std::string name) : Form(std::move(name))
{
    KeyPreview = true;
}

InsertionDialog::~InsertionDialog() = default;

std::unique_ptr<QWidget> InsertionDialog::CreateWindow()
{
    c_ = std::make_unique<Controls>();
    Controls& c = *c_;
    auto window = std::make_unique<InsertWindow>(*this);
    window->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    window->setModal(false);
    auto* top = new QHBoxLayout(window.get());

    // Left column: the name, the libraries and the lists.
    auto* left = new QVBoxLayout();
    top->addLayout(left);
    auto* refRow = new QHBoxLayout();
    auto* refLabel = new Label(Previews() == 2 ? "Part:" : "Symbol:", window.get());
    c.cref = new TextBox(window.get());
    c.search = new CommandButton("Search...", window.get());
    refRow->addWidget(refLabel);
    refRow->addWidget(c.cref, 1);
    refRow->addWidget(c.search);
    left->addLayout(refRow);
    c.libs = new winsys::NorvoGrid(1, 0, window.get());
    c.libs->setMinimumHeight(110);
    left->addWidget(c.libs, 1);
    c.libName = new Label({}, window.get());
    left->addWidget(c.libName);
    const char* listCaptions[3] = {"Library:", "Design:", "Gates:"};
    for (int i = 0; i < Lists(); ++i) {
        auto* row = new QHBoxLayout();
        row->addWidget(new Label(listCaptions[i], window.get()));
        c.lists[i] = new ComboBox(window.get());
        c.lists[i]->setMinimumWidth(150);
        row->addWidget(c.lists[i], 1);
        c.counts[i] = new Label({}, window.get());
        c.counts[i]->setMinimumWidth(70);
        row->addWidget(c.counts[i]);
        left->addLayout(row);
    }

    // Geometry.
    c.geom = new QGroupBox(window.get());
    auto* geom = new QGridLayout(c.geom);
    geom->addWidget(new Label("Rotation:", c.geom), 0, 0);
    c.crot = new TextBox(c.geom);
    geom->addWidget(c.crot, 0, 1);
    c.cmirror = new CheckBox("Mirror", c.geom);
    geom->addWidget(c.cmirror, 0, 2);
    c.crepeat = new CheckBox("Array", c.geom);
    geom->addWidget(c.crepeat, 1, 0);
    c.mcframe = new QGroupBox(c.geom);
    auto* array = new QGridLayout(c.mcframe);
    const char* axes[2] = {"X:", "Y:"};
    for (int i = 0; i < 2; ++i) {
        array->addWidget(new Label(axes[i], c.mcframe), i, 0);
        c.cstep[i] = new TextBox(c.mcframe);
        c.cpitch[i] = new TextBox(c.mcframe);
        array->addWidget(c.cstep[i], i, 1);
        array->addWidget(c.cpitch[i], i, 2);
    }
    c.mcunit[0] = new QRadioButton("inch", c.mcframe);
    c.mcunit[1] = new QRadioButton("mm", c.mcframe);
    array->addWidget(c.mcunit[0], 2, 1);
    array->addWidget(c.mcunit[1], 2, 2);
    geom->addWidget(c.mcframe, 2, 0, 1, 3);
    left->addWidget(c.geom);

    // Right column: the previews and the buttons.
    auto* right = new QVBoxLayout();
    top->addLayout(right);
    auto* pictures = new QHBoxLayout();
    right->addLayout(pictures);
    for (int i = 0; i < Previews(); ++i) {
        c.smbFrame[i] = new QGroupBox(window.get());
        auto* frame = new QVBoxLayout(c.smbFrame[i]);
        c.previews[i] = new Canvas(c.smbFrame[i]);
        c.previews[i]->setFixedSize(220, 220);
        frame->addWidget(c.previews[i]);
        c.slibname[i] = new Label({}, c.smbFrame[i]);
        frame->addWidget(c.slibname[i]);
        pictures->addWidget(c.smbFrame[i]);
    }
    right->addStretch();
    auto* buttons = new QHBoxLayout();
    buttons->addStretch();
    c.accept = new CommandButton("Accept", window.get());
    c.cancel = new CommandButton("Cancel", window.get());
    buttons->addWidget(c.accept);
    buttons->addWidget(c.cancel);
    right->addLayout(buttons);

    AddControl(c.cref, "F_Cref");
    AddControl(c.search, "F_SearchEngine");
    AddControl(c.libs, "F_Libs");
    AddControl(c.libName, "F_LibName");
    for (int i = 0; i < Lists(); ++i) {
        AddControl(c.lists[i], "F_BrowseList", i);
        AddControl(c.counts[i], "F_Count", i);
    }
    AddControl(c.geom, "F_Geom");
    AddControl(c.crot, "F_Crot");
    AddControl(c.cmirror, "F_Cmirror");
    AddControl(c.crepeat, "F_Crepeat");
    AddControl(c.mcframe, "F_Mcframe");
    for (int i = 0; i < 2; ++i) {
        AddControl(c.cstep[i], "F_Cstep", i);
        AddControl(c.cpitch[i], "F_Cpitch", i);
        AddControl(c.mcunit[i], "F_Mcunit", i);
    }
    for (int i = 0; i < Previews(); ++i) {
        AddControl(c.smbFrame[i], "F_SmbFrame", i);
        AddControl(c.previews[i], "ViewPicture", i);
        AddControl(c.slibname[i], "F_Slibname", i);
    }
    AddControl(c.accept, "F_Accept");
    AddControl(c.cancel, "F_Cancel");

    c.cref->KeyPress.Connect([this](int& k) { F_Cref_KeyPress(k); });
    c.cref->LostFocus.Connect([this] { F_Cref_LostFocus(); });
    c.crot->KeyPress.Connect([this](int& k) { F_Crot_KeyPress(k); });
    c.crot->LostFocus.Connect([this] { ApplyRotation(); });
    for (int i = 0; i < 2; ++i) {
        c.cstep[i]->KeyPress.Connect([this, i](int& k) { F_Cstep_KeyPress(i, k); });
        c.cstep[i]->LostFocus.Connect([this, i] { ApplyCount(i); });
        c.cpitch[i]->KeyPress.Connect([this, i](int& k) { F_Cpitch_KeyPress(i, k); });
        c.cpitch[i]->LostFocus.Connect([this, i] { ApplyPitch(i); });
        QObject::connect(c.mcunit[i], &QRadioButton::clicked,
                         [this, i] { RunEventProcedure([this, i] { F_Mcunit_Click(i); }); });
    }
    c.cmirror->Click.Connect([this] { F_Cmirror_Click(); });
    c.crepeat->Click.Connect([this] { F_Crepeat_Click(); });
    c.libs->Click.Connect([this] { F_Libs_Click(); });
    for (int i = 0; i < Lists(); ++i) c.lists[i]->Click.Connect([this, i] { F_BrowseList_Click(i); });
    for (int i = 0; i < Previews(); ++i) {
        c.previews[i]->Paint.Connect([this, i] { ViewPicture_Paint(i); });
        c.previews[i]->Resize.Connect([this, i] { ViewPicture_Resize(i); });
    }
    c.search->Click.Connect([this] { F_SearchEngine_Click(); });
    c.accept->Click.Connect([this] { F_Accept_Click(); });
    c.cancel->Click.Connect([this] { F_Cancel_Click(); });
    return window;
}

void InsertionDialog::ForgetControls()
{
    c_.reset();
}

TextBox* InsertionDialog::F_Cref() { EnsureLoaded(); return c_->cref; }
TextBox* InsertionDialog::F_Crot() { EnsureLoaded(); return c_->crot; }
TextBox* InsertionDialog::F_Cstep(int i) { EnsureLoaded(); return c_->cstep[i]; }
TextBox* InsertionDialog::F_Cpitch(int i) { EnsureLoaded(); return c_->cpitch[i]; }
QRadioButton* InsertionDialog::F_Mcunit(int i) { EnsureLoaded(); return c_->mcunit[i]; }
CheckBox* InsertionDialog::F_Cmirror() { EnsureLoaded(); return c_->cmirror; }
CheckBox* InsertionDialog::F_Crepeat() { EnsureLoaded(); return c_->crepeat; }
QGroupBox* InsertionDialog::F_Mcframe() { EnsureLoaded(); return c_->mcframe; }
QGroupBox* InsertionDialog::F_Geom() { EnsureLoaded(); return c_->geom; }
CommandButton* InsertionDialog::F_Accept() { EnsureLoaded(); return c_->accept; }
CommandButton* InsertionDialog::F_Cancel() { EnsureLoaded(); return c_->cancel; }
CommandButton* InsertionDialog::F_SearchEngine() { EnsureLoaded(); return c_->search; }
winsys::NorvoGrid* InsertionDialog::F_Libs() { EnsureLoaded(); return c_->libs; }
Label* InsertionDialog::F_LibName() { EnsureLoaded(); return c_->libName; }
ComboBox* InsertionDialog::F_BrowseList(int i) { EnsureLoaded(); return c_->lists[i]; }
Label* InsertionDialog::F_Count(int i) { EnsureLoaded(); return c_->counts[i]; }
QGroupBox* InsertionDialog::F_SmbFrame(int i) { EnsureLoaded(); return c_->smbFrame[i]; }
Label* InsertionDialog::F_Slibname(int i) { EnsureLoaded(); return c_->slibname[i]; }
Canvas* InsertionDialog::ViewPicture(int i) { EnsureLoaded(); return c_->previews[i]; }

void InsertionDialog::Form_Load()
{
    LocalizeForm(*this);
    // A failure while the dialog sets itself up must not leave the main
    // window's resize handling switched off.
    auto resize = OnExit([] { g_SuppressResize = false; });
    InitLibraryGrid();
    InitDialog();
    opening_ = true;
    Initialise.Raise();
    g_DlgOpening = false;
}

void InsertionDialog::Form_Activate()
{
    BeginOpening();
}

void InsertionDialog::BeginOpening()
{
    if (!g_DlgOpening) return;
    g_DlgOpening = false;
    InitDialog();
    opening_ = true;
    Initialise.Raise();
}

void InsertionDialog::Form_KeyUp(int& KeyCode, int& Shift)
{
    if (KeyCode == winsys::vk::F1 && Shift == winsys::shiftmask::Ctrl) ShowFormHelp();
}

void InsertionDialog::CancelDialog()
{
    if (!IsLoaded()) return;
    if (opening_ || g_InsertDlgOpen) F_Cancel_Click();
    Unload(unloadmode::Code);
    SetLoadedFlag(false);
}

void InsertionDialog::EndUnfinishedOpening()
{
    if (opening_) F_Cancel_Click();
}

void InsertionDialog::InitLibraryGrid()
{
    Controls& c = *c_;
    c.libs->SetCols(2);
    c.libs->SetRows(2);
    c.libs->SetColWidth(0, 600);
    c.libs->SetColWidth(1, 2600);
    c.libs->SetTextMatrix(0, 0, GetMsgText("Sq.", "991246"));
    c.libs->SetTextMatrix(0, 1, GetMsgText("File Name:", "99685"));
    c.mcunit[m_UnitIndex]->setChecked(true);
    c.crepeat->SetValue(g_CompRepeat != 0 ? 1 : 0);
    c.cmirror->SetValue(g_CompMirror != 0 ? 1 : 0);
    DropCurrent();
    m_LastLibRow = 0;
    SetLoadedFlag(true);
}

void InsertionDialog::FillLibraryGrid()
{
    Controls& c = *c_;
    c.libs->SetRows(2);
    c.libs->SetTextMatrix(1, 0, "");
    c.libs->SetTextMatrix(1, 1, "");
    const CheckedArray<std::string>& libs = LibList();
    for (long i = 1; i <= libs.UBound(); ++i) {
        c.libs->SetRows(static_cast<int>(i) + 1);
        c.libs->SetTextMatrix(static_cast<int>(i), 0, Str(static_cast<int32_t>(i)));
        c.libs->SetTextMatrix(static_cast<int>(i), 1, libs(i));
    }
    c.libs->SetRow(1);
    c.counts[0]->SetCaption("");
    c.libName->SetCaption("");
    c.lists[0]->Clear();
    m_LibPath.clear();
    m_LastLibRow = 0;
}

void InsertionDialog::InitDialog()
{
    Controls& c = *c_;
    // Each step goes on whatever the one before it did.
    const auto step = [](const std::function<void()>& f) {
        try {
            f();
        } catch (...) {
        }
    };
    step([this] { ForgetShown(); });
    step([&] {
        if (!g_CompDlgMode) {
            SetCaption(GetMsgText("Norvo32 - Create components (", "99614") + g_LibDir + ")");
            c.geom->setEnabled(true);
        } else {
            SetCaption(GetMsgText("Norvo32 - Exchange component: ", "99622") + g_CompName + " (" + g_LibDir + ")");
            c.geom->setEnabled(false);
        }
    });
    step([this] {
        if (Trim(CurrentName()).empty()) FillLibraryGrid();
    });
    step([&] {
        if (g_CompDlgMode) return;
        c.crepeat->SetValue(g_CompRepeat != 0 ? 1 : 0);
        const int unit = g_UnitIndex == 1 ? 1 : 0;
        c.mcunit[unit]->setChecked(true);
        F_Mcunit_Click(unit);
        c.mcframe->setEnabled(g_CompRepeat != 0);
    });
    step([this] { FillBrowseList(1, CurrentName()); });
    step([&] {
        c.cref->SetText(DisplayText(CurrentName()));
        for (int i = 0; i < Previews(); ++i) c.previews[i]->SetBackColor(FromBgr(g_CatColorTable(BackColorEntry(i)).Color));
        ClearPreviews();
        ShowSymbolLabels();
    });
    step([this] {
        std::string title;
        int32_t state = 0, f3 = 0, f4 = 0, f5 = 0;
        ReadAppState("NVOLIBSC", title, state, f3, f4, f5);
        if (!title.empty()) SendCmd("NVOLIBSC", SearchMode());
        E_SetString("SEARCH_MODE", SearchMode());
    });
    step([&] {
        c.libs->PostFillA(0);
        c.libs->PostFillB(0);
    });
}

void InsertionDialog::F_Accept_Click()
{
    if (!FinishCompInfo()) return;
    g_DlgAccepted = true;
    opening_ = false;
    Hide();
    g_InsertDlgOpen = false;
    Terminate.Raise();
}

void InsertionDialog::F_Cancel_Click()
{
    g_DlgAccepted = false;
    DropCurrent();
    opening_ = false;
    if (IsLoaded()) Hide();
    g_InsertDlgOpen = false;
    Terminate.Raise();
}

// ---- Geometry fields --------------------------------------------------------

void InsertionDialog::ShowGeometry()
{
    Controls& c = *c_;
    c.crot->SetText(Format(g_CompAngle / 1000.0, "##0"));
    c.cstep[0]->SetText(Str(g_ArrayCountX));
    c.cstep[1]->SetText(Str(g_ArrayCountY));
    const int32_t steps[2] = {g_ArrayStepX, g_ArrayStepY};
    for (int i = 0; i < 2; ++i) {
        const double shown = static_cast<double>(steps[i]) / g_DbUnitsPerMm * g_UnitFactor(m_UnitIndex);
        c.cpitch[i]->SetText(Format(shown, g_NumFormat(g_UnitIndex)) + g_UnitSuffix(m_UnitIndex));
    }
}

void InsertionDialog::ApplyRotation()
{
    const double value = ParseNum(c_->crot->Text());
    if (value >= 0 && value <= 360)
        g_CompAngle = RoundLong(value * 1000);
    else
        winsys::Ui().Beep();
    ShowGeometry();
}

void InsertionDialog::ApplyCount(int index)
{
    // The range holds for the count that is stored, after rounding: "0.3"
    // would otherwise become no copies at all.
    const double value = std::nearbyint(ParseNum(c_->cstep[index]->Text()));
    if (value > 0 && value <= kMaxArrayCount)
        (index == 0 ? g_ArrayCountX : g_ArrayCountY) = static_cast<int32_t>(value);
    else
        winsys::Ui().Beep();
    ShowGeometry();
}

void InsertionDialog::ApplyPitch(int index)
{
    const double value = std::nearbyint(ParseNum(c_->cpitch[index]->Text()) / g_UnitFactor(m_UnitIndex) * g_DbUnitsPerMm);
    if (value >= kMinArrayPitch && value <= kMaxArrayPitch)
        (index == 0 ? g_ArrayStepX : g_ArrayStepY) = static_cast<int32_t>(value);
    else
        winsys::Ui().Beep();
    ShowGeometry();
}

void InsertionDialog::F_Crot_KeyPress(int& KeyAscii)
{
    if (TakeEnter(KeyAscii)) ApplyRotation();
}

void InsertionDialog::F_Cstep_KeyPress(int index, int& KeyAscii)
{
    if (TakeEnter(KeyAscii)) ApplyCount(index);
}

void InsertionDialog::F_Cpitch_KeyPress(int index, int& KeyAscii)
{
    if (TakeEnter(KeyAscii)) ApplyPitch(index);
}

void InsertionDialog::F_Mcunit_Click(int index)
{
    m_UnitIndex = index;
    ShowGeometry();
}

void InsertionDialog::F_Cmirror_Click()
{
    g_CompMirror = c_->cmirror->Value() != 0 ? 1 : 0;
}

void InsertionDialog::F_Crepeat_Click()
{
    g_CompRepeat = c_->crepeat->Value() != 0 ? 1 : 0;
    c_->mcframe->setEnabled(g_CompRepeat != 0);
}

void InsertionDialog::F_Cref_KeyPress(int& KeyAscii)
{
    m_RefEdited = true;
    if (TakeEnter(KeyAscii)) LoadRef();
}

void InsertionDialog::F_Cref_LostFocus()
{
    if (m_RefEdited) LoadRef();
}

void InsertionDialog::FillGeometryInfo()
{
    g_CompInfo.Angle = g_CompAngle;
    g_CompInfo.Flags = g_CompMirror != 0 ? 3 : 1;
    g_CompInfo.LayComp = 0;
    g_CompInfo.Group = 0;
    g_CompInfo.Extra = 1;
}

bool InsertionDialog::TakeFreeName()
{
    g_CompInfo.Id = 0;
    int32_t status = 0;
    std::string name;
    FindFreeName(status, DB_SchCompMap(), "Unpck", name);
    if (status != 0) {
        std::string detail = "Unpck";
        ReportMsg(22, detail);
        return false;
    }
    g_CompInfo.Name = FixedText(name, 15);
    return true;
}

// ---- Library grid, lists and the search link --------------------------------

void InsertionDialog::F_Libs_Click()
{
    Controls& c = *c_;
    c.libs->SetCol(1);
    const std::string file = c.libs->Text();
    // The library folder setting as the file system knows it.
    m_LibPath = JoinPath(ResolveDir(g_LibDir, DirBase::Data), file);
    c.libName->SetCaption(UCase(file));
    c.libs->SetCol(0);
    m_LibRow = c.libs->Row();
    if (m_LibRow != m_LastLibRow) {
        FillBrowseList(0, CurrentName());
        m_LastLibRow = m_LibRow;
    }
}

bool InsertionDialog::ReadLibraryNames(std::vector<std::string>& names)
{
    if (Trim(m_LibPath).empty()) return true;
    const int32_t lib = E_OpenLibrary(NativePath(LibraryFilePath(m_LibPath)).c_str(), LibKind(), 0);
    if (lib == 0) {
        c_->libName->SetCaption("");
        m_LibPath.clear();
        return false;
    }
    SetScreenMousePointer(mousepointer::Hourglass);
    auto pointer = OnExit([] { SetScreenMousePointer(mousepointer::Default); });
    for (int32_t i = 0;; ++i) {
        const char* name = E_GetLibDirName(lib, i);
        if (!name) break;
        names.push_back(PtrToStr(name));
    }
    E_CloseLibrary(lib);
    return true;
}

void InsertionDialog::ShowBrowseNames(int kind, const std::vector<std::string>& names, const std::string& name)
{
    ComboBox* list = c_->lists[kind];
    bool seen = false;
    for (const std::string& n : names) {
        if (kind != 2 && !name.empty() && n == name)
            seen = true;
        else
            list->AddItem(DisplayText(n));
    }
    c_->counts[kind]->SetCaption(Str(static_cast<int32_t>(names.size())) + GetMsgText(" item(s)", "99791"));
    if (!names.empty() && seen) list->AddItem(DisplayText(name), 0);
    // A filled list starts without a selection, so that selecting its first
    // entry is a change that loads it.
    list->setCurrentIndex(-1);
    if (kind == 2) return;
    if (list->ListCount() > 0) list->SetListIndex(0);
}

void InsertionDialog::F_SearchEngine_Click()
{
    StartApp("NVOLIBSC", 0);
    std::string title;
    int32_t state = 0, f3 = 0, f4 = 0, f5 = 0;
    ReadAppState("NVOLIBSC", title, state, f3, f4, f5);
    if (!title.empty()) SendCmd("NVOLIBSC", SearchMode());
    E_SetString("SEARCH_MODE", SearchMode());
}

// ---- Previews ---------------------------------------------------------------

std::string LibraryFileName(const std::string& path)
{
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

int32_t PreviewScaleFor(int32_t base, double w, double h, int W, int H)
{
    if (W <= 0 || H <= 0) return base;
    if (w == 0) w = 1;
    if (h == 0) h = 1;
    const double zoom = std::max(w / W, h / H);
    return zoom <= 1 ? base : RoundLong(base + zoom);
}

void InsertionDialog::ClearPreviews()
{
    for (int i = 0; i < Previews(); ++i) c_->previews[i]->Refresh();
}

void InsertionDialog::FitPreview(int index)
{
    int32_t* f = m_PreviewFrames[index];
    const int32_t symbol = PreviewSymbol(index);
    S_SetCompLocation(0, 0, 0, 0);
    int32_t items[4] = {};
    int32_t pins[4] = {};
    if (symbol == 0 || S_FrameSymbolItems(symbol, 1, items) == 0) std::fill(items, items + 4, 0);
    if (symbol == 0 || S_FrameSymbolEntries(symbol, 1, pins) == 0) std::fill(pins, pins + 4, 0);
    f[0] = std::min(items[0], pins[0]);
    f[1] = std::min(items[1], pins[1]);
    f[2] = std::max(items[2], pins[2]);
    f[3] = std::max(items[3], pins[3]);
    const double x1 = f[0], y1 = f[1], x2 = f[2], y2 = f[3];
    m_PreviewX[index] = RoundLong(-(x1 + (x2 - x1) / 2));
    m_PreviewY[index] = RoundLong(-(y1 + (y2 - y1) / 2));
    const QSize size = c_->previews[index]->ClientSize();
    m_PreviewScale[index] =
        PreviewScaleFor(BaseScale(index), std::fabs(x2 - x1), std::fabs(y2 - y1), size.width(), size.height());
}

void InsertionDialog::ViewPicture_Paint(int index)
{
    Canvas* picture = c_->previews[index];
    picture->Cls();
    const int32_t symbol = PreviewSymbol(index);
    const QSize size = picture->ClientSize();
    // A picture without area is not drawn on.
    if (symbol == 0 || size.width() <= 0 || size.height() <= 0) return;
    const ViewDCRec view{m_PreviewScale[index], size.width(), size.height(), 0, 0, ViewFlags(index)};
    if (G_OpenDC(picture->DeviceHandle(), &view) == 0) return;
    auto closeDc = OnExit([] { G_CloseDC(); });
    // The draw mode is the kernel's, left as the editor's last drawing set
    // it (an erase or an XOR preview would leave nothing to see): the
    // symbol is drawn plainly in its own colours, and the editor gets its
    // mode back.
    const int32_t mode = G_SetDrawMode(0);
    auto restoreMode = OnExit([mode] { G_SetDrawMode(mode); });
    DrawSymbAt(symbol, m_PreviewX[index], m_PreviewY[index], 0, 0);
}

void InsertionDialog::ViewPicture_Resize(int index)
{
    // A picture gets its size when the window is first shown, after the
    // opening has fitted and drawn the symbol for a picture not yet laid
    // out; the resize replaces the image without drawing. The symbol is
    // fitted to the picture as it is now and drawn again.
    if (!c_ || !c_->previews[index]) return;
    FitPreview(index);
    c_->previews[index]->Invalidate();
}
