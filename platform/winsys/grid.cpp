#include "platform/winsys/grid.h"

#include "platform/winsys/keyboard.h"
#include "platform/winsys/latin1.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>

#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>

namespace winsys {
namespace {

constexpr int InvalidPropertyValue = 380;

EventRunner& Runner()
{
    static EventRunner runner;
    return runner;
}

ErrorRaiser& Raiser()
{
    static ErrorRaiser raiser;
    return raiser;
}

Qt::Alignment AlignmentOf(int code)
{
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (code >= 3 && code <= 5) horizontal = Qt::AlignHCenter;
    if (code >= 6 && code <= 8) horizontal = Qt::AlignRight;
    Qt::Alignment vertical = Qt::AlignVCenter;
    if (code >= 0 && code <= 8) {
        const int v = code % 3;
        vertical = v == 0 ? Qt::AlignTop : v == 1 ? Qt::AlignVCenter : Qt::AlignBottom;
    }
    return horizontal | vertical;
}

}  // namespace

void SetControlHooks(EventRunner runner, ErrorRaiser raiser)
{
    Runner() = std::move(runner);
    Raiser() = std::move(raiser);
}

void RunControlEvent(const std::function<void()>& procedure)
{
    if (Runner()) {
        Runner()(procedure);
        return;
    }
    try {
        procedure();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "winsys: event procedure failed: %s\n", e.what());
    }
}

void RaiseControlError(int number)
{
    if (Raiser()) Raiser()(number);
    throw std::out_of_range("control property error " + std::to_string(number));
}

NorvoGrid::NorvoGrid(int fixedRows, int fixedCols, QWidget* parent)
    : QTableWidget(parent), fixedRows_(fixedRows), fixedCols_(fixedCols)
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
}

void NorvoGrid::CheckRow(int row) const
{
    if (row < 0 || row >= rowCount()) RaiseControlError(InvalidPropertyValue);
}

void NorvoGrid::CheckCol(int col) const
{
    if (col < 0 || col >= columnCount()) RaiseControlError(InvalidPropertyValue);
}

void NorvoGrid::SetRows(int rows)
{
    if (rows < 0) RaiseControlError(InvalidPropertyValue);
    const int old = rowCount();
    setRowCount(rows);
    for (int r = old; r < rows; ++r)
        for (int c = 0; c < columnCount(); ++c)
            if (QTableWidgetItem* cell = item(r, c)) StyleCell(r, c, cell);
    if (row_ >= rows) row_ = rows > 0 ? rows - 1 : 0;
}

void NorvoGrid::SetCols(int cols)
{
    if (cols < 0) RaiseControlError(InvalidPropertyValue);
    setColumnCount(cols);
    colAlign_.resize(static_cast<size_t>(cols), 0);
    fixedAlign_.resize(static_cast<size_t>(cols), 0);
    if (col_ >= cols) col_ = cols > 0 ? cols - 1 : 0;
}

void NorvoGrid::MoveCurrent(int row, int col)
{
    row_ = row;
    col_ = col;
    const QSignalBlocker block(this);
    setCurrentCell(row, col);
}

void NorvoGrid::SetRow(int row)
{
    CheckRow(row);
    MoveCurrent(row, col_ < columnCount() ? col_ : 0);
}

void NorvoGrid::SetCol(int col)
{
    CheckCol(col);
    MoveCurrent(row_ < rowCount() ? row_ : 0, col);
}

std::string NorvoGrid::Text() const
{
    return TextMatrix(row_, col_);
}

void NorvoGrid::SetText(const std::string& text)
{
    SetTextMatrix(row_, col_, text);
}

std::string NorvoGrid::TextMatrix(int row, int col) const
{
    CheckRow(row);
    CheckCol(col);
    const QTableWidgetItem* cell = item(row, col);
    return cell ? FromQ(cell->text()) : std::string();
}

void NorvoGrid::SetTextMatrix(int row, int col, const std::string& text)
{
    CheckRow(row);
    CheckCol(col);
    QTableWidgetItem* cell = item(row, col);
    if (!cell) {
        cell = new QTableWidgetItem;
        StyleCell(row, col, cell);
        setItem(row, col, cell);
    }
    cell->setText(ToQ(text));
}

