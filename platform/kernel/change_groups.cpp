// Change groups: an edit of many kernel calls that the caller makes whole or
// undoes. The first step inside a group that changes the design writes the
// open design into memory first; DB_EndChange either drops that image (the
// edit is whole) or puts the design back as the image holds it, so that a
// step refused half-way leaves nothing behind. A group whose edit changes
// nothing never writes the design.
// Groups nest: only the outermost one writes and puts back, and an inner
// group that ends unkept makes the outermost one put the design back too.
#include "platform/kernel/database.h"
#include "platform/kernel/memory_image.h"
#include "platform/kernel/nvokernel32.h"

#include <memory>

using namespace kernel;
using namespace kernel::image;

namespace {

struct ChangeGroup {
    int32_t depth = 0;
    bool spoiled = false;                      // an inner group ended unkept
    bool stepFailed = false;                   // a step that changes the design failed
    bool imageFailed = false;                  // the design could not be written
    const Database* design = nullptr;          // the design the image is of
    std::unique_ptr<MemoryImage> image;
};

ChangeGroup& OpenGroup()
{
    static ChangeGroup group;
    return group;
}

}  // namespace

namespace kernel {

void BeforeChangeStep() noexcept
{
    ChangeGroup& g = OpenGroup();
    if (g.depth == 0 || g.image || g.imageFailed || Db() != g.design) return;
    try {
        g.image = std::make_unique<MemoryImage>(*g.design);
    } catch (...) {
        // Without its image the group cannot put the design back; its end
        // says so.
        g.imageFailed = true;
    }
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
        g.image.reset();
        g.imageFailed = false;
        g.design = db;
        g.spoiled = false;
        g.stepFailed = false;
        g.depth = 1;
        SetGuardWatch(kWatchChangeGroup, true);
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
        std::unique_ptr<MemoryImage> image = std::move(g.image);
        const Database* design = g.design;
        const bool imageFailed = g.imageFailed;
        g.design = nullptr;
        g.imageFailed = false;
        const bool stepFailed = g.stepFailed;
        g.stepFailed = false;
        if (!g.spoiled) return 1;
        g.spoiled = false;
        // Another design was opened meanwhile: there is nothing to put back.
        if (Db() != design || !design) Fail("cannot put the design back: another design was opened");
        if (imageFailed) Fail("cannot put the design back: it could not be written into memory");
        // No step changed the design: there is nothing to put back.
        if (!image) return stepFailed ? 5 : 2;
        try {
            if (MemoryImage::ChecksumOf(*Db()) == image->Checksum()) return stepFailed ? 5 : 2;
            SetDb(image->Read());
        } catch (const Failure& f) {
            Fail("cannot put the design back: " + f.text);
        }
        return stepFailed ? 3 : 4;
    });
}
