// Every gate of every part of the shipped libraries, and every schematic
// symbol no part draws, placed as a component with the texts the editor
// gives it (name, description and pin numbers rebuilt by the packaging
// refresh under the shipped settings, a value set through the
// component-text command), shows its value and description clear of its
// drawing (pin leads included), of its pin numbers, of its own texts and
// of its name.
#include "editor/dialogs/schicmpd.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/comp_texts.h"
#include "editor/objects/components.h"
#include "editor/shell/nvoinpbg.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/paths.h"
#include "editor/shell/prefs.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "editor/shell/textarea.h"
#include "editor/shell/textnum.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"
#include "tools/sources/source_reader.h"

#include <QWidget>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <set>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace nvo_sources;

const char* const kLibraries[] = {"discrete", "ics", "connectors", "power"};

// What a user types as a value: the placeholders leave room for eight
// characters.
const char* const kValue = "100n 50V";

// The kernel draws a text six times its stored height and character width.
constexpr double kTextScale = 6.0;
constexpr double kMil = 2540.0;

// Component text kinds by their flag bits.
constexpr int32_t kNameBit = 2;
constexpr int32_t kDescriptionBit = 4;
constexpr int32_t kValueBit = 8;
constexpr int32_t kPinNumberBit = 16;
constexpr int32_t kTemplateBits = 2 | 4 | 8 | 16 | 32;

struct Pt {
    double x, y;
};

// A text's box: from its anchor (lower left) along its angle.
struct TextBox {
    std::string text;
    Pt corner[4];

    bool Holds(Pt p, double margin) const
    {
        const double ux = corner[1].x - corner[0].x, uy = corner[1].y - corner[0].y;
        const double vx = corner[3].x - corner[0].x, vy = corner[3].y - corner[0].y;
        const double lu = std::hypot(ux, uy), lv = std::hypot(vx, vy);
        if (lu == 0 || lv == 0) return false;
        const double dx = p.x - corner[0].x, dy = p.y - corner[0].y;
        const double u = (dx * ux + dy * uy) / lu, v = (dx * vx + dy * vy) / lv;
        return u >= -margin && u <= lu + margin && v >= -margin && v <= lv + margin;
    }
};

TextBox BoxOf(const ItemRec& r)
{
    TextBox box;
    box.text = r.Text ? r.Text : "";
    const double a = r.Angle / 1000.0 * std::numbers::pi / 180.0;
    const double length = kTextScale * r.P2 * static_cast<double>(box.text.size());
    const double height = kTextScale * r.P1;
    const double ux = std::cos(a), uy = std::sin(a);
    box.corner[0] = {double(r.X), double(r.Y)};
    box.corner[1] = {r.X + ux * length, r.Y + uy * length};
    box.corner[2] = {r.X + ux * length - uy * height, r.Y + uy * length + ux * height};
    box.corner[3] = {r.X - uy * height, r.Y + ux * height};
    return box;
}

// Two boxes overlap when no side of either separates them.
bool Overlap(const TextBox& a, const TextBox& b)
{
    for (const TextBox* box : {&a, &b}) {
        for (int i = 0; i < 2; ++i) {
            const double ax = box->corner[i + 1].x - box->corner[i].x, ay = box->corner[i + 1].y - box->corner[i].y;
            double minA = 1e300, maxA = -1e300, minB = 1e300, maxB = -1e300;
            for (const Pt& p : a.corner) {
                minA = std::min(minA, p.x * ax + p.y * ay);
                maxA = std::max(maxA, p.x * ax + p.y * ay);
            }
            for (const Pt& p : b.corner) {
                minB = std::min(minB, p.x * ax + p.y * ay);
                maxB = std::max(maxB, p.x * ax + p.y * ay);
            }
            if (maxA < minB || maxB < minA) return false;
        }
    }
    return true;
}

// A drawn item of the symbol's body as points along its ink, a quarter mil
// apart, with half its line width.
struct BodyItem {
    std::string what;
    std::vector<Pt> ink;
    double halfWidth;
};

