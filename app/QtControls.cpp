#include "app/QtControls.h"

#include "app/ProgressBarColor.h"
#include "convert/PdfState.h"
#include "listing/ListOrder.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QIcon>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <utility>

namespace qf {

namespace {

// Progress looks smooth at some 30 frames a second: handing the widgets values and painting them
// more often only takes the cores a run needs. Costly changes (a status line's text, a bar's value)
// wait for the next frame; the last one is applied then, or as soon as the event loop runs.
class FramePacer {
public:
    static FramePacer &Instance()
    {
        static FramePacer pacer;
        return pacer;
    }

    void Defer(QObject *widget, std::function<void()> apply)
    {
        if (!watched_.contains(widget)) {
            watched_.insert(widget);
            QObject::connect(widget, &QObject::destroyed, [this, widget] {
                waiting_.remove(widget);
                watched_.remove(widget);
            });
        }
        waiting_.insert(widget, std::move(apply));
        if (!flushQueued_) {
            flushQueued_ = true;
            // With the next frame: a run tells its progress far more often than a screen shows.
            const qint64 wait =
                lastFrame_.isValid() ? std::max<qint64>(0, kFrameMs - lastFrame_.elapsed()) : 0;
            QTimer::singleShot(wait, [this] {
                flushQueued_ = false;
                ApplyAll();
                lastFrame_.start();
            });
        }
    }

    void ApplyNow(QObject *widget)
    {
        if (const auto apply = waiting_.take(widget))
            apply();
    }

    // Whether a frame has passed since the last was painted; if so, it starts the next one with
    // every change that waited.
    bool NextFrame()
    {
        if (lastFrame_.isValid() && !lastFrame_.hasExpired(kFrameMs))
            return false;
        ApplyAll();
        lastFrame_.start();
        return true;
    }

