// The net mode through the real canvas and kernel: clicks and pointer moves
// on the canvas build, merge, split, disconnect, delete, edit and rewire
// nets; the next-node preview draws and erases its chain cleanly.
#include "editor/dialogs/schinet.h"
#include "editor/dialogs/schsnet.h"
#include "editor/interaction/commands.h"
#include "editor/objects/net_lookups.h"
#include "editor/objects/net_text.h"
#include "editor/objects/netlist_compare.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/curpos.h"
#include "editor/shell/forms.h"
#include "editor/shell/listbox.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/textnum.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/textarea.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "platform/kernel/testing.h"
#include "tests/editing/editing_fixture.h"
#include "tests/support/raster.h"
#include "tests/support/screenshot.h"

#include <QApplication>
#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace palvane_test;

// N, M and K are the members of bus B (K the third); S lies in two pieces;
// Z is a net of one node outside the bus; R4 and R5 are free; R9 lies on
// the second page.
const char* kNets = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N
net K
net S
page P1 frame 100 80
  component R1 R at -20 20
  component R2 R at 0 20
  component R3 R at -20 0
  component R4 R at 0 0
  component R5 R at 20 0
  component R6 R at -20 -20
  component R7 R at 0 -20
  component R8 R at 20 -20
  component R10 R at 20 20
  component R11 R at 40 0
  net M R3.1
  net Z R11.1
  wire N R1.2 R2.1
  wire K R10.1 (30 25)
  wire S R6.2 R7.1
  wire S R8.1 R8.2
end
page P2 frame 100 80
  component R9 R at 0 0
end
bus B N M K
)";

class NetMode : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        g_CurCommand = 0;
        Use(kNets, "P1");
        SCHMAIN& m = Main();
        m.LoadSettings();
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        m.ViewPicture->setFocus();
        m.M_FSI_Click(MODE_NETS);
        Function(0);
        m.RefreshCanvas();
    }
    void TearDown() override
    {
        KT_FailCall("", 0);
        EditingTest::TearDown();
    }
    void Function(int f)
    {
        SCHMAIN& m = Main();
        if (m.F_FSI.Exists(f))
            m.F_FSI(f)->SetValue(true);
        ModeTools(MODE_NETS).SelFunc = f;
    }
    void Option(int n, bool on) { Main().F_OST(n)->SetValue(on); }
    // The canvas pixel of a point in database units.
    QPoint Px(int32_t x, int32_t y)
    {
        SCHMAIN& m = Main();
        m.OpenCanvasDC();
        int32_t p[2] = {x, y};
        G_LPtoDP(p);
        m.CloseCanvasDC();
        return {p[0], p[1]};
    }
    void Move(int32_t x, int32_t y)
    {
        const QPoint p = Px(x, y);
        Main().ViewPicture_MouseMove(0, 0, p.x(), p.y());
    }
    void Click(int32_t x, int32_t y)
    {
        const QPoint p = Px(x, y);
        Main().ViewPicture_MouseMove(0, 0, p.x(), p.y());
        Main().ViewPicture_MouseUp(1, 0, p.x(), p.y());
    }
    static void Pin(const char* comp, int32_t entry, int32_t& x, int32_t& y)
    {
        EntryRec rec{};
        ASSERT_NE(C_ReadEntry(CompId(comp), entry, &rec), 0) << comp << "." << entry;
        x = rec.X;
        y = rec.Y;
    }
    void ClickPin(const char* comp, int32_t entry)
    {
        int32_t x = 0, y = 0;
        Pin(comp, entry, x, y);
        Click(x, y);
    }
    // The net of a component pin, 0 when the pin has no node.
    static int32_t PinNet(const char* comp, int32_t entry)
    {
        int32_t net = 0;
        N_FindCompEntry(CompId(comp), entry, &net);
        return net;
    }
    static int32_t Nodes(const char* net)
    {
        NetRec rec{};
        return N_ReadNet(NetId(net), &rec) != 0 ? rec.Nodes : -1;
    }
    QImage Canvas() { return Main().ViewPicture->Image().copy(); }
    // The canvas after the command equals a fresh paint of the page.
    void ExpectFreshPaint(const char* what)
    {
        const QImage now = Canvas();
        Main().RefreshCanvas();
        const ImageDiff d = CompareImages(now, Canvas());
        EXPECT_TRUE(d.Same()) << what << ": " << d.differing << " at " << d.firstAt.x() << "," << d.firstAt.y();
    }
    std::string LastMessageBox()
    {
        for (auto it = ui.asked().rbegin(); it != ui.asked().rend(); ++it)
            if (it->kind == "MessageBox") return it->text;
        return {};
    }
    // A spot of the page with nothing on it.
    static constexpr int32_t kEmptyX = -40 * kStep, kEmptyY = -35 * kStep;
};

