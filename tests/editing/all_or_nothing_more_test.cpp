// The net made from picked or typed pins, the net wires made again, the
// array of one copy, the page frame, the repeated wire, the pictures, the
// notes item copies and repeats and the item editor, each swept with every
// step that changes the design refused in turn, as an action of the user
// and called alone; the copies of an array and of a repeat each whole, those
// made before a refused one staying.
#include "tests/editing/all_or_nothing.h"

#include "editor/dialogs/schinet.h"
#include "editor/documents/schframe.h"
#include "editor/editing/bitmaps.h"
#include "editor/editing/editing_state.h"
#include "editor/editing/nvobmp.h"
#include "editor/editing/schitmed.h"
#include "editor/interaction/command_steps.h"
#include "editor/interaction/commands.h"
#include "editor/interaction/input_state.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/components.h"
#include "editor/objects/net_text.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/forms.h"
#include "editor/shell/nvoinpbg.h"
#include "editor/shell/prefs.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/settings.h"
#include "editor/shell/textarea.h"
#include "editor/shell/tooltable.h"
#include "editor/shell/user_action.h"
#include "editor/view/marks.h"
#include "platform/winsys/grid.h"

#include <QColor>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace palvane_test;

// Net S in three wires, N1 through a corner, a bus with two members, free
// pins on R1, R2 and R4.
const char* kDesign = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N1
net N2
net M1
net M2
net S
bus B M1 M2
page P1 frame 100 80
  component R1 R at 0 0
  component R2 R at 20 0
  component R3 R at 0 20
  component R4 R at 20 20
  component R5 R at 0 40
  component R6 R at 20 40
  component R7 R at 40 0
  component R8 R at 40 20
  wire N1 R1.2 (10 0) (10 10) R2.1 label 11 10
  wire N2 R3.1 (-5 20)
  buswire B (-10 30) (30 30) label 25 31
  wire M1 R3.2 (5 30)
  wire M2 R4.1 (15 30)
  wire S R5.2 R6.1
  wire S R7.2 (50 0)
  wire S R8.1 (37 10)
end
page P2 frame 100 80
  buswire B (-10 -10) (30 -10)
end
)";

constexpr int32_t kNotes = -101;

