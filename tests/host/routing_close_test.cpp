// A close from code while routing mode stands (the host's "EX", an end
// signal): the routed wires are written back unasked, through the save's
// all-or-nothing write-back, and the host writes the design with them. A
// write-back the kernel refuses leaves the design's wires as they were: the
// design is written without the routing, and one line on standard error
// says so.
#include "tests/host/host_fixture.h"

#include "editor/automation/routing_dialogs.h"
#include "editor/shell/controls.h"
#include "editor/shell/forms.h"
#include "editor/shell/menus.h"
#include "editor/shell/schmain.h"
#include "host/design_file.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "tests/support/net_pieces.h"

#include <QApplication>
#include <QTimer>

#include <csignal>
#include <sstream>
#include <string>

#include <unistd.h>

namespace palvane_test {
namespace {

enum class CloseBy { Command, Signal };

// What the page holds in the kernel: its wires and the pieces of its nets.
struct PageWires {
    int32_t wires = 0;
    NetPiecesMap nets;
};

PageWires Held(int32_t page)
{
    PageWires held;
    held.wires = WiresOnPage(page);
    for (const auto& [where, pieces] : KernelNetPieces())
        if (where.second == page) held.nets.emplace(where, pieces);
    return held;
}

std::string Shown(const NetPiecesMap& nets)
{
    std::ostringstream out;
    for (const auto& [where, p] : nets) out << where.first << " " << p.pins << "/" << p.pieces << " ";
    return out.str();
}

class RoutingModeClose : public HostInProcess, public ::testing::WithParamInterface<CloseBy> {
protected:
    // Enters routing mode on the page shown (the preload dialog accepted as
    // it shows) and routes all its wires; the run's result line.
    static std::string RouteThePage(SCHMAIN& main)
    {
        QTimer::singleShot(0, qApp, [] {
            SCHRTLP& preload = FormInstance<SCHRTLP>();
            ASSERT_TRUE(RunUntil([&] { return preload.Visible(); }));
            preload.ButOk()->click();
        });
        Trigger(main.M_Aroute);
        PressFunction(main, 1);
        SetOption(main, 0, true);
        ClickPage(main, -30, -20);
        return main.m_RouteResult;
    }
    void Close()
    {
        if (GetParam() == CloseBy::Command)
            Send("PALVANE,EX");
        else
            kill(getpid(), SIGTERM);
    }
    // The written design's page `page`; the design is closed again.
    PageWires Written(int32_t page)
    {
        std::string error;
        EXPECT_TRUE(OpenDesignFile(design, error)) << error;
        const PageWires held = Held(page);
        DB_DiscardDataBase();
        return held;
    }
};

// The demo's first page: its ground symbols join SPLGND by name only, so
// the router wires them; closing keeps those wires.
TEST_P(RoutingModeClose, TheDesignIsWrittenWithTheRoutedWires)
{
    int32_t page = 0;
    PageWires before;
    std::string result;
    const int status = Run([&](SCHMAIN& main) {
        page = DB_CurPage();
        before = Held(page);
        result = RouteThePage(main);
        Close();
    });
    EXPECT_EQ(status, 0) << err;
    EXPECT_NE(out.find("PALVANE\tSHUTDOWN"), std::string::npos) << out;
    EXPECT_EQ(Errors(), "");
    EXPECT_NE(result.find("Routing Wires: 100.00 %"), std::string::npos) << result;
    ASSERT_GT(Joins(before.nets).second, Joins(before.nets).first) << Shown(before.nets);

    const PageWires written = Written(page);
    EXPECT_GT(written.wires, before.wires);
    EXPECT_EQ(Joins(written.nets), std::make_pair(Joins(before.nets).second, Joins(before.nets).second))
        << Shown(written.nets);
    for (const auto& [where, pieces] : before.nets) {
        ASSERT_TRUE(written.nets.count(where)) << where.first;
        EXPECT_EQ(written.nets.at(where), (NetPieces{pieces.pins, 1})) << where.first;
    }
}

// The kernel refuses the write-back's first junction: nothing of the
// routing is written, the design keeps its own wires, and the close goes on.
TEST_P(RoutingModeClose, ARefusedWriteBackWritesTheDesignWithoutTheRouting)
{
    int32_t page = 0;
    PageWires before;
    const int status = Run([&](SCHMAIN& main) {
        page = DB_CurPage();
        before = Held(page);
        RouteThePage(main);
        KT_FailCall("J_CreateJunction", 1);
        Close();
    });
    KT_FailCall("", 0);
    EXPECT_EQ(status, 0) << err;
    EXPECT_NE(out.find("PALVANE\tSHUTDOWN"), std::string::npos) << out;
    EXPECT_EQ(Errors(),
              "palvane: the routed wires were not saved (routine 5000, cause 6); the design is written without "
              "them\n");

    const PageWires written = Written(page);
    EXPECT_EQ(written.wires, before.wires);
    EXPECT_EQ(written.nets, before.nets) << Shown(written.nets);
}

INSTANTIATE_TEST_SUITE_P(Closes, RoutingModeClose, ::testing::Values(CloseBy::Command, CloseBy::Signal),
                         [](const auto& info) { return info.param == CloseBy::Command ? "Exit" : "Sigterm"; });

}  // namespace
}  // namespace palvane_test
