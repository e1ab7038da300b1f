// The picture import dialog through the bitmap mode's place function: a
// stored picture, a file, the size limit, the clipboard and its name
// checks, Delete Unused; and the picture store opened by the settings load.
#include "editor/editing/bitmaps.h"
#include "editor/editing/nvobmp.h"
#include "editor/editing/nvobmp_lists.h"
#include "editor/interaction/commands.h"
#include "editor/interaction/input_state.h"
#include "editor/shell/controls.h"
#include "editor/shell/listbox.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/settings.h"
#include "editor/shell/textfiles.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "editor/view/view_state.h"
#include "tests/editing/editing_fixture.h"
#include "tests/support/bmp_bytes.h"
#include "tests/support/raster.h"
#include "tests/support/screenshot.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

namespace {

using namespace palvane_test;

const char* kPages = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N
page P1 frame 60 40
  component R1 R at -10 -5
  component R2 R at 10 -5
  wire N R1.2 (0 -5) (0 -10) R2.1
end
page P2 frame 60 40
end
)";

std::string ObjectBytes(const char* name)
{
    const int32_t id = OM_FindName(DB_FileMap(), name);
    if (id == 0) return "<none>";
    std::string bytes(static_cast<size_t>(F_GetLength(id)), '\0');
    F_Seek(id, 0, 0);
    F_Read(id, bytes.data(), static_cast<int32_t>(bytes.size()));
    return bytes;
}

std::string FileBytes(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<none>");
}

class ImportDialog : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(userData.isValid());
        // The clipboard's picture goes to the user's own folder.
        setenv("XDG_DATA_HOME", userData.path().toLocal8Bit().constData(), 1);
        g_CurCommand = 0;
        Use(kPages, "P1");
        SCHMAIN& m = Main();
        ASSERT_TRUE(m.LoadSettings());
        g_SysDir = "sys";
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        m.M_FSI_Click(MODE_BITMAPS);
        if (m.F_FSI.Exists(0)) m.F_FSI(0)->SetValue(true);
        ModeTools(MODE_BITMAPS).SelFunc = 0;
        m.RefreshCanvas();
    }

    // A w x h picture file in one colour, `extra` zero bytes after it.
    std::string MakeBmp(const std::string& name, int w, int h, QColor colour = Qt::red, qint64 extra = 0)
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(colour);
        const std::string path = (dir.path() + "/").toStdString() + name;
        EXPECT_TRUE(image.save(QString::fromStdString(path), "BMP"));
        if (extra > 0) {
            QFile file(QString::fromStdString(path));
            EXPECT_TRUE(file.open(QIODevice::Append));
            file.write(QByteArray(static_cast<int>(extra), '\0'));
        }
        return path;
    }
    // A blue picture with a yellow disc in its middle, for the eye.
    std::string MakePattern(const std::string& name, int w, int h)
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QPainter painter(&image);
        painter.setBrush(Qt::yellow);
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPoint(w / 2, h / 2), h / 3, h / 3);
        painter.end();
        const std::string path = (dir.path() + "/").toStdString() + name;
        EXPECT_TRUE(image.save(QString::fromStdString(path), "BMP"));
        return path;
    }
    // A picture file of exactly `size` bytes.
    std::string MakeBmpOfSize(const std::string& name, qint64 size)
    {
        const std::string path = MakeBmp(name, 8, 8);
        const qint64 have = QFile(QString::fromStdString(path)).size();
        return MakeBmp(name, 8, 8, Qt::red, size - have);
    }

    QPoint Px(int32_t x, int32_t y)
    {
        SCHMAIN& m = Main();
        m.OpenCanvasDC();
        int32_t p[2] = {x, y};
        G_LPtoDP(p);
        m.CloseCanvasDC();
        return {p[0], p[1]};
    }
    void Click(int32_t x, int32_t y)
    {
        const QPoint p = Px(x, y);
        Main().ViewPicture_MouseMove(0, 0, p.x(), p.y());
        Main().ViewPicture_MouseUp(1, 0, p.x(), p.y());
    }
    // Clicks the place function at (x, y) with `work` run in the dialog.
    void PlaceWith(int32_t x, int32_t y, std::function<void(NVOBMP&)> work)
    {
        ui.ExpectModal("NVOBMP", [work](QWidget*) { work(FormInstance<NVOBMP>()); });
        Click(x, y);
        EXPECT_EQ(ui.pending(), 0u);
    }
    // Selects the file `name` of the test folder.
    static void ChooseFile(NVOBMP& d, const std::string& folder, const std::string& name)
    {
        ASSERT_TRUE(d.Imp_Dir()->SetPath(folder));
        FileListBox* files = d.Imp_File();
        for (int i = 0; i < files->ListCount(); ++i) {
            if (files->List(i) == name) {
                files->SetListIndex(i);
                return;
            }
        }
        FAIL() << name << " not listed";
    }
    static void ChooseStored(NVOBMP& d, const std::string& name)
    {
        ListBox* list = d.BM_BrowseList();
        for (int i = 0; i < list->ListCount(); ++i) {
            if (list->List(i) == name) {
                list->SetListIndex(i);
                return;
            }
        }
        FAIL() << name << " not in the library";
    }
    std::string Folder() const { return dir.path().toStdString(); }
    // Ends the place command where the pointer is.
    void FinishPlacing(int32_t x, int32_t y)
    {
        ASSERT_EQ(g_CurCommand, 87);
        Click(x, y);
        EXPECT_EQ(g_CurCommand, 0);
    }

    QTemporaryDir dir;
    QTemporaryDir userData;
};

