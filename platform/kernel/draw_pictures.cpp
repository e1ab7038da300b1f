// Pictures kept as file objects: BMP files, their size, drawing them at a
// placement or fitted into a box, and the frame of a page's pictures.
//
// The bytes come from outside (imported files), so the header is checked
// completely before Qt's BMP reader sees them: a damaged or hostile picture,
// or one too large to decode (KernelMaxPictureBytes), fails cleanly and
// draws nothing.
//
// Decoding is the dear part of drawing a picture, so a decoded picture is
// kept for the next paint until its bytes change, its file object goes or
// the design is replaced, and file objects holding the same bytes share
// it. A picture with a palette is kept at its own depth (8 bits a pixel at
// most), so many pictures fit; all kept pictures together stay within
// kKeptPictureBytes, the least recently drawn going first.
#include "platform/kernel/draw_raster.h"

#include "platform/kernel/image_store.h"

#include "platform/kernel/database.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "platform/winsys/devices.h"

#include <QImage>

#include <algorithm>
#include <list>
#include <string>
#include <vector>
#include <cmath>
#include <cstring>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace kernel::draw {

namespace {

// A picture pixel on the page: 0.25 mm.
constexpr double kPicturePixel = 25000.0;
constexpr int32_t kMaxSide = 32768;
constexpr size_t kPicturePlaceBytes = 52;
// The decoded pictures kept for drawing: two at the size limit drawn from
// 32 bits a pixel, eight at it with a palette (8 bits a pixel).
constexpr int64_t kKeptPictureBytes = 2 * KernelMaxPictureBytes;

uint32_t U32(std::string_view d, size_t at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(d[at + static_cast<size_t>(i)]);
    return v;
}

uint16_t U16(std::string_view d, size_t at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(d[at]) | (static_cast<uint8_t>(d[at + 1]) << 8));
}

struct BmpSize {
    int32_t width = 0, height = 0;
};

// What the first bytes of a file that is no BMP say it is ("" when they
// say nothing known).
std::string KindOfOtherFile(std::string_view d)
{
    using namespace std::string_view_literals;
    if (d.starts_with("\x89PNG\r\n\x1a\n"sv)) return "a PNG picture";
    if (d.starts_with("\xff\xd8\xff"sv)) return "a JPEG picture";
    if (d.starts_with("GIF8"sv)) return "a GIF picture";
    if (d.starts_with("II*\0"sv) || d.starts_with("MM\0*"sv)) return "a TIFF picture";
    if (d.starts_with("RIFF"sv) && d.substr(8).starts_with("WEBP"sv)) return "a WebP picture";
    return {};
}

