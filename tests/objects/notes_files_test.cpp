// Notes files: the notes symbol saved to a file of its own and loaded
// back; a failed save keeps the old file, a failed load the current notes.
#include "editor/objects/notes_files.h"
#include "editor/objects/owner_items.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/interaction.h"
#include "tests/objects/objects_fixture.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <string>

namespace {

using objects_test::FileBytes;
using objects_test::WriteBytes;

constexpr int32_t kDesNotes = -101;   // design notes of level 1
constexpr int32_t kPageNotes = -1001;  // page notes of page 1 of level 1

class NotesFiles : public objects_test::LibraryTest {
protected:
    void SetUp() override
    {
        LibraryTest::SetUp();
        ASSERT_EQ(S_CreateSymbol(kDesNotes, "@DESNOTES"), kDesNotes);
        ASSERT_EQ(S_CreateSymbol(kPageNotes, "@PGENOTES"), kPageNotes);
    }

    // Adds a text to the notes symbol.
    void AddText(int32_t symbol, const std::string& text)
    {
        ItemRec record{};
        record.Kind = 6;
        record.Flags = 1;
        record.X = 100000;
        record.P1 = 8000;
        record.P2 = 6000;
        int32_t failed = 0, item = 0;
        MakeOwnerItem(failed, kOwnerSymbol, symbol, record, text, item);
        ASSERT_EQ(failed, 0);
    }

    std::string Texts(int32_t symbol)
    {
        std::string texts;
        const int32_t array = S_SymbolItemArray(symbol);
        for (int32_t i = 1; i <= OA_GetCount(array); ++i) {
            ItemRec record{};
            if (I_ReadItem(OA_Object(array, i), &record) == 1) texts += PtrToStr(record.Text) + ";";
        }
        return texts;
    }
};

TEST_F(NotesFiles, NotesMakeTheRoundTripUnderTheirOwnIdAndName)
{
    AddText(kDesNotes, "first");
    AddText(kDesNotes, "second");
    const std::string path = Scratch("design.NDN");
    int32_t status = 1;
    SaveNotesFile(status, NotesKind::Design, path, kDesNotes);
    ASSERT_EQ(status, 0);
    ASSERT_TRUE(QFile::exists(QString::fromStdString(path)));
    EXPECT_EQ(QDir(scratch.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << "no temporary file is left";

    OM_Delete(DB_SymbMap(), kDesNotes);
    ASSERT_EQ(S_CreateSymbol(kDesNotes, "@DESNOTES"), kDesNotes);
    AddText(kDesNotes, "other");
    int32_t symbol = kDesNotes;
    LoadNotesFile(status, NotesKind::Design, Scratch("DESIGN.ndn"), symbol);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(symbol, kDesNotes);
    EXPECT_EQ(Texts(kDesNotes), "first;second;");
    EXPECT_STREQ(O_GetName(S_Symbol(kDesNotes)), "@DESNOTES");
    EXPECT_EQ(OM_GetCount(DB_SymbMap()), 0) << "nothing is left under a positive id";

    // Saving again replaces the file.
    AddText(kDesNotes, "third");
    SaveNotesFile(status, NotesKind::Design, path, kDesNotes);
    ASSERT_EQ(status, 0);
    LoadNotesFile(status, NotesKind::Design, path, symbol);
    EXPECT_EQ(Texts(kDesNotes), "first;second;third;");
}

TEST_F(NotesFiles, AFailedSaveKeepsTheOldFileByteForByte)
{
    AddText(kPageNotes, "kept");
    const std::string path = Scratch("page.NPN");
    int32_t status = 1;
    SaveNotesFile(status, NotesKind::Page, path, kPageNotes);
    ASSERT_EQ(status, 0);
    const std::string before = FileBytes(path);
    ASSERT_FALSE(before.empty());

    ui.ExpectMessageBox(winsys::mb::AnswerOk, "Save of Page Notes failed");
    SaveNotesFile(status, NotesKind::Page, path, -9999);  // no such symbol
    EXPECT_EQ(status, 1);
    EXPECT_EQ(FileBytes(path), before);
    EXPECT_EQ(QDir(scratch.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    ui.ExpectMessageBox(winsys::mb::AnswerOk, "Save of Design Notes failed");
    SaveNotesFile(status, NotesKind::Design, Scratch("no/such/folder/x.NDN"), kDesNotes);
    EXPECT_EQ(status, 1);
}

TEST_F(NotesFiles, AFileThatDoesNotLoadKeepsTheCurrentNotes)
{
    AddText(kPageNotes, "saved");
    const std::string good = Scratch("good.NPN");
    int32_t status = 1;
    SaveNotesFile(status, NotesKind::Page, good, kPageNotes);
    ASSERT_EQ(status, 0);
    AddText(kDesNotes, "current");
    const std::string bytes = FileBytes(good);
    WriteBytes(Scratch("damaged.NDN"), bytes.substr(0, bytes.size() - 100) + std::string(100, '\x11'));
    WriteBytes(Scratch("text.NDN"), "not notes\n");

    const std::string files[] = {Scratch("damaged.NDN"), Scratch("text.NDN"), Scratch("missing.NDN"),
                                 good /* page notes, no "@DESNOTES" entry */};
    for (const std::string& file : files) {
        ui.ExpectMessageBox(winsys::mb::AnswerOk, "Can't load Design Notes");
        int32_t symbol = kDesNotes;
        LoadNotesFile(status, NotesKind::Design, file, symbol);
        EXPECT_EQ(status, 1) << file;
        EXPECT_EQ(symbol, kDesNotes) << file;
        EXPECT_EQ(Texts(kDesNotes), "current;") << file;
        EXPECT_STREQ(O_GetName(S_Symbol(kDesNotes)), "@DESNOTES") << file;
    }
}

}  // namespace
