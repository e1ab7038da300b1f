// Packaging: gates packed into existing, new and full layout components,
// refusals that leave nothing behind, unpacking, the free gate of a device,
// and the layout component's name text.
#include "editor/objects/comp_texts.h"
#include "editor/objects/components.h"
#include "editor/objects/net_removal.h"
#include "editor/objects/packaging.h"
#include "editor/shell/prefs.h"
#include "tests/objects/comp_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace palvane_test;

class Packaging : public CompTest {
protected:
    void SetUp() override
    {
        CompTest::SetUp();
        for (long i = 1; i <= 4; ++i) g_PrefCompName(i) = i == 1;
        for (long i = 1; i <= 6; ++i) g_PrefPinOut(i) = i <= 2;
        for (long i = 1; i <= 10; ++i) g_PrefDescription(i) = i == 1 || i == 5 || i == 9;
        g_PackInfo = PackInfoRec{};
        g_PackGroups.Redim(1, 0);
        ASSERT_NE(D_ReadDevice(Device("74HC00"), &nand), 0);
    }
    // A new, unpacked NAND gate, made the current component.
    int32_t NewGate(const char* name, int32_t x = 30)
    {
        CompInfoRec rec;
        rec.Name = FixedText(name, 15);
        rec.Symb = Symbol("NAND2");
        rec.SymbName = FixedText("NAND2", 15);
        rec.Device = Device("74HC00");
        rec.Flags = 1;
        rec.Extra = 1;
        rec.X = x * kTenth;
        int32_t status = 0;
        CreateComp(status, rec, 0);
        EXPECT_EQ(status, 0);
        MakeCurrent(rec.Id);
        return rec.Id;
    }
    static void MakeCurrent(int32_t id)
    {
        g_CompId = id;
        C_ReadComponent(id, &g_Comp);
    }
    static int32_t Parts(int32_t layComp)
    {
        LayCompRec rec{};
        return L_ReadComponent(layComp, &rec) ? rec.Parts : -1;
    }
    // A picture of what packaging may change.
    struct State {
        int32_t layComps, comps, symbols, nets;
        bool operator==(const State&) const = default;
    };
    static State Now()
    {
        return {OM_GetCount(DB_LayCompMap()), OM_GetCount(DB_SchCompMap()), OM_GetCount(DB_SymbMap()),
                OM_GetCount(DB_NetMap())};
    }

    DeviceRec nand{};
};

TEST_F(Packaging, PackIntoAnExistingLayoutComponent)
{
    const int32_t x = NewGate("X1");
    const int32_t u1 = LayComp("U1");
    const int32_t layComps = OM_GetCount(DB_LayCompMap());
    std::string name = "U1 spare";
    int32_t status = 5;
    PackComp(status, name, 3, nand);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(name, "U1");
    EXPECT_EQ(OM_GetCount(DB_LayCompMap()), layComps);
    EXPECT_EQ(Parts(u1), 3);
    EXPECT_EQ(L_GetSchCompId(u1, 3), x);
    EXPECT_EQ(Read(x).LayComp, u1);
    EXPECT_EQ(Read(x).Group, 3);
    EXPECT_EQ(Name(x), "U1/3");
    EXPECT_EQ(g_CompName, "U1/3");
    ASSERT_EQ(g_PackGroups.UBound(), 3);
    EXPECT_EQ(g_PackGroups(3).Id, x);
    EXPECT_EQ(Trim(g_PackGroups(3).GateText), "74HC00,C");
    EXPECT_EQ(TextsWith(x, 16).size(), 3u);
}

TEST_F(Packaging, PackIntoANewLayoutComponentMakesItWithItsSupplyNodes)
{
    // Without a ground net, packing makes it.
    DeleteNet(Net("SPLGND"));
    ASSERT_EQ(Net("SPLGND"), 0);
    const int32_t x = NewGate("X1");
    std::string name = "U7";
    int32_t status = 5;
    PackComp(status, name, 2, nand);
    ASSERT_EQ(status, 0);
    const int32_t u7 = LayComp("U7");
    ASSERT_NE(u7, 0);
    LayCompRec rec{};
    ASSERT_NE(L_ReadComponent(u7, &rec), 0);
    EXPECT_EQ(rec.Symb, Symbol("DIP14"));
    EXPECT_EQ(rec.Device, Device("74HC00"));
    EXPECT_EQ(rec.Parts, 1);
    EXPECT_EQ(Name(x), "U7/2");
    // Its name text.
    ItemRec text{};
    ASSERT_GT(OA_GetCount(L_CompTextArray(u7)), 0);
    ASSERT_NE(I_ReadItem(L_CompText(u7, 1), &text), 0);
    EXPECT_EQ(PtrToStrCopy(text.Text), "U7");
    // The supply pins join the nets named like them; SPLGND is made.
    int32_t net = 0;
    EXPECT_NE(PinNode(1, u7, 14, &net), 0);
    EXPECT_EQ(net, Net("SPLVCC"));
    EXPECT_NE(PinNode(1, u7, 7, &net), 0);
    EXPECT_EQ(net, Net("SPLGND"));
    EXPECT_EQ(O_GetStatus(N_Net(Net("SPLGND"))) & 6, 6);
}