class MoreSweep : public AllOrNothing {
public:
    static MoreSweep& Of(AllOrNothing& t) { return static_cast<MoreSweep&>(t); }
    void SetUp() override
    {
        AllOrNothing::SetUp();
        ASSERT_TRUE(dir.isValid());
        design = kDesign;
        g_DbUnitsPerMm = 100000;
    }
    void TearDown() override
    {
        if (auto* form = FindFormInstance(typeid(SCHITMED))) form->Unload();
        if (auto* form = FindFormInstance(typeid(NVOBMP))) form->Unload();
        g_CurBitmap = 0;
        g_CurCommand = 0;
        AllOrNothing::TearDown();
    }
    static void Pin(const char* comp, int32_t entry, int32_t& x, int32_t& y)
    {
        EntryRec rec{};
        C_ReadEntry(CompId(comp), entry, &rec);
        x = rec.X;
        y = rec.Y;
    }
    static NodeRec PinNode(const char* comp, int32_t entry)
    {
        NodeRec node{};
        node.Comp = CompId(comp);
        node.Entry = entry;
        Pin(comp, entry, node.X, node.Y);
        return node;
    }
    // The notes drawing: a line, a text and a rectangle.
    void Notes()
    {
        // No command runs on (a copy begins the move of the copy).
        g_CurCommand = 0;
        M().M_FSI_Click(MODE_DESIGN_NOTES);
        // Function 2, the copy, whose options repeat it.
        M().F_FSI_Click(2, true);
        if (!S_Symbol(kNotes)) S_CreateSymbol(kNotes, "@DESNOTES");
        g_CurSymb = kNotes;
        auto add = [](int32_t kind, int32_t x, int32_t y, const char* text) {
            ItemRec rec{};
            rec.Kind = kind;
            rec.Flags = 1;
            rec.X = x;
            rec.Y = y;
            rec.P1 = kind == 6 ? 100000 : 500000;
            rec.P2 = kind == 6 ? 80000 : 0;
            rec.Width = 1000;
            int32_t status = 0, index = 0;
            MakeOwnerItem(status, kOwnerSymbol, kNotes, rec, text, index);
            O_Mask(S_SymbolItem(kNotes, index), 1, 1);
        };
        add(1, 0, 0, "");
        add(6, 2000000, 2000000, "NOTE");
        add(3, 4000000, 0, "");
        for (auto& marker : g_Markers) marker.Shown = 0;
    }
    // The notes item `index` picked and the item editor opened on it.
    static SCHITMED& OpenItemEditor(int32_t index)
    {
        g_CurSymb = kNotes;
        g_SymbItemIdx = index;
        int32_t status = 0, kind = 0;
        ReadSymbItem(status, kNotes, index, g_SymbItemText, kind);
        g_ItemEditorFresh = 1;
        SCHITMED& d = FormInstance<SCHITMED>();
        d.Show();
        d.Form_Activate();
        return d;
    }
    static void TypeInto(SCHITMED& d, int row, const std::string& text)
    {
        d.F_GD()->SetRow(row);
        d.F_GD_Click();
        d.F_TXT()->SetText(text);
        int enter = 13;
        d.F_TXT_KeyPress(enter);
    }
    // The item editor's last state, the one Undo steps back from, is the
    // item the design holds.
    static std::string EditorFollowsTheItem()
    {
        SCHITMED& d = FormInstance<SCHITMED>();
        if (d.m_UndoStates.empty()) return "the item editor keeps no state";
        const ItemRec& kept = d.m_UndoStates.back().item;
        ItemRec held{};
        if (I_ReadItem(S_SymbolItem(kNotes, g_SymbItemIdx), &held) == 0) return "the item editor's item is gone";
        const bool same = held.Kind == kept.Kind && held.X == kept.X && held.Y == kept.Y && held.P1 == kept.P1 &&
                          held.P2 == kept.P2 && held.Width == kept.Width && held.Style == kept.Style &&
                          (held.Kind != 6 || std::string(held.Text ? held.Text : "") == d.m_UndoStates.back().textString);
        return same ? std::string() : "the item editor's last state is not the item the design holds";
    }
    // A picture file, made once.
    std::string Picture(const char* name)
    {
        const std::string path = (dir.path() + "/").toStdString() + name + ".bmp";
        QImage image(8, 6, QImage::Format_RGB32);
        image.fill(Qt::red);
        EXPECT_TRUE(image.save(QString::fromStdString(path), "BMP"));
        return path;
    }
    // Places the picture of file `name` at (x, y).
    void PlacePicture(const char* name, int32_t x, int32_t y)
    {
        g_BmpFromLibrary = false;
        g_BmpNewName = name;
        std::string selection = Picture(name);
        PlaceBitmap(selection, x, y);
    }
    // The list of placements in memory is the one stored.
    static std::string ListFollowsTheDesign()
    {
        const std::vector<BitmapPlaceRec> shown = g_BitmapList;
        LoadBitmapList();
        const bool same = shown.size() == g_BitmapList.size() &&
                          std::equal(shown.begin(), shown.end(), g_BitmapList.begin(), [](const auto& a, const auto& b) {
                              return a.Picture == b.Picture && a.X == b.X && a.Y == b.Y && a.Page == b.Page;
                          });
        return same ? std::string() : "the list of pictures in memory is not the one stored";
    }

    QTemporaryDir dir;
};

