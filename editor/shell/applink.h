// The suite's applications as the editor sees them: the list of application
// identifiers from the kernel environment, the state records through which
// the applications tell each other whether they are busy, the start or
// activation of another application, whether a form is shown, the kernel's
// busy word and the call of the help engine.
#pragma once

#include "editor/shell/checked_array.h"

#include <cstdint>
#include <string>

class Form;

extern CheckedArray<std::string> g_AppList;  // from index 1
extern int32_t g_AppCount;
extern int32_t g_AppSelf;   // index of "PALVANE" in g_AppList, 0 when absent
extern int32_t g_AppMsgId;  // identifier of the suite-wide window message
// -1 while a long operation holds the database (connectivity from the
// layout, a page loaded into the wire router, printing ...), else 0;
// published as field 3 of the editor's state record.
extern int32_t g_AppBusyFlag;

// Reads the list of the suite's applications from "AllAps".
void InitAppLink();

// Writes the editor's state record under "PALVANE": the main window's
// caption, its window state, g_AppBusyFlag, `activity` and g_ModalDepth
// (numbers with the leading-blank conversion); an empty record when
// `publish` is 0.
void PublishAppState(int32_t publish, int32_t activity);

// Reads another application's state record: its window title, window state
// and the three busy fields. An application that is not running gets its
// record erased and reads as empty.
void ReadAppState(const std::string& application, std::string& title, int32_t& state, int32_t& field3,
                  int32_t& field4, int32_t& field5);

// True when the application's running flag ("MW_" + its identifier) is "1".
bool IsAppRunning(const std::string& application);

// Looks for another running application that is busy: busy 1 and its title,
// with a message box unless busy was nonzero on entry; busy 0 when none is.
void CheckOtherApps(int32_t& busy, std::string& title);

// Activates the running application's window, or asks the host to start it
// ("SHELL," and the mode); says so when that cannot be asked.
void StartApp(const std::string& application, int16_t mode);

// True when `form` is loaded and visible.
bool IsFormShown(const Form& form);

// The kernel's busy word (system table 17); nonzero while it works.
int32_t KernelBusy();

// The commands of CallWinHelp, with the help engine's numbering.
namespace helpcmd {
constexpr int32_t Context = 1;
constexpr int32_t Quit = 2;
constexpr int32_t Contents = 3;
constexpr int32_t Command = 258;
}  // namespace helpcmd

// The help engine for the main window: command 1 shows the topic whose
// number `data` holds, 2 closes the help, 3 shows the contents, 258 runs
// the macro in `data` ("PositionWindow(left, top, width, height, state,
// "main")" places the window, in 1/1024 of the screen).
void CallWinHelp(const std::string& file, int32_t command, const std::string& data);