TEST_F(ImportDialog, TheSettingsLoadOpensThePictureStoreAtStartAndOnUpdate)
{
    // Start-up (the fixture's settings load) made the list object.
    EXPECT_NE(OM_FindName(DB_FileMap(), "@Bitmap@"), 0);
    EXPECT_EQ(g_BitmapFile, OM_FindName(DB_FileMap(), "@Bitmap@"));
    EXPECT_EQ(BitmapCount(), 0);
    // Another program changed the list; "UP" reads it again.
    std::string record;
    for (int32_t v : {7, 100, 200, 0, DB_CurHier(), 0, -1, -1, -1, -1, -1, -1, -1})
        for (int i = 0; i < 4; ++i) record.push_back(static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF));
    int32_t status = 1;
    WriteFileObject(status, "@Bitmap@", record);
    ASSERT_EQ(status, 0);
    g_CurBitmap = 1;
    std::string aname = "HOST", command = "All,UP";
    link->NotifyMe(aname, command);
    ASSERT_EQ(BitmapCount(), 1);
    EXPECT_EQ(g_BitmapList[1].Picture, 7);
    EXPECT_EQ(g_BitmapList[1].Y, 200);
    EXPECT_EQ(g_CurBitmap, 0);
    EXPECT_EQ(g_BitmapFile, OM_FindName(DB_FileMap(), "@Bitmap@"));
    // A design without the list gets an empty one.
    OM_Delete(DB_FileMap(), OM_FindName(DB_FileMap(), "@Bitmap@"));
    link->NotifyMe(aname, command);
    EXPECT_EQ(ObjectBytes("@Bitmap@"), "");
    EXPECT_EQ(BitmapCount(), 0);
}

