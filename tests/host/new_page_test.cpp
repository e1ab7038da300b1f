// Page > New Page in the running host, through the menu and the input box:
// on the demo as compiled, whose MAINPAGE is the template, and on a design
// stored before every design had a MAINPAGE, where the page shown is the
// template and the file gets no MAINPAGE for it. MAINPAGE is still neither
// deleted nor renamed, and the refusals are captioned with their command.
#include "tests/host/host_fixture.h"

#include "editor/shell/controls.h"
#include "editor/shell/menus.h"
#include "editor/shell/schmain.h"
#include "editor/shell/scope_guard.h"
#include "host/design_file.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/design_builder.h"

#include <QFile>
#include <QMessageBox>

#include <string>
#include <utility>
#include <vector>

namespace palvane_test {
namespace {

using Names = std::vector<std::string>;
using Corners = std::vector<std::pair<int32_t, int32_t>>;

// The points of the frame of `page` (a page of the current level), in
// record order; empty when the page has no frame.
Corners FrameOf(const std::string& page)
{
    Corners corners;
    const int32_t frame = -100 - OM_FindName(DB_PageMap(), page.c_str());
    BranchRec branch{};
    if (B_ReadBranch(frame, &branch) != 1) return corners;
    for (int32_t i = 1; i <= branch.Points; ++i) {
        BranchPointRec rec{};
        if (B_ReadRecord(frame, i, &rec) == 1) corners.emplace_back(rec.X, rec.Y);
    }
    return corners;
}

class NewPage : public HostInProcess {
protected:
    // Loads the design file the host wrote.
    void Reload()
    {
        std::string error;
        ASSERT_TRUE(OpenDesignFile(design, error)) << error;
    }
};

TEST_F(NewPage, OnTheCompiledDemoTheMainPageIsTheTemplate)
{
    Corners template_, made;
    BoxSeen deleted, renamed;
    const int status = Run([&](SCHMAIN& main) {
        auto close = OnExit([this] { Send("PALVANE,EX"); });
        // On opening, the demo's first page is shown; MAINPAGE heads the list.
        EXPECT_EQ(main.F_Pages->Text(), "Amplifier");
        EXPECT_EQ(PageList(main), (Names{"MAINPAGE", "Amplifier", "Blinker"}));

        Type("notes");
        Trigger(main.M_PageNew);
        EXPECT_EQ(main.F_Pages->Text(), "NOTES");
        EXPECT_EQ(PageList(main), (Names{"MAINPAGE", "Amplifier", "Blinker", "NOTES"}));
        EXPECT_EQ(PageList(main), PagesInDatabase());
        template_ = FrameOf("MAINPAGE");
        made = FrameOf("NOTES");

        ChoosePage(main, "MAINPAGE");
        ASSERT_EQ(main.F_Pages->Text(), "MAINPAGE");
        Answer(QMessageBox::Ok, &deleted);
        Trigger(main.M_PageDel);
        Answer(QMessageBox::Ok, &renamed);
        Trigger(main.M_PageRen);
        EXPECT_EQ(PageList(main), (Names{"MAINPAGE", "Amplifier", "Blinker", "NOTES"}));
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Errors(), "");
    // MAINPAGE's frame is the first page's, 11 by 8.5 inches: four corners
    // and the closing record.
    ASSERT_EQ(template_.size(), 5u);
    EXPECT_EQ(template_[2], std::make_pair(13970000, 10795000));
    EXPECT_EQ(made, template_);
    EXPECT_EQ(deleted.text, "Can't delete Page: MAINPAGE");
    EXPECT_EQ(deleted.caption, "Norvo32 - Schematic Capture (Delete Page)");
    EXPECT_EQ(renamed.text, "Can't rename Page: MAINPAGE");
    EXPECT_EQ(renamed.caption, "Norvo32 - Schematic Capture (Rename Page)");

    Reload();
    EXPECT_EQ(PagesInDatabase(), (Names{"MAINPAGE", "Amplifier", "Blinker", "NOTES"}));
    EXPECT_EQ(FrameOf("NOTES"), template_);
    DB_DiscardDataBase();
}

TEST_F(NewPage, WithoutTheMainPageThePageShownIsTheTemplate)
{
    // A design as stored before every design had a MAINPAGE, its pages
    // framed differently.
    ASSERT_TRUE(BuildDesign("design Older\nlevel MAIN\n"
                            "page WIDE frame 17in 11in\nend\n"
                            "page SMALL frame 11in 8.5in\nend\n",
                            LibrarySourceDir()));
    ASSERT_TRUE(DropMainPage());
    ASSERT_EQ(DB_SaveDataBase(QFile::encodeName(QString::fromStdString(design)).constData()), 1) << E_LastError();
    DB_DiscardDataBase();

    Corners shown, made;
    Names listed, stored;
    const int status = Run([&](SCHMAIN& main) {
        auto close = OnExit([this] { Send("PALVANE,EX"); });
        EXPECT_EQ(main.F_Pages->Text(), "WIDE");
        ChoosePage(main, "SMALL");
        ASSERT_EQ(main.F_Pages->Text(), "SMALL");
        Type("copy");
        Trigger(main.M_PageNew);
        EXPECT_EQ(main.F_Pages->Text(), "COPY");
        listed = PageList(main);
        stored = PagesInDatabase();
        shown = FrameOf("SMALL");
        made = FrameOf("COPY");
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Errors(), "");
    EXPECT_EQ(listed, stored);
    EXPECT_EQ(listed.size(), 3u);
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(made, shown);

    // The file holds the new page with that frame, and still no MAINPAGE.
    Reload();
    EXPECT_EQ(PagesInDatabase(), stored);
    EXPECT_EQ(OM_FindName(DB_PageMap(), "MAINPAGE"), 0);
    EXPECT_EQ(FrameOf("COPY"), shown);
    EXPECT_NE(FrameOf("WIDE"), shown);
    DB_DiscardDataBase();
}

}  // namespace
}  // namespace palvane_test
