// Component mode through mouse events on the real canvas, over the shipped
// libraries and the real kernel: placing parts and symbols (singly and as
// arrays), moving with turns and mirroring, deleting, locking, packaging,
// gate and place exchange, the added text's step, the level above, and the
// XOR overlay of the preview.
#include "editor/dialogs/schicmpd.h"
#include "editor/dialogs/schipack.h"
#include "editor/editing/comp_swap.h"
#include "editor/interaction/command_steps.h"
#include "editor/interaction/commands.h"
#include "editor/interaction/input_state.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/components.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/applink.h"
#include "editor/shell/controls.h"
#include "editor/shell/curpos.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/forms.h"
#include "editor/shell/nvoinpbg.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/paths.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "editor/shell/textfiles.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "editor/view/drawaids.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"
#include "tests/support/raster.h"
#include "tests/support/screenshot.h"

#include <QApplication>
#include <QTest>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using palvane_test::CompareImages;

const char* const kDesign = R"(
include discrete.nls
include ics.nls
unit 0.1in
design D
level MAIN
net N1
net N3
page P1 frame 100 80
  component S1 symbol DFF at -30 0
  component R1 R at 0 0 mirror value 10k
  component R2 R at 20 0
  component R3 R at 20 -20
  component U1 74HC00 gate A at -10 -20
  component U1 74HC00 gate B at 0 -20
  wire N1 R1.1 R2.1
  wire N3 U1.1 R3.2
end
level UPPER
page Q1 frame 100 80
end
level JUNC
net N5
page J1 frame 100 80
  component R7 R at 0 0
  component R8 R at 20 10
  component R9 R at 20 -10
  junction T at 10 0
  wire N5 R7.2 T
  wire N5 T R8.1
  wire N5 T R9.1
end
)";

constexpr int32_t kStep = 254000;

