// The design the kernel benchmarks build: 10,000 components on one level
// and 50,000 wires spread over four levels (a level holds at most 15,999
// branches), each wire a branch with two point records on two junctions of
// its own.
#pragma once

#include "platform/kernel/nvokernel32.h"

#include <string>

namespace bench {

constexpr int kComponents = 10000;
constexpr int kLevels = 4;
constexpr int kWiresPerLevel = 12500;

inline std::string CompName(int i)
{
    return "R" + std::to_string(i);
}

// A new design with its levels and the symbol the components use; level 1
// current.
inline void NewDesign()
{
    DB_DiscardDataBase();
    DB_CreateDataBase("Bench", "L1", "P1");
    for (int level = 2; level <= kLevels; ++level)
        DB_CreateHier(level, ("L" + std::to_string(level)).c_str(), "P1");
    DB_SetCurHier(1);
    S_CreateSymbol(0, "RES");
}

// The components (`count` of them), on level 1.
inline void AddComponents(int count = kComponents)
{
    DB_SetCurHier(1);
    for (int i = 1; i <= count; ++i)
        C_CreateComponent(0, CompName(i).c_str(), 1, 0, 1, 0, i * 1000, i * 500, 0);
}

// The wires of every level (`perLevel` on each), each level's on one net;
// level 1 current after.
inline void AddWires(int perLevel = kWiresPerLevel)
{
    for (int level = 1; level <= kLevels; ++level) {
        DB_SetCurHier(level);
        const int32_t net = N_CreateNet(0, 1, "N");
        for (int i = 0; i < perLevel; ++i) {
            const int32_t a = J_CreateJunction(0, 3, i * 1000, 0);
            const int32_t b = J_CreateJunction(0, 3, i * 1000, 5000);
            const int32_t branch = B_CreateBranch(0, 1, net);
            B_InsertRecord(branch, -1, 4, a);
            B_InsertRecord(branch, -1, 4, b);
        }
    }
    DB_SetCurHier(1);
}

}  // namespace bench
