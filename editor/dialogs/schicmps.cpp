// SCHICMPS: the symbol insertion dialog, where it differs from the part
// dialog - one symbol, one preview, no part.
#include "editor/dialogs/schicmpd.h"

#include "editor/objects/comp_state.h"
#include "editor/objects/libraries.h"
#include "editor/objects/symbols.h"
#include "editor/shell/controls.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/settings.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/interaction.h"

#include <QGroupBox>

SCHICMPS::SCHICMPS() : InsertionDialog("SCHICMPS") {}

const char* SCHICMPS::LibKind() const { return kSymbolLibKind; }
const CheckedArray<std::string>& SCHICMPS::LibList() const { return g_SchLibs; }
void SCHICMPS::SetLoadedFlag(bool loaded) { g_SymbDlgLoaded = loaded; }

void SCHICMPS::DropCurrent()
{
    int32_t status = 0;
    if (m_CurSymbId == kTempSchSymbolId) DeleteUnusedSymb(status, kSchSymbol, kTempSchSymbolId);
    m_CurSymbId = 0;
    m_CurSymbName.clear();
    m_CurSymbLib.clear();
}

void SCHICMPS::ShowSymbolLabels()
{
    F_SmbFrame(0)->setTitle(QString::fromLatin1((GetMsgText("Symbol: ", "991153") + m_CurSymbName).c_str()));
    F_Slibname(0)->SetCaption(LibraryFileName(m_CurSymbLib));
}

void SCHICMPS::ReportRefFailure(int32_t code)
{
    ReportMsg(code, g_LookupSymbName);
    F_Cref()->SetText(DisplayText(m_CurSymbName));
    ShowSymbolLabels();
    ClearPreviews();
}

void SCHICMPS::MakeCurrent()
{
    F_Cref()->SetText(DisplayText(g_LookupSymbName));
    m_CurSymbName = g_LookupSymbName;
    m_CurSymbId = g_LookupSymbId;
    m_CurSymbLib = g_LookupSymbLib;
    FitPreview(0);
    ShowSymbolLabels();
    ClearPreviews();
}

void SCHICMPS::LoadRefSymbol()
{
    m_RefEdited = false;
    g_LookupSymbName = EnteredText(F_Cref()->Text());
    DropCurrent();
    F_Cref()->SetText("");
    ShowSymbolLabels();
    ClearPreviews();
    if (Trim(g_LookupSymbName).empty()) return;
    int32_t status = 1;
    int32_t index = 0;
    if (g_LookupSymbName.size() <= 255)
        GetSymb(status, kSchSymbol, g_LookupSymbName, g_LookupSymbId, g_LookupSymbLib, index);
    if (status != 0) {
        ReportRefFailure(6);
        return;
    }
    MakeCurrent();
}

void SCHICMPS::FillBrowseList(int kind, const std::string& name)
{
    F_BrowseList(kind)->Clear();
    std::vector<std::string> names;
    if (kind == 0) {
        if (!ReadLibraryNames(names)) return;
        if (Trim(m_LibPath).empty()) return;
    } else if (kind == 1) {
        const int32_t map = DB_SymbMap();
        int32_t cursor = OM_GetFirst(map);
        // Schematic symbols: status bit 1 set, bit 2 (package) clear.
        while (const int32_t id = OM_SearchMask(map, &cursor, 1, 3)) {
            if (id < 0) continue;
            names.push_back(PtrToStr(O_GetName(OM_Object(map, id))));
        }
    } else {
        return;
    }
    ShowBrowseNames(kind, names, name);
}

void SCHICMPS::F_BrowseList_Click(int index)
{
    const std::string chosen = EnteredText(F_BrowseList(index)->Text());
    if (Trim(chosen).empty() || (chosen == m_CurSymbName && m_CurSymbId != 0)) return;
    g_LookupSymbName = chosen;
    DropCurrent();
    g_LookupSymbLib.clear();
    F_Cref()->SetText("");
    ShowSymbolLabels();
    ClearPreviews();
    int32_t status = 1;
    int32_t id = 0;
    FindSymbByName(status, kSchSymbol, id, g_LookupSymbName);
    const int list = status == 0 ? 1 : index;
    if (list == 0) {
        g_LookupSymbId = kTempSchSymbolId;
        LoadSymbFromLib(status, g_LookupSymbId, m_LibPath, g_LookupSymbName);
        if (status != 0) {
            ReportRefFailure(5);
            return;
        }
        g_LookupSymbLib = m_LibPath;
    } else {
        FindSymbByName(status, kSchSymbol, g_LookupSymbId, g_LookupSymbName);
        if (status != 0) {
            ReportRefFailure(6);
            return;
        }
        g_LookupSymbLib = GetMsgText("Local library", "99852");
    }
    MakeCurrent();
}

bool SCHICMPS::FinishCompInfo()
{
    if (!TakeFreeName()) return false;
    g_CompInfo.Device = 0;
    g_CompInfo.DeviceName = FixedText("", 15);
    if (m_CurSymbId == 0) {
        winsys::Ui().Beep();
        return false;
    }
    if (!KeepTemporaryEntry(m_CurSymbId, m_CurSymbName)) return false;
    g_CompInfo.Symb = m_CurSymbId;
    g_CompInfo.SymbName = FixedText(m_CurSymbName, 15);
    FillGeometryInfo();
    return true;
}