void NorvoGrid::StyleCell(int row, int col, QTableWidgetItem* cell) const
{
    const bool fixed = row < fixedRows_ || col < fixedCols_;
    cell->setFlags(fixed ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (fixed) cell->setBackground(palette().button());
    const auto& aligns = row < fixedRows_ ? fixedAlign_ : colAlign_;
    if (col < static_cast<int>(aligns.size())) cell->setTextAlignment(AlignmentOf(aligns[static_cast<size_t>(col)]));
}

void NorvoGrid::RestyleAll()
{
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c)
            if (QTableWidgetItem* cell = item(r, c)) StyleCell(r, c, cell);
}

int NorvoGrid::ColWidth(int col) const
{
    CheckCol(col);
    return columnWidth(col) * TwipsPerPixel;
}

void NorvoGrid::SetColWidth(int col, int twips)
{
    CheckCol(col);
    if (twips < 0) RaiseControlError(InvalidPropertyValue);
    setColumnWidth(col, twips / TwipsPerPixel);
}

int NorvoGrid::RowHeight(int row) const
{
    CheckRow(row);
    return rowHeight(row) * TwipsPerPixel;
}

void NorvoGrid::SetColAlignment(int col, int alignment)
{
    CheckCol(col);
    colAlign_[static_cast<size_t>(col)] = alignment;
    RestyleAll();
}

void NorvoGrid::SetFixedAlignment(int col, int alignment)
{
    CheckCol(col);
    fixedAlign_[static_cast<size_t>(col)] = alignment;
    RestyleAll();
}

int NorvoGrid::TopRow() const
{
    const int top = rowAt(0);
    return top < 0 ? 0 : top;
}

void NorvoGrid::SetTopRow(int row)
{
    CheckRow(row);
    QTableWidgetItem* cell = item(row, 0);
    if (!cell) {
        SetTextMatrix(row, 0, "");
        cell = item(row, 0);
    }
    scrollToItem(cell, QAbstractItemView::PositionAtTop);
}

void NorvoGrid::SetLeft(int twips)
{
    move(twips / TwipsPerPixel, y());
}

void NorvoGrid::SetWidth(int twips)
{
    resize(twips / TwipsPerPixel, height());
}

void NorvoGrid::SetHeight(int twips)
{
    resize(width(), twips / TwipsPerPixel);
}

void NorvoGrid::mousePressEvent(QMouseEvent* event)
{
    if (!allowInput_) return;
    const QModelIndex index = indexAt(event->position().toPoint());
    QTableWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !index.isValid()) return;
    const int oldRow = row_, oldCol = col_;
    MoveCurrent(index.row(), index.column());
    RaiseEnterCellFrom(oldRow, oldCol);
    RunControlEvent([this] { Click.Raise(); });
}

void NorvoGrid::keyPressEvent(QKeyEvent* event)
{
    if (!allowInput_) return;
    const int key = VirtualKey(event->key(), event->modifiers());
    const int shift = ShiftState(event->modifiers());
    RunControlEvent([&] { KeyDown.Raise(key, shift); });
    const int typed = KeyAscii(*event);
    if (typed != 0) {
        int keyAscii = typed;
        RunControlEvent([&] { KeyPress.Raise(keyAscii); });
        if (keyAscii == 0 || typed == 13) return;
    }
    // Arrow keys and the like move the current cell.
    const int oldRow = row_, oldCol = col_;
    QTableWidget::keyPressEvent(event);
    const QModelIndex now = currentIndex();
    if (now.isValid()) {
        row_ = now.row();
        col_ = now.column();
    }
    RaiseEnterCellFrom(oldRow, oldCol);
}

void NorvoGrid::RaiseEnterCellFrom(int row, int col)
{
    if (!EnterCell.HasHandlers()) return;
    if ((row_ == row && col_ == col) || row_ < fixedRows_ || col_ < fixedCols_) return;
    RunControlEvent([this] { EnterCell.Raise(); });
}

}  // namespace winsys
