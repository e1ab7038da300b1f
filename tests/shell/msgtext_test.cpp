// Message texts through the localisation library: the German catalogue
// shipped in data/lang, the English defaults without a catalogue, the
// default's blanks kept; the localisation of a form's captions and fonts
// and the choice of the user-interface font by locale.
#include "editor/shell/controls.h"
#include "editor/shell/forms.h"
#include "editor/shell/msgtext.h"
#include "tests/shell/env_guard.h"

#include "platform/winsys/latin1.h"

#include <QDialog>
#include <QDir>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <fstream>

namespace {

using palvane_test::EnvGuard;

// The user's language and the data folder of the source tree.
void UseCatalogue(EnvGuard& env, const char* lang, const std::string& dataDir = PALVANE_TEST_DATA_DIR)
{
    env.Locale(lang);
    env.Set("PALVANE_DATA_DIR", dataDir);
}

TEST(GetMsgText, GermanCatalogueIsFound)
{
    EnvGuard env;
    UseCatalogue(env, "de_DE.UTF-8");
    const struct {
        const char* defaultText;
        const char* id;
        const char* text;
    } cases[] = {
        {"Schematic Capture", "991155", "Schaltplaneingabe"},
        {"Can't find Part: ", "99345", "Bauteil nicht gefunden: "},
        {" already exists", "99196", " existiert bereits"},
        {"  Page: ", "991012", "  Seite: "},          // the default's blanks, not the catalogue's
        {"Page:", "991012", "Seite:"},
        {"Accept", "99177", "\xDC" "bernehmen"},      // Latin-1
        {"Unknown Error", "  991362xyz", "Unbekannter Fehler"},
        {"Not translated", "12345", "Not translated"},
        {"Unknown Error", "", "Unknown Error"},        // id 0
        {"Letters", "abc", "Letters"},
    };
    for (const auto& c : cases) EXPECT_EQ(GetMsgText(c.defaultText, c.id), c.text) << c.id;
}

TEST(GetMsgText, LanguageOfTheLocale)
{
    EnvGuard env;
    // A country without a catalogue of its own takes its language's.
    UseCatalogue(env, "de_AT.ISO-8859-1");
    EXPECT_EQ(GetMsgText("Schematic Capture", "991155"), "Schaltplaneingabe");
    env.Set("LC_MESSAGES", "de_CH.UTF-8");
    env.Set("LANG", "en_US.UTF-8");
    EXPECT_EQ(GetMsgText("Schematic Capture", "991155"), "Schaltplaneingabe");
    env.Set("LC_ALL", "C");
    EXPECT_EQ(GetMsgText("Schematic Capture", "991155"), "Schematic Capture");
}

TEST(GetMsgText, EnglishDefaultsWithoutCatalogue)
{
    QTemporaryDir empty;
    for (const auto& [lang, data] : std::vector<std::pair<const char*, std::string>>{
             {"C", PALVANE_TEST_DATA_DIR},
             {"en_US.UTF-8", PALVANE_TEST_DATA_DIR},
             {"fr_FR.UTF-8", PALVANE_TEST_DATA_DIR},
             {"de_DE.UTF-8", empty.path().toStdString()},
         }) {
        EnvGuard env;
        UseCatalogue(env, lang, data);
        EXPECT_EQ(GetMsgText("Schematic Capture", "991155"), "Schematic Capture") << lang << " " << data;
        EXPECT_EQ(GetMsgText("  Page: ", "991012"), "  Page: ") << lang;
    }
}

TEST(GetMsgText, CatalogueLinesThatAreNotMessagesAreSkipped)
{
    QTemporaryDir data;
    ASSERT_TRUE(QDir(data.path()).mkpath("lang"));
    {
        std::ofstream out((data.path() + "/lang/xx.txt").toStdString(), std::ios::binary);
        out << "# comment\n"
            << "not a message\n"
            << "12 no tab\n"
            << "\tno id\n"
            << "99999999999\ttoo big\n"
            << "7\t\n"
            << "-5\tminus five\n"
            << "991155\tSchaltbild\r\n"
            << "99196\t  existe d\xE9j\xE0  \n"
            << "42\tlast line without end";
    }
    EnvGuard env;
    UseCatalogue(env, "xx_XX.UTF-8", data.path().toStdString());
    EXPECT_EQ(GetMsgText("Schematic Capture", "991155"), "Schaltbild");
    EXPECT_EQ(GetMsgText(" already exists", "99196"), " existe d\xE9j\xE0");
    EXPECT_EQ(GetMsgText("minus", "-5"), "minus five");
    EXPECT_EQ(GetMsgText("empty", "7"), "empty");
    EXPECT_EQ(GetMsgText("last", "42"), "last line without end");
    EXPECT_EQ(GetMsgText("twelve", "12"), "twelve");
}

// A small dialog with the kinds of controls LocalizeForm meets.
class LocalizedDialog : public Form {
public:
    explicit LocalizedDialog(bool withControls) : Form("TESTLOC"), withControls_(withControls) {}

