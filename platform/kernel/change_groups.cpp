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
            g.journal->PutBackTo(ending.mark);
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
        journal->PutBack();
        if (!changed) return ending.stepFailed ? 5 : 2;
        return ending.stepFailed ? 3 : 4;
    });
}

int32_t DB_ChangeDepth() noexcept
{
    return OpenGroup().depth;
}

uint64_t KT_ChangeJournalBytes() noexcept
{
    const ChangeGroup& g = OpenGroup();
    return g.journal ? g.journal->Bytes() : 0;
}
