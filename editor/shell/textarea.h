// A multi-line text box: lines are separated by carriage return and line
// feed in its Text, as the editor's multi-line texts are.
#pragma once

#include "editor/shell/event.h"

#include <QPlainTextEdit>

#include <string>

class TextArea : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextArea(QWidget* parent = nullptr);
    // The text with CR LF line ends.
    std::string Text() const;
    // Replaces the text (CR LF, LF or CR line ends); raises Change when it
    // changes.
    void SetText(const std::string& text);

    Event<> Change;

private:
    bool settingFromCode_ = false;
};
