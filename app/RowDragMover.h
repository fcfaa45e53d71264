#pragma once

#include <QObject>
#include <QPoint>

#include <functional>

class QListWidget;

namespace qf {

// Moves a list's rows with the mouse: a row pressed and moved past the drag distance follows the
// pointer, row by row, until the button is released. No drag and drop is started, so it works
// the same with any window system's input and with no drag manager. A press and release that
// stay put reach the list as ever (ticks, the current row).
class RowDragMover : public QObject {
public:
    // move(from, to) moves a row one place up or down (to is from - 1 or from + 1), and says
    // whether it did.
    RowDragMover(QListWidget *list, std::function<bool(int from, int to)> move);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Follow(QPoint at);
    void End();

    QListWidget *list_;
    std::function<bool(int, int)> move_;
    int row_ = -1; // the row pressed, and then where it has been moved to
    QPoint pressedAt_;
    bool dragging_ = false;
};

} // namespace qf
