// Components: found by name, entries checked, created with the supply net
// of a power symbol, deleted, placed, picked, selected, and the copies of
// an array fitted into the drawing area.
#include "editor/objects/comp_picking.h"
#include "editor/objects/components.h"
#include "editor/shell/curpos.h"
#include "tests/objects/comp_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace palvane_test;

class Components : public CompTest {
protected:
    // A schematic symbol with one entry at its origin.
    static int32_t OneEntrySymbol(const char* name)
    {
        const int32_t s = S_CreateSymbol(0, name);
        S_AddEntry(s, "1", 0, 0, 0, 0, 0, 0);
        return s;
    }
    static CompInfoRec Info(const std::string& name, int32_t symb, int32_t device = 0)
    {
        CompInfoRec rec;
        rec.Name = FixedText(name, 15);
        rec.Symb = symb;
        rec.SymbName = FixedText(PtrToStrCopy(O_GetName(S_Symbol(symb))), 15);
        rec.Device = device;
        rec.Flags = 1;
        rec.Extra = 1;
        rec.X = 30 * kTenth;
        return rec;
    }
};

TEST_F(Components, FindByNameLooksOnTheSideAsked)
{
    struct Case {
        int32_t side;
        const char* name;
        int32_t id;
    } cases[] = {
        {0, "U1/1", Comp("U1/1")},
        {1, "U1", LayComp("U1")},
        {0, "U1", 0},
        {1, "U1/1", 0},
    };
    for (const Case& c : cases) {
        int32_t status = 5, id = -1;
        FindCompByName(status, c.side, id, c.name);
        EXPECT_EQ(id, c.id) << c.name;
        EXPECT_EQ(status, c.id == 0 ? 1 : 0) << c.name;
    }
}

TEST_F(Components, CheckCompEntryTakesTheSymbolsEntries)
{
    const int32_t u1 = Comp("U1/1");
    struct Case {
        int32_t comp, entry, status;
    } cases[] = {{u1, 0, 1}, {u1, 1, 0}, {u1, 3, 0}, {u1, 4, 1}, {9999, 1, 1}};
    for (const Case& c : cases) {
        int32_t status = 7;
        CheckCompEntry(status, c.comp, c.entry);
        EXPECT_EQ(status, c.status) << c.comp << " " << c.entry;
    }
}

TEST_F(Components, FitCompArrayKeepsOnlyCopiesWithinTheLimit)
{
    const int32_t u1 = Comp("U1/1");
    int32_t box[4] = {};
    ASSERT_GT(C_FrameCompItems(u1, box), 0);
    const int32_t w = box[2] - box[0];
    const int32_t h = box[3] - box[1];
    struct Case {
        const char* what;
        int32_t countX, countY, gapX, gapY;
        int32_t keptX, keptY;
        int64_t extentX, extentY;
    } cases[] = {
        {"single copies", 1, 1, 0, 0, 1, 1, w, h},
        {"a pitch of 100,000,000: three fit", 5, 1, 100000000 - w, 0, 3, 1, 200000000LL + w, h},
        {"the second copy alone passes the limit", 2, 1, kMaxArrayExtent - w + 1, 0, 1, 1, w, h},
        {"exactly at the limit", 2, 1, kMaxArrayExtent - 2 * w, 0, 2, 1, kMaxArrayExtent, h},
        {"the same in Y", 1, 4, 0, 110000000 - h, 1, 2, w, 110000000LL + h},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int32_t status = 5, cx = c.countX, cy = c.countY;
        PointL extent, frame;
        FitCompArray(status, u1, cx, cy, c.gapX, c.gapY, extent, frame);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(cx, c.keptX);
        EXPECT_EQ(cy, c.keptY);
        EXPECT_EQ(extent.X, c.extentX);
        EXPECT_EQ(extent.Y, c.extentY);
        EXPECT_EQ(frame.X, w);
        EXPECT_EQ(frame.Y, h);
        EXPECT_LE(extent.X, kMaxArrayExtent);
    }
    int32_t status = 0, cx = 3, cy = 3;
    PointL extent, frame;
    FitCompArray(status, 9999, cx, cy, 0, 0, extent, frame);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(cx, 3);
}

