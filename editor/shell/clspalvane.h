// clsPalvane, the class through which the host creates, loads and talks to
// the editor. It holds the main window and the two insertion dialogs,
// forwards their NotifyClass events to the host as NotifyServer, and routes
// the library search application's replies into the dialog that asked.
#pragma once

#include "editor/shell/event.h"

#include <cstdint>
#include <string>

class SCHMAIN;
class SCHICMPD;
class SCHICMPS;

// The last value given to the property SeverPath.
extern std::string g_SeverPath;

class clsPalvane {
public:
    clsPalvane();   // Class_Initialize
    ~clsPalvane();  // Class_Terminate
    clsPalvane(const clsPalvane&) = delete;
    clsPalvane& operator=(const clsPalvane&) = delete;

    // Executes an incoming command. Errors of the command interpreter
    // propagate to the caller.
    void NotifyMe(std::string& Aname, std::string& sCommand);
    void SetSeverPath(const std::string& path);
    std::string GetSeverPath() const;
    // Shows the main window in window state iMode; true when it is up.
    bool Load(int16_t& iMode);

    Event<std::string&, std::string&> NotifyServer;

    // "PART", "SYMBOL" or empty: which insertion dialog a reply is for.
    const std::string& SearchKind() const { return m_SearchKind; }

private:
    void Forward(std::string& aname, std::string& command);

    SCHMAIN* mw_SCHMAIN = nullptr;
    SCHICMPD* mw_SCHICMPD = nullptr;
    SCHICMPS* mw_SCHICMPS = nullptr;
    int mainNotify_ = 0;
    int partConnections_[3] = {0, 0, 0};
    int symbolConnections_[3] = {0, 0, 0};
    std::string m_SearchKind;
};
