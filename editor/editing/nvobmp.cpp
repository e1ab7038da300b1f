#include "editor/editing/nvobmp.h"

#include "editor/editing/bitmaps.h"
#include "editor/editing/nvobmp_lists.h"
#include "editor/shell/controls.h"
#include "editor/shell/design_change.h"
#include "editor/shell/help.h"
#include "editor/shell/listbox.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/paths.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "editor/shell/textnum.h"
#include "editor/view/canvas.h"
#include "platform/winsys/interaction.h"
#include "platform/winsys/keyboard.h"
#include "platform/winsys/latin1.h"

#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QStorageInfo>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

class BitmapWindow : public QDialog {
public:
    explicit BitmapWindow(NVOBMP& form) : form_(form) {}
    // The close box and Esc close the dialog as Close does.
    void reject() override
    {
        RunEventProcedure([this] { form_.B_End_Click(); });
    }

private:
    NVOBMP& form_;
};

// The pictures stored in the design: (name after "BM_", object id).
std::vector<std::pair<std::string, int32_t>> StoredPictures()
{
    std::vector<std::pair<std::string, int32_t>> found;
    const int32_t map = DB_FileMap();
    const int32_t count = OM_GetCount(map);
    int32_t position = OM_GetFirst(map);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t id = OM_SearchMask(map, &position, 0, 0);
        if (id == 0) break;
        const std::string name = UCase(Trim(PtrToStr(O_GetName(F_File(id)))));
        if (name.compare(0, 3, "BM_") == 0) found.emplace_back(Trim(name.substr(3)), id);
    }
    return found;
}

void ShowMessage(const std::string& text)
{
    winsys::Ui().MessageBox(text, g_AppTitle, winsys::mb::OkOnly);
}

}  // namespace

std::string BitmapTempPath()
{
    return JoinPath(ResolveDir(g_SysDir, DirBase::UserData), "TEMP.BMP");
}

NVOBMP::NVOBMP() : Form("NVOBMP")
{
    KeyPreview = true;
}

std::unique_ptr<QWidget> NVOBMP::CreateWindow()
{
    auto window = std::make_unique<BitmapWindow>(*this);
    window->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    window->setWindowTitle("Norvo32 Import Bitmap");
    auto* grid = new QGridLayout(window.get());

    auto* files = new QVBoxLayout;
    drive_ = new ComboBox(window.get());
    dir_ = new DirListBox(window.get());
    file_ = new FileListBox(window.get());
    file_->SetPattern("*.bmp;*.dib");
    fileText_ = new Label("*.bmp,*.dib", window.get());
    nameEdit_ = new TextBox(window.get());
    files->addWidget(drive_);
    files->addWidget(dir_, 1);
    files->addWidget(file_, 1);
    files->addWidget(fileText_);
    files->addWidget(nameEdit_);
    grid->addLayout(files, 0, 0);

    browseFrame_ = new QGroupBox("Local Bitmap Library: ", window.get());
    auto* browse = new QVBoxLayout(browseFrame_);
    browseList_ = new ListBox(browseFrame_);
    count_ = new Label({}, browseFrame_);
    delUnused_ = new CommandButton("Delete Unused", browseFrame_);
    browse->addWidget(browseList_, 1);
    browse->addWidget(count_);
    browse->addWidget(delUnused_);
    grid->addWidget(browseFrame_, 0, 1);

    previewFrame_ = new QGroupBox("Bitmap Preview", window.get());
    auto* preview = new QVBoxLayout(previewFrame_);
    stretch_ = new CheckBox("Fit Image", previewFrame_);
    preview->addWidget(stretch_);
    // The two previews share one place: the file or clipboard picture lies
    // over the library picture, and only one of them has a picture.
    auto* place = new QWidget(previewFrame_);
    place->setFixedSize(220, 180);
    bmpPicture_ = new Canvas(place);
    bmpPicture_->setGeometry(0, 0, 220, 180);
    imageBox_ = new QLabel(place);
    imageBox_->setGeometry(0, 0, 220, 180);
    imageBox_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    preview->addWidget(place);
    preview->addStretch();
    grid->addWidget(previewFrame_, 0, 2);

    auto* buttons = new QHBoxLayout;
    load_ = new CommandButton("Load", window.get());
    loadClip_ = new CommandButton("Paste Clip", window.get());
    end_ = new CommandButton("Close", window.get());
    buttons->addStretch();
    buttons->addWidget(load_);
    buttons->addWidget(loadClip_);
    buttons->addWidget(end_);
    grid->addLayout(buttons, 1, 0, 1, 3);
    window->resize(700, 420);

    AddControl(drive_, "Imp_Drive");
    AddControl(dir_, "Imp_Dir");
    AddControl(file_, "Imp_File");
    AddControl(fileText_, "Imp_Text");
    AddControl(nameEdit_, "FileEdit_Text");
    AddControl(load_, "cmd_Load");
    AddControl(loadClip_, "cmd_LoadClip");
    AddControl(end_, "B_End");
    AddControl(browseFrame_, "BM_BrowseFrame");
    AddControl(browseList_, "BM_BrowseList");
    AddControl(count_, "BM_Count");
    AddControl(delUnused_, "cmd_DelUnused");
    AddControl(previewFrame_, "Frame3D1");
    AddControl(stretch_, "F_Stretch");
    AddControl(bmpPicture_, "BmpPicture");
    AddControl(imageBox_, "Imp_Image");

    drive_->Click.Connect([this] { Imp_Drive_Change(); });
    dir_->Change.Connect([this] { Imp_Dir_Change(); });
    file_->PathChange.Connect([this] { Imp_File_PathChange(); });
    file_->Click.Connect([this] { Imp_File_Click(); });
    browseList_->Click.Connect([this] { BM_BrowseList_Click(); });
    loadClip_->Click.Connect([this] { cmd_LoadClip_Click(); });
    stretch_->Click.Connect([this] { F_Stretch_Click(); });
    load_->Click.Connect([this] { cmd_Load_Click(); });
    delUnused_->Click.Connect([this] { cmd_DelUnused_Click(); });
    end_->Click.Connect([this] { B_End_Click(); });
    bmpPicture_->Paint.Connect([this] { ShowLibraryPicture(); });
    return window;
}

