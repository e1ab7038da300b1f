// Name texts of nets and buses, the notes items, wire drawing and the
// hierarchy assignment, each swept with every step that changes the design
// refused in turn.
#include "tests/editing/all_or_nothing.h"

#include "editor/editing/editing_state.h"
#include "editor/interaction/commands.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/schahier.h"
#include "editor/objects/symbol_items.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/curpos.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/forms.h"
#include "editor/shell/listbox.h"
#include "editor/shell/nvoinpbg.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/textarea.h"
#include "editor/shell/tooltable.h"
#include "editor/view/marks.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace {

using namespace palvane_test;

// Net N from R1.2 over a corner at (10 0) to R2.1 with its name text, M on
// R3.1 without wire, bus B (member N) with its name text, and bus C.
const char* kWires = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N
bus B N
bus C
page P1 frame 80 60
  component R1 R at 0 0
  component R2 R at 20 0
  component R3 R at 0 20
  component R4 R at 20 20
  net M R3.1
  wire N R1.2 (10 0) R2.1 label 12 1
  buswire B (0 -10) (30 -10) label 25 -9
  buswire C (0 -20) (30 -20)
end
)";

// Two block symbols and the levels they may lead down to.
const char* kLevels = R"(
unit 0.1in
symbol BLK schematic
  entry IN at -10 2
  entry OUT at 10 2
  entry CLK at -10 -2
  rect -10 -5 20 10
end
design D
level MAIN
page P frame 60 40
  component B1 symbol BLK at 0 0
  component B2 symbol BLK at 30 0
end
level SUB
page S frame 60 40
end
level SUB2
page T frame 60 40
end
)";

constexpr int32_t kNotes = -101;

class DrawingSweep : public AllOrNothing {
public:
    static DrawingSweep& Of(AllOrNothing& t) { return static_cast<DrawingSweep&>(t); }
    // A click of function `f` of the wire mode at (x, y) steps.
    void WireClick(int32_t f, double x, double y)
    {
        g_CurMode = MODE_WIRES;
        ModeTools(MODE_WIRES).SelFunc = f;
        int32_t px = static_cast<int32_t>(x * kStep), py = static_cast<int32_t>(y * kStep);
        M().WireModeClick(px, py);
    }
    static void Pin(const char* comp, int32_t entry, int32_t& x, int32_t& y)
    {
        EntryRec rec{};
        C_ReadEntry(CompId(comp), entry, &rec);
        x = rec.X;
        y = rec.Y;
    }
    // Starts a wire at (x, y) steps, as the first click of the drawing.
    void StartWire(double x, double y, bool bus = false)
    {
        M().m_WireIsBus = bus;
        M().m_StepRequest = 0;
        M().m_JunctionRequest = 0;
        int32_t fail = 1, px = static_cast<int32_t>(x * kStep), py = static_cast<int32_t>(y * kStep);
        M().CreateWireNet(fail, false, !bus, px, py);
        ASSERT_EQ(fail, 0);
    }
    // Puts the moving end of the wire being drawn at (x, y), as the
    // drawing's preview does.
    static void MoveEnd(int32_t x, int32_t y)
    {
        g_CurBranchPoint.X = x;
        g_CurBranchPoint.Y = y;
        O_ChangePosition(J_Junction(g_CurBranchPoint.Ref), x, y);
    }
    // The sweep measures the design after an integrity check, and the
    // check takes the drawing mark off the net of a wire being drawn: a
    // step of the drawing starts from the design as the check leaves it.
    static void AsChecked() { RunIntegrityCheck(nullptr); }
    // The notes drawing with two lines and a text in a box around the
    // origin, and one line outside it.
    static void Notes()
    {
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
        add(1, 0, 200000, "");
        add(6, 100000, 100000, "NOTE");
        add(1, 5000000, 5000000, "");
        g_SelRect = {-1000000, -1000000, 1000000, 1000000};
    }
    void Transform(int32_t offsetX, int32_t rotation)
    {
        SCHMAIN& m = M();
        m.m_BaseX = m.m_BaseY = 0;
        m.m_Rotation = rotation;
        m.m_OffsetX = offsetX;
        m.m_OffsetY = 0;
        m.m_MirrorX = m.m_MirrorY = 0;
        m.m_Scale = 1.0;
    }
    // Shows the assignment window for `comp` and picks `level` there.
    void Assign(const char* comp, const std::string& level, bool reassign, bool all)
    {
        g_CurHier = DB_CurHier();
        g_HierCompId = CompId(comp);
        g_HierReassign = reassign ? -1 : 0;
        g_HierApplied = -5;
        SCHAHIER& form = FormInstance<SCHAHIER>();
        Ui().ExpectModal("SCHAHIER", [&form, level, all](QWidget*) {
            for (int i = 0; i < form.F_List()->ListCount(); ++i)
                if (form.F_List()->List(i) == level) form.F_List()->SetListIndex(i);
            form.F_AllInstances()->SetValue(all ? 1 : 0);
            form.F_Apply()->Press();
            if (form.Visible()) form.F_Cancel()->Press();
        });
        ShowModal(form);
    }
};

