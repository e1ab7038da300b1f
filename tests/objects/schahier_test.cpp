// The assignment dialog SCHAHIER through the scripted stand-in: the list,
// assign and reassign, "(none)", all instances, and the refusals 500, 501.
#include "editor/objects/hier_files.h"
#include "editor/objects/hierarchy.h"
#include "editor/objects/schahier.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/listbox.h"
#include "editor/shell/textfiles.h"
#include "tests/objects/hier_fixture.h"
#include "tests/support/screenshot.h"

#include <QGroupBox>
#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace hier_test;

class AssignDialog : public HierTest {
protected:
    // Opens the dialog for `comp` and runs `steps` while it is shown.
    void Open(int32_t comp, bool reassign, const std::function<void(SCHAHIER&)>& steps)
    {
        g_HierCompId = comp;
        g_HierReassign = reassign ? -1 : 0;
        g_HierApplied = -5;
        SCHAHIER& form = FormInstance<SCHAHIER>();
        ui.ExpectModal("SCHAHIER", [&](QWidget*) { steps(form); });
        ShowModal(form);
    }
    static void Choose(SCHAHIER& form, const std::string& name, bool all = false)
    {
        for (int i = 0; i < form.F_List()->ListCount(); ++i)
            if (form.F_List()->List(i) == name) form.F_List()->SetListIndex(i);
        form.F_AllInstances()->SetValue(all ? 1 : 0);
        form.F_Apply()->Press();
    }
    static std::vector<std::string> Items(SCHAHIER& form)
    {
        std::vector<std::string> items;
        for (int i = 0; i < form.F_List()->ListCount(); ++i) items.push_back(form.F_List()->List(i));
        return items;
    }
    // The child level of a component in `level`.
    int32_t ChildOf(int32_t level, const char* comp)
    {
        const int32_t remembered = g_CurHier;
        Enter(level);
        CompRec rec{};
        C_ReadComponent(Comp(comp), &rec);
        int32_t sub = 0, own = 0;
        std::string name;
        GetCompSubHier(sub, name, own, Comp(comp), rec.Symb);
        Enter(remembered);
        return sub;
    }
    void Assign(const char* comp, const std::string& level, bool all = false)
    {
        const bool reassign = ChildOf(g_CurHier, comp) != 0;
        Open(Comp(comp), reassign, [&](SCHAHIER& f) { Choose(f, level, all); });
    }
    // Stubs, port nets and file objects left in a level.
    struct Ports {
        size_t stubs;
        int32_t nets;
        bool files;
    };
    Ports PortsOf(int32_t level)
    {
        const int32_t remembered = g_CurHier;
        Enter(level);
        Ports p{Stubs().size(), OM_GetCount(DB_NetMap()),
                HasFile(SubHierObjectName("!SSN", level)) || HasFile(SubHierObjectName("!SSDSC", level))};
        Enter(remembered);
        return p;
    }
};

TEST_F(AssignDialog, TheListLeavesOutTheCurrentLevelAndOffersNoneOnlyWhenReassigning)
{
    Open(Comp("B1"), false, [&](SCHAHIER& f) {
        EXPECT_EQ(Items(f), (std::vector<std::string>{"SUB", "SUB2", "SUB3"}));
        EXPECT_EQ(f.Caption(), "Assign Hierarchy down MAIN:B1");
        EXPECT_EQ(f.F_SelectFrame()->title().toStdString(), "Select Hierarchy: ");
        EXPECT_EQ(f.F_AllInstances()->text().toStdString(), "All instances of smb: BLK");
        f.F_Cancel()->Press();
    });
    EXPECT_EQ(g_HierApplied, 0);
    Assign("B1", "SUB");
    Open(Comp("B1"), true, [&](SCHAHIER& f) {
        EXPECT_EQ(Items(f), (std::vector<std::string>{"(none)", "SUB", "SUB2", "SUB3"}));
        EXPECT_EQ(f.Caption(), "Reassign Hierarchy down MAIN:B1");
        EXPECT_EQ(f.CompSubHier, kSub);
        f.F_Apply()->Press();  // nothing selected: the dialog stays
        EXPECT_TRUE(f.Visible());
        f.F_Cancel()->Press();
    });
}

TEST_F(AssignDialog, ApplyBuildsTheChildSheetAndReturnsTheLevel)
{
    Open(Comp("B1"), false, [&](SCHAHIER& f) {
        Choose(f, "SUB");
        EXPECT_FALSE(f.Visible());
    });
    EXPECT_EQ(g_HierApplied, kSub);
    EXPECT_EQ(ChildOf(kMain, "B1"), kSub);
    EXPECT_EQ(ChildOf(kMain, "B2"), 0);
    EXPECT_EQ(PortsOf(kSub).stubs, 3u);
    EXPECT_EQ(g_CurHier, kMain);
    EXPECT_EQ(DB_CurHier(), kMain);
}

