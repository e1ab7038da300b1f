// Notes files: the design notes (".NDN") and page notes (".NPN") of a
// design kept in a file of their own, a symbol library holding one entry
// ("@DESNOTES" or "@PGENOTES") with the notes symbol.
//
// Both procedures do the whole file step of the notes commands, message
// included: the menu handlers choose the path and call one of them.
#pragma once

#include <cstdint>
#include <string>

enum class NotesKind { Design, Page };

// The library entry and symbol name of the notes.
std::string NotesEntryName(NotesKind kind);

// Writes the notes symbol `symbol` to the notes file `path`. The new file
// is written beside the old one and takes its place only when it is
// complete, so a failed save leaves an existing file byte for byte as it
// was. Status 0 when saved; 1 after message 86 ("Save of Design Notes
// failed", "... Page Notes ...").
void SaveNotesFile(int32_t& status, NotesKind kind, const std::string& path, int32_t symbol);

// Loads the notes of the file `path` into the notes symbol `symbol` (its
// id is kept, its name becomes the entry name). The current notes are
// replaced only once the file's entry has loaded, so a missing, damaged or
// wrong file leaves them as they were. Status 0 when loaded; 1 after
// message 85 ("Can't load Design Notes", "... Page Notes").
void LoadNotesFile(int32_t& status, NotesKind kind, const std::string& path, int32_t& symbol);
