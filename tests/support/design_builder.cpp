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

}  // namespace palvane_test