class ComponentMode : public palvane_test::EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        m = &Main();
        ASSERT_TRUE(palvane_test::BuildDesign(kDesign));
        DB_SetCurHier(OM_FindName(DB_HierarchyMap(), "MAIN"));
        DB_SetCurPage(OM_FindName(DB_PageMap(), "P1"));
        ASSERT_TRUE(m->LoadSettings());
        SetDataDir(COMPILED_DATA_DIR);
        g_IniFile = std::string(COMPILED_DATA_DIR) + "/norvo32.ini";
        ReadDirSettings();
        ReadLibLists();
        ReadCurrentPage();
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        g_CompDlgMode = false;
        g_CompRepeat = 0;
        g_CompMirror = 0;
        g_CompAngle = 0;
        g_CurMode = MODE_COMPONENTS;
        g_CurCommand = 0;
        for (int i = 0; i <= 10; ++i) m->F_OST(i)->SetValue(false);
        m->ViewPicture->setFocus();
        m->RefreshCanvas();
        sent.clear();
    }
    void TearDown() override
    {
        FormInstance<SCHICMPD>().CancelDialog();
        FormInstance<SCHICMPS>().CancelDialog();
        g_CurCommand = 0;
        if (g_PackDlgOpen) FormInstance<SCHIPACK>().Unload();
        g_PackDlgOpen = false;
        EditorTest::TearDown();
    }

    Canvas& canvas() { return *m->ViewPicture; }
    // The canvas pixel of a database point.
    QPoint Px(int32_t x, int32_t y)
    {
        m->OpenCanvasDC();
        int32_t p[2] = {x, y};
        G_LPtoDP(p);
        m->CloseCanvasDC();
        return {p[0], p[1]};
    }
    // Pointer events as the canvas raises them, in its client pixels.
    void MovePixel(QPoint p) { m->ViewPicture_MouseMove(0, 0, p.x(), p.y()); }
    void ReleasePixel(QPoint p) { m->ViewPicture_MouseUp(1, 0, p.x(), p.y()); }
    void Move(int32_t x, int32_t y) { MovePixel(Px(x, y)); }
    void Click(int32_t x, int32_t y) { ClickPixel(Px(x, y)); }
    void ClickPixel(QPoint p)
    {
        MovePixel(p);
        ReleasePixel(p);
    }
    // Clicks on pin `entry` of the component.
    void ClickPin(int32_t comp, int32_t entry = 1)
    {
        const EntryRec pin = Entry(comp, entry);
        Click(pin.X, pin.Y);
    }
    // Removes the command's drawing from the canvas.
    void EraseDrawing()
    {
        m->OpenCanvasDC();
        m->EraseOverlay();
        m->CloseCanvasDC();
    }
    // A canvas pixel where text `index` of `comp` is picked and, with
    // `alone`, no component is; (-1, -1) when there is none.
    QPoint TextPixel(int32_t comp, int32_t index, bool alone)
    {
        const ItemRec t = Text(comp, index);
        const QPoint c = Px(t.X, t.Y);
        QPoint found(-1, -1);
        m->OpenCanvasDC();
        for (int dy = -12; dy <= 12 && found.x() < 0; ++dy)
            for (int dx = -6; dx <= 30 && found.x() < 0; ++dx) {
                int32_t p[2] = {c.x() + dx, c.y() + dy};
                G_DPtoLP(p);
                int32_t owner = 0, entry = 0;
                if (C_CoverCompText(-1, p[0], p[1], g_PickTolerance, &owner) != index || owner != comp) continue;
                if (alone && C_CoverComponent(p[0], p[1], g_PickTolerance, &entry) != 0) continue;
                found = QPoint(c.x() + dx, c.y() + dy);
            }
        m->CloseCanvasDC();
        return found;
    }
    void Function(int f) { PressFunction(*m, f); }
    // The preview once more at the last pointer point, as an option button
    // click runs it.
    void Preview()
    {
        m->OpenCanvasDC();
        int shift = 0;
        int32_t x = m->m_CursorX, y = m->m_CursorY;
        m->DispatchPointerAction(shift, x, y);
    }
    // The snapped point of the last pointer event.
    static int32_t Snapped(int32_t v) { return SnapCoord(v, g_SnapStep); }

    static int32_t Comp(const std::string& name) { return OM_FindName(DB_SchCompMap(), name.c_str()); }
    static CompRec Read(int32_t id)
    {
        CompRec rec{};
        C_ReadComponent(id, &rec);
        return rec;
    }
    static EntryRec Entry(int32_t comp, int32_t entry)
    {
        EntryRec rec{};
        C_ReadEntry(comp, entry, &rec);
        return rec;
    }
    static int CountComps()
    {
        int n = 0;
        int32_t cursor = OM_GetFirst(DB_SchCompMap());
        while (OM_SearchMask(DB_SchCompMap(), &cursor, 0, 0) != 0) ++n;
        return n;
    }
    // The page position of a component text (lower left corner).
    static ItemRec Text(int32_t comp, int32_t index)
    {
        ItemRec rec{};
        I_ReadItemAbs(C_CompText(comp, index), &rec);
        return rec;
    }
    // The index of the component's text with kind bits `kind`; 0 when none.
    static int32_t TextIndex(int32_t comp, int32_t kind)
    {
        for (int32_t i = 1; C_CompText(comp, i) != 0; ++i)
            if ((Text(comp, i).Flags & 0x1E) == kind) return i;
        return 0;
    }
    static int CountTexts(int32_t comp)
    {
        int n = 0;
        while (C_CompText(comp, n + 1) != 0) ++n;
        return n;
    }
    int Beeps() const
    {
        return static_cast<int>(std::count_if(ui.asked().begin(), ui.asked().end(),
                                              [](const auto& a) { return a.kind == "Beep"; }));
    }
    bool SentUp() const
    {
        return std::any_of(sent.begin(), sent.end(), [](const auto& s) { return s.second == "All,UP"; });
    }
    // The canvas as a fresh paint of the page shows it.
    void ExpectFreshPaint()
    {
        const QImage shown = canvas().Image().copy();
        m->RefreshCanvas();
        const auto d = CompareImages(shown, canvas().Image());
        EXPECT_TRUE(d.Same()) << d.differing << " at " << d.firstAt.x() << "," << d.firstAt.y();
        if (!d.Same() && getenv("DUMP_FRESH")) {
            const std::string n = ::testing::UnitTest::GetInstance()->current_test_info()->name();
            shown.save(QString::fromStdString("/tmp/fresh_" + n + "_shown.png"));
            canvas().Image().save(QString::fromStdString("/tmp/fresh_" + n + "_fresh.png"));
        }
    }
    void ScriptPart(const char* name)
    {
        ui.ExpectModeless("SCHICMPD", [name](QWidget*) {
            SCHICMPD& d = FormInstance<SCHICMPD>();
            d.F_Cref()->SetText(name);
            int key = 13;
            d.F_Cref_KeyPress(key);
            d.F_Accept()->Press();
        });
    }
    void Type(const char* text)
    {
        ui.ExpectModal("NvoInpBG", [text](QWidget*) {
            NvoInpBG& box = FormInstance<NvoInpBG>();
            if (text) {
                box.InpText()->SetText(text);
                box.InpOK()->Press();
            } else {
                box.InpCancel()->Press();
            }
        });
    }

    SCHMAIN* m = nullptr;
};

// ---- Placing -------------------------------------------------------------------

