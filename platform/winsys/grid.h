// NorvoGrid: the text grid control of the dialogs, over QTableWidget.
//
// Rows and columns count from 0 and every cell holds a string; a cell never
// written reads "". Sizes and positions are in twips, 15 to a pixel. The
// fixed (header) rows and columns are settings of each grid, given when it
// is made. The user cannot edit a cell in place: a dialog shows its own
// editor beside or over the grid.
//
// Setting Row or Col from code raises nothing; a user's click makes the
// clicked cell current and then raises Click. When a user's click or key
// moves the current cell to another cell outside the fixed rows and
// columns, EnterCell is raised (before Click) once the move is done. Keys raise KeyDown (virtual
// key code, shift state) and, for a key that types a character, KeyPress
// (character code by reference; 0 drops the key). Events of the user's
// actions run through the event runner that the editor installs (its
// RunEventProcedure). A row or column index outside the grid raises the
// property error 380 through the error raiser the editor installs (its
// RaiseError).
#pragma once

#include "editor/shell/event.h"

#include <QTableWidget>

#include <functional>
#include <string>
#include <vector>

namespace winsys {

constexpr int TwipsPerPixel = 15;

// How a control runs an event procedure for a user's action, and how it
// raises a runtime error. Both default to plain behaviour (run the
// procedure, report to standard error what escapes it; throw
// std::out_of_range) until the editor installs its own.
using EventRunner = std::function<void(const std::function<void()>&)>;
using ErrorRaiser = std::function<void(int number)>;
void SetControlHooks(EventRunner runner, ErrorRaiser raiser);
void RunControlEvent(const std::function<void()>& procedure);
[[noreturn]] void RaiseControlError(int number);

class NorvoGrid : public QTableWidget {
public:
    explicit NorvoGrid(int fixedRows = 0, int fixedCols = 0, QWidget* parent = nullptr);

    int Rows() const { return rowCount(); }
    void SetRows(int rows);
    int Cols() const { return columnCount(); }
    void SetCols(int cols);

    int Row() const { return row_; }
    void SetRow(int row);
    int Col() const { return col_; }
    void SetCol(int col);

    std::string Text() const;
    void SetText(const std::string& text);
    std::string TextMatrix(int row, int col) const;
    void SetTextMatrix(int row, int col, const std::string& text);

    int ColWidth(int col) const;
    void SetColWidth(int col, int twips);
    int RowHeight(int row) const;

    // 0..2 left, 3..5 centred, 6..8 right; each triple top, middle, bottom.
    void SetColAlignment(int col, int alignment);
    void SetFixedAlignment(int col, int alignment);

    int TopRow() const;
    void SetTopRow(int row);

    bool AllowInput() const { return allowInput_; }
    void SetAllowInput(bool allow) { allowInput_ = allow; }

    // Called after a grid is (re)filled; nothing further is needed of them.
    void PostFillA(int) {}
    void PostFillB(int) {}
    void SetAfterSizing(int) {}

    int Left() const { return x() * TwipsPerPixel; }
    void SetLeft(int twips);
    int Width() const { return width() * TwipsPerPixel; }
    void SetWidth(int twips);
    int Height() const { return height() * TwipsPerPixel; }
    void SetHeight(int twips);

    int FixedRows() const { return fixedRows_; }
    int FixedCols() const { return fixedCols_; }

    Event<> Click;
    Event<> EnterCell;
    Event<int, int> KeyDown;
    Event<int&> KeyPress;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CheckRow(int row) const;
    void CheckCol(int col) const;
    void StyleCell(int row, int col, QTableWidgetItem* item) const;
    void RestyleAll();
    void MoveCurrent(int row, int col);
    // Raises EnterCell when the current cell is no longer (row, col) and
    // lies outside the fixed rows and columns.
    void RaiseEnterCellFrom(int row, int col);

    int fixedRows_;
    int fixedCols_;
    int row_ = 0;
    int col_ = 0;
    bool allowInput_ = true;
    std::vector<int> colAlign_;
    std::vector<int> fixedAlign_;
};

}  // namespace winsys