TEST_F(ImportDialog, AStoredPictureIsPlacedWithoutImport)
{
    g_BmpNewName = "LOGO";
    std::string selection = MakeBmp("logo.bmp", 4, 4);
    PlaceBitmap(selection, 0, 0);
    DeleteBitmapEntry(1);
    const int32_t logo = OM_FindName(DB_FileMap(), "BM_LOGO");
    ASSERT_NE(logo, 0);
    const int32_t files = OM_GetCount(DB_FileMap());
    PlaceWith(10 * kStep, -10 * kStep, [](NVOBMP& d) {
        EXPECT_EQ(d.BM_BrowseList()->ListCount(), 1);
        EXPECT_EQ(d.BM_Count()->Caption(), "1 Item(s)");
        EXPECT_FALSE(d.FileEdit_Text()->isVisible());
        ChooseStored(d, "LOGO");
        EXPECT_TRUE(g_BmpFromLibrary);
        // The kernel drew the picture into the preview box.
        const QImage& shown = d.BmpPicture()->Image();
        EXPECT_EQ(PixelAt(shown, shown.width() / 2, shown.height() / 2), QColor(Qt::red).rgb() & 0xFFFFFF);
        EXPECT_FALSE(SaveScreenshot(d.Window(), "bitmap_import_library").empty());
        d.cmd_Load()->Press();
    });
    EXPECT_FALSE(FormInstance<NVOBMP>().IsLoaded());
    ASSERT_EQ(BitmapCount(), 1);
    EXPECT_EQ(g_BitmapList[1].Picture, logo);
    EXPECT_EQ(OM_GetCount(DB_FileMap()), files);
    FinishPlacing(20 * kStep, -10 * kStep);
    EXPECT_EQ(g_BitmapList[1].X, 20 * kStep);
    EXPECT_EQ(g_BitmapList[1].Page, DB_CurPage());
}

TEST_F(ImportDialog, AFileIsImportedUnderTheNameGivenAndPlaced)
{
    const std::string logo = MakePattern("logo.BMP", 96, 64);
    MakeBmp("second.dib", 2, 2);
    MakeBmp("ignored.png", 2, 2);
    Main().F_OST(0)->SetValue(true);
    PlaceWith(0, 0, [&](NVOBMP& d) {
        EXPECT_EQ(d.BM_Count()->Caption(), "0 Item(s)");
        ASSERT_TRUE(d.Imp_Dir()->SetPath(Folder()));
        // BMP and DIB files in any case, nothing else.
        ASSERT_EQ(d.Imp_File()->ListCount(), 2);
        EXPECT_EQ(d.Imp_File()->List(0), "logo.BMP");
        EXPECT_EQ(d.Imp_File()->List(1), "second.dib");
        EXPECT_EQ(g_BmpDir, d.Imp_Dir()->Path());
        ChooseFile(d, Folder(), "logo.BMP");
        EXPECT_TRUE(d.FileEdit_Text()->isVisible());
        EXPECT_EQ(d.FileEdit_Text()->Text(), "LOGO");
        EXPECT_EQ(d.Imp_Text()->Caption(), "logo.BMP");
        EXPECT_EQ(d.ImagePicture().width(), 96);
        d.F_Stretch()->SetValue(1);
        EXPECT_FALSE(SaveScreenshot(d.Window(), "bitmap_import_dialog").empty());
        d.FileEdit_Text()->SetText(" Company ");
        d.cmd_Load()->Press();
    });
    const int32_t stored = OM_FindName(DB_FileMap(), "BM_COMPANY");
    ASSERT_NE(stored, 0);
    EXPECT_EQ(ObjectBytes("BM_COMPANY"), FileBytes(logo));
    ASSERT_EQ(BitmapCount(), 1);
    EXPECT_EQ(g_BitmapList[1].Picture, stored);
    EXPECT_TRUE(g_BmpAllPages);
    FinishPlacing(5 * kStep, 5 * kStep);
    EXPECT_EQ(g_BitmapList[1].Page, 0);
    // The picture on the page: 96 x 64 pixels of 0.25 mm right of and
    // below the point, blue in its corners.
    SCHMAIN& m = Main();
    m.RefreshCanvas();
    const QPoint inside = Px(5 * kStep + 100000, 5 * kStep - 50000);
    EXPECT_EQ(PixelAt(m.ViewPicture->Image(), inside.x(), inside.y()), QColor(Qt::blue).rgb() & 0xFFFFFF);
    EXPECT_FALSE(SaveScreenshot(m.ViewPicture, "bitmap_on_page").empty());
}

