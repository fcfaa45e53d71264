#pragma once

#include <functional>
#include <map>

#include "core/BookChoices.h"
#include "core/JobObserver.h"
#include "listing/ListOrder.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// The main window as its runs see it. The window implements these with Qt widgets; the tests of
// the runs implement them without a screen.
namespace qf {

// The window shows a run's changes some 30 times a second: smooth to the eye, and more often only
// takes the cores the run needs.
inline constexpr int kFrameMs = 33;

// A list of file names with a tick box each, kept sorted ignoring case.
class TickList {
public:
    virtual ~TickList() = default;
    virtual int Count() const = 0;
    virtual QString Name(int index) const = 0;
    virtual bool Ticked(int index) const = 0;
    virtual void SetTicked(int index, bool ticked) = 0;
    // The current (highlighted) item, -1 when there is none.
    virtual int Current() const = 0;
    // False, changing nothing, when the index names no item.
    virtual bool SetCurrent(int index) = 0;
    virtual void Clear() = 0;
    // Adds an unticked item at its place in the list's order.
    virtual void AddItem(const QString &text) = 0;
    // Puts the items in the order and keeps them so; ticks, marks and the current item go with
    // their items.
    virtual void SetOrder(const ListSorting &sorting) = 0;
    virtual const ListSorting &Order() const = 0;
    // Puts a small mark on the item, meaning as its tooltip; an empty meaning takes it off. The
    // item's text, tick and place stay as they are.
    virtual void SetMark(int index, const QString &meaning) = 0;
};

// A text box; Refresh has it painted with the next frame.
class TextBox {
public:
    virtual ~TextBox() = default;
    virtual QString Text() const = 0;
    virtual void SetText(const QString &text) = 0;
    virtual void Refresh() = 0;
    // Sets the text and has it painted.
    void Show(const QString &text)
    {
        SetText(text);
        Refresh();
    }
};

// A check box, which the folder's settings may also have grayed (partly checked).
class CheckBox {
public:
    virtual ~CheckBox() = default;
    virtual Qt::CheckState State() const = 0;
    virtual void SetState(Qt::CheckState state) = 0;
};

// A run's bar is green while it works and red once it has ended.
inline const QColor kBarGreen{0, 255, 0};
inline const QColor kBarRed{255, 0, 0};

class ProgressBar {
public:
    virtual ~ProgressBar() = default;
    virtual int Min() const = 0;
    virtual int Max() const = 0;
    virtual int Value() const = 0;
    virtual void SetMin(int value) = 0;
    virtual void SetMax(int value) = 0;
    virtual void SetValue(int value) = 0;
    virtual void SetBarColor(const QColor &colour) = 0;
    virtual QColor BarColor() const = 0;
};

// A modal message with a single OK button, or a question with Yes and No.
class MessageBox {
public:
    using Icon = Notice::Icon;
    virtual ~MessageBox() = default;
    virtual void Show(const QString &text, const QString &caption, Icon icon) = 0;
    // The same, returning at once: closed is called once the user has closed it.
    virtual void Open(const QString &text, const QString &caption, Icon icon,
                      std::function<void()> closed) = 0;
    // True for Yes.
    virtual bool Ask(const QString &question, const QString &caption) = 0;
};

// The controls of the main window that the jobs use, by what they are. The window's widgets keep
// the names the window was first drawn with as their object names; this is the one table of both:
//
//   DocumentList      List1          PrintDocuments     Command1 "Print DOC Files to PDF"
//   PdfList           List2          RemoveConverted    Command2 "Click here to delete PDF ..."
//   StatusLine        Text1          CompileTheBook     Command3 "Compile PDF Files"
//   FileLine          Text2          check all / none   Command4, Command5 (documents)
//   DocumentCount     Text3          check all / none   Command6, Command7 (PDF files)
//   PdfCount          Text4          CloseAndRemember   Command8 "Close"
//   BookName          Text5          the lists' labels  Label1, Label2
//   BlankSheetOption  Check1         the window         Form1 (FolderWindow)
//   ConversionBar     ProgressBar1
//   CompileBar        ProgressBar2
class MainWindow {
public:
    virtual ~MainWindow() = default;
    virtual TickList &DocumentList() = 0;
    virtual TickList &PdfList() = 0;
    virtual TextBox &StatusLine() = 0;
    virtual TextBox &FileLine() = 0;
    virtual TextBox &DocumentCount() = 0;
    virtual TextBox &PdfCount() = 0;
    virtual TextBox &BookName() = 0;
    virtual CheckBox &BlankSheetOption() = 0;
    virtual ProgressBar &ConversionBar() = 0;
    virtual ProgressBar &CompileBar() = 0;
    virtual MessageBox &Messages() = 0;
    virtual BookChoices &Choices() = 0;
    // Whether the user moved PDFs since start-up: the PDF list's order is then the folder's own,
    // stored whenever the ignore lists are.
    virtual bool PdfOrderMoved() const { return false; }
    // Whether the user asked the run under way to stop.
    virtual bool StopRequested() const { return false; }
    // Asks, in one go, for the passwords of the PDFs names; those answered, by name. The answers
    // are for the run about to start and are kept nowhere else.
    virtual std::map<QString, QString> AskPasswords(const QStringList &names)
    {
        Q_UNUSED(names);
        return {};
    }
};

} // namespace qf