void Segment(std::vector<Pt>& ink, Pt a, Pt b)
{
    const int steps = std::max(1, static_cast<int>(std::hypot(b.x - a.x, b.y - a.y) / (kMil / 4)));
    for (int i = 0; i <= steps; ++i)
        ink.push_back({a.x + (b.x - a.x) * i / steps, a.y + (b.y - a.y) * i / steps});
}

void Arc(std::vector<Pt>& ink, Pt c, double radius, double start, double sweep)
{
    const double from = start / 1000.0 * std::numbers::pi / 180.0;
    const double span = sweep / 1000.0 * std::numbers::pi / 180.0;
    const int steps = std::max(8, static_cast<int>(std::abs(span) * radius / (kMil / 4)));
    for (int i = 0; i <= steps; ++i) {
        const double a = from + span * i / steps;
        ink.push_back({c.x + radius * std::cos(a), c.y + radius * std::sin(a)});
    }
}

// Filled figures are ink inside too: a grid over them.
void Fill(std::vector<Pt>& ink, const std::vector<Pt>& outline)
{
    double x1 = 1e300, y1 = 1e300, x2 = -1e300, y2 = -1e300;
    for (const Pt& p : outline) {
        x1 = std::min(x1, p.x), y1 = std::min(y1, p.y);
        x2 = std::max(x2, p.x), y2 = std::max(y2, p.y);
    }
    auto inside = [&](double x, double y) {
        bool in = false;
        for (size_t i = 0, j = outline.size() - 1; i < outline.size(); j = i++) {
            const Pt& a = outline[i];
            const Pt& b = outline[j];
            if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
        }
        return in;
    };
    for (double y = y1; y <= y2; y += kMil * 2)
        for (double x = x1; x <= x2; x += kMil * 2)
            if (inside(x, y)) ink.push_back({x, y});
}

std::string Where(const ItemRec& r)
{
    std::ostringstream s;
    s << " at (" << std::lround(r.X / kMil) << ", " << std::lround(r.Y / kMil) << ") mil";
    return s.str();
}

// The symbol's drawing, its pin leads included (a value across a lead
// hides where a wire meets the pin), in the symbol's own frame; its drawn
// texts (not the templates of component texts) in `texts`.
std::vector<BodyItem> Body(int32_t symbol, std::vector<TextBox>& texts)
{
    std::vector<BodyItem> body;
    const int32_t items = S_SymbolItemArray(symbol);
    for (int32_t i = 1; i <= OA_GetCount(items); ++i) {
        ItemRec r{};
        if (I_ReadItem(S_SymbolItem(symbol, i), &r) == 0) continue;
        const Pt a{double(r.X), double(r.Y)};
        BodyItem item{"", {}, r.Width / 2.0};
        const bool filled = (r.Style & 16) != 0;
        switch (r.Kind) {
        case 1: {
            const Pt b{a.x + r.P1, a.y + r.P2};
            item.what = "line" + Where(r);
            Segment(item.ink, a, b);
            break;
        }
        case 2: {
            const std::vector<Pt> c{a, {a.x + r.P1, a.y + r.P2}, {a.x + r.P3, a.y + r.P4}};
            item.what = "triangle" + Where(r);
            for (int k = 0; k < 3; ++k) Segment(item.ink, c[k], c[(k + 1) % 3]);
            if (filled) Fill(item.ink, c);
            break;
        }
        case 3: {
            const double t = r.Angle / 1000.0 * std::numbers::pi / 180.0;
            const double ux = std::cos(t), uy = std::sin(t);
            const std::vector<Pt> c{a,
                                    {a.x + ux * r.P1, a.y + uy * r.P1},
                                    {a.x + ux * r.P1 - uy * r.P2, a.y + uy * r.P1 + ux * r.P2},
                                    {a.x - uy * r.P2, a.y + ux * r.P2}};
            item.what = "rectangle" + Where(r);
            for (int k = 0; k < 4; ++k) Segment(item.ink, c[k], c[(k + 1) % 4]);
            if (filled) Fill(item.ink, c);
            break;
        }
        case 4: {
            item.what = "circle" + Where(r);
            Arc(item.ink, a, std::abs(r.P1), 0, 360000);
            if (filled) {
                std::vector<Pt> outline;
                Arc(outline, a, std::abs(r.P1), 0, 360000);
                Fill(item.ink, outline);
            }
            break;
        }
        case 5:
            item.what = "arc" + Where(r);
            Arc(item.ink, a, std::abs(r.P1), r.P2, r.P3);
            break;
        case 6:
            if ((r.Flags & kTemplateBits) == 0 && r.P1 > 0) texts.push_back(BoxOf(r));
            continue;
        default: continue;
        }
        body.push_back(std::move(item));
    }
    return body;
}

