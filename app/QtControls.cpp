#include "app/QtControls.h"

#include "app/ProgressBarColor.h"
#include "window/SortedOrder.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>

namespace qf {

int QtTickList::ListCount() const
{
    return widget_->count();
}

QString QtTickList::ItemText(int index) const
{
    return widget_->item(index)->text();
}

bool QtTickList::Selected(int index) const
{
    return widget_->item(index)->checkState() == Qt::Checked;
}

void QtTickList::SetSelected(int index, bool ticked)
{
    widget_->item(index)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

int QtTickList::ListIndex() const
{
    return widget_->currentRow();
}

bool QtTickList::SetListIndex(int index)
{
    if (index < 0 || index >= widget_->count())
        return false;
    widget_->setCurrentRow(index);
    return true;
}

void QtTickList::Clear()
{
    widget_->clear();
}

void QtTickList::AddItem(const QString &text)
{
    const int row = SortedInsertRow(
        widget_->count(), [this](int i) { return widget_->item(i)->text(); }, text);
    auto *item = new QListWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    widget_->insertItem(row, item);
}

void RepaintNow(QWidget *widget)
{
    widget->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString QtLineTextBox::Text() const
{
    return widget_->text();
}

void QtLineTextBox::SetText(const QString &text)
{
    widget_->setText(text);
}

void QtLineTextBox::Refresh()
{
    RepaintNow(widget_);
}

QString QtPlainTextBox::Text() const
{
    return widget_->toPlainText();
}

void QtPlainTextBox::SetText(const QString &text)
{
    widget_->setPlainText(text);
}

void QtPlainTextBox::Refresh()
{
    RepaintNow(widget_);
}

QtCheckBox::QtCheckBox(QCheckBox *widget) : widget_(widget)
{
    QObject::connect(widget_, &QCheckBox::stateChanged, widget_, [box = widget_](int state) {
        if (state != Qt::PartiallyChecked)
            box->setTristate(false);
    });
}

int QtCheckBox::Value() const
{
    switch (widget_->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

bool QtCheckBox::SetValue(int value)
{
    switch (value) {
    case 0:
        widget_->setCheckState(Qt::Unchecked);
        return true;
    case 1:
        widget_->setCheckState(Qt::Checked);
        return true;
    case 2:
        widget_->setTristate(true);
        widget_->setCheckState(Qt::PartiallyChecked);
        return true;
    default:
        return false;
    }
}

int QtProgressBar::Min() const
{
    return widget_->minimum();
}

int QtProgressBar::Max() const
{
    return widget_->maximum();
}

int QtProgressBar::Value() const
{
    return widget_->value();
}

void QtProgressBar::SetMin(int value)
{
    widget_->setMinimum(value);
}

void QtProgressBar::SetMax(int value)
{
    widget_->setMaximum(value);
}

void QtProgressBar::SetValue(int value)
{
    widget_->setValue(value);
}

void QtProgressBar::SetBarColor(quint32 colour)
{
    qf::SetBarColor(widget_, colour);
}

quint32 QtProgressBar::BarColor() const
{
    return BarColorOf(widget_);
}

void QtMessageBox::Show(const QString &text, const QString &caption, Icon icon)
{
    QMessageBox::Icon qtIcon = QMessageBox::NoIcon;
    switch (icon) {
    case Icon::Information:
        qtIcon = QMessageBox::Information;
        break;
    case Icon::Warning:
        qtIcon = QMessageBox::Warning;
        break;
    case Icon::Critical:
        qtIcon = QMessageBox::Critical;
        break;
    case Icon::None:
        break;
    }
    QMessageBox box(qtIcon, caption, text, QMessageBox::Ok, parent_);
    box.exec();
}

} // namespace qf
