// Pictures on the page (NORVOBMP): the placement list "@Bitmap@" of 52-byte
// records, the picture objects "BM_<NAME>" holding the bytes of BMP files,
// and the operations on them: load and save the list, import a picture,
// place, move, delete, hit-test and draw the placements. Each edit of the
// list is whole: a refused step puts it back, and the list in memory is read
// again from the design as it then is.
#pragma once

#include "platform/kernel/functions_draw.h"

#include <QByteArray>

#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t BitmapRecordBytes = 52;
constexpr int64_t BitmapMaxFileBytes = 4194304;

// The placement list; index 0 is never used, 1 .. n are the stored records
// in order (the last one is drawn on top).
extern std::vector<BitmapPlaceRec> g_BitmapList;
extern int32_t g_BitmapFile;   // id of "@Bitmap@"
extern int32_t g_CurBitmap;    // current entry, 0 = none
// The choice of the import dialog and the option panel.
extern std::string g_BmpSelection;
extern std::string g_BmpNewName;
extern bool g_BmpFromLibrary;
extern bool g_BmpAllPages;
extern std::string g_BmpDir;
extern bool g_BmpClipImage;
extern bool g_BmpDlgCancelled;

int32_t BitmapCount();

// Finds or makes "@Bitmap@" and loads the list (start-up and "UP": the list
// belongs to the current hierarchy level, as its file objects do).
void OpenBitmapStore();
// Reads the whole records of "@Bitmap@"; a length that is no multiple of 52
// is reported in the message line and its tail ignored. The object's
// position stays where it was.
void LoadBitmapList();
// Writes the list to "@Bitmap@" as one replacement; false when the store
// refused it, and then the list in memory is read back from the object as
// it still is.
bool SaveBitmapList();

bool IsBitmapShown(int32_t k);
// The text after the last "\" or "/", cut before its first point.
std::string FileTitleOf(const std::string& path);
// A picture name: not blank, without "\", "/" or ".".
bool IsValidBitmapName(const std::string& name);
// The file object name of a picture name: "BM_" + trimmed upper case.
std::string BitmapObjectName(const std::string& name);

// Reads the picture file at `path` into `bytes` and checks it as the
// kernel checks every picture. "" when the design takes it; else why not,
// as a sentence for the report (the file cannot be read, it is larger than
// BitmapMaxFileBytes, it is no BMP picture, it is too large to decode, ...),
// and `bytes` empty.
std::string ReadBitmapFile(const std::string& path, QByteArray& bytes);
// The reason a file larger than BitmapMaxFileBytes is refused.
std::string BitmapFileTooLarge(int64_t size);

// Imports the BMP file at `path` as the picture g_BmpNewName: the bytes are
// checked as a picture before the object gets its name. Returns the new
// object's id; 0 (reported with code 48 and the reason after the path,
// nothing left behind) on failure.
int32_t ImportBitmapFile(const std::string& path);
// Appends an entry for the chosen picture at (x, y) and makes it current;
// nothing (g_CurBitmap 0) when the picture cannot be had or stored.
void PlaceBitmap(std::string& selection, int32_t x, int32_t y);
// Removes entry k from memory (the list keeps its size); false when k is
// not in 1 .. n.
bool RemoveBitmapEntry(int32_t k);
void DeleteBitmapEntry(int32_t k);
void MoveBitmapEntry(int32_t k, int32_t x, int32_t y);
// Removes the placements on `page` of the current level.
void RemovePageBitmaps(int32_t page);
void FindBitmapAtPoint(int32_t x, int32_t y);
// Draws every shown entry on `device` (a printer page), in list order.
void DrawBitmapsToDC(int32_t device);
// Draws the shown entries except `skip` on `device` (the canvas paint).
void DrawBitmapsOnDevice(int32_t device, int32_t skip);
void DrawBitmapFrame(int32_t k);
// The picture's size on the page, database units (0.25 mm a pixel).
void BitmapSize(int32_t picture, int32_t& width, int32_t& height);
void ReportBitmapError(int32_t code, const std::string& detail);