// The size of a BMP file after checking everything its header claims; on
// a refusal `why` (when given) says what is wrong.
std::optional<BmpSize> CheckBmp(std::string_view d, std::string* why = nullptr)
{
    auto refuse = [why](std::string text) -> std::optional<BmpSize> {
        if (why) *why = std::move(text);
        return std::nullopt;
    };
    constexpr size_t kFileHeader = 14;
    if (d.size() < 2 || d[0] != 'B' || d[1] != 'M') {
        const std::string kind = KindOfOtherFile(d);
        return refuse(kind.empty() ? "the file is not a BMP picture (it does not start with \"BM\")"
                                   : "the file holds " + kind + ", not a BMP picture");
    }
    if (d.size() < kFileHeader + 12) return refuse("the BMP file is damaged: it is too short for its headers");
    const uint64_t pixelOffset = U32(d, 10);
    const uint32_t infoSize = U32(d, 14);
    if (infoSize != 12 && infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 108 && infoSize != 124)
        return refuse("the BMP file is damaged or of an unknown kind: an information header of " +
                      std::to_string(infoSize) + " bytes");
    if (kFileHeader + infoSize > d.size()) return refuse("the BMP file is damaged: it is too short for its headers");
    int64_t width, height;
    uint32_t planes, bits, compression = 0, colours = 0;
    if (infoSize == 12) {
        width = U16(d, 18);
        height = U16(d, 20);
        planes = U16(d, 22);
        bits = U16(d, 24);
    } else {
        width = static_cast<int32_t>(U32(d, 18));
        height = static_cast<int32_t>(U32(d, 22));
        planes = U16(d, 26);
        bits = U16(d, 28);
        compression = U32(d, 30);
        colours = U32(d, 46);
    }
    const int64_t rows = height < 0 ? -height : height;
    const std::string size = std::to_string(width) + " x " + std::to_string(rows) + " pixels";
    if (width < 1 || rows < 1) return refuse("the BMP file is damaged: its picture is " + size);
    if (width > kMaxSide || rows > kMaxSide)
        return refuse("the picture is too large: " + size + "; a side may have at most " + std::to_string(kMaxSide) +
                      " pixels");
    // What it would take drawn, whatever its depth or coding.
    if (width * rows * KernelPictureBytesPerPixel > KernelMaxPictureBytes)
        return refuse("the picture is too large: " + size + "; a picture may have at most " +
                      std::to_string(KernelMaxPictureBytes / KernelPictureBytesPerPixel) + " pixels (" +
                      std::to_string(KernelMaxPictureBytes >> 20) + " MB decoded)");
    if (planes != 1)
        return refuse("the BMP file is damaged: " + std::to_string(planes) + " colour planes (a BMP picture has one)");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return refuse("the BMP file is damaged: " + std::to_string(bits) +
                      " bits a pixel (a BMP picture has 1, 4, 8, 16, 24 or 32)");
    // None, RLE8 (8 bits), RLE4 (4 bits), bit fields (16 or 32 bits).
    const bool rle = compression == 1 || compression == 2;
    if (compression > 3)
        return refuse("the BMP picture is stored in a coding not read here (compression " +
                      std::to_string(compression) + "; uncoded, run-length and bit-field pictures are read)");
    if ((compression == 1 && bits != 8) || (compression == 2 && bits != 4) ||
        (compression == 3 && bits != 16 && bits != 32))
        return refuse("the BMP file is damaged: compression " + std::to_string(compression) + " with " +
                      std::to_string(bits) + " bits a pixel");
    if (rle && height < 0) return refuse("the BMP file is damaged: a run-length coded picture stored top down");
    if (bits <= 8 && colours > (1u << bits))
        return refuse("the BMP file is damaged: a palette of " + std::to_string(colours) + " colours for " +
                      std::to_string(bits) + " bits a pixel");
    if (pixelOffset < kFileHeader + infoSize || pixelOffset >= d.size())
        return refuse("the BMP file is damaged: its pixels would start outside the file");
    if (!rle) {
        const uint64_t rowBytes = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
        if (pixelOffset + rowBytes * static_cast<uint64_t>(rows) > d.size())
            return refuse("the BMP file is truncated: its pixels take " +
                          std::to_string(rowBytes * static_cast<uint64_t>(rows)) + " bytes, it holds " +
                          std::to_string(d.size() - pixelOffset));
    }
    return BmpSize{static_cast<int32_t>(width), static_cast<int32_t>(rows)};
}

const FileObject* FindFile(int32_t id)
{
    Level* level = CurLevel();
    return level && id > 0 ? level->files.FindAs<FileObject>(id) : nullptr;
}

// The bytes of a file object from its position (or from its start).
std::string_view Bytes(const FileObject& file, bool fromPosition)
{
    std::string_view d(file.data);
    if (!fromPosition) return d;
    const size_t at = static_cast<size_t>(std::clamp<int64_t>(file.position, 0, static_cast<int64_t>(d.size())));
    return d.substr(at);
}

uint64_t g_picturesDecoded = 0;

