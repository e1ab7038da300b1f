// SCHICMPD: the part, its package and gate symbols, and what Accept makes
// of them.
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

SCHICMPD::SCHICMPD() : InsertionDialog("SCHICMPD") {}

const char* SCHICMPD::LibKind() const { return kDeviceLibKind; }
const CheckedArray<std::string>& SCHICMPD::LibList() const { return g_DevLibs; }
void SCHICMPD::SetLoadedFlag(bool loaded) { g_PartDlgLoaded = loaded; }

void SCHICMPD::ForgetShown()
{
    for (int i = 0; i < 2; ++i) {
        m_SymbIds[i] = 0;
        m_SymbNames[i].clear();
        m_SymbLibs[i].clear();
    }
}

void SCHICMPD::DropShownSymbols()
{
    int32_t status = 0;
    if (m_SymbIds[0] == kTempSchSymbolId) DeleteUnusedSymb(status, kSchSymbol, kTempSchSymbolId);
    if (m_SymbIds[1] == kTempLaySymbolId) DeleteUnusedSymb(status, kLaySymbol, kTempLaySymbolId);
    ForgetShown();
}

void SCHICMPD::DropCurrent()
{
    // The temporary part goes also when it is not the current one: a part
    // whose package was not found stays loaded without becoming current,
    // until the next part is looked up or chosen, or the dialog cancelled.
    int32_t status = 0;
    if (D_Device(kTempDeviceId) != 0) DeleteUnusedDevice(status, kTempDeviceId);
    m_RefPartId = 0;
    m_RefPartName.clear();
    m_RefPartLib.clear();
    DropShownSymbols();
}

void SCHICMPD::ShowSymbolLabels()
{
    const std::string captions[2] = {GetMsgText("Symbol: ", "991153"), GetMsgText("Package: ", "99804")};
    for (int i = 0; i < 2; ++i) {
        F_SmbFrame(i)->setTitle(QString::fromLatin1((captions[i] + m_SymbNames[i]).c_str()));
        F_Slibname(i)->SetCaption(LibraryFileName(m_SymbLibs[i]));
    }
}

void SCHICMPD::ReportRefFailure(int32_t code)
{
    ReportMsg(code, g_LookupPartName);
    F_Cref()->SetText(DisplayText(m_RefPartName));
    ShowSymbolLabels();
    ClearPreviews();
}

void SCHICMPD::LoadRefPart()
{
    m_RefEdited = false;
    g_LookupPartName = EnteredText(F_Cref()->Text());
    DropCurrent();
    g_LookupPartLib.clear();
    g_CompName.clear();
    F_Cref()->SetText("");
    F_BrowseList(2)->Clear();
    ShowSymbolLabels();
    ClearPreviews();
    if (Trim(g_LookupPartName).empty()) return;
    // Names longer than the kernel's name field are no part of any library.
    int32_t status = 1;
    int32_t index = 0;
    if (g_LookupPartName.size() <= 255)
        GetDevice(status, g_LookupPartName, g_LookupPartId, g_LookupPartLib, index);
    if (status != 0) {
        ReportRefFailure(1);
        return;
    }
    DeviceRec rec{};
    if (D_ReadDevice(g_LookupPartId, &rec) == 0) {
        ReportRefFailure(2);
        return;
    }
    LoadRefPackage();
}

void SCHICMPD::LoadRefPackage()
{
    DeviceRec rec{};
    D_ReadDevice(g_LookupPartId, &rec);
    g_LookupSymbName = FirstWord(PtrToStr(rec.Package));
    int32_t status = 1;
    int32_t index = 0;
    GetSymb(status, kLaySymbol, g_LookupSymbName, g_LookupSymbId, g_LookupSymbLib, index);
    if (status != 0) {
        // The part does not become current; its device, loaded already,
        // stays until the next lookup, choice or cancel drops it.
        ReportMsg(6, g_LookupSymbName);
        return;
    }
    m_SymbNames[1] = g_LookupSymbName;
    m_SymbIds[1] = g_LookupSymbId;
    m_SymbLibs[1] = g_LookupSymbLib;
    F_Cref()->SetText(DisplayText(g_LookupPartName));
    m_RefPartName = g_LookupPartName;
    m_RefPartId = g_LookupPartId;
    m_RefPartLib = g_LookupPartLib;
    FitPreview(1);
    ShowSymbolLabels();
    ClearPreviews();
    FillBrowseList(2, "");
    if (F_BrowseList(2)->ListCount() > 0) F_BrowseList(2)->SetListIndex(0);
}

