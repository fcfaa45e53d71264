#pragma once

#include "app/DesktopBookViewer.h"
#include "app/QtControls.h"
#include "convert/WordProcessor.h"
#include "core/Workspace.h"
#include "runs/CompletionSound.h"
#include "runs/RunContext.h"
#include "window/Controls.h"

#include <QDialog>

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace qf {

// Where a control of the window goes: at its stored place when the window has its stored size,
// and how it takes more room. Of the extra width each side gets half.
struct Placement {
    enum Grow { Left = 0, Right = 1, Wide = 2, Tall = 4, Below = 8 };
    QWidget *widget;
    QRect stored;
    int grow; // Grow flags: on the right side, wider, taller, moved down
    QRect At(QSize extra) const;
};

// The window's caption, which follows its folder's name.
QString WindowCaption();

// The program's one window. Each widget's object name is its control name ("List1", ...).
class FolderWindow : public QDialog, public MainWindow {
    Q_OBJECT
public:
    explicit FolderWindow(Workspace &ws, QWidget *parent = nullptr);
    ~FolderWindow() override;

    // Shows the window centred on its screen.
    void ShowCentred();

    // When start-up found no folder to open, says so in the window and offers to choose one;
    // a folder chosen is opened as start-up opens one.
    void OfferAnotherFolder(const Problems &startProblems);
    // How a folder is chosen; tests answer instead of a dialog. Empty: the user chose none.
    void SetFolderChooser(std::function<QString()> choose) { chooseFolder_ = std::move(choose); }

    // Where messages go; nullptr restores the real message box. Tests record them instead.
    void SetMessageBox(MessageBox *box) { messageOverride_ = box; }

    // The outside world the runs use; tests put recorders in. Null members keep the real ones.
    struct RunHooks {
        CompletionSound *sound = nullptr;
        BookViewer *bookViewer = nullptr;
        QString programFolder;              // empty: the program's own folder
        WordProcessorStarter wordProcessor; // empty: LibreOffice
    };
    void SetRunHooks(const RunHooks &hooks) { hooks_ = hooks; }

    TickList &DocumentList() override { return documentList_; }
    TickList &PdfList() override { return pdfList_; }
    TextBox &StatusLine() override { return statusLine_; }
    TextBox &FileLine() override { return fileLine_; }
    TextBox &DocumentCount() override { return documentCount_; }
    TextBox &PdfCount() override { return pdfCount_; }
    TextBox &BookName() override { return bookName_; }
    CheckBox &BlankSheetOption() override { return blankSheetOption_; }
    ProgressBar &ConversionBar() override { return conversionBar_; }
    ProgressBar &CompileBar() override { return compileBar_; }
    MessageBox &Messages() override;
    BookChoices &Choices() override { return choices_; }
    bool PdfOrderMoved() const override { return pdfOrderMoved_; }
    bool StopRequested() const override { return stopRequested_; }
    std::map<QString, QString> AskPasswords(const QStringList &names) override;
    // Whether a run is under way.
    bool Running() const { return running_; }
    Q_SIGNAL void RunEnded(); // once the window takes input again
    // For the application's end: a run still under way is stopped, and every job beside the
    // window (a filing check too) is waited for.
    void EndRun();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void PrintDocuments();
    void RemoveConverted();
    void CompileTheBook();
    void CheckTheBookForFiling();
    void CloseAndRemember();
    void EndOfRun();
    // The buttons and labels, which the window reaches only through their signals and buddies.
    struct Buttons {
        QPushButton *print, *remove, *compile, *checkDocuments, *uncheckDocuments, *checkPdfs,
            *uncheckPdfs, *close;
        QLabel *documentsLabel, *bookNameLabel;
    };
    Buttons MakeButtons();
    // What a screen reader calls each control, and the list with the keyboard drawn plainly.
    void NameControls(const Buttons &buttons);
    // Where each control goes at the stored size and how it takes a larger window; Tab's order.
    void PlaceControlsAtFirst(const Buttons &buttons);
    void ConnectButtons(const Buttons &buttons);
    void AddPdfListMenu();
    // The stored form of an answer, or null with why it cannot be used.
    using ReadAnswer = std::function<std::optional<QString>(const QString &, QString &refusal)>;
    void AddAskedChoice(QMenu *menu, const char *name, const QString &text,
                        QString BookChoices::*value, const QString &prompt,
                        const QString &suggested, const ReadAnswer &read,
                        const std::function<QString(const QString &)> &shown = {});
    void AddPageNumbersChoice(QMenu *menu);
    void AddVolumesChoice(QMenu *menu);
    void AddBookTitleChoice(QMenu *menu);
    void AddNaturalOrderChoice(QMenu *menu);
    // The PDF list's own order: the current PDF moved by one place (-1 up, +1 down), or the
    // order of the list as it now stands taken as the folder's own.
    void AddOwnOrderChoices(QMenu *menu);
    void MoveCurrentPdf(int by);
    // False when it cannot move now: a run, or no such row.
    bool MovePdf(int row, int to);
    void TakeOwnPdfOrder();
    void StoreOwnOrder();
    // A submenu of kinds (value, text), one of them checked: the choice's value.
    void AddOneOfChoice(QMenu *menu, const QString &title, const QString &name,
                        const QList<std::pair<QString, QString>> &kinds,
                        QString BookChoices::*choice);
    void AddBookmarkTitlesChoice(QMenu *menu);
    void AddPageSizeChoice(QMenu *menu);
    void AddDocumentListMenu();
    void AttachMenu(QListWidget *list, QMenu *menu, const QString &hint);

    // While a job runs on its own thread the window takes no input but a request to stop: its
    // button turns into Stop, and Escape or closing the window (once confirmed) stop it too.
    class RunGuard;
    std::unique_ptr<RunGuard> runGuard_; // while a run is under way
    void RequestStop();
    RunContext MakeRunContext();
    WordProcessorStarter DesktopWordProcessor();

    Workspace &ws_;
    void ShowFolderInTitle();
    void PlaceControls();
    std::vector<Placement> placements_;
    QSize storedSize_;
    std::function<QString()> chooseFolder_;
    bool running_ = false;
    std::atomic_bool stopRequested_ = false; // read by the job's thread
    bool closeAfterRun_ = false;
    bool checkingFiling_ = false;       // a filing check is under way, beside the window
    bool pdfOrderMoved_ = false;        // the PDF list's order is stored as the folder's own
    bool orderStoreDue_ = false;        // a move's order waits to be written, once for a drag
    bool orderStoreFailed_ = false;     // said once, until writing it works again
    QPushButton *stopButton_ = nullptr; // the run's button, while it is Stop
    MessageBox *messageOverride_ = nullptr;
    RunHooks hooks_;
    DesktopCompletionSound desktopSound_;
    DesktopBookViewer desktopViewer_;

    QListWidget *documentListWidget_;
    QListWidget *pdfListWidget_;
    QPlainTextEdit *statusLineWidget_;
    QPlainTextEdit *fileLineWidget_;
    QLineEdit *documentCountWidget_;
    QLineEdit *pdfCountWidget_;
    QLineEdit *bookNameWidget_;
    QCheckBox *blankSheetWidget_;
    QProgressBar *conversionBarWidget_;
    QProgressBar *compileBarWidget_;

    QtTickList documentList_, pdfList_;
    QtPlainTextBox statusLine_, fileLine_;
    QtLineTextBox documentCount_, pdfCount_, bookName_;
    QtCheckBox blankSheetOption_;
    QtProgressBar conversionBar_, compileBar_;
    QtMessageBox messageBox_;
    BookChoices choices_;
};

} // namespace qf
