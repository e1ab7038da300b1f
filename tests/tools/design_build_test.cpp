// Designs built from the readable form: what lands in the kernel, and a
// table of wrong designs, each refused with its line before the open
// database is touched.
#include "editor/objects/hier_records.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/design_builder.h"
#include "tests/support/kernel_fixture.h"
#include "tools/sources/source_builder.h"
#include "tools/sources/source_reader.h"

#include <QFile>

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace nvo_sources;

const std::string kHeader = "include discrete.nls\ninclude ics.nls\ninclude power.nls\ninclude connectors.nls\n"
                            "unit 0.1in\n";

class DesignBuild : public palvane_test::KernelTest {
protected:
    bool Build(const std::string& text, std::string& error)
    {
        Source src;
        return ReadSourceText(kHeader + text, "d", palvane_test::LibrarySourceDir(), src, error) &&
               BuildDesign(src, error);
    }

    int32_t Comp(const char* name) { return OM_FindName(DB_SchCompMap(), name); }
    int32_t Net(const char* name) { return OM_FindName(DB_NetMap(), name); }

    // The node of a component's entry, with its net.
    NodeRec NodeOf(int32_t comp, int32_t entry, int32_t& net)
    {
        net = 0;
        NodeRec rec{};
        const int32_t node = N_FindCompEntry(comp, entry, &net);
        if (node) N_ReadNode(net, node, &rec);
        return rec;
    }

    std::string Text(int32_t item)
    {
        ItemRec r{};
        return I_ReadItem(item, &r) == 1 && r.Text ? r.Text : "";
    }
};

// Header lines of the design: 5.
constexpr int kFirst = 6;