TEST_F(NetMode, NetFromPinsWithTakeBackAndFinish)
{
    SCHMAIN& m = Main();
    ClickPin("R4", 1);
    ASSERT_EQ(g_CurCommand, CMD_NEXT_NODE);
    EXPECT_EQ(g_CurNet, 0);
    EXPECT_EQ(g_CurNetName.substr(0, 2), "UN");
    EXPECT_EQ(g_NetNodes.UBound(), 1);
    const std::string name = g_CurNetName;
    ClickPin("R5", 1);
    ClickPin("R5", 2);
    EXPECT_EQ(g_NetNodes.UBound(), 3);
    EXPECT_NE(m.F_MsgLine->Caption().find("Net: " + name + "  Point Next Node "), std::string::npos)
        << m.F_MsgLine->Caption();
    // Take back the last pin.
    Option(0, true);
    Move(10 * kStep, 10 * kStep);
    EXPECT_EQ(g_NetNodes.UBound(), 2);
    EXPECT_EQ(g_CurCommand, CMD_NEXT_NODE);
    // Finish: the new net asks its name in the net dialog.
    ui.ExpectModal("SCHINET", [](QWidget*) { FormInstance<SCHINET>().F_Cancel()->Press(); });
    Option(1, true);
    Move(10 * kStep, 10 * kStep);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(ui.pending(), 0u);
    const int32_t net = NetId(name.c_str());
    ASSERT_NE(net, 0);
    EXPECT_EQ(PinNet("R4", 1), net);
    EXPECT_EQ(PinNet("R5", 1), net);
    EXPECT_EQ(PinNet("R5", 2), 0);
    EXPECT_EQ(Nodes(name.c_str()), 2);
    EXPECT_EQ(m.m_OverlayMF, 0);
    ExpectFreshPaint("new net");
}

TEST_F(NetMode, TakingBackTheOnlyPinEndsWithoutANet)
{
    const int32_t nets = Count(DB_NetMap());
    ClickPin("R4", 1);
    ASSERT_EQ(g_CurCommand, CMD_NEXT_NODE);
    Option(0, true);
    Move(10 * kStep, 10 * kStep);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(Count(DB_NetMap()), nets);
    EXPECT_EQ(PinNet("R4", 1), 0);
    ExpectFreshPaint("taken back");
}

TEST_F(NetMode, ANodeStartsTheChainOfItsNet)
{
    ClickPin("R2", 1);
    ASSERT_EQ(g_CurCommand, CMD_NEXT_NODE);
    EXPECT_EQ(g_CurNet, NetId("N"));
    EXPECT_EQ(g_NetNodes.UBound(), 0);
    ClickPin("R4", 2);
    EXPECT_EQ(g_NetNodes.UBound(), 1);
    Option(1, true);
    Move(10 * kStep, 10 * kStep);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(PinNet("R4", 2), NetId("N"));
    EXPECT_EQ(Nodes("N"), 3);
    ExpectFreshPaint("extended net");
}

