#include "app/RowDragMover.h"

#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>

#include <algorithm>

namespace qf {

RowDragMover::RowDragMover(QListWidget *list, std::function<bool(int from, int to)> move)
    : QObject(list), list_(list), move_(std::move(move))
{
    list_->viewport()->installEventFilter(this);
}

bool RowDragMover::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != list_->viewport())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        End();
        if (mouse->button() == Qt::LeftButton) {
            row_ = list_->indexAt(mouse->position().toPoint()).row();
            pressedAt_ = mouse->position().toPoint();
        }
        return false;
    }
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (row_ < 0 || !(mouse->buttons() & Qt::LeftButton))
            return false;
        const QPoint at = mouse->position().toPoint();
        if (!dragging_ && (at - pressedAt_).manhattanLength() < QApplication::startDragDistance())
            return false;
        if (!dragging_) {
            dragging_ = true;
            list_->viewport()->setCursor(Qt::ClosedHandCursor);
        }
        Follow(at);
        return true; // the list would change the current row or select as the pointer passes
    }
    case QEvent::MouseButtonRelease: {
        const bool dragged = dragging_;
        End();
        return dragged; // a release at the end of a drag ticks nothing
    }
    default:
        return false;
    }
}

void RowDragMover::Follow(QPoint at)
{
    int target = list_->indexAt(at).row();
    if (target < 0) {
        // Above or below the rows shown, the row goes one further, and the list scrolls along;
        // in the space after the last row, it goes last.
        if (at.y() < 0)
            target = row_ - 1;
        else if (at.y() >= list_->viewport()->height())
            target = row_ + 1;
        else
            target = list_->count() - 1;
    }
    target = std::clamp(target, 0, list_->count() - 1);
    while (row_ >= 0 && row_ != target) {
        const int to = row_ + (target > row_ ? 1 : -1);
        row_ = move_(row_, to) ? to : -1; // a move refused ends the drag where it stands
    }
}

void RowDragMover::End()
{
    if (dragging_)
        list_->viewport()->unsetCursor();
    dragging_ = false;
    row_ = -1;
}

} // namespace qf
