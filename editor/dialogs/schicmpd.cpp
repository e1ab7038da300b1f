#include "editor/dialogs/schicmpd.h"

#include <QDialog>
#include <QFormLayout>
#include <QLineEdit>

bool g_InsertDlgOpen = false;

InsertionDialog::InsertionDialog(std::string name) : Form(std::move(name)) {}

void InsertionDialog::CancelDialog()
{
    if (!IsLoaded()) return;
    Unload(unloadmode::Code);
    g_InsertDlgOpen = false;
    Terminate.Raise();
}

std::unique_ptr<QWidget> InsertionDialog::CreateWindow()
{
    auto window = std::make_unique<QDialog>();
    auto* layout = new QFormLayout(window.get());
    cref_ = new QLineEdit(window.get());
    cref_->setObjectName("F_Cref");
    layout->addRow("Reference:", cref_);
    return window;
}

void InsertionDialog::ForgetControls()
{
    cref_ = nullptr;
}

void InsertionDialog::Form_Load()
{
    Initialise.Raise();
}

QLineEdit* InsertionDialog::F_Cref()
{
    EnsureLoaded();
    return cref_;
}

SCHICMPD::SCHICMPD() : InsertionDialog("SCHICMPD")
{
}

void SCHICMPD::LoadRefPart()
{
    // Looking the part up in the libraries comes with the library layer.
}

SCHICMPS::SCHICMPS() : InsertionDialog("SCHICMPS")
{
}

void SCHICMPS::LoadRefSymbol()
{
    // Looking the symbol up in the libraries comes with the library layer.
}
