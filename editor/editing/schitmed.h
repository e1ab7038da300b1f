// SCHITMED, the item property editor: a small modeless window, kept on top,
// that shows the fields of the current notes item (g_SymbItem of g_CurSymb)
// as a two-column table and writes every accepted change to the item at
// once. It keeps the states it wrote: Undo steps back one change, Cancel
// returns to the state at opening.
#pragma once

#include "editor/shell/forms.h"
#include "platform/kernel/records.h"

#include <cstdint>
#include <string>
#include <vector>

class CommandButton;
class ListBox;
class TextBox;
namespace winsys {
class NorvoGrid;
}

// Set by the item mode before it shows the editor for a newly picked item;
// the next activation rebuilds the table and restarts the undo history.
extern int32_t g_ItemEditorFresh;

// One state of the edited item; text and string only for a text item.
struct ItemStateRec {
    ItemRec item{};
    ItemRec text{};
    std::string textString;
};

class SCHITMED : public Form {
public:
    SCHITMED();

    winsys::NorvoGrid* F_GD();
    TextBox* F_TXT();
    ListBox* F_Tsize();
    CommandButton* F_UNDO();
    CommandButton* F_Cncl();

    void Form_Activate() override;
    void F_GD_Click();
    void F_GD_KeyDown(int KeyCode, int Shift);
    void F_GD_KeyPress(int& KeyAscii);
    void F_TXT_GotFocus();
    void F_TXT_KeyPress(int& KeyAscii);
    void F_TXT_LostFocus();
    void F_Tsize_Click();
    void F_UNDO_Click();
    void F_Cncl_Click();

    void BuildItemGrid();
    void PrepareCellEditor();
    void CommitCellText(const std::string& text);
    int CheckCellValue(double& value);
    // Writes the edited fields to the item as one edit; false (with a beep,
    // the table showing the item as it is) when a step was refused.
    bool ApplyItemGrid();
    void PushItemState(bool reset);
    void RestoreItemState();

    std::vector<std::string> m_CellText;
    std::vector<ItemStateRec> m_UndoStates;
    int32_t m_EditRow = 0;
    int32_t m_EventsLive = 0;
    int32_t m_Dirty = 0;
    int32_t m_TextSizeIdx = 1;
    std::string m_NewText;

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void Form_KeyUp(int& KeyCode, int& Shift) override;

private:
    void SetupGridWindow();
    void RequestRedraw();
    std::string FieldName(int row) const;
    bool ReplaceText(const ItemRec& record, const std::string& text);
    // After a refused write: a beep, and the item `index` read again as the
    // design holds it.
    void ShowItemAsItIs(int32_t index);

    // The field shown in each row (1..n) of the table, by the item's kind.
    std::vector<int> fields_;
    // Rows whose value was typed or picked since the item was last written;
    // the other rows keep the item's exact values.
    std::vector<bool> edited_;

    winsys::NorvoGrid* grid_ = nullptr;
    TextBox* text_ = nullptr;
    ListBox* sizes_ = nullptr;
    CommandButton* undo_ = nullptr;
    CommandButton* cancel_ = nullptr;
};
