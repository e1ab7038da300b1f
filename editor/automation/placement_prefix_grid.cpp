#include "editor/automation/placement_prefix_grid.h"

#include "editor/automation/placement_messages.h"
#include "editor/shell/controls.h"
#include "editor/shell/help.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/grid.h"
#include "platform/winsys/interaction.h"
#include "platform/winsys/keyboard.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QScrollBar>
#include <QHBoxLayout>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kSlots = 32;
constexpr int kCellPadding = 8;  // pixels around a column's measured text

// Runs `onDeactivate` when the window hands the activation to another window
// of the editor. Whether it did is known only once the other window is
// active, so the check runs from the event loop; losing the activation to
// another program, or to a message `busy` says the dialog itself is
// showing, is no deactivation.
class DeactivationWatcher : public QObject {
public:
    DeactivationWatcher(QWidget* window, std::function<bool()> busy, std::function<void()> onDeactivate)
        : QObject(window), window_(window), busy_(std::move(busy)), onDeactivate_(std::move(onDeactivate))
    {
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window_ && event->type() == QEvent::WindowDeactivate && !busy_()) {
            QPointer<QWidget> window = window_;
            QTimer::singleShot(0, window_, [this, window] {
                QWidget* active = QApplication::activeWindow();
                if (!window || !active || active == window || window->isAncestorOf(active) || busy_()) return;
                RunEventProcedure(onDeactivate_);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* window_;
    std::function<bool()> busy_;
    std::function<void()> onDeactivate_;
};

// Keeps the grid's view where it is while a loop moves the current cell
// over every cell by program.
class KeepGridView {
public:
    explicit KeepGridView(winsys::NorvoGrid* grid)
        : grid_(grid), autoScroll_(grid->hasAutoScroll()), x_(grid->horizontalScrollBar()->value()),
          y_(grid->verticalScrollBar()->value())
    {
        grid_->setAutoScroll(false);
    }
    ~KeepGridView()
    {
        grid_->setAutoScroll(autoScroll_);
        grid_->horizontalScrollBar()->setValue(x_);
        grid_->verticalScrollBar()->setValue(y_);
    }
    KeepGridView(const KeepGridView&) = delete;
    KeepGridView& operator=(const KeepGridView&) = delete;

private:
    winsys::NorvoGrid* grid_;
    bool autoScroll_;
    int x_, y_;
};

std::string TitleText(const PrefixGridForm::Title& title)
{
    return *title.id ? GetMsgText(title.text, title.id) : std::string(title.text);
}

}  // namespace

PrefixGridForm::PrefixGridForm(std::string name, Layout layout) : Form(std::move(name)), layout_(std::move(layout)) {}

std::unique_ptr<QWidget> PrefixGridForm::CreateWindow()
{
    auto window = std::make_unique<QDialog>();
    window->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    window->setWindowTitle(layout_.windowText);
    auto* layout = new QVBoxLayout(window.get());
    grid_ = new winsys::NorvoGrid(1, 1, window.get());
    grid_->SetCols(kSlots + 1);
    grid_->SetRows(Rows() + 1);
    layout->addWidget(grid_);

    auto* bottom = new QHBoxLayout;
    if (layout_.editInFrame) {
        auto* frame = new QGroupBox("New prefix", window.get());
        text_ = new TextBox(frame);
        (new QVBoxLayout(frame))->addWidget(text_);
        caption_ = frame;
        bottom->addWidget(frame, 1);
    } else {
        auto* label = new Label("New prefix", window.get());
        text_ = new TextBox(window.get());
        caption_ = label;
        bottom->addWidget(label);
        bottom->addWidget(text_, 1);
    }
    bottom->addSpacing(24);
    accept_ = new CommandButton("Accept", window.get());
    cancel_ = new CommandButton("Cancel", window.get());
    bottom->addWidget(accept_);
    bottom->addWidget(cancel_);
    layout->addLayout(bottom);

    SetControlTag(window.get(), layout_.windowTextId);
    SetControlTag(caption_, "13143");
    SetControlTag(accept_, "99177");
    SetControlTag(cancel_, "99388");
    AddControl(grid_, layout_.gridName);
    AddControl(text_, layout_.editName);
    AddControl(caption_, layout_.captionName);
    AddControl(accept_, layout_.acceptName);
    AddControl(cancel_, layout_.cancelName);

    grid_->EnterCell.Connect([this] { Grid_EnterCell(); });
    text_->KeyPress.Connect([this](int& key) { Text_KeyPress(key); });
    text_->GotFocus.Connect([this] { Text_GotFocus(); });
    window->installEventFilter(new DeactivationWatcher(
        window.get(), [this] { return reporting_; }, [this] { Form_Deactivate(); }));
    accept_->Click.Connect([this] { Accept_Click(); });
    cancel_->Click.Connect([this] { Cancel_Click(); });
    return window;
}

void PrefixGridForm::ForgetControls()
{
    grid_ = nullptr;
    text_ = nullptr;
    caption_ = nullptr;
    accept_ = cancel_ = nullptr;
}

winsys::NorvoGrid* PrefixGridForm::Grid()
{
    EnsureLoaded();
    return grid_;
}
TextBox* PrefixGridForm::EditBox()
{
    EnsureLoaded();
    return text_;
}
QWidget* PrefixGridForm::EditCaption()
{
    EnsureLoaded();
    return caption_;
}
CommandButton* PrefixGridForm::AcceptButton()
{
    EnsureLoaded();
    return accept_;
}
CommandButton* PrefixGridForm::CancelButton()
{
    EnsureLoaded();
    return cancel_;
}

void PrefixGridForm::Form_Load()
{
    LocalizeForm(*this);
    if (layout_.clearEditOnLoad) text_->SetText("");
    SetupGrid();
    *layout_.reload = -1;
    FillGrid();
    *layout_.reload = 0;
    SetEditing(false);
    // The grid shows all its rows and a good part of the slots.
    const int rowsHeight = grid_->rowHeight(0) * grid_->Rows() + 2 * grid_->frameWidth();
    const int scrollBar = grid_->horizontalScrollBar()->sizeHint().height();
    grid_->setMinimumHeight(rowsHeight + scrollBar);
    grid_->setMaximumHeight(rowsHeight + scrollBar);
    grid_->setMinimumWidth(grid_->columnWidth(0) + 7 * grid_->columnWidth(1));
}

void PrefixGridForm::SetupGrid()
{
    const KeepGridView view(grid_);
    const QFontMetrics metrics(grid_->font());
    auto twips = [&](const char* text) {
        return (metrics.horizontalAdvance(QString::fromLatin1(text)) + kCellPadding) * winsys::TwipsPerPixel;
    };
    grid_->verticalHeader()->setDefaultSectionSize(metrics.height() + kCellPadding);
    grid_->SetColWidth(0, twips(layout_.widestTitle));
    for (int c = 1; c <= kSlots; ++c) grid_->SetColWidth(c, twips("BBBBBBBB"));
    for (int c = 0; c <= kSlots; ++c) grid_->SetColAlignment(c, 2);
    for (int r = 1; r <= Rows(); ++r) {
        grid_->SetRow(r);
        grid_->SetCol(0);
        grid_->SetText(TitleText(layout_.rowTitles[static_cast<size_t>(r - 1)]));
    }
    for (int c = 1; c <= kSlots; ++c) {
        grid_->SetRow(0);
        grid_->SetCol(c);
        grid_->SetText(" " + std::to_string(c));
    }
    if (layout_.finalLayout) grid_->SetFixedAlignment(0, 4);
}

void PrefixGridForm::FillGrid()
{
    if (*layout_.reload != -1) return;
    const KeepGridView view(grid_);
    for (int r = 1; r <= Rows(); ++r)
        for (int c = 1; c <= kSlots; ++c) {
            grid_->SetRow(r);
            grid_->SetCol(c);
            grid_->SetText(DisplayText(Entry(r, c)));
        }
    *layout_.reload = 0;
}

void PrefixGridForm::Form_Activate()
{
    if (*layout_.reload == -1) {
        FillGrid();
        *layout_.reload = 0;
    }
}

void PrefixGridForm::Form_Deactivate()
{
    *layout_.reload = -1;
}

void PrefixGridForm::SetEditing(bool on)
{
    text_->setEnabled(on);
    caption_->setEnabled(on);
    grid_->SetAllowInput(!on);
    accept_->setEnabled(!on);
    cancel_->setEnabled(!on);
}

void PrefixGridForm::Grid_EnterCell()
{
    SetEditing(true);
    *layout_.row = grid_->Row();
    *layout_.col = grid_->Col();
    // The edit box takes the focus, which gives it the cell's text.
    text_->setFocus();
}

void PrefixGridForm::Text_GotFocus()
{
    text_->SetText(grid_->Text());
}

void PrefixGridForm::Text_KeyPress(int& KeyAscii)
{
    if (KeyAscii != 13) return;
    KeyAscii = 0;
    const std::string text = text_->Text();
    // A grid symbol's text item holds at most 255 bytes: a longer prefix
    // could never be stored, so it is refused here and the edit goes on.
    if (text.size() > kMaxPrefixBytes) {
        winsys::Ui().Beep();
        return;
    }
    bool ok = true;
    const int editRow = *layout_.row, editCol = *layout_.col;
    if (!text.empty()) {
        const KeepGridView view(grid_);
        RestoreOnExit<bool> reporting(reporting_, true);
        for (int r = 1; r <= Rows(); ++r)
            for (int c = 1; c <= kSlots; ++c) {
                if (r == editRow && c == editCol) continue;
                grid_->SetRow(r);
                grid_->SetCol(c);
                if (grid_->Text() == text) {
                    ReportPlacementError(1, TitleText(layout_.rowNames[static_cast<size_t>(r - 1)]));
                    ok = false;
                }
            }
    }
    grid_->SetRow(editRow);
    grid_->SetCol(editCol);
    SetEditing(false);
    if (ok) {
        grid_->SetText(text);
        grid_->viewport()->update();
    }
    grid_->setFocus();
}

void PrefixGridForm::Accept_Click()
{
    for (int r = 1; r <= Rows(); ++r)
        for (int c = 1; c <= kSlots; ++c) {
            grid_->SetRow(r);
            grid_->SetCol(c);
            Entry(r, c) = EnteredText(grid_->Text());
        }
    *layout_.reload = -1;
    Hide();
}

void PrefixGridForm::Cancel_Click()
{
    *layout_.reload = -1;
    Hide();
}

void PrefixGridForm::Form_KeyUp(int& KeyCode, int& Shift)
{
    if (KeyCode == winsys::vk::F1 && Shift == winsys::shiftmask::Ctrl) ShowFormHelp();
}
