// Text files with their standard messages, the hierarchy stack HIERSTCK
// byte for byte, a failed rewrite that keeps the old stack, and the names
// of the scratch file objects.
#include "editor/shell/curpos.h"
#include "editor/shell/textfiles.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/interaction.h"
#include "tests/support/kernel_fixture.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace mb = winsys::mb;
using TextFiles = palvane_test::KernelTest;
using HierStack = palvane_test::KernelTest;

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

TEST_F(TextFiles, WriteAndReadLines)
{
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/list.txt";
    g_CurFileName = path;
    int32_t status = -1, file = 0;
    OpenTextFileOut(status, file, path);
    ASSERT_EQ(status, 0);
    for (const char* line : {"U1,7400", "", "R1 10k"}) {
        WriteTextLine(status, file, line);
        EXPECT_EQ(status, 0);
    }
    CloseTextFile(0, file, path);
    EXPECT_EQ(ReadFile(path), "U1,7400\r\n\r\nR1 10k\r\n");

    OpenTextFileIn(status, file, path);
    ASSERT_EQ(status, 0);
    std::string line;
    for (const char* expected : {"U1,7400", "", "R1 10k"}) {
        ReadTextLine(status, file, line);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(line, expected);
    }
    // Past the end: the read error, naming the file being read.
    ui.ExpectMessageBox(mb::AnswerOk, "Can't read file: " + path);
    ReadTextLine(status, file, line);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(ui.asked().back().caption, "Input past end of file");
    EXPECT_EQ(ui.asked().back().style, mb::Exclamation);
    CloseTextFile(0, file, path);
}

TEST_F(TextFiles, LineEndsOfOtherSystems)
{
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/mixed.txt";
    WriteFile(path, "unix\nold mac\rwindows\r\nlast");
    int32_t status = -1, file = 0;
    OpenTextFileIn(status, file, path);
    ASSERT_EQ(status, 0);
    std::string line;
    for (const char* expected : {"unix", "old mac", "windows", "last"}) {
        ReadTextLine(status, file, line);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(line, expected);
    }
    CloseTextFile(0, file, path);
}

TEST_F(TextFiles, OpenFailuresAreReportedOnce)
{
    QTemporaryDir dir;
    const std::string missing = dir.path().toStdString() + "/missing.txt";
    const std::string noFolder = dir.path().toStdString() + "/no/such/folder/out.txt";
    int32_t status = 0, file = 0;
    ui.ExpectMessageBox(mb::AnswerOk, "Can't read file: " + missing);
    OpenTextFileIn(status, file, missing);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(ui.asked().back().caption, "File not found");
    ui.ExpectMessageBox(mb::AnswerOk, "Can't create/write to file: " + noFolder);
    OpenTextFileOut(status, file, noFolder);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(ui.asked().back().caption, "Path not found");
    ui.ExpectMessageBox(mb::AnswerOk, "Can't read file: " + noFolder);
    OpenTextFileIn(status, file, noFolder);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(ui.asked().back().caption, "Path not found");
    // A number that is not open reads and writes nothing.
    g_CurFileName = "list.txt";
    std::string line;
    ui.ExpectMessageBox(mb::AnswerOk, "Can't read file: list.txt");
    ReadTextLine(status, 77, line);
    EXPECT_EQ(status, 1);
    ui.ExpectMessageBox(mb::AnswerOk, "Can't create/write to file: list.txt");
    WriteTextLine(status, 77, "x");
    EXPECT_EQ(status, 1);
}

TEST_F(TextFiles, CloseKeepsOrDeletes)
{
    QTemporaryDir dir;
    const std::string keep = dir.path().toStdString() + "/keep.txt";
    const std::string drop = dir.path().toStdString() + "/drop.txt";
    int32_t status = 0, first = 0, second = 0;
    OpenTextFileOut(status, first, keep);
    OpenTextFileOut(status, second, drop);
    EXPECT_NE(first, second);
    CloseTextFile(0, first, keep);
    CloseTextFile(1, second, drop);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(keep)));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(drop)));
    CloseTextFile(0, 99, keep);  // not open: nothing happens
    EXPECT_TRUE(QFile::exists(QString::fromStdString(keep)));
    int32_t again = 0;
    OpenTextFileIn(status, again, keep);
    EXPECT_EQ(again, first);  // numbers are handed out again
    CloseTextFile(0, again, keep);
}

