#include "host/host_run.h"

#include "editor/shell/palvane.h"
#include "host/command_reader.h"
#include "host/design_file.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/nested_runs.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A text as it shows in a message: printable ASCII as it is, a backslash
// and a double quote behind a backslash, tab, CR and LF as \t, \r and \n,
// every other byte (NUL, controls, Latin-1 letters) as \xHH. A message
// thus shows the whole command, also past a NUL, on one line.
std::string Escaped(const std::string& text)
{
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\' || c == '"') {
            out += '\\';
            out += c;
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (u < 0x20 || u >= 0x7F) {
            out += "\\x";
            out += kHex[u >> 4];
            out += kHex[u & 15];
        } else {
            out += c;
        }
    }
    return out;
}

// The line as read, for a message.
std::string LineRead(const std::string& aname, const std::string& command)
{
    return aname.empty() ? command : aname + '\t' + command;
}

void Refuse(const std::string& line, const std::string& why)
{
    std::fprintf(stderr, "norvo32: command \"%s\" refused: %s\n", Escaped(line).c_str(), why.c_str());
}

struct HostState {
    PalvaneInstance* editor = nullptr;
    bool shutdown = false;
    // True while the editor's start-up runs: the commands read meanwhile
    // (a start-up message box runs the event loop) wait until it is up,
    // all but the close.
    bool starting = true;
};

// Passes one command to the editor; a failure is reported as one line.
void Deliver(HostState& state, const std::string& aname, const std::string& command)
{
    // Once the editor has shut down, nothing more goes to it.
    if (state.shutdown || !state.editor) return;
    char error[512];
    const int32_t result =
        Palvane_NotifyMe(state.editor, aname.c_str(), command.c_str(), error, static_cast<int32_t>(sizeof error));
    if (result != 0)
        std::fprintf(stderr, "norvo32: command \"%s\" failed: error %d: %s\n", Escaped(command).c_str(),
                     static_cast<int>(result), error);
}

// Whether a command asks the editor to close ("PALVANE,EX", "All,EX").
bool IsClose(const std::string& command)
{
    const size_t comma = command.find(',');
    if (comma == std::string::npos) return false;
    const size_t end = command.find(',', comma + 1);
    return command.substr(comma + 1, end == std::string::npos ? std::string::npos : end - comma - 1) == "EX";
}

// Whether a command comes from the library search, whose answer goes to
// the editor's part or symbol dialog while that dialog waits (the name
// compared as the editor does: blanks around it dropped, any case).
bool AnswersWaitingDialog(const std::string& aname)
{
    const size_t first = aname.find_first_not_of(' ');
    std::string name = first == std::string::npos ? std::string() : aname.substr(first, aname.find_last_not_of(' ') - first + 1);
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name == "NVOLIBSC";
}

// Whether a command the editor sent is addressed to the editor itself: to
// every application ("All") or to "PALVANE" (case as sent).
bool AddressedToEditor(const std::string& command)
{
    const std::string target = command.substr(0, command.find(','));
    return target == "All" || target == "PALVANE";
}

// The verbs the editor's command interpreter acts on (SCHMAIN::AP_ExeCmd);
// it drops every other verb without a word.
constexpr const char* kEditorVerbs[] = {"RD", "MX", "MN", "DF", "UP", "EX", "FS", "BS", "PX"};

// Why a command line read would do nothing in the editor, or "" when the
// editor takes it. The editor acts on commands addressed to "All" or
// "PALVANE" (exact case) with one of its verbs; the library search's
// answers go to the part or symbol dialog whatever they hold. An empty
// command does nothing and is passed on; one whose verb field is missing
// is passed on too: the editor reports it as error 9.
std::string Refusal(const std::string& aname, const std::string& command)
{
    if (command.empty() || AnswersWaitingDialog(aname)) return {};
    const size_t comma = command.find(',');
    const std::string target = command.substr(0, comma);
    if (target != "All" && target != "PALVANE")
        return "it is addressed to \"" + Escaped(target) + "\", not to the editor (\"PALVANE\" or \"All\")";
    if (comma == std::string::npos) return {};
    const size_t end = command.find(',', comma + 1);
    const std::string verb = command.substr(comma + 1, end == std::string::npos ? std::string::npos : end - comma - 1);
    for (const char* known : kEditorVerbs)
        if (verb == known) return {};
    std::string verbs;
    for (const char* known : kEditorVerbs) verbs += std::string(verbs.empty() ? "" : ", ") + known;
    return "\"" + Escaped(verb) + "\" is not a verb of the editor (it takes " + verbs + ")";
}

