#include "editor/shell/menus.h"

#include "editor/shell/forms.h"
#include "platform/winsys/latin1.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>

MenuItem::MenuItem(QAction* action, QMenu* menu) : QObject(action), action_(action), menu_(menu)
{
    if (menu_) {
        // Opening a menu is its Click.
        connect(menu_, &QMenu::aboutToShow, this, [this] { RunEventProcedure([this] { Click.Raise(); }, menu_); });
        return;
    }
    connect(action_, &QAction::triggered, this, [this] {
        if (action_->isCheckable() && action_->isChecked() != checked_) {
            const QSignalBlocker block(action_);
            action_->setChecked(checked_);
        }
        RunEventProcedure([this] { Click.Raise(); }, action_->parent());
    });
}

MenuItem* MenuItem::Command(QMenu* menu, const std::string& caption, bool checkable)
{
    auto* action = new QAction(ToQ(caption), menu);
    action->setCheckable(checkable);
    menu->addAction(action);
    return new MenuItem(action, nullptr);
}

MenuItem* MenuItem::BarMenu(QMenuBar* bar, const std::string& caption)
{
    auto* menu = new QMenu(ToQ(caption), bar);
    bar->addMenu(menu);
    return new MenuItem(menu->menuAction(), menu);
}

MenuItem* MenuItem::Submenu(QMenu* parent, const std::string& caption)
{
    auto* menu = new QMenu(ToQ(caption), parent);
    parent->addMenu(menu);
    return new MenuItem(menu->menuAction(), menu);
}

MenuItem* MenuItem::PopupMenu(QWidget* owner, const std::string& caption)
{
    auto* menu = new QMenu(ToQ(caption), owner);
    return new MenuItem(menu->menuAction(), menu);
}

void MenuItem::Separator(QMenu* menu)
{
    menu->addSeparator();
}

std::string MenuItem::Caption() const
{
    return FromQ(action_->text());
}

void MenuItem::SetCaption(const std::string& caption)
{
    action_->setText(ToQ(caption));
    if (menu_) menu_->setTitle(ToQ(caption));
}

void MenuItem::SetChecked(bool checked)
{
    checked_ = checked;
    if (checked && !action_->isCheckable()) action_->setCheckable(true);
    const QSignalBlocker block(action_);
    action_->setChecked(checked);
}

bool MenuItem::Enabled() const
{
    return action_->isEnabled();
}

void MenuItem::SetEnabled(bool enabled)
{
    action_->setEnabled(enabled);
}

bool MenuItem::Visible() const
{
    return action_->isVisible();
}

void MenuItem::SetVisible(bool visible)
{
    action_->setVisible(visible);
}