const AllOrNothing::Row kTexts[] = {
    {"net name text added", [](AllOrNothing& t) { DrawingSweep::Of(t).Options({}); },
     [](AllOrNothing& t) {
         DrawingSweep::Of(t).Typed("NAME");
         DrawingSweep::Of(t).WireClick(6, 10, 0);
     }},
    {"net name text changed", [](AllOrNothing& t) { DrawingSweep::Of(t).Options({}); },
     [](AllOrNothing& t) {
         DrawingSweep::Of(t).Typed("CHANGED");
         DrawingSweep::Of(t).WireClick(6, 12.2, 1.3);
     }},
    {"bus name text changed", [](AllOrNothing& t) { DrawingSweep::Of(t).Options({}); },
     [](AllOrNothing& t) {
         DrawingSweep::Of(t).Typed("CHANGED");
         DrawingSweep::Of(t).WireClick(6, 25.2, -8.7);
     }},
};

const AllOrNothing::Row kItems[] = {
    {"items copied",
     [](AllOrNothing& t) {
         DrawingSweep::Notes();
         DrawingSweep::Of(t).Transform(2000000, 0);
     },
     [](AllOrNothing& t) { t.M().CopyItemsInRect(); }},
    {"items moved and turned",
     [](AllOrNothing& t) {
         DrawingSweep::Notes();
         DrawingSweep::Of(t).Transform(2000000, 90);
     },
     [](AllOrNothing& t) { t.M().TransformItemsInRect(); }},
    {"items deleted", [](AllOrNothing&) { DrawingSweep::Notes(); },
     [](AllOrNothing& t) {
         t.Ui().ExpectMessageBox(6, "Delete Selected items");
         bool rect = true;
         t.M().DeleteSelectedItems(rect);
     }},
    {"all items deleted", [](AllOrNothing&) { DrawingSweep::Notes(); },
     [](AllOrNothing& t) {
         bool rect = false;
         t.M().DeleteSelectedItems(rect);
     }},
};


// A new bus drawn one step long and ended on free space: its name typed.
AllOrNothing::Row NewBusNamed(const char* name, std::string typed)
{
    return {name,
            [](AllOrNothing& t) {
                DrawingSweep::Of(t).StartWire(30, 15, true);
                DrawingSweep::MoveEnd(g_CurBranchPoint.X + 5 * kStep, g_CurBranchPoint.Y);
                int32_t fail = 0, x = 0, y = 0;
                t.M().WireDrawStep(fail, x, y);
                DrawingSweep::AsChecked();
            },
            [typed](AllOrNothing& t) {
                int32_t fail = 0, x = 0, y = 0;
                t.M().m_JunctionRequest = -1;
                DrawingSweep::Of(t).Typed(typed.c_str());
                t.M().WireDrawStep(fail, x, y);
                t.M().m_JunctionRequest = 0;
            }};
}

