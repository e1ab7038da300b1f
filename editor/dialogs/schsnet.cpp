#include "editor/dialogs/schsnet.h"

#include "editor/objects/components.h"
#include "editor/objects/netlist_compare.h"
#include "editor/objects/net_text.h"
#include "editor/shell/controls.h"
#include "editor/shell/help.h"
#include "editor/shell/listbox.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/shared_services.h"
#include "editor/shell/textnum.h"
#include "editor/view/canvas.h"
#include "platform/winsys/keyboard.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace {

// Escape (and closing the window) is the Close button.
class NetViewerWindow : public QDialog {
public:
    explicit NetViewerWindow(SCHSNET& form) : form_(form) {}
    void reject() override
    {
        RunEventProcedure([this] { form_.F_Close_Click(); });
    }

private:
    SCHSNET& form_;
};

// A pane's page name; a click on it finds the page in the report list.
class PageLabel : public Label {
public:
    PageLabel(QWidget* parent, std::function<void()> click) : Label({}, parent), click_(std::move(click)) {}

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        Label::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton) RunEventProcedure(click_);
    }

private:
    std::function<void()> click_;
};

constexpr int kSideWidth = 280;

}  // namespace

SCHSNET::SCHSNET() : Form("SCHSNET")
{
    KeyPreview = true;
}

std::unique_ptr<QWidget> SCHSNET::CreateWindow()
{
    auto window = std::make_unique<NetViewerWindow>(*this);
    window->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    window->setWindowTitle("Net Information");
    SetControlTag(window.get(), "13138");
    window->setModal(false);

    paneArea_ = new QWidget(window.get());
    for (int i = 0; i < 4; ++i) {
        pageLabels_[i] = new PageLabel(paneArea_, [this, i] { F_PgNam_Click(i); });
        pageLabels_[i]->setAlignment(Qt::AlignCenter);
        pageLabels_[i]->setCursor(Qt::PointingHandCursor);
        panes_[i] = new Canvas(paneArea_);
        panes_[i]->setFrameStyle(QFrame::Box | QFrame::Plain);
        panes_[i]->hide();
        pageLabels_[i]->hide();
    }

    side_ = new QWidget(window.get());
    auto* column = new QVBoxLayout(side_);
    column->setContentsMargins(4, 4, 4, 4);
    pageName_ = new ComboBox(side_);
    column->addWidget(pageName_);
    pageList_ = new ListBox(side_);
    QFont fixed("DejaVu Sans Mono");
    fixed.setStyleHint(QFont::Monospace);
    pageList_->setFont(fixed);
    column->addWidget(pageList_, 1);
    zoomCombo_ = new ComboBox(side_);
    zoomCombo_->setEditable(true);
    zoomCombo_->setInsertPolicy(QComboBox::NoInsert);
    column->addWidget(zoomCombo_);
    setPan_ = new Panel(side_);
    auto* buttons = new QVBoxLayout(setPan_);
    buttons->setContentsMargins(0, 0, 0, 0);
    pan_ = new CheckBox("Pan to Node on Close", setPan_);
    buttons->addWidget(pan_);
    auto* row = new QHBoxLayout;
    redraw_ = new CommandButton("Redraw", setPan_);
    row->addWidget(redraw_);
    close_ = new CommandButton("Close", setPan_);
    close_->setDefault(true);
    row->addWidget(close_);
    buttons->addLayout(row);
    column->addWidget(setPan_);
    window->resize(900, 600);

    AddControl(pageName_, "F_PageName");
    AddControl(pageList_, "F_PageList");
    for (int i = 0; i < 4; ++i) AddControl(panes_[i], "ViewPicture", i);
    for (int i = 0; i < 4; ++i) AddControl(pageLabels_[i], "F_PgNam", i);
    AddControl(setPan_, "F_SetPan");
    AddControl(close_, "F_Close");
    AddControl(pan_, "F_Pan");
    AddControl(redraw_, "F_Redraw");
    AddControl(zoomCombo_, "ZoomCombo");
    SetControlTag(close_, "99422");
    SetControlTag(pan_, "991014");
    SetControlTag(redraw_, "991095");

    pageName_->Click.Connect([this] { F_PageName_Click(); });
    pageList_->Click.Connect([this] { F_PageList_Click(); });
    close_->Click.Connect([this] { F_Close_Click(); });
    redraw_->Click.Connect([this] { F_Redraw_Click(); });
    zoomCombo_->Click.Connect([this] { ZoomCombo_Click(); });
    zoomCombo_->KeyPress.Connect([this](int& key) { ZoomCombo_KeyPress(key); });
    zoomCombo_->LostFocus.Connect([this] { ZoomCombo_LostFocus(); });
    for (int i = 0; i < 4; ++i) {
        panes_[i]->Paint.Connect([this, i] { ViewPicture_Paint(i); });
        panes_[i]->MouseMove.Connect(
            [this, i](int button, int shift, double x, double y) { ViewPicture_MouseMove(i, button, shift, x, y); });
        panes_[i]->MouseUp.Connect(
            [this, i](int button, int shift, double x, double y) { ViewPicture_MouseUp(i, button, shift, x, y); });
    }
    return window;
}