    void ApplyAll()
    {
        const auto waiting = std::exchange(waiting_, {});
        for (const auto &apply : waiting)
            apply();
    }

private:
    QHash<QObject *, std::function<void()>> waiting_;
    QSet<QObject *> watched_;
    QElapsedTimer lastFrame_;
    bool flushQueued_ = false;
};

} // namespace

int QtTickList::Count() const
{
    return widget_->count();
}

QString QtTickList::Name(int index) const
{
    return widget_->item(index)->text();
}

bool QtTickList::Ticked(int index) const
{
    return widget_->item(index)->checkState() == Qt::Checked;
}

void QtTickList::SetTicked(int index, bool ticked)
{
    widget_->item(index)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void QtTickList::SetPaced(bool paced)
{
    paced_ = paced;
    if (!paced)
        FramePacer::Instance().ApplyNow(widget_);
}

int QtTickList::Current() const
{
    return pendingIndex_ >= 0 ? pendingIndex_ : widget_->currentRow();
}

bool QtTickList::SetCurrent(int index)
{
    if (index < 0 || index >= widget_->count())
        return false;
    if (!paced_) {
        widget_->setCurrentRow(index);
        return true;
    }
    pendingIndex_ = index;
    FramePacer::Instance().Defer(widget_, [this, index] {
        pendingIndex_ = -1;
        widget_->setCurrentRow(index);
    });
    return true;
}

void QtTickList::Clear()
{
    FramePacer::Instance().ApplyNow(widget_); // before the rows it names go
    widget_->clear();
}

namespace {

// A small amber mark, or nothing in the same room, so marked and unmarked names stay in line. Its
// shape says what it means, not its colour alone: a ring for a PDF not there, a dot for one too
// old.
enum class MarkShape { None, Ring, Dot };

QIcon MarkIcon(MarkShape shape, const QSize &size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    if (shape != MarkShape::None) {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor amber(0xf0, 0xa0, 0x20), edge(0x9a, 0x5b, 0x00);
        painter.setPen(shape == MarkShape::Ring ? QPen(edge, 2.0) : QPen(edge));
        painter.setBrush(shape == MarkShape::Ring ? QBrush(Qt::NoBrush) : QBrush(amber));
        painter.drawEllipse(QRectF(1.5, 1.5, size.width() - 3.0, size.height() - 3.0));
    }
    return QIcon(pixmap);
}

} // namespace

namespace {

// A row's tooltip: its name whole, as a long one is cut in the list, what its mark means, and the
// list's own hint, which the rows of a full list would otherwise hide.
QString RowTip(const QString &name, const QString &meaning, const QString &hint)
{
    QString tip = name;
    if (!meaning.isEmpty())
        tip += QLatin1Char('\n') + meaning;
    if (!hint.isEmpty())
        tip += QStringLiteral("\n\n") + hint;
    return tip;
}

} // namespace

void QtTickList::SetMark(int index, const QString &meaning)
{
    QListWidgetItem *item = widget_->item(index);
    if (!item)
        return;
    static const QIcon ring = MarkIcon(MarkShape::Ring, QSize(10, 10));
    static const QIcon dot = MarkIcon(MarkShape::Dot, QSize(10, 10));
    static const QIcon none = MarkIcon(MarkShape::None, QSize(10, 10));
    widget_->setIconSize(QSize(10, 10));
    item->setIcon(meaning.isEmpty()                            ? none
                  : meaning == PdfStateMark(PdfState::Missing) ? ring
                                                               : dot);
    // A screen reader says what the mark means; the tooltip shows a long name whole.
    item->setData(Qt::AccessibleDescriptionRole, meaning);
    item->setToolTip(RowTip(item->text(), meaning, widget_->toolTip()));
}

void QtTickList::AddItem(const QString &text)
{
    FramePacer::Instance().ApplyNow(widget_); // before the rows it names move
    const int row = SortedInsertRow(
        widget_->count(), [this](int i) { return widget_->item(i)->text(); }, text, sorting_);
    auto *item = new QListWidgetItem(text);
    item->setToolTip(RowTip(text, {}, widget_->toolTip()));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    widget_->insertItem(row, item);
}

void ShowWaitingChanges()
{
    FramePacer::Instance().ApplyAll();
}

void QtTickList::SetOrder(const ListSorting &sorting)
{
    if (sorting == sorting_)
        return;
    sorting_ = sorting;
    const auto less = [this](const QListWidgetItem *a, const QListWidgetItem *b) {
        return sorting_.Less(a->text(), b->text());
    };
    QList<QListWidgetItem *> rows;
    for (int i = 0; i < widget_->count(); ++i)
        rows.append(widget_->item(i));
    if (std::is_sorted(rows.begin(), rows.end(), less))
        return;                               // a move's own order, or nothing to move
    FramePacer::Instance().ApplyNow(widget_); // before the rows it names move
    QListWidgetItem *current = widget_->currentItem();
    const int scrolled = widget_->verticalScrollBar()->value();
    QList<QListWidgetItem *> items;
    while (widget_->count() > 0)
        items.append(widget_->takeItem(0));
    std::stable_sort(items.begin(), items.end(), less);
    for (QListWidgetItem *item : items)
        widget_->addItem(item);
    if (current)
        widget_->setCurrentItem(current);
    widget_->verticalScrollBar()->setValue(scrolled);
}

void StartFrameIfDue()
{
    FramePacer::Instance().NextFrame();
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
    StartFrameIfDue();
}

QtPlainTextBox::QtPlainTextBox(QPlainTextEdit *widget)
    : widget_(widget), text_(widget->toPlainText())
{}

QString QtPlainTextBox::Text() const
{
    return text_;
}

void QtPlainTextBox::SetText(const QString &text)
{
    text_ = text;
    // A line too long for its box is read whole in its tooltip, and by a screen reader.
    FramePacer::Instance().Defer(widget_, [box = widget_, text] {
        box->setPlainText(text);
        box->setToolTip(text);
        box->setAccessibleDescription(text);
    });
}

void QtPlainTextBox::Refresh()
{
    StartFrameIfDue();
}

QtCheckBox::QtCheckBox(QCheckBox *widget) : widget_(widget)
{
    QObject::connect(widget_, &QCheckBox::stateChanged, widget_, [box = widget_](int state) {
        if (state != Qt::PartiallyChecked)
            box->setTristate(false);
    });
}

Qt::CheckState QtCheckBox::State() const
{
    return widget_->checkState();
}

void QtCheckBox::SetState(Qt::CheckState state)
{
    if (state == Qt::PartiallyChecked)
        widget_->setTristate(true);
    widget_->setCheckState(state);
}

QtProgressBar::QtProgressBar(QProgressBar *widget) : widget_(widget), value_(widget->value()) {}

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
    return value_;
}

// A new range may reset the value, so it goes in after the value that waits.
void QtProgressBar::SetMin(int value)
{
    if (value == widget_->minimum())
        return;
    FramePacer::Instance().ApplyNow(widget_);
    widget_->setMinimum(value);
    value_ = widget_->value();
}

void QtProgressBar::SetMax(int value)
{
    // A run sets the range: from then on the bar says how far it is, "37 of 200".
    if (!widget_->isTextVisible()) {
        widget_->setFormat(QCoreApplication::translate("Window", "%v of %m"));
        widget_->setTextVisible(true);
    }
    if (value == widget_->maximum())
        return;
    FramePacer::Instance().ApplyNow(widget_);
    widget_->setMaximum(value);
    value_ = widget_->value();
}

void QtProgressBar::SetValue(int value)
{
    // Outside the range the bar ignores a value, unless it has none.
    const bool noRange = widget_->minimum() == 0 && widget_->maximum() == 0;
    if (!noRange && (value < widget_->minimum() || value > widget_->maximum()))
        return;
    value_ = value;
    FramePacer::Instance().Defer(widget_, [bar = widget_, value] { bar->setValue(value); });
}

void QtProgressBar::SetBarColor(const QColor &colour)
{
    qf::SetBarColor(widget_, colour);
}

QColor QtProgressBar::BarColor() const
{
    return BarColorOf(widget_);
}

namespace {

QMessageBox::Icon QtIcon(MessageBox::Icon icon)
{
    QMessageBox::Icon qtIcon = QMessageBox::NoIcon;
    switch (icon) {
    case MessageBox::Icon::Information:
        qtIcon = QMessageBox::Information;
        break;
    case MessageBox::Icon::Warning:
        qtIcon = QMessageBox::Warning;
        break;
    case MessageBox::Icon::Critical:
        qtIcon = QMessageBox::Critical;
        break;
    case MessageBox::Icon::None:
        break;
    }
    return qtIcon;
}

} // namespace

void QtMessageBox::Show(const QString &text, const QString &caption, Icon icon)
{
    QMessageBox box(QtIcon(icon), caption, QString(), QMessageBox::Ok, parent_);
    SetMessageText(box, text);
    box.exec();
}

void QtMessageBox::Open(const QString &text, const QString &caption, Icon icon,
                        std::function<void()> closed)
{
    auto *box = new QMessageBox(QtIcon(icon), caption, QString(), QMessageBox::Ok, parent_);
    SetMessageText(*box, text);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QDialog::finished, box, [closed = std::move(closed)] { closed(); });
    box->open();
}

