#pragma once

#include "window/MemoryWindow.h"

#include <QTextStream>

namespace qf {

// Where the batch command reports: progress and messages on standard error, results on
// standard output.
class Console {
public:
    explicit Console(bool errorIsTerminal);
    QTextStream &out() { return out_; }
    // Progress: a bar with the current file on a terminal, otherwise one line per file.
    void Progress(const QString &job, int done, int total, const QString &file);
    void EndProgress();
    void Error(const QString &text);

private:
    QTextStream out_;
    QTextStream err_;
    bool terminal_;
    bool barShown_ = false;
};

// The window's controls without a screen: what a job shows of its progress goes to the console,
// what the window would show in a message box goes to standard error.
class ConsoleWindow : public MainWindow {
public:
    explicit ConsoleWindow(Console &console);

    MemoryTickList list1, list2;
    MemoryTextBox text1, text3, text4, text5;
    MemoryCheckBox check1;
    MemoryProgressBar progressBar1, progressBar2;

    // The job whose progress is shown, and its bar.
    void SetJob(const QString &name, ProgressBar *bar);
    // Messages shown so far: each is something that was not done.
    int messagesShown() const { return messages_.shown; }

    TickList &List1() override { return list1; }
    TickList &List2() override { return list2; }
    TextBox &Text1() override { return text1; }
    TextBox &Text2() override { return text2_; }
    TextBox &Text3() override { return text3; }
    TextBox &Text4() override { return text4; }
    TextBox &Text5() override { return text5; }
    CheckBox &Check1() override { return check1; }
    ProgressBar &ProgressBar1() override { return progressBar1; }
    ProgressBar &ProgressBar2() override { return progressBar2; }
    MessageBox &Messages() override { return messages_; }
    void KeepResponsive() override {}

private:
    // The line naming the file at hand: shown while a job works through its files.
    class FileLine : public MemoryTextBox {
    public:
        explicit FileLine(ConsoleWindow &window) : window_(window) {}
        void Refresh() override;

    private:
        ConsoleWindow &window_;
    };
    class ErrorMessages : public MessageBox {
    public:
        explicit ErrorMessages(Console &console) : console_(console) {}
        void Show(const QString &text, const QString &caption, Icon icon) override;
        int shown = 0;

    private:
        Console &console_;
    };

    Console &console_;
    FileLine text2_;
    ErrorMessages messages_;
    QString job_;
    ProgressBar *bar_ = nullptr;
};

} // namespace qf
