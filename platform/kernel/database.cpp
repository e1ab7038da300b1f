// The open database as a whole: creation, levels, pages and the maps of the
// current level.
#include "platform/kernel/database.h"

#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/registry.h"
#include "platform/kernel/systables.h"
#include "platform/kernel/testing.h"

#include <cstdio>
#include <stdexcept>
#include <string_view>

namespace kernel {

namespace {

std::unique_ptr<Database>& Open()
{
    static std::unique_ptr<Database> db;
    return db;
}

}  // namespace

void SetDb(std::unique_ptr<Database> db)
{
    BeforeDesignReplaced();
    DropDecodedPictures();
    // The new one is open before the old one goes, as the owning pointer
    // has it.
    g_openDb = db.get();
    Open() = std::move(db);
}

const char* ReservedSymbolName(int32_t id)
{
    if (id == -1 || id == -2) return "";
    const int64_t n = -int64_t{id};
    auto within = [n](int64_t low, int64_t high) { return n >= low && n <= high; };
    // With levels and pages 1..99 these ranges never meet.
    if (within(101, 199)) return "@DESNOTES";
    if (within(401, 499)) return "@COPPAR";
    if (within(801, 899)) return "@AGAPMSK";
    if (within(1001, 10899) && n % 100 != 0) return "@PGENOTES";
    if (within(12001, 12099)) return "ZoneSymbol";
    if (within(13001, 13099)) return "GridSymbol";
    return nullptr;
}

Level* LevelOf(const Object& object)
{
    const Object* o = &object;
    while (o) {
        if (o->kind == Kind::Level) return const_cast<Level*>(static_cast<const Level*>(o));
        o = OwnerOf(*o);
    }
    return nullptr;
}

void Level::NoteGeometry(const Object* top)
{
    geometryEpoch = NextGeometryEpoch();
    if (!top || geometryLog.size() >= kMaxGeometryLog) {
        geometryLog.clear();
        geometryLogFrom = geometryEpoch;
        return;
    }
    // A drag changes one object many times over: one note each.
    if (!geometryLog.empty() && geometryLog.back().kind == top->kind && geometryLog.back().id == top->id) {
        geometryLog.back().epoch = geometryEpoch;
        return;
    }
    geometryLog.push_back(GeometryNote{geometryEpoch, top->kind, top->id});
}

void GeometryChanged(const Object* where)
{
    // Climb to the level, keeping the object directly on it.
    const Object* top = nullptr;
    for (const Object* o = where; o; o = OwnerOf(*o)) {
        if (o->kind == Kind::Level) {
            const_cast<Level*>(static_cast<const Level*>(o))->NoteGeometry(top);
            return;
        }
        top = o;
    }
    // Design-wide objects (and objects not placed anywhere yet, which reach
    // a level only through an insertion that notes itself).
    if (Database* db = Db()) db->geometryEpoch = NextGeometryEpoch();
}

namespace {

// The bare name in a compiler's function signature: "int C_Foo(int, int*)"
// gives "C_Foo".
std::string_view BareName(std::string_view signature)
{
    const size_t open = signature.find('(');
    if (open != std::string_view::npos) signature = signature.substr(0, open);
    const size_t start = signature.find_last_of(" *&");
    return start == std::string_view::npos ? signature : signature.substr(start + 1);
}

std::string& FaultTarget()
{
    static std::string target;
    return target;
}

}  // namespace

void ReportUnexpected(const char* function, const char* what) noexcept
{
    const std::string_view name = BareName(function ? function : "");
    std::fprintf(stderr, "NVOKernel32: unexpected exception in %.*s: %s\n", static_cast<int>(name.size()), name.data(),
                 what ? what : "");
    std::fflush(stderr);
}

void InjectFault(const char* function)
{
    if ((g_guardWatch & kWatchFault) && BareName(function) == FaultTarget())
        throw std::logic_error("fault injected for tests");
}

bool CallRefused(const char* function) noexcept
{
    return kernel_testing::RefusalArmed() && kernel_testing::RefuseCall(BareName(function));
}

bool ChangesDesign(std::string_view name) noexcept
{
    static constexpr std::string_view kWords[] = {"Create", "Change", "Delete", "Insert",      "Add",
                                                  "Rename", "Discard", "Make",  "Move",        "Copy",
                                                  "Swap",   "SetBusMember",     "SetLength",   "Write",
                                                  "Remove", "LoadDevice",       "LoadSymbol"};
    if (name == "DB_BeginChange" || name == "DB_EndChange" || name == "DB_ChangeDepth" || name == "E_MemCopy" ||
        name.starts_with("G_") || name.starts_with("KT_"))
        return false;
    // Marks, the current level and page, reserved ids and the page's view
    // are held by the design as well.
    if (name.find("_Mask") != std::string_view::npos || name == "DB_SetCurHier" || name == "DB_SetCurPage" ||
        name == "GetFreeID")
        return true;
    for (std::string_view word : kWords)
        if (name.find(word) != std::string_view::npos) return true;
    return false;
}

void NoteFailedStep(const char* function, bool refused) noexcept
{
    const std::string_view name = BareName(function ? function : "");
    // A call the kernel refused or could not finish is a failure whatever
    // it does, a read too: the edit that made it has no answer to go on.
    if (refused) {
        if (!name.starts_with("KT_")) MarkChangeStepFailed();
        return;
    }
    // A read that finds nothing is an answer; so is the failure result of a
    // call that changes the design when its body called it an outcome (the
    // guard does not call this then).
    if (ChangesDesign(name)) MarkChangeStepFailed();
}

void SetFaultTarget(const char* name)
{
    FaultTarget() = name ? name : "";
    SetGuardWatch(kWatchFault, !FaultTarget().empty());
}

namespace {

// A new level with its first page, under `id` (0: the lowest free id).
Level* AddLevel(Database& db, int32_t id, const char* name, const char* pageName)
{
    auto level = std::make_unique<Level>();
    Level* raw = level.get();
    raw->name = name;
    if (!db.levels.Insert(std::move(level), id)) return nullptr;
    if (pageName && *pageName) {
        auto page = std::make_unique<Page>();
        page->name = pageName;
        raw->curPage = raw->pages.Insert(std::move(page));
    }
    return raw;
}

int32_t MapHandle(ObjectMap Level::*member)
{
    Level* level = CurLevel();
    return level ? (level->*member).Handle() : 0;
}

int32_t DesignMapHandle(ObjectMap Database::*member)
{
    Database* db = Db();
    return db ? (db->*member).Handle() : 0;
}

}  // namespace

}  // namespace kernel