TEST_F(NetMode, ClicksBesideAPinStartNothing)
{
    SCHMAIN& m = Main();
    for (int f : {0, 2, 3}) {
        Function(f);
        Click(kEmptyX, kEmptyY);
        EXPECT_EQ(g_CurCommand, 0) << f;
    }
    EXPECT_TRUE(ui.asked().empty());
    EXPECT_EQ(m.m_CanvasDCLevel, 0);
}

// The preview draws over the page and its erase gives the page back.
TEST_F(NetMode, PreviewErasesToTheImageBefore)
{
    SCHMAIN& m = Main();
    ClickPin("R4", 1);
    ClickPin("R5", 1);
    ASSERT_EQ(g_CurCommand, CMD_NEXT_NODE);
    m.OpenCanvasDC();
    m.EraseOverlay();
    m.CloseCanvasDC();
    const QImage before = Canvas();
    for (bool ratsnest : {false, true}) {
        g_ShowRatsnest = ratsnest ? 1 : 0;
        Move(30 * kStep, 15 * kStep);
        EXPECT_NE(m.m_OverlayMF, 0);
        EXPECT_FALSE(CompareImages(before, Canvas()).Same()) << ratsnest;
        m.OpenCanvasDC();
        m.EraseOverlay();
        m.CloseCanvasDC();
        const ImageDiff d = CompareImages(before, Canvas());
        EXPECT_TRUE(d.Same()) << ratsnest << ": " << d.differing;
    }
}

// Without a net and without a picked pin the preview has only its rubber
// line; with no element at all only the square at the pointer.
TEST_F(NetMode, PreviewWithoutPickDrawsOnlyTheRubberLine)
{
    SCHMAIN& m = Main();
    int32_t id = CMD_NEXT_NODE;
    g_CurNet = 0;
    g_CurNetName = "UN9";
    m.BeginCommand(id);
    for (long upper : {0L, -1L}) {
        g_NetNodes.Redim(0, upper);
        if (upper == 0) Pin("R4", 1, g_NetNodes(0).X, g_NetNodes(0).Y);
        Move(30 * kStep, 15 * kStep);
        EXPECT_EQ(g_CurCommand, CMD_NEXT_NODE) << upper;
        EXPECT_NE(m.m_OverlayMF, 0) << upper;
        EXPECT_EQ(m.m_CanvasDCLevel, 0) << upper;
    }
}

// A pin whose component cannot be read is drawn like one on another page:
// neither marked nor joined; the rubber line still starts at it.
TEST_F(NetMode, AnUnreadableComponentCountsAsAnotherPage)
{
    SCHMAIN& m = Main();
    int32_t id = CMD_NEXT_NODE;
    g_CurNet = 0;
    g_CurNetName = "UN9";
    g_ShowRatsnest = 1;
    m.BeginCommand(id);
    auto imageWith = [&](int32_t comp) {
        g_NetNodes.Redim(0, 2);
        g_NetNodes(1).Comp = CompId("R4");
        Pin("R4", 1, g_NetNodes(1).X, g_NetNodes(1).Y);
        g_NetNodes(0) = g_NetNodes(1);
        g_NetNodes(2).Comp = comp;
        g_NetNodes(2).X = 25 * kStep;
        g_NetNodes(2).Y = -10 * kStep;
        Move(30 * kStep, 15 * kStep);
        const QImage shown = Canvas();
        m.OpenCanvasDC();
        m.EraseOverlay();
        m.CloseCanvasDC();
        return shown;
    };
    const QImage otherPage = imageWith(CompId("R9"));
    const QImage unreadable = imageWith(987654);
    const ImageDiff d = CompareImages(otherPage, unreadable);
    EXPECT_TRUE(d.Same()) << d.differing;
    const QImage onPage = imageWith(CompId("R5"));
    EXPECT_FALSE(CompareImages(onPage, unreadable).Same());
}

