#include "tests/support/design_builder.h"

#include "platform/kernel/nvokernel32.h"
#include "tools/sources/source_builder.h"
#include "tools/sources/source_reader.h"

namespace palvane_test {

std::string LibrarySourceDir()
{
    return PALVANE_LIBRARY_SOURCE_DIR;
}

::testing::AssertionResult BuildDesign(const std::string& text, const std::string& includeDir)
{
    nvo_sources::Source source;
    std::string error;
    if (nvo_sources::ReadSourceText(text, "design", includeDir, source, error) &&
        nvo_sources::BuildDesign(source, error))
        return ::testing::AssertionSuccess();
    if (DB_DataBase() == 0) DB_CreateDataBase("Untitled", "MAINHIER", "MAINPAGE");
    return ::testing::AssertionFailure() << error;
}

::testing::AssertionResult DropMainPage()
{
    const int32_t page = OM_FindName(DB_PageMap(), "MAINPAGE");
    if (page == 0) return ::testing::AssertionFailure() << "the level has no MAINPAGE";
    if (page == DB_CurPage()) return ::testing::AssertionFailure() << "MAINPAGE is the current page";
    const int32_t frame = -100 - page;
    BranchRec branch{};
    if (B_ReadBranch(frame, &branch) == 1) {
        for (int32_t i = 1; i <= branch.Points; ++i) {
            BranchPointRec rec{};
            if (B_ReadRecord(frame, i, &rec) == 1) OM_Delete(DB_JunctMap(), rec.Ref);
        }
        if (OM_Delete(DB_BranchMap(), frame) != 1) return ::testing::AssertionFailure() << "the frame stays";
    }
    if (OM_Delete(DB_PageMap(), page) != 1) return ::testing::AssertionFailure() << "the page stays";
    return ::testing::AssertionSuccess();
}

}  // namespace palvane_test
