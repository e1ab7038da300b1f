// norvo32, the host program: creates the editor, loads it, passes the
// command strings read from standard input in and prints those that come
// out.
//
//   norvo32 [design-file]
//   norvo32 --help | -h
//
// Standard output: one line "Aname<TAB>sCommand" for every command the
// editor sends. Standard input: one command a line, "Aname<TAB>" optional,
// at most 65,536 bytes a line; a longer line, one holding a NUL byte, one
// addressed to another application and one with a verb the editor does not
// know are refused with a line on standard error, and once the editor has
// shut down the lines still waiting are not passed on.
//
// The design file is loaded before the editor starts (a new design when it
// does not exist); a file that cannot be loaded ends the host with status 1
// and a message on standard error, before anything is written. When the
// editor has shut down, the previous file is kept as "<file>.bak" and the
// design is written back atomically. A design whose file or backup the user
// may not write is refused at the start as well; should the save at the
// close fail anyway, the design is written to a new file in the job folder
// (else the home folder), standard error names it and the status is 1.
// SIGTERM, SIGINT and SIGHUP close the editor the normal way, so the design
// is written back then too.
#include "host/command_reader.h"
#include "host/host_run.h"
#include "platform/kernel/nvokernel32.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

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
    "Command strings are read from standard input, one a line of at most 65536 bytes; the\n"
    "editor's own commands are printed on standard output. A line refused (too long, holding a\n"
    "NUL byte, addressed to another application, or with a verb the editor does not know) is\n"
    "named on standard error.\n";

static_assert(CommandReader::kMaxLineBytes == 65536, "the usage names the line limit");

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
    HostOptions options;
    options.designFile = args.size() == 2 ? QFile::encodeName(args[1]).toStdString() : std::string();
    options.dataFolder = data;
    return RunHost(options);
}
