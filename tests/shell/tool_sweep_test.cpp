// A sweep over every tool of every edit mode (each function, with each of
// its options and none) through real events: a click on the empty page and
// on each kind of object (component, pin, wire, junction, bus, page text,
// net name text, design note, picture, page frame), each followed by
// Escape, and drags, on the demo design and on a new empty design. Asking
// the kernel for something that is not there (no current item, an empty
// set to mark, what is gone already) is an answer, not a refusal: no action
// may go back and the message line may never say that the kernel refused a
// step. With the kernel's refusal hook armed the same gestures go back and
// say so, so the sweep does see a refusal where there is one.
//
// After each Escape the canvas shows what Redraw draws for the design as
// it stands: whatever a command drew in the XOR pen (blinks, highlights,
// rubber bands, markers) is gone with it.
#include "tests/shell/menu_walk.h"

#include "editor/editing/bitmaps.h"
#include "editor/objects/owner_items.h"
#include "editor/shell/caption.h"
#include "editor/shell/design_change.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/tooltable.h"
#include "platform/kernel/records.h"
#include "platform/kernel/testing.h"
#include "tests/support/raster.h"
#include "tests/support/stored_marks.h"

#include <QTest>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr const char* kNotDone = "Not done: the kernel refused a step - the design is as it was";
// The demo's unit, a tenth of an inch.
constexpr int32_t kTenth = 254000;

// Put-backs told since the binary started (a listener stays for good).
int g_putBacks = 0;

// A place to click and what lies there.
struct Target {
    std::string what;
    QPoint at;
};

// One tool as a user picks it: mode, function, option (-1 none).
struct Tool {
    int mode, function, option;
    std::string Name() const
    {
        return "mode " + std::to_string(mode) + " function " + std::to_string(function) + " option " +
               std::to_string(option);
    }
};

// How the canvas as shown differs from `redrawn`: empty when it does not,
// else the number of pixels and the rectangle holding them. With the
// environment variable PALVANE_SWEEP_SHOTS naming a folder, both pictures
// of each difference are written there.
std::string ScreenDifference(const QImage& shown, const QImage& redrawn, const std::string& name)
{
    const palvane_test::ImageDiff diff = palvane_test::CompareImages(shown, redrawn);
    if (diff.Same()) return {};
    if (const char* folder = std::getenv("PALVANE_SWEEP_SHOTS")) {
        static int shot = 0;
        const QString base = QString::fromLocal8Bit(folder) + "/" + QString::number(++shot) + " " +
                             QString::fromStdString(name);
        shown.save(base + " shown.png");
        redrawn.save(base + " redrawn.png");
    }
    if (!diff.sameSize) return "the canvas changed size";
    const QRect& box = diff.box;
    return std::to_string(diff.differing) + " pixels differ from a redraw in the " + std::to_string(box.width()) +
           "x" + std::to_string(box.height()) + " box at (" + std::to_string(box.x()) + ", " +
           std::to_string(box.y()) + ")";
}

