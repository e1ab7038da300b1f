// SCHMAIN's event and public procedures that are not built yet, grouped by
// the subsystem that owns them. Each is empty (the window's controls raise
// them already); the work that gives one its body moves it into its
// subsystem's folder, in a file named schmain_<topic>.cpp.
#include "editor/shell/schmain.h"

// ---- Subsystem 3: view and canvas --------------------------------------------


// ---- Subsystem 4: interaction ------------------------------------------------


// ---- Subsystem 5: editing ----------------------------------------------------



// ---- Subsystem 8: automation -------------------------------------------------



// ---- Subsystem 9: documents --------------------------------------------------


// Ends the editor: the main window's unload refuses while a command runs,
// otherwise shuts down and tells the host.
void SCHMAIN::M_Exit_Click()
{
    ShutDown();
}
