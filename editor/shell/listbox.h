// The list box control: a list of text lines, one of which can be selected.
// Setting ListIndex from code raises Click at once (only when it changes),
// as the user's click does.
#pragma once

#include "editor/shell/event.h"

#include <QListWidget>

#include <string>

class ListBox : public QListWidget {
public:
    explicit ListBox(QWidget* parent = nullptr);

    // -1 when nothing is selected. Setting it raises Click when it changes;
    // an index outside the list raises error 380.
    int ListIndex() const;
    void SetListIndex(int index);
    // The first line shown; setting it scrolls the list.
    int TopIndex() const;
    void SetTopIndex(int index);

    void AddItem(const std::string& text);
    void Clear();
    int ListCount() const;
    std::string List(int index) const;
    // The selected line ("" when none).
    std::string Text() const;

    Event<> Click;

private:
    bool settingFromCode_ = false;
};
