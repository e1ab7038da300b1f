#include "editor/shell/textarea.h"

#include "editor/shell/forms.h"
#include "editor/shell/scope_guard.h"
#include "platform/winsys/latin1.h"

TextArea::TextArea(QWidget* parent) : QPlainTextEdit(parent)
{
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!settingFromCode_) RunEventProcedure([this] { Change.Raise(); }, this);
    });
}

std::string TextArea::Text() const
{
    const std::string text = FromQ(toPlainText());
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\n') out += "\r\n";
        else out.push_back(c);
    }
    return out;
}

void TextArea::SetText(const std::string& text)
{
    std::string lines;
    lines.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            lines.push_back('\n');
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            lines.push_back(text[i]);
        }
    }
    if (lines == FromQ(toPlainText())) return;
    {
        RestoreOnExit<bool> fromCode(settingFromCode_, true);
        setPlainText(ToQ(lines));
    }
    Change.Raise();
}
