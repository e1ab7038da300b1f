// Pictures on the page: the stored list byte for byte, visibility, the hit
// test, drawing, and that a failed write or import changes nothing.
#include "editor/editing/bitmaps.h"
#include "platform/kernel/nvokernel32.h"
#include "editor/shell/settings.h"
#include "editor/shell/textfiles.h"
#include "platform/kernel/testing.h"
#include "platform/winsys/devices.h"
#include "tests/support/bmp_bytes.h"
#include "tests/support/kernel_fixture.h"
#include "tests/support/raster.h"

#include <QColor>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ObjectBytes(const char* name)
{
    const int32_t id = OM_FindName(DB_FileMap(), name);
    if (id == 0) return "<none>";
    std::string bytes(static_cast<size_t>(F_GetLength(id)), '\0');
    F_Seek(id, 0, 0);
    F_Read(id, bytes.data(), static_cast<int32_t>(bytes.size()));
    return bytes;
}

class Bitmaps : public palvane_test::KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        g_DbUnitsPerMm = 100000;
        g_BmpAllPages = false;
        g_BmpFromLibrary = false;
        OpenBitmapStore();
    }
    void TearDown() override
    {
        testing_hooks::LimitFileObjectWrites(-1);
        KernelTest::TearDown();
    }

    // A w x h picture file in one colour.
    std::string MakeBmp(const std::string& name, int w, int h, QColor colour = Qt::red)
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(colour);
        const std::string path = (dir.path() + "/").toStdString() + name;
        EXPECT_TRUE(image.save(QString::fromStdString(path), "BMP"));
        return path;
    }

    // Places the file's picture at (x, y).
    void Place(const std::string& path, const std::string& name, int32_t x, int32_t y)
    {
        g_BmpNewName = name;
        std::string selection = path;
        PlaceBitmap(selection, x, y);
    }

    QTemporaryDir dir;
};

TEST_F(Bitmaps, ADesignWithoutAListGetsAnEmptyOne)
{
    EXPECT_NE(g_BitmapFile, 0);
    EXPECT_EQ(ObjectBytes("@Bitmap@"), "");
    EXPECT_EQ(BitmapCount(), 0);
}

