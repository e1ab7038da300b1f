#include "editor/shell/common_dialog.h"

#include "editor/shell/errors.h"
#include "platform/winsys/interaction.h"
#include "platform/winsys/printer.h"

CommonDialog::CommonDialog(QObject* parent) : QObject(parent) {}

bool CommonDialog::ShowOpen()
{
    return ShowFile(false);
}

bool CommonDialog::ShowSave()
{
    return ShowFile(true);
}

bool CommonDialog::ShowFile(bool save)
{
    winsys::FileDialogRequest request;
    request.save = save;
    request.title = DialogTitle;
    request.initDir = InitDir;
    request.fileName = FileName;
    request.defaultExt = DefaultExt;
    request.filter = Filter;
    request.filterIndex = FilterIndex;
    request.flags = Flags;
    const bool accepted = winsys::Ui().FileDialog(request);
    if (accepted) {
        FileName = request.fileName;
        FilterIndex = request.filterIndex;
    }
    return Finish(accepted);
}

bool CommonDialog::ShowPrinter()
{
    winsys::PrinterSetupRequest request;
    request.orientation = Orientation;
    request.copies = Copies;
    request.flags = Flags;
    // The setup works on the printer every print uses, which keeps the choice.
    const bool accepted = winsys::PrinterSetupDialog(request);
    if (accepted) {
        Orientation = request.orientation;
        Copies = request.copies;
        PrinterName = request.printerName;
        OutputFile = request.outputFile;
    }
    return Finish(accepted);
}

bool CommonDialog::SetAction(int action)
{
    switch (action) {
    case 1: return ShowOpen();
    case 2: return ShowSave();
    case 5: return ShowPrinter();
    default: RaiseError(errnum::InvalidCall);
    }
}

bool CommonDialog::Finish(bool accepted)
{
    if (!accepted && CancelError) RaiseError(errnum::CancelSelected);
    return accepted;
}