bool QtMessageBox::Ask(const QString &question, const QString &caption)
{
    QMessageBox box(QMessageBox::Question, caption, question, QMessageBox::Yes | QMessageBox::No,
                    parent_);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void SetMessageText(QMessageBox &box, const QString &text)
{
    // The text can be selected and copied, to be passed on.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // A heading, then one paragraph per problem.
    constexpr qsizetype kShown = 4;
    constexpr qsizetype kLongest = 400;
    const QStringList paragraphs = text.split(QStringLiteral("\n\n"));
    const bool fits = paragraphs.size() <= kShown + 1 &&
                      std::all_of(paragraphs.begin(), paragraphs.end(),
                                  [](const QString &p) { return p.size() <= kLongest; });
    if (fits) {
        box.setText(text);
        return;
    }
    // The rest scrolls in the details, so the box fits any screen.
    QStringList shown;
    for (qsizetype i = 0; i < paragraphs.size() && i <= kShown; ++i)
        shown << (paragraphs.at(i).size() > kLongest
                      ? paragraphs.at(i).left(kLongest) + QChar(0x2026)
                      : paragraphs.at(i));
    const qsizetype more =
        paragraphs.size() - 1 - std::min<qsizetype>(kShown, paragraphs.size() - 1);
    if (more > 0)
        shown << QCoreApplication::translate("Window",
                                             "... and %1 more, listed under Show Details.")
                     .arg(more);
    else
        shown << QCoreApplication::translate("Window", "All of it is under Show Details.");
    box.setText(shown.join(QStringLiteral("\n\n")));
    box.setDetailedText(paragraphs.mid(1).join(QStringLiteral("\n\n")));
}

} // namespace qf