TEST_F(Bitmaps, TheListIsStoredByteForByte)
{
    Place(MakeBmp("logo.bmp", 4, 2), "LOGO", 1000, -2000);
    g_BmpAllPages = true;
    Place(MakeBmp("b.bmp", 2, 2), "b", 7, 8);
    const int32_t logo = OM_FindName(DB_FileMap(), "BM_LOGO");
    const int32_t b = OM_FindName(DB_FileMap(), "BM_B");
    ASSERT_NE(logo, 0);
    ASSERT_NE(b, 0);
    auto rec = [](int32_t pic, int32_t x, int32_t y, int32_t page, int32_t hier) {
        std::string s;
        for (int32_t v : {pic, x, y, page, hier, 0, -1, -1, -1, -1, -1, -1, -1})
            for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF));
        return s;
    };
    EXPECT_EQ(ObjectBytes("@Bitmap@"), rec(logo, 1000, -2000, DB_CurPage(), DB_CurHier()) + rec(b, 7, 8, 0, DB_CurHier()));
    EXPECT_EQ(g_CurBitmap, 2);
    // The picture object holds the file's bytes.
    QFile file(QString::fromStdString(dir.path().toStdString() + "/logo.bmp"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(ObjectBytes("BM_LOGO"), file.readAll().toStdString());
    // Read back as stored.
    LoadBitmapList();
    ASSERT_EQ(BitmapCount(), 2);
    EXPECT_EQ(g_BitmapList[2].Page, 0);
    EXPECT_EQ(g_BitmapList[1].Y, -2000);
}

TEST_F(Bitmaps, AnExistingPictureNameIsReusedWithoutImport)
{
    Place(MakeBmp("logo.bmp", 4, 2), "LOGO", 0, 0);
    const std::string stored = ObjectBytes("BM_LOGO");
    Place(MakeBmp("other.bmp", 8, 8, Qt::blue), "logo", 10, 10);
    EXPECT_EQ(ObjectBytes("BM_LOGO"), stored);
    EXPECT_EQ(g_BitmapList[1].Picture, g_BitmapList[2].Picture);
}

TEST_F(Bitmaps, VisibilityFollowsPageLevelAndMode)
{
    Place(MakeBmp("a.bmp", 4, 4), "A", 0, 0);
    g_BmpAllPages = true;
    Place(MakeBmp("b.bmp", 4, 4), "B", 0, 0);
    EXPECT_TRUE(IsBitmapShown(1));
    EXPECT_TRUE(IsBitmapShown(2));
    const int32_t first = DB_CurPage();
    const int32_t other = DB_CreatePage(0, "SECOND");
    ASSERT_NE(other, 0);
    ASSERT_NE(DB_SetCurPage(other), 0);
    EXPECT_FALSE(IsBitmapShown(1));
    EXPECT_TRUE(IsBitmapShown(2));
    DB_SetCurPage(first);
    g_BitmapList[2].Hier = DB_CurHier() + 1;
    EXPECT_FALSE(IsBitmapShown(2));
    g_BitmapList[1].Mode = -1;
    EXPECT_FALSE(IsBitmapShown(1));
    EXPECT_FALSE(IsBitmapShown(0));
    EXPECT_FALSE(IsBitmapShown(3));
}

TEST_F(Bitmaps, AClickWithinAFiftiethOfAnInchPicksTheTopmost)
{
    // 4 x 4 pixels cover 100,000 x 100,000 units, down from the top edge.
    Place(MakeBmp("a.bmp", 4, 4), "A", 0, 0);
    Place(MakeBmp("b.bmp", 4, 4), "B", 50000, 0);
    g_CurBitmap = 0;
    FindBitmapAtPoint(60000, -50000);
    EXPECT_EQ(g_CurBitmap, 2);
    MoveBitmapEntry(2, 300000, 0);
    FindBitmapAtPoint(10000, -50000);
    EXPECT_EQ(g_CurBitmap, 1);
    FindBitmapAtPoint(-50800, -50000);
    EXPECT_EQ(g_CurBitmap, 1);
    FindBitmapAtPoint(-50801, -50000);
    EXPECT_EQ(g_CurBitmap, 0);
    FindBitmapAtPoint(10000, 50800);
    EXPECT_EQ(g_CurBitmap, 1);
    // Moving brings a picture to the top.
    MoveBitmapEntry(1, 300000, 0);
    FindBitmapAtPoint(310000, -50000);
    EXPECT_EQ(g_CurBitmap, 2);
    EXPECT_EQ(g_BitmapList[2].X, 300000);
}

TEST_F(Bitmaps, AFailedWriteKeepsTheList)
{
    Place(MakeBmp("a.bmp", 4, 4), "A", 0, 0);
    Place(MakeBmp("b.bmp", 4, 4), "B", 0, 0);
    const std::string stored = ObjectBytes("@Bitmap@");
    testing_hooks::LimitFileObjectWrites(10);
    DeleteBitmapEntry(1);
    EXPECT_EQ(ObjectBytes("@Bitmap@"), stored);
    EXPECT_EQ(BitmapCount(), 2);  // memory follows the store
    testing_hooks::LimitFileObjectWrites(-1);
    DeleteBitmapEntry(1);
    DeleteBitmapEntry(1);
    EXPECT_EQ(ObjectBytes("@Bitmap@"), "");
}

TEST_F(Bitmaps, CancellingWithNoEntryOrAMoveOutsideChangesNothing)
{
    Place(MakeBmp("a.bmp", 4, 4), "A", 0, 0);
    const std::string stored = ObjectBytes("@Bitmap@");
    DeleteBitmapEntry(0);
    MoveBitmapEntry(2, 5, 5);
    MoveBitmapEntry(-1, 5, 5);
    EXPECT_EQ(BitmapCount(), 1);
    EXPECT_EQ(ObjectBytes("@Bitmap@"), stored);
}

TEST_F(Bitmaps, AFailedImportLeavesNothing)
{
    const std::string damaged = (dir.path() + "/bad.bmp").toStdString();
    {
        QFile f(QString::fromStdString(damaged));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("BM this is no picture");
    }
    // A picture of another kind, as a clipboard picture saved wrongly.
    const std::string png = (dir.path() + "/photo.bmp").toStdString();
    ASSERT_TRUE(QImage(6, 4, QImage::Format_RGB32).save(QString::fromStdString(png), "PNG"));
    const std::string missing = dir.path().toStdString() + "/missing.bmp";
    const int32_t files = OM_GetCount(DB_FileMap());
    // Each refusal names its reason after the path.
    ui.ExpectMessageBox(winsys::mb::AnswerOk,
                        "Can't Load file: " + damaged + "\r\nThe BMP file is damaged: it is too short for its headers.");
    Place(damaged, "BAD", 0, 0);
    ui.ExpectMessageBox(winsys::mb::AnswerOk, "Can't Load file: " + missing + "\r\nThe file cannot be read: ");
    Place(missing, "MISSING", 0, 0);
    ui.ExpectMessageBox(winsys::mb::AnswerOk,
                        "Can't Load file: " + png + "\r\nThe file holds a PNG picture, not a BMP picture.");
    Place(png, "PHOTO", 0, 0);
    EXPECT_EQ(OM_GetCount(DB_FileMap()), files);
    EXPECT_EQ(OM_FindName(DB_FileMap(), "BM_BAD"), 0);
    EXPECT_EQ(BitmapCount(), 0);
    EXPECT_EQ(g_CurBitmap, 0);
    EXPECT_EQ(ObjectBytes("@Bitmap@"), "");
}

// A file of a few hundred kilobytes whose picture decodes beyond the
// kernel's limit (2^24 + 1 pixels, 4 bytes each) is refused with its size
// named, and the design stays as it was; one at the limit is imported.
TEST_F(Bitmaps, APictureTooLargeToDecodeIsRefusedAtImport)
{
    Place(MakeBmp("small.bmp", 3, 2), "SMALL", 0, 0);
    const std::string huge = (dir.path() + "/huge.bmp").toStdString();
    palvane_test::WriteBytes(huge, palvane_test::RunLengthBmp(24929, 673));
    const uint64_t digest = KT_DesignDigest();
    const int32_t files = OM_GetCount(DB_FileMap());
    ui.ExpectMessageBox(winsys::mb::AnswerOk, "Can't Load file: " + huge +
                                                  "\r\nThe picture is too large: 24929 x 673 pixels; a picture may "
                                                  "have at most 16777216 pixels (64 MB decoded).");
    Place(huge, "HUGE", 0, 0);
    EXPECT_EQ(KT_DesignDigest(), digest);
    EXPECT_EQ(OM_GetCount(DB_FileMap()), files);
    EXPECT_EQ(OM_FindName(DB_FileMap(), "BM_HUGE"), 0);
    EXPECT_EQ(BitmapCount(), 1);
    EXPECT_EQ(g_CurBitmap, 0);

    const std::string atLimit = (dir.path() + "/limit.bmp").toStdString();
    palvane_test::WriteBytes(atLimit, palvane_test::RunLengthBmp(4096, 4096));
    Place(atLimit, "LIMIT", 0, 0);
    EXPECT_NE(OM_FindName(DB_FileMap(), "BM_LIMIT"), 0);
    EXPECT_EQ(BitmapCount(), 2);
}

TEST_F(Bitmaps, AFileWithALatin1NameIsImported)
{
    // The editor's texts are Latin-1: "caf\xE9" names the file "café".
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(dir.path() + QString::fromUtf8("/caf\u00e9.bmp"), "BMP"));
    Place(dir.path().toStdString() + "/caf\xE9.bmp", "CAFE", 0, 0);
    EXPECT_NE(OM_FindName(DB_FileMap(), "BM_CAFE"), 0);
    EXPECT_EQ(BitmapCount(), 1);
}

