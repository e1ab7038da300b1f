// The write-back: the image's wires replace the design's. The dry run plans
// every object first; the new junctions, wires and texts are created next to
// the old ones, and only when all of them stand are the old ones deleted. A
// refusal of the kernel on the way deletes what was created: the design is
// left exactly as it was, and the failure is returned.
#include "router/corvex.h"
#include "router/image.h"
#include "router/writeback.h"

#include "platform/kernel/nvokernel32.h"

namespace corvex {

namespace {

// Restores the kernel's current page when the write-back ends, whichever way.
class PageGuard {
public:
    PageGuard() : page_(DB_CurPage()) {}
    ~PageGuard()
    {
        if (DB_CurPage() != page_) DB_SetCurPage(page_);
    }
    void To(int32_t page)
    {
        if (DB_CurPage() != page) DB_SetCurPage(page);
    }

private:
    int32_t page_;
};

// Takes back everything the plan created so far.
void Undo(WriteBackPlan& plan)
{
    const int32_t branchMap = DB_BranchMap(), junctionMap = DB_JunctMap();
    for (PlannedBranch& b : plan.branches)
        if (b.id) OM_Delete(branchMap, b.id), b.id = 0;
    for (PlannedJunction& j : plan.junctions)
        if (j.id) OM_Delete(junctionMap, j.id), j.id = 0;
}

// Creates the plan's objects. 0 (failure recorded) when the kernel refuses one.
int32_t Create(WriteBackPlan& plan, PageGuard& page)
{
    for (PlannedJunction& j : plan.junctions) {
        page.To(j.page);
        j.id = J_CreateJunction(0, j.type, j.x, j.y);
        if (!j.id) return Fail(j.func, 6);
    }
    for (PlannedBranch& b : plan.branches) {
        page.To(b.page);
        b.id = B_CreateBranch(0, b.kind, b.owner);
        if (!b.id) return Fail(b.func, 1);
        for (const PlannedRecord& r : b.records) {
            const int32_t ref = r.code == 5 ? plan.junctions[static_cast<size_t>(r.junction)].id : r.node;
            if (!B_InsertRecord(b.id, -1, r.code, ref)) return Fail(b.func == 5060 ? 5060 : 5000, 2);
        }
    }
    for (MovedText& t : plan.texts) {
        t.rec.Text = t.text.c_str();
        const int32_t item = I_MakeItem(&t.rec);
        const int32_t array = B_BranchTextArray(plan.branches[static_cast<size_t>(t.branch)].id);
        if (!item || !array || !OA_Add(array, item)) return Fail(5070, 1);
    }
    return 1;
}

// Puts the new objects in place of the old. Every call here works on objects
// the dry run read a moment ago.
void Commit(const WriteBackPlan& plan)
{
    for (const FrameRef& f : plan.frames)
        B_ChangeRecordRef(f.frame, f.record, plan.junctions[static_cast<size_t>(f.junction)].id);
    const int32_t branchMap = DB_BranchMap(), junctionMap = DB_JunctMap();
    for (int32_t id : plan.oldBranches) OM_Delete(branchMap, id);
    for (int32_t id : plan.oldJunctions) OM_Delete(junctionMap, id);
    N_MaskAllNodes(0, 2);
    for (const auto& [net, node] : plan.nodes) O_Mask(N_Node(net, node), 2, 2);
}

}  // namespace

}  // namespace corvex

using namespace corvex;

int32_t LD_SaveShemaToNorvo() noexcept
{
    return Guarded(5000, 0, []() -> int32_t {
        WriteBackPlan plan;
        if (!BuildWriteBackPlan(plan)) return 0;
        PageGuard page;
        if (!Create(plan, page)) {
            Undo(plan);
            return 0;
        }
        Commit(plan);
        return 1;
    });
}