TEST_F(Components, CreateCompJoinsPowerSymbolsToTheirNet)
{
    const int32_t spl = OneEntrySymbol("SPL");
    const int32_t splx = OneEntrySymbol("SPLX");
    const int32_t vcc = Symbol("SPLVCC");
    const int32_t device = Device("R");
    struct Case {
        const char* name;
        int32_t symb, device, supply;
        const char* net;  // the net entry 1 joins, nullptr for none
    } cases[] = {
        {"P1", vcc, 0, 1, "SPLVCC"},  // an existing net
        {"P2", splx, 0, 1, "SPLX"},   // a new one
        {"P3", spl, 0, 1, nullptr},   // "SPL" alone is no power symbol
        {"P4", splx, 0, 0, nullptr},  // no supply wanted
        {"P5", Symbol("RES"), device, 1, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CompInfoRec rec = Info(c.name, c.symb, c.device);
        int32_t status = 0;
        CreateComp(status, rec, c.supply);
        ASSERT_EQ(status, 0);
        ASSERT_EQ(OM_FindName(DB_SchCompMap(), c.name), rec.Id);
        int32_t net = 0;
        const int32_t node = PinNode(0, rec.Id, 1, &net);
        if (c.net == nullptr) {
            EXPECT_EQ(node, 0);
            continue;
        }
        ASSERT_NE(node, 0);
        EXPECT_EQ(net, Net(c.net));
        EXPECT_EQ(O_GetStatus(N_Net(net)) & 7, 7);
    }
    EXPECT_EQ(Net("SPL"), 0);
}

TEST_F(Components, CreateCompWithABlankNameMakesNothing)
{
    // The record still carries the id of the power symbol V1: no node may
    // be made for it.
    CompInfoRec rec = Info("", OneEntrySymbol("SPLX"));
    rec.Id = Comp("V1");
    const int32_t comps = OM_GetCount(DB_SchCompMap());
    int32_t status = 0;
    CreateComp(status, rec, 1);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(rec.Id, Comp("V1"));
    EXPECT_EQ(OM_GetCount(DB_SchCompMap()), comps);
    EXPECT_EQ(Net("SPLX"), 0);
    EXPECT_EQ(CountPinNodes(0, Comp("V1"), 1), 1);
}

TEST_F(Components, CreateCompReportsWhatTheKernelRefuses)
{
    struct Case {
        const char* what;
        std::string name;
        int32_t symb, device;
    } cases[] = {
        {"a symbol missing from the design", "X1", 9999, 0},
        {"a device missing from the design", "X2", Symbol("RES"), 9999},
        {"a name longer than the kernel takes", std::string(300, 'X'), Symbol("RES"), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui.ExpectMessageBox(winsys::mb::AnswerOk, "Can't create Component: ");
        const int32_t comps = OM_GetCount(DB_SchCompMap());
        CompInfoRec rec = Info("", c.symb, c.device);
        rec.Name = c.name;
        int32_t status = 0;
        CreateComp(status, rec, 1);
        EXPECT_EQ(status, 1);
        EXPECT_EQ(rec.Id, 0);
        EXPECT_EQ(OM_GetCount(DB_SchCompMap()), comps);
    }
}

TEST_F(Components, DeleteCompTakesItsWiresAndNodes)
{
    const int32_t r1 = Comp("R1/1");
    ASSERT_NE(PinNode(0, r1, 2), 0);
    ASSERT_EQ(Branches(Net("N")).size(), 1u);
    DeleteComp(r1);
    EXPECT_EQ(C_Component(r1), 0);
    EXPECT_EQ(CountPinNodes(0, r1, 2), 0);
    EXPECT_TRUE(Branches(Net("N")).empty());
    EXPECT_NE(PinNode(0, Comp("U1/1"), 1), 0);
}

TEST_F(Components, SetCompPlacementMovesTurnsAndMirrors)
{
    const int32_t r1 = Comp("R1/1");
    CompRec rec = Read(r1);
    rec.X = 7 * kTenth;
    rec.Y = -3 * kTenth;
    rec.Angle = 90000;
    rec.Flags |= 2;
    SetCompPlacement(r1, rec);
    CompRec now = Read(r1);
    EXPECT_EQ(now.X, 7 * kTenth);
    EXPECT_EQ(now.Y, -3 * kTenth);
    EXPECT_EQ(now.Angle, 90000);
    EXPECT_NE(now.Flags & 2, 0);
    rec.Flags &= ~2;
    SetCompPlacement(r1, rec);
    EXPECT_EQ(Read(r1).Flags & 2, 0);
}

TEST_F(Components, PickCompOnEmptySpaceChangesNothing)
{
    g_PickTolerance = kTenth / 4;
    g_CompName = "before";
    int32_t status = 0, id = 5, entry = 7;
    std::string name = "kept";
    PickComp(status, 25 * kTenth, -15 * kTenth, id, entry, name);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(id, 0);
    EXPECT_EQ(name, "kept");
    EXPECT_EQ(g_Comp.Name, nullptr);
    EXPECT_EQ(g_CompAnchorStart.X, 0);
}

TEST_F(Components, PickCompHoldsTheComponentAtItsPickedEntryElseEntryOne)
{
    g_PickTolerance = kTenth / 4;
    const int32_t u1 = Comp("U1/1");
    EntryRec b{}, a{};
    ASSERT_NE(C_ReadEntry(u1, 2, &b), 0);
    ASSERT_NE(C_ReadEntry(u1, 1, &a), 0);
    struct Case {
        const char* what;
        int32_t x, y;
        int32_t entry;
        PointL anchor;
    } cases[] = {
        {"on entry B", b.X, b.Y, 2, {b.X, b.Y}},
        {"on the body, no entry near", -15 * kTenth / 10, 0, 0, {a.X, a.Y}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int32_t status = 5;
        PickComp(status, c.x, c.y, g_CompId, g_CompEntry, g_CompName);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(g_CompId, u1);
        EXPECT_EQ(g_CompEntry, c.entry);
        EXPECT_EQ(g_CompName, "U1/1");
        EXPECT_EQ(g_CompAnchorStart.X, c.anchor.X);
        EXPECT_EQ(g_CompAnchorStart.Y, c.anchor.Y);
        // The anchor itself is relative to the component's origin.
        EXPECT_EQ(g_CompAnchor.X, c.anchor.X - g_Comp.X);
        EXPECT_EQ(g_CompAnchor.Y, c.anchor.Y - g_Comp.Y);
        EXPECT_EQ(g_CompOld.X, g_Comp.X);
    }
}

TEST_F(Components, PickCompTextReadsTheTextAndItsComponent)
{
    g_PickTolerance = kTenth / 4;
    const int32_t u1 = Comp("U1/1");
    const auto refs = TextsWith(u1, 2);
    ASSERT_EQ(refs.size(), 1u);
    ItemRec abs{};
    const int32_t n = OA_GetCount(C_CompTextArray(u1));
    int32_t index = 0;
    for (int32_t i = 1; i <= n && index == 0; ++i) {
        I_ReadItemAbs(C_CompText(u1, i), &abs);
        if ((abs.Flags & 2) != 0) index = i;
    }
    int32_t status = 5, id = 0, textIdx = 0;
    std::string name;
    PickCompText(status, abs.X + abs.P2, abs.Y + abs.P1, id, textIdx, name);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(id, u1);
    EXPECT_EQ(textIdx, index);
    EXPECT_EQ(name, "U1/1");
    EXPECT_EQ(g_CompTextStr, "U1");
    EXPECT_EQ(g_CompTextVal, "U1");
    EXPECT_EQ(g_CompTextOld.X, g_CompText.X);
    PickCompText(status, 25 * kTenth, -15 * kTenth, id, textIdx, name);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(textIdx, 0);
}

TEST_F(Components, SelectCompsAtPointTakesThoseInTheRectangle)
{
    const int32_t u1 = Comp("U1/1");
    const int32_t wire = Branches(Net("N")).at(0);
    O_Mask(C_Component(Comp("R1/1")), 256, 256);
    struct Case {
        const char* what;
        SelRectRec rect;
        int32_t status;
    } cases[] = {
        {"origin inside", {-kTenth, -kTenth, kTenth, kTenth}, 0},
        {"origin outside", {kTenth, kTenth, 2 * kTenth, 2 * kTenth}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_SelRect = c.rect;
        int32_t status = 5;
        SelectCompsAtPoint(status, -15 * kTenth / 10, 0, kTenth / 4);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ((O_GetStatus(C_Component(u1)) & 256) != 0, c.status == 0);
        EXPECT_EQ((O_GetStatus(B_Branch(wire)) & 2048) != 0, c.status == 0);
        EXPECT_EQ(O_GetStatus(C_Component(Comp("R1/1"))) & 256, 0) << "earlier selections are cleared";
    }
}

TEST_F(Components, LayCompExchangeWithoutTracesIsNeverRefused)
{
    const int32_t u1 = LayComp("U1");
    const int32_t r1 = LayComp("R1");
    struct Case {
        int32_t a, b;
    } cases[] = {{u1, u1}, {u1, r1}, {u1, 9999}};
    for (const Case& c : cases) {
        int32_t result = 0;
        CheckLayCompExchange(result, c.a, c.b);
        EXPECT_EQ(result, 0) << c.a << " " << c.b;
    }
}

}  // namespace