TEST_F(DesignBuild, ComponentsArePackedIntoLayoutComponentsWithTheirTexts)
{
    std::string error;
    ASSERT_TRUE(Build("design \"Test design\"\nlevel TOP\npage First\n"
                      "  component U7 74HC00 gate C at 10 0 angle 90\n"
                      "  component U7 74HC00 gate A at 0 0\n"
                      "  component R1 R at 0 10 mirror value 4k7\n"
                      "end\n",
                      error))
        << error;
    EXPECT_STREQ(O_GetName(DB_DataBase()), "Test design");
    EXPECT_STREQ(O_GetName(OM_Object(DB_HierarchyMap(), DB_CurHier())), "TOP");
    EXPECT_STREQ(O_GetName(DB_Page(DB_CurPage())), "First");
    // Only what the design uses comes into it: two devices, their gate
    // symbols and packages.
    EXPECT_EQ(OM_GetCount(DB_DeviceMap()), 2);
    EXPECT_EQ(OM_GetCount(DB_SymbMap()), 4);

    const int32_t gateC = Comp("U7/3");
    const int32_t gateA = Comp("U7/1");
    const int32_t r1 = Comp("R1/1");
    ASSERT_NE(gateC, 0);
    ASSERT_NE(gateA, 0);
    ASSERT_NE(r1, 0);
    CompRec c{};
    ASSERT_EQ(C_ReadComponent(gateC, &c), 1);
    EXPECT_EQ(c.Flags, 1);
    EXPECT_EQ(c.X, 2540000);
    EXPECT_EQ(c.Angle, 90000);
    EXPECT_EQ(c.Group, 3);
    EXPECT_EQ(c.Extra, 1);
    const int32_t lay = L_Component(c.LayComp) ? c.LayComp : 0;
    ASSERT_NE(lay, 0);
    LayCompRec l{};
    ASSERT_EQ(L_ReadComponent(lay, &l), 1);
    EXPECT_STREQ(l.Name, "U7");
    EXPECT_EQ(l.Device, c.Device);
    EXPECT_STREQ(O_GetName(S_Symbol(l.Symb)), "DIP14");
    // The parts list in gate order.
    ASSERT_EQ(l.Parts, 2);
    EXPECT_EQ(L_GetSchCompId(lay, 1), gateA);
    EXPECT_EQ(L_GetSchCompId(lay, 2), gateC);

    ASSERT_EQ(C_ReadComponent(r1, &c), 1);
    EXPECT_EQ(c.Flags, 3);  // mirrored
    // Reference text from the symbol's template, the value below the
    // drawing; no pin numbers for the resistor.
    const int32_t texts = C_CompTextArray(r1);
    ASSERT_EQ(OA_GetCount(texts), 2);
    ItemRec t{};
    ASSERT_EQ(I_ReadItem(C_CompText(r1, 1), &t), 1);
    EXPECT_EQ(t.Flags, 130);
    EXPECT_EQ(t.Layer, 33);
    EXPECT_STREQ(t.Text, "R1");
    EXPECT_EQ(t.X, -254000);
    EXPECT_EQ(t.Y, 203200);
    ASSERT_EQ(I_ReadItem(C_CompText(r1, 2), &t), 1);
    EXPECT_EQ(t.Flags, 132);
    EXPECT_STREQ(t.Text, "4k7");
    EXPECT_LT(t.Y, -127000);

    // The NAND gate shows its package pin numbers: gate C is 9, 10, 8.
    std::vector<std::pair<int32_t, std::string>> pins;
    for (int32_t i = 1; i <= OA_GetCount(C_CompTextArray(gateC)); ++i) {
        ASSERT_EQ(I_ReadItem(C_CompText(gateC, i), &t), 1);
        if (t.Flags == 144) pins.emplace_back(t.Link, t.Text);
    }
    const std::vector<std::pair<int32_t, std::string>> expected = {{1, "9"}, {2, "10"}, {3, "8"}};
    EXPECT_EQ(pins, expected);

    // The supply pins of U7 joined the supply nets by name, layout side
    // only, once for the package.
    int32_t net = 0;
    for (const char* supply : {"SPLVCC", "SPLGND"}) {
        net = Net(supply);
        ASSERT_NE(net, 0) << supply;
        NetRec nr{};
        ASSERT_EQ(N_ReadNet(net, &nr), 1);
        EXPECT_EQ(nr.Flags, 7);
        ASSERT_EQ(nr.Nodes, 1);
        int32_t cursor = OM_GetFirst(N_NodeMap(net));
        const int32_t node = OM_SearchMask(N_NodeMap(net), &cursor, 0, 0);
        NodeRec n{};
        ASSERT_EQ(N_ReadNode(net, node, &n), 1);
        EXPECT_EQ(n.Comp, 0);
        EXPECT_EQ(n.LayComp, lay);
        EXPECT_EQ(n.LayEntry, std::string(supply) == "SPLVCC" ? 14 : 7);
    }
}

