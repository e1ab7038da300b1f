// A close that reaches the editor while a command is in progress (a wire or
// bus half drawn, a box being dragged, a component or item carried): the
// command ends as its own cancel ends it, the way Escape ends it, and the
// host writes the design. The file written equals the one written after
// Escape and "EX", and holds no drawing, preview or selection mark. Every
// command of the table is closed by "EX" and by SIGTERM; SIGINT and SIGHUP
// go the same way and get one case each. The close box is refused while a
// command is in progress, and the "EX" after it ends the command.
#include "tests/host/host_fixture.h"

#include "editor/interaction/commands.h"
#include "editor/objects/integrity.h"
#include "editor/shell/controls.h"
#include "editor/shell/schmain.h"
#include "editor/view/canvas.h"
#include "host/design_file.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "tests/support/stored_marks.h"

#include <QFile>
#include <QTest>

#include <csignal>
#include <functional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include <unistd.h>

namespace palvane_test {
namespace {

// 0.1 inch in database units.
constexpr int32_t kTenth = 254000;

struct Running {
    const char* name;
    // Starts the command as a user does; the pointer is left where the
    // command's preview follows it.
    std::function<void(SCHMAIN&)> start;
};

void PrintTo(const Running& running, std::ostream* os)
{
    *os << running.name;
}

// The pointer moved over the page to a point (0.1 inch steps), as a user
// moves it while a command runs.
void MoveTo(SCHMAIN& m, double stepsX, double stepsY)
{
    const QPoint p = PixelOf(m, static_cast<int32_t>(stepsX * kTenth), static_cast<int32_t>(stepsY * kTenth));
    QTest::mouseMove(m.ViewPicture, p);
}

// Positions on the demo's first page: its empty corner lies at (-30, -20),
// the resistor R1 at (-10, 1) with its pin 1 at (-13, 1), a page notes item
// at (-20, 15.6).
const Running kRunning[] = {
    // Mode > Wires&Buses, the bus tool, three clicks, the next segment
    // following the pointer.
    {"Bus",
     [](SCHMAIN& m) {
         ChooseMode(m, 2);
         PressFunction(m, 1);
         ClickPage(m, -30, -20);
         ClickPage(m, -25, -20);
         ClickPage(m, -25, -15);
         MoveTo(m, -21, -12);
     }},
    {"WireInFreeSpace",
     [](SCHMAIN& m) {
         ChooseMode(m, 2);
         PressFunction(m, 0);
         ClickPage(m, -30, -20);
         ClickPage(m, -26, -20);
         MoveTo(m, -24, -16);
     }},
    {"WireFromAPin",
     [](SCHMAIN& m) {
         ChooseMode(m, 2);
         PressFunction(m, 0);
         ClickPage(m, -13, 1);
         MoveTo(m, -17, 5);
     }},
    {"BlockBox",
     [](SCHMAIN& m) {
         ChooseMode(m, 5);
         PressFunction(m, 0);
         ClickPage(m, -30, -20);
         MoveTo(m, -5, 5);
     }},
    {"ComponentMove",
     [](SCHMAIN& m) {
         ChooseMode(m, 1);
         PressFunction(m, 4);
         ClickPage(m, -10, 1);
         MoveTo(m, -20, -10);
     }},
    {"ComponentCopy",
     [](SCHMAIN& m) {
         ChooseMode(m, 1);
         PressFunction(m, 3);
         ClickPage(m, -10, 1);
         MoveTo(m, -20, -10);
     }},
    {"NotesItemMove",
     [](SCHMAIN& m) {
         ChooseMode(m, 7);
         PressFunction(m, 3);
         ClickPage(m, -20, 15.6);
         MoveTo(m, -25, 10);
     }},
    {"NotesSelectionBox",
     [](SCHMAIN& m) {
         ChooseMode(m, 7);
         PressFunction(m, 3);
         ClickPage(m, -30, -20);
         MoveTo(m, -22, -12);
     }},
    {"NotesNewItem",
     [](SCHMAIN& m) {
         ChooseMode(m, 3);
         PressFunction(m, 1);
         ClickPage(m, -30, -20);
         MoveTo(m, -24, -15);
     }},
    {"NewNetFromPins",
     [](SCHMAIN& m) {
         ChooseMode(m, 4);
         PressFunction(m, 0);
         ClickPage(m, -13, 1);
         MoveTo(m, -20, -10);
     }},
    {"PatternColumnLine",
     [](SCHMAIN& m) {
         ChooseMode(m, 9);
         PressFunction(m, 0);
         ClickPage(m, -30, -20);
         MoveTo(m, -25, -10);
     }},
    {"KeepOffZone",
     [](SCHMAIN& m) {
         ChooseMode(m, 10);
         PressFunction(m, 0);
         ClickPage(m, -30, -20);
         MoveTo(m, -20, -10);
     }},
    {"BoxZoom",
     [](SCHMAIN& m) {
         QTest::keyClick(m.ViewPicture, Qt::Key_B, Qt::ShiftModifier);
         ClickPage(m, -30, -20);
         MoveTo(m, -20, -10);
     }},
};

enum class CloseBy { EscapeThenExit, Exit, Sigterm, Sigint, Sighup, CloseBox };

const char* Name(CloseBy by)
{
    switch (by) {
    case CloseBy::EscapeThenExit: return "EscapeThenExit";
    case CloseBy::Exit: return "Exit";
    case CloseBy::Sigterm: return "Sigterm";
    case CloseBy::Sigint: return "Sigint";
    case CloseBy::Sighup: return "Sighup";
    case CloseBy::CloseBox: return "CloseBox";
    }
    return "";
}

// What the written design is: its digest and the marks its file holds
// (every table, read with SQLite).
struct Written {
    uint64_t digest = 0;
    std::string marks;
    int32_t buses = 0;
};

class CloseDuringACommand : public HostInProcess {
protected:
    // Runs the host, starts the command, closes by `by`; what was written.
    Written CloseAfter(const Running& running, CloseBy by, int32_t* command = nullptr)
    {
        int32_t running_id = 0;
        const int status = Run([&](SCHMAIN& m) {
            running.start(m);
            running_id = g_CurCommand;
            switch (by) {
            case CloseBy::EscapeThenExit:
                QTest::keyClick(m.ViewPicture, Qt::Key_Escape);
                EXPECT_EQ(g_CurCommand, 0) << "Escape ends the command";
                Send("PALVANE,EX");
                break;
            case CloseBy::Exit: Send("PALVANE,EX"); break;
            case CloseBy::Sigterm: kill(getpid(), SIGTERM); break;
            case CloseBy::Sigint: kill(getpid(), SIGINT); break;
            case CloseBy::Sighup: kill(getpid(), SIGHUP); break;
            case CloseBy::CloseBox:
                // The close box is refused while a command is in progress;
                // the command goes on, and "EX" then ends it.
                EXPECT_FALSE(m.Window()->close());
                EXPECT_TRUE(m.IsLoaded());
                EXPECT_EQ(g_CurCommand, running_id);
                Send("PALVANE,EX");
                break;
            }
        });
        EXPECT_EQ(status, 0) << err;
        EXPECT_NE(out.find("PALVANE\tSHUTDOWN"), std::string::npos) << out;
        if (command) *command = running_id;
        Written written;
        std::string error;
        EXPECT_TRUE(OpenDesignFile(design, error)) << error;
        written.digest = KT_DesignDigest();
        written.marks = StoredMarksText(design);
        written.buses = OM_GetCount(DB_BusMap());
        DB_DiscardDataBase();
        return written;
    }
    // The design file as the test began (a fresh copy of the demo).
    void RestoreDesign(const std::string& original)
    {
        QFile::remove(QString::fromStdString(design));
        ASSERT_TRUE(QFile::copy(QString::fromStdString(original), QString::fromStdString(design)));
        QFile::setPermissions(QString::fromStdString(design), QFile::ReadOwner | QFile::WriteOwner);
    }
};

class EveryCommand : public CloseDuringACommand,
                     public ::testing::WithParamInterface<std::tuple<Running, CloseBy>> {};

TEST_P(EveryCommand, TheCloseWritesWhatEscapeWouldHaveLeft)
{
    const auto& [running, by] = GetParam();
    const std::string original = dir.filePath("original.nvd").toStdString();
    ASSERT_TRUE(QFile::copy(QString::fromStdString(design), QString::fromStdString(original)));

    int32_t command = 0;
    const Written reference = CloseAfter(running, CloseBy::EscapeThenExit, &command);
    ASSERT_NE(command, 0) << "the command was not in progress";
    EXPECT_EQ(reference.marks, "");

    RestoreDesign(original);
    int32_t again = 0;
    const Written closed = CloseAfter(running, by, &again);
    EXPECT_EQ(again, command);
    EXPECT_EQ(closed.marks, "") << "no mark is written";
    EXPECT_EQ(closed.digest, reference.digest) << "the file equals the one written after Escape and EX";
}

INSTANTIATE_TEST_SUITE_P(Closes, EveryCommand,
                         ::testing::Combine(::testing::ValuesIn(kRunning),
                                            ::testing::Values(CloseBy::Exit, CloseBy::Sigterm)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" + Name(std::get<1>(info.param));
                         });

// The other ways of closing go through the same end of the command.
class OtherCloses : public CloseDuringACommand, public ::testing::WithParamInterface<CloseBy> {};

TEST_P(OtherCloses, EndTheHalfDrawnBusAsEscapeDoes)
{
    const Running& bus = kRunning[0];
    const std::string original = dir.filePath("original.nvd").toStdString();
    ASSERT_TRUE(QFile::copy(QString::fromStdString(design), QString::fromStdString(original)));
    std::string error;
    ASSERT_TRUE(OpenDesignFile(design, error)) << error;
    const int32_t buses = OM_GetCount(DB_BusMap());
    DB_DiscardDataBase();

    const Written reference = CloseAfter(bus, CloseBy::EscapeThenExit);
    EXPECT_EQ(reference.buses, buses) << "Escape takes the new bus away";
    RestoreDesign(original);
    int32_t command = 0;
    const Written closed = CloseAfter(bus, GetParam(), &command);
    EXPECT_EQ(command, 31);
    EXPECT_EQ(closed.marks, "");
    EXPECT_EQ(closed.buses, buses);
    EXPECT_EQ(closed.digest, reference.digest);
}

INSTANTIATE_TEST_SUITE_P(Closes, OtherCloses,
                         ::testing::Values(CloseBy::Sigint, CloseBy::Sighup, CloseBy::CloseBox),
                         [](const auto& info) { return std::string(Name(info.param)); });

// The integrity check finds the marks a stored design holds, says which
// object on which level holds them, and clears them; the demo as shipped
// holds none (its frame's setting and its rewritten texts are no marks).
TEST_F(CloseDuringACommand, TheIntegrityCheckReportsMarksInAStoredDesign)
{
    EXPECT_EQ(StoredMarks(design), std::vector<std::string>{});
    std::string error;
    ASSERT_TRUE(OpenDesignFile(design, error)) << error;
    EXPECT_EQ(RunIntegrityCheck(nullptr, true).find("holds marks"), std::string::npos);
    const int32_t net = OM_FindName(DB_NetMap(), "VIN");
    ASSERT_NE(net, 0);
    int32_t cursor = OM_GetFirst(DB_BranchMap());
    const int32_t wire = OM_SearchMask(DB_BranchMap(), &cursor, 0, 0);
    ASSERT_NE(wire, 0);
    O_Mask(N_Net(net), 256, 256);
    B_MaskRecord(wire, 1, 512, 512);
    const std::string marked = dir.filePath("marked.nvd").toStdString();
    ASSERT_TRUE(SaveDesignFile(marked, error)) << error;
    DB_DiscardDataBase();
    EXPECT_EQ(StoredMarks(marked).size(), 2u) << StoredMarksText(marked);

    ASSERT_TRUE(OpenDesignFile(marked, error)) << error;
    const std::string report = RunIntegrityCheck(nullptr, true);
    EXPECT_NE(report.find("Level MAIN: Net VIN holds marks 256\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("Level MAIN: Wire " + std::to_string(wire) + " point 1 holds marks 512\r\n"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("Marks - Cleared"), std::string::npos) << report;
    const std::string checked = dir.filePath("checked.nvd").toStdString();
    ASSERT_TRUE(SaveDesignFile(checked, error)) << error;
    EXPECT_EQ(StoredMarks(checked), std::vector<std::string>{});
    EXPECT_EQ(RunIntegrityCheck(nullptr, true).find("holds marks"), std::string::npos);
    DB_DiscardDataBase();
}

// A click on the pin of a component of the current level.
void ClickPin(SCHMAIN& m, const char* component, int32_t entry)
{
    EntryRec pin{};
    ASSERT_NE(C_ReadEntry(OM_FindName(DB_SchCompMap(), component), entry, &pin), 0) << component;
    ClickPage(m, pin.X / static_cast<double>(kTenth), pin.Y / static_cast<double>(kTenth));
}

std::string CurrentLevel()
{
    const int32_t level = OM_Object(DB_HierarchyMap(), DB_CurHier());
    return level != 0 ? O_GetName(level) : "";
}

// Component information on the block H1 (the report: no option), Escape,
// then the same function with its option "down into the level" on H1,
// which shows the page Filter of level BLOCK. Neither the report nor the
// descent leaves a mark on level MAIN: a backup saved while idle on BLOCK
// holds none, and neither does the design "EX" writes.
TEST_F(CloseDuringACommand, ComponentInfoThenTheDescentLeaveNoMarkOnAnyLevel)
{
    std::string backup;
    const int status = Run([&](SCHMAIN& m) {
        ChooseMode(m, 1);
        PressFunction(m, 10);
        for (int option = 0; option < 4; ++option) SetOption(m, option, false);
        ClickPin(m, "H1", 1);
        QTest::keyClick(m.ViewPicture, Qt::Key_Escape);
        EXPECT_EQ(g_CurCommand, 0);
        SetOption(m, 0, true);
        ClickPin(m, "H1", 1);
        ASSERT_TRUE(RunUntil([&] { return m.Caption().find("(Filter)") != std::string::npos; })) << m.Caption();
        EXPECT_EQ(CurrentLevel(), "BLOCK");
        // File > Save Backup while idle.
        Trigger(m.M_Tsave);
        backup = SCHMAIN::JobFilePath("Norvo32.TMP");
        EXPECT_EQ(CurrentLevel(), "BLOCK");
        Send("PALVANE,EX");
    });
    EXPECT_EQ(status, 0) << err;
    ASSERT_TRUE(QFile::exists(QString::fromStdString(backup))) << backup;
    EXPECT_EQ(StoredMarks(backup), std::vector<std::string>{}) << "the backup holds no mark";
    EXPECT_EQ(StoredMarks(design), std::vector<std::string>{}) << "the written design holds no mark";
}

}  // namespace
}  // namespace palvane_test