TEST_F(ComponentMode, PartPlacedFromTheDialogFollowsThePointerAndStays)
{
    Function(0);
    const int before = CountComps();
    ScriptPart("R");
    Click(40 * kStep, 20 * kStep);
    ASSERT_EQ(g_CurCommand, 2);
    ASSERT_EQ(CountComps(), before + 1);
    const int32_t id = g_CompId;
    EXPECT_EQ(ModeTools(MODE_COMPONENTS).SelFunc, 4) << "the move function is selected for the placement";
    // The first move after the command began takes the snap reference;
    // then each move records the component at the snapped pointer (its
    // origin: the dialog's components hang by their origin).
    Move(28 * kStep, 24 * kStep);
    for (int32_t x : {30, 35, 38}) {
        Move(x * kStep, 25 * kStep);
        EXPECT_NE(m->m_OverlayMF, 0);
        EXPECT_EQ(Read(id).X, Snapped(m->m_CursorX)) << x;
        EXPECT_EQ(Read(id).Y, Snapped(m->m_CursorY)) << x;
    }
    EXPECT_NE(m->F_MsgLine->Caption().find("rot:"), std::string::npos) << m->F_MsgLine->Caption();
    // The degree sign is one Latin-1 character, as every text of the editor.
    EXPECT_NE(m->F_MsgLine->Caption().find('\xB0'), std::string::npos);
    EXPECT_EQ(m->F_MsgLine->Caption().find('\xC2'), std::string::npos);
    const int32_t px = Snapped(m->m_CursorX), py = Snapped(m->m_CursorY);
    ReleasePixel(Px(38 * kStep, 25 * kStep));
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(Read(id).X, px);
    EXPECT_EQ(Read(id).Y, py);
    EXPECT_EQ(ModeTools(MODE_COMPONENTS).SelFunc, 0) << "the place function again";
    EXPECT_EQ(m->m_OverlayMF, 0);
    ExpectFreshPaint();
}

TEST_F(ComponentMode, SymbolPlacedFromTheSymbolDialog)
{
    Function(1);
    const int before = CountComps();
    ui.ExpectModeless("SCHICMPS", [](QWidget*) {
        SCHICMPS& d = FormInstance<SCHICMPS>();
        d.F_Cref()->SetText("CAP");
        int key = 13;
        d.F_Cref_KeyPress(key);
        d.F_Accept()->Press();
    });
    Click(-40 * kStep, 20 * kStep);
    ASSERT_EQ(g_CurCommand, 3);
    const int32_t id = g_CompId;
    EXPECT_EQ(Read(id).Device, 0) << "a symbol without a part";
    Move(-35 * kStep, 22 * kStep);
    ReleasePixel(Px(-35 * kStep, 22 * kStep));
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(CountComps(), before + 1);
    EXPECT_EQ(ModeTools(MODE_COMPONENTS).SelFunc, 1);
    ExpectFreshPaint();
}

TEST_F(ComponentMode, ArrayOfPartsPlacedWithItsFrame)
{
    Function(0);
    g_CompRepeat = 1;
    g_ArrayCountX = 3;
    g_ArrayCountY = 1;
    g_ArrayStepX = g_ArrayStepY = kStep;
    const int before = CountComps();
    ScriptPart("R");
    Click(-40 * kStep, 30 * kStep);
    ASSERT_EQ(g_CurCommand, 8);
    EXPECT_GT(g_ArrayExtent.X, 0);
    Move(-38 * kStep, 28 * kStep);
    EXPECT_NE(m->m_OverlayMF, 0);
    EXPECT_NE(m->F_MsgLine->Caption().find("Component block create"), std::string::npos);
    ReleasePixel(Px(-38 * kStep, 28 * kStep));
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(CountComps(), before + 3) << "the component and two copies";
    ExpectFreshPaint();
}

// The array frame is held back so that its far edge stays at the limit.
TEST_F(ComponentMode, ArrayFrameStaysInsideTheCoordinateLimit)
{
    g_CompId = Comp("R2/1");
    int32_t status = 0;
    ReadComp(status, g_CompId, g_CompName);
    g_ArrayExtent = {5 * kStep, 2 * kStep};
    g_CurCommand = 8;
    m->OpenCanvasDC();
    int shift = 1;
    int32_t x = 219900000, y = 0;
    m->PreviewCompBlock(shift, x, y);
    EXPECT_EQ(x, 220000000 - 5 * kStep);
    EXPECT_EQ(Read(g_CompId).X, x);
    g_CurCommand = 0;
    m->EraseOverlay();
}

TEST_F(ComponentMode, EscapeWhilePlacingTakesTheComponentAway)
{
    Function(0);
    const int before = CountComps();
    ScriptPart("R");
    Click(40 * kStep, 20 * kStep);
    ASSERT_EQ(g_CurCommand, 2);
    const int32_t id = g_CompId;
    Move(36 * kStep, 20 * kStep);
    QTest::keyClick(&canvas(), Qt::Key_Escape);
    Move(30 * kStep, 20 * kStep);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(CountComps(), before);
    EXPECT_EQ(C_Component(id), 0);
    EXPECT_FALSE(m->F_OST(10)->Value());
    ExpectFreshPaint();
}

// ---- Moving ----------------------------------------------------------------------