const AllOrNothing::Row kNetEdits[] = {
    {"net made from picked pins",
     [](AllOrNothing&) {
         g_NetNodes.Redim(1, 3);
         g_NetNodes(1) = MoreSweep::PinNode("R1", 1);
         g_NetNodes(2) = MoreSweep::PinNode("R2", 2);
         g_NetNodes(3) = MoreSweep::PinNode("R4", 2);
         g_NetEditFlags = 0;
     },
     [](AllOrNothing& t) {
         t.Ui().ExpectModal("SCHINET", [](QWidget*) {
             g_NetEditFlags = 0;
             FormInstance<SCHINET>().F_Cancel()->Press();
         });
         int32_t fail = 1, net = 0;
         std::string name = "NEW";
         NetRec rec{};
         t.M().CreateNet(fail, false, net, name, rec);
         t.reported = fail == 0 ? 1 : 0;
     }},
    {"net made from typed pins",
     [](AllOrNothing&) {
         g_NetNodeText.clear();
         // Each pin as the net dialog writes it: the component's whole name
         // and the pin's.
         for (const auto& [comp, entry] : {std::pair{"R1", 1}, std::pair{"R2", 2}, std::pair{"R4", 2}}) {
             CompRec owner{};
             EntryRec pin{};
             C_ReadComponent(AllOrNothing::CompId(comp), &owner);
             C_ReadEntry(AllOrNothing::CompId(comp), entry, &pin);
             g_NetNodeText += std::string(owner.Name ? owner.Name : "") + "," + (pin.Name ? pin.Name : "") + "\r\n";
         }
         g_NetNodeText += "END\r\n";
         g_NetEditFlags = 1;
     },
     [](AllOrNothing& t) {
         // A text the reading refuses opens the net dialog again: the user
         // closes it.
         t.Ui().unexpected = [](const std::string& what) {
             if (what.find("SCHINET") != std::string::npos) g_NetEditFlags = 0;
         };
         int32_t fail = 1, net = 0;
         std::string name = "TYPED";
         NetRec rec{};
         t.M().CreateNet(fail, true, net, name, rec);
         t.reported = fail == 0 ? 1 : 0;
         t.Ui().unexpected = [](const std::string&) {};
     }},
    {"net wires made again", [](AllOrNothing& t) { MoreSweep::Of(t).Options({}); },
     [](AllOrNothing& t) {
         int32_t x = 0, y = 0;
         MoreSweep::Pin("R7", 2, x, y);
         t.Ui().ExpectPopupMenu("Yes");
         t.M().NetWiresClick(x, y, false);
     }},
    {"net wires cleared", [](AllOrNothing& t) { MoreSweep::Of(t).Options({}); },
     [](AllOrNothing& t) {
         int32_t x = 0, y = 0;
         MoreSweep::Pin("R7", 2, x, y);
         t.Ui().ExpectPopupMenu("Yes");
         t.M().NetWiresClick(x, y, true);
     }},
    {"every net's wires made again", [](AllOrNothing& t) { MoreSweep::Of(t).Options({0}); },
     [](AllOrNothing& t) {
         t.Ui().ExpectPopupMenu("Yes");
         t.M().NetWiresClick(0, 0, false);
     }},
    {"every net's wires cleared", [](AllOrNothing& t) { MoreSweep::Of(t).Options({0}); },
     [](AllOrNothing& t) {
         t.Ui().ExpectPopupMenu("Yes");
         t.M().NetWiresClick(0, 0, true);
     }},
};

TEST_F(MoreSweep, NetEditsAreWholeOrNothing)
{
    for (const Row& row : kNetEdits) Sweep(row);
    // Called from code, outside an action, each edit is whole by itself.
    alone = true;
    for (const Row& row : kNetEdits) Sweep(row);
}