TEST_F(NetMode, MergePickedNets)
{
    Function(1);
    ClickPin("R2", 1);
    ASSERT_EQ(g_CurCommand, 102);
    EXPECT_EQ(Main().m_NetByName, 0);
    ui.ExpectPopupMenu("Yes", "Merge ");
    ClickPin("R11", 1);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(ui.pending(), 0u);
    // The bus member survives.
    EXPECT_EQ(PinNet("R11", 1), NetId("N"));
    EXPECT_EQ(NetId("Z"), 0);
}

TEST_F(NetMode, MergeByName)
{
    Function(1);
    Type("Z", "Net Name (Merge):");
    Type("N", "for Merge with:");
    ui.ExpectPopupMenu("No", "Merge ");
    Click(kEmptyX, kEmptyY);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(ui.pending(), 0u);
    // Answered No: both nets stay.
    EXPECT_NE(NetId("N"), 0);
    EXPECT_NE(NetId("Z"), 0);
    ExpectFreshPaint("merge refused");
}

TEST_F(NetMode, NetNamesThatFindNoNet)
{
    struct Case {
        int function;
        const char* typed;
        const char* message;  // "" = none
    } cases[] = {
        {1, "Q", "Net: Q not found"}, {1, "", ""},  {4, "Q", "Net: Q not found"},
        {4, "", ""},                  {6, "Q", "Net: Q not found"}, {8, "Q", "Net: Q not found"},
    };
    const int32_t nets = Count(DB_NetMap());
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.function) + " '" + c.typed + "'");
        Function(c.function);
        Type(c.typed);
        if (*c.message) ui.ExpectMessageBox(1, c.message);
        Click(kEmptyX, kEmptyY);
        EXPECT_EQ(g_CurCommand, 0);
        EXPECT_EQ(ui.pending(), 0u);
        EXPECT_EQ(Count(DB_NetMap()), nets);
    }
}

TEST_F(NetMode, SplitANetInTwoPieces)
{
    Function(2);
    const int32_t nets = Count(DB_NetMap());
    ClickPin("R7", 1);
    ASSERT_EQ(g_CurCommand, CMD_SPLIT_NET);
    // The second piece is picked; the net dialog names it.
    ClickPin("R8", 1);
    EXPECT_EQ(g_CurCommand, CMD_SPLIT_NET);
    SCHINET& dialog = FormInstance<SCHINET>();
    ASSERT_TRUE(dialog.IsLoaded());
    dialog.F_Accept()->Press();
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(Count(DB_NetMap()), nets + 1);
    EXPECT_EQ(PinNet("R6", 2), NetId("S"));
    ExpectFreshPaint("split");
    EXPECT_NE(PinNet("R8", 1), NetId("S"));
    EXPECT_EQ(PinNet("R8", 1), PinNet("R8", 2));
    EXPECT_FALSE(dialog.IsLoaded());
}

TEST_F(NetMode, SplitRefusals)
{
    Function(2);
    // A bus member.
    ui.ExpectMessageBox(1, "Can't split Bus Memeber: ");
    ClickPin("R2", 1);
    EXPECT_EQ(g_CurCommand, 0);
    // A net of one node beeps.
    ClickPin("R11", 1);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(ui.pending(), 0u);
    ASSERT_FALSE(ui.asked().empty());
    EXPECT_EQ(ui.asked().back().kind, "Beep");
}

TEST_F(NetMode, DisconnectAPinAfterYes)
{
    Function(3);
    ui.ExpectPopupMenu("No", "Delete N:R2/1,1");
    ClickPin("R2", 1);
    EXPECT_EQ(PinNet("R2", 1), NetId("N"));
    ExpectFreshPaint("disconnect refused");
    ui.ExpectPopupMenu("Yes", "Delete N:R2/1,1");
    ClickPin("R2", 1);
    EXPECT_EQ(ui.pending(), 0u);
    EXPECT_EQ(PinNet("R2", 1), 0);
    EXPECT_EQ(PinNet("R1", 2), NetId("N"));
    EXPECT_TRUE(Wires(NetId("N")).empty());
    EXPECT_EQ(g_CurCommand, 0);
    ExpectFreshPaint("disconnected");
}

