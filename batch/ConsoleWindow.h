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
class ConsoleWindow : public MemoryWindow {
public:
    explicit ConsoleWindow(Console &console);

    // The job whose progress is shown, and its bar.
    void SetJob(const QString &name, ProgressBar *bar);
    // Messages shown so far: each is something that was not done.
    int messagesShown() const { return messages_.shown; }

    TextBox &Text2() override { return text2_; }
    MessageBox &Messages() override { return messages_; }

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
