// The common dialog control: the properties the editor's procedures set,
// then one of the dialogs (open, save, printer set-up) asked through the
// interaction interface. With CancelError set, Cancel raises error 32755.
#pragma once

#include <QObject>

#include <string>

class CommonDialog : public QObject {
    Q_OBJECT
public:
    explicit CommonDialog(QObject* parent = nullptr);

    bool CancelError = false;
    int Flags = 0;  // winsys::ofn::... for the file dialogs
    std::string DialogTitle;
    std::string InitDir;
    std::string FileName;    // in and out
    std::string DefaultExt;  // without the dot
    std::string Filter;      // "description|patterns|..."
    int FilterIndex = 1;     // in and out
    int Orientation = 1;     // printer: 1 portrait, 2 landscape; in and out
    int Copies = 1;          // printer; in and out
    std::string PrinterName; // printer; out
    std::string OutputFile;  // printer: the PDF file printed into, empty for the system printer; out

    // Each returns false when cancelled (error 32755 instead when
    // CancelError is set); on acceptance the out properties are filled.
    bool ShowOpen();
    bool ShowSave();
    bool ShowPrinter();
    // The runtime's Action property: 1 open, 2 save, 5 printer set-up;
    // other values raise error 5.
    bool SetAction(int action);

private:
    bool ShowFile(bool save);
    bool Finish(bool accepted);
};
