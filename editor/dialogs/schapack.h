// SCHAPACK, the automatic packaging dialog: one row per part (device) of the
// design, where the user decides whether the components of that part are
// packaged, which prefix the new layout components' names get and from
// which number they are counted. The choices stay in g_PrefixList, which the
// automatic packaging run reads.
#pragma once

#include "editor/shell/checked_array.h"
#include "editor/shell/forms.h"

#include <cstdint>
#include <string>

class CommandButton;
class QGroupBox;
class TextBox;
namespace winsys {
class NorvoGrid;
}

// The packaging choices for one part of the design.
struct PrefixRec {
    std::string Prefix;     // 8 characters, blank-padded: the part's name
    bool Pack = true;       // package the components of this part
    std::string ChangeTo;   // 8 characters: the prefix of the new layout components' names,
                            // at first the part's reference prefix (U for a 74HC00)
    double StartNumber = 1; // the first number of the new layout components' names
};

// The rows, from index 1 (index 0 holds no entry), one per part of the
// design in the kernel's order; a part whose name is longer than 8
// characters has none. Kept between openings: the dialog adds the parts that
// are new and drops those the design no longer holds.
extern CheckedArray<PrefixRec> g_PrefixList;

class SCHAPACK : public Form {
public:
    SCHAPACK();

    winsys::NorvoGrid* F_Prefix();
    QGroupBox* F_InputF();
    TextBox* F_Input();
    CommandButton* F_Accept();
    CommandButton* F_Cancel();

    void F_Prefix_Click();
    void F_Input_KeyPress(int& KeyAscii);
    void F_Accept_Click();
    void F_Cancel_Click();

    // The cell clicked last.
    int m_Row = 0;
    int m_Col = 0;

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Load() override;
    void Form_Activate() override;
    void Form_KeyUp(int& KeyCode, int& Shift) override;

private:
    void SetupPrefixGrid();
    void LoadPrefixList();
    void ShowPrefixRow(int row);
    void EditPrefixCell();
    void CloseEditor();

    winsys::NorvoGrid* prefix_ = nullptr;
    QGroupBox* inputF_ = nullptr;
    TextBox* input_ = nullptr;
    CommandButton* accept_ = nullptr;
    CommandButton* cancel_ = nullptr;
};