void SCHSNET::ForgetControls()
{
    paneArea_ = nullptr;
    side_ = nullptr;
    pageName_ = nullptr;
    pageList_ = nullptr;
    panes_.fill(nullptr);
    pageLabels_.fill(nullptr);
    setPan_ = nullptr;
    close_ = nullptr;
    pan_ = nullptr;
    redraw_ = nullptr;
    zoomCombo_ = nullptr;
}

ComboBox* SCHSNET::F_PageName()
{
    EnsureLoaded();
    return pageName_;
}

ListBox* SCHSNET::F_PageList()
{
    EnsureLoaded();
    return pageList_;
}

Canvas* SCHSNET::ViewPicture(int index)
{
    EnsureLoaded();
    return panes_.at(static_cast<size_t>(index));
}

Label* SCHSNET::F_PgNam(int index)
{
    EnsureLoaded();
    return pageLabels_.at(static_cast<size_t>(index));
}

Panel* SCHSNET::F_SetPan()
{
    EnsureLoaded();
    return setPan_;
}

CommandButton* SCHSNET::F_Close()
{
    EnsureLoaded();
    return close_;
}

CheckBox* SCHSNET::F_Pan()
{
    EnsureLoaded();
    return pan_;
}

CommandButton* SCHSNET::F_Redraw()
{
    EnsureLoaded();
    return redraw_;
}

ComboBox* SCHSNET::ZoomCombo()
{
    EnsureLoaded();
    return zoomCombo_;
}

int32_t SCHSNET::PageIdOf(int32_t k) const
{
    if (k < 1 || k > g_NetViewPages.UBound()) return 0;
    return g_NetViewPages(k).Page;
}

void SCHSNET::Form_Load()
{
    LocalizeForm(*this);
    minWidth_ = Window()->width();
    minHeight_ = Window()->height();
    Window()->setMinimumSize(minWidth_, minHeight_);
    side_->setGeometry(minWidth_ - kSideWidth, 0, kSideWidth, minHeight_);
    paneArea_->setGeometry(0, 0, minWidth_ - kSideWidth, minHeight_);
    m_SinglePage = false;
    // The resize when the window shows is its first on every opening: the
    // panes were laid out, fitted and drawn at their size here.
    m_Resized = false;
    SetPaneGrid(1);
    m_EditorPage = DB_CurPage();
    m_Loading = true;
    FillPaneZoomList();
    InitNetViewer();
    m_Loading = false;
    if (pageName_->ListCount() > 0) {
        if (pageName_->ListIndex() == 0) F_PageName_Click();
        else pageName_->SetListIndex(0);
    }
}

void SCHSNET::InitNetViewer()
{
    const std::string net = PtrToStr(O_GetName(N_Net(g_NetViewNet)));
    const int32_t n = g_NetViewLineCount;
    m_PageScale.Redim(0, n);
    SetCaption(GetMsgText("Net : ", "99921") + net + GetMsgText(" in Schematics. Pages( ", "99768") + Str(n) +
               " )");
    pageName_->Clear();
    if (n > 4)
        pageName_->AddItem(GetMsgText("More Pages", "99908"));
    else if (n >= 2)
        pageName_->AddItem(GetMsgText("All Pages", "99191"));
    for (int32_t k = 1; k <= n; ++k)
        pageName_->AddItem(k <= g_NetViewPages.UBound() ? g_NetViewPages(k).Name : std::string());
    m_Last = n;
    m_PanesInUse = 0;
    m_SinglePage = false;
}

void SCHSNET::F_PageName_Click()
{
    if (m_Loading) return;
    const int32_t n = g_NetViewLineCount;
    const int k = pageName_->ListIndex();
    if (k < 0) return;
    if (k == 0) {
        int32_t first = 1;
        int32_t last = n;
        if (n >= 5) {
            first = m_Last + 1;
            if (first > n) first = 1;
            last = std::min(first + 3, n);
        }
        m_SinglePage = false;
        SetPaneGrid(last - first + 1);
        m_First = first;
        m_Last = last;
        if (last - first + 1 == m_PanesInUse) {
            LayoutPanes();
            for (int32_t p = first; p <= last; ++p) FitPaneToPage(p - first, p);
        } else {
            ShowPageGroup(first, last);
        }
        FillNodeList(g_NetNodeText);
    } else {
        SetPaneGrid(1);
        m_First = m_Last = k;
        if (m_SinglePage && m_PanesInUse == 1)
            FitPaneToPage(0, k);
        else
            ShowPageGroup(k, k);
        m_SinglePage = true;
        FillNodeList(g_NetViewLines(k));
    }
    RefreshPanes();
}

void SCHSNET::ShowPageGroup(int32_t first, int32_t last)
{
    m_First = first;
    m_Last = last;
    m_PanesInUse = last - first + 1;
    SetPaneGrid(m_SinglePage ? 1 : m_PanesInUse);
    LayoutPanes();
    for (int32_t k = first; k <= last; ++k) FitPaneToPage(k - first, k);
}