TEST_F(DesignBuild, WiresJoinPinsAndJunctions)
{
    std::string error;
    ASSERT_TRUE(Build("design D\nlevel L\n"
                      "net A\nnet B R2.2\n"
                      "page P frame 10in 5in\n"                          // line 8
                      "  component R1 R at 0 0\n"                        // pins (-3 0) (3 0)
                      "  component R2 R at 10 0\n"                       // pins (7 0) (13 0)
                      "  component R3 R at 5 5 angle 90\n"               // pins (5 2) (5 8)
                      "  component G1 symbol SPLGND at -5 -3\n"
                      "  junction T at 5 0\n"
                      "  wire A R1.2 T R2.1 label 4 0.5\n"
                      "  wire A T R3.1\n"
                      "  wire SPLGND R1.1 (-5 0) G1.1\n"
                      "end\n",
                      error))
        << error;
    const int32_t netA = Net("A");
    NetRec nr{};
    ASSERT_EQ(N_ReadNet(netA, &nr), 1);
    EXPECT_EQ(nr.Flags, 5);
    EXPECT_EQ(nr.Nodes, 3);
    // The unwired pin of net B has a node without the wire mark.
    int32_t net = 0;
    NodeRec node = NodeOf(Comp("R2/1"), 2, net);
    EXPECT_EQ(net, Net("B"));
    EXPECT_EQ(node.Flags & 2, 0);
    node = NodeOf(Comp("R2/1"), 1, net);
    EXPECT_EQ(net, netA);
    EXPECT_EQ(node.Flags & 2, 2);
    EXPECT_EQ(node.LayEntry, 1);
    EXPECT_NE(node.LayComp, 0);
    // The power symbol's pin is on the net named like the symbol.
    node = NodeOf(Comp("G1"), 1, net);
    EXPECT_EQ(net, Net("SPLGND"));
    EXPECT_EQ(node.LayComp, 0);

    // Three wires; the first passes the T junction, which has three
    // segments and so a dot; plain bends are net-wire points.
    int32_t cursor = OM_GetFirst(DB_BranchMap());
    std::vector<int32_t> branches;
    while (int32_t b = OM_SearchMask(DB_BranchMap(), &cursor, 0, 0)) branches.push_back(b);
    ASSERT_EQ(branches.size(), 3u);
    BranchRec br{};
    ASSERT_EQ(B_ReadBranch(branches[0], &br), 1);
    EXPECT_EQ(br.Flags, 1);
    EXPECT_EQ(br.Net, netA);
    EXPECT_EQ(br.Points, 3);
    BranchPointRec pr{};
    ASSERT_EQ(B_ReadRecord(branches[0], 1, &pr), 1);
    EXPECT_EQ(pr.Flags, 3);
    EXPECT_EQ(pr.X, 762000);
    EXPECT_EQ(pr.Y, 0);
    ASSERT_EQ(B_ReadRecord(branches[0], 2, &pr), 1);
    EXPECT_EQ(pr.Flags, 5);
    JunctionRec jr{};
    ASSERT_EQ(J_ReadJunction(pr.Ref, &jr), 1);
    EXPECT_EQ(jr.Flags, 11);
    EXPECT_EQ(jr.X, 1270000);
    const int32_t tee = pr.Ref;
    ASSERT_EQ(B_ReadRecord(branches[1], 1, &pr), 1);
    EXPECT_EQ(pr.Ref, tee);
    ASSERT_EQ(B_ReadRecord(branches[1], 2, &pr), 1);
    EXPECT_EQ(pr.X, 1270000);
    EXPECT_EQ(pr.Y, 508000);  // R3's pin 1 after the turn
    ASSERT_EQ(B_ReadRecord(branches[2], 2, &pr), 1);
    ASSERT_EQ(J_ReadJunction(pr.Ref, &jr), 1);
    EXPECT_EQ(jr.Flags, 3);
    // The label is the net name text of the first wire.
    ASSERT_EQ(OA_GetCount(B_BranchTextArray(branches[0])), 1);
    ItemRec t{};
    ASSERT_EQ(I_ReadItem(B_BranchText(branches[0], 1), &t), 1);
    EXPECT_STREQ(t.Text, "A");
    EXPECT_EQ(t.Flags & 2, 2);
    EXPECT_EQ(t.X, 1016000);

    // The page frame: branch -100 - page, four corners and back.
    const int32_t frame = -100 - DB_CurPage();
    ASSERT_EQ(B_ReadBranch(frame, &br), 1);
    EXPECT_EQ(br.Flags, 4);
    EXPECT_EQ(br.Net, 0);
    ASSERT_EQ(br.Points, 5);
    BranchPointRec first{}, last{};
    B_ReadRecord(frame, 1, &first);
    B_ReadRecord(frame, 5, &last);
    EXPECT_EQ(first.Ref, last.Ref);
    EXPECT_EQ(first.X, -12700000);
    EXPECT_EQ(first.Y, -6350000);
    EXPECT_EQ(first.Flags, 5);

    // Heaps were rebuilt: the next free junction id follows the four of
    // each frame (MAINPAGE's and P's) and the wires' two.
    EXPECT_EQ(GetFreeID(2), 11);
}

