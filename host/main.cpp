// norvo32, the host program: creates the editor, loads it, passes the
// command strings read from standard input in and prints those that come
// out.
//
//   norvo32 [design-file]
//   norvo32 --help | -h
//
// Standard output: one line "Aname<TAB>sCommand" for every command the
// editor sends. Standard input: one command a line, "Aname<TAB>" optional;
// a line holding a NUL byte is refused, and once the editor has shut down
// the lines still waiting are not passed on.
//
// The design file is loaded before the editor starts (a new design when it
// does not exist); a file that cannot be loaded ends the host with status 1
// and a message on standard error, before anything is written. When the
// editor has shut down, the previous file is kept as "<file>.bak" and the
// design is written back atomically. SIGTERM, SIGINT and SIGHUP close the
// editor the normal way, so the design is written back then too.
#include "editor/shell/palvane.h"
#include "host/command_reader.h"
#include "host/design_file.h"
#include "platform/kernel/nvokernel32.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

#include <QSocketNotifier>

#include <csignal>
#include <memory>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/socket.h>
#include <unistd.h>

namespace {

struct HostState {
    bool shutdown = false;
};

void OnNotifyServer(void* context, const char* aname, const char* command)
{
    auto* state = static_cast<HostState*>(context);
    std::printf("%s\t%s\n", aname ? aname : "", command ? command : "");
    std::fflush(stdout);
    if (command && std::strcmp(command, "SHUTDOWN") == 0) {
        state->shutdown = true;
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
}

bool HasDisplay()
{
    if (std::getenv("QT_QPA_PLATFORM")) return true;
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

constexpr const char* kUsage =
    "usage: norvo32 [design-file]\n"
    "Opens the design file in the schematic editor (a new design when the file does not exist)\n"
    "and writes it back when the editor closes, keeping the previous file as design-file.bak.\n"
    "Command strings are read from standard input, one a line; the editor's own commands are\n"
    "printed on standard output.\n";

// The signals that end the host are turned into a byte on this pair, read
// from the event loop.
int g_signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    const ssize_t written = write(g_signalPipe[1], &byte, 1);
    (void)written;
}

void CatchEndSignals()
{
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) return;
    struct sigaction action {};
    action.sa_handler = &OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

// The shipped data folder, beside the build or installation's bin folder.
QString DataFolder()
{
    const QString data = QCoreApplication::applicationDirPath() + "/../data";
    if (QFileInfo(data).isDir()) return QDir(data).canonicalPath();
    return QDir(data).absolutePath();
}

// The user's own settings file when present, else the shipped one.
QString SettingsFile(const QString& data)
{
    const QString own =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/norvo32/norvo32.ini";
    if (QFileInfo::exists(own)) return own;
    return data + "/norvo32.ini";
}

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        // An argument that starts with "-" is an option, never a design.
        if (!arg.empty() && arg[0] == '-') {
            std::fprintf(stderr, "norvo32: unknown option %s\n%s", arg.c_str(), kUsage);
            return 2;
        }
    }
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "norvo32: no display found; run it under a virtual display instead: "
                     "xvfb-run ./run.sh\n");
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("norvo32");
    // From here on an end signal is only noted; it is acted on once the
    // event loop runs, however long the start-up takes.
    CatchEndSignals();

    const QStringList args = QApplication::arguments();
    if (args.size() > 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    const QString data = DataFolder();
    E_SetString("IniFile", QDir::toNativeSeparators(SettingsFile(data)).toLocal8Bit().constData());
    const std::string designFile = args.size() == 2 ? QFile::encodeName(args[1]).toStdString() : std::string();
    if (designFile.empty()) {
        NewDesign();
    } else {
        std::string error;
        // A design that could not be saved is refused before the window
        // opens, not when it closes.
        if (!CheckWritable(designFile, error)) {
            std::fprintf(stderr, "norvo32: %s\n", error.c_str());
            return 1;
        }
        if (!OpenDesignFile(designFile, error)) {
            std::fprintf(stderr, "norvo32: %s\n", error.c_str());
            return 1;
        }
    }

    HostState state;
    PalvaneInstance* editor = Palvane_CreateInstance();
    if (!editor) {
        std::fprintf(stderr, "norvo32: the editor could not be created\n");
        DB_DiscardDataBase();
        return 1;
    }
    Palvane_SetNotifyServer(editor, &OnNotifyServer, &state);
    Palvane_SetSeverPath(editor, data.toLocal8Bit().constData());
    if (Palvane_Load(editor, 0) == 0) {
        std::fprintf(stderr, "norvo32: the editor did not start\n");
        Palvane_Release(editor);
        DB_DiscardDataBase();
        return 1;
    }

    CommandReader reader([editor, &state](const std::string& aname, const std::string& command) {
        // Once the editor has shut down, the lines still waiting go nowhere.
        if (state.shutdown) return;
        // The editor takes C strings: a line holding a NUL byte would reach
        // it cut short, as another command than the one sent.
        if (aname.find('\0') != std::string::npos || command.find('\0') != std::string::npos) {
            std::fprintf(stderr, "norvo32: command \"%s\" refused: it holds a NUL byte\n", command.c_str());
            return;
        }
        char error[512];
        const int32_t result = Palvane_NotifyMe(editor, aname.c_str(), command.c_str(), error,
                                                static_cast<int32_t>(sizeof error));
        if (result != 0)
            std::fprintf(stderr, "norvo32: command \"%s\" failed: error %d: %s\n", command.c_str(),
                         static_cast<int>(result), error);
    });
    reader.Start();

    std::unique_ptr<QSocketNotifier> endSignals;
    if (g_signalPipe[0] >= 0) endSignals = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    if (endSignals) QObject::connect(endSignals.get(), &QSocketNotifier::activated, [&] {
        char byte = 0;
        const ssize_t got = read(g_signalPipe[0], &byte, 1);
        (void)got;
        // The editor closes as for the host's "EX"; should that fail, the
        // event loop ends and releasing the editor closes it.
        char error[512];
        if (Palvane_NotifyMe(editor, "PALVANE", "PALVANE,EX", error, static_cast<int32_t>(sizeof error)) != 0 ||
            !state.shutdown)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    });

    if (!state.shutdown) app.exec();
    reader.Stop();
    Palvane_Release(editor);
    int status = 0;
    if (!designFile.empty()) {
        std::string error;
        if (!SaveDesignFile(designFile, error)) {
            std::fprintf(stderr, "norvo32: %s\n", error.c_str());
            status = 1;
        }
    }
    // The design is closed while the application still exists.
    DB_DiscardDataBase();
    return status;
}