// The picture decoded, null when it fails a check or does not decode to the
// size its header gives. A picture with a palette stays at the depth Qt's
// BMP reader gives it (8 bits a pixel for 4- and 8-bit pictures, 1 bit for
// two-colour ones): the part drawn is made 32-bit when it is drawn
// (DrawPicture). Any other is kept 32-bit, ready to draw (premultiplied
// when it has alpha).
QImage Decode(std::string_view d)
{
    const std::optional<BmpSize> size = CheckBmp(d);
    if (!size) return {};
    ++g_picturesDecoded;
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(d.data()), static_cast<int>(d.size()), "BMP")) return {};
    if (image.width() != size->width || image.height() != size->height) return {};
    if (image.format() == QImage::Format_Indexed8 || image.format() == QImage::Format_Mono ||
        image.format() == QImage::Format_MonoLSB)
        return image;
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                         : QImage::Format_RGB32);
}

// ---- Decoded pictures kept for drawing --------------------------------------------------
//
// A decoded picture is kept by its bytes: file objects holding the same
// bytes (from their positions) share it. Each file object links to the
// picture it was last drawn from, with the position it was read from; a
// change of its bytes drops the link (DropDecodedPicture), and a picture
// goes with its last link.

struct KeptPicture {
    QImage image;  // null: the bytes did not decode
    size_t hash = 0;
    uint64_t lastDrawn = 0;
    std::vector<const FileObject*> users;
};

struct FileLink {
    int64_t from = 0;  // the file position the bytes were read from
    KeptPicture* picture = nullptr;
};

struct KeptPictures {
    std::list<KeptPicture> pictures;
    std::unordered_multimap<size_t, KeptPicture*> byHash;
    std::unordered_map<const FileObject*, FileLink> byFile;
    int64_t bytes = 0;
    uint64_t clock = 0;
};

// Made on first use and never destroyed, so that file objects ending at
// exit may still drop theirs.
KeptPictures* g_kept = nullptr;
int64_t g_keptLimit = kKeptPictureBytes;

int64_t BytesOf(const QImage& image)
{
    return static_cast<int64_t>(image.sizeInBytes());
}

void Forget(KeptPictures& kept, KeptPicture* picture)
{
    for (const FileObject* user : picture->users) kept.byFile.erase(user);
    const auto [first, last] = kept.byHash.equal_range(picture->hash);
    for (auto it = first; it != last; ++it)
        if (it->second == picture) {
            kept.byHash.erase(it);
            break;
        }
    kept.bytes -= BytesOf(picture->image);
    kept.pictures.remove_if([picture](const KeptPicture& p) { return &p == picture; });
}

// Drops the link of the file object; its picture goes with its last link.
void Unlink(KeptPictures& kept, const FileObject& file)
{
    const auto it = kept.byFile.find(&file);
    if (it == kept.byFile.end()) return;
    KeptPicture* picture = it->second.picture;
    kept.byFile.erase(it);
    std::erase(picture->users, &file);
    if (picture->users.empty()) Forget(kept, picture);
}

// Drops the least recently drawn pictures until the rest take at most
// `bytes`.
void KeepWithin(KeptPictures& kept, int64_t bytes)
{
    while (kept.bytes > bytes && !kept.pictures.empty()) {
        const auto oldest = std::min_element(kept.pictures.begin(), kept.pictures.end(),
                                             [](const auto& a, const auto& b) { return a.lastDrawn < b.lastDrawn; });
        Forget(kept, &*oldest);
    }
}

// The bytes a kept picture was decoded from: those of a file object
// linked to it, from the position they were read from (a change of a file
// object's bytes drops its link, so they are the same still).
std::string_view SourceOf(const KeptPictures& kept, const KeptPicture& picture)
{
    const FileObject* user = picture.users.front();
    const std::string_view d(user->data);
    const auto from = static_cast<size_t>(kept.byFile.at(user).from);
    return from <= d.size() ? d.substr(from) : std::string_view();
}

