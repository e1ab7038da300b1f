// A net as text: written from a net, parsed back with the dialog opened on
// the first faulty line; the nodes of a net in chain order and the wire laid
// through them.
#include "editor/dialogs/schinet.h"
#include "editor/objects/net_text.h"
#include "editor/objects/net_wires.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/controls.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/textarea.h"
#include "tests/objects/net_fixture.h"

#include <QTextCursor>
#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace palvane_test;

class NetText : public KernelTest {
public:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_TRUE(BuildDesign(NetsWith("component LONGNAME_OF_17CH symbol RES at 40 10\nnet L LONGNAME_OF_17CH.2")));
        ReadCurrentPage();
    }
    // The parsed pins as "COMP.ENTRY" texts.
    std::vector<std::string> Pins()
    {
        std::vector<std::string> pins;
        for (long k = 1; k <= g_NetNodes.UBound(); ++k) {
            CompRec comp{};
            C_ReadComponent(g_NetNodes(k).Comp, &comp);
            pins.push_back(std::string(comp.Name) + "." + std::to_string(g_NetNodes(k).Entry));
            EXPECT_EQ(g_NetNodes(k).Flags, 1);
        }
        return pins;
    }
};

TEST_F(NetText, MakeNetNodeTextWritesOneLinePerPin)
{
    NetRec rec{};
    int32_t cursor = 0;
    N_ReadNet(Net("N"), &rec);
    MakeNetNodeText(Net("N"), cursor, rec);
    const std::string pad(14, ' ');
    // Node ids in map order: X.2 was made first.
    EXPECT_EQ(g_NetNodeText, "X" + pad + ",2\r\nY" + pad + ",1\r\nEND\r\n");
    // A name of 17 characters is cut to 15.
    N_ReadNet(Net("L"), &rec);
    MakeNetNodeText(Net("L"), cursor, rec);
    EXPECT_EQ(g_NetNodeText, "LONGNAME_OF_17C,2\r\nEND\r\n");
    // A net whose only node has no schematic side.
    const int32_t layoutOnly = N_CreateNet(0, 1, "LO");
    N_CreateNode(layoutOnly, 0, 0, 0, 0, 0);
    N_ReadNet(layoutOnly, &rec);
    MakeNetNodeText(layoutOnly, cursor, rec);
    EXPECT_EQ(g_NetNodeText, "END\r\n");
}

