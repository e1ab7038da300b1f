// toolpics: draws the pictures of the editor's tool buttons into the strips
// that the menu profile addresses.
//
//   toolpics PROFILE PICTURES OUTDIR
//
// PROFILE is the menu profile (SCHFSI.MEN): its FSI lines give the picture
// number of function 0 of each mode, its FSIKEY lines that of option 0 of
// each function, and both say which buttons are offered. PICTURES names the
// picture of every offered button:
//
//   func MODES FUNC GLYPH [@BADGE ...]
//   opt  MODES FUNC OPT GLYPH [@BADGE ...]
//
// MODES is one mode or several separated by commas. Lines starting with "#"
// and empty lines are comments. The tool writes OUTDIR/fsi.png (cells of
// 24 x 24 pixels, 12 rows of 11) and OUTDIR/ostMM.png for the modes 1..11
// (11 rows of 11); it fails, writing nothing, when a picture names an
// unknown glyph or a button the profile does not offer, when two pictures
// share a cell, or when an offered button has no picture.
#include "tools/toolpics/glyphs.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kModes = 12;
constexpr int kTools = 11;
constexpr int kColumns = 11;
constexpr int kFunctionRows = 12;
constexpr int kOptionRows = 11;

struct Profile {
    std::array<long, kModes> picBase{};
    std::array<std::array<bool, kTools>, kModes> funcAvail{};
    std::array<std::array<long, kTools>, kModes> optPicBase{};
    std::array<std::array<std::array<bool, kTools>, kTools>, kModes> optAvail{};
};

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(text);
    while (std::getline(in, field, separator)) fields.push_back(field);
    if (!text.empty() && text.back() == separator) fields.emplace_back();
    if (text.empty()) fields.emplace_back();
    return fields;
}

long Number(const std::string& field)
{
    return std::lround(std::strtod(field.c_str(), nullptr));
}

bool Fail(const std::string& message)
{
    std::fprintf(stderr, "toolpics: %s\n", message.c_str());
    return false;
}

bool ReadProfile(const std::string& path, Profile& profile)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return Fail("cannot read the profile " + path);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
        if (line.empty()) continue;
        const std::vector<std::string> f = Split(line, ',');
        const std::string where = path + ":" + std::to_string(number);
        auto index = [&](size_t k, long last, long& value) {
            if (f.size() <= k) return Fail(where + ": field " + std::to_string(k + 1) + " is missing");
            value = Number(f[k]);
            if (value < 0 || value > last) return Fail(where + ": field " + std::to_string(k + 1) + " out of range");
            return true;
        };
        long mode = 0, func = 0, opt = 0;
        if (f[0] == "ENDMENU") return true;
        if (f[0] == "FSI") {
            if (!index(1, kModes - 1, mode) || f.size() < 5) return Fail(where + ": bad FSI line");
            profile.picBase[mode] = Number(f[2]);
        } else if (f[0] == "FSIKEY") {
            if (!index(1, kModes - 1, mode) || !index(2, kTools - 1, func) || f.size() < 9)
                return Fail(where + ": bad FSIKEY line");
            profile.funcAvail[mode][func] = Number(f[4]) != 0;
            profile.optPicBase[mode][func] = Number(f[6]);
        } else if (f[0] == "OSTKEY") {
            if (!index(1, kModes - 1, mode) || !index(2, kTools - 1, func) || !index(3, kTools - 1, opt) ||
                f.size() < 8)
                return Fail(where + ": bad OSTKEY line");
            profile.optAvail[mode][func][opt] = Number(f[5]) != 0;
        }
    }
    return Fail(path + " has no ENDMENU line");
}

struct Strip {
    QImage image;
    std::set<long> used;
};

// Draws one picture into its cell.
bool DrawCell(Strip& strip, long cell, const std::vector<std::string>& glyphs, const std::string& where)
{
    const int rows = strip.image.height() / toolpics::kCell;
    if (cell < 0 || cell >= rows * kColumns) return Fail(where + ": picture " + std::to_string(cell) + " outside the strip");
    if (!strip.used.insert(cell).second) return Fail(where + ": picture " + std::to_string(cell) + " drawn twice");
    QPainter painter(&strip.image);
    painter.translate((cell % kColumns) * toolpics::kCell, (cell / kColumns) * toolpics::kCell);
    painter.setClipRect(0, 0, toolpics::kCell, toolpics::kCell);
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const bool badge = i > 0;
        if (badge && glyphs[i].front() != '@') return Fail(where + ": badges start with @: " + glyphs[i]);
        const std::string name = badge ? glyphs[i].substr(1) : glyphs[i];
        if (!toolpics::DrawGlyph(painter, name, badge))
            return Fail(where + ": no " + std::string(badge ? "badge" : "glyph") + " named " + name);
    }
    return true;
}

