#include "editor/editing/bitmaps.h"

#include "editor/shell/design_change.h"
#include "editor/shell/errors.h"
#include "editor/shell/forms.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/schmain.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/settings.h"
#include "editor/shell/textfiles.h"
#include "editor/shell/textnum.h"
#include "editor/view/canvas.h"
#include "platform/winsys/interaction.h"
#include "platform/winsys/latin1.h"

#include <QFile>

#include <cctype>
#include <cstring>

std::vector<BitmapPlaceRec> g_BitmapList(1);
int32_t g_BitmapFile = 0;
int32_t g_CurBitmap = 0;
std::string g_BmpSelection;
std::string g_BmpNewName;
bool g_BmpFromLibrary = false;
bool g_BmpAllPages = false;
std::string g_BmpDir;
bool g_BmpClipImage = false;
bool g_BmpDlgCancelled = false;

namespace {

// The list is read from the design's file object: a put-back may have
// changed that, so it is read again.
const bool g_listReadAfterPutBack = [] {
    AddDesignPutBackListener([] {
        g_CurBitmap = 0;
        LoadBitmapList();
    });
    return true;
}();

}  // namespace

namespace {

const char* const ListName = "@Bitmap@";
// A picture being imported lives under this name until its bytes have been
// checked; a failed import deletes it again.
const char* const StagingName = "@BMStage@";

void PutLong(std::string& bytes, int32_t value)
{
    const auto u = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
}

int32_t GetLong(const unsigned char* bytes)
{
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    return static_cast<int32_t>(u);
}

std::string RecordBytes(const BitmapPlaceRec& rec)
{
    std::string bytes;
    PutLong(bytes, rec.Picture);
    PutLong(bytes, rec.X);
    PutLong(bytes, rec.Y);
    PutLong(bytes, rec.Page);
    PutLong(bytes, rec.Hier);
    PutLong(bytes, rec.Mode);
    for (int32_t reserved : rec.Reserved) PutLong(bytes, reserved);
    return bytes;
}

BitmapPlaceRec RecordFrom(const unsigned char* bytes)
{
    BitmapPlaceRec rec{};
    rec.Picture = GetLong(bytes);
    rec.X = GetLong(bytes + 4);
    rec.Y = GetLong(bytes + 8);
    rec.Page = GetLong(bytes + 12);
    rec.Hier = GetLong(bytes + 16);
    rec.Mode = GetLong(bytes + 20);
    for (int i = 0; i < 7; ++i) rec.Reserved[i] = GetLong(bytes + 24 + 4 * i);
    return rec;
}

bool ValidIndex(int32_t k)
{
    return k >= 1 && k <= BitmapCount();
}

int32_t Scaled(int32_t pixels, double divisor)
{
    return ToLong(static_cast<double>(pixels) * g_DbUnitsPerMm / divisor);
}

void ShowLine(const std::string& text)
{
    if (g_MainForm && g_MainForm->IsLoaded()) g_MainForm->ShowMessage(text);
}

// A reason as the message shows it: a sentence.
std::string Sentence(std::string text)
{
    if (text.empty()) return text;
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    if (text.back() != '.') text += '.';
    return text;
}

// Ends an edit of the stored list: what it changed stays unless a step
// failed; then it goes back (and the action with it) and the list in memory
// is read again as the design holds it. True when kept.
bool EndListEdit(DesignChange& change)
{
    if (change.Finish()) return true;
    LoadBitmapList();
    return false;
}

}  // namespace

int32_t BitmapCount()
{
    return static_cast<int32_t>(g_BitmapList.size()) - 1;
}

void OpenBitmapStore()
{
    g_CurBitmap = 0;
    g_BitmapFile = OM_FindName(DB_FileMap(), ListName);
    if (g_BitmapFile == 0) {
        g_BitmapFile = F_CreateFile(0, ListName);
        g_BitmapList.assign(1, BitmapPlaceRec{});
        return;
    }
    LoadBitmapList();
}

void LoadBitmapList()
{
    g_BitmapList.assign(1, BitmapPlaceRec{});
    g_BitmapFile = OM_FindName(DB_FileMap(), ListName);
    const int32_t length = g_BitmapFile ? F_GetLength(g_BitmapFile) : 0;
    if (length <= 0) return;
    std::string bytes(static_cast<size_t>(length), '\0');
    // Reading changes nothing of the design: the object's position is put
    // back where it was.
    const int32_t position = F_Seek(g_BitmapFile, 0, 1);
    F_Seek(g_BitmapFile, 0, 0);
    const int32_t got = F_Read(g_BitmapFile, bytes.data(), length);
    if (position >= 0) F_Seek(g_BitmapFile, position, 0);
    const int32_t whole = got / BitmapRecordBytes;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (int32_t k = 0; k < whole; ++k) g_BitmapList.push_back(RecordFrom(data + k * BitmapRecordBytes));
    if (got != length || length % BitmapRecordBytes != 0)
        ShowLine(std::string("Bitmap list damaged: incomplete record ignored"));
}