using namespace kernel;

int32_t DB_CreateDataBase(const char* name, const char* hierName, const char* pageName) noexcept
{
    return Guard(0, [&]() -> int32_t {
        if (!ValidName(name) || !ValidName(hierName) || !ValidName(pageName)) return 0;
        auto db = std::make_unique<Database>();
        db->design.name = name;
        DefaultTextSizes(db->textSizes);
        Level* level = AddLevel(*db, 0, hierName, pageName);
        if (!level) return 0;
        db->curLevel = level->id;
        SetDb(std::move(db));
        return 1;
    });
}

void DB_DiscardDataBase() noexcept
{
    Guard(0, [] {
        SetDb(nullptr);
        return 0;
    });
}

int32_t DB_DataBase() noexcept
{
    return Guard(0, [] {
        Database* db = Db();
        return db ? db->design.Handle() : 0;
    });
}

int32_t DB_CreateHier(int32_t id, const char* name, const char* pageName) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Database* db = Db();
        if (!db || id < 0 || !ValidName(name) || (pageName && !ValidName(pageName))) return 0;
        Level* level = AddLevel(*db, id, name, pageName);
        return level ? level->id : 0;
    });
}

int32_t DB_CurHier() noexcept
{
    return Guard(0, [] {
        Database* db = Db();
        return db ? db->curLevel : 0;
    });
}

