// The automatic placement engine's exports: one run at a time, in module
// state, from the parameter record to the write-back. No exception leaves an
// export: a failure becomes an error code and the function number where it
// arose.
#include "platform/kernel/nvokernel32.h"
#include "platform/placement/nvosplc32.h"
#include "platform/placement/plc_model.h"

#include <new>

namespace {

enum class Stage { Idle, Parameters, Open, Locked, Computed, Written };

struct Engine {
    PlcParamRec params{};
    Stage stage = Stage::Idle;
    plc::Model model;
    std::vector<plc::Site> sites;
    int32_t code = PLC_OK;
    int32_t function = PLC_FN_NONE;
    int32_t failedComp = 0;  // the component the last failed run could not place
};

Engine& State()
{
    static Engine engine;
    return engine;
}

int32_t Fail(int32_t code, int32_t function)
{
    State().code = code;
    State().function = function;
    return 0;
}

// Runs `body`, turning an allocation failure into an error code.
template <class Body>
int32_t Guarded(int32_t function, Body body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return Fail(PLC_ERR_READ, function);
    } catch (...) {
        return Fail(PLC_ERR_READ, function);
    }
}

struct Applied {
    int32_t comp, handle;
    int32_t oldX, oldY, oldAngle;
    bool mirrored, turned;
};

// Puts back every change made so far, newest first.
void Restore(const std::vector<Applied>& done)
{
    for (auto it = done.rbegin(); it != done.rend(); ++it) {
        O_ChangePosition(it->handle, it->oldX, it->oldY);
        if (it->turned) C_ChangeCompDispAttr(it->comp, it->oldAngle, it->mirrored ? 1 : 0);
    }
}

}  // namespace

int32_t PLCDLL_SetParameters(const PlcParamRec* params) noexcept
{
    Engine& e = State();
    e.code = PLC_OK;
    e.function = PLC_FN_NONE;
    e.failedComp = 0;
    if (!params) return Fail(PLC_ERR_PARAMS, PLC_FN_SET_PARAMETERS);
    const PlcParamRec& p = *params;
    if (p.ClearX < 0 || p.ClearY < 0 || p.BoardEdge < 0 || p.Align < 0 || p.Page <= 0)
        return Fail(PLC_ERR_PARAMS, PLC_FN_SET_PARAMETERS);
    e.params = p;
    e.stage = Stage::Parameters;
    return 1;
}

int32_t PLCDLL_DBaseOpen() noexcept
{
    return Guarded(PLC_FN_DBASE_OPEN, [] {
        Engine& e = State();
        if (e.stage != Stage::Parameters) return Fail(PLC_ERR_SEQUENCE, PLC_FN_DBASE_OPEN);
        const int32_t code = plc::ReadModel(e.params, e.model);
        if (code != PLC_OK) return Fail(code, PLC_FN_DBASE_OPEN);
        e.stage = Stage::Open;
        return int32_t{1};
    });
}

int32_t PLCDLL_PlaceLocked() noexcept
{
    Engine& e = State();
    if (e.stage != Stage::Open) return Fail(e.stage == Stage::Idle ? PLC_ERR_NOT_OPEN : PLC_ERR_SEQUENCE, PLC_FN_PLACE_LOCKED);
    // Locked components stay where they are; the model already holds them as
    // fixed obstacles and terminals.
    e.stage = Stage::Locked;
    return 1;
}

int32_t PLCDLL_PlaceFirstComponent() noexcept
{
    return Guarded(PLC_FN_PLACE_FIRST, [] {
        Engine& e = State();
        if (e.stage != Stage::Locked) return Fail(e.stage == Stage::Idle ? PLC_ERR_NOT_OPEN : PLC_ERR_SEQUENCE, PLC_FN_PLACE_FIRST);
        int failed = -1;
        if (!plc::Solve(e.model, e.sites, &failed)) {
            e.failedComp = failed >= 0 ? e.model.comps[static_cast<size_t>(failed)].id : 0;
            return Fail(PLC_ERR_NO_CELLS, PLC_FN_PLACE_FIRST);
        }
        e.stage = Stage::Computed;
        return int32_t{1};
    });
}

int32_t PLCDLL_PlaceNextComponent() noexcept
{
    return Guarded(PLC_FN_PLACE_NEXT, [] {
        Engine& e = State();
        if (e.stage != Stage::Computed) return Fail(e.stage == Stage::Idle ? PLC_ERR_NOT_OPEN : PLC_ERR_SEQUENCE, PLC_FN_PLACE_NEXT);
        std::vector<Applied> done;
        done.reserve(e.model.comps.size());
        for (size_t c = 0; c < e.model.comps.size(); ++c) {
            const plc::Comp& comp = e.model.comps[c];
            if (comp.locked) continue;
            const plc::Site& s = e.sites[c];
            const bool offQuarter = comp.angle % 90000 != 0;
            const int32_t angle = offQuarter ? comp.angle : plc::QuarterAngle(s.angle);
            const int32_t x = static_cast<int32_t>(s.x), y = static_cast<int32_t>(s.y);
            Applied a{comp.id, C_Component(comp.id), static_cast<int32_t>(comp.x), static_cast<int32_t>(comp.y),
                      comp.angle, comp.mirrored, angle != comp.angle};
            if (a.turned && C_ChangeCompDispAttr(comp.id, angle, comp.mirrored ? 1 : 0) != 1) {
                Restore(done);
                return Fail(PLC_ERR_WRITE, PLC_FN_PLACE_NEXT);
            }
            if ((x != a.oldX || y != a.oldY) && O_ChangePosition(a.handle, x, y) != 1) {
                if (a.turned) C_ChangeCompDispAttr(comp.id, comp.angle, comp.mirrored ? 1 : 0);
                Restore(done);
                return Fail(PLC_ERR_WRITE, PLC_FN_PLACE_NEXT);
            }
            done.push_back(a);
        }
        e.stage = Stage::Written;
        e.code = PLC_DONE;
        e.function = PLC_FN_NONE;
        return int32_t{1};
    });
}

int32_t PLCDLL_GetErrorCode() noexcept
{
    return State().code;
}

int32_t PLCDLL_GetErrorFunction() noexcept
{
    return State().function;
}

int32_t PLCDLL_GetErrorComponent() noexcept
{
    return State().failedComp;
}

int32_t PLCDLL_DBaseClose() noexcept
{
    Engine& e = State();
    e.model = plc::Model{};
    e.sites.clear();
    e.stage = Stage::Idle;
    return 1;
}