bool SaveBitmapList()
{
    std::string bytes;
    for (int32_t k = 1; k <= BitmapCount(); ++k) bytes += RecordBytes(g_BitmapList[static_cast<size_t>(k)]);
    int32_t status = 1;
    WriteFileObject(status, ListName, bytes);
    if (status != 0) {
        // The stored list is as it was; memory follows it again.
        LoadBitmapList();
        return false;
    }
    g_BitmapFile = OM_FindName(DB_FileMap(), ListName);
    return true;
}

bool IsBitmapShown(int32_t k)
{
    if (!ValidIndex(k)) return false;
    const BitmapPlaceRec& rec = g_BitmapList[static_cast<size_t>(k)];
    return rec.Hier == DB_CurHier() && rec.Mode == 0 && (rec.Page == DB_CurPage() || rec.Page == 0);
}

std::string FileTitleOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    std::string title = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t point = title.find('.');
    if (point != std::string::npos) title.resize(point);
    return title;
}

bool IsValidBitmapName(const std::string& name)
{
    const std::string trimmed = Trim(name);
    return !trimmed.empty() && trimmed.find_first_of("\\/.") == std::string::npos;
}

std::string BitmapObjectName(const std::string& name)
{
    return "BM_" + UCase(Trim(name));
}

std::string BitmapFileTooLarge(int64_t size)
{
    return "The file is too large: " + std::to_string(size) + " bytes; a picture file may have at most " +
           std::to_string(BitmapMaxFileBytes) + " bytes.";
}

std::string ReadBitmapFile(const std::string& path, QByteArray& bytes)
{
    bytes.clear();
    QFile file(ToQ(path));
    if (!file.open(QIODevice::ReadOnly)) return Sentence("the file cannot be read: " + FromQ(file.errorString()));
    if (file.size() > BitmapMaxFileBytes) return BitmapFileTooLarge(file.size());
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || bytes.size() != file.size()) {
        bytes.clear();
        return Sentence("the file cannot be read: " + FromQ(file.errorString()));
    }
    // The kernel's own check, the one every use of the picture passes.
    int32_t w = 0, h = 0;
    if (GetBmpDimOfBytes(bytes.constData(), static_cast<int32_t>(bytes.size()), &w, &h) != 1)
        return Sentence(PtrToStr(E_LastError()));
    return {};
}

int32_t ImportBitmapFile(const std::string& path)
{
    const std::string name = BitmapObjectName(FileTitleOf(g_BmpNewName));
    g_BmpNewName.clear();
    QByteArray bytes;
    std::string why = ReadBitmapFile(path, bytes);
    int32_t id = 0;
    if (why.empty()) {
        if (const int32_t old = OM_FindName(DB_FileMap(), StagingName)) OM_Delete(DB_FileMap(), old);
        id = F_CreateFile(0, StagingName);
        int32_t w = 0, h = 0;
        const bool ok = id != 0 && F_Write(id, bytes.constData(), static_cast<int32_t>(bytes.size())) == bytes.size() &&
                        F_Seek(id, 0, 0) >= 0 && GetBmpDim(id, &w, &h) == 1 && w > 0 && h > 0 &&
                        O_Rename(F_File(id), name.c_str()) != 0;
        if (!ok) why = Sentence("the design did not take the picture: " + PtrToStr(E_LastError()));
    }
    if (!why.empty()) {
        if (id != 0) OM_Delete(DB_FileMap(), id);
        ReportBitmapError(48, path + g_CrLf + why);
        return 0;
    }
    F_Seek(id, 0, 0);
    return id;
}

void PlaceBitmap(std::string& selection, int32_t x, int32_t y)
{
    SetScreenMousePointer(mousepointer::Hourglass);
    auto pointer = OnExit([] { SetScreenMousePointer(mousepointer::Default); });
    g_CurBitmap = 0;
    // The imported picture and the entry are one edit: a refused step puts
    // back both, and no entry is current.
    DesignChange change;
    const int32_t page = g_BmpAllPages ? 0 : DB_CurPage();
    int32_t id = 0;
    if (g_BmpFromLibrary) {
        selection = "BM_" + Trim(selection);
        id = OM_FindName(DB_FileMap(), selection.c_str());
    } else {
        const std::string name = BitmapObjectName(FileTitleOf(g_BmpNewName));
        id = OM_FindName(DB_FileMap(), name.c_str());
        if (id == 0) id = ImportBitmapFile(selection);
    }
    // The picture comes first: without it no entry is made.
    if (id == 0) {
        EndListEdit(change);
        return;
    }
    BitmapPlaceRec rec{};
    rec.Picture = id;
    rec.X = x;
    rec.Y = y;
    rec.Page = page;
    rec.Hier = DB_CurHier();
    rec.Mode = 0;
    for (int32_t& reserved : rec.Reserved) reserved = -1;
    g_BitmapList.push_back(rec);
    const bool saved = SaveBitmapList();
    if (EndListEdit(change) && saved) g_CurBitmap = BitmapCount();
}