int32_t DB_SetCurHier(int32_t hier) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Database* db = Db();
        if (!db || hier <= 0 || !db->levels.Find(hier)) return 0;
        if (db->curLevel != hier) db->geometryEpoch = NextGeometryEpoch();
        db->curLevel = hier;
        return hier;
    });
}

int32_t DB_CreatePage(int32_t id, const char* name) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        if (!level || id < 0 || !ValidName(name)) return 0;
        auto page = std::make_unique<Page>();
        page->name = name;
        const int32_t made = level->pages.Insert(std::move(page), id);
        // A level that has pages always has one of them current: the first
        // page made on a level without any becomes current.
        if (made != 0 && level->curPage == 0) {
            Touch(*level);
            level->NoteGeometry(nullptr);
            level->curPage = made;
        }
        return made;
    });
}

int32_t DB_CurPage() noexcept
{
    return Guard(0, [] {
        Level* level = CurLevel();
        return level ? level->curPage : 0;
    });
}

int32_t DB_SetCurPage(int32_t page) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        if (!level || page <= 0 || !level->pages.Find(page)) return 0;
        if (level->curPage != page) {
            Touch(*level);
            level->NoteGeometry(nullptr);
        }
        level->curPage = page;
        return page;
    });
}

int32_t DB_Page(int32_t page) noexcept
{
    return Guard(0, [&]() -> int32_t {
        return HandleOf(InCurLevel<Page>(&Level::pages, page));
    });
}

int32_t DB_ReadPage(int32_t page, PageRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Page* p = InCurLevel<Page>(&Level::pages, page);
        if (!p || !record) return 0;
        record->Flags = p->status;
        record->Hier = CurLevel()->id;
        record->ViewX = p->viewX;
        record->ViewY = p->viewY;
        record->ViewMode = p->viewMode;
        record->ViewSize = p->viewSize;
        record->Name = p->name.c_str();
        return 1;
    });
}

int32_t DB_ChangePageDispl(int32_t page, int32_t viewX, int32_t viewY, int32_t viewMode, int32_t viewSize) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Page* p = InCurLevel<Page>(&Level::pages, page);
        if (!p) return 0;
        Touch(*p);
        p->viewX = viewX;
        p->viewY = viewY;
        p->viewMode = viewMode;
        p->viewSize = viewSize;
        return 1;
    });
}

int32_t DB_PageMap() noexcept { return Guard(0, [] { return MapHandle(&Level::pages); }); }
int32_t DB_SchCompMap() noexcept { return Guard(0, [] { return MapHandle(&Level::components); }); }
int32_t DB_LayCompMap() noexcept { return Guard(0, [] { return MapHandle(&Level::layComps); }); }
int32_t DB_NetMap() noexcept { return Guard(0, [] { return MapHandle(&Level::nets); }); }
int32_t DB_BusMap() noexcept { return Guard(0, [] { return MapHandle(&Level::buses); }); }
int32_t DB_BranchMap() noexcept { return Guard(0, [] { return MapHandle(&Level::branches); }); }
int32_t DB_JunctMap() noexcept { return Guard(0, [] { return MapHandle(&Level::junctions); }); }
int32_t DB_TraceMap() noexcept { return Guard(0, [] { return MapHandle(&Level::traces); }); }
int32_t DB_ViaMap() noexcept { return Guard(0, [] { return MapHandle(&Level::vias); }); }
int32_t DB_FileMap() noexcept { return Guard(0, [] { return MapHandle(&Level::files); }); }
int32_t DB_HierarchyMap() noexcept { return Guard(0, [] { return DesignMapHandle(&Database::levels); }); }
int32_t DB_SymbMap() noexcept { return Guard(0, [] { return DesignMapHandle(&Database::symbols); }); }
int32_t DB_DeviceMap() noexcept { return Guard(0, [] { return DesignMapHandle(&Database::devices); }); }
int32_t DB_PadStackMap() noexcept { return Guard(0, [] { return DesignMapHandle(&Database::padStacks); }); }

int32_t DB_LayoutTextArray() noexcept
{
    return Guard(0, [] {
        Level* level = CurLevel();
        return level ? level->layoutTexts.Handle() : 0;
    });
}
