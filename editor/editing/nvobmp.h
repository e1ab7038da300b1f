// NVOBMP, the picture import dialog: the user picks a picture stored in the
// design, a BMP or DIB file, or the clipboard's picture, names a new
// picture, and may delete the stored pictures that no placement uses. The
// dialog places nothing: it leaves its choice in g_BmpSelection,
// g_BmpNewName, g_BmpFromLibrary and g_BmpDlgCancelled (bitmaps.h) for the
// bitmap mode, which then calls PlaceBitmap. Shown modally; it unloads
// when a choice is accepted or the dialog is closed (Close, the close box).
#pragma once

#include "editor/shell/forms.h"

#include <QImage>

#include <cstdint>
#include <string>

class Canvas;
class CheckBox;
class ComboBox;
class CommandButton;
class DirListBox;
class FileListBox;
class Label;
class ListBox;
class QGroupBox;
class QLabel;
class TextBox;

// The file a clipboard picture is written to before it is imported: TEMP.BMP
// in the system folder of the settings, resolved in the user's own folder
// (the installation's may not be writable).
std::string BitmapTempPath();

class NVOBMP : public Form {
public:
    NVOBMP();

    ComboBox* Imp_Drive();
    DirListBox* Imp_Dir();
    FileListBox* Imp_File();
    Label* Imp_Text();
    TextBox* FileEdit_Text();
    CommandButton* cmd_Load();
    CommandButton* cmd_LoadClip();
    CommandButton* B_End();
    ListBox* BM_BrowseList();
    Label* BM_Count();
    CommandButton* cmd_DelUnused();
    CheckBox* F_Stretch();
    Canvas* BmpPicture();
    QLabel* Imp_Image();

    void Imp_Drive_Change();
    void Imp_Dir_Change();
    void Imp_File_PathChange();
    void Imp_File_Click();
    void BM_BrowseList_Click();
    void cmd_LoadClip_Click();
    void F_Stretch_Click();
    void cmd_Load_Click();
    void cmd_DelUnused_Click();
    void B_End_Click();

    void InitBitmapDialog();
    void FillBitmapLibrary();

    // The picture Imp_Image shows (a file's or the clipboard's).
    const QImage& ImagePicture() const { return image_; }

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    void Form_Load() override;
    void Form_Unload(int& cancel) override;
    void Form_KeyUp(int& KeyCode, int& Shift) override;

private:
    void FillDriveList();
    void SetImagePicture(const QImage& image);
    void ShowLibraryPicture();
    // The choice is accepted: the form unloads and the bitmap mode places it.
    void Accept();

    ComboBox* drive_ = nullptr;
    DirListBox* dir_ = nullptr;
    FileListBox* file_ = nullptr;
    Label* fileText_ = nullptr;
    TextBox* nameEdit_ = nullptr;
    CommandButton* load_ = nullptr;
    CommandButton* loadClip_ = nullptr;
    CommandButton* end_ = nullptr;
    QGroupBox* browseFrame_ = nullptr;
    ListBox* browseList_ = nullptr;
    Label* count_ = nullptr;
    CommandButton* delUnused_ = nullptr;
    QGroupBox* previewFrame_ = nullptr;
    CheckBox* stretch_ = nullptr;
    Canvas* bmpPicture_ = nullptr;
    QLabel* imageBox_ = nullptr;

    QImage image_;
    // The stored picture the library preview shows; 0 none.
    int32_t libraryPicture_ = 0;
    // Imp_Image's size as designed.
    int imageWidth_ = 0;
    int imageHeight_ = 0;
    // The drive shown, to go back to when another cannot be read.
    std::string shownDrive_;
    bool accepted_ = false;
};