class ShippedCompTexts : public palvane_test::EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        SetDataDir(COMPILED_DATA_DIR);
        g_IniFile = COMPILED_DATA_DIR "/norvo32.ini";
        ReadDirSettings();
        ReadLibLists();
        ReadPackagingPrefs();
        m = &Main();
        g_UnitIndex = 0;
        g_CompDlgMode = false;
        for (int i = 0; i <= 10; ++i) m->F_OST(i)->SetValue(false);
    }
    void Pick(const std::string& name)
    {
        g_CompId = OM_FindName(DB_SchCompMap(), name.c_str());
        ASSERT_GT(g_CompId, 0) << name;
        int32_t status = 0;
        ReadComp(status, g_CompId, g_CompName);
        ASSERT_EQ(status, 0);
    }
    void Type(const char* text)
    {
        ui.ExpectModal("NvoInpBG", [text](QWidget*) {
            NvoInpBG& box = FormInstance<NvoInpBG>();
            EXPECT_NE(box.InpPrompt()->Text().find(" Set value: "), std::string::npos) << box.InpPrompt()->Text();
            box.InpText()->SetText(text);
            box.InpOK()->Press();
        });
    }
    SCHMAIN* m = nullptr;
};

// The list above is every library source the build compiles.
TEST(ShippedLibraryList, NamesEveryLibrarySource)
{
    std::set<std::string> sources;
    for (const auto& file : std::filesystem::directory_iterator(palvane_test::LibrarySourceDir()))
        if (file.path().extension() == ".nls") sources.insert(file.path().stem().string());
    EXPECT_EQ(sources, std::set<std::string>(std::begin(kLibraries), std::end(kLibraries)));
}

