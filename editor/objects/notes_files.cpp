#include "editor/objects/notes_files.h"

#include "editor/objects/libraries.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/reporter.h"
#include "platform/winsys/latin1.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>

namespace {

constexpr int32_t kMsgCantLoad = 85;
constexpr int32_t kMsgSaveFailed = 86;

std::string NotesDetail(NotesKind kind)
{
    return kind == NotesKind::Design ? GetMsgText("Design Notes", "99543") : GetMsgText("Page Notes", "991011");
}

void Report(int32_t code, NotesKind kind)
{
    std::string detail = NotesDetail(kind);
    ReportMsg(code, detail);
}

// Writes the notes into a new file in the folder of `target` and renames it
// over `target`; false (and no new file left) when any step fails.
bool WriteReplacing(const std::string& target, int32_t symbol, const std::string& entryName)
{
    const QFileInfo info(ToQ(target));
    QTemporaryFile temp(info.absolutePath() + "/." + info.fileName() + ".XXXXXX");
    if (!temp.open()) return false;
    const QString tempPath = temp.fileName();
    temp.close();
    int32_t status = 1;
    SaveSymbToLib(status, FromQ(tempPath), symbol, entryName);
    if (status != 0) return false;
    // The new file gets the old one's permissions, else the usual ones.
    QFile::setPermissions(tempPath, info.exists() ? info.permissions()
                                                  : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                                        QFile::ReadOther);
    if (std::rename(QFile::encodeName(tempPath).constData(), QFile::encodeName(info.absoluteFilePath()).constData()) != 0)
        return false;
    temp.setAutoRemove(false);
    return true;
}

}  // namespace

std::string NotesEntryName(NotesKind kind)
{
    return kind == NotesKind::Design ? "@DESNOTES" : "@PGENOTES";
}

void SaveNotesFile(int32_t& status, NotesKind kind, const std::string& path, int32_t symbol)
{
    status = 1;
    if (WriteReplacing(LibraryFilePath(path), symbol, NotesEntryName(kind)))
        status = 0;
    else
        Report(kMsgSaveFailed, kind);
}

void LoadNotesFile(int32_t& status, NotesKind kind, const std::string& path, int32_t& symbol)
{
    status = 1;
    if (symbol != 0) LoadSymbFromLib(status, symbol, path, NotesEntryName(kind));
    if (status != 0) Report(kMsgCantLoad, kind);
}