TEST_F(ImportDialog, FourMegabytesAreAcceptedOneByteMoreIsRefused)
{
    MakeBmpOfSize("exact.bmp", BitmapMaxFileBytes);
    const std::string over = MakeBmpOfSize("over.bmp", BitmapMaxFileBytes + 1);
    PlaceWith(0, 0, [&](NVOBMP& d) {
        ChooseFile(d, Folder(), "over.bmp");
        ui.ExpectMessageBox(winsys::mb::AnswerOk, "Sorry! bitmap size greater 4Mb");
        d.cmd_Load()->Press();
        EXPECT_TRUE(d.IsLoaded());
        EXPECT_TRUE(g_BmpDlgCancelled);
        EXPECT_EQ(ui.asked().back().caption, over);
        // Another choice takes the refusal back.
        ChooseFile(d, Folder(), "exact.bmp");
        EXPECT_FALSE(g_BmpDlgCancelled);
        d.cmd_Load()->Press();
        EXPECT_FALSE(d.IsLoaded());
    });
    ASSERT_EQ(BitmapCount(), 1);
    EXPECT_EQ(F_GetLength(OM_FindName(DB_FileMap(), "BM_EXACT")), BitmapMaxFileBytes);
    EXPECT_EQ(g_CurCommand, 87);
}

TEST_F(ImportDialog, TheRefusedFileAloneClosedPlacesNothing)
{
    MakeBmpOfSize("over.bmp", BitmapMaxFileBytes + 1);
    const std::string list = ObjectBytes("@Bitmap@");
    PlaceWith(0, 0, [&](NVOBMP& d) {
        ChooseFile(d, Folder(), "over.bmp");
        ui.ExpectMessageBox(winsys::mb::AnswerOk, "Sorry! bitmap size greater 4Mb");
        d.cmd_Load()->Press();
        // The close box.
        d.Window()->close();
    });
    EXPECT_EQ(BitmapCount(), 0);
    EXPECT_EQ(ObjectBytes("@Bitmap@"), list);
    EXPECT_EQ(OM_FindName(DB_FileMap(), "BM_OVER"), 0);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_FALSE(g_BmpDlgCancelled);
}

TEST_F(ImportDialog, ThePastedPictureGoesThroughTempBmpAndItsNameIsChecked)
{
    QImage picture(6, 3, QImage::Format_RGB32);
    picture.fill(Qt::green);
    QGuiApplication::clipboard()->setImage(picture);
    PlaceWith(0, 0, [](NVOBMP& d) {
        d.cmd_LoadClip()->Press();
        EXPECT_EQ(d.FileEdit_Text()->Text(), "CLIP");
        EXPECT_TRUE(d.FileEdit_Text()->isVisible());
        d.cmd_Load()->Press();
    });
    const std::string temp = userData.path().toStdString() + "/norvo32/sys/TEMP.BMP";
    EXPECT_EQ(BitmapTempPath(), temp);
    const int32_t clip = OM_FindName(DB_FileMap(), "BM_CLIP");
    ASSERT_NE(clip, 0);
    EXPECT_EQ(ObjectBytes("BM_CLIP"), FileBytes(temp));
    int32_t w = 0, h = 0;
    F_Seek(clip, 0, 0);
    ASSERT_EQ(GetBmpDim(clip, &w, &h), 1);
    EXPECT_EQ(w, 6);
    EXPECT_EQ(h, 3);
    FinishPlacing(kStep, kStep);

    // The same name again is refused, and the pasted picture stays chosen
    // for another name.
    PlaceWith(0, 0, [this](NVOBMP& d) {
        d.cmd_LoadClip()->Press();
        ui.ExpectMessageBox(winsys::mb::AnswerOk, "File Already Exists");
        d.cmd_Load()->Press();
        EXPECT_TRUE(d.IsLoaded());
        EXPECT_TRUE(g_BmpClipImage);
        d.FileEdit_Text()->SetText("clip2");
        d.cmd_Load()->Press();
        EXPECT_FALSE(d.IsLoaded());
    });
    EXPECT_NE(OM_FindName(DB_FileMap(), "BM_CLIP2"), 0);
    EXPECT_EQ(BitmapCount(), 2);
    EXPECT_EQ(g_CurCommand, 87);
}

