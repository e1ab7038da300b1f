// SCHMAIN's start-up, refusal to close and shut-down.
#include "editor/automation/placement_symbols.h"
#include "editor/documents/printing.h"
#include "editor/objects/integrity.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/design_change.h"
#include "editor/shell/schmain.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/errors.h"

#include "editor/interaction/commands.h"
#include "editor/shell/applink.h"
#include "editor/shell/caption.h"
#include "editor/shell/clspalvane.h"
#include "editor/shell/command_close.h"
#include "editor/shell/cursors.h"
#include "editor/shell/help.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/paths.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/schmain_design.h"
#include "editor/shell/menus.h"
#include "editor/shell/settings.h"
#include "editor/shell/shared_services.h"
#include "editor/shell/tooltable.h"
#include "editor/shell/user_action.h"
#include "editor/view/canvas.h"
#include "platform/winsys/nested_runs.h"
#include "platform/winsys/printer.h"

#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QMainWindow>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

SCHMAIN* g_MainForm = nullptr;
std::string g_HelpFile;
std::string g_ProgDir;
std::string g_AppTitle;
int32_t g_ResizeLock = 0;
int32_t g_FirstResize = 0;
bool g_NoPaint = false;

bool AppPrevInstance()
{
    static int state = -1;  // -1 not asked yet, 0 we are the only one, 1 another runs
    if (state >= 0) return state == 1;
    const char* configured = std::getenv("PALVANE_INSTANCE_LOCK");
    QString path;
    if (configured && std::string(configured) == "off") {
        state = 0;
        return false;
    }
    if (configured && *configured) {
        path = QString::fromLocal8Bit(configured);
    } else {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        path = runtime && *runtime ? QString::fromLocal8Bit(runtime) + "/palvane.lock"
                                   : QDir::tempPath() + QString("/palvane-%1.lock").arg(getuid());
    }
    // Held for the life of the process; a lock left by a process that died
    // is taken over.
    static QLockFile lock(path);
    lock.setStaleLockTime(0);
    state = lock.tryLock(0) ? 0 : 1;
    if (state == 1) {
        // The start-up ends without a window; the person who started it
        // learns why, and which editor holds the lock.
        qint64 pid = 0;
        QString host, application;
        const std::string file = path.toLocal8Bit().toStdString();
        if (lock.getLockInfo(&pid, &host, &application))
            std::fprintf(stderr, "palvane: another editor is running: process %lld (%s on %s) holds the lock file %s\n",
                         static_cast<long long>(pid), application.toLocal8Bit().constData(),
                         host.toLocal8Bit().constData(), file.c_str());
        else
            std::fprintf(stderr, "palvane: another editor is running: the lock file %s is held\n", file.c_str());
    }
    return state == 1;
}

SCHMAIN::SCHMAIN() : Form("SCHMAIN")
{
    // The keyboard commands of the canvas are the form's key events.
    KeyPreview = true;
    // The star and the shortcut letters are consumed by KeyDown and typed
    // into KeyPress.
    KeyPressAfterKeyDown = true;
}

SCHMAIN::~SCHMAIN()
{
    if (g_MainForm == this) g_MainForm = nullptr;
}