TEST_F(NetText, ParseNetTextReadsTheWrittenFormAndItsVariants)
{
    struct Case {
        std::string text;
        std::vector<std::string> pins;
    };
    const Case cases[] = {
        {"W,1\r\nEND", {"W.1"}},
        {"W              ,1\r\nX,1\r\nEND\r\n", {"W.1", "X.1"}},
        {"W,1\nX,1\rZ,2\r\nEND", {"W.1", "X.1", "Z.2"}},
        {" W , 2 \r\nEND\r\n", {"W.2"}},
        {"W,1\r\nEND\r\nQ,9\r\n", {"W.1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        g_NetNodeText = c.text;
        int32_t status = 5;
        ParseNetText(status);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(Pins(), c.pins);
    }
}

TEST_F(NetText, ParseNetTextReportsTheFirstFaultAndOpensTheDialogOnIt)
{
    struct Case {
        std::string text;
        std::string message;
        int selStart;
        int selLen;
    };
    const std::string syntax = "Net Text Edit - syntax error";
    const Case cases[] = {
        {"END\r\n", syntax, 0, 1},
        {"", syntax, 0, 0},
        {"W,1\r\n", syntax, 0, 1},
        {"W,1\r\n\r\nX,1\r\nEND", syntax, 5, 0},
        {"W,1\r\nLEGEND\r\nX,1\r\nEND\r\n", syntax, 5, 6},
        {"   \r\nEND", syntax, 0, 3},
        {"W,1,2\r\nEND", syntax, 0, 5},
        {"W\r\nEND", syntax, 0, 1},
        {std::string(600, 'W') + ",1\r\nEND", syntax, 0, 602},
        {"W\x01,1\r\nEND", syntax, 0, 4},
        {"Q,1\r\nEND", "Net Text Edit - Component not found: Q", 0, 3},
        {"\xE9,1\r\nEND", "Net Text Edit - Component not found: \xE9", 0, 3},
        {"W,9\r\nEND", "Next Text Edit - Pin Not Found: W,9", 0, 3},
        {"W,\r\nEND", "Next Text Edit - Pin Not Found: W,", 0, 2},
        {"W,1\r\nZ,1\r\nEND", "Net Text Edit - Node included in Net: M", 5, 3},
        {"W,1\r\nW,1\r\nEND", "Net Text Edit - Node included in Net: ", 5, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        g_NetNodeText = c.text;
        ui.ExpectMessageBox(1, c.message);
        ui.ExpectModal("SCHINET", [&](QWidget*) {
            SCHINET& dialog = FormInstance<SCHINET>();
            EXPECT_EQ(dialog.Caption(), "Norvo32 - Edit Net");
            const QTextCursor cursor = dialog.F_TxtBuffer()->textCursor();
            const int size = static_cast<int>(c.text.size());
            EXPECT_EQ(cursor.selectionStart(), std::min(c.selStart, size));
            EXPECT_EQ(cursor.selectionEnd() - cursor.selectionStart(), std::min(c.selLen, size - c.selStart));
            dialog.F_Cancel()->Press();
        });
        int32_t status = 5;
        ParseNetText(status);
        EXPECT_EQ(status, 1);
        EXPECT_EQ(g_NetNodes.UBound(), 0);
        EXPECT_EQ(g_NetEditFlags, 0);
        EXPECT_EQ(g_NetNodeText, "");
        EXPECT_FALSE(FormInstance<SCHINET>().IsLoaded());
    }
}

TEST_F(NetText, AnAcceptedCorrectionIsParsedAgain)
{
    g_NetNodeText = "Q,1\r\nEND\r\n";
    ui.ExpectMessageBox(1, "Component not found: Q");
    ui.ExpectModal("SCHINET", [](QWidget*) {
        SCHINET& dialog = FormInstance<SCHINET>();
        dialog.F_TxtBuffer()->SetText("W,1\r\nEND\r\n");
        dialog.F_Accept()->Press();
    });
    int32_t status = 5;
    ParseNetText(status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Pins(), std::vector<std::string>{"W.1"});
    EXPECT_EQ(g_NetEditFlags, 1);
}

// A net K of `count` pins at scattered places of the page.
std::string ScatteredNet(int count)
{
    std::string lines = "net K";
    std::string comps;
    uint32_t seed = 12345;
    for (int i = 1; i <= count; ++i) {
        seed = seed * 1103515245u + 12345u;
        const int x = -30 + static_cast<int>((seed >> 8) % 60);
        const int y = -15 + static_cast<int>((seed >> 20) % 30);
        comps += "component C" + std::to_string(i) + " symbol RES at " + std::to_string(x) + " " + std::to_string(y) + "\n";
        lines += " C" + std::to_string(i) + ".1";
    }
    return comps + lines;
}

double Distance(const NodeRec& a, int64_t x, int64_t y)
{
    return std::hypot(static_cast<double>(a.X - x), static_cast<double>(a.Y - y));
}

TEST_F(NetText, OrderNetNodesChainsFromThePageCorner)
{
    for (int count : {0, 50, 100}) {
        SCOPED_TRACE(count);
        std::string text = ScatteredNet(count);
        if (count == 0) text = "net K";
        ASSERT_TRUE(BuildDesign(R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page P frame 80 40
)" + text + "\nend\n"));
        ReadCurrentPage();
        OrderNetNodes(Net("K"));
        ASSERT_EQ(g_NetNodes.UBound(), count);
        ASSERT_EQ(g_NetNodeIds.UBound(), count);
        if (count == 0) continue;
        ReadFrameBox();
        for (long k = 2; k <= count; ++k)
            EXPECT_LE(Distance(g_NetNodes(1), g_FrameX1, g_FrameY1), Distance(g_NetNodes(k), g_FrameX1, g_FrameY1));
        for (long i = 1; i < count; ++i)
            for (long j = i + 2; j <= count; ++j)
                EXPECT_LE(Distance(g_NetNodes(i), g_NetNodes(i + 1).X, g_NetNodes(i + 1).Y),
                          Distance(g_NetNodes(i), g_NetNodes(j).X, g_NetNodes(j).Y));
        std::vector<int32_t> ids;
        for (long k = 1; k <= count; ++k) ids.push_back(g_NetNodeIds(k));
        std::sort(ids.begin(), ids.end());
        EXPECT_EQ(ids, NodeIds(Net("K")));
    }
}

TEST_F(NetText, ThreeNodesInARowAreChainedInOrder)
{
    ASSERT_TRUE(BuildDesign(R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page P frame 80 40
  component A symbol RES at -30 -20
  component B symbol RES at -20 -20
  component C symbol RES at -25 -20
  net K A.1 B.1 C.1
end
)"));
    ReadCurrentPage();
    OrderNetNodes(Net("K"));
    ASSERT_EQ(g_NetNodeIds.UBound(), 3);
    EXPECT_EQ(g_NetNodeIds(1), PinNode("A", 1));
    EXPECT_EQ(g_NetNodeIds(2), PinNode("C", 1));
    EXPECT_EQ(g_NetNodeIds(3), PinNode("B", 1));
}

TEST_F(NetText, MakeNetWiresLaysOneWireThroughTheNodes)
{
    ASSERT_TRUE(BuildDesign(NetsWith("net K W.1 W.2 Z.2")));
    ReadCurrentPage();
    const int32_t k = Net("K");
    MakeNetWires(k, false);
    auto wires = Branches(k);
    ASSERT_EQ(wires.size(), 1u);
    EXPECT_EQ(Points(wires[0]), 3);
    for (int32_t node : NodeIds(k)) EXPECT_EQ(O_GetStatus(N_Node(k, node)) & 2, 2);
    // Net N's two wires become one through its two pins.
    MakeNetWires(Net("N"), false);
    wires = Branches(Net("N"));
    ASSERT_EQ(wires.size(), 1u);
    EXPECT_EQ(Points(wires[0]), 2);
    // One node: no wire.
    MakeNetWires(Net("M"), false);
    EXPECT_TRUE(Branches(Net("M")).empty());
    // Delete only, for every net.
    MakeWiresForAllNets(true);
    EXPECT_TRUE(Branches(k).empty());
    EXPECT_TRUE(Branches(Net("N")).empty());
    for (int32_t node : NodeIds(k)) EXPECT_EQ(O_GetStatus(N_Node(k, node)) & 2, 0);
}

}  // namespace
