// The name-prefix dialogs PLCOPREF and PLCGPREF are twins: a grid of one
// row per preferred orientation or pattern and 32 prefix slots, an edit
// box for one cell, Accept and Cancel. PrefixGridForm holds what they share;
// each dialog gives its table, titles, state variables and control names.
//
// The dialog is browsing (grid, Accept and Cancel on, edit box off) or
// editing one cell (entered by moving to a cell, left by Enter in the edit
// box). Enter refuses a prefix that another cell of the same table holds
// (placement message 1, naming that row) and, with a beep, one longer than
// the 255 bytes a stored prefix may have. Accept copies the whole grid into
// the table; Cancel, the close box and switching to another window of the
// editor drop the grid's edits.
#pragma once

#include "editor/shell/forms.h"

#include <cstdint>
#include <string>
#include <vector>

class CommandButton;
class TextBox;
namespace winsys {
class NorvoGrid;
}

// The longest prefix a grid symbol's text item can hold.
constexpr size_t kMaxPrefixBytes = 255;

class PrefixGridForm : public Form {
public:
    struct Title {
        const char* id;  // message id; empty: the text is not localised
        const char* text;
    };
    struct Layout {
        const char* windowText;
        const char* windowTextId;
        std::vector<Title> rowTitles;  // grid rows 1..n
        std::vector<Title> rowNames;   // the rows' names in the duplicate message
        const char* widestTitle;       // column 0 is as wide as this text
        bool finalLayout;              // the set-up ends with the final layout call
        bool clearEditOnLoad;          // Form_Load clears the edit box first
        bool editInFrame;              // the edit box's caption is a frame holding it
        const char* gridName;
        const char* editName;
        const char* captionName;
        const char* acceptName;
        const char* cancelName;
        int32_t* reload;  // -1: refill the grid at the next activation
        int32_t* row;     // the cell being edited
        int32_t* col;
    };

    winsys::NorvoGrid* Grid();
    TextBox* EditBox();
    QWidget* EditCaption();
    CommandButton* AcceptButton();
    CommandButton* CancelButton();

    void Form_Activate() override;
    // The dialog lost the activation to another window of the editor.
    void Form_Deactivate();
    void Grid_EnterCell();
    void Text_GotFocus();
    void Text_KeyPress(int& KeyAscii);
    void Accept_Click();
    void Cancel_Click();
    void SetupGrid();
    void FillGrid();

    int Rows() const { return static_cast<int>(layout_.rowTitles.size()); }

protected:
    PrefixGridForm(std::string name, Layout layout);

    // Slot `col` (1..32) of row `row` (1..Rows()) of the dialog's table.
    virtual std::string& Entry(int row, int col) = 0;

    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Load() override;
    void Form_KeyUp(int& KeyCode, int& Shift) override;

private:
    void SetEditing(bool on);

    Layout layout_;
    winsys::NorvoGrid* grid_ = nullptr;
    TextBox* text_ = nullptr;
    QWidget* caption_ = nullptr;
    CommandButton* accept_ = nullptr;
    CommandButton* cancel_ = nullptr;
    // Set while the dialog's own procedure shows a message: that window
    // takes the activation without dropping the grid's edits.
    bool reporting_ = false;
};