// The names in the folder, sorted.
QStringList FolderEntries(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

TEST_F(TextFiles, OutputReplacesTheFileOnlyWhenComplete)
{
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/block.nsb";
    WriteFile(path, "old content\r\n");
    g_CurFileName = path;
    int32_t status = -1, file = 0;
    OpenTextFileOut(status, file, path);
    ASSERT_EQ(status, 0);
    WriteTextLine(status, file, "new");
    EXPECT_EQ(ReadFile(path), "old content\r\n");  // not yet in place
    EXPECT_EQ(FolderEntries(dir).size(), 2);
    CommitTextFile(status, file, path);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile(path), "new\r\n");
    EXPECT_EQ(FolderEntries(dir), QStringList{"block.nsb"});

    // A write that fails part-way: the file stays byte for byte, no
    // temporary file is left.
    OpenTextFileOut(status, file, path);
    WriteTextLine(status, file, "0123456789");
    testing_hooks::LimitTextFileWrites(4);
    ui.ExpectMessageBox(mb::AnswerOk, "Can't create/write to file: " + path);
    WriteTextLine(status, file, "0123456789");
    testing_hooks::LimitTextFileWrites(-1);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(ui.asked().back().caption, "Disk full");
    CloseTextFile(1, file, path);
    EXPECT_EQ(ReadFile(path), "new\r\n");
    EXPECT_EQ(FolderEntries(dir), QStringList{"block.nsb"});
}

// The bytes of HIERSTCK; "(none)" when it does not exist.
std::string StackBytes()
{
    const int32_t id = OM_FindName(DB_FileMap(), "HIERSTCK");
    if (id == 0) return "(none)";
    const int32_t length = F_GetLength(id);
    std::string bytes(static_cast<size_t>(length), '\0');
    F_Seek(id, 0, 0);
    EXPECT_EQ(F_Read(id, bytes.data(), length), length);
    return bytes;
}

std::string Record(int32_t id, const std::string& name15)
{
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>((static_cast<uint32_t>(id) >> (8 * i)) & 0xFF);
    return bytes + name15;
}