const AllOrNothing::Row kPlacements[] = {
    {"array of one copy",
     [](AllOrNothing&) {
         g_CompId = AllOrNothing::CompId("R1");
         int32_t status = 1;
         ReadComp(status, g_CompId, g_CompName);
         g_ArrayCountX = 2;
         g_ArrayCountY = 1;
         g_ArrayStepX = g_ArrayStepY = 254000;
         g_CompFrameSize = {500000, 500000};
     },
     [](AllOrNothing& t) { t.M().PlaceCompArray(); }},
    {"page frame",
     [](AllOrNothing&) { ReadPageFormats(); },
     [](AllOrNothing& t) {
         t.Ui().ExpectModal("SCHFRAME", [](QWidget*) {
             SCHFRAME& d = FormInstance<SCHFRAME>();
             d.F_Formats()->SetListIndex(0);
             d.F_Accept()->Press();
             if (d.Visible()) d.F_Cancel()->Press();
         });
         t.M().EditPageFrame(0);
     }},
    {"repeated wire from a pin",
     [](AllOrNothing&) {
         g_NetNodes.Redim(1, 3);
         g_NetNodes(1) = MoreSweep::PinNode("R4", 2);
         g_NetNodes(2) = NodeRec{0, 0, 0, 0, 0, 60 * kStep, 20 * kStep};
         g_NetNodes(3) = MoreSweep::PinNode("R8", 2);
     },
     [](AllOrNothing& t) { t.M().BuildRepeatWire(); }},
    {"repeated wire from a wire",
     [](AllOrNothing&) {
         g_NetNodes.Redim(1, 3);
         g_NetNodes(1) = NodeRec{0, 0, 0, 0, 0, 10 * kStep, 5 * kStep};
         g_NetNodes(2) = NodeRec{0, 0, 0, 0, 0, 30 * kStep, 5 * kStep};
         g_NetNodes(3) = MoreSweep::PinNode("R8", 2);
     },
     [](AllOrNothing& t) { t.M().BuildRepeatWire(); }},
    {"repeated wire from a bus",
     [](AllOrNothing&) {
         g_NetNodes.Redim(1, 2);
         g_NetNodes(1) = NodeRec{0, 0, 0, 0, 0, 20 * kStep, 30 * kStep};
         g_NetNodes(2) = MoreSweep::PinNode("R6", 2);
     },
     [](AllOrNothing& t) {
         MoreSweep::Of(t).Typed("5");
         t.M().BuildRepeatWire();
     }},
};

// A frame the kernel refuses to write is reported and goes back alone: the
// format dialog stays open, and the next Accept writes the frame, which
// the action keeps.
TEST_F(MoreSweep, APageFrameRefusedOnceIsWrittenOnTheNextAccept)
{
    const Row& row = *std::find_if(std::begin(kPlacements), std::end(kPlacements),
                                   [](const Row& r) { return std::string(r.name) == "page frame"; });
    Fresh(row);
    RunEdit(row);
    const uint64_t whole = KT_DesignDigest();
    for (const char* call : {"J_CreateJunction", "B_DeleteRecord"}) {
        SCOPED_TRACE(call);
        Fresh(row);
        bool refusedAsWritten = false, stayedOpen = false;
        Ui().ExpectModal("SCHFRAME", [&](QWidget*) {
            SCHFRAME& d = FormInstance<SCHFRAME>();
            d.F_Formats()->SetListIndex(0);
            // The design as the dialog opened on it (the frame marked).
            const uint64_t opened = KT_DesignDigest();
            Ui().ExpectMessageBox(1, "Can't create Page Format");
            KT_FailCall(call, 1);
            d.F_Accept()->Press();
            KT_FailCall("", 0);
            refusedAsWritten = KT_DesignDigest() == opened;
            stayedOpen = d.Visible();
            d.F_Accept()->Press();
        });
        RunAsUserAction([&] { M().EditPageFrame(0); });
        EXPECT_EQ(Ui().pending(), 0u) << "the refusal was reported";
        EXPECT_TRUE(refusedAsWritten) << "the refused write went back";
        EXPECT_TRUE(stayedOpen);
        EXPECT_FALSE(FormInstance<SCHFRAME>().Visible());
        EXPECT_EQ(KT_DesignDigest(), whole) << "the second Accept's frame stayed";
    }
}

TEST_F(MoreSweep, PlacementsAreWholeOrNothing)
{
    for (const Row& row : kPlacements) Sweep(row);
    // Called from code, outside an action, each edit is whole by itself.
    alone = true;
    for (const Row& row : kPlacements) Sweep(row);
}