// Picked by its pin 1, R1 keeps that pin under the pointer through a move,
// a quarter turn, a free rotation and a mirror.
TEST_F(ComponentMode, MoveKeepsThePickedPinUnderThePointer)
{
    const int32_t id = Comp("R1/1");
    const EntryRec pin = Entry(id, 1);
    Function(4);
    Click(pin.X, pin.Y);
    ASSERT_EQ(g_CurCommand, 1);
    ASSERT_EQ(g_CompEntry, 1);
    auto pinOnPointer = [&](const char* what) {
        const EntryRec now = Entry(id, 1);
        EXPECT_EQ(now.X, Snapped(m->m_CursorX)) << what;
        EXPECT_EQ(now.Y, Snapped(m->m_CursorY)) << what;
    };
    Move(pin.X + 8 * kStep, pin.Y + 5 * kStep);
    Move(pin.X + 10 * kStep, pin.Y + 5 * kStep);
    pinOnPointer("move");
    const int32_t angle = Read(id).Angle;
    m->F_OST(0)->SetValue(true);
    Preview();
    EXPECT_FALSE(m->F_OST(0)->Value()) << "acts once";
    EXPECT_EQ(Read(id).Angle, (angle + 90000) % 360000);
    // The turn hooks the pin to the pointer as it is, unsnapped.
    EXPECT_EQ(Entry(id, 1).X, m->m_CursorX);
    EXPECT_EQ(Entry(id, 1).Y, m->m_CursorY);
    EXPECT_NE(m->F_MsgLine->Caption().find(std::to_string((angle + 90000) % 360000 / 1000)), std::string::npos)
        << m->F_MsgLine->Caption();
    // Mirroring twice gives the flags back; the next move hooks the pin again.
    const int32_t flags = Read(id).Flags & 2;
    for (int32_t want : {flags ^ 2, flags}) {
        m->F_OST(2)->SetValue(true);
        Preview();
        EXPECT_FALSE(m->F_OST(2)->Value());
        EXPECT_EQ(Read(id).Flags & 2, want);
    }
    m->F_OST(2)->SetValue(true);
    Move(pin.X + 12 * kStep, pin.Y + 5 * kStep);
    Move(pin.X + 14 * kStep, pin.Y + 6 * kStep);
    pinOnPointer("mirrored and moved");
    EXPECT_EQ(Read(id).Flags & 2, flags ^ 2);
    ReleasePixel(Px(pin.X + 14 * kStep, pin.Y + 6 * kStep));
    EXPECT_EQ(g_CurCommand, 0);
    pinOnPointer("placed");
    EXPECT_EQ(m->m_OverlayMF, 0);
    ExpectFreshPaint();
}

// Turned twice by the user while it is moved, a part stands half round:
// its texts (name, value) turn with it and are not turned back to read
// upright. Each text's angle on the page is the part's angle plus the
// text's own, the text's own negated when the part is mirrored (R1) or
// not (R2); the texts' own angles stay as they were.
TEST_F(ComponentMode, TurnedTwiceAPartsTextsTurnWithIt)
{
    for (const char* name : {"R2/1", "R1/1"}) {
        SCOPED_TRACE(name);
        const int32_t id = Comp(name);
        const CompRec start = Read(id);
        const bool mirrored = (start.Flags & 2) != 0;
        ASSERT_GE(CountTexts(id), 1);
        std::vector<int32_t> own;
        for (int32_t i = 1; i <= CountTexts(id); ++i) {
            ItemRec rec{};
            ASSERT_EQ(I_ReadItem(C_CompText(id, i), &rec), 1);
            own.push_back(rec.Angle);
        }
        Function(4);
        ClickPin(id);
        ASSERT_EQ(g_CurCommand, 1);
        const EntryRec pin = Entry(id, 1);
        Move(pin.X + 4 * kStep, pin.Y + 4 * kStep);
        for (int turn = 0; turn < 2; ++turn) {
            m->F_OST(0)->SetValue(true);
            Preview();
        }
        ReleasePixel(Px(pin.X + 4 * kStep, pin.Y + 4 * kStep));
        ASSERT_EQ(g_CurCommand, 0);
        const int32_t angle = Read(id).Angle;
        EXPECT_EQ(angle, (start.Angle + 180000) % 360000);
        for (int32_t i = 1; i <= CountTexts(id); ++i) {
            ItemRec rec{};
            ASSERT_EQ(I_ReadItem(C_CompText(id, i), &rec), 1);
            EXPECT_EQ(rec.Angle, own[i - 1]) << "text " << i << " keeps its own angle";
            const int32_t page = ((mirrored ? -own[i - 1] : own[i - 1]) + angle + 720000) % 360000;
            EXPECT_EQ(Text(id, i).Angle, page) << "text " << i;
        }
    }
}