void SCHMAIN::Form_Load()
{
    try {
        ResetFormState();
        g_MainForm = this;
        if (AppPrevInstance()) {
            ExitAnyWay = true;
            RaiseError(errnum::StartupAbandoned);
        }
        InitFonts();
        LocalizeForm(*this);
        ViewPicture->setEnabled(false);
        int32_t database = 0;
        SetMainCaption(database);
        // Without a design the caption procedure has reported it and shut
        // the window down.
        if (database == 0) RaiseError(errnum::StartupAbandoned);
        SetScreenMousePointer(mousepointer::Hourglass);
        InitProgDir();
        g_HelpFile = JoinPath(g_ProgDir, "PALVANE.HLP");
        m_ToolHelpOn = -1;
        InitAppLink();
        g_AppTitle = GetMsgText("Schematic Capture", "991155");
        m_ShowSettingsPanel = 1;
        M_Tpan->SetChecked(true);
        m_ShowToolbar = 1;
        M_Tbar->SetChecked(true);
        // The scroll bars start shown as well, with their check mark.
        m_ShowScrollBars = 1;
        M_Sbars->SetChecked(true);
        m_MinHeight = schmain_design::kWindowHeight * schmain_design::kTwipsPerPixel;
        m_MinWidth = schmain_design::kWindowWidth * schmain_design::kTwipsPerPixel;
        g_FirstResize = -1;
        g_ResizeLock = -1;
        mainWindow_->move(0, 315 / schmain_design::kTwipsPerPixel);
        g_ResizeLock = 0;
        InitUnits();
        g_CurMode = MODE_COMPONENTS;
        // The pictures of the tool buttons belong to the window's design.
        LoadToolPictures(*this);
        // Without its menu profile the editor cannot offer its tools; the
        // reader has reported it and shut the window down already.
        if (!InitToolMenus(*this)) RaiseError(errnum::StartupAbandoned);
        // Printing starts from the printer's own orientation and one copy.
        g_PrintOrientation = winsys::Printer::Get().Orientation();
        g_PrintCopies = 1;
        if (!LoadSettings()) RaiseError(errnum::StartupAbandoned);
        RefreshPlacementSymbols(*this);
        // An action whose step the kernel refused leaves the design as it
        // was: the editor's page, level and lists follow it, the user is
        // told, and the page is shown again once the action has returned.
        // What the editor shows beyond the design (its mode, the symbol it
        // edits) is noted as each action starts; an action that goes back
        // as a whole comes back to it too.
        struct ShownAtStart {
            int32_t mode = 0;
            int32_t symbol = 0;
        };
        auto atStart = std::make_shared<ShownAtStart>();
        SetActionStartHandler([atStart] { *atStart = {g_CurMode, g_CurSymb}; });
        SetDesignPutBackHandler([this, atStart](PutBackReason why) {
            ShowDesignAsPutBack();
            // A close ends the window: nothing to show.
            if (why == PutBackReason::Closing) return;
            // No group left open: the whole action went back, not an edit
            // inside it that the action goes on from.
            if (UserActionRunning() && DB_ChangeDepth() == 0) {
                const auto editMode = [this](int32_t mode) {
                    return mode >= 1 && mode < MODE_ROUTING && M_FSI.Exists(mode);
                };
                if (g_CurMode != atStart->mode && editMode(g_CurMode) && editMode(atStart->mode))
                    M_FSI_Click(atStart->mode);
                g_CurSymb = atStart->symbol;
            }
            static constexpr const char* kNotDone = "Not done: the kernel refused a step - the design is as it was";
            if (why == PutBackReason::Refused) F_MsgLine->SetCaption(kNotDone);
            winsys::RunWhenUnwound([why] {
                if (!g_MainForm || !g_MainForm->IsLoaded()) return;
                g_MainForm->RepaintPutBack();
                g_MainForm->RedrawHighlight();
                // The repaint ends by clearing the message line: the notice
                // is written after it, so that it stays.
                if (why == PutBackReason::Refused) g_MainForm->F_MsgLine->SetCaption(kNotDone);
            });
        });
        g_Cursors[0] = G_SelectCur(1);
        g_Cursors[1] = G_SelectCur(2);
        SetClassCursor(ViewPicture, g_Cursors[0]);
        mainWindow_->show();
        SetScreenMousePointer(mousepointer::Default);
        ViewPicture->Refresh();
        ViewPicture->setEnabled(true);
        ViewPicture->setFocus(Qt::OtherFocusReason);
        CheckHelpMode(0, 0, 0, 0);
    } catch (const RuntimeError&) {
        // Whatever failed has reported already where it reports at all.
        ShutDown();
    } catch (...) {
        // A defect: the window goes as well, and the error goes on to the
        // boundary that reports it.
        ShutDown();
        throw;
    }
}