const AllOrNothing::Row kPictures[] = {
    {"picture placed from a file",
     [](AllOrNothing&) {
         OpenBitmapStore();
         g_BmpAllPages = false;
     },
     [](AllOrNothing& t) {
         MoreSweep::Of(t).PlacePicture("LOGO", 0, 0);
         t.reported = g_CurBitmap != 0 ? 1 : 0;
     },
     nullptr, [](AllOrNothing&) { return MoreSweep::ListFollowsTheDesign(); }},
    {"picture placed from the store",
     [](AllOrNothing& t) {
         OpenBitmapStore();
         g_BmpAllPages = false;
         MoreSweep::Of(t).PlacePicture("LOGO", 0, 0);
         DeleteBitmapEntry(1);
     },
     [](AllOrNothing& t) {
         g_BmpFromLibrary = true;
         std::string selection = "LOGO";
         PlaceBitmap(selection, 10 * kStep, 0);
         t.reported = g_CurBitmap != 0 ? 1 : 0;
     },
     nullptr, [](AllOrNothing&) { return MoreSweep::ListFollowsTheDesign(); }},
    {"picture deleted",
     [](AllOrNothing& t) {
         OpenBitmapStore();
         MoreSweep::Of(t).PlacePicture("LOGO", 0, 0);
         MoreSweep::Of(t).PlacePicture("SEAL", 20 * kStep, 0);
         g_CurBitmap = 0;
         g_CurMode = MODE_BITMAPS;
         ModeTools(MODE_BITMAPS).SelFunc = 3;
     },
     [](AllOrNothing& t) {
         t.Ui().ExpectPopupMenu("Yes");
         int32_t x = 1000, y = -1000;
         t.M().BitmapModeClick(x, y);
     },
     nullptr, [](AllOrNothing&) { return MoreSweep::ListFollowsTheDesign(); }},
    {"picture moved",
     [](AllOrNothing& t) {
         OpenBitmapStore();
         MoreSweep::Of(t).PlacePicture("LOGO", 0, 0);
         MoreSweep::Of(t).PlacePicture("SEAL", 20 * kStep, 0);
         g_CurBitmap = 0;
     },
     [](AllOrNothing&) { MoveBitmapEntry(1, 30 * kStep, 30 * kStep); },
     nullptr, [](AllOrNothing&) { return MoreSweep::ListFollowsTheDesign(); }},
    {"picture put down",
     [](AllOrNothing& t) {
         OpenBitmapStore();
         MoreSweep::Of(t).Options({});
         MoreSweep::Of(t).PlacePicture("LOGO", 0, 0);
         g_BitmapPos = {30 * kStep, 20 * kStep};
         t.M().m_StepRequest = 0;
     },
     [](AllOrNothing& t) {
         int32_t x = 0, y = 0;
         FindBlockStep(87)(t.M(), x, y, 87);
     },
     nullptr, [](AllOrNothing&) { return MoreSweep::ListFollowsTheDesign(); }},
    {"picture moved by the pointer",
     [](AllOrNothing& t) {
         OpenBitmapStore();
         MoreSweep::Of(t).PlacePicture("LOGO", 0, 0);
         MoreSweep::Of(t).PlacePicture("SEAL", 20 * kStep, 0);
         g_CurBitmap = 1;
         g_BitmapPos = {30 * kStep, 20 * kStep};
         t.M().m_StepRequest = 0;
     },
     [](AllOrNothing& t) {
         int32_t x = 0, y = 0;
         FindBlockStep(88)(t.M(), x, y, 88);
     },
     nullptr, [](AllOrNothing&) { return MoreSweep::ListFollowsTheDesign(); }},
    {"unused pictures deleted",
     [](AllOrNothing& t) {
         OpenBitmapStore();
         MoreSweep::Of(t).PlacePicture("LOGO", 0, 0);
         MoreSweep::Of(t).PlacePicture("SEAL", 20 * kStep, 0);
         MoreSweep::Of(t).PlacePicture("STAMP", 40 * kStep, 0);
         DeleteBitmapEntry(3);
         DeleteBitmapEntry(2);
         FormInstance<NVOBMP>().Load();
     },
     [](AllOrNothing&) { FormInstance<NVOBMP>().cmd_DelUnused()->Press(); },
     nullptr, [](AllOrNothing&) { return MoreSweep::ListFollowsTheDesign(); }},
};