TEST_F(HierStack, PushTwicePopOnceByteExact)
{
    g_CurHierName = "MAINHIER";
    int32_t status = -1;
    PushHierStack(status, 5);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(StackBytes(), Record(5, "MAINHIER       "));
    g_CurHierName = "SUB1";
    PushHierStack(status, 7);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(StackBytes(), Record(7, "SUB1           ") + Record(5, "MAINHIER       "));
    LoadHierStack();
    ASSERT_EQ(g_HierStack.UBound(), 2);
    EXPECT_EQ(g_HierStack(0).Name, "SUB1           ");
    EXPECT_EQ(g_HierStack(1).Id, 7);
    EXPECT_EQ(g_HierStack(2).Name, "MAINHIER       ");

    PopHierStack(status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(g_HierStackRec.Id, 7);
    EXPECT_EQ(g_HierStackRec.Name, "SUB1           ");
    EXPECT_EQ(StackBytes(), Record(5, "MAINHIER       "));
    // One object of the name, nothing left under another.
    EXPECT_EQ(OM_FindName(DB_FileMap(), "HIERSTCK~new"), 0);
}

TEST_F(HierStack, PopOfAnEmptyOrMissingStack)
{
    g_CurHierName = "MAINHIER";
    for (int round = 0; round < 2; ++round) {  // missing, then empty
        int32_t status = -1;
        g_HierStackRec.Id = 99;
        PopHierStack(status);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(g_HierStackRec.Id, 0);
        EXPECT_EQ(g_HierStackRec.Name, std::string(15, ' '));
        EXPECT_EQ(StackBytes(), "");
    }
}

TEST_F(HierStack, NamesCutAndPaddedToFifteen)
{
    int32_t status = 0;
    g_CurHierName = "ABCDEFGHIJKLMNOPQR";
    PushHierStack(status, -2);
    g_CurHierName = "";
    PushHierStack(status, 70000);
    EXPECT_EQ(StackBytes(), Record(70000, std::string(15, ' ')) + Record(-2, "ABCDEFGHIJKLMNO"));
}

TEST_F(HierStack, PartialRecordsAreLeftOut)
{
    g_CurHierName = "TOP";
    const std::string two = Record(3, "A              ") + Record(4, "B              ");
    for (const std::string& extra : {std::string(5, 'x'), std::string(12, 'y')}) {
        if (const int32_t old = OM_FindName(DB_FileMap(), "HIERSTCK")) OM_Delete(DB_FileMap(), old);
        const int32_t id = F_CreateFile(0, "HIERSTCK");
        const std::string content = two + extra;
        ASSERT_EQ(F_Write(id, content.data(), static_cast<int32_t>(content.size())), static_cast<int32_t>(content.size()));
        LoadHierStack();
        ASSERT_EQ(g_HierStack.UBound(), 2) << extra.size();
        EXPECT_EQ(g_HierStack(1).Id, 3);
        EXPECT_EQ(g_HierStack(2).Id, 4);
    }
}

TEST_F(HierStack, FailedRewriteKeepsTheOldStack)
{
    g_CurHierName = "MAINHIER";
    int32_t status = -1;
    PushHierStack(status, 5);
    ASSERT_EQ(status, 0);
    g_CurHierName = "SUB1";
    PushHierStack(status, 7);
    ASSERT_EQ(status, 0);
    const std::string before = StackBytes();

    // The store takes only part of the new content.
    testing_hooks::LimitFileObjectWrites(20);
    PushHierStack(status, 9);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(StackBytes(), before);
    testing_hooks::LimitFileObjectWrites(0);
    PopHierStack(status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(g_HierStackRec.Id, 0);
    EXPECT_EQ(StackBytes(), before);
    testing_hooks::LimitFileObjectWrites(-1);
    EXPECT_EQ(OM_FindName(DB_FileMap(), "HIERSTCK~new"), 0);

    // The next rewrite that succeeds goes on from the kept stack.
    PopHierStack(status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(g_HierStackRec.Id, 7);
    EXPECT_EQ(StackBytes(), Record(5, "MAINHIER       "));
}

TEST_F(HierStack, WriteFileObjectReplacesOnlyWhenComplete)
{
    int32_t status = -1;
    const int32_t stale = F_CreateFile(0, "!SSN01~new");
    ASSERT_NE(stale, 0);
    WriteFileObject(status, "!SSN01", "first");
    EXPECT_EQ(status, 0);
    WriteFileObject(status, "!SSN01", "second content");
    EXPECT_EQ(status, 0);
    const int32_t id = OM_FindName(DB_FileMap(), "!SSN01");
    ASSERT_NE(id, 0);
    EXPECT_EQ(F_GetLength(id), 14);
    EXPECT_EQ(OM_FindName(DB_FileMap(), "!SSN01~new"), 0);
    EXPECT_EQ(OM_GetCount(DB_FileMap()), 1);
}

TEST_F(HierStack, ScratchObjectNamesAndDeletion)
{
    const struct {
        const char* prefix;
        int32_t number;
        int32_t hierarchy;
        const char* name;
    } names[] = {
        {"!SEX", 0, 1, "!SEX010"},      {"!SEX", 3, 12, "!SEX123"},      {"!SPOLY", -4, 7, "!SPOLY07-4"},
        {"!MSTRING", 15, 99, "!MSTRING9915"}, {"!SFN", 5, 123, "!SFN235"}, {"!SFILE", 23, 1, "!SFILE0123"},
    };
    for (const auto& n : names) EXPECT_EQ(TempFileObjectName(n.prefix, n.number, n.hierarchy), n.name);

    for (const char* name : {"!SEX123", "!SFN123", "!SEP123", "!SMP123", "!SNM123", "!SPOLY123", "!SFILE123",
                             "!MSTRING123", "!SEX0123", "!SEX124", "HIERSTCK"})
        ASSERT_NE(F_CreateFile(0, name), 0) << name;
    DeleteTempFileObjects(3, 12);
    for (const char* gone : {"!SEX123", "!SFN123", "!SEP123", "!SMP123", "!SNM123", "!SPOLY123", "!SFILE123",
                             "!MSTRING123"})
        EXPECT_EQ(OM_FindName(DB_FileMap(), gone), 0) << gone;
    for (const char* kept : {"!SEX0123", "!SEX124", "HIERSTCK"})
        EXPECT_NE(OM_FindName(DB_FileMap(), kept), 0) << kept;
    DeleteTempFileObjects(3, 12);  // nothing left to delete: quiet
}

TEST_F(HierStack, ScratchObjectsOfASetGoAsOneCallPerNumberWouldTake)
{
    // Two objects of one name (only the lowest id goes per call), a number
    // named twice, a negative number, names that only look alike, another
    // level's objects and a number outside the set.
    const char* names[] = {"!SEX125", "!SEX125", "!SFN125", "!MSTRING127", "!SPOLY12-4", "!SEX1205",
                           "!SEX125x",  "!SEX135", "!SEX129", "!SFILE128",  "!SNM12-4",   "!SEX12"};
    const std::vector<int32_t> numbers = {5, 7, -4, 8, 5, 6};
    auto build = [&] {
        OM_DeleteAll(DB_FileMap());
        for (const char* name : names) ASSERT_NE(F_CreateFile(0, name), 0) << name;
    };
    auto left = [] {
        std::vector<std::pair<int32_t, std::string>> files;
        int32_t cursor = OM_GetFirst(DB_FileMap());
        while (const int32_t id = OM_SearchMask(DB_FileMap(), &cursor, 0, 0))
            files.emplace_back(id, O_GetName(OM_Object(DB_FileMap(), id)));
        return files;
    };
    build();
    for (const int32_t n : numbers) DeleteTempFileObjects(n, 12);
    const auto oneByOne = left();
    build();
    DeleteTempFileObjects(numbers, 12);
    EXPECT_EQ(left(), oneByOne);
    EXPECT_EQ(oneByOne.size(), 5u);  // !SEX1205, !SEX125x, !SEX135, !SEX129, !SEX12
    DeleteTempFileObjects(std::vector<int32_t>{}, 12);
    EXPECT_EQ(left(), oneByOne);
}

}  // namespace