// A wired component moved by either pin, mirrored (R1) or not (R2): the
// wire at its old place is erased when the move begins, so that after the
// step the canvas is what a fresh paint shows.
TEST_F(ComponentMode, MovedWiredComponentLeavesNoOldWireBehind)
{
    struct Case {
        const char* comp;
        int32_t entry;
    };
    for (const Case c : {Case{"R1/1", 1}, Case{"R1/1", 2}, Case{"R2/1", 1}}) {
        SCOPED_TRACE(std::string(c.comp) + " pin " + std::to_string(c.entry));
        const int32_t id = Comp(c.comp);
        const EntryRec pin = Entry(id, c.entry);
        Function(4);
        Click(pin.X, pin.Y);
        ASSERT_EQ(g_CurCommand, 1);
        Move(pin.X + 3 * kStep, pin.Y + 6 * kStep);
        Move(pin.X + 4 * kStep, pin.Y + 7 * kStep);
        ReleasePixel(Px(pin.X + 4 * kStep, pin.Y + 7 * kStep));
        EXPECT_EQ(g_CurCommand, 0);
        ExpectFreshPaint();
    }
}

// The wire redrawn with a moved component ends at a junction whose dot the
// page paint draws over the wires: the dot is drawn again on top of it.
TEST_F(ComponentMode, MovedComponentLeavesTheJunctionDotOfItsWireWhole)
{
    DB_SetCurHier(OM_FindName(DB_HierarchyMap(), "JUNC"));
    DB_SetCurPage(OM_FindName(DB_PageMap(), "J1"));
    ReadCurrentPage();
    m->RefreshCanvas();
    const int32_t id = Comp("R7/1");
    ASSERT_GT(id, 0);
    const EntryRec pin = Entry(id, 1);
    Function(4);
    Click(pin.X, pin.Y);
    ASSERT_EQ(g_CurCommand, 1);
    Move(pin.X - 3 * kStep, pin.Y + 4 * kStep);
    Move(pin.X - 4 * kStep, pin.Y + 5 * kStep);
    ReleasePixel(Px(pin.X - 4 * kStep, pin.Y + 5 * kStep));
    EXPECT_EQ(g_CurCommand, 0);
    ExpectFreshPaint();
}

TEST_F(ComponentMode, FreeRotationTurnsAboutThePositionAndDrawsTheHandle)
{
    const int32_t id = Comp("R2/1");
    Function(4);
    ClickPin(id);
    ASSERT_EQ(g_CurCommand, 1);
    const CompRec start = Read(id);
    m->F_OST(1)->SetValue(true);
    // Straight above the component: a quarter turn (angle snapped).
    Move(start.X, start.Y + 20 * kStep);
    const CompRec turned = Read(id);
    EXPECT_EQ(turned.X, start.X) << "the position stays";
    EXPECT_EQ(turned.Y, start.Y);
    EXPECT_EQ(turned.Angle, 90000);
    m->F_OST(1)->SetValue(false);
    ReleasePixel(Px(start.X, start.Y + 20 * kStep));
    EXPECT_EQ(g_CurCommand, 0);
    ExpectFreshPaint();
}

// The XOR overlay: the canvas before a preview is the canvas after its
// erase; after the command it is a fresh paint.
TEST_F(ComponentMode, PreviewErasesToThePictureBefore)
{
    const int32_t id = Comp("R2/1");
    const CompRec r2 = Read(id);
    Function(4);
    ClickPin(id);
    ASSERT_EQ(g_CurCommand, 1);
    m->F_OST(6)->SetValue(true);  // with the ratsnest of the marked nets
    for (int32_t dx : {6, 9, 13}) {
        EraseDrawing();
        const QImage before = canvas().Image().copy();
        Move(r2.X + dx * kStep, r2.Y + 4 * kStep);
        ASSERT_NE(m->m_OverlayMF, 0);
        EXPECT_FALSE(CompareImages(before, canvas().Image()).Same()) << dx;
        EraseDrawing();
        const auto d = CompareImages(before, canvas().Image());
        EXPECT_TRUE(d.Same()) << dx << ": " << d.differing << " at " << d.firstAt.x() << "," << d.firstAt.y();
    }
    Move(r2.X + 15 * kStep, r2.Y + 4 * kStep);
    ReleasePixel(Px(r2.X + 15 * kStep, r2.Y + 4 * kStep));
    EXPECT_EQ(g_CurCommand, 0);
    ExpectFreshPaint();
}

TEST_F(ComponentMode, MoveOnATextMovesTheTextOnTheBodyTheComponent)
{
    const int32_t id = Comp("R2/1");
    const int32_t name = TextIndex(id, 2);
    ASSERT_GT(name, 0);
    Function(4);
    const QPoint onText = TextPixel(id, name, false);
    ASSERT_GE(onText.x(), 0);
    ClickPixel(onText);
    EXPECT_EQ(g_CurCommand, 5);
    EXPECT_EQ(g_CompTextIdx, name);
    m->m_StepRequest = -1;
    int32_t x = 0, y = 0;
    m->OpenCanvasDC();
    m->ExecuteCommandStep(x, y);
    ASSERT_EQ(g_CurCommand, 0);
    ClickPin(id, 2);
    EXPECT_EQ(g_CurCommand, 1);
}

