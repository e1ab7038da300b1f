// The wait of the main window for an insertion dialog, shared by the
// placement and the exchange of a component's part.
#pragma once

class InsertionDialog;
class SCHMAIN;

// Shows the dialog (none: nothing is shown) without modality over the
// disabled main window and waits until it is accepted or cancelled; a
// dialog closed any other way counts as cancelled. g_DlgAccepted is false
// unless this opening was accepted; the main window takes input again and
// g_ModalDepth is back however the wait ends. The report window is hidden
// first.
void WaitForInsertionDialog(SCHMAIN& main, InsertionDialog* dialog);