TEST_F(MoreSweep, PictureEditsAreWholeOrNothing)
{
    for (const Row& row : kPictures) Sweep(row);
    // Called from code, outside an action, each edit is whole by itself.
    alone = true;
    for (const Row& row : kPictures) Sweep(row);
}

const AllOrNothing::Row kItems[] = {
    {"notes item copied",
     [](AllOrNothing& t) {
         MoreSweep::Of(t).Notes();
         MoreSweep::Of(t).Options({});
     },
     [](AllOrNothing& t) {
         int32_t x = 250000, y = 0;
         t.M().ItemCopyClick(x, y);
     }},
    {"notes item repeated by an offset",
     [](AllOrNothing& t) {
         MoreSweep::Of(t).Notes();
         MoreSweep::Of(t).Options({0});
     },
     [](AllOrNothing& t) {
         MoreSweep::Of(t).Typed("1,1,1");
         int32_t x = 250000, y = 0;
         t.M().ItemCopyClick(x, y);
     }},
    {"notes item repeated about a point",
     [](AllOrNothing& t) {
         MoreSweep::Of(t).Notes();
         MoreSweep::Of(t).Options({1});
         g_Markers[0] = {1, -1000000, 0};
     },
     [](AllOrNothing& t) {
         MoreSweep::Of(t).Typed("1,90");
         int32_t x = 250000, y = 0;
         t.M().ItemCopyClick(x, y);
     }},
    {"notes line edited", [](AllOrNothing& t) {
         MoreSweep::Of(t).Notes();
         MoreSweep::OpenItemEditor(1);
     },
     [](AllOrNothing&) { MoreSweep::TypeInto(FormInstance<SCHITMED>(), 1, "3"); },
     nullptr, [](AllOrNothing&) { return MoreSweep::EditorFollowsTheItem(); }},
    {"notes text edited", [](AllOrNothing& t) {
         MoreSweep::Of(t).Notes();
         MoreSweep::OpenItemEditor(2);
     },
     [](AllOrNothing&) { MoreSweep::TypeInto(FormInstance<SCHITMED>(), 4, "CHANGED"); },
     nullptr, [](AllOrNothing&) { return MoreSweep::EditorFollowsTheItem(); }},
    {"notes line edit taken back", [](AllOrNothing& t) {
         MoreSweep::Of(t).Notes();
         MoreSweep::TypeInto(MoreSweep::OpenItemEditor(1), 1, "3");
     },
     [](AllOrNothing&) { FormInstance<SCHITMED>().F_UNDO_Click(); },
     nullptr, [](AllOrNothing&) { return MoreSweep::EditorFollowsTheItem(); }},
    {"notes text edit taken back", [](AllOrNothing& t) {
         MoreSweep::Of(t).Notes();
         MoreSweep::TypeInto(MoreSweep::OpenItemEditor(2), 1, "3");
     },
     [](AllOrNothing&) { FormInstance<SCHITMED>().F_UNDO_Click(); },
     nullptr, [](AllOrNothing&) { return MoreSweep::EditorFollowsTheItem(); }},
};

// An array of three copies: a copy the kernel refuses is not made, the user
// is told, and the copies made before it stay.
const AllOrNothing::Row kArrayOfThree = {"array of three copies",
                                         [](AllOrNothing&) {
                                             g_CompId = AllOrNothing::CompId("R1");
                                             int32_t status = 1;
                                             ReadComp(status, g_CompId, g_CompName);
                                             g_ArrayCountX = 4;
                                             g_ArrayCountY = 1;
                                             g_ArrayStepX = g_ArrayStepY = 254000;
                                             g_CompFrameSize = {500000, 500000};
                                         },
                                         [](AllOrNothing& t) { t.M().PlaceCompArray(); }};

