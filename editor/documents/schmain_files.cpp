// The file commands of the main window: the file dialogs of the notes and
// block commands, design and page notes saved and loaded, the temporary
// backup of the database, and the canvas copied to the clipboard.
#include "editor/interaction/commands.h"
#include "editor/objects/notes_files.h"
#include "editor/shell/appcmd.h"
#include "editor/shell/applink.h"
#include "editor/shell/common_dialog.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/errors.h"
#include "editor/shell/forms.h"
#include "editor/shell/help.h"
#include "editor/shell/menus.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/paths.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/schmain.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/settings.h"
#include "editor/shell/textnum.h"
#include "editor/view/canvas.h"

#include <QDir>

namespace {

struct FileKindTexts {
    const char* ext;
    const char* filter;
    const char* openTitle;
    const char* openId;
    const char* saveTitle;
    const char* saveId;
    const char* pattern;
    bool jobDir;
};

const FileKindTexts kKinds[] = {
    {"NSB", "Block files(*.NSB)|*.NSB", " - Select Block File to Load", "99141", " - Save Block File", "99140", "*.NSB",
     true},
    {"NDN", "Design Notes(*.NDN)|*.NDN", " - Select Design Notes to Load", "1320", " - Save Design Notes", "1318",
     "*.NDN", false},
    {"NPN", "Page Notes(*.NPN)|*.NPN", " - Select Page Notes to Load", "1321", " - Save Page Notes", "1319", "*.NPN",
     false},
};

// The job folder, made when it does not exist yet (a fresh system has
// none, and the backup and the block copy write into it).
std::string JobFolder()
{
    const std::string folder = ResolveDir(g_JobDir, DirBase::UserData);
    QDir().mkpath(QString::fromStdString(NativePath(folder)));
    return folder;
}

std::string BackupFilePath()
{
    return SCHMAIN::JobFilePath("Norvo32.TMP");
}

}  // namespace

std::string SCHMAIN::JobFilePath(const std::string& name)
{
    return JoinPath(JobFolder(), name);
}

std::string SCHMAIN::SelectLoadFile(int32_t kind, bool& none)
{
    none = true;
    if (kind < 0 || kind > 2) return {};
    const FileKindTexts& k = kKinds[kind];
    CommonDialog& dlg = *F_ComDlg;
    dlg.DefaultExt = k.ext;
    dlg.Filter = k.filter;
    dlg.DialogTitle = GetMsgText(k.openTitle, k.openId);
    dlg.InitDir = k.jobDir ? JobFolder() : ResolveDir(g_LibDir, DirBase::Data);
    dlg.FileName.clear();
    dlg.CancelError = false;
    dlg.Flags = 0x1804;
    try {
        if (!dlg.SetAction(1)) return {};
    } catch (const RuntimeError&) {
        return {};
    }
    none = dlg.FileName.empty();
    return dlg.FileName;
}

std::string SCHMAIN::SelectSaveFile(int32_t kind, bool& none)
{
    none = true;
    if (kind < 0 || kind > 2) return {};
    const FileKindTexts& k = kKinds[kind];
    CommonDialog& dlg = *F_ComDlg;
    dlg.DefaultExt = k.ext;
    dlg.Filter = k.filter;
    dlg.DialogTitle = GetMsgText(k.saveTitle, k.saveId);
    dlg.FileName = k.pattern;
    dlg.InitDir = k.jobDir ? JobFolder() : ResolveDir(g_LibDir, DirBase::Data);
    dlg.FileName = k.pattern;
    dlg.CancelError = true;
    dlg.Flags = 0x2006;
    try {
        if (!dlg.SetAction(2)) return {};
    } catch (const RuntimeError&) {
        return {};  // cancelled (error 32755) or failed
    }
    none = dlg.FileName.empty();
    return dlg.FileName;
}

namespace {

// The notes commands differ only in these.
struct NotesCommand {
    NotesKind kind;
    int32_t fileKind;
    int32_t saveHelp;
    int32_t loadHelp;
};

}  // namespace

static void SaveNotes(SCHMAIN& m, const NotesCommand& c, int32_t symbol, std::string& lastPath)
{
    if (symbol != 0) {
        bool none = true;
        const std::string path = m.SelectSaveFile(c.fileKind, none);
        if (none) return;
        lastPath = path;
        int32_t status = 0;
        SaveNotesFile(status, c.kind, path, symbol);
    }
    CheckHelpMode(1, c.saveHelp, 0, 0);
}

