// Child sheets, hierarchy attributes, the tree walks and the start-up
// refresh of the hierarchy texts.
#include "editor/objects/hier_files.h"
#include "editor/objects/hier_tree.h"
#include "editor/objects/hierarchy.h"
#include "editor/shell/textnum.h"
#include "tests/objects/hier_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace hier_test;

class Hierarchy : public HierTest {};

TEST_F(Hierarchy, CreateSubHierBuildsStubsPointingAwayFromTheMiddleWithLabels)
{
    const int32_t b1 = Comp("B1");
    int32_t status = 1;
    CreateSubHier(status, 1, b1, kSub);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(g_CurHier, kMain);
    EXPECT_EQ(DB_CurHier(), kMain);
    EXPECT_EQ(HierTexts(C_CompTextArray(b1)),
              (std::vector<std::pair<std::string, int32_t>>{{"X,SUB,hierarchy", 0}, {"1", 1}, {"2", 2}, {"3", 3}}));

    Enter(kSub);
    struct Port {
        const char* net;
        int32_t x, y, outerX;
    };
    const Port ports[] = {{"IN", -10, 2, -15}, {"OUT", 10, 2, 15}, {"CLK", -10, -2, -15}};
    std::vector<SubHierNetRec> nets;
    ReadSubHierNets(status, nets);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(nets.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const Port& p = ports[i];
        SCOPED_TRACE(p.net);
        const int32_t net = OM_FindName(DB_NetMap(), p.net);
        ASSERT_NE(net, 0);
        EXPECT_EQ(nets[i].NetId, net);
        NetRec netRec{};
        N_ReadNet(net, &netRec);
        EXPECT_EQ(netRec.Flags, 5);
        int32_t cursor = OM_GetFirst(DB_BranchMap());
        const int32_t branch = B_SearchNetPage(&cursor, 0, net, -1);
        BranchRec rec{};
        ASSERT_TRUE(B_ReadBranch(branch, &rec));
        EXPECT_EQ(rec.Flags, 17);
        ASSERT_EQ(rec.Points, 2);
        BranchPointRec outer{}, inner{};
        B_ReadRecord(branch, 1, &outer);
        B_ReadRecord(branch, 2, &inner);
        EXPECT_EQ(outer.X, p.x * kTenth + (p.outerX > p.x ? 1270000 : -1270000));
        EXPECT_EQ(outer.Y, inner.Y);
        EXPECT_EQ(inner.X, p.x * kTenth);
        EXPECT_EQ(inner.Y, p.y * kTenth);
        JunctionRec j{};
        J_ReadJunction(outer.Ref, &j);
        EXPECT_EQ(j.Flags, 11);
        J_ReadJunction(inner.Ref, &j);
        EXPECT_EQ(j.Flags, 3);
        ItemRec label{};
        ASSERT_TRUE(I_ReadItem(B_BranchText(branch, 1), &label));
        EXPECT_EQ(std::string(label.Text), std::string(">>> ") + p.net);
        EXPECT_EQ(label.Link, 1);
        EXPECT_EQ(label.P1, 25400);
    }
    EXPECT_TRUE(HasFile("!SSDSC02"));
    SubHierDescRec desc;
    ReadSubHierDesc(status, desc);
    EXPECT_EQ(Trim(desc.HierName), "SUB");
}

TEST_F(Hierarchy, ASecondInstanceReusesTheChildsNetsAndAnExistingNetGetsNoStub)
{
    Enter(kSub);
    const int32_t clk = N_CreateNet(0, 1, "CLK");
    Enter(kMain);
    int32_t status = 1;
    CreateSubHier(status, 1, Comp("B1"), kSub);
    ASSERT_EQ(status, 0);
    CreateSubHier(status, 1, Comp("B2"), kSub);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(HierTexts(C_CompTextArray(Comp("B2"))).size(), 4u);
    Enter(kSub);
    EXPECT_EQ(Stubs().size(), 2u);  // IN and OUT; CLK existed already
    std::vector<SubHierNetRec> nets;
    ReadSubHierNets(status, nets);
    ASSERT_EQ(nets.size(), 3u);
    EXPECT_EQ(nets[2].NetId, clk);
}

