// The grid control's members and events as the dialogs use them.
#include "platform/winsys/grid.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct PropertyError {
    int number;
};

class GridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        winsys::SetControlHooks(
            [this](const std::function<void()>& procedure) {
                ++eventsRun;
                procedure();
            },
            [](int number) { throw PropertyError{number}; });
        grid.SetCols(2);
        grid.SetRows(4);
        grid.resize(300, 200);
        grid.show();
    }
    void TearDown() override { winsys::SetControlHooks(nullptr, nullptr); }

    QPoint CellCentre(int row, int col)
    {
        return grid.visualRect(grid.model()->index(row, col)).center();
    }

    int eventsRun = 0;
    winsys::NorvoGrid grid;
};

TEST_F(GridTest, TextReadsWhatWasWrittenAndUnwrittenCellsAreEmpty)
{
    grid.SetRow(2);
    grid.SetCol(1);
    grid.SetText("0.2540");
    grid.SetTextMatrix(3, 0, "LWidth");
    EXPECT_EQ(grid.Text(), "0.2540");
    EXPECT_EQ(grid.TextMatrix(2, 1), "0.2540");
    grid.SetRow(3);
    grid.SetCol(0);
    EXPECT_EQ(grid.Text(), "LWidth");
    grid.SetCol(1);
    EXPECT_EQ(grid.Text(), "");
    // Latin-1 text passes unchanged.
    grid.SetText("\xb5m");
    EXPECT_EQ(grid.Text(), "\xb5m");
}

TEST_F(GridTest, AppendingARowKeepsTheCells)
{
    grid.SetTextMatrix(3, 1, "last");
    grid.SetRows(grid.Row() + 5);
    EXPECT_EQ(grid.Rows(), 5);
    EXPECT_EQ(grid.TextMatrix(3, 1), "last");
    EXPECT_EQ(grid.TextMatrix(4, 1), "");
}

TEST_F(GridTest, IndexesOutsideTheGridRaiseError380)
{
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"Row -1", [&] { grid.SetRow(-1); }},
        {"Row = Rows", [&] { grid.SetRow(4); }},
        {"Col = Cols", [&] { grid.SetCol(2); }},
        {"TextMatrix row", [&] { grid.SetTextMatrix(4, 0, "x"); }},
        {"TextMatrix col", [&] { (void)grid.TextMatrix(0, -1); }},
        {"ColWidth", [&] { (void)grid.ColWidth(2); }},
        {"RowHeight", [&] { (void)grid.RowHeight(4); }},
        {"ColAlignment", [&] { grid.SetColAlignment(5, 0); }},
        {"TopRow", [&] { grid.SetTopRow(9); }},
        {"Rows negative", [&] { grid.SetRows(-1); }},
    };
    for (const auto& [what, call] : cases) {
        try {
            call();
            ADD_FAILURE() << what << " raised nothing";
        } catch (const PropertyError& e) {
            EXPECT_EQ(e.number, 380) << what;
        }
    }
    EXPECT_EQ(grid.Row(), 0);
}

TEST_F(GridTest, SizesAreInTwips)
{
    grid.SetColWidth(0, 1000);
    grid.SetColWidth(1, 1800);
    EXPECT_EQ(grid.ColWidth(0), 990);  // whole pixels of 15 twips
    EXPECT_EQ(grid.ColWidth(1), 1800);
    EXPECT_EQ(grid.RowHeight(1), grid.rowHeight(1) * 15);
    grid.SetHeight(grid.RowHeight(1) * grid.Rows() + 60);
    EXPECT_EQ(grid.height(), (grid.RowHeight(1) * 4 + 60) / 15);
    grid.SetLeft(150);
    EXPECT_EQ(grid.Left(), 150);
    grid.SetWidth(2865);
    EXPECT_EQ(grid.Width(), 2865);
}

TEST_F(GridTest, SettingRowOrColRaisesNoClick)
{
    int clicks = 0;
    grid.Click.Connect([&] { ++clicks; });
    grid.SetRow(3);
    grid.SetCol(1);
    grid.PostFillA(0);
    grid.PostFillB(0);
    grid.SetAfterSizing(0);
    EXPECT_EQ(clicks, 0);
}