TEST_F(DesignBuild, LevelsBusesAndPageNotes)
{
    std::string error;
    ASSERT_TRUE(Build("design D\nlevel TOP\n"
                      "net D0\nnet D1\nnet D2\nbus DATA D0 D1 D2\n"
                      "page One\n"
                      "  text \"A note\" at 1 2 size 0.1in\n"
                      "  rect 0 0 10 5\n"
                      "  buswire DATA (0 0) (10 0) (10 5) label 1 0.5\n"
                      "  buswire DATA (10 0) (20 0)\n"
                      "end\n"
                      "page Two\nend\n"
                      "level SUB\npage Inside\n  component H1 symbol BLOCK at 0 0\nend\n",
                      error))
        << error;
    // The root level and its first page are current; the level holds
    // MAINPAGE too.
    EXPECT_STREQ(O_GetName(OM_Object(DB_HierarchyMap(), DB_CurHier())), "TOP");
    EXPECT_STREQ(O_GetName(DB_Page(DB_CurPage())), "One");
    EXPECT_EQ(OM_GetCount(DB_PageMap()), 3);
    EXPECT_EQ(OM_GetCount(DB_HierarchyMap()), 2);

    const int32_t bus = OM_FindName(DB_BusMap(), "DATA");
    BusRec b{};
    ASSERT_EQ(N_ReadBus(bus, &b), 1);
    EXPECT_EQ(b.Flags, 5);
    ASSERT_EQ(b.Members, 3);
    EXPECT_EQ(N_ReadBusMember(bus, 2), OM_FindName(DB_NetMap(), "D2"));
    EXPECT_EQ(O_GetStatus(N_Net(OM_FindName(DB_NetMap(), "D1"))) & 8, 8);
    int32_t cursor = OM_GetFirst(DB_BranchMap());
    const int32_t wire = OM_SearchMask(DB_BranchMap(), &cursor, 0, 0);
    BranchRec br{};
    ASSERT_EQ(B_ReadBranch(wire, &br), 1);
    EXPECT_EQ(br.Flags, 3);
    EXPECT_EQ(br.Net, bus);
    BranchPointRec pr{};
    ASSERT_EQ(B_ReadRecord(wire, 2, &pr), 1);
    JunctionRec jr{};
    ASSERT_EQ(J_ReadJunction(pr.Ref, &jr), 1);
    EXPECT_EQ(jr.Flags, 15);  // three bus segments meet
    ASSERT_EQ(B_ReadRecord(wire, 3, &pr), 1);
    ASSERT_EQ(J_ReadJunction(pr.Ref, &jr), 1);
    EXPECT_EQ(jr.Flags, 5);
    ItemRec t{};
    ASSERT_EQ(I_ReadItem(B_BranchText(wire, 1), &t), 1);
    EXPECT_STREQ(t.Text, "DATA");
    EXPECT_EQ(t.Flags & 4, 4);

    // Page texts and drawings are the page notes of that page.
    const int32_t notes = -((DB_CurHier() + 9) * 100 + DB_CurPage());
    EXPECT_STREQ(O_GetName(S_Symbol(notes)), "@PGENOTES");
    ASSERT_EQ(OA_GetCount(S_SymbolItemArray(notes)), 2);
    ASSERT_EQ(I_ReadItem(S_SymbolItem(notes, 1), &t), 1);
    EXPECT_STREQ(t.Text, "A note");

    // The second level has its own page and the block component.
    const int32_t sub = OM_FindName(DB_HierarchyMap(), "SUB");
    ASSERT_EQ(DB_SetCurHier(sub), sub);
    EXPECT_STREQ(O_GetName(DB_Page(DB_CurPage())), "Inside");
    const int32_t h1 = OM_FindName(DB_SchCompMap(), "H1");
    ASSERT_NE(h1, 0);
    // The block symbol keeps its hidden hierarchy texts.
    CompRec c{};
    ASSERT_EQ(C_ReadComponent(h1, &c), 1);
    EXPECT_NE(IA_SearchMaskLink(S_SymbolItemArray(c.Symb), 1, 32, 0), 0);
    EXPECT_EQ(OM_GetCount(DB_NetMap()), 0);
}

