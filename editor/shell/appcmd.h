// Command strings to the host and the suite's other applications.
#pragma once

#include <string>

// Sends "All," & command to every application.
void SendCmdAll(const std::string& command);
// Sends application & "," & command to one application, only when it has
// published its state record; never to this editor itself.
void SendCmd(const std::string& application, const std::string& command);
// Tells the applications that follow the current page (NVOSPCED and
// NVOSIM) that the page or the page set changed; those not running hear
// nothing.
void NotifyPageFollowers();