// The picture of the file object from its position: the kept one when it
// was decoded from there, or from the same bytes for another file object;
// else decoded now and kept.
QImage DecodedPicture(const FileObject& file)
{
    if (!g_kept) g_kept = new KeptPictures;
    KeptPictures& kept = *g_kept;
    const std::string_view d = Bytes(file, true);
    const auto from = static_cast<int64_t>(file.data.size() - d.size());
    if (const auto it = kept.byFile.find(&file); it != kept.byFile.end()) {
        if (it->second.from == from) {
            it->second.picture->lastDrawn = ++kept.clock;
            return it->second.picture->image;
        }
        Unlink(kept, file);
    }
    const size_t hash = std::hash<std::string_view>{}(d);
    const auto [first, last] = kept.byHash.equal_range(hash);
    for (auto it = first; it != last; ++it) {
        KeptPicture* picture = it->second;
        if (SourceOf(kept, *picture) != d) continue;
        picture->users.push_back(&file);
        kept.byFile[&file] = FileLink{from, picture};
        picture->lastDrawn = ++kept.clock;
        return picture->image;
    }
    QImage image = Decode(d);
    const int64_t bytes = BytesOf(image);
    if (bytes > g_keptLimit) return image;
    KeepWithin(kept, g_keptLimit - bytes);
    KeptPicture& picture = kept.pictures.emplace_back();
    picture.image = image;
    picture.hash = hash;
    picture.lastDrawn = ++kept.clock;
    picture.users.push_back(&file);
    kept.byHash.emplace(hash, &picture);
    kept.byFile[&file] = FileLink{from, &picture};
    kept.bytes += bytes;
    return image;
}

// One record of the placement list: where a picture shows.
struct PicturePlace {
    int32_t picture, x, y, page, hier, mode;
};

PicturePlace ReadPlace(std::string_view d, size_t at)
{
    int32_t v[6];
    for (int i = 0; i < 6; ++i) v[i] = static_cast<int32_t>(U32(d, at + static_cast<size_t>(i) * 4));
    return PicturePlace{v[0], v[1], v[2], v[3], v[4], v[5]};
}

}  // namespace

}  // namespace kernel::draw

namespace kernel {

void DropDecodedPicture(const FileObject& file) noexcept
{
    if (draw::g_kept) draw::Unlink(*draw::g_kept, file);
}

void DropDecodedPictures() noexcept
{
    using draw::g_kept;
    if (!g_kept) return;
    g_kept->byFile.clear();
    g_kept->byHash.clear();
    g_kept->pictures.clear();
    g_kept->bytes = 0;
}

}  // namespace kernel

using namespace kernel;
using namespace kernel::draw;

uint64_t KT_PicturesDecoded() noexcept
{
    return g_picturesDecoded;
}

uint64_t KT_PictureBytesKept() noexcept
{
    return g_kept ? static_cast<uint64_t>(g_kept->bytes) : 0;
}

void KT_LimitPictureBytesKept(int64_t bytes) noexcept
{
    g_keptLimit = bytes < 0 ? kKeptPictureBytes : bytes;
    if (g_kept) KeepWithin(*g_kept, g_keptLimit);
}

namespace {

// The size of a picture into *width, *height, or 0 with both 0 and the
// reason for E_LastError.
int32_t MeasurePicture(std::string_view d, int32_t* width, int32_t* height)
{
    *width = *height = 0;
    std::string why;
    const std::optional<BmpSize> size = CheckBmp(d, &why);
    if (!size) {
        kernel::image::SetLastError(why);
        return 0;
    }
    kernel::image::ClearLastError();
    *width = size->width;
    *height = size->height;
    return 1;
}

}  // namespace

int32_t GetBmpDim(int32_t file, int32_t* width, int32_t* height) noexcept
{
    return Guard(0, [&]() -> int32_t {
        if (!width || !height) return 0;
        const FileObject* f = FindFile(file);
        if (!f) {
            *width = *height = 0;
            kernel::image::SetLastError("no file object " + std::to_string(file) + " on the current level");
            return 0;
        }
        return MeasurePicture(Bytes(*f, true), width, height);
    });
}