void SCHMAIN::M_SaveDnotes_Click()
{
    SaveNotes(*this, {NotesKind::Design, 1, 3, 4}, g_DesNotesSymb, m_DesNotesPath);
}

void SCHMAIN::M_SavePnotes_Click()
{
    SaveNotes(*this, {NotesKind::Page, 2, 5, 6}, g_PageNotesSymb, m_PageNotesPath);
}

void SCHMAIN::M_LoadDnotes_Click()
{
    bool none = true;
    const std::string path = SelectLoadFile(1, none);
    if (none) return;
    m_DesNotesPath = path;
    int32_t status = 0;
    LoadNotesFile(status, NotesKind::Design, path, g_DesNotesSymb);
    g_ShowDesNotes = true;
    M_Dnotes->SetChecked(true);
    RefreshCanvas();
    RedrawView();
    CheckHelpMode(1, 4, 0, 0);
}

void SCHMAIN::M_LoadPnotes_Click()
{
    bool none = true;
    const std::string path = SelectLoadFile(2, none);
    if (none) return;
    m_PageNotesPath = path;
    int32_t status = 0;
    LoadNotesFile(status, NotesKind::Page, path, g_PageNotesSymb);
    g_ShowPageNotes = true;
    M_Pnotes->SetChecked(true);
    RefreshCanvas();
    RedrawView();
    CheckHelpMode(1, 6, 0, 0);
}

void SCHMAIN::M_Tsave_Click()
{
    CheckHelpMode(1, 1, 0, 0);
    if (g_CmdRunning != 0 || g_CurCommand != 0) return;
    int32_t busy = 0;
    std::string title;
    CheckOtherApps(busy, title);
    if (busy != 0) return;
    SetScreenMousePointer(mousepointer::Hourglass);
    auto pointer = OnExit([] { SetScreenMousePointer(mousepointer::Default); });
    ShowMessage(GetMsgText("Saving Temporary Backup", "991142"));
    SaveHeap(2);
    SaveHeap(1);
    SaveHeap(3);
    std::string path = BackupFilePath();
    if (DB_SaveDataBase(NativePath(path).c_str()) == 0) {
        ReportMsg(80, path);
        ShowMessage(GetMsgText("Temporary Backup Save Failed", "991302"));
        return;
    }
    ShowMessage(GetMsgText("Temporary Backup saved O.K", "991303"));
}

void SCHMAIN::M_Tload_Click()
{
    CheckHelpMode(1, 2, 0, 0);
    // Replacing the database under a running command (or under another
    // application's operation) is refused as the save refuses it.
    if (g_CmdRunning != 0 || g_CurCommand != 0) return;
    int32_t busy = 0;
    std::string title;
    CheckOtherApps(busy, title);
    if (busy != 0) return;
    if (!AskYesNo(GetMsgText("Load Temporary Backup", "99846"))) return;
    SetScreenMousePointer(mousepointer::Hourglass);
    auto pointer = OnExit([] { SetScreenMousePointer(mousepointer::Default); });
    ShowMessage(GetMsgText("Loading Temporary Backup", "99849"));
    std::string path = BackupFilePath();
    // The kernel reads and checks the whole file before it replaces the open
    // database: a missing or damaged backup leaves the design as it was.
    if (DB_LoadDataBase(NativePath(path).c_str()) == 0) {
        std::string detail = path + g_CrLf + PtrToStr(E_LastError());
        ReportMsg(81, detail);
        ShowMessage(GetMsgText("Temporary Backup Load Failed", "991300"));
        return;
    }
    ShowMessage(GetMsgText("Temporary Backup loaded O.K", "991301"));
    MakeHeap(2, -1);
    MakeHeap(1, -1);
    MakeHeap(3, -1);
    SendCmdAll("UP");
}

void SCHMAIN::M_Scopy_Click()
{
    // The canvas is painted afresh and its picture, exactly the pixels
    // shown, replaces whatever the clipboard held.
    RefreshCanvas();
    const QSize size = ViewPicture->ClientSize();
    G_CopyScreen(ViewPicture->DeviceHandle(), 0, 0, size.width(), size.height());
    CheckHelpMode(1, 7, 0, 0);
}