void NVOBMP::ForgetControls()
{
    drive_ = nullptr;
    dir_ = nullptr;
    file_ = nullptr;
    fileText_ = nullptr;
    nameEdit_ = nullptr;
    load_ = nullptr;
    loadClip_ = nullptr;
    end_ = nullptr;
    browseFrame_ = nullptr;
    browseList_ = nullptr;
    count_ = nullptr;
    delUnused_ = nullptr;
    previewFrame_ = nullptr;
    stretch_ = nullptr;
    bmpPicture_ = nullptr;
    imageBox_ = nullptr;
    image_ = QImage();
    libraryPicture_ = 0;
}

ComboBox* NVOBMP::Imp_Drive() { EnsureLoaded(); return drive_; }
DirListBox* NVOBMP::Imp_Dir() { EnsureLoaded(); return dir_; }
FileListBox* NVOBMP::Imp_File() { EnsureLoaded(); return file_; }
Label* NVOBMP::Imp_Text() { EnsureLoaded(); return fileText_; }
TextBox* NVOBMP::FileEdit_Text() { EnsureLoaded(); return nameEdit_; }
CommandButton* NVOBMP::cmd_Load() { EnsureLoaded(); return load_; }
CommandButton* NVOBMP::cmd_LoadClip() { EnsureLoaded(); return loadClip_; }
CommandButton* NVOBMP::B_End() { EnsureLoaded(); return end_; }
ListBox* NVOBMP::BM_BrowseList() { EnsureLoaded(); return browseList_; }
Label* NVOBMP::BM_Count() { EnsureLoaded(); return count_; }
CommandButton* NVOBMP::cmd_DelUnused() { EnsureLoaded(); return delUnused_; }
CheckBox* NVOBMP::F_Stretch() { EnsureLoaded(); return stretch_; }
Canvas* NVOBMP::BmpPicture() { EnsureLoaded(); return bmpPicture_; }
QLabel* NVOBMP::Imp_Image() { EnsureLoaded(); return imageBox_; }

void NVOBMP::Form_Load()
{
    accepted_ = false;
    LocalizeForm(*this);
    InitBitmapDialog();
}

void NVOBMP::Form_Unload(int&)
{
    // However the window goes without an accepted choice, nothing is placed.
    if (!accepted_) g_BmpDlgCancelled = true;
}

void NVOBMP::Form_KeyUp(int& KeyCode, int& Shift)
{
    if (KeyCode == winsys::vk::F1 && Shift == winsys::shiftmask::Ctrl) ShowFormHelp();
}

void NVOBMP::InitBitmapDialog()
{
    g_BmpDlgCancelled = false;
    // Nothing is chosen yet, whatever an earlier dialog left.
    g_BmpSelection.assign(1, ' ');
    FillDriveList();
    std::string start = ResolveDir(g_SysDir, DirBase::Data);
    if (!dir_->SetPath(start)) dir_->SetPath(HomeDir());
    if (dir_->Path().empty()) dir_->SetPath("/");
    // The file list follows the folder list, also when the folder shown
    // did not change.
    file_->SetPath(dir_->Path());
    g_BmpDir = dir_->Path();
    imageWidth_ = imageBox_->width();
    imageHeight_ = imageBox_->height();
    if (g_MainForm && g_MainForm->ViewPicture) bmpPicture_->SetBackColor(g_MainForm->ViewPicture->BackColor());
    nameEdit_->setVisible(false);
    g_BmpClipImage = false;
    FillBitmapLibrary();
}