TEST_F(NetMode, DeleteANetWithItsBusMemberTexts)
{
    Function(4);
    const int32_t bus = BusId("B");
    ui.ExpectPopupMenu("No", "Delete K?");
    ClickPin("R10", 1);
    EXPECT_NE(NetId("K"), 0);
    ExpectFreshPaint("delete refused");
    ui.ExpectPopupMenu("Yes", "Delete K?");
    ClickPin("R10", 1);
    EXPECT_EQ(ui.pending(), 0u);
    EXPECT_EQ(NetId("K"), 0);
    EXPECT_EQ(PinNet("R10", 1), 0);
    EXPECT_EQ(g_CurBus, bus);
    int32_t member = 0;
    EXPECT_EQ(N_FindBusMember(NetId("N"), &member), bus);
    ExpectFreshPaint("deleted");
    // By name.
    Type("M", "Net Name (Delete):");
    ui.ExpectPopupMenu("Yes", "Delete M?");
    Click(kEmptyX, kEmptyY);
    EXPECT_EQ(NetId("M"), 0);
    EXPECT_EQ(PinNet("R3", 1), 0);
}

TEST_F(NetMode, NetAsText)
{
    Function(5);
    // An existing net: its text, all selected.
    ui.ExpectModal("SCHINET", [](QWidget*) {
        SCHINET& dialog = FormInstance<SCHINET>();
        EXPECT_NE(g_NetNodeText.find("R1"), std::string::npos);
        EXPECT_EQ(g_NetTextSelLen, static_cast<int32_t>(g_NetNodeText.size()));
        dialog.F_Cancel()->Press();
    });
    ClickPin("R2", 1);
    EXPECT_NE(NetId("N"), 0);
    // A free pin: a new net of that pin.
    std::string text;
    ui.ExpectModal("SCHINET", [&](QWidget*) {
        text = g_NetNodeText;
        FormInstance<SCHINET>().F_Accept()->Press();
    });
    ClickPin("R4", 1);
    EXPECT_EQ(text, "R4/1, 1\r\nEND\r\n");
    EXPECT_NE(PinNet("R4", 1), 0);
    EXPECT_EQ(PtrToStr(O_GetName(N_Net(PinNet("R4", 1)))).substr(0, 2), "UN");
    // Empty space: only the end line.
    ui.ExpectModal("SCHINET", [&](QWidget*) {
        text = g_NetNodeText;
        FormInstance<SCHINET>().F_Cancel()->Press();
    });
    const int32_t nets = Count(DB_NetMap());
    Click(kEmptyX, kEmptyY);
    EXPECT_EQ(text, "END\r\n");
    EXPECT_EQ(Count(DB_NetMap()), nets);
    EXPECT_EQ(ui.pending(), 0u);
}

TEST_F(NetMode, ClearAndReconnectOneNet)
{
    Function(9);
    ui.ExpectPopupMenu("Yes", "Clear connections N?");
    ClickPin("R2", 1);
    EXPECT_TRUE(Wires(NetId("N")).empty());
    EXPECT_EQ(Nodes("N"), 2);
    ExpectFreshPaint("cleared");
    Function(8);
    ui.ExpectPopupMenu("Yes", "Reconnect N?");
    ClickPin("R2", 1);
    EXPECT_EQ(Wires(NetId("N")).size(), 1u);
    EXPECT_EQ(ui.pending(), 0u);
    ExpectFreshPaint("reconnected");
}