class ToolGestures : public menu_walk::MenuWalkFixture<menu_walk::WalkInteraction> {
protected:
    void SetUp() override
    {
        MenuWalkFixture::SetUp();
        static bool listening = false;
        if (!listening) AddDesignPutBackListener([] { ++g_putBacks; });
        listening = true;
        picture = dir.filePath("sweep.bmp").toStdString();
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::red);
        ASSERT_TRUE(image.save(QString::fromStdString(picture), "BMP"));
    }
    void TearDown() override
    {
        KT_FailCall("", 0);
        g_CurBitmap = 0;
        MenuWalkFixture::TearDown();
    }

    // A picture file to place.
    std::string picture;

    // The pixel of a page point.
    QPoint PixelOf(int32_t x, int32_t y)
    {
        Main().OpenCanvasDC();
        int32_t p[2] = {x, y};
        G_LPtoDP(p);
        Main().CloseCanvasDC();
        return {p[0], p[1]};
    }
    QPoint Tenths(double x, double y)
    {
        return PixelOf(static_cast<int32_t>(x * kTenth), static_cast<int32_t>(y * kTenth));
    }

    // The demo as shipped, with what its first page lacks for the sweep: a
    // bus wire, a design note and a picture.
    void LoadDemoWithAll()
    {
        std::string text = menu_walk::DemoText();
        const std::string firstPageEnd = "  wire SPLGND (20 10) G4.1\nend\n";
        const size_t at = text.find(firstPageEnd);
        ASSERT_NE(at, std::string::npos);
        text.insert(at + firstPageEnd.size() - 4, "  buswire CTRL (-45 25) (-35 25)\n");
        std::string error;
        nvo_sources::Source source;
        ASSERT_TRUE(nvo_sources::ReadSourceText(text, "design", PALVANE_DEMO_DIR, source, error)) << error;
        ASSERT_TRUE(nvo_sources::BuildDesign(source, error)) << error;
        Shown();
        ItemRec rect{};
        rect.Kind = 3;
        rect.Flags = 1;
        rect.X = 30 * kTenth;
        rect.Y = -35 * kTenth;
        rect.P1 = 10 * kTenth;
        rect.P2 = 5 * kTenth;
        rect.Width = 1000;
        int32_t status = 0, index = 0;
        ASSERT_NE(MakeOwnerItem(status, kOwnerSymbol, g_DesNotesSymb, rect, "", index), 0);
        // The picture is placed alike whatever option the tool picked
        // shows (on every page, clipped).
        OpenBitmapStore();
        const bool allPages = g_BmpAllPages, clip = g_BmpClipImage;
        g_BmpAllPages = false;
        g_BmpClipImage = false;
        g_BmpFromLibrary = false;
        g_BmpNewName = "SWEEP";
        std::string selection = picture;
        PlaceBitmap(selection, -45 * kTenth, -20 * kTenth);
        g_BmpAllPages = allPages;
        g_BmpClipImage = clip;
        ASSERT_NE(g_CurBitmap, 0);
        g_CurBitmap = 0;
        Main().RefreshCanvas();
    }

    // A new design as the host makes one: one level with one page, no
    // frame, no item, component or net. Without a frame every mode choice
    // leads to page format.
    void LoadNew()
    {
        ASSERT_NE(DB_CreateDataBase("Untitled", "MAINHIER", "MAINPAGE"), 0);
        Shown();
    }
    // An empty design with its page frames (the build adds the template
    // page MAINPAGE with the same frame): no item, component or net.
    void LoadEmpty()
    {
        std::string error;
        nvo_sources::Source source;
        ASSERT_TRUE(nvo_sources::ReadSourceText("unit 0.1in\ndesign \"Untitled\"\nlevel MAIN\npage P1 frame 11in 8.5in\nend\n",
                                                "design", PALVANE_DEMO_DIR, source, error))
            << error;
        ASSERT_TRUE(nvo_sources::BuildDesign(source, error)) << error;
        Shown();
        ASSERT_EQ(OM_GetCount(DB_SchCompMap()), 0);
        ASSERT_EQ(OM_GetCount(DB_NetMap()), 0);
    }

    // The editor shows the design now in the kernel.
    void Shown()
    {
        RefreshPlacementSymbols(Main());
        Main().RefreshCanvas();
        EnsureSpecialSymbols();
        OpenBitmapStore();
    }

    // The places of the demo's objects on its first page.
    std::vector<Target> DemoTargets()
    {
        std::vector<Target> targets;
        EntryRec a{}, b{};
        const int32_t r1 = OM_FindName(DB_SchCompMap(), "R1/1");
        C_ReadEntry(r1, 1, &a);
        C_ReadEntry(r1, 2, &b);
        targets.push_back({"component", PixelOf((a.X + b.X) / 2, (a.Y + b.Y) / 2)});
        targets.push_back({"pin", PixelOf(b.X, b.Y)});
        const int32_t sum = B_FindNetPage(0, OM_FindName(DB_NetMap(), "SUM"), 0);
        BranchPointRec points[16]{};
        const int32_t n = B_ReadRecords(sum, points, 16);
        targets.push_back({"wire", PixelOf((points[0].X + points[1].X) / 2, (points[0].Y + points[1].Y) / 2)});
        for (int32_t i = 0; i < n && i < 16; ++i)
            if ((points[i].Flags & 6) == 4) {
                targets.push_back({"junction", PixelOf(points[i].X, points[i].Y)});
                break;
            }
        targets.push_back({"bus", Tenths(-40, 25)});
        targets.push_back({"page text", Tenths(-21.5, 15.5)});
        ItemRec label{};
        I_ReadItem(OA_Object(B_BranchTextArray(B_FindNetPage(0, OM_FindName(DB_NetMap(), "VIN"), 0)), 1), &label);
        targets.push_back({"net name text", PixelOf(label.X, label.Y)});
        targets.push_back({"design note", Tenths(30, -35)});
        targets.push_back({"design note's corner", Tenths(40, -30)});
        targets.push_back({"picture", Tenths(-45, -20) + QPoint(3, 3)});
        int32_t r[4] = {};
        B_FrameBranchLines(-100 - DB_CurPage(), 63, r);
        targets.push_back({"frame corner", PixelOf(r[0], r[1])});
        targets.push_back({"frame side", PixelOf((r[0] + r[2]) / 2, r[3])});
        targets.push_back({"empty page", Tenths(-40, -32)});
        return targets;
    }
    std::vector<Target> EmptyTargets()
    {
        return {{"empty page", PixelOf(0, 0)}, {"another place", PixelOf(0, 0) + QPoint(-120, 90)}};
    }

    // Every tool the menu profile offers.
    std::vector<Tool> Tools()
    {
        std::vector<Tool> tools;
        for (int mode = 1; mode < kModeCount; ++mode) {
            if (!Main().M_FSI.Exists(mode)) continue;
            for (int f = 0; f < kToolCount; ++f) {
                if (ModeTools(mode).Funcs.at(f).Avail == 0) continue;
                for (int option = -1; option < kToolCount; ++option)
                    if (option < 0 || ModeTools(mode).Funcs.at(f).Opts.at(option).Avail != 0)
                        tools.push_back({mode, f, option});
            }
        }
        return tools;
    }

    // Another function of the tool's mode.
    int OtherFunction(const Tool& tool)
    {
        for (int f = 0; f < kToolCount; ++f)
            if (f != tool.function && ModeTools(tool.mode).Funcs.at(f).Avail != 0) return f;
        return tool.function;
    }

    // Picks the tool as a user does: the mode from its menu, the function
    // and the options on the tool bar.
    void Pick(const Tool& tool)
    {
        SCHMAIN& main = Main();
        if (g_CurMode != tool.mode) main.M_FSI(tool.mode)->Action()->trigger();
        ASSERT_EQ(g_CurMode, tool.mode);
        if (!main.F_FSI(tool.function)->Value()) QTest::mouseClick(main.F_FSI(tool.function), Qt::LeftButton);
        for (int o = 0; o < kToolCount; ++o) {
            if (!main.F_OST.Exists(o) || !main.F_OST(o)->isVisible()) continue;
            const bool wanted = o == tool.option;
            if (main.F_OST(o)->Value() != wanted && main.F_OST(o)->isEnabled())
                QTest::mouseClick(main.F_OST(o), Qt::LeftButton);
        }
    }

    // The gestures of the sweep on `targets`: a click on each, then Escape;
    // a drag from the first to the last and one from the last to a place
    // beside it, each with Escape. `after` looks after each event.
    void Gestures(const std::vector<Target>& targets, const std::function<void(const std::string&)>& after)
    {
        QWidget* canvas = Main().ViewPicture;
        for (const Target& t : targets) {
            QTest::mouseMove(canvas, t.at);
            QTest::mouseClick(canvas, Qt::LeftButton, {}, t.at);
            after("click on " + t.what);
            QTest::keyClick(canvas, Qt::Key_Escape);
            after("Escape after a click on " + t.what);
        }
        const auto drag = [&](const Target& from, QPoint to) {
            QTest::mouseMove(canvas, from.at);
            QTest::mousePress(canvas, Qt::LeftButton, {}, from.at);
            QTest::mouseMove(canvas, (from.at + to) / 2);
            QTest::mouseMove(canvas, to);
            QTest::mouseRelease(canvas, Qt::LeftButton, {}, to);
            after("drag from " + from.what);
            QTest::keyClick(canvas, Qt::Key_Escape);
            after("Escape after a drag from " + from.what);
        };
        drag(targets.front(), targets.back().at);
        drag(targets.back(), targets.back().at + QPoint(60, 40));
    }

    // Whether the canvas shows what a redraw (the page's paint) draws now:
    // "" when it does, else how it differs. The canvas is redrawn either
    // way, so that a difference is told once.
    std::string ScreenAgainstRedraw(const std::string& name)
    {
        SCHMAIN& main = Main();
        const QImage shown = main.ViewPicture->Image().copy();
        main.RefreshCanvas();
        return ScreenDifference(shown, main.ViewPicture->Image(), name);
    }

    // Runs every tool's gestures on the design `load` builds (built again
    // for each tool), and lists every action that went back or said the
    // kernel refused a step, and every Escape after which the canvas is not
    // what Redraw draws.
    void SweepNothingRefused(const std::function<void()>& load,
                             const std::function<std::vector<Target>()>& targetsOf, int onlyMode = 0)
    {
        SCHMAIN& main = Main();
        std::vector<std::string> faults;
        for (const Tool& tool : Tools()) {
            if (onlyMode != 0 && tool.mode != onlyMode) continue;
            SCOPED_TRACE(tool.Name());
            ASSERT_NO_FATAL_FAILURE(Pick(tool));
            ASSERT_NO_FATAL_FAILURE(load());
            if (main.m_ResizePending) main.RefreshCanvas();
            main.F_MsgLine->SetCaption("");
            errors.clear();
            const int told = g_putBacks;
            Gestures(targetsOf(), [&](const std::string& gesture) {
                QApplication::processEvents();
                const bool said = main.F_MsgLine->Caption() == kNotDone;
                if (g_putBacks != told || said)
                    faults.push_back(tool.Name() + ", " + gesture + (said ? ": refusal said" : ": went back"));
                for (const std::string& e : errors) faults.push_back(tool.Name() + ", " + gesture + ": error " + e);
                errors.clear();
                // After Escape, and after whatever leaves no command running.
                const bool ended = g_CurCommand == 0 && g_CmdRunning == 0;
                if (gesture.rfind("Escape", 0) == 0 || ended)
                    if (const std::string d = ScreenAgainstRedraw(tool.Name() + ", " + gesture); !d.empty())
                        faults.push_back(tool.Name() + ", " + gesture + ": " + d);
                g_putBacks = told;
                main.F_MsgLine->SetCaption("");
            });
            // The tool has ended: the design as written holds no mark.
            if (g_CurCommand == 0 && g_CmdRunning == 0) {
                const std::string written = dir.filePath("marks.nvd").toStdString();
                if (DB_SaveDataBase(written.c_str()) == 0)
                    faults.push_back(tool.Name() + ": the design could not be written");
                for (const std::string& mark : palvane_test::StoredMarks(written))
                    faults.push_back(tool.Name() + ": a mark left in the written design: " + mark);
            }
            // A command begun by a click, left for another tool (or, on every
            // other target, another mode) and ended there by Escape.
            const std::vector<Target> targets = targetsOf();
            for (size_t i = 0; i < targets.size(); ++i) {
                const Target& t = targets[i];
                ASSERT_NO_FATAL_FAILURE(Pick(tool));
                QTest::mouseMove(main.ViewPicture, t.at);
                QTest::mouseClick(main.ViewPicture, Qt::LeftButton, {}, t.at);
                QApplication::processEvents();
                if (g_CurCommand == 0 && g_CmdRunning == 0) continue;
                const bool otherMode = i % 2 == 1;
                if (otherMode)
                    main.M_FSI(tool.mode == MODE_COMPONENTS ? MODE_WIRES : MODE_COMPONENTS)->Action()->trigger();
                else
                    QTest::mouseClick(main.F_FSI(OtherFunction(tool)), Qt::LeftButton);
                QTest::keyClick(main.ViewPicture, Qt::Key_Escape);
                QApplication::processEvents();
                const std::string gesture =
                    "a click on " + t.what + (otherMode ? ", another mode" : ", another tool") + ", Escape";
                if (const std::string d = ScreenAgainstRedraw(tool.Name() + ", " + gesture); !d.empty())
                    faults.push_back(tool.Name() + ", " + gesture + ": " + d);
                Settle(main);
            }
            Settle(main);
        }
        std::string list;
        for (const std::string& f : faults) list += "  " + f + "\n";
        EXPECT_TRUE(faults.empty()) << faults.size()
                                    << " gestures went back with nothing refused or left the screen unlike a redraw:\n"
                                    << list;
    }
};

