// SCHMAIN's command interpreter and the senders of outgoing commands.
#include "editor/shell/schmain.h"

#include "editor/interaction/commands.h"
#include "editor/shell/appcmd.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/textnum.h"

void SCHMAIN::AP_SendCmdAll(std::string& command)
{
    std::string aname = "PALVANE";
    NotifyClass.Raise(aname, command);
}

void SCHMAIN::AP_Shell(std::string& application, int16_t& mode)
{
    std::string command = "SHELL," + std::to_string(mode);
    NotifyClass.Raise(application, command);
}

void SCHMAIN::AP_SendCmd(std::string& application, std::string& command)
{
    NotifyClass.Raise(application, command);
}

void SCHMAIN::AP_ExeCmd(std::string& sCommand)
{
    if (sCommand.empty()) return;
    SplitFields(sCommand);
    const std::string target = g_ArgStr(1);
    if (target != "All" && target != "PALVANE") return;
    const std::string verb = g_ArgStr(2);  // error 9 when there is no verb
    if (verb == "MX") {
        g_MainForm->SetWindowState(winstate::Maximized);
    } else if (verb == "MN") {
        g_MainForm->SetWindowState(winstate::Minimized);
    } else if (verb == "DF") {
        g_MainForm->SetWindowState(winstate::Normal);
    } else if (verb == "EX") {
        // A running command is abandoned so that the close is not refused.
        g_CurCommand = 0;
        g_CmdRunning = 0;
        g_MainForm->Unload(unloadmode::Code);
    }
}

void SendCmdAll(const std::string& command)
{
    if (!g_MainForm) return;
    std::string text = "All," + command;
    g_MainForm->AP_SendCmdAll(text);
}

void SendCmd(const std::string& application, const std::string& command)
{
    if (application == "PALVANE" || !g_MainForm) return;
    const std::string record = PtrToStr(E_GetString(application.c_str()));
    if (record.empty()) return;
    std::string app = application;
    std::string text = application + "," + command;
    g_MainForm->AP_SendCmd(app, text);
}
