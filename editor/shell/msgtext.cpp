#include "editor/shell/msgtext.h"

#include "editor/shell/controls.h"
#include "editor/shell/errors.h"
#include "editor/shell/forms.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/textnum.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QWidget>

std::string g_UIFontName;
int16_t g_UIFontSize = 0;
int16_t g_UIFontCharset = 0;

std::string GetMsgText(const std::string& defaultText, const std::string& id)
{
    const size_t lead = defaultText.find_first_not_of(' ');
    const size_t leading = lead == std::string::npos ? defaultText.size() : lead;
    const size_t trailing =
        lead == std::string::npos ? defaultText.size() : defaultText.size() - 1 - defaultText.find_last_not_of(' ');
    const char* found = L32_Object_GetMessage(ToLong(ReadNumber(id)));
    if (!found) return defaultText;
    return std::string(leading, ' ') + Trim(PtrToStr(found)) + std::string(trailing, ' ');
}

void LocalizeForm(Form& form)
{
    QWidget* window = form.Window();
    if (!window) return;
    // A step that fails (a tag that is no usable id) is skipped.
    ResumeNext({[&] {
        if (const std::string tag = ControlTag(window); !tag.empty())
            form.SetCaption(GetMsgText(form.Caption(), tag));
    }});

    // Controls refuse a font without a face name or size; they keep their
    // own then.
    const bool fontUsable = !g_UIFontName.empty() && g_UIFontSize > 0;
    QFont font(QString::fromUtf8(g_UIFontName.data(), static_cast<qsizetype>(g_UIFontName.size())), g_UIFontSize);
    font.setBold(false);
    for (const Form::ControlEntry& control : form.Controls()) {
        if (auto* widget = qobject_cast<QWidget*>(control.object); widget && fontUsable) widget->setFont(font);
        ResumeNext({[&] {
            const std::string tag = ControlTag(control.object);
            if (!tag.empty() && HasCaption(control.object))
                SetControlCaption(control.object, GetMsgText(ControlCaption(control.object), tag));
        }});
    }
}

namespace {

std::string FromUtf16(const char16_t* text)
{
    return QString::fromUtf16(text).toUtf8().toStdString();
}

void SetFont(const std::string& name, int16_t size, int16_t charset)
{
    g_UIFontName = name;
    g_UIFontSize = size;
    g_UIFontCharset = charset;
}

// The font the system uses for titles, else the application's default font.
std::string SystemTitleFont()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return {};
    QString family = QFontDatabase::systemFont(QFontDatabase::TitleFont).family();
    if (family.isEmpty()) family = QApplication::font().family();
    return family.toUtf8().toStdString();
}

}  // namespace

void InitFonts()
{
    const int32_t language = UserLanguageId();
    const int16_t primary = PrimaryLangId(language);
    const int16_t sub = SubLangId(language);
    switch (primary) {
    case 4:  // Chinese
        if (sub == 1)
            SetFont(FromUtf16(u"\u65B0\u7D30\u660E\u9AD4"), 9, 136);
        else if (sub == 2)
            SetFont(FromUtf16(u"\u5B8B\u4F53"), 9, 134);
        else
            SetFont({}, 0, 0);
        return;
    case 17:  // Japanese
        SetFont(FromUtf16(u"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF"), 9, 128);
        return;
    case 18:  // Korean
        SetFont(sub == 1 || sub == 2 ? FromUtf16(u"\uAD74\uB9BC") : std::string(), 9, 129);
        return;
    default: break;
    }
    std::string name;
    bool found = false;
    for (const char* candidate : {"MS Sans Serif", "Arial", "System"}) {
        name = candidate;
        if (IsFontAvailable(name)) {
            found = true;
            break;
        }
    }
    if (!found) name = SystemTitleFont();
    SetFont(name, 8, GetLocaleCharset());
}
