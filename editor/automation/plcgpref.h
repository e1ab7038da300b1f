// PLCGPREF, "Assign Comps to Patterns by Name prefixes": up to 32 component
// name prefixes for each of the four grid patterns (g_PatternPrefixes).
#pragma once

#include "editor/automation/placement_prefix_grid.h"

class PLCGPREF : public PrefixGridForm {
public:
    PLCGPREF();

    winsys::NorvoGrid* GPrefGrid() { return Grid(); }
    TextBox* GPrefText() { return EditBox(); }
    QWidget* GPrefFrameText() { return EditCaption(); }
    CommandButton* GPrefAccept() { return AcceptButton(); }
    CommandButton* GPrefCancel() { return CancelButton(); }

    void GPrefGrid_EnterCell() { Grid_EnterCell(); }
    void GPrefText_GotFocus() { Text_GotFocus(); }
    void GPrefText_KeyPress(int& KeyAscii) { Text_KeyPress(KeyAscii); }
    void GPrefAccept_Click() { Accept_Click(); }
    void GPrefCancel_Click() { Cancel_Click(); }
    void SetupGPrefGrid() { SetupGrid(); }
    void FillGPrefGrid() { FillGrid(); }

protected:
    std::string& Entry(int row, int col) override;
};