// Every command the editor sends is printed for the suite. As the suite's
// hub the host also delivers those addressed to the editor back to it: in
// the order sent, once the sending procedure has returned and no dialog of
// it is running, never from inside it.
void OnNotifyServer(void* context, const char* aname, const char* command)
{
    auto* state = static_cast<HostState*>(context);
    const std::string sender = aname ? aname : "";
    const std::string text = command ? command : "";
    std::printf("%s\t%s\n", sender.c_str(), text.c_str());
    std::fflush(stdout);
    if (text == "SHUTDOWN") {
        state->shutdown = true;
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return;
    }
    if (AddressedToEditor(text))
        winsys::RunWhenUnwound([state, sender, text] { Deliver(*state, sender, text); });
}

// The signals that end the host are turned into a byte on this pair, read
// from the event loop.
int g_signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    const ssize_t written = write(g_signalPipe[1], &byte, 1);
    (void)written;
}

// The editor's job folder, "" when it gives none.
std::string JobFolder(PalvaneInstance* editor)
{
    const int32_t length = Palvane_GetJobFolder(editor, nullptr, 0);
    if (length <= 0) return {};
    std::string folder(static_cast<size_t>(length) + 1, '\0');
    Palvane_GetJobFolder(editor, folder.data(), static_cast<int32_t>(folder.size()));
    folder.resize(static_cast<size_t>(length));
    return folder;
}

// The user's home folder ($HOME, else the account's entry).
std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return {};
}

// After the design could not be written to its file (`why`): the session's
// work is written to a new file in the job folder, else in the home folder,
// and standard error says where, or that nothing could be written.
void SaveElsewhere(const std::string& designFile, const std::string& why, const std::string& jobFolder)
{
    std::string written;
    std::string error;
    if (RescueDesign(designFile, {jobFolder, HomeFolder()}, written, error))
        std::fprintf(stderr, "norvo32: the design was not saved to %s: %s; the session's work is in %s\n",
                     designFile.c_str(), why.c_str(), written.c_str());
    else
        std::fprintf(stderr,
                     "norvo32: the design was not saved to %s: %s; it could not be written anywhere else either "
                     "(%s): the session's work is lost\n",
                     designFile.c_str(), why.c_str(), error.c_str());
}

}  // namespace

void CatchEndSignals()
{
    if (g_signalPipe[0] >= 0) return;
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) return;
    struct sigaction action {};
    action.sa_handler = &OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

