// SCHMAIN's start-up, refusal to close and shut-down.
#include "editor/shell/schmain.h"

#include "editor/interaction/commands.h"
#include "editor/shell/applink.h"
#include "editor/shell/clspalvane.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/paths.h"
#include "editor/shell/textnum.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLockFile>
#include <QMainWindow>
#include <QStatusBar>

#include <cstdlib>
#include <unistd.h>

SCHMAIN* g_MainForm = nullptr;
std::string g_HelpFile;
std::string g_ProgDir;
std::string g_AppTitle;
int32_t g_ResizeLock = 0;
int32_t g_FirstResize = 0;

namespace {

// One twip is 1/1440 inch; the window system counts 15 twips to a pixel.
constexpr int kTwipsPerPixel = 15;

void InitProgDir()
{
    g_ProgDir = Trim(g_SeverPath);
}

}  // namespace

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
    return state == 1;
}

SCHMAIN::SCHMAIN() : Form("SCHMAIN") {}

SCHMAIN::~SCHMAIN()
{
    if (g_MainForm == this) g_MainForm = nullptr;
}

std::unique_ptr<QWidget> SCHMAIN::CreateWindow()
{
    auto window = std::make_unique<QMainWindow>();
    mainWindow_ = window.get();
    window->resize(1024, 720);

    ViewPicture = new QWidget(window.get());
    ViewPicture->setObjectName("ViewPicture");
    ViewPicture->setAutoFillBackground(true);
    QPalette pal = ViewPicture->palette();
    pal.setColor(QPalette::Window, QColor(0xFA, 0xF8, 0xF2));
    ViewPicture->setPalette(pal);
    ViewPicture->setFocusPolicy(Qt::StrongFocus);
    window->setCentralWidget(ViewPicture);

    F_MsgLine = new QLabel(window.get());
    F_MsgLine->setObjectName("F_MsgLine");
    window->statusBar()->addWidget(F_MsgLine, 1);
    return window;
}

void SCHMAIN::ForgetControls()
{
    mainWindow_ = nullptr;
    ViewPicture = nullptr;
    F_MsgLine = nullptr;
}

void SCHMAIN::ResetFormState()
{
    ExitAnyWay = false;
    ToolbarFlag = 0;
    ToolPanelFlag = 0;
    FunctionButtonFlag = false;
    DesignHeight = 0;
    DesignWidth = 0;
    PreviewMetafile1 = 0;
    PreviewMetafile2 = 0;
    CommandPreviewFlag = 0;
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
        ViewPicture->setEnabled(false);
        SetScreenMousePointer(11);
        InitProgDir();
        g_HelpFile = Trim(JoinPath(g_ProgDir, "PALVANE.HLP"));
        FunctionButtonFlag = true;
        InitAppLink();
        g_AppTitle = GetMsgText("Schematic Capture", "991155");
        mainWindow_->setWindowTitle(QString::fromLatin1(g_AppTitle.c_str()));
        ToolPanelFlag = 1;
        ToolbarFlag = 1;
        DesignHeight = mainWindow_->height() * kTwipsPerPixel;
        DesignWidth = mainWindow_->width() * kTwipsPerPixel;
        g_FirstResize = -1;
        g_ResizeLock = -1;
        mainWindow_->move(0, 315 / kTwipsPerPixel);
        g_ResizeLock = 0;
        g_CurMode = MODE_COMPONENTS;
        mainWindow_->show();
        SetScreenMousePointer(0);
        ViewPicture->setEnabled(true);
        ViewPicture->setFocus(Qt::OtherFocusReason);
    } catch (const std::exception&) {
        // Whatever failed has reported already where it reports at all.
        ShutDown();
    }
}

void SCHMAIN::Form_QueryUnload(int& cancel, int /*mode*/)
{
    if (g_CmdRunning != 0 || g_CurCommand != 0) cancel = -1;
}

void SCHMAIN::Form_Unload(int& /*cancel*/)
{
    // Every other open window of the editor goes first, last loaded first,
    // with one turn of the event loop before each.
    while (Forms().size() > 1) {
        QCoreApplication::processEvents();
        if (Forms().size() <= 1) break;
        // A window that refuses to go stays; the editor still closes.
        if (!Forms().back()->Unload(unloadmode::Code)) break;
    }
    std::string aname = "PALVANE";
    std::string command = "SHUTDOWN";
    NotifyClass.Raise(aname, command);
}

void SCHMAIN::ShutDown()
{
    if (g_MainForm) g_MainForm->Unload(unloadmode::Code);
}