TEST_F(ShippedCompTexts, ValueTextsStayClearOfEverySymbol)
{
    // One component of every gate of every part (the pin numbers differ
    // from gate to gate), and one of every schematic symbol no part draws.
    struct Placed {
        std::string comp;
        std::string symbol;
        bool part;
    };
    std::vector<Placed> placed;
    std::ostringstream design;
    for (const char* lib : kLibraries) design << "include " << lib << ".nls\n";
    design << "unit 0.1in\ndesign D\nlevel MAIN\npage P frame 400 400\n";
    // Ten to a row, three inches apart.
    auto at = [&] {
        const size_t n = placed.size();
        return std::to_string(-150 + 30 * static_cast<int>(n % 10)) + " " +
               std::to_string(150 - 30 * static_cast<int>(n / 10));
    };
    std::set<std::string> drawn;
    size_t symbols = 0;
    for (const char* lib : kLibraries) {
        Source src;
        std::string error;
        ASSERT_TRUE(ReadSourceFile(palvane_test::LibrarySourceDir() + "/" + lib + ".nls", src, error)) << error;
        for (const std::string& name : src.ownDevices) {
            const DeviceDef& d = *std::find_if(src.library.devices.begin(), src.library.devices.end(),
                                               [&](const DeviceDef& def) { return def.name == name; });
            for (size_t g = 0; g < d.groups.size(); ++g) {
                const std::string ref = "X" + std::to_string(placed.size() + 1);
                design << "  component " << ref << " " << d.name << " gate " << d.groups[g].name << " at " << at()
                       << "\n";
                placed.push_back({ref + "/" + std::to_string(g + 1), d.groups[g].symbol, true});
                drawn.insert(d.groups[g].symbol);
            }
        }
        for (const std::string& name : src.ownSymbols) {
            if (src.library.FindSymbol(name)->layout) continue;
            ++symbols;
            if (drawn.count(name)) continue;
            const std::string ref = "X" + std::to_string(placed.size() + 1);
            design << "  component " << ref << " symbol " << name << " at " << at() << "\n";
            placed.push_back({ref, name, false});
        }
    }
    design << "end\n";
    // Every schematic symbol is placed at least once.
    std::set<std::string> covered;
    for (const Placed& p : placed) covered.insert(p.symbol);
    ASSERT_EQ(covered.size(), symbols);
    ASSERT_TRUE(palvane_test::BuildDesign(design.str())) << design.str();
    DB_SetCurPage(OM_FindName(DB_PageMap(), "P"));
    ReadCurrentPage();

    std::vector<std::string> failures;
    for (const Placed& p : placed) {
        SCOPED_TRACE(p.symbol);
        Pick(p.comp);
        if (p.part) {
            // The texts as the packaging refresh makes them, from the
            // symbol's templates alone.
            const int32_t array = C_CompTextArray(g_CompId);
            while (OA_GetCount(array) > 0) ASSERT_NE(OA_Delete(array, 1), 0);
            RefreshCompTexts(g_CompId, g_Comp);
            Pick(p.comp);
        }
        // The value, set with option 0 of the component-text function.
        m->F_OST(0)->SetValue(true);
        Type(kValue);
        int32_t status = 1;
        m->ChangeCompTexts(status, 0);
        m->F_OST(0)->SetValue(false);
        ASSERT_EQ(status, 0);

        std::vector<TextBox> symbolTexts;
        const std::vector<BodyItem> body = Body(g_Comp.Symb, symbolTexts);
        std::vector<TextBox> values, pins, names;
        const int32_t array = C_CompTextArray(g_CompId);
        for (int32_t i = 1; i <= OA_GetCount(array); ++i) {
            ItemRec r{};
            ASSERT_NE(I_ReadItem(C_CompText(g_CompId, i), &r), 0);
            if (r.Kind != 6) continue;
            if (r.Flags & (kValueBit | kDescriptionBit)) {
                values.push_back(BoxOf(r));
            } else if (r.Flags & kPinNumberBit) {
                pins.push_back(BoxOf(r));
            } else if (r.Flags & kNameBit) {
                names.push_back(BoxOf(r));
            }
        }
        EXPECT_EQ(values.size(), p.part ? 2u : 1u) << "a description and a value";
        if (p.part) {
            // A name, and a number at every pin of the gate.
            EXPECT_EQ(names.size(), 1u);
            SymbRec sr{};
            ASSERT_NE(S_ReadSymbol(g_Comp.Symb, &sr), 0);
            EXPECT_EQ(pins.size(), static_cast<size_t>(sr.Entries));
        }

        for (const TextBox& v : values) {
            const std::string head = p.symbol + " (" + p.comp + "): \"" + v.text + "\" ";
            for (const BodyItem& item : body)
                if (std::any_of(item.ink.begin(), item.ink.end(), [&](Pt q) { return v.Holds(q, item.halfWidth); }))
                    failures.push_back(head + "crosses the " + item.what);
            for (const TextBox& pin : pins)
                if (Overlap(v, pin)) failures.push_back(head + "covers pin number " + pin.text);
            for (const TextBox& t : symbolTexts)
                if (Overlap(v, t)) failures.push_back(head + "covers the symbol's text " + t.text);
            for (const TextBox& n : names)
                if (Overlap(v, n)) failures.push_back(head + "covers the name " + n.text);
        }
    }
    std::string all;
    for (const std::string& f : failures) all += f + "\n";
    EXPECT_TRUE(failures.empty()) << all;
}

}  // namespace