void EndCommandForClose(SCHMAIN& main)
{
    g_CmdRunning = 0;
    if (g_CurCommand != 0 && main.F_OST.Exists(10)) {
        // An Escape the command did not take has left option 10 pressed:
        // it is pressed anew, so that the cancel is asked for.
        if (main.F_OST(10)->Value()) main.F_OST(10)->SetValue(false);
        CancelCommand(main);
    }
    if (g_CurCommand != 0) {
        g_CurCommand = 0;
        main.m_StepRequest = 0;
        main.m_JunctionRequest = 0;
        main.m_PreviewPending = 0;
    }
    g_CmdRunning = 0;
}

void SCHMAIN::Form_QueryUnload(int& cancel, int mode)
{
    // The close box and File > Exit are refused while a command is in
    // progress (the user ends it with Escape first). The host's "EX" and the
    // end signals cannot be refused: they end the command as its cancel does
    // before they unload (CloseMainWindow), so nothing half drawn is written.
    if (g_CmdRunning != 0 || g_CurCommand != 0) {
        cancel = -1;
        return;
    }
    // In routing mode the close box asks the save question first (a failed
    // write-back keeps the window open); a close from code (the host's
    // "EX", an end signal) writes the routed wires back unasked, so that
    // the design the host writes holds them.
    LeaveRoutingOnClose(mode == unloadmode::ControlMenu);
    if (g_RouteImageActive != 0) {
        cancel = -1;
        return;
    }
    // Whatever the command or the editor's own state left marked, the
    // design the host writes holds no mark.
    ClearDesignMarks();
}

void SCHMAIN::Form_Unload(int& /*cancel*/)
{
    if (!ExitAnyWay) {
        // What the start-up made goes with the window.
        ResumeNext({
            [] { N_SetNodeView(0); },
            [] { G_SetDrawMode(0); },
            [this] {
                if (m_OverlayMF != 0) G_DeleteEnhMetaFile(m_OverlayMF);
                m_OverlayMF = 0;
            },
            [this] {
                if (m_HighlightMF != 0) G_DeleteEnhMetaFile(m_HighlightMF);
                m_HighlightMF = 0;
            },
            [this] { CloseCanvasDC(); },
            [] { G_FreeThickPen(0, 0); },
            [this] { SetFormCursor(ViewPicture, -1); },
            [this] { m_PreviewPending = 0; },
            [] { PublishAppState(0, 0); },
            [] { CloseHelp(0, g_HelpFile); },
            // No window keeps a cursor that is about to be freed.
            [] { FreeCursors(); },
            [] { SetDesignPutBackHandler(nullptr); },
            [] { SetActionStartHandler(nullptr); },
        });
    }
    // Every other open window of the editor goes first, last loaded first,
    // with one turn of the event loop before each.
    // The main window itself need not be the first one loaded.
    auto lastOther = [this]() -> Form* {
        const auto& forms = Forms();
        for (auto it = forms.rbegin(); it != forms.rend(); ++it)
            if (*it != this) return *it;
        return nullptr;
    };
    while (lastOther()) {
        {
            winsys::NestedRun turn;
            QCoreApplication::processEvents();
        }
        Form* other = lastOther();
        if (!other) break;
        // A window that refuses to go stays; the editor still closes.
        if (!other->Unload(unloadmode::Code) || other->IsLoaded()) break;
    }
    std::string aname = "PALVANE";
    std::string command = "SHUTDOWN";
    NotifyClass.Raise(aname, command);
}

void SCHMAIN::ShutDown()
{
    if (g_MainForm) g_MainForm->Unload(unloadmode::Code);
}

// Ends the editor: the main window's unload refuses while a command is in
// progress, otherwise shuts down and tells the host.
void SCHMAIN::M_Exit_Click()
{
    ShutDown();
}
