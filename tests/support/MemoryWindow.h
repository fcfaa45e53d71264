#pragma once

#include "window/Controls.h"

#include <QList>
#include <QStringList>

#include <atomic>
#include <functional>

namespace qf {

// Controls without a screen, for the tests of what the window's runs do.

class MemoryTickList : public TickList {
public:
    int Count() const override { return int(items_.size()); }
    QString Name(int index) const override { return items_.at(index).text; }
    bool Ticked(int index) const override { return items_.at(index).ticked; }
    void SetTicked(int index, bool ticked) override { items_[index].ticked = ticked; }
    int Current() const override { return current_; }
    bool SetCurrent(int index) override;
    void Clear() override;
    void AddItem(const QString &text) override;
    void SetOrder(const ListSorting &sorting) override;
    const ListSorting &Order() const override { return sorting_; }
    void SetMark(int index, const QString &meaning) override { items_[index].mark = meaning; }
    QString Mark(int index) const { return items_.at(index).mark; }

    QStringList texts() const;
    QStringList tickedTexts() const;

private:
    struct Item {
        QString text;
        bool ticked = false;
        QString mark;
    };
    QList<Item> items_;
    int current_ = -1;
    ListSorting sorting_;
};

class MemoryTextBox : public TextBox {
public:
    QString Text() const override { return text_; }
    void SetText(const QString &text) override
    {
        text_ = text;
        history_.append(text);
    }
    void Refresh() override { ++refreshes_; }
    int refreshes() const { return refreshes_; }
    // Every text it was given, oldest first.
    const QStringList &history() const { return history_; }

private:
    QString text_;
    QStringList history_;
    int refreshes_ = 0;
};

class MemoryCheckBox : public CheckBox {
public:
    Qt::CheckState State() const override { return state_; }
    void SetState(Qt::CheckState state) override { state_ = state; }

private:
    Qt::CheckState state_ = Qt::Unchecked;
};

class MemoryProgressBar : public ProgressBar {
public:
    int Min() const override { return min_; }
    int Max() const override { return max_; }
    int Value() const override { return value_; }
    void SetMin(int value) override { min_ = value; }
    void SetMax(int value) override { max_ = value; }
    void SetValue(int value) override { value_ = value; }
    void SetBarColor(const QColor &colour) override { colour_ = colour; }
    QColor BarColor() const override { return colour_; }

private:
    int min_ = 0;
    int max_ = 100;
    int value_ = 0;
    QColor colour_;
};

// Records every message instead of showing it.
class RecordingMessageBox : public MessageBox {
public:
    struct Shown {
        QString text;
        QString caption;
        Icon icon;
    };
    void Show(const QString &text, const QString &caption, Icon icon) override
    {
        shown_.append({text, caption, icon});
    }
    void Open(const QString &text, const QString &caption, Icon icon,
              std::function<void()> closed) override
    {
        Show(text, caption, icon);
        closed();
    }
    // Questions are recorded too, and answered with answer.
    bool Ask(const QString &question, const QString &caption) override
    {
        shown_.append({question, caption, Icon::None});
        return answer;
    }
    const QList<Shown> &shown() const { return shown_; }
    bool answer = true;

private:
    QList<Shown> shown_;
};

class MemoryWindow : public MainWindow {
public:
    MemoryTickList documentList, pdfList;
    MemoryTextBox statusLine, fileLine, documentCount, pdfCount, bookName;
    MemoryCheckBox blankSheetOption;
    MemoryProgressBar conversionBar, compileBar;
    RecordingMessageBox messages;
    BookChoices choices;

    TickList &DocumentList() override { return documentList; }
    TickList &PdfList() override { return pdfList; }
    TextBox &StatusLine() override { return statusLine; }
    TextBox &FileLine() override { return fileLine; }
    TextBox &DocumentCount() override { return documentCount; }
    TextBox &PdfCount() override { return pdfCount; }
    TextBox &BookName() override { return bookName; }
    CheckBox &BlankSheetOption() override { return blankSheetOption; }
    ProgressBar &ConversionBar() override { return conversionBar; }
    ProgressBar &CompileBar() override { return compileBar; }
    MessageBox &Messages() override { return messages; }
    BookChoices &Choices() override { return choices; }
    bool StopRequested() const override { return stopRequested; }
    std::atomic_bool stopRequested = false; // read by a job's thread
    // The user's answers to the password dialog, and the names it asked for.
    std::map<QString, QString> AskPasswords(const QStringList &names) override
    {
        passwordsAsked.append(names);
        return passwords;
    }
    std::map<QString, QString> passwords;
    QList<QStringList> passwordsAsked;
};

} // namespace qf