TEST_F(Bitmaps, PageCleanUpRemovesOnlyThatPageOfThisLevel)
{
    Place(MakeBmp("a.bmp", 4, 4), "A", 0, 0);
    g_BmpAllPages = true;
    Place(MakeBmp("b.bmp", 4, 4), "B", 0, 0);
    g_BmpAllPages = false;
    Place(MakeBmp("c.bmp", 4, 4), "C", 0, 0);
    g_BitmapList[3].Hier = DB_CurHier() + 5;  // same page id, other level
    ASSERT_TRUE(SaveBitmapList());
    RemovePageBitmaps(DB_CurPage());
    ASSERT_EQ(BitmapCount(), 2);
    EXPECT_EQ(g_BitmapList[1].Page, 0);
    EXPECT_EQ(g_BitmapList[2].Hier, DB_CurHier() + 5);
}

TEST_F(Bitmaps, ADamagedListReadsItsWholeRecords)
{
    Place(MakeBmp("a.bmp", 4, 4), "A", 0, 0);
    F_Seek(g_BitmapFile, 52, 0);
    F_Write(g_BitmapFile, "12345678", 8);
    LoadBitmapList();
    EXPECT_EQ(BitmapCount(), 1);
}

TEST_F(Bitmaps, FileTitles)
{
    EXPECT_EQ(FileTitleOf("C:\\PICS\\LOGO.BMP"), "LOGO");
    EXPECT_EQ(FileTitleOf("C:\\A\\B\\NAME.V2.BMP"), "NAME");
    EXPECT_EQ(FileTitleOf("/home/u/pic.dib"), "pic");
    EXPECT_EQ(FileTitleOf("PLAIN"), "PLAIN");
    EXPECT_TRUE(IsValidBitmapName(" clip "));
    for (const char* bad : {"", "   ", "a.b", "a\\b", "a/b"}) EXPECT_FALSE(IsValidBitmapName(bad)) << bad;
}

TEST_F(Bitmaps, PrinterDrawingPutsEveryShownPictureOnTheDevice)
{
    Place(MakeBmp("a.bmp", 4, 4, Qt::red), "A", 0, 0);
    QImage page(100, 100, QImage::Format_RGB32);
    page.fill(Qt::white);
    winsys::Device device;
    device.kind = winsys::DeviceKind::Printer;
    device.surface = &page;
    const int32_t handle = winsys::RegisterDevice(device);
    const ViewDCRec view{10000, 100, 100, 0, 0, 0};
    ASSERT_EQ(G_OpenDC(handle, &view), 1);
    DrawBitmapsToDC(handle);
    G_CloseDC();
    winsys::UnregisterDevice(handle);
    // The picture covers 10 x 10 pixels right of and below the centre.
    EXPECT_EQ(palvane_test::PixelAt(page, 55, 55), QColor(Qt::red).rgb() & 0xFFFFFF);
    EXPECT_EQ(palvane_test::PixelAt(page, 45, 45), QColor(Qt::white).rgb() & 0xFFFFFF);
}

}  // namespace
