// SCHMAIN's event and public procedures that are not built yet, grouped by
// the subsystem that owns them. Each is empty (the window's controls raise
// them already); the work that gives one its body moves it into its
// subsystem's folder, in a file named schmain_<topic>.cpp.
#include "editor/shell/schmain.h"

// ---- Subsystem 3: view and canvas --------------------------------------------

void SCHMAIN::BlinkEntry() {}
void SCHMAIN::BlinkGate() {}
void SCHMAIN::BlinkCompFrame() {}
void SCHMAIN::BlinkBranch() {}
void SCHMAIN::BlinkNet() {}
void SCHMAIN::BlinkNode() {}
void SCHMAIN::BlinkItem() {}
void SCHMAIN::DrawBranchHighlight(int32_t) {}
void SCHMAIN::EraseViewCross() {}
void SCHMAIN::SyncViewMode() {}
void SCHMAIN::DrawCmdObjectInView(int32_t, int32_t) {}
void SCHMAIN::F_PICView_MouseMove(int, int, double, double) {}
void SCHMAIN::F_PICView_MouseUp(int, int, double, double) {}
void SCHMAIN::F_PICView_Resize() {}
void SCHMAIN::F_Pages_Click() {}
void SCHMAIN::F_Pages_KeyPress(int&) {}
void SCHMAIN::F_Pages_LostFocus() {}
void SCHMAIN::F_MenuPan_MouseDown(int, int, double, double) {}
void SCHMAIN::F_FSI_Click(int, bool) {}
void SCHMAIN::F_FSI_MouseMove(int, int, int, double, double) {}
void SCHMAIN::F_FSI_MouseUp(int, int, int, double, double) {}
void SCHMAIN::F_OST_Click(int, bool) {}
void SCHMAIN::F_OST_MouseMove(int, int, int, double, double) {}
void SCHMAIN::F_OST_MouseUp(int, int, int, double, double) {}
// The hidden command field's Change runs the command written into it.
void SCHMAIN::F_FrmCmd_Change() {}
void SCHMAIN::F_Bitm_Change() {}
void SCHMAIN::F_Short_Change() {}
void SCHMAIN::M_Ccolor_Click(int) {}
void SCHMAIN::M_Scolor_Click(int) {}
void SCHMAIN::M_DrawStyle_Click(int) {}
void SCHMAIN::M_FSI_Click(int) {}
void SCHMAIN::M_Short_Click() {}
void SCHMAIN::M_Tbar_Click() {}
void SCHMAIN::M_Sbars_Click() {}
void SCHMAIN::M_Tpan_Click() {}
void SCHMAIN::M_ViewPort_Click() {}
void SCHMAIN::M_InstName_Click() {}
void SCHMAIN::M_SRatsnest_Click() {}
void SCHMAIN::M_NRatsnest_Click() {}
void SCHMAIN::M_TcModeSLN_Click(int) {}
void SCHMAIN::M_Coords_Click() {}
void SCHMAIN::M_XYMeasure_Click(int) {}
void SCHMAIN::M_Imap_Click(int) {}
void SCHMAIN::M_Nodes_Click() {}
void SCHMAIN::M_Ratsnest_Click() {}
void SCHMAIN::M_Pnotes_Click() {}
void SCHMAIN::M_Dnotes_Click() {}
void SCHMAIN::M_Bitmaps_Click() {}
void SCHMAIN::M_Entry_Click() {}
void SCHMAIN::M_Mono_Click() {}
void SCHMAIN::M_Help_Click() {}

// ---- Subsystem 4: interaction ------------------------------------------------

void SCHMAIN::ViewPicture_MouseDown(int, int, double, double) {}
void SCHMAIN::ViewPicture_MouseMove(int, int, double, double) {}
void SCHMAIN::ViewPicture_MouseUp(int, int, double, double) {}
void SCHMAIN::Form_KeyDown(int&, int&) {}
void SCHMAIN::Form_KeyPress(int&) {}
void SCHMAIN::Form_KeyUp(int&, int&) {}

// ---- Subsystem 5: editing ----------------------------------------------------


void SCHMAIN::M_Yes_Click() {}
void SCHMAIN::M_No_Click() {}

// ---- Subsystem 8: automation -------------------------------------------------

void SCHMAIN::DrawRouterImage() {}
void SCHMAIN::PaintPlacementZones() {}
void SCHMAIN::DrawPlacementCells(int32_t&) {}
void SCHMAIN::ShowPlacementCells() {}

void SCHMAIN::M_Apack_Click() {}
void SCHMAIN::M_AutPlcGrdPrefix_Click() {}
void SCHMAIN::M_AutPlcOrntPrefix_Click() {}
void SCHMAIN::M_AutPlcGlbPara_Click() {}
void SCHMAIN::M_AutPlcExecute_Click() {}
void SCHMAIN::M_Aroute_Click() {}
void SCHMAIN::M_PlcCell_Click(int) {}
void SCHMAIN::M_PlcCellOff_Click() {}

// ---- Subsystem 9: documents --------------------------------------------------


// Ends the editor: the main window's unload refuses while a command runs,
// otherwise shuts down and tells the host.
void SCHMAIN::M_Exit_Click()
{
    ShutDown();
}
void SCHMAIN::M_Page_Click() {}
void SCHMAIN::M_PageNew_Click() {}
void SCHMAIN::M_PageClean_Click() {}
void SCHMAIN::M_PageRen_Click() {}
void SCHMAIN::M_PageDel_Click() {}
void SCHMAIN::M_PageO_Click() {}