TEST_F(ComponentMode, LockedComponentIsNotMoved)
{
    const int32_t id = Comp("R2/1");
    O_Mask(C_Component(id), 0x20, 0x20);
    Function(4);
    const int beeps = Beeps();
    ClickPin(id);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(Beeps(), beeps + 1);
    EXPECT_NE(m->F_MsgLine->Caption().find("R2/1 Locked"), std::string::npos) << m->F_MsgLine->Caption();
}

// ---- Deleting --------------------------------------------------------------------

TEST_F(ComponentMode, DeleteAsksForTheBodyFirstThenForATextAlone)
{
    const int32_t r2 = Comp("R2/1");
    Function(5);
    ui.ExpectPopupMenu("No", "Delete R2/1?");
    ClickPin(r2, 2);
    EXPECT_NE(C_Component(r2), 0) << "answered No";
    ui.ExpectPopupMenu("Yes", "Delete R2/1?");
    ClickPin(r2, 2);
    EXPECT_EQ(C_Component(r2), 0);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(m->m_OverlayMF, 0);
    ExpectFreshPaint();

    // R1's value text lies beside its body: only the text goes.
    const int32_t r1 = Comp("R1/1");
    const int32_t value = TextIndex(r1, 4);
    ASSERT_GT(value, 0);
    const QPoint alone = TextPixel(r1, value, true);
    ASSERT_GE(alone.x(), 0);
    const int texts = CountTexts(r1);
    ui.ExpectPopupMenu("Yes", "Delete R1/1 Comp.description ?");
    ClickPixel(alone);
    EXPECT_NE(C_Component(r1), 0);
    EXPECT_EQ(CountTexts(r1), texts - 1);
    EXPECT_EQ(TextIndex(r1, 4), 0);
    EXPECT_EQ(ui.pending(), 0u);
    EXPECT_EQ(m->m_OverlayMF, 0);
    ExpectFreshPaint();
}

// ---- Locking ---------------------------------------------------------------------

// Two clicks lock and unlock; the mirror bit of the record stays.
TEST_F(ComponentMode, LockTogglesOnlyTheLockBit)
{
    const int32_t r1 = Comp("R1/1");
    const CompRec before = Read(r1);
    ASSERT_EQ(before.Flags & 2, 2) << "R1 is mirrored";
    Function(7);
    const int beeps = Beeps();
    ClickPin(r1);
    EXPECT_EQ(Read(r1).Flags & 0x20, 0x20);
    EXPECT_EQ(g_Comp.Flags, (before.Flags & ~0x20) | 0x20) << "g_Comp keeps its other bits";
    EXPECT_NE(m->F_MsgLine->Caption().find("R1/1 Locked"), std::string::npos);
    ClickPin(r1);
    EXPECT_EQ(Read(r1).Flags & 0x20, 0);
    EXPECT_EQ(g_Comp.Flags & 2, 2);
    EXPECT_EQ(g_Comp.Flags & 0x20, 0);
    EXPECT_NE(m->F_MsgLine->Caption().find("R1/1 Unlocked"), std::string::npos);
    EXPECT_EQ(Beeps(), beeps + 2);
    EXPECT_EQ(Read(r1).Flags & 2, 2);
}

TEST_F(ComponentMode, LockByPrefix)
{
    Function(7);
    struct Case {
        int option;
        const char* typed;
        bool r1, r2, u1;
    } cases[] = {
        {0, "", false, false, false},          // empty: nothing
        {0, "R", true, true, false},
        {1, "R2", true, false, false},
        {1, "R1/1xxxxxxx", true, false, false},  // only the first eight count: "R1/1xxxx"
        {1, "R1/", false, false, false},
    };
    for (const Case& c : cases) {
        m->F_OST(0)->SetValue(c.option == 0);
        m->F_OST(1)->SetValue(c.option == 1);
        Type(c.typed);
        Click(60 * kStep, 30 * kStep);
        EXPECT_EQ((Read(Comp("R1/1")).Flags & 0x20) != 0, c.r1) << c.typed;
        EXPECT_EQ((Read(Comp("R2/1")).Flags & 0x20) != 0, c.r2) << c.typed;
        EXPECT_EQ((Read(Comp("U1/1")).Flags & 0x20) != 0, c.u1) << c.typed;
    }
    EXPECT_EQ(ui.pending(), 0u);
}

// ---- Packaging -------------------------------------------------------------------