void NVOBMP::FillDriveList()
{
    drive_->Clear();
    std::vector<std::string> roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady()) roots.push_back(FromQ(volume.rootPath()));
    }
    if (std::find(roots.begin(), roots.end(), "/") == roots.end()) roots.push_back("/");
    std::sort(roots.begin(), roots.end());
    roots.erase(std::unique(roots.begin(), roots.end()), roots.end());
    for (const std::string& root : roots) drive_->AddItem(root);
    // The drive shown is the volume that holds the start folder.
    const std::string start = ResolveDir(g_SysDir, DirBase::Data);
    int shown = 0;
    size_t longest = 0;
    for (int i = 0; i < drive_->ListCount(); ++i) {
        const std::string root = drive_->List(i);
        const bool holds = start == root || start.compare(0, root.size() + (root == "/" ? 0 : 1),
                                                          root == "/" ? root : root + "/") == 0;
        if (holds && root.size() >= longest) {
            longest = root.size();
            shown = i;
        }
    }
    shownDrive_ = drive_->List(shown);
    // Showing the start drive is no choice of the user's.
    const auto quiet = drive_->blockSignals(true);
    drive_->setCurrentIndex(shown);
    drive_->blockSignals(quiet);
}

void NVOBMP::FillBitmapLibrary()
{
    g_BmpFromLibrary = false;
    browseList_->Clear();
    for (const auto& picture : StoredPictures()) browseList_->AddItem(picture.first);
    count_->SetCaption(Trim(std::to_string(browseList_->ListCount())) + " " + GetMsgText("Item(s)", "99791"));
}

void NVOBMP::Imp_Drive_Change()
{
    const std::string drive = drive_->Text();
    if (drive == shownDrive_) return;
    if (!dir_->SetPath(drive)) {
        ReportBitmapError(68, UCase(drive));
        // The folder stays; so does the drive that holds it.
        for (int i = 0; i < drive_->ListCount(); ++i) {
            if (drive_->List(i) != shownDrive_) continue;
            const auto quiet = drive_->blockSignals(true);
            drive_->setCurrentIndex(i);
            drive_->blockSignals(quiet);
        }
        return;
    }
    shownDrive_ = drive;
}

void NVOBMP::Imp_Dir_Change()
{
    file_->SetPath(dir_->Path());
    g_BmpDir = dir_->Path();
}

void NVOBMP::Imp_File_PathChange()
{
    g_BmpDir = file_->Path();
}

void NVOBMP::Imp_File_Click()
{
    // The list emptied or nothing selected is no choice.
    if (file_->ListIndex() < 0) return;
    g_BmpFromLibrary = false;
    g_BmpClipImage = false;
    // A new choice takes back the refusal of an earlier one.
    g_BmpDlgCancelled = false;
    nameEdit_->setVisible(true);
    libraryPicture_ = 0;
    bmpPicture_->Cls();
    const std::string name = file_->FileName();
    fileText_->SetCaption(name);
    g_BmpSelection = JoinPath(g_BmpDir, name);
    // The file is checked as the import will check it, so that a picture
    // the design would refuse is no choice, and the report says why. A
    // file larger than an import takes is shown still: Load refuses it.
    QImage picture;
    std::string why;
    const QFileInfo info(ToQ(g_BmpSelection));
    if (info.isFile() && info.size() > BitmapMaxFileBytes) {
        QImageReader reader(ToQ(g_BmpSelection), "BMP");
        if (!reader.read(&picture)) why = BitmapFileTooLarge(info.size());
    } else {
        QByteArray bytes;
        why = ReadBitmapFile(g_BmpSelection, bytes);
        if (why.empty() && !picture.loadFromData(bytes, "BMP"))
            why = "The picture does not decode: its pixels are damaged.";
    }
    if (!why.empty()) {
        SetImagePicture(QImage());
        nameEdit_->SetText("");
        const std::string path = g_BmpSelection;
        // A file that does not load is no choice.
        g_BmpSelection.assign(1, ' ');
        ReportBitmapError(48, path + g_CrLf + why);
        return;
    }
    SetImagePicture(picture);
    nameEdit_->SetText(UCase(FileTitleOf(name)));
    g_BmpNewName = UCase(nameEdit_->Text());
}

void NVOBMP::BM_BrowseList_Click()
{
    if (browseList_->ListIndex() < 0) return;
    nameEdit_->setVisible(false);
    g_BmpFromLibrary = true;
    g_BmpClipImage = false;
    g_BmpDlgCancelled = false;
    SetImagePicture(QImage());
    g_BmpSelection = browseList_->Text();
    libraryPicture_ = OM_FindName(DB_FileMap(), ("BM_" + Trim(g_BmpSelection)).c_str());
    ShowLibraryPicture();
}