TEST_F(ImportDialog, AnEmptyClipboardChoosesNothing)
{
    QGuiApplication::clipboard()->clear();
    PlaceWith(0, 0, [this](NVOBMP& d) {
        ui.ExpectMessageBox(winsys::mb::AnswerOk, "Image not found in the Clipboard.");
        d.cmd_LoadClip()->Press();
        EXPECT_FALSE(d.FileEdit_Text()->isVisible());
        ui.ExpectMessageBox(winsys::mb::AnswerOk, "Select Bitmap File ");
        d.cmd_Load()->Press();
        EXPECT_TRUE(d.IsLoaded());
        d.B_End()->Press();
    });
    EXPECT_EQ(BitmapCount(), 0);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_FALSE(g_BmpDlgCancelled);
}

TEST_F(ImportDialog, ANewPictureNeedsAPlainName)
{
    MakeBmp("a.bmp", 2, 2);
    PlaceWith(0, 0, [this](NVOBMP& d) {
        // Nothing chosen yet, whatever an earlier dialog chose.
        ui.ExpectMessageBox(winsys::mb::AnswerOk, "Select Bitmap File ");
        d.cmd_Load()->Press();
        ChooseFile(d, Folder(), "a.bmp");
        for (const char* bad : {"", "  ", "A.B", "x/y", "x\\y"}) {
            d.FileEdit_Text()->SetText(bad);
            ui.ExpectMessageBox(winsys::mb::AnswerOk, "Bitmap name not valid");
            d.cmd_Load()->Press();
            EXPECT_TRUE(d.IsLoaded()) << bad;
        }
        d.B_End()->Press();
    });
    EXPECT_EQ(BitmapCount(), 0);
    EXPECT_EQ(OM_GetCount(DB_FileMap()), 1);  // "@Bitmap@" alone
}

TEST_F(ImportDialog, ADamagedFileIsReportedAndNotChosen)
{
    {
        QFile f(dir.path() + "/bad.bmp");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("BM this is no picture");
    }
    PlaceWith(0, 0, [this](NVOBMP& d) {
        ui.ExpectMessageBox(winsys::mb::AnswerOk, "Can't Load file: ");
        ChooseFile(d, Folder(), "bad.bmp");
        ui.ExpectMessageBox(winsys::mb::AnswerOk, "Select Bitmap File ");
        d.cmd_Load()->Press();
        EXPECT_TRUE(d.IsLoaded());
        d.B_End()->Press();
    });
    EXPECT_EQ(BitmapCount(), 0);
    EXPECT_EQ(OM_FindName(DB_FileMap(), "BM_BAD"), 0);
}

