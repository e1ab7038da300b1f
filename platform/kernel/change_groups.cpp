// Change groups: an edit of many kernel calls that the caller makes whole or
// undoes. The group's journal (journal.h) writes down what each change is
// about to change, whichever call makes it (a read that brings a record's
// stored position up to date, a seek in a file object, as well as the
// makes, changes and deletes); DB_EndChange either drops the journal (the
// edit is whole) or undoes it, newest first, so that a step refused
// half-way leaves nothing behind. Both cost what the edit changed, whatever
// the size of the design; a group whose edit changes nothing costs the
// start of an empty journal.
// Groups nest: the outermost one starts the journal, an inner one marks its
// place in it. An inner group ended unkept puts back what changed since its
// mark and the enclosing group goes on; one that ends with a step failed
// (keep 2) also passes the failure to the enclosing group, so that an edit
// finished as a whole goes back as a whole.
#include "platform/kernel/database.h"
#include "platform/kernel/draw_objects.h"
#include "platform/kernel/hit_index.h"
#include "platform/kernel/image_store.h"
#include "platform/kernel/journal.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"

#include <memory>
#include <vector>

using namespace kernel;
using namespace kernel::image;

namespace {

struct ChangeGroup {
    int32_t depth = 0;
    // One per group open, outermost first: whether a step that changes the
    // design failed in it, and for inner groups their mark in the journal.
    struct Open {
        bool stepFailed = false;
        Journal::Mark mark;
    };
    std::vector<Open> open;
    bool journalFailed = false;                // the journal could not be started
    bool replaced = false;                     // the design was replaced or closed in the group
    const Database* design = nullptr;          // the design the journal is of
    std::unique_ptr<Journal> journal;

    // At exit with a group open: the journal goes without recording.
    ~ChangeGroup() { g_journal = nullptr; }
};

ChangeGroup& OpenGroup()
{
    static ChangeGroup group;
    return group;
}

// ---- What a put-back changed on the page --------------------------------------------
//
// Around each put-back, the reach (draw_objects.h) of everything it puts
// back on the current page, as it was before and as it is after, with the
// wires on the pins, junctions and nodes among it: what an editor that
// showed the page before the put-back has to draw again.

struct PutBackArea {
    bool nothing = false;  // the put-back had nothing to undo
    bool known = false;
    const Database* design = nullptr;
    uint64_t levelSerial = 0;
    int32_t page = 0;
    draw::Box box;
    std::vector<Object*> onLevel;  // what the put-back puts back (journal.h)
};

PutBackArea& LastPutBack()
{
    static PutBackArea area;
    return area;
}

bool Holds(const ObjectMap& map, const Object& object)
{
    return object.map == &map && map.Find(object.id) == &object;
}

void AddWireReach(const Level& level, const Branch& branch, draw::Box& box)
{
    draw::Box reach;
    if (!draw::BranchReachBox(level, branch, reach)) return;
    const double pen = draw::WirePenReach();
    reach.Add(reach.x1 - pen, reach.y1 - pen);
    reach.Add(reach.x2 + pen, reach.y2 + pen);
    box.Add(reach);
}

// Adds to `box` the reach of the objects as they are now on the current page
// of `level`, with the wires whose records refer to their nodes and
// junctions.
void AddReach(Level& level, const std::vector<Object*>& objects, draw::Box& box)
{
    std::vector<int32_t> nodes, junctions, wires;
    for (Object* o : objects) {
        switch (o->kind) {
        case Kind::Component: {
            const auto& c = static_cast<const Component&>(*o);
            if (!Holds(level.components, c) || c.id <= 0 || c.page != level.curPage) break;
            box.Add(draw::CompReachBox(c));
            for (const Node* node : PinNodes(level, kSchematicSide, c.id, 0)) nodes.push_back(node->id);
            break;
        }
        case Kind::Branch: {
            const auto& b = static_cast<const Branch&>(*o);
            if (Holds(level.branches, b) && b.page == level.curPage) AddWireReach(level, b, box);
            break;
        }
        case Kind::Junction: {
            const auto& j = static_cast<const Junction&>(*o);
            if (!Holds(level.junctions, j) || j.page != level.curPage) break;
            box.Add(draw::JunctionReachBox(j));
            junctions.push_back(j.id);
            break;
        }
        case Kind::Net: {
            const auto& n = static_cast<const Net&>(*o);
            if (!Holds(level.nets, n)) break;
            draw::Box reach;
            if (draw::NetReachBox(level, n, reach)) box.Add(reach);
            n.nodes.ForEach([&](const Object& node) { nodes.push_back(node.id); });
            break;
        }
        default: break;
        }
    }
    draw::WiresReferring(nodes, junctions, wires);
    for (int32_t id : wires)
        if (const auto* b = level.branches.FindAs<Branch>(id); b && b->page == level.curPage) AddWireReach(level, *b, box);
}

// Before a put-back (of the whole journal without a mark; `changed`: the
// design differs from what the put-back goes back to): what it is about to
// put back and its reach now. Never in the put-back's way: when the area
// cannot be worked out it is not known.
PutBackArea BeforePutBack(const Journal& journal, const Journal::Mark* mark, bool changed) noexcept
{
    PutBackArea area;
    // Nothing written down and the design's own values as they were.
    area.nothing = journal.EmptySince(mark) && !changed;
    try {
        Database* db = Db();
        Level* level = db ? db->CurLevel() : nullptr;
        if (area.nothing || !level) return area;
        if (!(mark ? journal.ChangedOnLevels(*mark, area.onLevel) : journal.ChangedOnLevels(area.onLevel)))
            return area;
        area.known = true;
        area.design = db;
        area.levelSerial = level->serial;
        area.page = level->curPage;
        AddReach(*level, area.onLevel, area.box);
    } catch (...) {
        area.known = false;
    }
    return area;
}

// After it: their reach as the put-back left them; kept for DB_PutBackBox
// unless the put-back had nothing to undo.
void AfterPutBack(PutBackArea area) noexcept
{
    if (area.nothing) return;
    try {
        Level* level = CurLevel();
        if (area.known && level && level->serial == area.levelSerial && level->curPage == area.page)
            AddReach(*level, area.onLevel, area.box);
        else
            area.known = false;
        area.onLevel.clear();
        LastPutBack() = std::move(area);
    } catch (...) {
        LastPutBack() = PutBackArea{};
    }
}

// Ends the recording and drops the journal: what it kept (the objects the
// edit deleted) goes for good.
void DropJournal(ChangeGroup& g) noexcept
{
    g_journal = nullptr;
    g.journal.reset();
}

}  // namespace