int32_t GetBmpDimOfBytes(const char* bytes, int32_t length, int32_t* width, int32_t* height) noexcept
{
    return Guard(0, [&]() -> int32_t {
        if (!width || !height) return 0;
        if (length < 0 || (!bytes && length > 0)) {
            *width = *height = 0;
            kernel::image::SetLastError("no bytes given");
            return 0;
        }
        return MeasurePicture(std::string_view(bytes ? bytes : "", static_cast<size_t>(length)), width, height);
    });
}

int32_t ShowDib(int32_t, int32_t device, const BitmapPlaceRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        if (!record || Recording() || (record->Mode != 0 && record->Mode != -1)) return 0;
        const FileObject* f = FindFile(record->Picture);
        if (!f) return 0;
        const QImage image = DecodedPicture(*f);
        if (image.isNull()) return 0;
        RasterSink* raster = RasterOn(device);
        if (record->Mode == 0) {
            if (!raster) return 0;
            const double x1 = raster->MapX(record->X), y1 = raster->MapY(record->Y);
            const double x2 = raster->MapX(record->X + kPicturePixel * image.width());
            const double y2 = raster->MapY(record->Y - kPicturePixel * image.height());
            raster->Image(image, QRectF(QPointF(x1, y1), QPointF(x2, y2)));
            return 1;
        }
        // Fitted into the box (0, 0)..(X, Y) pixels, centred, in proportion.
        if (record->X < 1 || record->Y < 1) return 0;
        const double scale = std::min(static_cast<double>(record->X) / image.width(),
                                      static_cast<double>(record->Y) / image.height());
        const double w = image.width() * scale, h = image.height() * scale;
        const QRectF target((record->X - w) / 2, (record->Y - h) / 2, w, h);
        if (raster) {
            raster->Image(image, target);
            return 1;
        }
        winsys::Device* d = winsys::FindDevice(device);
        if (!d || !d->surface) return 0;
        if (d->activePainter) {
            // A document is open on the device: draw into it, never end it.
            if (!d->activePainter->isActive()) return 0;
            d->activePainter->save();
            DrawPicture(*d->activePainter, target, image, QRectF(image.rect()));
            d->activePainter->restore();
        } else {
            QPainter painter;
            if (!painter.begin(d->surface)) return 0;
            DrawPicture(painter, target, image, QRectF(image.rect()));
            painter.end();
        }
        if (d->onDrawn) {
            const QRect drawn = target.toAlignedRect() & QRect(0, 0, d->surface->width(), d->surface->height());
            const auto onDrawn = d->onDrawn;
            if (!drawn.isEmpty()) onDrawn(drawn.x(), drawn.y(), drawn.width(), drawn.height());
        }
        return 1;
    });
}

int32_t FrameBitmaps(int32_t page, int32_t* rect) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Box box;
        int32_t taken = 0;
        Level* level = CurLevel();
        // The placement list: 52-byte records, no header.
        const auto* list = level ? static_cast<const FileObject*>(level->files.FindName("@Bitmap@")) : nullptr;
        if (list && rect) {
            const int32_t onPage = page ? page : level->curPage;
            const std::string_view d(list->data);
            for (size_t at = 0; at + kPicturePlaceBytes <= d.size(); at += kPicturePlaceBytes) {
                const PicturePlace r = ReadPlace(d, at);
                if (r.mode != 0 || r.hier != level->id || (r.page != 0 && r.page != onPage)) continue;
                const FileObject* picture = FindFile(r.picture);
                const std::optional<BmpSize> size = picture ? CheckBmp(Bytes(*picture, false)) : std::nullopt;
                if (!size) continue;
                box.Add(r.x, r.y);
                box.Add(r.x + kPicturePixel * size->width, r.y - kPicturePixel * size->height);
                ++taken;
            }
        }
        StoreRect(box, rect);
        return rect ? taken : 0;
    });
}