TEST_F(Packaging, RefusalsLeaveEverythingAsItWas)
{
    const int32_t x = NewGate("X1");
    const int32_t r = Comp("R1/1");
    struct Case {
        const char* what;
        int32_t comp;
        const char* name;
        int32_t group;
        const char* message;  // nullptr: none
    } cases[] = {
        {"an empty name", x, "  ", 1, nullptr},
        {"gate 0", x, "U7", 0, nullptr},
        {"a gate the device lacks", x, "U7", 5, nullptr},
        {"a gate taken already", x, "U1", 1, nullptr},
        {"a component packed already", Comp("U1/1"), "U7", 3, nullptr},
        {"a layout component of another device", x, "R1", 1, nullptr},
        {"a name the gate cannot take (new layout component)", x, "U8", 1, "Component: U8/1 already exists"},
    };
    O_Rename(C_Component(r), "U8/1");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MakeCurrent(c.comp);
        const CompRec before = Read(c.comp);
        const State state = Now();
        const int32_t u1Parts = Parts(LayComp("U1"));
        if (c.message) ui.ExpectMessageBox(winsys::mb::AnswerOk, c.message);
        std::string name = c.name;
        int32_t status = 0;
        PackComp(status, name, c.group, nand);
        EXPECT_EQ(status, 1);
        EXPECT_TRUE(Now() == state);
        EXPECT_EQ(Parts(LayComp("U1")), u1Parts);
        EXPECT_EQ(Read(c.comp).LayComp, before.LayComp);
        EXPECT_EQ(Name(c.comp), PtrToStrCopy(before.Name));
        EXPECT_EQ(LayComp("U7"), 0);
        EXPECT_EQ(LayComp("U8"), 0);
    }
}

TEST_F(Packaging, AFullPackageTakesNoMoreGates)
{
    std::string name = "U1";
    int32_t status = 0;
    NewGate("X3");
    PackComp(status, name, 3, nand);
    NewGate("X4", 40);
    PackComp(status, name, 4, nand);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(Parts(LayComp("U1")), 4);
    const int32_t x5 = NewGate("X5", 50);
    const State state = Now();
    status = 0;
    PackComp(status, name, 1, nand);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(Now() == state);
    EXPECT_EQ(Read(x5).LayComp, 0);
    EXPECT_EQ(Parts(LayComp("U1")), 4);
}

TEST_F(Packaging, UnpackingTheLastGateDeletesTheLayoutComponent)
{
    const int32_t r1 = Comp("R1/1");
    const int32_t layR1 = LayComp("R1");
    ASSERT_NE(layR1, 0);
    ASSERT_NE(PinNode(0, r1, 2), 0);
    ASSERT_FALSE(TextsWith(r1, 2).empty());
    UnpackComp(r1, Read(r1));
    EXPECT_EQ(L_Component(layR1), 0);
    const CompRec now = Read(r1);
    EXPECT_EQ(now.LayComp, 0);
    EXPECT_EQ(now.Group, 0);
    EXPECT_EQ(Name(r1), "Unpck1");
    EXPECT_TRUE(TextsWith(r1, 22).empty());
    // The wired pin keeps its node, without a layout side.
    int32_t net = 0;
    const int32_t node = PinNode(0, r1, 2, &net);
    ASSERT_NE(node, 0);
    NodeRec rec{};
    N_ReadNode(net, node, &rec);
    EXPECT_EQ(rec.LayComp, 0);
    EXPECT_EQ(rec.LayEntry, 0);
}

