#include "editor/shell/prefs.h"

#include "editor/shell/errors.h"
#include "editor/shell/settings.h"
#include "editor/shell/textnum.h"
#include "editor/shell/tooltable.h"
#include "platform/kernel/nvokernel32_functions.h"

#include <cmath>

CheckedArray<std::string> g_PageFormatText(0, 12);
PageFormatTable g_PageFormats;
CheckedArray<int32_t> g_PrefCompName(1, 4);
CheckedArray<int32_t> g_PrefPinOut(1, 6);
CheckedArray<int32_t> g_PrefDescription(1, 10);
CheckedArray<ShortCutRec> g_ShortCuts(0, 0);

namespace {

constexpr const char* kFormatKeys[12] = {"I1", "I2", "I3", "I4", "I5", "I6", "M1", "M2", "M3", "M4", "M5", "M6"};
constexpr const char* kFormatDefaults[12] = {
    "A(landscape),11,8.5)", "B,17,11)",    "C,22,11)",    "D,34,22)",     "E,44,34)",     "A(portrait),8.5,11)",
    "A4(landscape),297,210)", "A3,420,297)", "A2,594,420)", "A1,841,594)", "A0,1189,841)", "A4(portrait),210,297)",
};

// The largest sheet side that fits the drawing area (coordinates within
// plus or minus 220,000,000 database units), in millimetres.
constexpr double kMaxSheetMm = 2.0 * kCoordLimit / 100000.0;

// Parses a format value; false when it is not three fields with a usable
// size in the row's unit.
bool ParsePageFormat(const std::string& text, bool metric, PageFormatRec& format)
{
    SplitFields(text);
    if (ToLong(g_ArgNum(0)) != 3) return false;
    const double width = g_ArgNum(2);
    const double height = g_ArgNum(3);
    const double limit = metric ? kMaxSheetMm : kMaxSheetMm / 25.4;
    if (!(width > 0 && height > 0 && width <= limit && height <= limit)) return false;
    format = PageFormatRec{g_ArgStr(1), width, height};
    return true;
}

bool IsEmptySlot(const PageFormatRec& format)
{
    return format.Name.empty() && format.Width == 0 && format.Height == 0;
}

// Packaging flags of one key; `sizeFlag` is the flag that holds a text-size
// entry.
void ReadFlags(const char* key, const char* defaultValue, CheckedArray<int32_t>& flags, long sizeFlag)
{
    std::string value;
    ReadIniString("PACKAGING", key, defaultValue, value);
    SplitFields(value);
    const long count = ToLong(g_ArgNum(0));
    for (long k = 1; k <= flags.UBound(); ++k) {
        if (count < k) continue;
        int32_t flag = 0;
        try {
            flag = ToLong(g_ArgNum(k));
        } catch (const RuntimeError&) {
            continue;
        }
        if (k == sizeFlag && (flag < 0 || flag > 32)) continue;
        flags(k) = flag;
    }
}

}  // namespace

PageFormatRec& PageFormatTable::operator()(long row, long slot)
{
    if (row < 0 || row >= kRows || slot < 0 || slot >= kSlots) RaiseError(errnum::SubscriptOutOfRange);
    return items_[row][slot];
}

const PageFormatRec& PageFormatTable::operator()(long row, long slot) const
{
    if (row < 0 || row >= kRows || slot < 0 || slot >= kSlots) RaiseError(errnum::SubscriptOutOfRange);
    return items_[row][slot];
}

void PageFormatTable::Clear()
{
    for (auto& row : items_)
        for (auto& slot : row) slot = PageFormatRec{};
}

void ReadPageFormats()
{
    g_PageFormatText.Redim(0, 12);
    for (int i = 1; i <= 12; ++i) ReadIniString("FORMATS", kFormatKeys[i - 1], kFormatDefaults[i - 1], g_PageFormatText(i));
    for (long row = 0; row <= 1; ++row) {
        const long offset = row * 6;
        for (long slot = 1; slot <= 6; ++slot) {
            PageFormatRec format;
            if (ParsePageFormat(g_PageFormatText(offset + slot), row == 1, format)) {
                g_PageFormats(row, slot) = format;
            } else if (IsEmptySlot(g_PageFormats(row, slot))) {
                ParsePageFormat(kFormatDefaults[offset + slot - 1], row == 1, g_PageFormats(row, slot));
            }
        }
    }
}

int32_t DefaultPageFormatPos(const std::string& value)
{
    if (value == "none") return -1;
    SplitFields(value);
    if (ToLong(g_ArgNum(0)) < 2 || g_ArgNum(1) != 1.0) return -1;
    const std::string& slotText = g_ArgStr(2);
    if (slotText.empty()) return -1;
    const char last = slotText.back();
    if (last < '1' || last > '6') return -1;
    int32_t position = last - '1';
    if (slotText.front() == 'M') position += 6;
    return position;
}

int32_t ReadDefaultPageFormatPos()
{
    GetIniFileName();
    std::string value;
    ReadIniString("FORMATS", "SchDefPage", "none", value);
    return DefaultPageFormatPos(value);
}

void ReadPackagingPrefs()
{
    ReadFlags("PREFCOMPNAME", "1,0,1,0", g_PrefCompName, 3);
    ReadFlags("PREFPINOUT", "1,1,0,1,0,0", g_PrefPinOut, 4);
    ReadFlags("PREFDESCRIPTION", "1,0,1,0,1,0,0,0,1,0", g_PrefDescription, 3);
}

void ReadShortCuts()
{
    g_ShortCuts.Redim(0, 0);
    for (long i = 1;; ++i) {
        std::string value;
        ReadIniString("ShortCutsSch", std::to_string(i), "none", value);
        if (value == "none") break;
        if (value.empty()) continue;
        SplitFields(value);
        if (ToLong(g_ArgNum(0)) < 2) continue;
        ShortCutRec entry;
        try {
            entry = ShortCutRec{ToLong(g_ArgNum(1)), ToLong(g_ArgNum(2))};
        } catch (const RuntimeError&) {
            continue;
        }
        if (entry.Mode < 0 || entry.Mode >= kModeCount || entry.Func < 0 || entry.Func >= kToolCount) continue;
        if (g_ModeTools[static_cast<size_t>(entry.Mode)].Funcs[static_cast<size_t>(entry.Func)].Avail == 0) continue;
        const long n = g_ShortCuts.UBound() + 1;
        g_ShortCuts.RedimPreserve(n);
        g_ShortCuts(n) = entry;
    }
}
