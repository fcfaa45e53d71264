#pragma once

#include "app/DesktopBookViewer.h"
#include "app/QtControls.h"
#include "convert/WordProcessor.h"
#include "core/Workspace.h"
#include "runs/CompletionSound.h"
#include "runs/RunContext.h"
#include "window/Controls.h"

#include <QDialog>

#include <functional>
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

inline const QString kWindowCaption = QStringLiteral("Quirefold 1.1 from Tallowmere");

// The program's one window. Each widget's object name is its control name ("List1", ...).
class Form1 : public QDialog, public MainWindow {
    Q_OBJECT
public:
    explicit Form1(Workspace &ws, QWidget *parent = nullptr);
    ~Form1() override;

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

    TickList &List1() override { return list1_; }
    TickList &List2() override { return list2_; }
    TextBox &Text1() override { return text1_; }
    TextBox &Text2() override { return text2_; }
    TextBox &Text3() override { return text3_; }
    TextBox &Text4() override { return text4_; }
    TextBox &Text5() override { return text5_; }
    CheckBox &Check1() override { return check1_; }
    ProgressBar &ProgressBar1() override { return progressBar1_; }
    ProgressBar &ProgressBar2() override { return progressBar2_; }
    MessageBox &Messages() override;
    BookChoices &Choices() override { return choices_; }
    void KeepResponsive() override;
    bool StopRequested() const override { return stopRequested_; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command8_Click();
    void AddPdfListMenu();
    void AddDocumentListMenu();
    void AttachMenu(QListWidget *list, QMenu *menu);

    // While a job runs the window takes no input but a request to stop: its button turns into
    // Stop, and Escape or closing the window (once confirmed) stop it too.
    class RunGuard;
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
    bool stopRequested_ = false;
    bool closeAfterRun_ = false;
    QPushButton *stopButton_ = nullptr; // the run's button, while it is Stop
    MessageBox *messageOverride_ = nullptr;
    RunHooks hooks_;
    DesktopCompletionSound desktopSound_;
    DesktopBookViewer desktopViewer_;

    QListWidget *list1Widget_;
    QListWidget *list2Widget_;
    QPlainTextEdit *text1Widget_;
    QPlainTextEdit *text2Widget_;
    QLineEdit *text3Widget_;
    QLineEdit *text4Widget_;
    QLineEdit *text5Widget_;
    QCheckBox *check1Widget_;
    QProgressBar *progressBar1Widget_;
    QProgressBar *progressBar2Widget_;

    QtTickList list1_, list2_;
    QtPlainTextBox text1_, text2_;
    QtLineTextBox text3_, text4_, text5_;
    QtCheckBox check1_;
    QtProgressBar progressBar1_, progressBar2_;
    QtMessageBox messageBox_;
    BookChoices choices_;
};

} // namespace qf
