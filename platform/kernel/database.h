// The open design database: hierarchy levels, each with its pages and the
// objects drawn on them, and the design-wide symbols, devices and pad
// stacks.
#pragma once

#include "platform/kernel/objects.h"
#include "platform/kernel/objects_nets.h"
#include "platform/kernel/objects_parts.h"

#include <memory>
#include <optional>
#include <source_location>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>

namespace kernel {

constexpr int32_t kMaxPages = 99;
constexpr int32_t kMaxLevels = 99;
constexpr int32_t kMaxComponents = 15999;
constexpr int32_t kMaxBranches = 15999;
constexpr int32_t kMaxSymbols = 15999;

struct Page : Object {
    Page() : Object(Kind::Page) {}
    // The page's stored view, kept exactly as the editor gives it.
    int32_t viewX = 0, viewY = 0, viewMode = 0, viewSize = 0;
};

struct FileObject;
// The picture that ShowDib decoded from a file object is kept for the next
// paint (draw_pictures.cpp). Whatever changes the bytes drops it (F_Write,
// F_SetLength, a put-back of the journal), and so does the object's end;
// replacing or closing the design drops them all.
void DropDecodedPicture(const FileObject& file) noexcept;
void DropDecodedPictures() noexcept;

struct FileObject : Object {
    FileObject() : Object(Kind::File) {}
    ~FileObject() override { DropDecodedPicture(*this); }
    std::string data;  // bytes
    int64_t position = 0;
};

// One hierarchy level with everything that lies on its pages.
struct Level : Object {
    Level()
        : Object(Kind::Level)
    {
        for (ObjectMap* m : {&pages, &components, &layComps, &nets, &buses, &branches, &junctions, &traces,
                             &vias, &bendPoints, &files})
            m->SetOwner(this);
    }

    ObjectMap pages{Kind::Page, kMaxPages};
    ObjectMap components{Kind::Component, kMaxComponents};
    ObjectMap layComps{Kind::LayComp, kMaxComponents};
    ObjectMap nets{Kind::Net};
    ObjectMap buses{Kind::Bus};
    ObjectMap branches{Kind::Branch, kMaxBranches};
    ObjectMap junctions{Kind::Junction};
    ObjectMap traces{Kind::Trace};
    ObjectMap vias{Kind::Via};
    ObjectMap bendPoints{Kind::BendPoint};
    ObjectMap files{Kind::File};
    ObjectArray layoutTexts{Kind::Item, this};

    // Node ids are unique within the level, across all its nets.
    IdSpace nodeIds;
    ObjectIndex nodeIndex;

    int32_t curPage = 0;

    // This level object's own number, never shared with another level of
    // any database, old or new.
    const uint64_t serial = NextGeometryEpoch();
    // Changes with everything on the level that hit tests and frames see
    // (see GeometryChanged); fresh for every new level.
    uint64_t geometryEpoch = NextGeometryEpoch();

    // The objects directly on the level (a component, a wire, a net ...)
    // whose geometry changed, each with the epoch of its last change, in
    // epoch order; it holds every change after geometryLogFrom. A change
    // that names no single object (a page switch, a change to a whole map)
    // empties it and moves geometryLogFrom up to that change.
    struct GeometryNote {
        uint64_t epoch;
        Kind kind;
        int32_t id;
    };
    static constexpr size_t kMaxGeometryLog = 1024;
    std::vector<GeometryNote> geometryLog;
    uint64_t geometryLogFrom = geometryEpoch;
    // Notes a change of `top`, an object directly on the level, or of the
    // level as a whole (null).
    void NoteGeometry(const Object* top);

    Node* FindNode(int32_t id) const
    {
        auto it = id > 0 ? nodeIndex.find(id) : nodeIndex.end();
        return it == nodeIndex.end() ? nullptr : static_cast<Node*>(it->second);
    }
    // A new net (not yet in the nets map), wired to the level's node ids.
    std::unique_ptr<Net> MakeNet() { return std::make_unique<Net>(nodeIds, nodeIndex); }

    // Nets are destroyed before the node id space they share.
    ~Level() override { nets.Clear(); }
};

struct DesignObject : Object {
    DesignObject() : Object(Kind::Database) {}
};

// Tells the journal of an open change group that `object` became floating
// (added) or stopped floating (journal.h).
void JournalFloating(Object& object, bool added) noexcept;

struct Database {
    DesignObject design;  // carries the design's name
    ObjectMap levels{Kind::Level, kMaxLevels};
    ObjectMap symbols{Kind::Symbol, kMaxSymbols};
    ObjectMap devices{Kind::Device};
    ObjectMap padStacks{Kind::PadStack};
    int32_t curLevel = 0;
    // The text size table: 32 entries of height, width, third value.
    int32_t textSizes[32 * 3] = {};
    // Changes with the design-wide objects that placed objects are drawn
    // from (symbols with their entries, items and pad stacks, devices, pad
    // stacks) and with the current level; fresh for every new database.
    uint64_t geometryEpoch = NextGeometryEpoch();