int RunHost(const HostOptions& options)
{
    const std::string& designFile = options.designFile;
    if (designFile.empty()) {
        NewDesign();
    } else {
        std::string error;
        // A design that could not be saved is refused before the window
        // opens, not when it closes.
        if (!CheckWritable(designFile, error) || !OpenDesignFile(designFile, error)) {
            std::fprintf(stderr, "norvo32: %s\n", error.c_str());
            return 1;
        }
    }

    // Work waiting for the event loop to unwind holds the state, so that
    // it finds the editor gone rather than the state when the host ended
    // first.
    const auto shared = std::make_shared<HostState>();
    HostState& state = *shared;
    state.editor = Palvane_CreateInstance();
    if (!state.editor) {
        std::fprintf(stderr, "norvo32: the editor could not be created\n");
        DB_DiscardDataBase();
        return 1;
    }
    Palvane_SetNotifyServer(state.editor, &OnNotifyServer, &state);
    Palvane_SetSeverPath(state.editor, options.dataFolder.toLocal8Bit().constData());

    // An end signal closes the editor as the host's "EX" does, also while
    // the start-up still runs (its message boxes end as their Cancel
    // would); should the editor not close, the event loop ends and
    // releasing the editor closes it.
    std::unique_ptr<QSocketNotifier> endSignals;
    if (g_signalPipe[0] >= 0) {
        endSignals = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
        QObject::connect(endSignals.get(), &QSocketNotifier::activated, [shared] {
            HostState& state = *shared;
            char byte = 0;
            const ssize_t got = read(g_signalPipe[0], &byte, 1);
            (void)got;
            if (state.shutdown || !state.editor) return;
            char error[512];
            if (Palvane_NotifyMe(state.editor, "PALVANE", "PALVANE,EX", error, static_cast<int32_t>(sizeof error)) != 0) {
                QTimer::singleShot(0, qApp, &QCoreApplication::quit);
                return;
            }
            winsys::RunWhenUnwound([shared] {
                if (!shared->shutdown && shared->editor) QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            });
        });
    }

    // The commands are read from the start: a message box of the start-up
    // runs the event loop, and the close ("EX") must reach the editor while
    // it waits, as an end signal does.
    CommandReader reader(
        [shared](const std::string& aname, const std::string& command) {
            HostState& state = *shared;
            // The editor takes C strings: a line holding a NUL byte would
            // reach it cut short, as another command than the one sent.
            if (state.shutdown || !state.editor) return;
            if (aname.find('\0') != std::string::npos || command.find('\0') != std::string::npos) {
                Refuse(LineRead(aname, command), "it holds a NUL byte");
                return;
            }
            // A line the editor would drop without a word is refused with
            // one here (standard output keeps to the editor's commands).
            if (const std::string why = Refusal(aname, command); !why.empty()) {
                Refuse(LineRead(aname, command), why);
                return;
            }
            // A command that arrives while a dialog or wait of the editor
            // runs would start inside the action that waits: it runs once
            // that has ended, in the order read. The close goes at once: it
            // ends the waits itself; so does the library search's answer,
            // which fills in the part or symbol dialog that waits for it
            // (during the start-up no dialog waits for it: it waits too).
            const bool waits = state.starting ? !IsClose(command)
                                              : winsys::NestedRunDepth() > 0 && !IsClose(command) &&
                                                    !AnswersWaitingDialog(aname);
            if (waits) {
                winsys::RunWhenUnwound([shared, aname, command] { Deliver(*shared, aname, command); });
                return;
            }
            Deliver(state, aname, command);
        },
        [shared](const std::string& start, uint64_t length) {
            // Not kept whole: its start names it.
            if (shared->shutdown || !shared->editor) return;
            Refuse(start + "...", "the line is " + std::to_string(length) + " bytes long; a line may hold at most " +
                                      std::to_string(CommandReader::kMaxLineBytes) + " bytes");
        },
        options.commandInput);
    reader.Start();

    bool loaded = false;
    {
        // Nothing that waits for the event loop to unwind (a close, a
        // command delivered back) runs inside the start-up.
        winsys::NestedRun startUp;
        loaded = Palvane_Load(state.editor, 0) != 0;
    }
    state.starting = false;
    if (!loaded) {
        std::fprintf(stderr, "norvo32: the editor did not start\n");
        reader.Stop();
        endSignals.reset();
        Palvane_Release(state.editor);
        // What still waits for the event loop finds no editor.
        state.editor = nullptr;
        state.shutdown = true;
        DB_DiscardDataBase();
        return 1;
    }

    if (options.started) options.started(state.editor);
    if (!state.shutdown) QApplication::exec();
    reader.Stop();
    endSignals.reset();
    // Where the design goes should its own file not take it: the job
    // folder as the editor's settings have it at the close.
    const std::string jobFolder = JobFolder(state.editor);
    Palvane_Release(state.editor);
    state.editor = nullptr;
    state.shutdown = true;
    int status = 0;
    if (!designFile.empty()) {
        std::string error;
        // The file may have changed during the session (made read-only,
        // replaced by a directory): checked again as at the start, so that
        // what its rights forbid is not written.
        if (!CheckWritable(designFile, error) || !SaveDesignFile(designFile, error)) {
            SaveElsewhere(designFile, error, jobFolder);
            status = 1;
        }
    }
    // The design is closed while the application still exists.
    DB_DiscardDataBase();
    return status;
}