TEST_F(ComponentMode, PackagingRefusalsReportTheirStatus)
{
    Function(6);
    ui.ExpectMessageBox(1, "This component cannot be packaged");
    ClickPin(Comp("S1"));
    const CompRec r2 = Read(Comp("R2/1"));
    const EntryRec pin = Entry(Comp("R2/1"), 2);
    ui.ExpectMessageBox(1, "This component is already packaged");
    Click(pin.X, pin.Y);
    // Unpack answered No: nothing, not even a message.
    m->F_OST(0)->SetValue(true);
    ui.ExpectPopupMenu("No", "Unpack R2/1 ?");
    Click(pin.X, pin.Y);
    EXPECT_NE(Read(Comp("R2/1")).LayComp, 0);
    // Unpacked with Yes; then the text refresh finds it unpacked.
    ui.ExpectPopupMenu("Yes", "Unpack R2/1 ?");
    Click(pin.X, pin.Y);
    const int32_t r2id = OM_FindName(DB_SchCompMap(), "R2/1") ? Comp("R2/1") : 0;
    int32_t unpacked = 0;
    int32_t cursor = OM_GetFirst(DB_SchCompMap());
    while (const int32_t id = OM_SearchMask(DB_SchCompMap(), &cursor, 0, 0))
        if (Read(id).X == r2.X && Read(id).Y == r2.Y) unpacked = id;
    ASSERT_GT(unpacked, 0);
    (void)r2id;
    EXPECT_EQ(Read(unpacked).LayComp, 0);
    m->F_OST(0)->SetValue(false);
    m->F_OST(1)->SetValue(true);
    ui.ExpectMessageBox(1, "This component is unpacked");
    Click(pin.X, pin.Y);
    EXPECT_EQ(ui.pending(), 0u);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(m->m_OverlayMF, 0);
    ExpectFreshPaint();
}

TEST_F(ComponentMode, PackagingDialogRunsAsCommandSix)
{
    // An unpacked part first: R3 unpacked through function 6.
    Function(6);
    const EntryRec r3 = Entry(Comp("R3/1"), 1);
    m->F_OST(0)->SetValue(true);
    ui.ExpectPopupMenu("Yes", "Unpack R3/1 ?");
    Click(r3.X, r3.Y);
    m->F_OST(0)->SetValue(false);
    canvas().setFocus();
    Click(r3.X, r3.Y);
    EXPECT_EQ(g_CurCommand, 6);
    EXPECT_TRUE(g_PackDlgOpen);
    EXPECT_TRUE(IsFormShown(FormInstance<SCHIPACK>()));
    // The dialog's Close asks for the step; the next move runs it.
    FormInstance<SCHIPACK>().F_Cancel_Click();
    canvas().setFocus();
    Move(r3.X + kStep, r3.Y);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_FALSE(g_PackClosed);
    // Another function's click unloads the dialog.
    Function(7);
    canvas().setFocus();
    Click(60 * kStep, 30 * kStep);
    EXPECT_FALSE(g_PackDlgOpen);
}

// ---- Exchanges -------------------------------------------------------------------

TEST_F(ComponentMode, GateSwapExchangesTheGatesOfOnePart)
{
    Function(9);
    const int32_t a = Comp("U1/1"), b = Comp("U1/2");
    const CompRec ra = Read(a), rb = Read(b);
    ClickPin(a);
    ASSERT_EQ(g_CurCommand, CMD_GATE_SWAP);
    EXPECT_EQ(g_NewCompId, a);
    ClickPin(b);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(Read(a).Group, rb.Group);
    EXPECT_EQ(Read(b).Group, ra.Group);
}

TEST_F(ComponentMode, GateSwapRefusals)
{
    Function(9);
    ui.ExpectMessageBox(1, "Gate unpackaged - can't swap");
    ClickPin(Comp("S1"));
    EXPECT_EQ(g_CurCommand, 0);
    const CompRec u1 = Read(Comp("U1/1")), r2 = Read(Comp("R2/1"));
    ClickPin(Comp("U1/1"));
    ASSERT_EQ(g_CurCommand, CMD_GATE_SWAP);
    ui.ExpectMessageBox(1, "Gates of different type - can't swap");
    ClickPin(Comp("R2/1"), 2);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(Read(Comp("U1/1")).Group, u1.Group);
    EXPECT_EQ(Read(Comp("R2/1")).Group, r2.Group);
    EXPECT_EQ(ui.pending(), 0u);
}

// A locked second component keeps the command; an unlocked one takes the
// first one's place.
TEST_F(ComponentMode, PlaceExchangeRefusesALockedSecond)
{
    const int32_t r1 = Comp("R1/1"), r2 = Comp("R2/1"), r3 = Comp("R3/1");
    O_Mask(C_Component(r2), 0x20, 0x20);
    const CompRec a = Read(r1), b = Read(r2), c = Read(r3);
    Function(4);
    m->F_OST(5)->SetValue(true);
    ClickPin(r1);
    ASSERT_EQ(g_CurCommand, 17);
    ClickPin(r2, 2);
    EXPECT_EQ(g_CurCommand, 17) << "the locked one is refused";
    EXPECT_EQ(Read(r2).X, b.X);
    ClickPin(r3);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(Read(r1).X, c.X);
    EXPECT_EQ(Read(r1).Y, c.Y);
    EXPECT_EQ(Read(r3).X, a.X);
    EXPECT_EQ(Read(r3).Y, a.Y);
}

// ---- Texts -------------------------------------------------------------------------