void SCHICMPD::FillBrowseList(int kind, const std::string& name)
{
    F_BrowseList(kind)->Clear();
    std::vector<std::string> names;
    if (kind == 0) {
        if (!ReadLibraryNames(names)) return;
        if (Trim(m_LibPath).empty()) return;
    } else if (kind == 1) {
        const int32_t map = DB_DeviceMap();
        int32_t cursor = OM_GetFirst(map);
        while (const int32_t id = OM_SearchMask(map, &cursor, 0, 0)) {
            if (id < 0) continue;  // library temporaries are not the design's
            names.push_back(PtrToStr(O_GetName(OM_Object(map, id))));
        }
    } else {
        DeviceRec rec{};
        if (D_ReadDevice(m_RefPartId, &rec) == 0) {
            ReportMsg(2, m_RefPartName);
            return;
        }
        for (int32_t g = 1; g <= rec.Groups; ++g) {
            GroupRec group{};
            if (D_ReadGroup(m_RefPartId, g, &group) == 0) break;
            names.push_back(PtrToStr(group.SymbName));
        }
    }
    ShowBrowseNames(kind, names, name);
}

void SCHICMPD::F_BrowseList_Click(int index)
{
    const std::string chosen = EnteredText(F_BrowseList(index)->Text());
    if (chosen.empty()) return;
    if (index == 2) {
        g_LookupGateName = chosen;
        int32_t status = 0;
        if (m_SymbIds[0] == kTempSchSymbolId) DeleteUnusedSymb(status, kSchSymbol, kTempSchSymbolId);
        m_SymbIds[0] = 0;
        m_SymbNames[0].clear();
        m_SymbLibs[0].clear();
        g_LookupGateId = 0;
        g_LookupGateLib.clear();
        ShowSymbolLabels();
        ClearPreviews();
        int32_t where = 0;
        status = 1;
        GetSymb(status, kSchSymbol, g_LookupGateName, g_LookupGateId, g_LookupGateLib, where);
        if (status != 0) {
            ReportMsg(6, g_LookupGateName);
            return;
        }
        m_SymbNames[0] = g_LookupGateName;
        m_SymbIds[0] = g_LookupGateId;
        m_SymbLibs[0] = g_LookupGateLib;
        FitPreview(0);
        ShowSymbolLabels();
        ClearPreviews();
        return;
    }
    // The other part list shows the chosen part when it holds it and no
    // entry otherwise: an entry it kept from an earlier choice (the part of
    // the design an opening selected, a part of another library file)
    // would name a part that is not the one chosen. Selecting it quietly
    // loads nothing.
    ComboBox* other = F_BrowseList(index == 0 ? 1 : 0);
    int shown = -1;
    for (int i = 0; i < other->ListCount() && shown < 0; ++i)
        if (EnteredText(other->List(i)) == chosen) shown = i;
    other->setCurrentIndex(shown);
    // The current part chosen again is loaded again as well: each opening
    // forgets the gate symbol and package shown and reselects the current
    // part to bring them back.
    g_LookupPartName = chosen;
    DropCurrent();
    g_LookupPartLib.clear();
    F_Cref()->SetText("");
    F_BrowseList(2)->Clear();
    ShowSymbolLabels();
    ClearPreviews();
    if (Trim(g_LookupPartName).empty()) return;
    int32_t status = 1;
    int32_t id = 0;
    FindDeviceByName(status, id, g_LookupPartName);
    const int list = status == 0 ? 1 : index;
    if (list == 0) {
        g_LookupPartId = kTempDeviceId;
        LoadDeviceFromLib(status, g_LookupPartId, m_LibPath, g_LookupPartName);
        if (status != 0) {
            ReportRefFailure(3);
            return;
        }
        g_LookupPartLib = m_LibPath;
    } else {
        FindDeviceByName(status, g_LookupPartId, g_LookupPartName);
        if (status != 0) {
            ReportRefFailure(1);
            return;
        }
        g_LookupPartLib = GetMsgText("Local library", "99852");
    }
    DeviceRec rec{};
    if (D_ReadDevice(g_LookupPartId, &rec) == 0) {
        ReportRefFailure(2);
        return;
    }
    LoadRefPackage();
}

bool SCHICMPD::FinishCompInfo()
{
    if (!TakeFreeName()) return false;
    if (m_RefPartId == 0) {
        winsys::Ui().Beep();
        return false;
    }
    if (!KeepTemporaryEntry(m_RefPartId, m_RefPartName)) return false;
    g_CompInfo.Device = m_RefPartId;
    g_CompInfo.DeviceName = FixedText(m_RefPartName, 15);
    if (m_SymbIds[0] == 0) {
        winsys::Ui().Beep();
        return false;
    }
    if (!KeepTemporaryEntry(m_SymbIds[0], m_SymbNames[0])) return false;
    g_CompInfo.Symb = m_SymbIds[0];
    g_CompInfo.SymbName = FixedText(m_SymbNames[0], 15);
    FillGeometryInfo();
    return true;
}
