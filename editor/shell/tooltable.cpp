#include "editor/shell/tooltable.h"

#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/errors.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/paths.h"
#include "editor/shell/reporter.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "editor/shell/textfiles.h"
#include "editor/shell/textnum.h"
#include "editor/view/canvas.h"
#include "platform/winsys/interaction.h"
#include "platform/winsys/latin1.h"

#include <QImage>

#include <cstdint>
#include <cstdio>

std::array<ModeToolsRec, kModeCount> g_ModeTools;

namespace {

// Message code of an unreadable menu profile.
constexpr int32_t kMsgCantReadMenuProfile = 8;

// Pictures: cells of 24 x 24 pixels; the function strip holds one row per
// mode, an option strip one row per function.
constexpr int kPictureCell = 24;
constexpr int kFunctionRows = kModeCount;
constexpr int kOptionRows = kToolCount;

// A line of the profile that cannot be applied: what is wrong with it
// ("field 4 is missing"). The reading stops there.
struct ProfileError {
    std::string reason;
};

ProfileError FieldError(long k, const char* what)
{
    return {"field " + std::to_string(k) + " " + what};
}

// The text of field `k` of the line last split; a missing field is an error.
const std::string& Field(long k)
{
    if (ToLong(g_ArgNum(0)) < k) throw FieldError(k, "is missing");
    return g_ArgStr(k);
}

// The number of field `k` as a Long; a missing field or a number too large
// for a Long is an error.
int32_t NumField(long k)
{
    (void)Field(k);
    try {
        return ToLong(g_ArgNum(k));
    } catch (const RuntimeError&) {
        throw FieldError(k, "is too large");
    }
}

// An index field that must lie within 0 .. last.
int32_t IndexField(long k, int32_t last)
{
    const int32_t value = NumField(k);
    if (value < 0 || value > last) throw FieldError(k, "is out of range");
    return value;
}

// A picture number: a cell of a strip, never negative. Button i shows cell
// number + i, so the number must leave room for the last button's cell
// within a Long.
int32_t PictureField(long k)
{
    const int32_t value = NumField(k);
    if (value < 0 || value > INT32_MAX - (kToolCount - 1)) throw FieldError(k, "is out of range");
    return value;
}

// Names the file and the line that could not be applied, as the reading of
// the other text files names the file it could not read.
void ReportProfileLine(const std::string& path, int32_t lineNumber, const std::string& reason)
{
    const std::string text =
        GetMsgText("Can't read file: ", "99365") + path + g_CrLf + "Line " + std::to_string(lineNumber) + ": " + reason;
    winsys::Ui().MessageBox(text, GetMsgText("Norvo32 - ", "99607") + g_AppTitle,
                            winsys::mb::OkOnly | winsys::mb::Exclamation);
}

// Applies one line that SplitFields has split. True when it was the
// "ENDMENU" line.
bool ApplyProfileLine()
{
    const std::string& kind = g_ArgStr(1);
    if (kind == "FSI") {
        ModeToolsRec& mode = g_ModeTools[static_cast<size_t>(IndexField(2, kModeCount - 1))];
        mode.PicBase = PictureField(3);
        mode.SelFunc = IndexField(4, kToolCount - 1);
        mode.ModeHelp = Field(5);
    } else if (kind == "FSIKEY") {
        ModeToolsRec& mode = g_ModeTools[static_cast<size_t>(IndexField(2, kModeCount - 1))];
        ToolFuncRec& func = mode.Funcs[static_cast<size_t>(IndexField(3, kToolCount - 1))];
        func.Extra1 = NumField(4);
        func.Avail = NumField(5);
        func.Pressed = NumField(6);
        func.OptPicBase = PictureField(7);
        func.Extra2 = NumField(8);
        func.Help = Field(9);
        if (ToLong(g_ArgNum(0)) == 11) {
            std::string shortcut = Field(10).substr(0, 2);
            shortcut.resize(2, ' ');
            func.Shortcut = shortcut;
            func.AnyMode = NumField(11);
        }
    } else if (kind == "OSTKEY") {
        ModeToolsRec& mode = g_ModeTools[static_cast<size_t>(IndexField(2, kModeCount - 1))];
        ToolFuncRec& func = mode.Funcs[static_cast<size_t>(IndexField(3, kToolCount - 1))];
        ToolOptRec& opt = func.Opts[static_cast<size_t>(IndexField(4, kToolCount - 1))];
        opt.Group = NumField(5);
        opt.Avail = NumField(6);
        opt.Value = NumField(7);
        opt.Help = Field(8);
    }
    return kind == "ENDMENU";
}

// Reads the lines of `path` in turn through the text-file procedures (which
// report a file that cannot be opened or read, and reading past its end)
// and applies them; False when the reading failed or a line is unreadable
// (reported with its file and line number).
bool ReadProfileFile(const std::string& path)
{
    g_CurFileName = path;
    int32_t status = 0;
    int32_t file = 0;
    OpenTextFileIn(status, file, path);
    if (status != 0) return false;
    bool read = false;
    int32_t lineNumber = 0;
    bool lineFailed = false;
    std::string fault;
    try {
        for (;;) {
            std::string line;
            ReadTextLine(status, file, line);
            if (status != 0) break;
            ++lineNumber;
            if (line.empty()) continue;
            SplitFields(line);
            if (ApplyProfileLine()) {
                read = true;
                break;
            }
        }
    } catch (const ProfileError& e) {
        lineFailed = true;
        fault = e.reason;
    } catch (const RuntimeError& e) {
        lineFailed = true;
        fault = e.what();
    }
    CloseTextFile(0, file, path);
    if (lineFailed) ReportProfileLine(path, lineNumber, fault);
    return read;
}

// A strip of `rows` x 11 cells into `clip` (decoded when first shown), or a
// blank one of that grid when the file is missing or does not divide into
// that grid.
void LoadStrip(PictureClip& clip, const std::string& name, int rows)
{
    const std::string path = FindPathNoCase(JoinPath(ToolDataDir(), "pictures/" + name));
    if (clip.LoadFile(ToQ(path), rows, kPicturesPerRow)) return;
    std::fprintf(stderr, "palvane: button pictures missing or damaged: %s\n", path.c_str());
    QImage blank(kPicturesPerRow * kPictureCell, rows * kPictureCell, QImage::Format_ARGB32);
    blank.fill(Qt::transparent);
    clip.Load(blank, rows, kPicturesPerRow);
}

}  // namespace