TEST_F(ComponentMode, AddedTextIsPlacedOrTakenBack)
{
    const int32_t r2 = Comp("R2/1");
    const int texts = CountTexts(r2);
    for (bool escape : {false, true}) {
        Function(8);
        Type("NOTE");
        // The first text follows the pointer to the pin it was added at:
        // the second is added at the other pin, away from it.
        ClickPin(r2, escape ? 1 : 2);
        ASSERT_EQ(g_CurCommand, CMD_COMP_TEXT_DELETE);
        EXPECT_EQ(ModeTools(MODE_COMPONENTS).SelFunc, 4);
        EXPECT_EQ(CountTexts(r2), texts + (escape ? 2 : 1));
        m->m_StepRequest = escape ? -1 : 0;
        int32_t x = 0, y = 0;
        m->OpenCanvasDC();
        m->ExecuteCommandStep(x, y);
        EXPECT_EQ(g_CurCommand, 0);
        EXPECT_EQ(ModeTools(MODE_COMPONENTS).SelFunc, 8);
        EXPECT_EQ(CountTexts(r2), texts + 1) << "escape " << escape;
    }
    EXPECT_EQ(ui.pending(), 0u);
    EXPECT_EQ(m->m_OverlayMF, 0);
    ExpectFreshPaint();
}

// ---- The level above -----------------------------------------------------------

class UpperLevel : public ComponentMode {
protected:
    void SetUp() override
    {
        ComponentMode::SetUp();
        main = OM_FindName(DB_HierarchyMap(), "MAIN");
        upper = OM_FindName(DB_HierarchyMap(), "UPPER");
        ASSERT_GT(upper, 0);
        Function(10);
        m->F_OST(1)->SetValue(true);
    }
    // MAIN's stack with one entry leading back to `level`.
    void StackLeadingTo(const std::string& level)
    {
        std::string bytes(19, ' ');
        bytes.replace(0, 4, std::string("\x05\0\0\0", 4));
        bytes.replace(4, level.size(), level);
        int32_t status = 1;
        WriteFileObject(status, kHierStackName, bytes);
        ASSERT_EQ(status, 0);
    }
    static long Depth()
    {
        LoadHierStack();
        return g_HierStack.UBound();
    }
    int32_t main = 0, upper = 0;
};

TEST_F(UpperLevel, GoesUpAndAsksTheSuiteToReload)
{
    StackLeadingTo("UPPER");
    Click(60 * kStep, 30 * kStep);
    EXPECT_EQ(DB_CurHier(), upper);
    EXPECT_TRUE(SentUp());
    DB_SetCurHier(main);
    EXPECT_EQ(Depth(), 0) << "the entry was taken off";
}

// Looked up first: a level that is not there leaves the stack as it was.
TEST_F(UpperLevel, UnknownLevelKeepsTheStack)
{
    StackLeadingTo("GONE");
    Click(60 * kStep, 30 * kStep);
    EXPECT_EQ(DB_CurHier(), main);
    EXPECT_EQ(Depth(), 1);
    EXPECT_FALSE(SentUp());
}

// A level that cannot be entered beeps, sends nothing and keeps the entry.
TEST_F(UpperLevel, RefusedLevelChangeBeepsAndKeepsTheStack)
{
    StackLeadingTo("UPPER");
    const int beeps = Beeps();
    KT_FailCall("DB_SetCurHier", 1);
    Click(60 * kStep, 30 * kStep);
    KT_FailCall("", 0);
    EXPECT_EQ(DB_CurHier(), main);
    EXPECT_EQ(Beeps(), beeps + 1);
    EXPECT_FALSE(SentUp());
    EXPECT_EQ(Depth(), 1);
    EXPECT_EQ(Trim(g_HierStack(1).Name), "UPPER");
}

TEST_F(UpperLevel, EmptyStackBeeps)
{
    const int beeps = Beeps();
    Click(60 * kStep, 30 * kStep);
    EXPECT_EQ(Beeps(), beeps + 1);
    EXPECT_EQ(DB_CurHier(), main);
    EXPECT_FALSE(SentUp());
}

// ---- Screenshot ----------------------------------------------------------------

// A part being placed with the ratsnest of the marked nets (option 6).
TEST_F(ComponentMode, ScreenshotOfAPartPlacedWithItsRatsnest)
{
    const int32_t r2 = Comp("R2/1");
    const CompRec rec = Read(r2);
    const EntryRec pin = Entry(r2, 1);
    Function(4);
    m->F_OST(6)->SetValue(true);
    Click(pin.X, pin.Y);
    ASSERT_EQ(g_CurCommand, 1);
    Move(rec.X + 12 * kStep, rec.Y + 8 * kStep);
    ASSERT_NE(m->m_OverlayMF, 0);
    // The canvas's own picture: a grab would repaint the page without the
    // command's drawing.
    EXPECT_TRUE(canvas().Image().save(QString::fromStdString(palvane_test::ScreenshotDir() + "/component_ratsnest.png")));
    ReleasePixel(Px(rec.X + 12 * kStep, rec.Y + 8 * kStep));
    EXPECT_EQ(g_CurCommand, 0);
}

}  // namespace
