// The printer: one printer object for every print of the process, shown to
// the kernel as a Printer device with a stable handle. It prints on the
// system's default printer or, when an output file is set, into a PDF file.
//
// A print document opens at the first Begin ("print an empty text") and
// ends at EndDoc; while it is open the device carries the document's
// painter, which kernel drawing contexts use (saving and restoring its
// state) but never begin or end. NewPage asks for a page break that the next
// Begin makes, so a NewPage followed by EndDoc adds no blank sheet.
//
// One print command may end several documents (one per page of a print run,
// one per paper-change pause). Into a file, the first document of a command
// goes to the file's own name and the later ones to "name-2.pdf",
// "name-3.pdf" ..., so no document overwrites another.
#pragma once

#include <cstdint>
#include <string>

class QPrinter;

namespace winsys {

struct PrinterSetupRequest;

class Printer {
public:
    // The one printer (created at the first call; needs the application).
    static Printer& Get();

    // Device handle of the printer's sheets (never 0).
    int32_t Device() const { return device_; }

    // A system default printer exists or an output file is set.
    bool Installed() const;

    // The PDF file printed into; empty: the system's default printer.
    const std::string& OutputFile() const { return outputFile_; }
    void SetOutputFile(const std::string& path);
    // The file the next document goes to (empty for the system printer).
    std::string NextDocumentFile() const;

    // 1 portrait, 2 landscape. Another value, or a change while a document
    // is open, is refused (false) and the printer keeps its setting.
    int Orientation() const;
    bool SetOrientation(int orientation);
    // Copies 1..9999; another value is refused and the old one kept.
    int Copies() const;
    bool SetCopies(int copies);

    // Opens the document when none is open, else makes a page break asked
    // for by NewPage. False when the printer cannot begin (no printer, a
    // file that cannot be written): nothing is open then.
    bool Begin();
    // Asks for a page break before the next sheet drawn.
    void NewPage();
    // Ends the open document (a pending page break is dropped); nothing
    // happens when none is open.
    void EndDoc();
    bool DocumentOpen() const { return open_; }

    // Starts a print command: the next document goes to the output file's
    // own name again.
    void StartCommand() { documents_ = 0; }
    // Documents ended since the command started.
    int DocumentsEnded() const { return documents_; }

    // Resolution of the sheets, dots per inch.
    static constexpr int kResolution = 300;

    // The printer object itself, for the printer setup dialog.
    QPrinter& Qt();

    ~Printer();

private:
    Printer();
    struct Impl;
    Impl* impl_;
    int32_t device_ = 0;
    std::string outputFile_;
    bool open_ = false;
    bool breakPending_ = false;
    int documents_ = 0;
};

// The printer setup dialog on the printer (Interaction::PrinterSetup):
// orientation, copies and output as the printer has them go in; on
// acceptance the choice is applied to the printer and left in the request.
// `flags` are the system's print dialog flags (0x4 no selection, 0x8 no
// page range). An open document is ended first. False when cancelled.
bool PrinterSetupDialog(PrinterSetupRequest& request);

}  // namespace winsys