// Every file the design would refuse is refused when it is chosen, and the
// report names why after the path: a picture of another kind, one of more
// pixels than the kernel draws (from a file of a few bytes: a run-length
// coded picture that ends at once), a damaged one.
TEST_F(ImportDialog, ARefusedFileIsReportedWithItsReason)
{
    auto write = [&](const std::string& name, const QByteArray& bytes) {
        palvane_test::WriteBytes((dir.path() + "/").toStdString() + name, bytes.toStdString());
    };
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImage(8, 8, QImage::Format_RGB32).save(&buffer, "PNG");
    }
    auto endsAtOnce = [](int side) {
        return QByteArray::fromStdString(palvane_test::BmpHeaders(side, side, 8, 1, 2, {0x00FF0000}) +
                                         std::string("\0\1", 2));
    };
    write("photo.bmp", png);
    write("huge.bmp", endsAtOnce(30000));
    write("large.bmp", endsAtOnce(5600));
    write("bad.bmp", "BM this is no picture");
    const struct {
        const char* file;
        const char* says;
    } cases[] = {
        {"photo.bmp", "The file holds a PNG picture, not a BMP picture."},
        {"huge.bmp", "The picture is too large: 30000 x 30000 pixels; a picture may have at most 16777216 pixels "
                     "(64 MB decoded)."},
        {"large.bmp", "The picture is too large: 5600 x 5600 pixels; a picture may have at most 16777216 pixels "
                      "(64 MB decoded)."},
        {"bad.bmp", "The BMP file is damaged: it is too short for its headers."},
    };
    PlaceWith(0, 0, [&](NVOBMP& d) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.file);
            const std::string path = (dir.path() + "/").toStdString() + c.file;
            ui.ExpectMessageBox(winsys::mb::AnswerOk, "Can't Load file: " + path + "\r\n" + c.says);
            ChooseFile(d, Folder(), c.file);
            EXPECT_EQ(g_BmpSelection, " ");  // no choice
        }
        d.B_End()->Press();
    });
    EXPECT_EQ(BitmapCount(), 0);
    EXPECT_EQ(OM_GetCount(DB_FileMap()), 1);  // "@Bitmap@" alone
}

TEST_F(ImportDialog, ADriveThatCannotBeReadLeavesTheFolder)
{
    PlaceWith(0, 0, [this](NVOBMP& d) {
        const std::string before = d.Imp_Dir()->Path();
        d.Imp_Drive()->AddItem("/no/such/drive");
        ui.ExpectMessageBox(winsys::mb::AnswerOk, "Insert disk in drive /NO/SUCH/DRIVE");
        d.Imp_Drive()->SetText("/no/such/drive");
        EXPECT_EQ(d.Imp_Dir()->Path(), before);
        EXPECT_NE(d.Imp_Drive()->Text(), "/no/such/drive");
        d.B_End()->Press();
    });
    EXPECT_EQ(g_CurCommand, 0);
}

TEST_F(ImportDialog, DeleteUnusedKeepsEveryPlacedPicture)
{
    auto store = [&](const char* file, const char* name, bool allPages) {
        g_BmpNewName = name;
        g_BmpAllPages = allPages;
        std::string selection = MakeBmp(file, 2, 2);
        PlaceBitmap(selection, 0, 0);
    };
    store("a.bmp", "A", true);   // every page
    store("b.bmp", "B", false);  // this page
    store("c.bmp", "C", false);
    DeleteBitmapEntry(3);        // C is stored but placed nowhere
    ASSERT_NE(DB_SetCurPage(PageId("P2")), 0);
    store("d.bmp", "D", false);  // another page
    store("e.bmp", "E", false);
    DeleteBitmapEntry(4);
    g_BmpAllPages = false;
    PlaceWith(0, 0, [](NVOBMP& d) {
        EXPECT_EQ(d.BM_Count()->Caption(), "5 Item(s)");
        d.cmd_DelUnused()->Press();
        ASSERT_EQ(d.BM_BrowseList()->ListCount(), 3);
        EXPECT_EQ(d.BM_Count()->Caption(), "3 Item(s)");
        d.B_End()->Press();
    });
    for (const char* kept : {"BM_A", "BM_B", "BM_D"}) EXPECT_NE(OM_FindName(DB_FileMap(), kept), 0) << kept;
    for (const char* gone : {"BM_C", "BM_E"}) EXPECT_EQ(OM_FindName(DB_FileMap(), gone), 0) << gone;
    EXPECT_EQ(BitmapCount(), 3);
}

}  // namespace
