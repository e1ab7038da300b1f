// Small designs for the wire and net tests and ways to find their objects.
#pragma once

#include "editor/shell/curpos.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/design_builder.h"
#include "tests/support/kernel_fixture.h"

#include <string>
#include <vector>

namespace palvane_test {

// 0.1 inch in database units.
constexpr int32_t kTenth = 254000;

// The branches of a net (kind 0) or bus (kind 1), any page, in id order.
inline std::vector<int32_t> Branches(int32_t owner, int32_t kind = 0)
{
    std::vector<int32_t> ids;
    int32_t cursor = OM_GetFirst(DB_BranchMap());
    while (const int32_t b = B_SearchNetPage(&cursor, kind, owner, -1)) ids.push_back(b);
    return ids;
}

inline int32_t Net(const char* name)
{
    return OM_FindName(DB_NetMap(), name);
}

// A component by its reference; a part's gate is named "REF/1".
inline int32_t Comp(const char* name)
{
    const int32_t id = OM_FindName(DB_SchCompMap(), name);
    return id != 0 ? id : OM_FindName(DB_SchCompMap(), (std::string(name) + "/1").c_str());
}

inline BranchPointRec Point(int32_t branch, int32_t index)
{
    BranchPointRec p{};
    B_ReadRecord(branch, index, &p);
    return p;
}

inline int32_t Points(int32_t branch)
{
    BranchRec r{};
    return B_ReadBranch(branch, &r) ? r.Points : -1;
}

// Net N: R1.2 (3, 0) - junction (5, 0) - R2.1 (17, 0) in two wires that
// share the junction; net M: R3 alone (at 0, 10) with no wire; bus B of N.
inline const char* kTwoWires = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N
bus B N
page P frame 60 40
  component R1 R at 0 0
  component R2 R at 20 0
  component R3 R at 0 10
  net M R3.1
  wire N R1.2 (5 0)
  wire N (5 0) R2.1
end
)";

// kTwoWires built, with net N, its two wires and a pick tolerance of a
// quarter tenth.
class TwoWiresTest : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_TRUE(BuildDesign(kTwoWires));
        net = Net("N");
        wires = Branches(net);
        ASSERT_EQ(wires.size(), 2u);
        g_PickTolerance = kTenth / 4;
    }
    int32_t net = 0;
    std::vector<int32_t> wires;
};

}  // namespace palvane_test