bool RemoveBitmapEntry(int32_t k)
{
    if (!ValidIndex(k)) return false;
    for (int32_t i = k; i < BitmapCount(); ++i)
        g_BitmapList[static_cast<size_t>(i)] = g_BitmapList[static_cast<size_t>(i) + 1];
    return true;
}

void DeleteBitmapEntry(int32_t k)
{
    DesignChange change;
    if (RemoveBitmapEntry(k)) {
        g_BitmapList.pop_back();
        SaveBitmapList();
    }
    EndListEdit(change);
    g_CurBitmap = 0;
}

void MoveBitmapEntry(int32_t k, int32_t x, int32_t y)
{
    if (!ValidIndex(k)) return;
    DesignChange change;
    BitmapPlaceRec moved = g_BitmapList[static_cast<size_t>(k)];
    RemoveBitmapEntry(k);
    moved.X = x;
    moved.Y = y;
    g_BitmapList.back() = moved;
    SaveBitmapList();
    EndListEdit(change);
}

void RemovePageBitmaps(int32_t page)
{
    DesignChange change;
    LoadBitmapList();
    const int32_t hier = DB_CurHier();
    for (int32_t k = BitmapCount(); k >= 1; --k) {
        const BitmapPlaceRec& rec = g_BitmapList[static_cast<size_t>(k)];
        if (rec.Page == page && rec.Hier == hier) {
            RemoveBitmapEntry(k);
            g_BitmapList.pop_back();
        }
    }
    SaveBitmapList();
    EndListEdit(change);
    g_CurBitmap = 0;
}

void BitmapSize(int32_t picture, int32_t& width, int32_t& height)
{
    int32_t w = 0, h = 0;
    F_Seek(picture, 0, 0);
    GetBmpDim(picture, &w, &h);
    width = Scaled(w, 4.0);
    height = Scaled(h, 4.0);
}

void FindBitmapAtPoint(int32_t x, int32_t y)
{
    g_CurBitmap = 0;
    for (int32_t k = BitmapCount(); k >= 1; --k) {
        if (!IsBitmapShown(k)) continue;
        const BitmapPlaceRec& rec = g_BitmapList[static_cast<size_t>(k)];
        int32_t w = 0, h = 0;
        BitmapSize(rec.Picture, w, h);
        const int64_t bottom = static_cast<int64_t>(rec.Y) - h;
        const int64_t right = static_cast<int64_t>(rec.X) + w;
        if (bottom < INT32_MIN || right > INT32_MAX) continue;
        if (DB_CoverRectangle(x, y, 50800, rec.X, static_cast<int32_t>(bottom), static_cast<int32_t>(right), rec.Y) == 1) {
            g_CurBitmap = k;
            return;
        }
    }
}

void DrawBitmapsOnDevice(int32_t device, int32_t skip)
{
    for (int32_t k = 1; k <= BitmapCount(); ++k) {
        if (k == skip || !IsBitmapShown(k)) continue;
        const BitmapPlaceRec rec = g_BitmapList[static_cast<size_t>(k)];
        F_Seek(rec.Picture, 0, 0);
        ShowDib(0, device, &rec);
    }
}

void DrawBitmapsToDC(int32_t device)
{
    DrawBitmapsOnDevice(device, 0);
}

void SCHMAIN::DrawPageBitmaps()
{
    if (!ViewPicture) return;
    DrawBitmapsOnDevice(ViewPicture->DeviceHandle(), g_CurBitmap);
}

void DrawBitmapFrame(int32_t k)
{
    if (!ValidIndex(k)) return;
    const BitmapPlaceRec& rec = g_BitmapList[static_cast<size_t>(k)];
    G_SetDrawMode(2);
    G_SetStyle(16);
    int32_t w = 0, h = 0;
    F_Seek(rec.Picture, 0, 0);
    GetBmpDim(rec.Picture, &w, &h);
    G_Rectangle(rec.X, rec.Y, Scaled(w, 3.9), -Scaled(h, 3.9), 0);
}

void ReportBitmapError(int32_t code, const std::string& detail)
{
    auto& ui = winsys::Ui();
    switch (code) {
    case 48:
        ui.MessageBox(GetMsgText("Can't Load file: ", "99354") + detail, ErrorDescription(48), winsys::mb::Exclamation);
        break;
    case 68:
        ui.MessageBox(GetMsgText("Insert disk in drive", "99778") + " " + detail, ErrorDescription(68), winsys::mb::OkOnly);
        break;
    case 76:
        ui.MessageBox(detail, g_AppTitle, winsys::mb::OkOnly);
        break;
    case 65000:
        ui.MessageBox(GetMsgText("Sorry! bitmap size greater 4Mb", "991240"), detail, winsys::mb::OkOnly);
        break;
    default:
        break;
    }
}