// Every design holds MAINPAGE in its root level, as a new database does:
// made first, with the frame of the source's first page, when the source
// names none; the source's first page stays current. Other levels get none.
TEST_F(DesignBuild, TheRootLevelAlwaysHoldsTheMainPage)
{
    struct Case {
        const char* pages;       // the root level's pages in the source
        const char* order;       // its pages by id afterwards
        const char* current;     // the current page
        bool mainFramed;         // MAINPAGE has a frame
    };
    const Case cases[] = {
        {"page First frame 10in 5in\nend\npage Second\nend\n", "MAINPAGE First Second", "First", true},
        {"page First\nend\n", "MAINPAGE First", "First", false},
        {"page MAINPAGE frame 10in 5in\nend\npage Second\nend\n", "MAINPAGE Second", "MAINPAGE", true},
        {"page First\nend\npage MAINPAGE frame 10in 5in\nend\n", "First MAINPAGE", "First", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pages);
        std::string error;
        ASSERT_TRUE(Build(std::string("design D\nlevel TOP\n") + c.pages + "level SUB\npage Inside\nend\n", error))
            << error;
        std::string order;
        int32_t cursor = OM_GetFirst(DB_PageMap());
        while (int32_t page = OM_SearchMask(DB_PageMap(), &cursor, 0, 0))
            order += (order.empty() ? "" : " ") + std::string(O_GetName(DB_Page(page)));
        EXPECT_EQ(order, c.order);
        EXPECT_STREQ(O_GetName(DB_Page(DB_CurPage())), c.current);
        const int32_t main = OM_FindName(DB_PageMap(), "MAINPAGE");
        BranchRec frame{};
        ASSERT_EQ(B_ReadBranch(-100 - main, &frame) == 1, c.mainFramed);
        if (c.mainFramed) {
            // A 10 by 5 inch outline centred on the origin, closed.
            ASSERT_EQ(frame.Points, 5);
            BranchPointRec corner{};
            ASSERT_EQ(B_ReadRecord(-100 - main, 3, &corner), 1);
            EXPECT_EQ(corner.X, 12700000);
            EXPECT_EQ(corner.Y, 6350000);
        }
        const int32_t sub = OM_FindName(DB_HierarchyMap(), "SUB");
        ASSERT_EQ(DB_SetCurHier(sub), sub);
        EXPECT_EQ(OM_GetCount(DB_PageMap()), 1);
        EXPECT_EQ(OM_FindName(DB_PageMap(), "MAINPAGE"), 0);
    }
    // A root level of 98 pages (the most a level of the source holds) and
    // its MAINPAGE fill the kernel's 99.
    std::string pages;
    for (int i = 1; i <= 98; ++i) pages += "page P" + std::to_string(i) + "\nend\n";
    std::string error;
    ASSERT_TRUE(Build("design D\nlevel TOP\n" + pages, error)) << error;
    EXPECT_EQ(OM_GetCount(DB_PageMap()), 99);
    EXPECT_STREQ(O_GetName(DB_Page(DB_CurPage())), "P1");
}

