#include "editor/shell/caption.h"

#include "editor/shell/msgtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textnum.h"

#include <algorithm>

std::string g_DbName;
std::string g_CurPageName;
int32_t g_CopparSymb = 0;
int32_t g_AgapMskSymb = 0;

namespace {

constexpr int32_t kNoDatabaseMsg = 100;

std::string NameInMap(int32_t map, int32_t id)
{
    const int32_t object = OM_Object(map, id);
    return object != 0 ? PtrToStr(O_GetName(object)) : std::string();
}

// The symbol `id` named `name`: made when the kernel has none; 0 when it
// could not be made under that id.
int32_t EnsureSymbol(int32_t id, const char* name)
{
    if (S_Symbol(id) != 0) return id;
    return S_CreateSymbol(id, name) == id ? id : 0;
}

}  // namespace

bool ReadMainCaption()
{
    const int32_t database = DB_DataBase();
    if (database == 0) return false;
    g_DbName = PtrToStr(O_GetName(database));
    g_CurHier = DB_CurHier();
    g_CurHierName = NameInMap(DB_HierarchyMap(), g_CurHier);
    g_CurPage = DB_CurPage();
    g_CurPageName = NameInMap(DB_PageMap(), g_CurPage);
    if (g_MainForm && g_MainForm->IsLoaded())
        g_MainForm->SetCaption(GetMsgText("Norvo32 - Schematics Capture (", "13102") + DisplayText(g_CurPageName) +
                               ")");
    ReadCurrentPage();
    return true;
}

void SetMainCaption(int32_t& status)
{
    status = DB_DataBase();
    if (status == 0) {
        ReportMsg(kNoDatabaseMsg);
        if (g_MainForm) g_MainForm->ShutDown();
        return;
    }
    ReadMainCaption();
    EnsureSpecialSymbols();
}

void EnsureSpecialSymbols()
{
    const int32_t h = g_CurHier;
    const int32_t p = g_CurPage;
    g_CopparSymb = EnsureSymbol(-400 - h, "@COPPAR");
    g_DesNotesSymb = EnsureSymbol(-100 - h, "@DESNOTES");
    // A level without a current page has no page notes (the id of page 0
    // would be one the kernel keeps for no symbol).
    g_PageNotesSymb = p > 0 ? EnsureSymbol(-((h + 9) * 100 + p), "@PGENOTES") : 0;
    g_AgapMskSymb = EnsureSymbol(-800 - h, "@AGAPMSK");
    if (g_CopparSymb != 0) O_Mask(S_Symbol(g_CopparSymb), 2, 2);
    if (g_AgapMskSymb != 0) O_Mask(S_Symbol(g_AgapMskSymb), 2, 2);
}

std::string RecordCaption(const std::string& caption)
{
    std::string text = caption;
    std::replace(text.begin(), text.end(), ',', ';');
    return text;
}