const AllOrNothing::Row kWireDrawing[] = {
    {"wire started in free space", nullptr,
     [](AllOrNothing& t) {
         t.M().m_WireIsBus = false;
         int32_t fail = 1, x = 30 * kStep, y = 25 * kStep;
         t.M().CreateWireNet(fail, false, true, x, y);
     }},
    {"wire started at a free pin", nullptr,
     [](AllOrNothing& t) {
         t.M().m_WireIsBus = false;
         int32_t fail = 1, x = 0, y = 0;
         DrawingSweep::Pin("R4", 1, x, y);
         t.M().CreateWireNet(fail, false, true, x, y);
     }},
    {"wire started on a wire", nullptr,
     [](AllOrNothing& t) {
         t.M().m_WireIsBus = false;
         int32_t fail = 1, x = 6 * kStep, y = 0;
         t.M().CreateWireNet(fail, false, true, x, y);
     }},
    {"wire started on a bus", nullptr,
     [](AllOrNothing& t) {
         t.M().m_WireIsBus = false;
         DrawingSweep::Of(t).Typed("1");
         int32_t fail = 1, x = 10 * kStep, y = -20 * kStep;
         t.M().CreateWireNet(fail, false, true, x, y);
     }},
    {"bus started in free space", nullptr,
     [](AllOrNothing& t) {
         t.M().m_WireIsBus = true;
         int32_t fail = 1, x = 30 * kStep, y = 15 * kStep;
         t.M().CreateWireNet(fail, false, false, x, y);
     }},
    {"wire corner",
     [](AllOrNothing& t) {
         DrawingSweep::Of(t).StartWire(30, 25);
         DrawingSweep::MoveEnd(40 * kStep, 25 * kStep);
         DrawingSweep::AsChecked();
     },
     [](AllOrNothing& t) {
         int32_t fail = 0, x = 40 * kStep, y = 25 * kStep;
         t.M().WireDrawStep(fail, x, y);
     }},
    {"wire end at a free pin",
     [](AllOrNothing& t) {
         DrawingSweep::Of(t).StartWire(30, 25);
         int32_t x = 0, y = 0;
         DrawingSweep::Pin("R4", 1, x, y);
         DrawingSweep::MoveEnd(x, y);
         DrawingSweep::AsChecked();
     },
     [](AllOrNothing& t) {
         int32_t fail = 0, x = 0, y = 0;
         DrawingSweep::Pin("R4", 1, x, y);
         t.M().WireDrawStep(fail, x, y);
     }},
    {"wire end merging at a pin of a net",
     [](AllOrNothing& t) {
         DrawingSweep::Of(t).StartWire(30, 25);
         int32_t x = 0, y = 0;
         DrawingSweep::Pin("R3", 1, x, y);
         DrawingSweep::MoveEnd(x, y);
         DrawingSweep::AsChecked();
     },
     [](AllOrNothing& t) {
         int32_t fail = 0, x = 0, y = 0;
         DrawingSweep::Pin("R3", 1, x, y);
         t.Ui().ExpectPopupMenu("Yes", "Merge ");
         t.M().WireDrawStep(fail, x, y);
     }},
    {"wire end on a bus",
     [](AllOrNothing& t) {
         DrawingSweep::Of(t).StartWire(30, 25);
         DrawingSweep::MoveEnd(10 * kStep, -10 * kStep);
         DrawingSweep::AsChecked();
     },
     [](AllOrNothing& t) {
         int32_t fail = 0, x = 10 * kStep, y = -10 * kStep;
         DrawingSweep::Of(t).Typed("1");
         t.M().WireDrawStep(fail, x, y);
     }},
    {"wire drawing cancelled",
     [](AllOrNothing& t) {
         int32_t x = 0, y = 0;
         DrawingSweep::Pin("R4", 1, x, y);
         DrawingSweep::Of(t).StartWire(x / double(kStep), y / double(kStep));
         DrawingSweep::AsChecked();
     },
     [](AllOrNothing& t) {
         int32_t fail = 0, x = 0, y = 0;
         t.M().m_StepRequest = -1;
         t.M().WireDrawStep(fail, x, y);
         t.M().m_StepRequest = 0;
     }},
    NewBusNamed("new bus named like another", "C"),
    NewBusNamed("new bus named", "DATA"),
};

const AllOrNothing::Row kLevelEdits[] = {
    {"child level assigned", nullptr,
     [](AllOrNothing& t) { DrawingSweep::Of(t).Assign("B1", "SUB", false, false); }},
    {"child level assigned to every instance", nullptr,
     [](AllOrNothing& t) { DrawingSweep::Of(t).Assign("B1", "SUB", false, true); }},
    {"child level reassigned",
     [](AllOrNothing& t) { DrawingSweep::Of(t).Assign("B1", "SUB", false, false); },
     [](AllOrNothing& t) { DrawingSweep::Of(t).Assign("B1", "SUB2", true, false); }},
    {"child level taken away",
     [](AllOrNothing& t) { DrawingSweep::Of(t).Assign("B1", "SUB", false, true); },
     [](AllOrNothing& t) { DrawingSweep::Of(t).Assign("B1", "(none)", true, true); }},
};

TEST_F(DrawingSweep, NameTextEditsAreWholeOrNothing)
{
    design = kWires;
    for (const Row& row : kTexts) Sweep(row);
}

TEST_F(DrawingSweep, ItemEditsAreWholeOrNothing)
{
    design = kWires;
    for (const Row& row : kItems) Sweep(row);
}

TEST_F(DrawingSweep, WireDrawingIsWholeOrNothing)
{
    design = kWires;
    for (const Row& row : kWireDrawing) Sweep(row);
}

TEST_F(DrawingSweep, HierarchyAssignmentIsWholeOrNothing)
{
    design = kLevels;
    page = "P";
    for (const Row& row : kLevelEdits) Sweep(row);
}

}  // namespace
