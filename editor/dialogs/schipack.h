// SCHIPACK, the manual packaging dialog: for the component picked on the
// canvas (g_CompId, g_Comp) it lists the existing parts (layout components)
// of its device and the device's gates with the component packed as each,
// and packs the component into the chosen part and gate. Modeless and
// topmost while the component mode's packaging command runs; a refused
// action beeps and changes nothing.
#pragma once

#include "editor/shell/forms.h"
#include "platform/kernel/records.h"

#include <cstdint>
#include <string>

class CommandButton;
class Label;
class ListBox;
class TextBox;
namespace winsys {
class NorvoGrid;
}

// A packaging window is loaded (set when it loads; cleared by whoever
// unloads it).
extern bool g_PackDlgOpen;
// Close was pressed; a component was packed. Both tell the packaging
// command that a step is due; a refresh for the next component clears them.
extern bool g_PackClosed;
extern bool g_PackDone;

class SCHIPACK : public Form {
public:
    SCHIPACK();

    // The controls; using one loads the form.
    Label* F_Device();
    TextBox* F_Cname();
    TextBox* F_Gate();
    ListBox* F_CompList();
    winsys::NorvoGrid* F_Groups();
    CommandButton* F_Find();
    CommandButton* F_Accept();
    CommandButton* F_Cancel();

    // Keeps the window above all others.
    void SetTopmost(bool topmost);

    // Event procedures.
    void F_Accept_Click();
    void F_Cancel_Click();
    void F_Find_Click();
    void F_CompList_Click();
    void F_Groups_Click();
    void F_Cname_KeyPress(int& KeyAscii);
    void F_Cname_LostFocus();
    void F_Gate_KeyPress(int& KeyAscii);
    void F_Gate_LostFocus();

    // Window-level values.
    int32_t m_PackRow = 0;      // the chosen gate; 0 none
    std::string m_LayName;      // the part to pack into
    DeviceRec m_DevRec{};       // the component's device
    std::string m_DevName;      // its name, prefix and the chosen group's
    std::string m_DevPrefix;    // names, kept beyond the kernel's buffers
    std::string m_GroupName;
    std::string m_GroupSymbName;
    bool m_NameTyped = false;
    bool m_GateTyped = false;
    int m_VisRows = 3;

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Load() override;
    void Form_Activate() override;
    void Form_KeyUp(int& KeyCode, int& Shift) override;

private:
    void SetupPackGrid();
    void RefreshPackDialog();
    void EnablePackDialog(bool enable);
    void FillPackCompList();
    void LoadPackGroups();
    void CommitPackName();
    void CommitPackGate();
    bool ReadPackDevice();
    void ReReadComp();
    void ClearGroupRows();

    Label* device_ = nullptr;
    TextBox* cname_ = nullptr;
    TextBox* gate_ = nullptr;
    ListBox* compList_ = nullptr;
    winsys::NorvoGrid* groups_ = nullptr;
    CommandButton* find_ = nullptr;
    CommandButton* accept_ = nullptr;
    CommandButton* cancel_ = nullptr;
};