    // Objects made but not yet put into a map or array (a new item before
    // OA_Add, a pad stack before OM_Add), kept so nothing leaks.
    std::unordered_map<Object*, std::unique_ptr<Object>> floating;

    Level* CurLevel() const { return levels.FindAs<Level>(curLevel); }

    Object* AddFloating(std::unique_ptr<Object> object)
    {
        Object* raw = object.get();
        floating[raw] = std::move(object);
        if (g_journal) [[unlikely]]
            JournalFloating(*raw, true);
        return raw;
    }
    // Takes a floating object back for placing it; null if it is not floating.
    std::unique_ptr<Object> TakeFloating(Object* object)
    {
        auto it = floating.find(object);
        if (it == floating.end()) return nullptr;
        if (g_journal) [[unlikely]]
            JournalFloating(*object, false);
        std::unique_ptr<Object> owned = std::move(it->second);
        floating.erase(it);
        return owned;
    }
};

// The level that `object` lies in (climbing through its owners), or null
// for design-wide objects.
Level* LevelOf(const Object& object);

// The status bits that hit tests and frames read, by kind: a component's
// and a layout component's mirror bit; every bit of an item (which symbol
// items a component shows, the selectors of the symbol frames) and of a
// symbol.
inline int32_t GeometryStatusBits(Kind kind)
{
    switch (kind) {
    case Kind::Component:
    case Kind::LayComp: return 2;
    case Kind::Item:
    case Kind::Symbol: return ~0;
    default: return 0;
    }
}

// Notes that the status word of `object` was `before`: a geometry change at
// the object when one of those bits has changed.
inline void StatusChanged(const Object& object, int32_t before)
{
    if ((object.status ^ before) & GeometryStatusBits(object.kind)) GeometryChanged(&object);
}

// The open database, or null: SetDb keeps this copy of the owning pointer,
// so that the calls that start from the open database read one word.
inline Database* g_openDb = nullptr;
inline Database* Db()
{
    return g_openDb;
}
// The current level of the open database, or null.
inline Level* CurLevel()
{
    Database* db = Db();
    return db ? db->CurLevel() : nullptr;
}
// Replaces the open database (null closes it).
void SetDb(std::unique_ptr<Database> db);

// The object under `id` in one of the current level's maps, else null.
template <class T>
T* InCurLevel(ObjectMap Level::*map, int32_t id)
{
    Level* level = CurLevel();
    return level ? (level->*map).FindAs<T>(id) : nullptr;
}

// Negative ids are kept for the objects found by id alone, each for what it
// means; the loader refuses any other negative id, and the calls that make
// such objects refuse what the loader would.
//
// The page whose frame branch `id` is (-100 - page), else 0.
inline int32_t FramePageOf(int32_t id)
{
    return id >= -199 && id <= -101 ? -100 - id : 0;
}
// The name the symbol kept under the negative `id` bears: the fixed symbols
// of the levels and pages by their own names, "" for the library
// temporaries (-1, -2: any name); null when the id is kept for no symbol.
const char* ReservedSymbolName(int32_t id);

// The absolute position of the pin `number` of the (layout) component `ref`
// of `level` on one side: the symbol entry or pad, through the component's
// placement. False when there is no such component or entry.
bool PlacedEntryXY(const Level& level, int side, int32_t ref, int32_t number, int32_t& x, int32_t& y);

// ---- The export guard ---------------------------------------------------------
//
// No C++ exception crosses an exported function. The bodies of the exports
// report their expected failures by result (0, -1, null), never by
// exception, so an exception that reaches the guard is a defect: the guard
// writes one line naming the function to standard error and returns the
// failure result, so a defect never passes silently for "not found".

// Writes "NVOKernel32: unexpected exception in NAME: WHAT" to standard
// error; `function` is a compiler's function signature.
void ReportUnexpected(const char* function, const char* what) noexcept;

// ---- What a guard watches -------------------------------------------------------
//
// Besides running its body, the guard of an export has work only while a
// change group is open or a test hook is armed (a fault to inject, a call to
// refuse). Each of these keeps its bit of g_guardWatch set while it lasts, so
// the guard of an ordinary call tests one byte and runs the body: the hooks
// cost nothing to the calls made outside them (walks, reads, the loads and
// edits of a design outside change groups).
enum GuardWatchBit : uint8_t {
    kWatchChangeGroup = 1,  // a change group is open (change_groups.cpp)
    kWatchFault = 2,        // "KernelFaultForTests" names an export (SetFaultTarget)
    kWatchRefusal = 4,      // the refusal hook of testing.h is armed
};
inline uint8_t g_guardWatch = 0;

inline void SetGuardWatch(GuardWatchBit bit, bool on) noexcept
{
    if (on) g_guardWatch = static_cast<uint8_t>(g_guardWatch | bit);
    else g_guardWatch = static_cast<uint8_t>(g_guardWatch & ~bit);
}

// A test switch: the kernel environment string "KernelFaultForTests"
// (E_SetString) names one export whose guard throws a std::logic_error
// before its body runs, so tests can see what a defect does. Armed only
// while that string is non-empty. True also while the refusal hook of
// testing.h is armed.
inline bool FaultArmed() noexcept
{
    return (g_guardWatch & (kWatchFault | kWatchRefusal)) != 0;
}
void InjectFault(const char* function);
// The test hook of testing.h: true when this call of the export named by the
// compiler's signature `function` is to be refused (failure result, body not
// run).
bool CallRefused(const char* function) noexcept;
void SetFaultTarget(const char* name);

// True for the exports that change what the design holds: they make,
// change, rename, move, add or delete objects, set marks (the FAMILY_Mask
// calls), switch the current level or page, reserve a free id or store the
// page's view. Drawing and reads are no changes. `name` is a bare export
// name.
bool ChangesDesign(std::string_view name) noexcept;
// True while a change group is open.
inline bool ChangeGroupOpen() noexcept
{
    return (g_guardWatch & kWatchChangeGroup) != 0;
}
// Called before the open design is replaced or closed: a change group's
// journal of the old design goes with it (change_groups.cpp).
void BeforeDesignReplaced() noexcept;
// Notes that the export of the compiler's signature `function` failed inside
// an open change group, when it is one that changes the design: `refused`
// when the test hook refused it or a defect ended it, otherwise it answered
// its failure result and its body did not call that answer an outcome.
void NoteFailedStep(const char* function, bool refused = false) noexcept;

// ---- Failure answers that are outcomes ------------------------------------------
//
// A failure result is not always a failure. Some exports answer it when what
// was asked is simply not there: nothing to mark, a delete of what is gone
// already, a count of 0 (KERNEL.md, "Failure answers: outcomes and
// failures"). The body of such an export says so as it answers, and the
// guard then notes no failed step; every other failure answer of an export
// that changes the design is a failed step.

// Set by Outcome for the guard of the export that runs; the guard reads and
// clears it when the body answers the failure result.
inline bool g_answerIsOutcome = false;

// Returns `failure`, the export's failure result, as an outcome. Only for
// the failure result: used as `return Outcome(0);`.
template <class R>
R Outcome(R failure) noexcept
{
    g_answerIsOutcome = true;
    return failure;
}

// A count answered by an export whose failure result is 0: none is an
// outcome.
inline int32_t CountAnswer(int32_t count) noexcept
{
    return count == 0 ? Outcome(count) : count;
}
// Marks the open change group as holding a failed step (change_groups.cpp).
void MarkChangeStepFailed() noexcept;

// Runs `body` and turns any exception into the failure result, reporting it
// (see above).
template <class R, class F>
R Guard(R failure, F&& body, std::source_location where = std::source_location::current()) noexcept
{
    try {
        if (g_guardWatch) [[unlikely]] {
            if (FaultArmed()) {
                InjectFault(where.function_name());
                if (CallRefused(where.function_name())) {
                    if (ChangeGroupOpen()) NoteFailedStep(where.function_name(), true);
                    return failure;
                }
            }
        }
        if constexpr (std::is_void_v<R>) {
            return body();
        } else {
            R result = body();
            if (result == failure) [[unlikely]] {
                const bool outcome = g_answerIsOutcome;
                g_answerIsOutcome = false;
                if (!outcome && ChangeGroupOpen()) NoteFailedStep(where.function_name());
            }
            return result;
        }
    } catch (const std::exception& e) {
        ReportUnexpected(where.function_name(), e.what());
    } catch (...) {
        ReportUnexpected(where.function_name(), "unknown exception");
    }
    g_answerIsOutcome = false;
    if (ChangeGroupOpen()) NoteFailedStep(where.function_name(), true);
    return failure;
}

// The guard of a mark call (a FAMILY_Mask export: it sets or clears status
// bits and nothing else). A mark is never refused by the kernel itself: its
// failure result (0) says only that there was nothing to mark (no such
// object or record, an empty set, a count of 0), an outcome. The test hook
// and defects still fail it.
template <class F>
int32_t MarkGuard(F&& body, std::source_location where = std::source_location::current()) noexcept
{
    return Guard(int32_t{0}, [&]() -> int32_t { return CountAnswer(body()); }, where);
}

}  // namespace kernel
