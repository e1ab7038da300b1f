// SCHICMPD, the part insertion dialog, and SCHICMPS, the symbol insertion
// dialog. They raise Initialise when they start or come to the front and
// Terminate when accepted or cancelled, so that the host link class knows
// which of them a library search reply is for.
#pragma once

#include "editor/shell/event.h"
#include "editor/shell/forms.h"

#include <string>

class QLineEdit;

// True while an insertion dialog that the editor waits for is open; the
// dialog clears it when it is accepted or cancelled.
extern bool g_InsertDlgOpen;

class InsertionDialog : public Form {
public:
    explicit InsertionDialog(std::string name);

    Event<> Initialise;
    Event<std::string&, std::string&> NotifyClass;
    Event<> Terminate;

    // The reference field: the name of the part or symbol to insert. Using
    // it loads the dialog.
    QLineEdit* F_Cref();

    // Closes a loaded dialog as its Cancel does: the opener's wait ends
    // (g_InsertDlgOpen False) and Terminate is raised. Nothing when the
    // dialog is not loaded.
    void CancelDialog();

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Load() override;

private:
    QLineEdit* cref_ = nullptr;
};

class SCHICMPD : public InsertionDialog {
public:
    SCHICMPD();
    // Loads the part named in F_Cref from the part libraries.
    void LoadRefPart();
};

class SCHICMPS : public InsertionDialog {
public:
    SCHICMPS();
    // Loads the symbol named in F_Cref from the symbol libraries.
    void LoadRefSymbol();
};
