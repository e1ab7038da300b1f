// Shared services: grid names of package pins, entries by name, the wait
// for a modeless dialog (also when it is closed some other way), the
// clearing of a picture box.
#include "editor/shell/forms.h"
#include "editor/shell/shared_services.h"
#include "editor/view/canvas.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/kernel_fixture.h"

#include <QDialog>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using SharedServices = palvane_test::KernelTest;

// A package whose pins stand on a grid of `columns` columns, 100 units
// apart, rows from the top, with `description` as its first text item
// (none when empty).
int32_t GridPackage(const char* name, int columns, int rows, const char* description)
{
    const int32_t symbol = S_CreateSymbol(0, name);
    EXPECT_NE(symbol, 0);
    int number = 0;
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            S_AddEntry(symbol, std::to_string(++number).c_str(), column * 100, -row * 100, 0, 1, 0, 0);
    if (*description) {
        const int32_t item = I_MakeText(0, 50, 0, 10, 10, description, 4, 0, 0);
        EXPECT_NE(OA_Add(S_SymbolItemArray(symbol), item), 0);
    }
    return symbol;
}

TEST_F(SharedServices, GridPinNames)
{
    // Pins 1..8 on 4 columns and 2 rows; pin 9 in a fifth column.
    const int32_t bga = GridPackage("BGA8", 4, 2, "GRID,4,A,B");
    S_AddEntry(bga, "9", 400, 0, 0, 1, 0, 0);
    const struct {
        int32_t entry;
        const char* name;
    } cases[] = {{1, "A1"}, {4, "A4"}, {5, "B1"}, {7, "B3"}, {9, "9"}, {12, "12"}};
    for (const auto& c : cases) EXPECT_EQ(GetGridPinName(0, bga, c.entry), c.name) << c.entry;

    const int32_t shortDesc = GridPackage("SHORT", 2, 2, "GRID,2");
    const int32_t noDesc = GridPackage("NODESC", 2, 2, "");
    EXPECT_EQ(GetGridPinName(0, shortDesc, 3), "3");
    EXPECT_EQ(GetGridPinName(0, noDesc, 3), "3");

    // One column: every pin in column 1.
    const int32_t column = GridPackage("SIP3", 1, 3, "GRID,1, X , Y ,Z");
    EXPECT_EQ(GetGridPinName(0, column, 1), "X1");
    EXPECT_EQ(GetGridPinName(0, column, 3), "Z1");

    // Kind 1: through a layout component placed anywhere.
    const int32_t placed = L_CreateComponent(0, "U1", 0, 0, bga, 0, 500000, -300000, 90000);
    ASSERT_NE(placed, 0);
    EXPECT_EQ(GetGridPinName(1, placed, 7), "B3");
}

TEST_F(SharedServices, FindEntryByName)
{
    const int32_t symbol = S_CreateSymbol(0, "GATE");
    S_AddEntry(symbol, "A1", 0, 0, 0, 0, 0, 0);
    S_AddEntry(symbol, " OUT ", 100, 0, 0, 0, 0, 0);
    EntryRec record{};
    EXPECT_EQ(FindEntryByName(0, symbol, " A1 ", record), 1);
    EXPECT_EQ(record.X, 0);
    EXPECT_EQ(FindEntryByName(0, symbol, "OUT", record), 2);
    EXPECT_EQ(record.X, 100);
    EXPECT_EQ(FindEntryByName(0, symbol, "a1", record), 0);
    EXPECT_EQ(FindEntryByName(0, symbol, "B1", record), 0);

    CheckedArray<double> numbers;
    CheckedArray<std::string> fields;
    SplitFieldsTo("GRID,4,A,", numbers, fields);
    EXPECT_EQ(numbers(0), 4);
    EXPECT_EQ(numbers(2), 4);
    EXPECT_EQ(fields(4), "");
}

class ModelessDialog : public Form {
public:
    ModelessDialog() : Form("MODELESS") {}

protected:
    std::unique_ptr<QWidget> CreateWindow() override { return std::make_unique<QDialog>(); }
};

TEST_F(SharedServices, WaitForFlagEndsWhenClearedOrWhenTheDialogCloses)
{
    bool flag = false;
    QTimer::singleShot(5, [&] {
        EXPECT_TRUE(flag);
        flag = false;
    });
    WaitForFlag(flag);
    EXPECT_FALSE(flag);

    // The dialog is closed with its window's close button: the wait ends
    // although nothing cleared the flag.
    ModelessDialog dialog;
    dialog.Show();
    QTimer::singleShot(5, [&] { dialog.Window()->close(); });
    WaitForFlag(flag, &dialog);
    EXPECT_FALSE(flag);
    EXPECT_FALSE(dialog.IsLoaded());

    // Hidden counts as closed too.
    dialog.Show();
    QTimer::singleShot(5, [&] { dialog.Hide(); });
    WaitForFlag(flag, &dialog);
    EXPECT_FALSE(flag);
    dialog.Unload();
}

TEST_F(SharedServices, ClearPictureBoxFillsWithTheBackColour)
{
    Canvas canvas;
    canvas.resize(40, 30);
    canvas.SetBackColor(QColor(200, 220, 240));
    const_cast<QImage&>(canvas.Image()).fill(Qt::black);
    ClearPictureBox(canvas);
    EXPECT_EQ(canvas.Image().pixelColor(0, 0), QColor(200, 220, 240));
    EXPECT_EQ(canvas.Image().pixelColor(canvas.Image().width() - 1, canvas.Image().height() - 1),
              QColor(200, 220, 240));
}

}  // namespace