TEST_F(MoreSweep, EachCopyOfAnArrayIsWholeAndThoseMadeStay)
{
    SweepEntries(kArrayOfThree, "C_CreateComponent", 3);
    alone = true;
    SweepEntries(kArrayOfThree, "C_CreateComponent", 3);
}

// The third copy of an array refused: the user is told its name, the two
// copies before it stay, and the array ends there.
TEST_F(MoreSweep, AnArrayKeepsTheCopiesMadeBeforeARefusedOne)
{
    for (const char* call : {"C_CreateComponent", "G_CloseDC"}) {
        SCOPED_TRACE(call);
        Fresh(kArrayOfThree);
        const std::string clean = RunIntegrityCheck(nullptr);
        const int32_t comps = Count(DB_SchCompMap());
        Ui().ExpectMessageBox(1, "Can't create Component: Unpck3");
        RunAsUserAction([&] {
            // The canvas is closed once after each copy is drawn.
            KT_FailCall(call, 3);
            M().PlaceCompArray();
            KT_FailCall("", 0);
        });
        EXPECT_EQ(Ui().pending(), 0u) << "the user was told";
        EXPECT_NE(M().F_MsgLine->Caption().find("Can't create Component: Unpck3"), std::string::npos)
            << M().F_MsgLine->Caption();
        EXPECT_EQ(Count(DB_SchCompMap()), comps + 2);
        EXPECT_GT(CompId("Unpck1"), 0);
        EXPECT_GT(CompId("Unpck2"), 0);
        EXPECT_EQ(CompId("Unpck3"), 0);
        EXPECT_EQ(g_CompId, CompId("Unpck2")) << "the last copy made is current";
        EXPECT_EQ(RunIntegrityCheck(nullptr), clean);
    }
}

// A notes item repeated three times by an offset.
const AllOrNothing::Row kRepeatOfThree = {"notes item repeated three times",
                                          [](AllOrNothing& t) {
                                              MoreSweep::Of(t).Notes();
                                              MoreSweep::Of(t).Options({0});
                                          },
                                          [](AllOrNothing& t) {
                                              MoreSweep::Of(t).Typed("3,1,1");
                                              int32_t x = 250000, y = 0;
                                              t.M().ItemCopyClick(x, y);
                                          }};

TEST_F(MoreSweep, EachCopyOfARepeatIsWholeAndThoseMadeStay)
{
    SweepEntries(kRepeatOfThree, "OA_Add", 3);
    alone = true;
    SweepEntries(kRepeatOfThree, "OA_Add", 3);
}

// The second copy of a repeat refused: the user is told, the first copy
// stays, and the repeat ends there.
TEST_F(MoreSweep, ARepeatKeepsTheCopiesMadeBeforeARefusedOne)
{
    Fresh(kRepeatOfThree);
    const int32_t items = OA_GetCount(S_SymbolItemArray(kNotes));
    Ui().ExpectMessageBox(1, "Can't create Item: 2");
    RunAsUserAction([&] {
        KT_FailCall("OA_Add", 2);
        kRepeatOfThree.edit(*this);
        KT_FailCall("", 0);
    });
    EXPECT_EQ(Ui().pending(), 0u) << "the user was told";
    EXPECT_NE(M().F_MsgLine->Caption().find("Can't create Item: 2"), std::string::npos) << M().F_MsgLine->Caption();
    ASSERT_EQ(OA_GetCount(S_SymbolItemArray(kNotes)), items + 1);
    ItemRec copy{};
    ASSERT_NE(I_ReadItem(S_SymbolItem(kNotes, items + 1), &copy), 0);
    EXPECT_EQ(copy.Kind, 1);
    // One step of (1, 1) from the line at the origin.
    EXPECT_GT(copy.X, 0);
    EXPECT_EQ(copy.Y, copy.X);
}

TEST_F(MoreSweep, NotesItemEditsAreWholeOrNothing)
{
    for (const Row& row : kItems) Sweep(row);
    // Called from code, outside an action, each edit is whole by itself.
    alone = true;
    for (const Row& row : kItems) Sweep(row);
}

}  // namespace
