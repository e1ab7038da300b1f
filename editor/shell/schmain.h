// SCHMAIN, the main window: menus, tool panels, the canvas ViewPicture and
// the page list. Declared once here; each event and public procedure is
// defined in the folder of the subsystem that owns it, in a file named
// schmain_<topic>.cpp.
#pragma once

#include "editor/shell/event.h"
#include "editor/shell/forms.h"

#include <cstdint>
#include <string>

class QLabel;
class QMainWindow;
class QWidget;

class SCHMAIN : public Form {
public:
    SCHMAIN();
    ~SCHMAIN() override;

    // ---- Shell: lifecycle and host link ------------------------------------
    // True when the start-up was abandoned before the drawing resources
    // existed; the unload then releases none of them.
    bool ExitAnyWay = false;

    // Raised for every command the editor sends to the host and the suite.
    Event<std::string&, std::string&> NotifyClass;

    void AP_SendCmdAll(std::string& command);
    void AP_Shell(std::string& application, int16_t& mode);
    void AP_SendCmd(std::string& application, std::string& command);
    void AP_ExeCmd(std::string& sCommand);
    void ShutDown();

    // Form-level state of the shell.
    int32_t ToolbarFlag = 0;     // 1 = toolbar shown (check mark on M_Tbar)
    int32_t ToolPanelFlag = 0;   // 1 = tool panel shown (check mark on M_Tpan)
    bool FunctionButtonFlag = false;
    double DesignHeight = 0;     // twips, as loaded
    double DesignWidth = 0;

    // ---- View: canvas ------------------------------------------------------
    QWidget* ViewPicture = nullptr;  // the drawing canvas
    QLabel* F_MsgLine = nullptr;     // the message line
    int32_t PreviewMetafile1 = 0;    // preview metafile handles, 0 = none
    int32_t PreviewMetafile2 = 0;

    // ---- Interaction -------------------------------------------------------
    int32_t CommandPreviewFlag = 0;  // set by BeginCommand

    // Sets every form-level value to its empty value; ExitAnyWay False.
    void ResetFormState();

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Load() override;
    void Form_QueryUnload(int& cancel, int mode) override;
    void Form_Unload(int& cancel) override;

private:
    QMainWindow* mainWindow_ = nullptr;
};

// The main window; every module reaches its public procedures through it.
extern SCHMAIN* g_MainForm;

// Path of the editor's help file, the program directory, and the title used
// in message box captions.
extern std::string g_HelpFile;
extern std::string g_ProgDir;
extern std::string g_AppTitle;
extern int32_t g_ResizeLock;
extern int32_t g_FirstResize;

// Whether another instance of the editor is running. The first call claims
// the instance lock for this process; tests point it elsewhere or switch it
// off with the environment variable PALVANE_INSTANCE_LOCK (a path, or "off").
bool AppPrevInstance();
