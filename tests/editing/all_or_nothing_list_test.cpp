// Components made and moved through a list over the shipped libraries, each
// list swept with every step that changes the design refused in turn; the
// lines of a create list each whole or skipped.
#include "tests/editing/all_or_nothing.h"

#include "editor/dialogs/schbtext.h"
#include "editor/shell/forms.h"
#include "editor/shell/paths.h"
#include "editor/shell/settings.h"
#include "editor/shell/textarea.h"
#include "editor/view/marks.h"
#include "tests/editing/complist_fixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace palvane_test;

class ListSweep : public AllOrNothing {
public:
    void SetUp() override
    {
        AllOrNothing::SetUp();
        SetDataDir(COMPILED_DATA_DIR);
        g_IniFile = std::string(COMPILED_DATA_DIR) + "/norvo32.ini";
        ReadDirSettings();
        ReadLibLists();
        g_UnitIndex = 0;
        design = complist_test::kListDesign;
    }
};

// The list editor answered with `list`, accepted.
void Accepting(AllOrNothing& t, const char* list)
{
    t.Ui().ExpectModal("SCHBTEXT", [list](QWidget*) {
        SCHBTEXT& editor = FormInstance<SCHBTEXT>();
        editor.F_TxtBuffer()->SetText(list);
        editor.F_Accept()->Press();
    });
}

// Four lines: a part from the libraries, a supply symbol joined to its net,
// the part again, a part of the design.
const AllOrNothing::Row kMadeFromAList = {"components made from a list", nullptr, [](AllOrNothing& t) {
                                              Accepting(t, "1,d,74HC04,1,1,0,A\r\n"
                                                           "0,s,SPLGND,2,1,0\r\n"
                                                           "3,d,74HC04,3,1,90,A\r\n"
                                                           "2,d,74HC00\r\n"
                                                           "@END\r\n");
                                              t.M().CreateCompsFromList();
                                          }};

const AllOrNothing::Row kEdits[] = {
    {"components moved by a list",
     [](AllOrNothing&) {
         g_Markers[kRefPointMarker] = {0, 254000, -254000};
         g_SelRect = {900000000, 900000000, 900000001, 900000001};
     },
     [](AllOrNothing& t) {
         Accepting(t, "R1/1, 1, 2, 45, A\r\n"
                      "R2/1, 0, 0, -90, P\r\n"
                      "U1/1, 1, 1, 0, R\r\n"
                      "R3/1, 0.5, -0.5, 180, V\r\n"
                      "@END\r\n");
         t.M().RelocateCompsFromList();
     }},
};

TEST_F(ListSweep, ListEditsAreWholeOrNothing)
{
    for (const Row& row : kEdits) Sweep(row);
    alone = true;
    for (const Row& row : kEdits) Sweep(row);
}

// Each line of a create list is made whole or skipped: a line the kernel
// refuses is not made, the user is told, and the other lines are made (the
// parts and symbols the list loaded stay, as on a cancel). A line whose
// part or symbol the kernel refuses to load is skipped the same way, its
// load gone with it (its part or symbol not made permanent): the first
// line's part (the third line loads it then), the first line's gate symbol,
// the supply symbol of the second line.
TEST_F(ListSweep, EachLineOfACreateListIsWholeOrSkipped)
{
    const std::initializer_list<Skip> loads = {{"OM_ChangeId", 1}, {"OM_ChangeId", 2}, {"OM_ChangeId", 3}};
    SweepEntries(kMadeFromAList, "C_CreateComponent", 4, loads);
    // Called from code, outside an action, the same.
    alone = true;
    SweepEntries(kMadeFromAList, "C_CreateComponent", 4, loads);
}

}  // namespace
