// Menu controls. A MenuItem is one entry of a menu bar, a menu or a popup
// menu: a command, or a menu holding other items. Its Click runs when the
// user chooses the command, or opens the menu.
//
// The check mark is the procedures' business: choosing a checkable item
// does not toggle it by itself, the Click procedure sets Checked as it
// decides.
#pragma once

#include "editor/shell/event.h"

#include <QObject>

#include <string>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

class MenuItem : public QObject {
    Q_OBJECT
public:
    // A command in `menu`. A checkable one shows a check mark when Checked.
    static MenuItem* Command(QMenu* menu, const std::string& caption, bool checkable = false);
    // A menu in the menu bar.
    static MenuItem* BarMenu(QMenuBar* bar, const std::string& caption);
    // A submenu of `menu`.
    static MenuItem* Submenu(QMenu* menu, const std::string& caption);
    // A menu outside the menu bar, shown only as a popup; owned by `owner`.
    static MenuItem* PopupMenu(QWidget* owner, const std::string& caption);
    // A separator line in `menu` (no control).
    static void Separator(QMenu* menu);

    std::string Caption() const;
    void SetCaption(const std::string& caption);
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    bool Visible() const;
    void SetVisible(bool visible);

    // The entry in its menu, and the menu it opens (null for a command).
    QAction* Action() const { return action_; }
    QMenu* Menu() const { return menu_; }

    Event<> Click;

private:
    MenuItem(QAction* action, QMenu* menu);

    QAction* action_;
    QMenu* menu_;
    bool checked_ = false;
};