TEST_F(Hierarchy, ALevelNameThatIsAmbiguousOrTooLongIsRefused)
{
    DB_CreateHier(0, "SUB", "Q");  // a second level named SUB
    int32_t status = 0;
    CreateSubHier(status, 1, Comp("B1"), kSub);
    EXPECT_EQ(status, 1);
    const int32_t longLevel = DB_CreateHier(0, "A_VERY_LONG_LEVEL_NAME", "Q");
    CreateSubHier(status, 1, Comp("B1"), longLevel);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(HierTexts(C_CompTextArray(Comp("B1"))).empty());
    EXPECT_EQ(g_CurHier, kMain);
    Enter(kSub);
    EXPECT_EQ(OM_GetCount(DB_NetMap()), 0);
}

TEST_F(Hierarchy, RecursionThroughTheLevelItselfOrADescendantIsFound)
{
    const int32_t b1 = Comp("B1");
    // Self: a block of MAIN given MAIN.
    EXPECT_EQ(CheckHierRecursion(kMain, kMain, b1, kMain), -1);
    int32_t status = 1;
    CreateSubHier(status, 1, b1, kSub2);
    ASSERT_EQ(status, 0);
    Enter(kSub2);
    const int32_t b3 = Comp("B3");
    Enter(kMain);
    // Descendant: B3 inside SUB2 (below MAIN) given MAIN.
    EXPECT_EQ(CheckHierRecursion(kMain, kSub2, b3, kMain), -1);
    EXPECT_EQ(CheckHierRecursion(kMain, kSub2, b3, kSub2), -1);
    EXPECT_EQ(CheckHierRecursion(kMain, kSub2, b3, kSub), 0);
    EXPECT_EQ(DB_CurHier(), kMain);
}

TEST_F(Hierarchy, BuildHierTreeListsTheTreeDepthFirstAndMarksARecursion)
{
    int32_t status = 1;
    CreateSubHier(status, 1, Comp("B1"), kSub2);
    ASSERT_EQ(status, 0);
    int32_t recursion = 0;
    std::vector<HierTreeEntry> tree;
    BuildHierTree(false, kMain, recursion, tree);
    EXPECT_EQ(recursion, 0);
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[0].CompName, "--->");
    EXPECT_EQ(tree[1].CompName, "B1");
    EXPECT_EQ(tree[1].SubHierName, "SUB2");

    // B3 in SUB2 made to refer to MAIN: the walk marks it and goes on.
    Enter(kSub2);
    HierAttrRec attr;
    attr.Kind = "X";
    attr.HierName = "MAIN";
    attr.Tag = "hierarchy";
    MakeHierLabels(status, 1, Comp("B3"), attr, {});
    Enter(kMain);
    BuildHierTree(true, kMain, recursion, tree);
    EXPECT_EQ(recursion, -1);
    ASSERT_EQ(tree.size(), 5u);  // start, B1 -> SUB2, B3 -> MAIN (recursive), B2, C1
    EXPECT_EQ(tree[2].CompName, "B3");
    EXPECT_EQ(tree[2].Level, 2);
    EXPECT_EQ(tree[2].Recursive, -1);
    EXPECT_EQ(tree[3].CompName, "B2");
    EXPECT_EQ(tree[3].SubHierId, 0);
    EXPECT_EQ(DB_CurHier(), kMain);
}