TEST_F(NetMode, ClearAndReconnectAllNets)
{
    SCHMAIN& m = Main();
    Function(9);
    Option(0, true);
    ui.ExpectPopupMenu("Yes", "Clear connections All Nets?");
    Click(kEmptyX, kEmptyY);
    EXPECT_TRUE(Wires(NetId("N")).empty());
    EXPECT_TRUE(Wires(NetId("S")).empty());
    // The option stays pressed after a clear.
    EXPECT_TRUE(m.F_OST(0)->Value());
    Function(8);
    Option(0, true);
    ui.ExpectPopupMenu("No", "Reconnect All Nets?");
    Click(kEmptyX, kEmptyY);
    EXPECT_FALSE(m.F_OST(0)->Value());
    EXPECT_TRUE(Wires(NetId("N")).empty());
    Option(0, true);
    ui.ExpectPopupMenu("Yes", "Reconnect All Nets?");
    Click(kEmptyX, kEmptyY);
    EXPECT_EQ(Wires(NetId("N")).size(), 1u);
    EXPECT_FALSE(m.F_OST(0)->Value());
    EXPECT_EQ(ui.pending(), 0u);
    ExpectFreshPaint("all reconnected");
}

// Without a free net name nothing is begun: message 28.
TEST_F(NetMode, NoFreeNameBeginsNothing)
{
    for (int f : {0, 5}) {
        SCOPED_TRACE(f);
        Function(f);
        const int32_t nets = Count(DB_NetMap());
        KT_FailCall("OM_FindNextFreeNumSuffix", 1);
        ui.ExpectMessageBox(1, "Can't find number for Net/Bus Name prefix: UN");
        ClickPin("R4", 1);
        KT_FailCall("", 0);
        EXPECT_EQ(g_CurCommand, 0);
        EXPECT_EQ(ui.pending(), 0u);
        EXPECT_EQ(Count(DB_NetMap()), nets);
        EXPECT_EQ(PinNet("R4", 1), 0);
    }
}

// The message of a net that is the third member of a bus runs into the bus.
TEST_F(NetMode, ThirdMemberMessage)
{
    SCHMAIN& m = Main();
    const std::vector<int32_t> wires = Wires(NetId("K"));
    ASSERT_EQ(wires.size(), 1u);
    g_CurBranch = wires[0];
    m.BlinkNet();
    m.CloseCanvasDC();
    EXPECT_NE(m.F_MsgLine->Caption().find("Net: K(in Bus: B memb: "), std::string::npos) << m.F_MsgLine->Caption();
}

// The net test's option 2, pressed with F3, compares the net with the
// layout in the net viewer and is released again. A report line of a pin on
// the other page, chosen with "Pan to Node on Close", makes that page the
// editor's, centred on the pin.
TEST_F(NetMode, CompareWithTheLayoutAndGoToAPinOnAnotherPage)
{
    SCHMAIN& m = Main();
    // Z reaches the second page.
    ASSERT_NE(N_CreateNode(NetId("Z"), 0, CompId("R9"), 1, 0, 0), 0);
    int32_t pinX = 0, pinY = 0;
    Pin("R9", 1, pinX, pinY);
    Function(6);
    Type("Z", "Net Name (Test):");
    Click(kEmptyX, kEmptyY);
    ASSERT_EQ(g_CurCommand, 90);
    ASSERT_EQ(g_CurNet, NetId("Z"));
    bool shown = false;
    ui.ExpectModal("SCHSNET", [&](QWidget*) {
        shown = true;
        SCHSNET& viewer = FormInstance<SCHSNET>();
        EXPECT_EQ(viewer.F_PageName()->ListCount(), 3) << "All Pages, P1 and P2";
        ListBox* list = viewer.F_PageList();
        int line = -1;
        for (int i = 0; i < list->ListCount(); ++i)
            if (list->List(i).find("sch: R9") != std::string::npos) line = i;
        ASSERT_GE(line, 0);
        list->SetListIndex(line);
        EXPECT_EQ(g_NetViewJumpPage, PageId("P2"));
        SaveScreenshot(viewer.Window(), "net_viewer_from_net_mode");
        viewer.F_Pan()->SetValue(1);
        viewer.F_Close()->Press();
    });
    // The input box that asked the name goes at the next turn of the loop;
    // then the canvas takes the keys again.
    QApplication::processEvents();
    QApplication::setActiveWindow(m.Window());
    m.ViewPicture->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), m.ViewPicture);
    QTest::keyClick(m.ViewPicture, Qt::Key_F3);
    EXPECT_TRUE(shown);
    EXPECT_FALSE(m.F_OST(2)->Value()) << "the option is released";
    EXPECT_EQ(DB_CurPage(), PageId("P2"));
    EXPECT_EQ(g_CurPage, PageId("P2"));
    EXPECT_EQ(m.m_ViewOrgX, pinX);
    EXPECT_EQ(m.m_ViewOrgY, -pinY);
    EXPECT_EQ(ui.pending(), 0u);
}