TEST_F(GridTest, ClickComesAfterTheClickedCellIsCurrent)
{
    int row = -1, col = -1;
    grid.Click.Connect([&] {
        row = grid.Row();
        col = grid.Col();
    });
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCentre(2, 1));
    EXPECT_EQ(row, 2);
    EXPECT_EQ(col, 1);
    EXPECT_EQ(eventsRun, 1);
}

TEST_F(GridTest, KeysRaiseKeyDownThenKeyPress)
{
    std::vector<std::string> seen;
    grid.KeyDown.Connect([&](int key, int shift) { seen.push_back("down " + std::to_string(key) + "," + std::to_string(shift)); });
    grid.KeyPress.Connect([&](int& ascii) { seen.push_back("press " + std::to_string(ascii)); });
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Return);
    QTest::keyClick(&grid, Qt::Key_F1, Qt::ControlModifier);
    const std::vector<std::string> expected = {"down 13,0", "press 13", "down 17,2", "down 112,2"};
    EXPECT_EQ(seen, expected);
}

TEST_F(GridTest, KeyDownMayMoveTheCurrentColumn)
{
    grid.KeyDown.Connect([&](int, int) { grid.SetCol(0); });
    grid.SetRow(1);
    grid.SetCol(1);
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(grid.Col(), 0);
}

TEST_F(GridTest, NoInputWhileAllowInputIsOff)
{
    int clicks = 0;
    grid.Click.Connect([&] { ++clicks; });
    grid.SetAllowInput(false);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCentre(1, 1));
    EXPECT_EQ(clicks, 0);
    grid.SetAllowInput(true);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCentre(1, 1));
    EXPECT_EQ(clicks, 1);
}

TEST_F(GridTest, CellsCannotBeEditedInPlace)
{
    grid.SetTextMatrix(1, 1, "abc");
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, CellCentre(1, 1));
    QTest::keyClicks(&grid, "zz");
    EXPECT_EQ(grid.TextMatrix(1, 1), "abc");
    EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST(GridFixed, FixedRowsAndColumnsAreNotSelectable)
{
    winsys::NorvoGrid grid(1, 1);
    grid.SetCols(3);
    grid.SetRows(3);
    grid.SetTextMatrix(0, 1, "Name");
    grid.SetTextMatrix(1, 0, "1");
    grid.SetTextMatrix(1, 1, "cell");
    grid.SetFixedAlignment(1, 4);
    grid.SetColAlignment(1, 7);
    EXPECT_FALSE(grid.item(0, 1)->flags() & Qt::ItemIsSelectable);
    EXPECT_FALSE(grid.item(1, 0)->flags() & Qt::ItemIsSelectable);
    EXPECT_TRUE(grid.item(1, 1)->flags() & Qt::ItemIsSelectable);
    EXPECT_EQ(grid.item(0, 1)->textAlignment(), int(Qt::AlignHCenter | Qt::AlignVCenter));
    EXPECT_EQ(grid.item(1, 1)->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter));
}

TEST(GridEnterCell, RaisedWhenTheUserMovesToAnotherCellOnly)
{
    winsys::NorvoGrid grid(1, 1);
    grid.SetCols(3);
    grid.SetRows(4);
    grid.resize(300, 200);
    grid.show();
    std::vector<std::pair<int, int>> entered;
    grid.EnterCell.Connect([&] { entered.emplace_back(grid.Row(), grid.Col()); });
    auto centre = [&](int row, int col) { return grid.visualRect(grid.model()->index(row, col)).center(); };
    // Moves from code raise nothing.
    grid.SetRow(1);
    grid.SetCol(1);
    EXPECT_TRUE(entered.empty());
    // A click on the current cell, or on a fixed cell, enters nothing.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, centre(1, 1));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, centre(0, 2));
    EXPECT_TRUE(entered.empty());
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, centre(2, 2));
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Down);
    const std::vector<std::pair<int, int>> expected = {{2, 2}, {3, 2}};
    EXPECT_EQ(entered, expected);
}

TEST(GridHooks, WithoutHooksAnOutsideIndexThrowsOutOfRange)
{
    winsys::SetControlHooks(nullptr, nullptr);
    winsys::NorvoGrid grid;
    EXPECT_THROW(grid.SetRow(0), std::out_of_range);
}

}  // namespace