TEST_F(Hierarchy, GetCompSubHierNeedsAnUpperCaseX)
{
    const int32_t b1 = Comp("B1");
    HierAttrRec attr;
    attr.Kind = "x";
    attr.HierName = "SUB";
    attr.Tag = "hierarchy";
    int32_t status = 1;
    MakeHierLabels(status, 1, b1, attr, {});
    ASSERT_EQ(status, 0);
    HierAttrRec read;
    ReadCompHierAttr(status, b1, read);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(read.Kind, "x");
    int32_t sub = -1, own = -1;
    std::string name = "?";
    GetCompSubHier(sub, name, own, b1, Symbol("BLK"));
    EXPECT_EQ(sub, 0);
    EXPECT_EQ(name, "");

    attr.Kind = "X";
    MakeHierLabels(status, 1, b1, attr, {});
    GetCompSubHier(sub, name, own, b1, Symbol("BLK"));
    EXPECT_EQ(sub, kSub);
    EXPECT_EQ(name, "SUB");
    EXPECT_EQ(own, 1);
}

TEST_F(Hierarchy, AComponentWithoutItsOwnAttributeFallsBackToItsSymbols)
{
    HierAttrRec attr;
    attr.Kind = "X";
    attr.HierName = "SUB3";
    attr.Tag = "hierarchy";
    int32_t status = 1;
    MakeHierLabels(status, 0, Symbol("BLK"), attr, {});
    ASSERT_EQ(status, 0);
    EXPECT_EQ(O_GetStatus(S_Symbol(Symbol("BLK"))) & 32, 32);
    int32_t sub = 0, own = -1;
    std::string name;
    GetCompSubHier(sub, name, own, Comp("B2"), Symbol("BLK"));
    EXPECT_EQ(sub, kSub3);
    EXPECT_EQ(own, 0);
    EXPECT_EQ(FindHierSymbol(kSub3), Symbol("BLK"));
    EXPECT_EQ(FindHierSymbol(kSub2), 0);
}

TEST_F(Hierarchy, RefreshHierLabelsRewritesEveryInstanceFromTheLevelOfTheSymbolsName)
{
    // A level named like the symbol, with its ports remembered.
    const int32_t blkLevel = DB_CreateHier(0, "BLK", "Q");
    int32_t status = 1;
    CreateSubHier(status, 1, Comp("B1"), blkLevel);
    ASSERT_EQ(status, 0);
    // The symbol carries hierarchy texts; port 1 belongs to its entry 2.
    HierAttrRec attr;
    attr.Kind = "X";
    attr.HierName = "OLD";
    attr.Tag = "hierarchy";
    std::vector<HierPortRec> ports(1);
    ports[0].EntryNo = 2;
    MakeHierLabels(status, 0, Symbol("BLK"), attr, ports);
    RefreshHierLabels();
    EXPECT_EQ(g_CurHier, kMain);
    const auto texts = HierTexts(C_CompTextArray(Comp("B2")));
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0].first, "X,BLK,hierarchy");
    EXPECT_EQ(texts[1], (std::pair<std::string, int32_t>{"1", 2}));
    Enter(kSub2);
    EXPECT_EQ(HierTexts(C_CompTextArray(Comp("B3"))).size(), 4u);
    Enter(kMain);
    EXPECT_TRUE(HierTexts(S_SymbolItemArray(Symbol("BLK"))).empty());
}

TEST_F(Hierarchy, LoadSubHierPortsTellsAMissingLevelFromOneWithoutPorts)
{
    HierAttrRec attr;
    attr.HierName = "NOPE";
    std::vector<HierPortRec> ports;
    int32_t status = 0;
    LoadSubHierPorts(status, attr, ports);
    EXPECT_EQ(status, 1);
    attr.HierName = "SUB";
    LoadSubHierPorts(status, attr, ports);
    EXPECT_EQ(status, 2);
    CreateSubHier(status, 1, Comp("B1"), kSub);
    LoadSubHierPorts(status, attr, ports);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(attr.HierId, kSub);
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(ports[1].EntryName, "OUT");
    EXPECT_EQ(g_CurHier, kMain);
    EXPECT_EQ(DB_CurHier(), kMain);
}

}  // namespace