ModeToolsRec& ModeTools(int32_t mode)
{
    if (mode < 0 || mode >= kModeCount) RaiseError(errnum::SubscriptOutOfRange);
    return g_ModeTools[static_cast<size_t>(mode)];
}

void ClearToolTable()
{
    g_ModeTools.fill(ModeToolsRec{});
}

std::string ToolDataDir()
{
    return g_ProgDir.empty() ? DataDir() : g_ProgDir;
}

bool ReadMenuProfile(const std::string& fileName)
{
    const std::string path = FindPathNoCase(JoinPath(ToolDataDir(), fileName));
    if (ReadProfileFile(path)) return true;
    ReportMsg(kMsgCantReadMenuProfile);
    if (g_MainForm) {
        g_MainForm->ExitAnyWay = true;
        g_MainForm->ShutDown();
    }
    return false;
}

bool InitToolMenus(SCHMAIN& form)
{
    g_Prompt.clear();
    // The design of the window lists the zoom modes already; the list is
    // filled here with the localised texts, once.
    form.ZoomMode->Clear();
    form.ZoomMode->AddItem(GetMsgText("Current", "99494"));
    form.ZoomMode->AddItem(GetMsgText("Center", "99400"));
    form.ZoomMode->AddItem(GetMsgText("Page", "991009"));
    form.ZoomMode->AddItem(GetMsgText("Component", "99460"));
    if (!ReadMenuProfile("SCHFSI.MEN")) return false;
    SetWindowStyle(form.F_PICView, form.ViewPicture);
    return true;
}

void LoadToolPictures(SCHMAIN& form)
{
    LoadStrip(*form.P_FSI, "fsi.png", kFunctionRows);
    for (int mode = 1; mode < kModeCount; ++mode) {
        char name[16];
        std::snprintf(name, sizeof name, "ost%02d.png", mode);
        LoadStrip(*form.P_OST(mode), name, kOptionRows);
    }
}