namespace kernel {

void BeforeDesignReplaced() noexcept
{
    ChangeGroup& g = OpenGroup();
    if (g.depth == 0) return;
    // The journal speaks of the design that goes: it goes first, while the
    // objects it keeps can still leave that design's indexes.
    g.replaced = true;
    DropJournal(g);
}

void MarkChangeStepFailed() noexcept
{
    ChangeGroup& g = OpenGroup();
    if (!g.open.empty()) g.open.back().stepFailed = true;
}

}  // namespace kernel

int32_t DB_BeginChange() noexcept
{
    // Run, not Guard: the refusal hook of the tests never refuses the group
    // itself, only the steps inside it.
    return Run(0, [&]() -> int32_t {
        ChangeGroup& g = OpenGroup();
        if (g.depth > 0) {
            ChangeGroup::Open inner;
            if (g.journal) inner.mark = g.journal->Open();
            g.open.push_back(std::move(inner));
            ++g.depth;
            return 1;
        }
        const Database* db = Db();
        if (!db) Fail("cannot begin a change: no design is open");
        DropJournal(g);
        g.journalFailed = false;
        g.replaced = false;
        g.design = db;
        g.open.assign(1, ChangeGroup::Open{});
        g.depth = 1;
        SetGuardWatch(kWatchChangeGroup, true);
        try {
            g.journal = std::make_unique<Journal>(*Db());
            g_journal = g.journal.get();
        } catch (...) {
            // Without its journal the group cannot put the design back; its
            // end says so.
            g.journalFailed = true;
        }
        return 1;
    });
}

int32_t DB_EndChange(int32_t keep) noexcept
{
    return Run(0, [&]() -> int32_t {
        ChangeGroup& g = OpenGroup();
        if (g.depth == 0) Fail("no change has begun");
        ChangeGroup::Open ending = std::move(g.open.back());
        g.open.pop_back();
        // 2: kept unless a step that changes the design failed in the group.
        const bool kept = keep == 1 || (keep == 2 && !ending.stepFailed);
        if (--g.depth > 0) {
            if (kept) {
                if (g.journal) g.journal->Close(ending.mark);
                return 1;
            }
            // A failure that ended a group finished as a whole is the
            // enclosing group's failure too.
            if (keep == 2) g.open.back().stepFailed = true;
            if (g.replaced || Db() != g.design || !g.design)
                Fail("cannot put the design back: another design was opened");
            if (g.journalFailed || !g.journal || !g.journal->Complete())
                Fail("cannot put the design back: its changes could not be recorded (out of memory)");
            const bool changed = g.journal->ChangedSince(ending.mark);
            PutBackArea area = BeforePutBack(*g.journal, &ending.mark, changed);
            g.journal->PutBackTo(ending.mark);
            AfterPutBack(std::move(area));
            if (!changed) return ending.stepFailed ? 5 : 2;
            return ending.stepFailed ? 3 : 4;
        }
        SetGuardWatch(kWatchChangeGroup, false);
        // The recording ends here; the journal goes when this call returns.
        g_journal = nullptr;
        std::unique_ptr<Journal> journal = std::move(g.journal);
        const Database* design = g.design;
        const bool journalFailed = g.journalFailed;
        const bool replaced = g.replaced;
        g.design = nullptr;
        g.journalFailed = false;
        g.replaced = false;
        if (kept) return 1;
        // Another design was opened meanwhile: there is nothing to put back.
        if (replaced || Db() != design || !design) Fail("cannot put the design back: another design was opened");
        if (journalFailed || !journal || !journal->Complete())
            Fail("cannot put the design back: its changes could not be recorded (out of memory)");
        const bool changed = journal->Changed();
        PutBackArea area = BeforePutBack(*journal, nullptr, changed);
        journal->PutBack();
        // The objects the put-back took out are still the journal's here.
        AfterPutBack(std::move(area));
        if (!changed) return ending.stepFailed ? 5 : 2;
        return ending.stepFailed ? 3 : 4;
    });
}

int32_t DB_ChangeDepth() noexcept
{
    return OpenGroup().depth;
}

int32_t DB_PutBackBox(int32_t* box) noexcept
{
    // A read of the groups' own state, as DB_ChangeDepth: no step the test
    // hook refuses.
    if (!box) return 0;
    draw::StoreRect(draw::Box{}, box);
    const PutBackArea& area = LastPutBack();
    const Database* db = Db();
    const Level* level = CurLevel();
    if (!area.known || !db || area.design != db || !level || level->serial != area.levelSerial ||
        level->curPage != area.page)
        return 0;
    if (area.box.Empty()) return 2;
    draw::StoreRect(area.box, box);
    return 1;
}

uint64_t KT_ChangeJournalBytes() noexcept
{
    const ChangeGroup& g = OpenGroup();
    return g.journal ? g.journal->Bytes() : 0;
}