// Closed without a line chosen, the viewer leaves the editor where it was,
// and the editor's page frame box is its own page's again.
TEST_F(NetMode, CompareWithoutAJumpKeepsThePageAndItsFrame)
{
    SCHMAIN& m = Main();
    ASSERT_NE(N_CreateNode(NetId("Z"), 0, CompId("R9"), 1, 0, 0), 0);
    ReadFrameBox();
    const int32_t frame[6] = {g_FrameX1, g_FrameY1, g_FrameX2, g_FrameY2, g_FrameWidth, g_FrameHeight};
    ASSERT_TRUE(g_FrameValid);
    const int32_t page = g_CurPage;
    const int32_t x = m.m_ViewOrgX, y = m.m_ViewOrgY;
    Function(6);
    Type("Z", "Net Name (Test):");
    Click(kEmptyX, kEmptyY);
    ASSERT_EQ(g_CurCommand, 90);
    ui.ExpectModal("SCHSNET", [&](QWidget*) { FormInstance<SCHSNET>().F_Close()->Press(); });
    Option(2, true);
    m.NetCompareOptionUp(2);
    EXPECT_FALSE(m.F_OST(2)->Value());
    EXPECT_EQ(DB_CurPage(), page);
    EXPECT_EQ(g_CurPage, page);
    EXPECT_EQ(m.m_ViewOrgX, x);
    EXPECT_EQ(m.m_ViewOrgY, y);
    const int32_t after[6] = {g_FrameX1, g_FrameY1, g_FrameX2, g_FrameY2, g_FrameWidth, g_FrameHeight};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(after[i], frame[i]) << i;
    EXPECT_TRUE(g_FrameValid);
    EXPECT_EQ(ui.pending(), 0u);
}

TEST_F(NetMode, NetChainScreenshot)
{
    SCHMAIN& m = Main();
    QWidget* top = m.ViewPicture->window();
    top->resize(1100, 760);
    // Pending paints of the resized canvas run before the preview is drawn.
    auto settle = [&] {
        for (int i = 0; i < 50 && (m.ViewPicture->PaintPending() || m.ViewPicture->ImageReplacePending()); ++i)
            QTest::qWait(20);
        QTest::qWait(50);
    };
    settle();
    g_ShowRatsnest = 1;
    ClickPin("R4", 1);
    ClickPin("R5", 2);
    ClickPin("R10", 2);
    settle();
    QApplication::processEvents();
    Move(35 * kStep, -30 * kStep);
    EXPECT_EQ(g_CurCommand, CMD_NEXT_NODE);
    EXPECT_EQ(g_NetNodes.UBound(), 3);
    ASSERT_NE(m.m_OverlayMF, 0);
    // The canvas picture itself, taken at once: a later turn of the event
    // loop may repaint the page under the preview.
    const QString path = QDir(QString::fromStdString(ScreenshotDir())).absoluteFilePath("net_chain.png");
    EXPECT_TRUE(m.ViewPicture->Image().save(path, "PNG"));
}

}  // namespace