    CommandButton* accept = nullptr;
    Label* plain = nullptr;
    Label* lettersTag = nullptr;
    Label* tooBig = nullptr;  // a tag beyond the ids: its step is skipped
    TextBox* text = nullptr;

protected:
    std::unique_ptr<QWidget> CreateWindow() override
    {
        auto window = std::make_unique<QDialog>();
        window->setWindowTitle("Schematic Capture");
        SetControlTag(window.get(), "991155");
        if (!withControls_) return window;
        auto* layout = new QVBoxLayout(window.get());
        accept = new CommandButton("Accept", window.get());
        SetControlTag(accept, "99177");
        plain = new Label("Keep", window.get());
        QFont bold = plain->font();
        bold.setBold(true);
        plain->setFont(bold);
        lettersTag = new Label("Letters", window.get());
        SetControlTag(lettersTag, "abc");
        tooBig = new Label("Too big", window.get());
        SetControlTag(tooBig, "99999999999");
        text = new TextBox(window.get());
        SetControlTag(text, "99177");
        for (QWidget* w : std::initializer_list<QWidget*>{accept, plain, lettersTag, tooBig, text}) layout->addWidget(w);
        AddControl(accept, "accept");
        AddControl(plain, "plain");
        AddControl(lettersTag, "lettersTag");
        AddControl(tooBig, "tooBig");
        AddControl(text, "text");
        return window;
    }
    void ForgetControls() override
    {
        accept = nullptr, plain = nullptr, lettersTag = nullptr, tooBig = nullptr, text = nullptr;
    }

private:
    bool withControls_;
};

TEST(LocalizeForm, CaptionsByTagAndTheFont)
{
    EnvGuard env;
    UseCatalogue(env, "de_DE.UTF-8");
    g_UIFontName = "DejaVu Sans";
    g_UIFontSize = 8;
    LocalizedDialog form(true);
    form.Load();
    LocalizeForm(form);
    EXPECT_EQ(form.Caption(), "Schaltplaneingabe");
    EXPECT_EQ(FromQ(form.accept->text()), "\xDC" "bernehmen");
    EXPECT_EQ(form.plain->Caption(), "Keep");
    EXPECT_EQ(form.lettersTag->Caption(), "Letters");
    EXPECT_EQ(form.tooBig->Caption(), "Too big");
    EXPECT_EQ(form.tooBig->font().family(), "DejaVu Sans");
    EXPECT_EQ(form.text->Text(), "");  // a text box has no caption
    for (QWidget* w : std::initializer_list<QWidget*>{form.accept, form.plain, form.lettersTag, form.text}) {
        EXPECT_EQ(w->font().family(), "DejaVu Sans") << FromQ(w->objectName());
        EXPECT_EQ(w->font().pointSize(), 8);
        EXPECT_FALSE(w->font().bold());
    }
    form.Unload();
}

TEST(LocalizeForm, WindowWithoutControlsAndNoFontChosen)
{
    EnvGuard env;
    UseCatalogue(env, "de_DE.UTF-8");
    LocalizedDialog bare(false);
    bare.Load();
    LocalizeForm(bare);
    EXPECT_EQ(bare.Caption(), "Schaltplaneingabe");
    bare.Unload();

    // Without a face name the controls keep their own font.
    g_UIFontName.clear();
    g_UIFontSize = 0;
    LocalizedDialog form(true);
    form.Load();
    const QFont before = form.plain->font();
    LocalizeForm(form);
    EXPECT_EQ(form.plain->font(), before);
    EXPECT_TRUE(form.plain->font().bold());
    form.Unload();
}

TEST(InitFonts, FaceSizeAndCharacterSetByLocale)
{
    const struct {
        const char* lang;
        std::u16string face;  // empty: any available face (not checked)
        int16_t size;
        int16_t charset;
        bool faceChecked;
    } cases[] = {
        {"zh_TW.UTF-8", u"\u65B0\u7D30\u660E\u9AD4", 9, 136, true},
        {"zh_CN.UTF-8", u"\u5B8B\u4F53", 9, 134, true},
        {"zh_HK.UTF-8", u"", 0, 0, true},
        {"ja_JP.UTF-8", u"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF", 9, 128, true},
        {"ko_KR.UTF-8", u"\uAD74\uB9BC", 9, 129, true},
        {"en_US.UTF-8", u"", 8, 0, false},
        {"ru_RU.UTF-8", u"", 8, 204, false},
    };
    for (const auto& c : cases) {
        EnvGuard env;
        env.Locale(c.lang);
        InitFonts();
        if (c.faceChecked)
            EXPECT_EQ(g_UIFontName, QString::fromStdU16String(c.face).toUtf8().toStdString()) << c.lang;
        else
            EXPECT_FALSE(g_UIFontName.empty()) << c.lang;
        EXPECT_EQ(g_UIFontSize, c.size) << c.lang;
        EXPECT_EQ(g_UIFontCharset, c.charset) << c.lang;
    }
}

TEST(InitFonts, TraditionalChineseReachesEveryControl)
{
    EnvGuard env;
    env.Locale("zh_TW.UTF-8");
    InitFonts();
    LocalizedDialog form(true);
    form.Load();
    LocalizeForm(form);
    for (QWidget* w : std::initializer_list<QWidget*>{form.accept, form.plain, form.lettersTag, form.text}) {
        EXPECT_EQ(w->font().family(), QString::fromUtf16(u"\u65B0\u7D30\u660E\u9AD4"));
        EXPECT_EQ(w->font().pointSize(), 9);
        EXPECT_FALSE(w->font().bold());
    }
    form.Unload();
}

}  // namespace
