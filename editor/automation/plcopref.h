// PLCOPREF, "Select Comps Orientation by Name Prefixes": up to 32 component
// name prefixes for each of the seven preferred orientations
// (g_OrientPrefixes).
#pragma once

#include "editor/automation/placement_prefix_grid.h"

class PLCOPREF : public PrefixGridForm {
public:
    PLCOPREF();

    winsys::NorvoGrid* OPrefGrid() { return Grid(); }
    TextBox* OPrefText() { return EditBox(); }
    QWidget* OPrefLable() { return EditCaption(); }
    CommandButton* OPref_Accept() { return AcceptButton(); }
    CommandButton* OPref_Cancel() { return CancelButton(); }

    void OPrefGrid_EnterCell() { Grid_EnterCell(); }
    void OPrefText_GotFocus() { Text_GotFocus(); }
    void OPrefText_KeyPress(int& KeyAscii) { Text_KeyPress(KeyAscii); }
    void OPref_Accept_Click() { Accept_Click(); }
    void OPref_Cancel_Click() { Cancel_Click(); }
    void SetupOPrefGrid() { SetupGrid(); }
    void FillOPrefGrid() { FillGrid(); }

protected:
    std::string& Entry(int row, int col) override;
};
