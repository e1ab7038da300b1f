#include "fuzz/complist/complist_fuzz.h"

#include <cstdlib>
#include <cstdio>

namespace complist_fuzz {

bool FakeLookups::FreeCompName(const std::vector<std::string>& handed, std::string& name)
{
    ++freeNameCalls;
    if (noFreeName) return false;
    name = "Unpck" + std::to_string(handed.size() + 1);
    return true;
}

int FakeLookups::LookupPart(const std::string& name, std::optional<int32_t> group, int32_t& device)
{
    if (name == "7400") {
        device = 7;
        return group && *group >= 1 && *group <= 4 ? 0 : listerr::kNoGroup;
    }
    if (name == "NOSYM") {
        device = 8;
        return group && *group == 1 ? listerr::kNoSymbol : listerr::kNoGroup;
    }
    return listerr::kNoPart;
}

int FakeLookups::LookupSymbol(const std::string& name, int32_t& symbol)
{
    if (name != "GND") return listerr::kNoSymbol;
    symbol = 3;
    return 0;
}

bool FakeLookups::FindComp(const std::string& name, int32_t& id, int32_t& x, int32_t& y)
{
    if (name == "U1") {
        id = 1, x = 1000, y = 2000;
        return true;
    }
    if (name == "R1") {
        id = 2, x = -5000, y = 0;
        return true;
    }
    if (name == "ABCDEFGHIJKLMNOPQRST") {
        id = 9, x = 0, y = 0;
        return true;
    }
    return false;
}

int32_t FakeLookups::AdjustAngle(int32_t angle)
{
    const int32_t a = angle % 360000;
    return a < 0 ? a + 360000 : a;
}

std::string CheckListText(const std::string& typed, bool create)
{
    ListCoordContext context;
    context.unitFactor = 1.0 / 25.4;
    context.menuMode = 2;
    context.frameX = 1000000;
    context.frameY = 500000;
    context.refX = -219000000;
    context.refY = 219000000;
    FakeLookups lookups;
    const CompListResult r = ParseCompList(typed, create, context, lookups);
    if (r.error == 0) {
        for (const CompListEntry& e : r.entries) {
            if (e.X < -kCoordLimit || e.X > kCoordLimit || e.Y < -kCoordLimit || e.Y > kCoordLimit)
                return "accepted entry out of range";
            if (e.Angle < 0 || e.Angle >= 360000) return "accepted angle not normalised";
            if (e.Name.size() != 15) return "entry name not 15 characters";
        }
        return {};
    }
    if (r.error < -2 || r.error > 8) return "unknown error code " + std::to_string(r.error);
    if (r.selStart > typed.size() || r.selLength > typed.size() - r.selStart) return "selection outside the text";
    return {};
}

std::string CheckInput(const uint8_t* data, size_t size)
{
    if (size == 0) return {};
    const bool create = (data[0] & 1) != 0;
    return CheckListText(std::string(reinterpret_cast<const char*>(data) + 1, size - 1), create);
}

}  // namespace complist_fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string problem = complist_fuzz::CheckInput(data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "component list scanner: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