TEST_F(DesignBuild, ABlockGetsItsChildLevel)
{
    std::string error;
    ASSERT_TRUE(Build("design D\nlevel TOP\npage One\n  component H1 symbol BLOCK at 0 0 child SHEET\n"
                      "  component H2 symbol BLOCK at 10 0 child SHEET\nend\n"
                      "level SHEET\nnet OUT2\nnet OUT1\nnet IN2\nnet IN1\npage Inside\n"
                      "  wire IN1 (0 0) (0 5)\n  wire IN2 (5 0) (5 5)\n  wire OUT1 (10 0) (10 5)\n"
                      "  wire OUT2 (15 0) (15 5)\nend\n",
                      error))
        << error;
    const int32_t h1 = OM_FindName(DB_SchCompMap(), "H1");
    ASSERT_NE(h1, 0);
    // The component's own attribute text names the child; one port text per
    // entry, its number linked to the entry; all hidden.
    const int32_t texts = C_CompTextArray(h1);
    const int32_t attribute = IA_SearchMaskLink(texts, 1, 32, 0);
    ASSERT_NE(attribute, 0);
    ItemRec t{};
    ASSERT_EQ(I_ReadItem(C_CompText(h1, attribute), &t), 1);
    EXPECT_EQ(t.Kind, 6);
    EXPECT_STREQ(t.Text, "X,SHEET,hierarchy");
    EXPECT_EQ(t.P1, 0);
    for (int32_t entry = 1; entry <= 4; ++entry) {
        SCOPED_TRACE(entry);
        const int32_t port = IA_SearchMaskLink(texts, 1, 32, entry);
        ASSERT_NE(port, 0);
        ASSERT_EQ(I_ReadItem(C_CompText(h1, port), &t), 1);
        EXPECT_EQ(std::string(t.Text), std::to_string(entry));
    }

    // The child level keeps what the editor keeps for its blocks: the
    // description record with the level's name, and one port record per
    // entry of the block's symbol, in entry order, naming the net of the
    // entry's name; once, however many blocks share the level.
    const int32_t sheet = OM_FindName(DB_HierarchyMap(), "SHEET");
    ASSERT_EQ(DB_SetCurHier(sheet), sheet);
    auto bytesOf = [](const std::string& name) {
        const int32_t id = OM_FindName(DB_FileMap(), name.c_str());
        const int32_t length = F_GetLength(id);
        std::string bytes(length > 0 ? length : 0, '\0');
        F_Seek(id, 0, 0);
        if (length > 0 && F_Read(id, bytes.data(), length) != length) bytes.clear();
        return bytes;
    };
    const std::string desc = bytesOf(SubHierObjectName(kSubHierDescPrefix, sheet));
    ASSERT_EQ(desc.size(), size_t(kSubHierDescSize));
    const SubHierDescRec d = SubHierDescFromBytes(reinterpret_cast<const unsigned char*>(desc.data()));
    EXPECT_EQ(d.HierName, "SHEET          ");
    EXPECT_EQ(d.Description, std::string(25, ' '));
    const std::string ports = bytesOf(SubHierObjectName(kSubHierNetsPrefix, sheet));
    ASSERT_EQ(ports.size(), size_t(4 * kSubHierNetSize));
    const char* names[] = {"IN1", "IN2", "OUT1", "OUT2"};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(names[i]);
        const SubHierNetRec r =
            SubHierNetFromBytes(reinterpret_cast<const unsigned char*>(ports.data()) + i * kSubHierNetSize);
        EXPECT_EQ(r.NetId, Net(names[i]));
        EXPECT_EQ(r.NetName, (names[i] + std::string(15, ' ')).substr(0, 15));
        EXPECT_EQ(r.Label, (names[i] + std::string(24, ' ')).substr(0, 24));
        EXPECT_EQ(r.Reserved, 0);
    }
    EXPECT_EQ(OM_GetCount(DB_FileMap()), 2);
}

