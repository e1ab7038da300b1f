#include "editor/shell/listbox.h"

#include "editor/shell/errors.h"
#include "editor/shell/forms.h"
#include "platform/winsys/latin1.h"

ListBox::ListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::currentRowChanged, this, [this](int) {
        if (!settingFromCode_) RunEventProcedure([this] { Click.Raise(); }, this);
    });
}

int ListBox::ListIndex() const
{
    return currentRow();
}

void ListBox::SetListIndex(int index)
{
    if (index < -1 || index >= count()) RaiseError(errnum::InvalidPropertyValue);
    if (index == currentRow()) return;
    settingFromCode_ = true;
    setCurrentRow(index);
    if (index < 0) clearSelection();
    settingFromCode_ = false;
    Click.Raise();
}

int ListBox::TopIndex() const
{
    const QModelIndex top = indexAt(QPoint(1, 1));
    return top.isValid() ? top.row() : 0;
}

void ListBox::SetTopIndex(int index)
{
    if (QListWidgetItem* line = item(index)) scrollToItem(line, QAbstractItemView::PositionAtTop);
}

void ListBox::AddItem(const std::string& text)
{
    addItem(ToQ(text));
}

void ListBox::Clear()
{
    settingFromCode_ = true;
    clear();
    settingFromCode_ = false;
}

int ListBox::ListCount() const
{
    return count();
}

std::string ListBox::List(int index) const
{
    const QListWidgetItem* line = item(index);
    return line ? FromQ(line->text()) : std::string();
}

std::string ListBox::Text() const
{
    return List(currentRow());
}