TEST_F(Packaging, UnpackingOneGateKeepsTheOthers)
{
    const int32_t a = Comp("U1/1");
    const int32_t b = Comp("U1/2");
    const int32_t u1 = LayComp("U1");
    UnpackComp(a, Read(a));
    EXPECT_EQ(Parts(u1), 1);
    EXPECT_EQ(L_GetSchCompId(u1, 1), b);
    EXPECT_EQ(Read(a).LayComp, 0);
    int32_t net = 0;
    const int32_t node = PinNode(0, a, 1, &net);
    ASSERT_NE(node, 0);
    NodeRec rec{};
    N_ReadNode(net, node, &rec);
    EXPECT_EQ(rec.LayComp, 0);
    EXPECT_EQ(Read(b).LayComp, u1);
    EXPECT_EQ(Name(b), "U1/2");
}

TEST_F(Packaging, UnpackingDropsStaleLinksFirst)
{
    const int32_t b = Comp("U1/2");
    const int32_t u1 = LayComp("U1");
    ASSERT_NE(L_ChangeSchCompId(u1, 1, 0), 0);
    UnpackComp(b, Read(b));
    EXPECT_EQ(L_Component(u1), 0) << "nothing is left once the stale link and the gate are gone";
    EXPECT_EQ(Read(b).LayComp, 0);
}

TEST_F(Packaging, LoadPackInfoAndFindFreeGroup)
{
    const int32_t u1 = LayComp("U1");
    LayCompRec rec{};
    ASSERT_NE(L_ReadComponent(u1, &rec), 0);
    PackInfoRec info;
    LoadPackInfo(u1, rec, info);
    EXPECT_EQ(info.LayComp, u1);
    EXPECT_EQ(Trim(info.Name), "U1");
    EXPECT_EQ(Trim(info.SymbName), "DIP14");
    EXPECT_EQ(Trim(info.DeviceName), "74HC00");
    EXPECT_EQ(info.Parts, 2);
    ASSERT_EQ(g_PackGroups.UBound(), 2);
    EXPECT_EQ(g_PackGroups(2).Group, 2);

    FillCompInfo(Comp("U1/1"), Read(Comp("U1/1")), g_CompInfo);
    int32_t group = -1;
    FindFreeGroup(group, nand);
    EXPECT_EQ(group, 3);
    g_PackGroups.RedimPreserve(4);
    g_PackGroups(3).Group = 3;
    g_PackGroups(4).Group = 4;
    FindFreeGroup(group, nand);
    EXPECT_EQ(group, 0) << "every gate is taken";
    g_PackGroups.Redim(1, 0);
    g_CompInfo.SymbName = FixedText("INV", 15);
    FindFreeGroup(group, nand);
    EXPECT_EQ(group, 0) << "no gate is drawn with that symbol";

    // A stale link leaves its entry empty.
    ASSERT_NE(L_ChangeSchCompId(u1, 1, 0), 0);
    LoadPackInfo(u1, rec, info);
    ASSERT_EQ(g_PackGroups.UBound(), 2);
    EXPECT_EQ(g_PackGroups(1).Id, 0);
    EXPECT_EQ(g_PackGroups(2).Id, Comp("U1/2"));
}

TEST_F(Packaging, LayoutComponentNameTextIsReplacedNotDoubled)
{
    PackInfoRec info;
    info.Name = FixedText("U9 new", 15);
    info.Flags = 1;
    info.Symb = Symbol("DIP14");
    info.Device = Device("74HC00");
    int32_t status = 5;
    CreateLayComp(status, info);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(info.LayComp, LayComp("U9"));
    status = 0;
    MakeLayCompTexts(status, info, info.Symb, "U9B");
    EXPECT_EQ(status, 0);
    const int32_t texts = L_CompTextArray(info.LayComp);
    ASSERT_EQ(OA_GetCount(texts), 1);
    ItemRec text{};
    I_ReadItem(L_CompText(info.LayComp, 1), &text);
    EXPECT_EQ(PtrToStrCopy(text.Text), "U9B");

    PackInfoRec bad = info;
    bad.LayComp = 0;
    bad.Symb = 9999;
    CreateLayComp(status, bad);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(bad.LayComp, 0);
}

TEST_F(Packaging, DeleteLayCompTakesItsPinNodes)
{
    const int32_t u1 = LayComp("U1");
    std::string name = "U7";
    int32_t status = 0;
    NewGate("X1");
    PackComp(status, name, 1, nand);
    const int32_t u7 = LayComp("U7");
    ASSERT_NE(PinNode(1, u7, 14), 0);
    DeleteLayComp(u7);
    EXPECT_EQ(L_Component(u7), 0);
    EXPECT_EQ(CountPinNodes(1, u7, 14), 0);
    EXPECT_NE(L_Component(u1), 0);
    int32_t x = 1, y = 1;
    GetTraceFrame(x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
}

}  // namespace