void NVOBMP::ShowLibraryPicture()
{
    if (!bmpPicture_) return;
    bmpPicture_->Cls();
    if (libraryPicture_ == 0) return;
    BitmapPlaceRec rec{};
    rec.Picture = libraryPicture_;
    rec.X = bmpPicture_->ClientSize().width();
    rec.Y = bmpPicture_->ClientSize().height();
    rec.Mode = -1;
    F_Seek(libraryPicture_, 0, 0);
    ShowDib(0, bmpPicture_->DeviceHandle(), &rec);
    bmpPicture_->update();
}

void NVOBMP::cmd_LoadClip_Click()
{
    nameEdit_->setVisible(true);
    nameEdit_->SetText(" ");
    nameEdit_->setFocus();
    libraryPicture_ = 0;
    bmpPicture_->Cls();
    g_BmpDlgCancelled = false;
    const QClipboard* clipboard = QGuiApplication::clipboard();
    SetImagePicture(clipboard ? clipboard->image() : QImage());
    if (image_.isNull()) {
        g_BmpClipImage = true;
        nameEdit_->setVisible(false);
        ShowMessage(GetMsgText("Image not found in the Clipboard.", "99761"));
        g_BmpSelection.assign(1, ' ');
        return;
    }
    nameEdit_->SetText("CLIP");
    g_BmpSelection = nameEdit_->Text();
    g_BmpFromLibrary = false;
    g_BmpClipImage = true;
}

void NVOBMP::SetImagePicture(const QImage& image)
{
    image_ = image;
    imageBox_->setPixmap(image.isNull() ? QPixmap() : QPixmap::fromImage(image));
}

void NVOBMP::F_Stretch_Click()
{
    imageBox_->setScaledContents(stretch_->Value() == 1);
    imageBox_->resize(imageWidth_, imageHeight_);
}

void NVOBMP::cmd_Load_Click()
{
    g_BmpNewName = nameEdit_->Text();
    if (g_BmpSelection == " " || Trim(g_BmpSelection).empty()) {
        ShowMessage(GetMsgText("Select Bitmap File ", "991170"));
        return;
    }
    // A new picture's name is its object's name: one rule for the file and
    // the clipboard, checked before anything is written.
    if (!g_BmpFromLibrary && !IsValidBitmapName(g_BmpNewName)) {
        ShowMessage("Bitmap name not valid: \"" + Trim(g_BmpNewName) + "\"");
        return;
    }
    if (g_BmpClipImage) {
        if (OM_FindName(DB_FileMap(), BitmapObjectName(g_BmpNewName).c_str()) != 0) {
            // The clipboard picture stays chosen for another name.
            ShowMessage(GetMsgText("File Already Exists", "99684"));
            return;
        }
        const std::string temp = BitmapTempPath();
        QDir().mkpath(QFileInfo(ToQ(temp)).absolutePath());
        if (!image_.save(ToQ(temp), "BMP")) {
            ReportBitmapError(48, temp);
            return;
        }
        g_BmpClipImage = false;
        g_BmpNewName = Trim(g_BmpNewName);
        g_BmpSelection = temp;
    }
    if (g_BmpFromLibrary) {
        Accept();
        return;
    }
    const QFileInfo info(ToQ(g_BmpSelection));
    if (!info.isFile()) {
        ReportBitmapError(76, GetMsgText("Select Bitmap File", "991170"));
        return;
    }
    if (info.size() > BitmapMaxFileBytes) {
        ReportBitmapError(65000, g_BmpSelection);
        g_BmpDlgCancelled = true;
        return;
    }
    Accept();
}

void NVOBMP::Accept()
{
    accepted_ = true;
    g_BmpDlgCancelled = false;
    Unload();
}

void NVOBMP::cmd_DelUnused_Click()
{
    // The unused pictures go together or none does: a refused step (a read
    // of the list too, which would make every picture look unused) puts
    // back those deleted, and the library shows the design as it is.
    {
        DesignChange change;
        LoadBitmapList();
        for (const auto& picture : StoredPictures()) {
            bool used = false;
            for (int32_t k = 1; k <= BitmapCount() && !used; ++k)
                used = g_BitmapList[static_cast<size_t>(k)].Picture == picture.second;
            if (!used) OM_Delete(DB_FileMap(), picture.second);
        }
        if (!change.Finish()) LoadBitmapList();
    }
    libraryPicture_ = 0;
    bmpPicture_->Cls();
    FillBitmapLibrary();
}

void NVOBMP::B_End_Click()
{
    g_BmpDlgCancelled = true;
    Unload();
}