TEST_F(ToolGestures, NothingGoesBackOnTheDemoUnlessRefused)
{
    SweepNothingRefused([this] { LoadDemoWithAll(); }, [this] { return DemoTargets(); });
}

TEST_F(ToolGestures, NothingGoesBackOnAnEmptyDesignUnlessRefused)
{
    SweepNothingRefused([this] { LoadEmpty(); }, [this] { return EmptyTargets(); });
}

// A new design has no frame yet: page format is the only mode.
TEST_F(ToolGestures, NothingGoesBackOnANewDesignUnlessRefused)
{
    ASSERT_NO_FATAL_FAILURE(LoadNew());
    Main().M_FSI(MODE_COMPONENTS)->Action()->trigger();
    ASSERT_EQ(g_CurMode, MODE_PAGE_FORMAT);
    SweepNothingRefused([this] { LoadNew(); }, [this] { return EmptyTargets(); }, MODE_PAGE_FORMAT);
}

// The same sweep with the kernel refusing every step that changes the
// design: each tool whose gestures change the demo when nothing is refused
// goes back with its steps refused and says so, and no tool leaves any
// change behind. A refusal is counted wherever there is one.
TEST_F(ToolGestures, RefusedStepsGoBackAndSaySo)
{
    SCHMAIN& main = Main();
    std::vector<std::string> faults;
    int editing = 0;
    for (const Tool& tool : Tools()) {
        SCOPED_TRACE(tool.Name());
        ASSERT_NO_FATAL_FAILURE(Pick(tool));
        // What the tool's gestures do with nothing refused.
        ASSERT_NO_FATAL_FAILURE(LoadDemoWithAll());
        if (main.m_ResizePending) main.RefreshCanvas();
        const uint64_t loaded = KT_DesignDigest();
        Gestures(DemoTargets(), [](const std::string&) { QApplication::processEvents(); });
        Settle(main);
        const bool edits = KT_DesignDigest() != loaded;
        editing += edits ? 1 : 0;
        // The same with every step refused.
        ASSERT_NO_FATAL_FAILURE(Pick(tool));
        ASSERT_NO_FATAL_FAILURE(LoadDemoWithAll());
        if (main.m_ResizePending) main.RefreshCanvas();
        ASSERT_EQ(KT_DesignDigest(), loaded);
        main.F_MsgLine->SetCaption("");
        const std::vector<Target> targets = DemoTargets();
        const int told = g_putBacks;
        int said = 0;
        KT_FailCall("+", 1, -1);
        Gestures(targets, [&](const std::string&) {
            QApplication::processEvents();
            if (main.F_MsgLine->Caption() == kNotDone) ++said;
            main.F_MsgLine->SetCaption("");
        });
        KT_FailCall("", 0);
        Settle(main);
        if (KT_DesignDigest() != loaded) faults.push_back(tool.Name() + ": a change stayed with every step refused");
        if (edits && (g_putBacks == told || said == 0))
            faults.push_back(tool.Name() + ": its edits were refused and nothing went back or was said");
        errors.clear();
    }
    // The sweep meets edits to refuse.
    EXPECT_GT(editing, 20);
    std::string list;
    for (const std::string& f : faults) list += "  " + f + "\n";
    EXPECT_TRUE(faults.empty()) << list;
}

}  // namespace
