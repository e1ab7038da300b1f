// Change groups: an edit of many kernel calls that the caller makes whole or
// undoes. The group's journal (journal.h) writes down what each change is
// about to change, whichever call makes it (a read that brings a record's
// stored position up to date, a seek in a file object, as well as the
// makes, changes and deletes); DB_EndChange either drops the journal (the
// edit is whole) or undoes it, newest first, so that a step refused
// half-way leaves nothing behind. Both cost what the edit changed, whatever
// the size of the design; a group whose edit changes nothing costs the
// start of an empty journal.
// Groups nest: only the outermost one records and puts back, and an inner
// group that ends unkept makes the outermost one put the design back too.
#include "platform/kernel/database.h"
#include "platform/kernel/image_store.h"
#include "platform/kernel/journal.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"

#include <memory>

using namespace kernel;
using namespace kernel::image;

namespace {

struct ChangeGroup {
    int32_t depth = 0;
    bool spoiled = false;                      // an inner group ended unkept
    bool stepFailed = false;                   // a step that changes the design failed
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
    OpenGroup().stepFailed = true;
}

}  // namespace kernel

int32_t DB_BeginChange() noexcept
{
    // Run, not Guard: the refusal hook of the tests never refuses the group
    // itself, only the steps inside it.
    return Run(0, [&]() -> int32_t {
        ChangeGroup& g = OpenGroup();
        if (g.depth > 0) {
            ++g.depth;
            return 1;
        }
        const Database* db = Db();
        if (!db) Fail("cannot begin a change: no design is open");
        DropJournal(g);
        g.journalFailed = false;
        g.replaced = false;
        g.design = db;
        g.spoiled = false;
        g.stepFailed = false;
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
        // 2: kept unless a step that changes the design failed in the group.
        if (keep == 0 || (keep == 2 && g.stepFailed)) g.spoiled = true;
        if (--g.depth > 0) return 1;
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
        const bool stepFailed = g.stepFailed;
        g.stepFailed = false;
        if (!g.spoiled) return 1;
        g.spoiled = false;
        // Another design was opened meanwhile: there is nothing to put back.
        if (replaced || Db() != design || !design) Fail("cannot put the design back: another design was opened");
        if (journalFailed || !journal || !journal->Complete())
            Fail("cannot put the design back: its changes could not be recorded (out of memory)");
        const bool changed = journal->Changed();
        journal->PutBack();
        if (!changed) return stepFailed ? 5 : 2;
        return stepFailed ? 3 : 4;
    });
}

uint64_t KT_ChangeJournalBytes() noexcept
{
    const ChangeGroup& g = OpenGroup();
    return g.journal ? g.journal->Bytes() : 0;
}