void SCHSNET::RefreshPanes()
{
    for (int i = 0; i < m_PanesInUse && i < 4; ++i) {
        const int32_t k = m_First + i;
        pageLabels_[i]->SetCaption(k <= g_NetViewPages.UBound() ? g_NetViewPages(k).Name : std::string());
        panes_[i]->Refresh();
    }
}

void SCHSNET::FillNodeList(const std::string& text)
{
    pageList_->Clear();
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(g_CrLf, start);
        if (end == std::string::npos) end = text.size();
        const std::string line = Trim(text.substr(start, end - start));
        if (line == "END") break;
        if (!line.empty()) pageList_->AddItem(line);
        start = end + g_CrLf.size();
    }
}

void SCHSNET::F_PgNam_Click(int index)
{
    const std::string wanted = Trim(GetMsgText("Page: ", "991012") + Trim(pageLabels_[index]->Caption()));
    for (int i = 0; i < pageList_->ListCount(); ++i) {
        if (Trim(pageList_->List(i)) != wanted) continue;
        pageList_->SetListIndex(-1);
        pageList_->SetTopIndex(i);
        pageList_->SetListIndex(i);
        return;
    }
}

void SCHSNET::F_PageList_Click()
{
    g_NetViewJumpPage = 0;
    if (pageList_->ListIndex() < 0) return;
    const std::string line = Trim(pageList_->Text());
    const size_t at = line.find("sch:");
    if (at == std::string::npos) return;
    std::string reference = line.substr(std::min(at + 5, line.size()));
    reference = Trim(reference.substr(0, reference.find(')')));
    JumpToSchPin(reference);
}

void SCHSNET::JumpToSchPin(const std::string& reference)
{
    CheckedArray<std::string> fields;
    CheckedArray<double> values;
    SplitFieldsTo(reference, values, fields);
    if (values(0) != 2) return;
    int32_t status = 0;
    int32_t comp = 0;
    FindCompByName(status, 0, comp, Trim(fields(1)));
    CompRec rec{};
    if (status != 0 || C_ReadComponent(comp, &rec) == 0) return;
    EntryRec entry{};
    const int32_t number = FindEntryByName(1, comp, fields(2), entry);
    int32_t k = 0;
    for (int32_t i = 1; i <= g_NetViewPages.UBound(); ++i)
        if (g_NetViewPages(i).Page == rec.Page) k = i;
    if (number > 0) {
        if (k != 0) {
            SetPageCentre(k, entry.X, entry.Y);
            if (k >= m_First && k <= m_Last)
                panes_[static_cast<size_t>(k - m_First)]->Refresh();
            else
                pageName_->SetListIndex(g_NetViewLineCount > 1 ? k : 0);
        }
        g_NetViewJumpX = entry.X;
        g_NetViewJumpY = -entry.Y;
    } else {
        // Without the pin the jump goes to the component itself.
        g_NetViewJumpX = rec.X;
        g_NetViewJumpY = -rec.Y;
    }
    g_NetViewJumpPage = rec.Page;
}

void SCHSNET::F_Close_Click()
{
    if (g_NetViewJumpPage == 0 || pan_->Value() == 0) g_NetViewJumpX = kNoNetViewJump;
    Hide();
}

void SCHSNET::Form_Unload(int& /*cancel*/)
{
    while (m_PaneDCLevel > 0) ClosePaneDC();
    DB_SetCurPage(m_EditorPage);
}

void SCHSNET::F_Redraw_Click()
{
    ApplyPaneZoom();
}

void SCHSNET::Form_KeyDown(int& KeyCode, int& Shift)
{
    if (m_KeyBusy) return;
    m_KeyBusy = true;
    // Only the zoom keys are taken from the controls, so that the zoom box
    // still takes typing.
    if (Shift == winsys::shiftmask::Shift) {
        const int mode = KeyCode == 'U' ? 0 : KeyCode == 'D' ? 1 : KeyCode == 'V' ? -1 : 2;
        if (mode != 2) {
            KeyCode = 0;
            StepPaneZoom(mode);
        }
    }
    m_KeyBusy = false;
}

void SCHSNET::Form_KeyUp(int& KeyCode, int& Shift)
{
    if (KeyCode == winsys::vk::F1 && Shift == winsys::shiftmask::Ctrl) ShowFormHelp();
}

void SCHSNET::Form_Resize()
{
    QWidget* window = Window();
    if (!window || !paneArea_) return;
    if (minWidth_ > 0 && (window->width() < minWidth_ || window->height() < minHeight_))
        window->resize(std::max(window->width(), minWidth_), std::max(window->height(), minHeight_));
    const int width = window->width();
    const int height = window->height();
    side_->setGeometry(width - kSideWidth, 0, kSideWidth, height);
    paneArea_->setGeometry(0, 0, std::max(width - kSideWidth, 1), height);
    if (m_Loading) return;
    if (m_Resized && m_PanesInUse > 0) {
        ShowPageGroup(m_First, m_Last);
        RefreshPanes();
    }
    m_Resized = true;
}