QImage BlankStrip(int rows)
{
    QImage image(kColumns * toolpics::kCell, rows * toolpics::kCell, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

bool ReadPictures(const std::string& path, const Profile& profile, Strip& functions,
                  std::array<Strip, kModes>& options)
{
    std::ifstream in(path);
    if (!in) return Fail("cannot read the pictures " + path);
    std::array<std::array<bool, kTools>, kModes> funcDone{};
    std::array<std::array<std::array<bool, kTools>, kTools>, kModes> optDone{};
    std::string line;
    int number = 0;
    bool good = true;
    while (std::getline(in, line)) {
        ++number;
        const std::string where = path + ":" + std::to_string(number);
        std::istringstream words(line);
        std::string kind;
        if (!(words >> kind) || kind.front() == '#') continue;
        std::string modes;
        long func = -1, opt = -1;
        words >> modes >> func;
        if (kind == "opt") words >> opt;
        std::vector<std::string> glyphs;
        for (std::string glyph; words >> glyph;) glyphs.push_back(glyph);
        if ((kind != "func" && kind != "opt") || glyphs.empty() || func < 0 || func >= kTools ||
            (kind == "opt" && (opt < 0 || opt >= kTools))) {
            good = Fail(where + ": cannot read the line");
            continue;
        }
        for (const std::string& m : Split(modes, ',')) {
            const long mode = Number(m);
            if (mode < 1 || mode >= kModes) {
                good = Fail(where + ": mode " + m + " out of range");
                continue;
            }
            if (!profile.funcAvail[mode][func]) {
                good = Fail(where + ": mode " + m + " offers no function " + std::to_string(func));
                continue;
            }
            if (kind == "func") {
                funcDone[mode][func] = true;
                good = DrawCell(functions, profile.picBase[mode] + func, glyphs, where) && good;
            } else if (!profile.optAvail[mode][func][opt]) {
                good = Fail(where + ": function " + std::to_string(func) + " of mode " + m + " offers no option " +
                            std::to_string(opt));
            } else {
                optDone[mode][func][opt] = true;
                good = DrawCell(options[mode], profile.optPicBase[mode][func] + opt, glyphs, where) && good;
            }
        }
    }
    for (int mode = 1; mode < kModes; ++mode)
        for (int func = 0; func < kTools; ++func) {
            if (!profile.funcAvail[mode][func]) continue;
            const std::string name = "mode " + std::to_string(mode) + " function " + std::to_string(func);
            if (!funcDone[mode][func]) good = Fail(name + " has no picture");
            for (int opt = 0; opt < kTools; ++opt)
                if (profile.optAvail[mode][func][opt] && !optDone[mode][func][opt])
                    good = Fail(name + " option " + std::to_string(opt) + " has no picture");
        }
    return good;
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: toolpics PROFILE PICTURES OUTDIR\n");
        return 2;
    }
    Profile profile;
    if (!ReadProfile(argv[1], profile)) return 1;
    Strip functions{BlankStrip(kFunctionRows), {}};
    std::array<Strip, kModes> options;
    for (int mode = 1; mode < kModes; ++mode) options[mode] = Strip{BlankStrip(kOptionRows), {}};
    if (!ReadPictures(argv[2], profile, functions, options)) return 1;

    const QString out = QString::fromLocal8Bit(argv[3]);
    if (!QDir().mkpath(out)) {
        Fail("cannot make the folder " + std::string(argv[3]));
        return 1;
    }
    bool good = functions.image.save(out + "/fsi.png");
    for (int mode = 1; mode < kModes; ++mode)
        good = options[mode].image.save(out + QString("/ost%1.png").arg(mode, 2, 10, QChar('0'))) && good;
    if (!good) {
        Fail("cannot write the pictures into " + std::string(argv[3]));
        return 1;
    }
    return 0;
}
