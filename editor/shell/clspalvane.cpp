#include "editor/shell/clspalvane.h"

#include "editor/dialogs/schicmpd.h"
#include "editor/shell/applink.h"
#include "editor/shell/controls.h"
#include "editor/shell/errors.h"
#include "editor/shell/paths.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textnum.h"

#include "platform/winsys/latin1.h"

#include <QLineEdit>

std::string g_SeverPath;

clsPalvane::clsPalvane()
{
    auto forward = [this](std::string& a, std::string& c) { Forward(a, c); };
    mw_SCHMAIN = &FormInstance<SCHMAIN>();
    mainNotify_ = mw_SCHMAIN->NotifyClass.Connect(forward);

    mw_SCHICMPD = &FormInstance<SCHICMPD>();
    partConnections_[0] = mw_SCHICMPD->Initialise.Connect([this] { m_SearchKind = "PART"; });
    partConnections_[1] = mw_SCHICMPD->NotifyClass.Connect(forward);
    partConnections_[2] = mw_SCHICMPD->Terminate.Connect([this] { m_SearchKind.clear(); });

    mw_SCHICMPS = &FormInstance<SCHICMPS>();
    symbolConnections_[0] = mw_SCHICMPS->Initialise.Connect([this] { m_SearchKind = "SYMBOL"; });
    symbolConnections_[1] = mw_SCHICMPS->NotifyClass.Connect(forward);
    symbolConnections_[2] = mw_SCHICMPS->Terminate.Connect([this] { m_SearchKind.clear(); });
}

clsPalvane::~clsPalvane()
{
    if (mw_SCHMAIN) {
        try {
            mw_SCHMAIN->Unload(unloadmode::Code);
        } catch (const std::exception&) {
            // Releasing the class never fails; the window is gone either way.
        }
        mw_SCHMAIN->NotifyClass.Disconnect(mainNotify_);
        mw_SCHMAIN = nullptr;
    }
    if (mw_SCHICMPS) {
        mw_SCHICMPS->Initialise.Disconnect(symbolConnections_[0]);
        mw_SCHICMPS->NotifyClass.Disconnect(symbolConnections_[1]);
        mw_SCHICMPS->Terminate.Disconnect(symbolConnections_[2]);
        mw_SCHICMPS = nullptr;
    }
    if (mw_SCHICMPD) {
        mw_SCHICMPD->Initialise.Disconnect(partConnections_[0]);
        mw_SCHICMPD->NotifyClass.Disconnect(partConnections_[1]);
        mw_SCHICMPD->Terminate.Disconnect(partConnections_[2]);
        mw_SCHICMPD = nullptr;
    }
}

void clsPalvane::Forward(std::string& aname, std::string& command)
{
    NotifyServer.Raise(aname, command);
}

void clsPalvane::SetSeverPath(const std::string& path)
{
    g_SeverPath = path;
    // The host's SeverPath is the installation's data folder.
    SetDataDir(path);
}

std::string clsPalvane::GetSeverPath() const
{
    return g_SeverPath;
}

bool clsPalvane::Load(int16_t& iMode)
{
    bool result = false;
    ResumeNext({
        [] { SetScreenMousePointer(11); },
        [this] { mw_SCHMAIN->Show(); },
        [&] {
            if (IsFormShown(*mw_SCHMAIN)) {
                mw_SCHMAIN->SetWindowState(iMode);
                result = true;
            }
        },
        [] { SetScreenMousePointer(0); },
    });
    return result;
}

void clsPalvane::NotifyMe(std::string& Aname, std::string& sCommand)
{
    if (!sCommand.empty()) mw_SCHMAIN->AP_ExeCmd(sCommand);
    SplitFields(sCommand);
    const int32_t count = ToLong(g_ArgNum(0));
    if (count == 2 && (g_ArgStr(2) == "SD" || g_ArgStr(2) == "SS")) return;
    if (UCase(Trim(Aname)) != "NVOLIBSC") return;
    InsertionDialog* dialog = nullptr;
    if (m_SearchKind == "SYMBOL")
        dialog = mw_SCHICMPS;
    else if (m_SearchKind == "PART")
        dialog = mw_SCHICMPD;
    if (!dialog || sCommand.empty()) return;
    SplitFields(sCommand);
    if (ToLong(g_ArgNum(0)) < 1) return;
    dialog->F_Cref()->setText(ToQ(Trim(g_ArgStr(1))));
    if (dialog == mw_SCHICMPS)
        mw_SCHICMPS->LoadRefSymbol();
    else
        mw_SCHICMPD->LoadRefPart();
    dialog->SetFocus();
}
