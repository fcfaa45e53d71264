#pragma once

#include "window/Controls.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QMessageBox;
class QPlainTextEdit;
class QProgressBar;
class QWidget;

namespace qf {

// The window-shaped interfaces over Qt widgets. None owns its widget.

class QtTickList : public TickList {
public:
    explicit QtTickList(QListWidget *widget) : widget_(widget) {}
    // While a run walks through the list, the highlight moves with the screen's frames; off, it
    // moves at once again.
    void SetPaced(bool paced);
    int Count() const override;
    QString Name(int index) const override;
    bool Ticked(int index) const override;
    void SetTicked(int index, bool ticked) override;
    int Current() const override;
    bool SetCurrent(int index) override;
    void Clear() override;
    void AddItem(const QString &text) override;
    void SetOrder(const ListSorting &sorting) override;
    const ListSorting &Order() const override { return sorting_; }
    void SetMark(int index, const QString &meaning) override;

private:
    QListWidget *widget_;
    ListSorting sorting_;
    bool paced_ = false;
    int pendingIndex_ = -1; // the current item it gets with the next frame, if any
};

// Hands the widgets the changes that waited for the next frame, if its time has come. A widget
// repaints what changed itself; asking for more paints the window far more often than a screen
// shows it, on the cores a run needs.
void StartFrameIfDue();
// Hands the widgets every change that waits for the next frame, now.
void ShowWaitingChanges();

class QtLineTextBox : public TextBox {
public:
    explicit QtLineTextBox(QLineEdit *widget) : widget_(widget) {}
    QString Text() const override;
    void SetText(const QString &text) override;
    void Refresh() override;

private:
    QLineEdit *widget_;
};

class QtPlainTextBox : public TextBox {
public:
    explicit QtPlainTextBox(QPlainTextEdit *widget);
    QString Text() const override;
    void SetText(const QString &text) override;
    void Refresh() override;

private:
    QPlainTextEdit *widget_;
    QString text_; // the widget's text, or the one it gets with the next frame
};

class QtCheckBox : public CheckBox {
public:
    // Lets the user tick and clear only; grayed is for the program to set.
    explicit QtCheckBox(QCheckBox *widget);
    Qt::CheckState State() const override;
    void SetState(Qt::CheckState state) override;

private:
    QCheckBox *widget_;
};

class QtProgressBar : public ProgressBar {
public:
    explicit QtProgressBar(QProgressBar *widget);
    int Min() const override;
    int Max() const override;
    int Value() const override;
    void SetMin(int value) override;
    void SetMax(int value) override;
    void SetValue(int value) override;
    void SetBarColor(const QColor &colour) override;
    QColor BarColor() const override;

private:
    QProgressBar *widget_;
    int value_; // the widget's value, or the one it gets with the next frame
};

// Puts text into box: a message too long for the screen shows its heading and first problems,
// and lists every problem in its details, which scroll.
void SetMessageText(QMessageBox &box, const QString &text);

class QtMessageBox : public MessageBox {
public:
    explicit QtMessageBox(QWidget *parent) : parent_(parent) {}
    void Show(const QString &text, const QString &caption, Icon icon) override;
    void Open(const QString &text, const QString &caption, Icon icon,
              std::function<void()> closed) override;
    bool Ask(const QString &question, const QString &caption) override;

private:
    QWidget *parent_;
};

} // namespace qf