TEST_F(DesignBuild, WrongDesignsAreRefusedAndTheDatabaseStays)
{
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"design D\n", "d:6: design 'D' has no level"},
        {"design D\nlevel L\npage P\n  component H1 symbol BLOCK at 0 0 child NONE\nend\n",
         "d:9: component 'H1': no level 'NONE' is defined"},
        {"design D\nlevel L\npage P\n  component H1 symbol BLOCK at 0 0 child L\nend\n",
         "d:9: component 'H1': the child level 'L' is its own level"},
        {"design D\nlevel L\npage P\n  component H1 symbol BLOCK at 0 0 child S\nend\nlevel S\nnet IN1\nnet IN2\n"
         "net OUT1\npage Q\n  wire IN1 (0 0) (0 5)\n  wire IN2 (5 0) (5 5)\n  wire OUT1 (10 0) (10 5)\nend\n",
         "d:9: component 'H1': the child level 'S' has no net 'OUT2' for the entry of that name"},
        {"design D\nlevel L\npage P\n  component H1 symbol BLOCK at 0 0 child S\nend\nlevel S\nnet IN1\nnet IN2\n"
         "net OUT1\nnet OUT2\npage Q\n  wire IN1 (0 0) (0 5)\n  wire IN2 (5 0) (5 5)\n  wire OUT1 (10 0) (10 5)\nend\n",
         "d:9: component 'H1': the port net 'OUT2' of the child level 'S' has no pin and no wire"},
        {"design D\nlevel L\npage P\n  component H1 symbol BLOCK at 0 0 child S\n"
         "  component H2 symbol SPLGND at 9 0 child S\nend\nlevel S\nnet IN1\nnet IN2\nnet OUT1\nnet OUT2\n"
         "page Q\n  wire IN1 (0 0) (0 5)\n  wire IN2 (5 0) (5 5)\n  wire OUT1 (10 0) (10 5)\n"
         "  wire OUT2 (15 0) (15 5)\nend\n",
         "d:10: component 'H2': the level 'S' is already the child of block 'H1' (line 9), a block of symbol 'BLOCK'"},
        {"design D\nlevel L\npage P\n  component H1 symbol BLOCK at 0 0 child SIXTEEN_LETTERS_\nend\n"
         "level SIXTEEN_LETTERS_\npage Q\nend\n",
         "d:9: component 'H1': the child level's name 'SIXTEEN_LETTERS_' is longer than 15 characters"},
        {"design D\nlevel L\n", "d:7: level 'L' has no page"},
        {"design D\nlevel L\npage P\n  component X1 NOPE at 0 0\nend\n", "d:9: component 'X1': device 'NOPE' is not defined"},
        {"design D\nlevel L\npage P\n  component X1 symbol NOPE at 0 0\nend\n", "d:9: component 'X1': symbol 'NOPE' is not defined"},
        {"design D\nlevel L\npage P\n  component X1 symbol DIP8 at 0 0\nend\n", "d:9: component 'X1': 'DIP8' is a layout symbol"},
        {"design D\nlevel L\npage P\n  component U1 74HC00 at 0 0\nend\n",
         "d:9: component 'U1': device '74HC00' has 4 gates; say which one ('gate A')"},
        {"design D\nlevel L\npage P\n  component U1 74HC00 gate E at 0 0\nend\n", "d:9: component 'U1': device '74HC00' has no gate 'E'"},
        {"design D\nlevel L\npage P\n  component U1 74HC00 gate A at 0 0\n  component U1 74HC00 gate 1 at 9 0\nend\n",
         "d:10: gate 'A' of 'U1' is already placed (line 9)"},
        {"design D\nlevel L\npage P\n  component U1 74HC00 gate A at 0 0\n  component U1 74HC04 gate B at 9 0\nend\n",
         "d:10: component 'U1' is device '74HC00' (line 9), not '74HC04'"},
        {"design D\nlevel L\npage P\n  component U1 symbol SPLGND at 0 0\n  component U1 R at 9 0\nend\n",
         "d:10: component 'U1' is already placed as a symbol (line 9)"},
        {"design D\nlevel L\nnet N\nnet N\npage P\nend\n", "d:9: net 'N' is already declared (line 8)"},
        {"design D\nlevel L\npage P\n  component R1 R at 0 0\n  wire N R1.1 (0 5)\nend\n", "d:10: wire: net 'N' is not declared"},
        {"design D\nlevel L\npage P\n  buswire B (0 0) (0 5)\nend\n", "d:9: buswire: bus 'B' is not declared"},
        {"design D\nlevel L\nbus B N\npage P\nend\n", "d:8: bus 'B': net 'N' is not declared"},
        {"design D\nlevel L\nnet N\nbus B N\nbus C N\npage P\nend\n", "d:10: bus 'C': net 'N' is already a member of bus 'B'"},
        {"design D\nlevel L\nnet N R9.1\npage P\nend\n", "d:8: pin 'R9.1': no component 'R9' is placed in level 'L'"},
        {"design D\nlevel L\nnet N R1.3\npage P\n  component R1 R at 0 0\nend\n", "d:8: pin 'R1.3': device 'R' has no pin '3'"},
        {"design D\nlevel L\nnet N R1.A\npage P\n  component R1 R at 0 0\nend\n",
         "d:8: pin 'R1.A': a pin of a device component is named by its package pin number"},
        {"design D\nlevel L\nnet N U1.14\npage P\n  component U1 74HC00 gate A at 0 0\nend\n",
         "d:8: pin 'U1.14' is a supply pin; it joins net 'SPLVCC' by itself"},
        {"design D\nlevel L\nnet N U1.4\npage P\n  component U1 74HC00 gate A at 0 0\nend\n",
         "d:8: pin 'U1.4' belongs to gate 'B', which is not placed"},
        {"design D\nlevel L\nnet N G1.X\npage P\n  component G1 symbol SPLGND at 0 0\nend\n",
         "d:8: pin 'G1.X': symbol 'SPLGND' has no entry 'X'"},
        {"design D\nlevel L\nnet N R1.1\nnet M R1.1\npage P\n  component R1 R at 0 0\nend\n",
         "d:9: pin 'R1.1' is already on net 'N' (line 8)"},
        {"design D\nlevel L\nnet N G1.1\npage P\n  component G1 symbol SPLGND at 0 0\nend\n",
         "d:8: pin 'G1.1' is already on net 'SPLGND' (line 10)"},
        {"design D\nlevel L\nnet N\npage P\n  component R1 R at 0 0\nend\npage Q\n  wire N R1.1 (0 5)\nend\n",
         "d:13: pin 'R1.1' is on page 'P', not on the wire's page"},
        {"design D\nlevel L\nnet N\npage P\n  component R1 R at 0 0\n  wire N R1.1 (3 0)\nend\n",
         "d:11: point (762000 0) lies on pin R1/1 entry 2; name the pin instead"},
        {"design D\nlevel L\nnet N\npage P\n  component R1 R at 0 0\n  wire N R1.1 J9\nend\n",
         "d:11: wire: no junction 'J9' on this page (a position is written ( x y ))"},
        {"design D\nlevel L\nnet N\npage P\n  component R1 R at 0 0\n  wire N R1.1 (-3 0)\nend\n",
         "d:11: point (-762000 0) lies on pin R1/1 entry 1; name the pin instead"},
        {"design D\nlevel L\nnet N\npage P\n  wire N (0 0) (0 5) (0 5)\nend\n",
         "d:10: wire: two consecutive points are at the same place (0 1270000)"},
        {"design D\nlevel L\nnet N\nnet M\npage P\n  wire N (0 0) (0 5)\n  wire M (0 5) (5 5)\nend\n",
         "d:12: point (0 1270000) is already a point of net 'N' (line 11)"},
        {"design D\nlevel L\nnet N\npage P\n  junction J at 0 0\n  junction J at 1 0\nend\n",
         "d:11: junction 'J' is already defined on this page"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(Build(c.text, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        // The fixture's database is untouched.
        EXPECT_STREQ(O_GetName(DB_DataBase()), "Untitled");
        EXPECT_EQ(OM_GetCount(DB_SymbMap()), 0);
    }
}

// Damaged sources never crash the reader or the builder: the demo design
// with each line left out in turn, and cut short at many places, either
// builds or is refused with "design:line: reason"; a refused one leaves the
// open database as it was.
TEST_F(DesignBuild, DamagedDemoSourcesAreRefusedCleanly)
{
    QFile file(DEMO_SOURCE);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::string demo = file.readAll().toStdString();
    std::vector<std::string> lines;
    for (size_t start = 0; start < demo.size();) {
        const size_t end = demo.find('\n', start);
        lines.push_back(demo.substr(start, end - start));
        start = end == std::string::npos ? demo.size() : end + 1;
    }
    std::vector<std::string> variants;
    for (size_t skip = 0; skip < lines.size(); ++skip) {
        std::string text;
        for (size_t i = 0; i < lines.size(); ++i)
            if (i != skip) text += lines[i] + "\n";
        variants.push_back(text);
    }
    for (size_t cut = 0; cut < demo.size(); cut += 37) variants.push_back(demo.substr(0, cut));
    int refused = 0;
    for (const std::string& text : variants) {
        DB_DiscardDataBase();
        ASSERT_NE(DB_CreateDataBase("Before", "H", "P"), 0);
        Source src;
        std::string error;
        const bool read = ReadSourceText(text, "design", DEMO_SOURCE_DIR, src, error);
        if (read && src.design && BuildDesign(src, error)) continue;
        if (read && !src.design) continue;  // cut before the design starts
        ++refused;
        EXPECT_EQ(error.rfind("design:", 0), 0u) << error;
        EXPECT_STREQ(O_GetName(DB_DataBase()), "Before") << error;
    }
    EXPECT_GT(refused, 50);
}

}  // namespace
