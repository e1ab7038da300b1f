// The automatic packaging run: unpacked gates go into a package of their
// device with a free gate of their symbol, or into a new one named from the
// dialog's row; rows switched off and unknown devices are left alone.
#include "editor/dialogs/schapack.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/packaging.h"
#include "editor/shell/controls.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textnum.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

class AutoPackaging : public palvane_test::EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        ASSERT_TRUE(palvane_test::BuildDesign(R"(
include discrete.nls
include ics.nls
unit 0.1in
design D
level MAIN
page P frame 100 80
  component U1 74HC00 gate A at 0 0
  component U1 74HC00 gate B at 20 0
  component R1 R at 0 20
end
)"));
        Main().LoadSettings();
        // Unpack every gate: the run packs them again.
        const int32_t map = DB_SchCompMap();
        int32_t cursor = OM_GetFirst(map);
        while (int32_t id = OM_SearchMask(map, &cursor, 0, 0)) {
            CompRec rec{};
            C_ReadComponent(id, &rec);
            if (rec.LayComp) UnpackComp(id, rec);
        }
    }

    std::vector<CompRec> Gates() const
    {
        std::vector<CompRec> out;
        const int32_t map = DB_SchCompMap();
        int32_t cursor = OM_GetFirst(map);
        while (int32_t id = OM_SearchMask(map, &cursor, 0, 0)) {
            CompRec rec{};
            C_ReadComponent(id, &rec);
            out.push_back(rec);
        }
        return out;
    }

    void Run(std::function<void(SCHAPACK&)> edit)
    {
        ui.ExpectModal("SCHAPACK", [edit](QWidget*) {
            SCHAPACK& d = FormInstance<SCHAPACK>();
            edit(d);
            d.F_Accept_Click();
        });
        Main().M_Apack_Click();
    }
};

TEST_F(AutoPackaging, TwoGatesShareOneNewPackage)
{
    for (const CompRec& c : Gates()) ASSERT_EQ(c.LayComp, 0);
    Run([](SCHAPACK&) {});
    int32_t lay = -1;
    int packed = 0;
    for (const CompRec& c : Gates()) {
        if (c.Device == 0) continue;
        EXPECT_NE(c.LayComp, 0);
        EXPECT_NE(c.Group, 0);
        if (lay < 0) lay = c.LayComp;
        ++packed;
    }
    EXPECT_EQ(packed, 3);
    // Every mark of the run is cleared again.
    int32_t cursor = OM_GetFirst(DB_DeviceMap());
    EXPECT_EQ(OM_SearchMask(DB_DeviceMap(), &cursor, 128, 128), 0);
    EXPECT_EQ(Trim(Main().F_MsgLine->Caption()), "Autpackaging completed");
}

TEST_F(AutoPackaging, ARowSwitchedOffLeavesItsGatesUnpacked)
{
    Run([](SCHAPACK&) {
        for (long r = 1; r <= g_PrefixList.UBound(); ++r)
            if (g_PrefixList(r).Prefix.rfind("U", 0) == 0) g_PrefixList(r).Pack = false;
    });
    for (const CompRec& c : Gates()) {
        const std::string name = c.Name;
        if (name.rfind("R", 0) == 0) EXPECT_NE(c.LayComp, 0) << name;
        else EXPECT_EQ(c.LayComp, 0) << name;
    }
}

TEST_F(AutoPackaging, CancelChangesNothing)
{
    ui.ExpectModal("SCHAPACK", [](QWidget*) { FormInstance<SCHAPACK>().F_Cancel_Click(); });
    Main().M_Apack_Click();
    for (const CompRec& c : Gates()) EXPECT_EQ(c.LayComp, 0);
}

}  // namespace