TEST_F(AssignDialog, ALevelServingAnotherSymbolIsRefusedWith501)
{
    Assign("B1", "SUB");
    ui.ExpectMessageBox(1, "already assigned to other type of component");
    Open(Comp("C1"), false, [&](SCHAHIER& f) {
        Choose(f, "SUB");
        EXPECT_TRUE(f.Visible());
        f.F_Cancel()->Press();
    });
    EXPECT_EQ(g_HierApplied, 0);
    EXPECT_EQ(ChildOf(kMain, "C1"), 0);
}

TEST_F(AssignDialog, AnAncestorIsRefusedWith500AndNothingChanges)
{
    Assign("B1", "SUB2");
    Enter(kSub2);
    ui.ExpectMessageBox(1, "Recursive Assignment! MAIN");
    Open(Comp("B3"), false, [&](SCHAHIER& f) {
        Choose(f, "MAIN");
        EXPECT_TRUE(f.Visible());
        f.F_Cancel()->Press();
    });
    EXPECT_EQ(ChildOf(kSub2, "B3"), 0);
    EXPECT_EQ(PortsOf(kMain).stubs, 0u);
    EXPECT_EQ(g_CurHier, kSub2);
    EXPECT_EQ(DB_CurHier(), kSub2);
}

TEST_F(AssignDialog, NoneTakesTheChildAwayAndClearsItsPortsWhenNobodyElseUsesIt)
{
    Assign("B1", "SUB");
    Enter(kSub);
    N_CreateNet(0, 1, "KEPT");  // other contents of the child stay
    Enter(kMain);
    Open(Comp("B1"), true, [&](SCHAHIER& f) { Choose(f, "(none)"); });
    EXPECT_EQ(g_HierApplied, 0);
    EXPECT_EQ(ChildOf(kMain, "B1"), 0);
    EXPECT_TRUE(HierTexts(C_CompTextArray(Comp("B1"))).empty());
    const Ports p = PortsOf(kSub);
    EXPECT_EQ(p.stubs, 0u);
    EXPECT_EQ(p.nets, 1);
    EXPECT_FALSE(p.files);
}

TEST_F(AssignDialog, OneInstanceAloneLeavesALevelThatAnotherInstanceStillUses)
{
    Assign("B1", "SUB");
    Assign("B2", "SUB");
    Open(Comp("B1"), true, [&](SCHAHIER& f) { Choose(f, "SUB3"); });
    EXPECT_EQ(g_HierApplied, kSub3);
    EXPECT_EQ(ChildOf(kMain, "B1"), kSub3);
    EXPECT_EQ(ChildOf(kMain, "B2"), kSub);
    EXPECT_EQ(PortsOf(kSub).stubs, 3u);
    EXPECT_TRUE(PortsOf(kSub).files);
}

TEST_F(AssignDialog, AllInstancesAreBuiltBeforeTheirOldLevelIsCleared)
{
    Assign("B1", "SUB", true);
    EXPECT_EQ(ChildOf(kMain, "B2"), kSub);
    EXPECT_EQ(ChildOf(kSub2, "B3"), kSub);
    Open(Comp("B1"), true, [&](SCHAHIER& f) {
        Choose(f, "SUB3", true);
        EXPECT_EQ(f.InstComp.size(), 3u);
        EXPECT_EQ(f.InstShared, (std::vector<int32_t>{3, 3, 3}));
    });
    EXPECT_EQ(g_HierApplied, kSub3);
    EXPECT_EQ(ChildOf(kMain, "B1"), kSub3);
    EXPECT_EQ(ChildOf(kMain, "B2"), kSub3);
    EXPECT_EQ(ChildOf(kSub2, "B3"), kSub3);
    const Ports old = PortsOf(kSub);
    EXPECT_EQ(old.stubs, 0u);
    EXPECT_EQ(old.nets, 0);
    EXPECT_FALSE(old.files);
    EXPECT_EQ(PortsOf(kSub3).stubs, 3u);
}

TEST_F(AssignDialog, SharedCountsArePerInstance)
{
    Assign("B1", "SUB");
    Enter(kSub2);
    Assign("B3", "SUB3");
    Enter(kMain);
    Open(Comp("B2"), false, [&](SCHAHIER& f) {
        f.F_AllInstances()->SetValue(1);
        f.CollectSymbolInstances(Symbol("BLK"));
        EXPECT_EQ(f.SharedSubCount, 0);
        EXPECT_EQ(f.InstSubHier, (std::vector<int32_t>{kSub, 0, kSub3}));
        EXPECT_EQ(f.InstShared, (std::vector<int32_t>{1, 0, 1}));
        f.F_Cancel()->Press();
    });
}

TEST_F(AssignDialog, Screenshot)
{
    Assign("B1", "SUB");
    Open(Comp("B1"), true, [&](SCHAHIER& f) {
        f.F_List()->SetListIndex(2);
        const std::string path = palvane_test::SaveScreenshot(f.Window(), "schahier_reassign");
        EXPECT_FALSE(path.empty());
        f.F_Cancel()->Press();
    });
}

}  // namespace
