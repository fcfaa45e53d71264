#include "app/FolderWindow.h"

#include "app/RowDragMover.h"
#include "app/Twips.h"
#include "compile/CompileBook.h"
#include "compile/Volumes.h"
#include "convert/OfficePlugin.h"
#include "core/DocumentTypes.h"
#include "runs/CompileRun.h"
#include "runs/ConversionRun.h"
#include "runs/FilingCheckRun.h"
#include "runs/FolderState.h"
#include "runs/JobThread.h"
#include "runs/StartUp.h"
#include "store/FolderChoices.h"
#include "window/SelectAll.h"

#include <QAccessible>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGuiApplication>
#include <QIcon>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <iterator>
#include <utility>

namespace qf {
namespace {

constexpr int kClientWidth = 12345;
constexpr int kClientHeight = 4650;

template <typename W> W *Named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QListWidget *MakeTickList(QWidget *parent, const char *name)
{
    auto *list = Named(new QListWidget(parent), name);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    return list;
}

// The status lines: several lines, so a tab shows as a tab stop; not reached with Tab. A text
// longer than the box wraps and scrolls, so a hint is read whole wherever the box stands.
QPlainTextEdit *MakeStatusBox(QWidget *parent, const char *name)
{
    auto *box = Named(new QPlainTextEdit(parent), name);
    box->setFocusPolicy(Qt::ClickFocus);
    box->setTabChangesFocus(true);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->document()->setDocumentMargin(1);
    return box;
}

QLineEdit *MakeLineBox(QWidget *parent, const char *name, bool readOnly)
{
    auto *box = Named(new QLineEdit(parent), name);
    box->setReadOnly(readOnly);
    box->setTextMargins(1, 0, 1, 0);
    return box;
}

QProgressBar *MakeProgressBar(QWidget *parent, const char *name)
{
    auto *bar = Named(new QProgressBar(parent), name);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

QPushButton *MakeButton(QWidget *parent, const char *name, const QString &caption)
{
    // No button is ever the window's default: Enter presses the button that has the keyboard,
    // and nothing elsewhere (FolderWindow::keyPressEvent).
    auto *button = Named(new QPushButton(caption, parent), name);
    button->setAutoDefault(false);
    return button;
}

// The boxes the program writes and the user only reads are grey.
void MakeGrey(QWidget *box)
{
    QPalette palette = box->palette();
    const QColor grey = palette.color(QPalette::Active, QPalette::Window).darker(108);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, grey);
    box->setPalette(palette);
}

} // namespace

class FolderWindow::RunGuard {
public:
    RunGuard(FolderWindow &form, QPushButton *button)
        : form_(form), button_(button), caption_(button->text()), spoken_(button->accessibleName())
    {
        form_.running_ = true;
        form_.stopRequested_ = false;
        form_.stopButton_ = button;
        button->setText(QCoreApplication::translate("Window", "&Stop"));
        button->setAccessibleName(QCoreApplication::translate("Window", "Stop the run"));
        // The job runs beside the window: every other control is off until it ends, and the
        // lists, which show where it is, take no input.
        for (QWidget *control : form_.findChildren<QWidget *>())
            if ((qobject_cast<QAbstractButton *>(control) || qobject_cast<QLineEdit *>(control)) &&
                control != button && control->isEnabled()) {
                control->setEnabled(false);
                disabled_.append(control);
            }
        for (QListWidget *list : form_.findChildren<QListWidget *>()) {
            list->installEventFilter(&form_);
            list->viewport()->installEventFilter(&form_);
        }
        form_.documentList_.SetPaced(true);
        form_.pdfList_.SetPaced(true);
    }
    ~RunGuard()
    {
        form_.documentList_.SetPaced(false);
        form_.pdfList_.SetPaced(false);
        ShowWaitingChanges();
        for (QListWidget *list : form_.findChildren<QListWidget *>()) {
            list->removeEventFilter(&form_);
            list->viewport()->removeEventFilter(&form_);
        }
        for (QWidget *control : disabled_)
            if (control)
                control->setEnabled(true);
        button_->setText(caption_);
        button_->setAccessibleName(spoken_);
        button_->setEnabled(true);
        form_.stopButton_ = nullptr;
        form_.running_ = false;
        if (std::exchange(form_.closeAfterRun_, false))
            QTimer::singleShot(0, &form_, &QWidget::close);
    }
    RunGuard(const RunGuard &) = delete;
    RunGuard &operator=(const RunGuard &) = delete;

private:
    FolderWindow &form_;
    QPushButton *button_;
    QString caption_;
    QString spoken_;
    QList<QPointer<QWidget>> disabled_; // turned off for the run, and on again after it
};

FolderWindow::FolderWindow(Workspace &ws, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::WindowMaximizeButtonHint),
      ws_(ws), documentListWidget_(MakeTickList(this, "List1")),
      pdfListWidget_(MakeTickList(this, "List2")), statusLineWidget_(MakeStatusBox(this, "Text1")),
      fileLineWidget_(MakeStatusBox(this, "Text2")),
      documentCountWidget_(MakeLineBox(this, "Text3", true)),
      pdfCountWidget_(MakeLineBox(this, "Text4", true)),
      bookNameWidget_(MakeLineBox(this, "Text5", false)),
      blankSheetWidget_(Named(
          new QCheckBox(
              QCoreApplication::translate(
                  "Window", "Add a &blank sheet when a document ends in and odd number of pages."),
              this),
          "Check1")),
      conversionBarWidget_(MakeProgressBar(this, "ProgressBar1")),
      compileBarWidget_(MakeProgressBar(this, "ProgressBar2")), documentList_(documentListWidget_),
      pdfList_(pdfListWidget_), statusLine_(statusLineWidget_), fileLine_(fileLineWidget_),
      documentCount_(documentCountWidget_), pdfCount_(pdfCountWidget_), bookName_(bookNameWidget_),
      blankSheetOption_(blankSheetWidget_), conversionBar_(conversionBarWidget_),
      compileBar_(compileBarWidget_), messageBox_(this)
{
    ShowFolderInTitle();
    // The layout was drawn for an 8-point sans-serif face of Arial's widths.
    QFont face = font();
    face.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("DejaVu Sans")});
    face.setPointSizeF(8);
    setFont(face);
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1x%1.png").arg(size));
    setWindowIcon(icon);

    const Buttons buttons = MakeButtons();
    NameControls(buttons);
    PlaceControlsAtFirst(buttons);
    documentListWidget_->setFocus();
    ConnectButtons(buttons);
    AddPdfListMenu();
    AddDocumentListMenu();
}

FolderWindow::Buttons FolderWindow::MakeButtons()
{
    Buttons b{};
    b.print = MakeButton(this, "Command1",
                         QCoreApplication::translate("Window", "&Print DOC Files to PDF"));
    b.documentsLabel = Named(
        new QLabel(QCoreApplication::translate("Window", "&DOC Files Found in Folder:"), this),
        "Label1");
    b.remove = MakeButton(
        this, "Command2",
        QCoreApplication::translate(
            "Window", "Click here to d&elete PDF files which have a matching DOC file only!"));
    b.compile =
        MakeButton(this, "Command3", QCoreApplication::translate("Window", "Co&mpile PDF Files"));
    b.checkDocuments =
        MakeButton(this, "Command4", QCoreApplication::translate("Window", "Check &All"));
    b.uncheckDocuments =
        MakeButton(this, "Command5", QCoreApplication::translate("Window", "&Uncheck All"));
    b.checkPdfs = MakeButton(this, "Command6", QCoreApplication::translate("Window", "Chec&k All"));
    b.uncheckPdfs =
        MakeButton(this, "Command7", QCoreApplication::translate("Window", "U&ncheck All"));
    b.close = MakeButton(this, "Command8", QCoreApplication::translate("Window", "&Close"));
    b.bookNameLabel =
        Named(new QLabel(QCoreApplication::translate("Window", "Compiled PDF &File Name:"), this),
              "Label2");
    b.documentsLabel->setBuddy(documentListWidget_);
    b.bookNameLabel->setBuddy(bookNameWidget_);
    for (QWidget *box :
         {static_cast<QWidget *>(statusLineWidget_), static_cast<QWidget *>(fileLineWidget_),
          static_cast<QWidget *>(documentCountWidget_), static_cast<QWidget *>(pdfCountWidget_)})
        MakeGrey(box);
    return b;
}

void FolderWindow::NameControls(const Buttons &b)
{
    // What a screen reader calls each control: the two lists' twin buttons apart, and the boxes
    // that have no label of their own.
    const std::pair<QWidget *, const char *> spoken[] = {
        {documentListWidget_, QT_TRANSLATE_NOOP("Window", "Documents")},
        {pdfListWidget_, QT_TRANSLATE_NOOP("Window", "PDF files")},
        {statusLineWidget_, QT_TRANSLATE_NOOP("Window", "Status")},
        {fileLineWidget_, QT_TRANSLATE_NOOP("Window", "File")},
        {documentCountWidget_, QT_TRANSLATE_NOOP("Window", "Documents found")},
        {pdfCountWidget_, QT_TRANSLATE_NOOP("Window", "PDF files found")},
        {bookNameWidget_, QT_TRANSLATE_NOOP("Window", "Compiled PDF file name")},
        {b.checkDocuments, QT_TRANSLATE_NOOP("Window", "Check all documents")},
        {b.uncheckDocuments, QT_TRANSLATE_NOOP("Window", "Uncheck all documents")},
        {b.checkPdfs, QT_TRANSLATE_NOOP("Window", "Check all PDF files")},
        {b.uncheckPdfs, QT_TRANSLATE_NOOP("Window", "Uncheck all PDF files")},
        {conversionBarWidget_, QT_TRANSLATE_NOOP("Window", "Printing progress")},
        {compileBarWidget_, QT_TRANSLATE_NOOP("Window", "Compiling progress")},
    };
    for (const auto &[widget, name] : spoken)
        widget->setAccessibleName(QCoreApplication::translate("Window", name));
    // The list that has the keyboard shows it plainly, whatever the style draws.
    for (QListWidget *list : {documentListWidget_, pdfListWidget_})
        list->setStyleSheet(
            QStringLiteral("QListWidget:focus { border: 2px solid palette(highlight); }"));
}

void FolderWindow::PlaceControlsAtFirst(const Buttons &b)
{
    // Left, top, width, height in twips at the stored size; how each takes a larger window.
    using G = Placement::Grow;
    placements_ = {
        {documentListWidget_, {120, 480, 6000, 2085}, G::Left | G::Wide | G::Tall},
        {b.print, {3465, 2835, 1815, 375}, G::Left | G::Below},
        {statusLineWidget_, {120, 3360, 6000, 255}, G::Left | G::Wide | G::Below},
        {b.documentsLabel, {120, 240, 6000, 255}, G::Left | G::Wide},
        {fileLineWidget_, {120, 3765, 6000, 255}, G::Left | G::Wide | G::Below},
        {pdfListWidget_, {6240, 480, 6000, 2085}, G::Right | G::Wide | G::Tall},
        {documentCountWidget_, {120, 2520, 6000, 285}, G::Left | G::Wide | G::Below},
        {pdfCountWidget_, {6240, 2520, 6000, 285}, G::Right | G::Wide | G::Below},
        {b.remove, {6240, 80, 6000, 375}, G::Right | G::Wide},
        {b.compile, {9600, 2835, 1815, 375}, G::Right | G::Below},
        {blankSheetWidget_, {6360, 3360, 5895, 255}, G::Right | G::Wide | G::Below},
        {bookNameWidget_, {8280, 3720, 3975, 285}, G::Right | G::Wide | G::Below},
        {b.checkDocuments, {120, 2835, 1200, 375}, G::Left | G::Below},
        {b.uncheckDocuments, {1320, 2835, 1200, 375}, G::Left | G::Below},
        {b.checkPdfs, {6240, 2835, 1200, 375}, G::Right | G::Below},
        {b.uncheckPdfs, {7440, 2835, 1200, 375}, G::Right | G::Below},
        {b.close, {5572, 4200, 1200, 375}, G::Right | G::Below}, // in the middle
        {b.bookNameLabel, {6360, 3760, 1935, 255}, G::Right | G::Below},
        {conversionBarWidget_, {120, 4245, 3855, 255}, G::Left | G::Wide | G::Below},
        {compileBarWidget_, {8360, 4245, 3855, 255}, G::Right | G::Wide | G::Below},
    };
    const qreal dpi = logicalDpiY();
    for (Placement &p : placements_)
        p.stored = TwipsRect(p.stored.x(), p.stored.y(), p.stored.width(), p.stored.height(), dpi);
    // Tab goes down the documents' side, then down the PDFs' side, then to Close.
    QWidget *const tabOrder[] = {documentListWidget_,
                                 documentCountWidget_,
                                 b.checkDocuments,
                                 b.uncheckDocuments,
                                 b.print,
                                 b.remove,
                                 pdfListWidget_,
                                 pdfCountWidget_,
                                 b.checkPdfs,
                                 b.uncheckPdfs,
                                 b.compile,
                                 blankSheetWidget_,
                                 bookNameWidget_,
                                 b.close};
    for (size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    // The stored size is the smallest; the lists take whatever more the user gives.
    storedSize_ = QSize(TwipsToPixels(kClientWidth, dpi), TwipsToPixels(kClientHeight, dpi));
    setMinimumSize(storedSize_);
    resize(storedSize_);
    PlaceControls();
}

void FolderWindow::ConnectButtons(const Buttons &b)
{
    connect(b.print, &QPushButton::clicked, this, &FolderWindow::PrintDocuments);
    connect(b.remove, &QPushButton::clicked, this, &FolderWindow::RemoveConverted);
    connect(b.compile, &QPushButton::clicked, this, &FolderWindow::CompileTheBook);
    connect(b.checkDocuments, &QPushButton::clicked, this,
            [this] { SetAllSelected(documentList_, true); });
    connect(b.uncheckDocuments, &QPushButton::clicked, this,
            [this] { SetAllSelected(documentList_, false); });
    connect(b.checkPdfs, &QPushButton::clicked, this, [this] { SetAllSelected(pdfList_, true); });
    connect(b.uncheckPdfs, &QPushButton::clicked, this,
            [this] { SetAllSelected(pdfList_, false); });
    connect(b.close, &QPushButton::clicked, this, &FolderWindow::CloseAndRemember);
}

void FolderWindow::AddDocumentListMenu()
{
    // A tick per kind of document; a change lists the folder's documents again at once.
    auto *menu = Named(new QMenu(documentListWidget_), "List1Menu");
    for (const QString &type : kKnownDocumentTypes) {
        QAction *action =
            menu->addAction(QCoreApplication::translate("Window", "List .%1 documents").arg(type));
        action->setObjectName(type);
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, type](bool ticked) {
            QStringList types = choices_.documentTypes;
            if (ticked)
                types.append(type);
            else
                types.removeAll(type);
            choices_.documentTypes = ParseDocumentTypes(types.join(QLatin1Char(' ')));
            RelistDocuments(ws_, *this);
            SayDefaultsHints(ws_, *this);
        });
        connect(menu, &QMenu::aboutToShow, this, [this, action, type] {
            action->setChecked(choices_.documentTypes.contains(type));
        });
    }
    menu->addSeparator();
    AddNaturalOrderChoice(menu);
    AttachMenu(documentListWidget_, menu,
               QCoreApplication::translate(
                   "Window", "Right-click or press the menu key for the kinds of document listed"));
}

void FolderWindow::AddNaturalOrderChoice(QMenu *menu)
{
    // One choice for both lists, in either list's menu; the lists follow it at once.
    QAction *action =
        menu->addAction(QCoreApplication::translate("Window", "Natural order (2 before 10)"));
    action->setObjectName(QStringLiteral("NaturalOrder"));
    action->setCheckable(true);
    connect(menu, &QMenu::aboutToShow, this, [this, action] {
        const QSignalBlocker quiet(action);
        action->setChecked(choices_.naturalOrder);
    });
    connect(action, &QAction::toggled, this, [this](bool natural) {
        choices_.naturalOrder = natural;
        documentList_.SetOrder(OrderOf(choices_));
        pdfList_.SetOrder(ListSorting(OrderOf(choices_), pdfList_.Order().own()));
        SayDefaultsHints(ws_, *this);
    });
}

void FolderWindow::AddOwnOrderChoices(QMenu *menu)
{
    const auto add = [this, menu](const char *name, const QString &text, QKeySequence keys,
                                  std::function<void()> act) {
        QAction *action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, act);
        if (!keys.isEmpty()) {
            action->setShortcut(keys);
            auto *shortcut = new QShortcut(keys, pdfListWidget_);
            shortcut->setContext(Qt::WidgetShortcut);
            connect(shortcut, &QShortcut::activated, this, act);
        }
    };
    add("MoveUp", QCoreApplication::translate("Window", "Move Up"),
        QKeySequence(Qt::ALT | Qt::Key_Up), [this] { MoveCurrentPdf(-1); });
    add("MoveDown", QCoreApplication::translate("Window", "Move Down"),
        QKeySequence(Qt::ALT | Qt::Key_Down), [this] { MoveCurrentPdf(1); });
    add("MoveToTop", QCoreApplication::translate("Window", "Move to Top"),
        QKeySequence(Qt::ALT | Qt::Key_Home), [this] {
            if (const int row = pdfListWidget_->currentRow(); row >= 0)
                MovePdf(row, 0);
        });
    add("MoveToBottom", QCoreApplication::translate("Window", "Move to Bottom"),
        QKeySequence(Qt::ALT | Qt::Key_End), [this] {
            if (const int row = pdfListWidget_->currentRow(); row >= 0)
                MovePdf(row, pdfListWidget_->count() - 1);
        });
    add("SortAgain", QCoreApplication::translate("Window", "Sort Again"), QKeySequence(), [this] {
        pdfList_.SetOrder(ListSorting(OrderOf(choices_)));
        pdfOrderMoved_ = false;
        const Problems removed = StoreOwnPdfOrder(ws_, {});
        if (!removed.empty())
            Messages().Show(removed.report(QString()), kProgramTitle, MessageBox::Icon::Warning);
    });
    // A PDF dragged to a new place is moved as by the keys, a row at a time.
    new RowDragMover(pdfListWidget_, [this](int from, int to) { return MovePdf(from, to); });
    // A place said after a move is the item's name only while it stays current.
    connect(pdfListWidget_, &QListWidget::currentItemChanged, this,
            [](QListWidgetItem *, QListWidgetItem *previous) {
                if (previous)
                    previous->setData(Qt::AccessibleTextRole, QVariant());
            });
    connect(pdfListWidget_->model(), &QAbstractItemModel::rowsMoved, this,
            [this] { TakeOwnPdfOrder(); });
}

void FolderWindow::MoveCurrentPdf(int by)
{
    const int row = pdfListWidget_->currentRow();
    if (row >= 0)
        MovePdf(row, row + by);
}

bool FolderWindow::MovePdf(int row, int to)
{
    if (running_ || row < 0 || row >= pdfListWidget_->count() || to < 0 ||
        to >= pdfListWidget_->count() || to == row)
        return false;
    // Moved as a row, it stays current: the neighbour that takes its place never has the focus.
    pdfListWidget_->setCurrentRow(row);
    pdfListWidget_->model()->moveRow(QModelIndex(), row, QModelIndex(), to > row ? to + 1 : to);
    QListWidgetItem *item = pdfListWidget_->item(to);
    pdfListWidget_->scrollToItem(item); // only when it moved out of sight
    // A screen reader hears the new place as the item's name while it stays current, told as
    // the focus coming to it.
    item->setData(Qt::AccessibleTextRole, QCoreApplication::translate("Window", "%1, %2 of %3")
                                              .arg(item->text())
                                              .arg(to + 1)
                                              .arg(pdfListWidget_->count()));
    for (const QAccessible::Event type : {QAccessible::NameChanged, QAccessible::Focus}) {
        QAccessibleEvent said(pdfListWidget_, type);
        said.setChild(to);
        QAccessible::updateAccessibility(&said);
    }
    return true;
}

void FolderWindow::TakeOwnPdfOrder()
{
    QStringList names;
    for (int i = 0; i < pdfListWidget_->count(); ++i)
        names << pdfListWidget_->item(i)->text();
    pdfList_.SetOrder(ListSorting(OrderOf(choices_), names));
    pdfOrderMoved_ = true;
    // Written as it changes, so that no way of closing the window loses it; a drag's steps
    // once, when it ends.
    if (!orderStoreDue_) {
        orderStoreDue_ = true;
        QTimer::singleShot(0, this, [this] { StoreOwnOrder(); });
    }
}

void FolderWindow::StoreOwnOrder()
{
    orderStoreDue_ = false;
    const Problems problems = StoreOwnPdfOrder(ws_, pdfList_.Order().own());
    if (!problems.empty() && !orderStoreFailed_)
        Messages().Show(problems.report(QString()), kProgramTitle, MessageBox::Icon::Warning);
    orderStoreFailed_ = !problems.empty();
}

void FolderWindow::AttachMenu(QListWidget *list, QMenu *menu, const QString &hint)
{
    // Said, as nothing on the window shows the menu: over the list's empty space, after each
    // row's name, and on the count line under it, which a full list leaves in sight.
    list->setToolTip(hint);
    list->setAccessibleDescription(hint);
    QLineEdit *count = list == documentListWidget_ ? documentCountWidget_ : pdfCountWidget_;
    count->setToolTip(hint);
    count->setAccessibleDescription(hint);
    // Opened by a right click or the menu key, never during a run.
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, [this, list, menu](QPoint at) {
        if (!running_)
            menu->popup(list->viewport()->mapToGlobal(at));
    });
}

void FolderWindow::AddPdfListMenu()
{
    // Opened by a right click or the menu key; each choice ticks on and off and holds at once.
    auto *menu = Named(new QMenu(pdfListWidget_), "List2Menu");
    const auto addChoice = [this, menu](const char *name, const QString &text,
                                        bool BookChoices::*on) {
        QAction *action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        action->setCheckable(true);
        connect(action, &QAction::toggled, this,
                [this, on](bool ticked) { choices_.*on = ticked; });
        connect(menu, &QMenu::aboutToShow, this, [this, action, on] {
            const QSignalBlocker quiet(action);
            action->setChecked(choices_.*on);
        });
    };
    addChoice("KeepBookmarks",
              QCoreApplication::translate("Window", "Keep each PDF's own bookmarks"),
              &BookChoices::keepBookmarks);
    addChoice("FitBlankSheet",
              QCoreApplication::translate("Window", "Blank sheet the size of the page before it"),
              &BookChoices::fitBlankSheets);
    addChoice("Linearize",
              QCoreApplication::translate("Window", "Book for fast web view (linearized)"),
              &BookChoices::linearized);
    addChoice("Ocr", QCoreApplication::translate("Window", "Make scanned pages searchable (OCR)"),
              &BookChoices::ocr);
    addChoice("ForFiling", QCoreApplication::translate("Window", "Book for filing"),
              &BookChoices::forFiling);
    menu->addSeparator();
    addChoice("IndexPage",
              QCoreApplication::translate("Window", "Index of the documents in front of the book"),
              &BookChoices::indexPage);
    AddBookTitleChoice(menu);
    AddPageNumbersChoice(menu);
    AddVolumesChoice(menu);
    AddBookmarkTitlesChoice(menu);
    AddPageSizeChoice(menu);
    menu->addSeparator();
    AddNaturalOrderChoice(menu);
    AddOwnOrderChoices(menu);
    menu->addSeparator();
    QAction *check =
        menu->addAction(QCoreApplication::translate("Window", "Check the book for filing..."));
    check->setObjectName(QStringLiteral("CheckFiling"));
    connect(check, &QAction::triggered, this, &FolderWindow::CheckTheBookForFiling);
    AttachMenu(pdfListWidget_, menu,
               QCoreApplication::translate(
                   "Window", "Right-click or press the menu key for the book's choices"));
}

void FolderWindow::AddAskedChoice(QMenu *menu, const char *name, const QString &text,
                                  QString BookChoices::*value, const QString &prompt,
                                  const QString &suggested, const ReadAnswer &read,
                                  const std::function<QString(const QString &)> &shown)
{
    // Ticked while the choice holds a value; choosing it asks for one, empty for none, again and
    // again until it can be used or the user cancels.
    QAction *action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    action->setCheckable(true);
    connect(menu, &QMenu::aboutToShow, this,
            [this, action, value] { action->setChecked(!(choices_.*value).isEmpty()); });
    connect(action, &QAction::triggered, this, [=] {
        QString answer = (choices_.*value).isEmpty() ? suggested
                         : shown                     ? shown(choices_.*value)
                                                     : choices_.*value;
        for (;;) {
            QInputDialog ask(this);
            ask.setWindowTitle(kProgramTitle);
            ask.setLabelText(prompt);
            // The prompt wraps, so the dialog fits a small screen in every language.
            for (QLabel *label : ask.findChildren<QLabel *>())
                label->setWordWrap(true);
            ask.setTextValue(answer);
            if (ask.exec() != QDialog::Accepted)
                break;
            answer = ask.textValue();
            QString refusal;
            if (const std::optional<QString> usable = read(answer, refusal)) {
                choices_.*value = *usable;
                break;
            }
            QMessageBox::warning(this, kProgramTitle, refusal);
        }
        action->setChecked(!(choices_.*value).isEmpty());
    });
}

void FolderWindow::AddPageNumbersChoice(QMenu *menu)
{
    AddAskedChoice(
        menu, "PageNumbers", QCoreApplication::translate("Window", "Number the book's pages..."),
        &BookChoices::pageNumbers,
        QCoreApplication::translate("Window", "Each page's number, at its bottom right:\n"
                                              "{n}: the number (17)\n"
                                              "{n:6}: the number with six digits (000017)\n"
                                              "{total}: the count of pages\n"
                                              "For example: Page {n} of {total}, or ABC{n:6}.\n"
                                              "Leave it empty for no numbers."),
        QStringLiteral("{n}"), [](const QString &format, QString &refusal) {
            if (const Status usable = CheckPageNumberFormat(format.trimmed()); !usable) {
                refusal = QCoreApplication::translate(
                              "Window", "The page numbers \"%1\" cannot be used: the format %2.")
                              .arg(format, usable.reason());
                return std::optional<QString>();
            }
            return std::optional(format.trimmed());
        });
}

void FolderWindow::AddVolumesChoice(QMenu *menu)
{
    AddAskedChoice(
        menu, "VolumeLimit",
        QCoreApplication::translate("Window", "Split the book into volumes..."),
        &BookChoices::volumeLimit,
        QCoreApplication::translate("Window",
                                    "The most each volume may hold, as a portal, a mail server or "
                                    "a binder takes it: a number of pages (300 pages) or of "
                                    "megabytes (20 MB). The book is cut only between documents.\n"
                                    "Leave it empty for one book."),
        VolumeLimitShown(QString()),
        [](const QString &limit, QString &refusal) {
            if (limit.trimmed().isEmpty())
                return std::optional(QString());
            QString problem;
            if (const std::optional<VolumeLimit> read = VolumeLimit::Parse(limit, &problem))
                return std::optional(read->Text());
            refusal = QCoreApplication::translate("Window",
                                                  "The volume limit \"%1\" cannot be used: it %2.")
                          .arg(limit.trimmed(), problem);
            return std::optional<QString>();
        },
        VolumeLimitShown);
}

void FolderWindow::AddBookTitleChoice(QMenu *menu)
{
    // The index's and the PDF's title: the folder's name unless the user gives one.
    QAction *action =
        menu->addAction(QCoreApplication::translate("Window", "Title of the book..."));
    action->setObjectName(QStringLiteral("BookTitle"));
    connect(action, &QAction::triggered, this, [this] {
        QInputDialog ask(this);
        ask.setWindowTitle(kProgramTitle);
        ask.setLabelText(QCoreApplication::translate(
            "Window", "The book's title, at the head of its index and in its document "
                      "properties. Leave it empty for the folder's name."));
        for (QLabel *label : ask.findChildren<QLabel *>())
            label->setWordWrap(true);
        ask.setTextValue(choices_.bookTitle.isEmpty() ? QDir(ws_.WorkingFolder).dirName()
                                                      : choices_.bookTitle);
        if (ask.exec() != QDialog::Accepted)
            return;
        const QString title = ask.textValue().trimmed();
        // The folder's own name is the default, not a choice to store.
        choices_.bookTitle = title == QDir(ws_.WorkingFolder).dirName() ? QString() : title;
    });
}

void FolderWindow::AddOneOfChoice(QMenu *menu, const QString &title, const QString &name,
                                  const QList<std::pair<QString, QString>> &kinds,
                                  QString BookChoices::*choice)
{
    QMenu *submenu = menu->addMenu(title);
    submenu->setObjectName(name);
    auto *group = new QActionGroup(submenu);
    for (const auto &[value, text] : kinds) {
        QAction *action = submenu->addAction(text);
        action->setCheckable(true);
        action->setActionGroup(group);
        connect(action, &QAction::triggered, this, [this, choice, value = value] {
            choices_.*choice = value;
            SayDefaultsHints(ws_, *this);
        });
        connect(menu, &QMenu::aboutToShow, this, [this, action, choice, value = value] {
            action->setChecked(choices_.*choice == value);
        });
    }
}

void FolderWindow::AddBookmarkTitlesChoice(QMenu *menu)
{
    AddOneOfChoice(
        menu, QCoreApplication::translate("Window", "Bookmark titles"),
        QStringLiteral("BookmarkTitles"),
        {{QString(), QCoreApplication::translate("Window", "File name up to the first dot")},
         {kBookmarkTitlesFileName,
          QCoreApplication::translate("Window", "File name without its extension")},
         {kBookmarkTitlesOwnTitle,
          QCoreApplication::translate("Window", "The PDF's own title, where it has one")}},
        &BookChoices::bookmarkTitles);
}

void FolderWindow::AddPageSizeChoice(QMenu *menu)
{
    AddOneOfChoice(menu, QCoreApplication::translate("Window", "Pages of one size"),
                   QStringLiteral("PageSize"),
                   {{kPageSizeA4, QCoreApplication::translate("Window", "A4")},
                    {kPageSizeLetter, QCoreApplication::translate("Window", "Letter")},
                    {QString(), QCoreApplication::translate("Window", "As they are")}},
                   &BookChoices::pageSize);
}

FolderWindow::~FolderWindow()
{
    runGuard_.reset(); // while the controls it gives back are there
}

QString WindowCaption()
{
    return QCoreApplication::translate("Window", "Quirefold %1 from Tallowmere")
        .arg(QStringLiteral("1.1"));
}

QRect Placement::At(QSize extra) const
{
    const int half = extra.width() / 2;
    return QRect(stored.x() + ((grow & Right) ? half : 0),
                 stored.y() + ((grow & Below) ? extra.height() : 0),
                 stored.width() + ((grow & Wide) ? half : 0),
                 stored.height() + ((grow & Tall) ? extra.height() : 0));
}

void FolderWindow::PlaceControls()
{
    const QSize extra = (size() - storedSize_).expandedTo(QSize(0, 0));
    for (const Placement &p : placements_)
        p.widget->setGeometry(p.At(extra));
}

void FolderWindow::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    PlaceControls();
}

void FolderWindow::ShowFolderInTitle()
{
    // The folder's own name first: several windows on several folders stay apart.
    const QString folderName = QDir(ws_.WorkingFolder).dirName();
    setWindowTitle(ws_.WorkingFolder.isEmpty() || folderName.isEmpty()
                       ? WindowCaption()
                       : folderName + QStringLiteral(" \u2014 ") + WindowCaption());
}

void FolderWindow::OfferAnotherFolder(const Problems &startProblems)
{
    if (!ws_.WorkingFolder.isEmpty() && QFileInfo(ws_.WorkingFolder).isDir() &&
        QFileInfo(ws_.WorkingFolder).isReadable())
        return;
    const QString why =
        ws_.WorkingFolder.isEmpty()
            ? QCoreApplication::translate("Window", "No folder was given to open.")
            : QCoreApplication::translate("Window", "The folder %1 could not be opened (%2).")
                  .arg(ws_.WorkingFolder,
                       startProblems.empty()
                           ? QCoreApplication::translate("Window", "it is not a readable folder")
                           : startProblems.list().first().reason());
    statusLine_.Show(why);
    if (!Messages().Ask(
            QCoreApplication::translate("Window", "%1\n\nChoose a folder to open?").arg(why),
            kProgramTitle))
        return;
    const QString chosen =
        chooseFolder_ ? chooseFolder_()
                      : QFileDialog::getExistingDirectory(
                            this, QCoreApplication::translate(
                                      "Window", "Choose a folder of documents and PDF files"));
    if (chosen.isEmpty())
        return;
    ws_ = Workspace::FromArguments({chosen});
    documentList_.Clear();
    pdfList_.Clear();
    statusLine_.Show(QString());
    StartUp(ws_, *this, [] {});
    ShowFolderInTitle();
}

void FolderWindow::ShowCentred()
{
    const QScreen *where = screen() ? screen() : QGuiApplication::primaryScreen();
    if (where)
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                        where->availableGeometry()));
    show();
}

std::map<QString, QString> FolderWindow::AskPasswords(const QStringList &names)
{
    QDialog dialog(this);
    dialog.setWindowTitle(QCoreApplication::translate("Window", "Passwords"));
    auto *layout = new QVBoxLayout(&dialog);
    auto *said = new QLabel(
        QCoreApplication::translate("Window", "These PDFs open only with a password. A PDF whose "
                                              "password is left empty is left out of the book. The "
                                              "passwords are used for this compile only."),
        &dialog);
    said->setWordWrap(true);
    layout->addWidget(said);
    auto *form = new QFormLayout;
    std::vector<QLineEdit *> fields;
    for (const QString &name : names) {
        auto *field = new QLineEdit(&dialog);
        field->setEchoMode(QLineEdit::Password);
        field->setAccessibleName(QCoreApplication::translate("Window", "Password of %1").arg(name));
        form->addRow(name, field);
        fields.push_back(field);
    }
    layout->addLayout(form);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    std::map<QString, QString> answers;
    if (dialog.exec() != QDialog::Accepted)
        return answers;
    for (size_t i = 0; i < fields.size(); ++i)
        answers[names.at(qsizetype(i))] = fields[i]->text();
    return answers;
}

MessageBox &FolderWindow::Messages()
{
    return messageOverride_ ? *messageOverride_ : messageBox_;
}

void FolderWindow::EndRun()
{
    if (running_)
        RequestStop();
    EndJobsBesideWindow(); // a filing check too, which only reads and soon ends
}

void FolderWindow::RequestStop()
{
    stopRequested_ = true;
    if (stopButton_)
        stopButton_->setEnabled(false); // it was heard
}

bool FolderWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Only the lists are watched, and only during a run.
    if (!running_)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
            RequestStop();
        return true;
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::ContextMenu:
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}

RunContext FolderWindow::MakeRunContext()
{
    return RunContext{ws_, *this, hooks_.sound ? *hooks_.sound : desktopSound_,
                      hooks_.bookViewer ? *hooks_.bookViewer : desktopViewer_,
                      hooks_.programFolder.isEmpty() ? QCoreApplication::applicationDirPath()
                                                     : hooks_.programFolder};
}

void FolderWindow::keyPressEvent(QKeyEvent *event)
{
    // No button cancels: Escape must not close the window. During a run it stops the run.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (running_)
            RequestStop();
        event->accept();
        return;
    }
    // Enter presses the button that has the keyboard, except the removal's, which a stray Enter
    // must never start (Space or a click does); anywhere else it does nothing.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto *button = qobject_cast<QPushButton *>(focusWidget());
        if (button && button->objectName() != QLatin1String("Command2"))
            button->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void FolderWindow::closeEvent(QCloseEvent *event)
{
    if (running_) {
        event->ignore();
        if (!closeAfterRun_ &&
            Messages().Ask(QCoreApplication::translate(
                               "Window", "A run is under way. Stop it and close the window? What "
                                         "it finished is kept."),
                           kProgramTitle)) {
            closeAfterRun_ = true;
            RequestStop();
        }
        return;
    }
    QDialog::closeEvent(event);
}

void FolderWindow::PrintDocuments()
{
    if (running_) { // the button is Stop meanwhile
        RequestStop();
        return;
    }
    runGuard_ =
        std::make_unique<RunGuard>(*this, findChild<QPushButton *>(QStringLiteral("Command1")));
    ConversionRun(MakeRunContext(),
                  hooks_.wordProcessor.start ? hooks_.wordProcessor : DesktopWordProcessor(),
                  [this] { EndOfRun(); });
}

void FolderWindow::RemoveConverted()
{
    RemovalRun(ws_, *this);
}

WordProcessorStarter FolderWindow::DesktopWordProcessor()
{
    // The offices run on threads of their own, started by the run's own thread.
    return LibreOfficeFromPlugin(hooks_.programFolder.isEmpty()
                                     ? QCoreApplication::applicationDirPath()
                                     : hooks_.programFolder);
}

void FolderWindow::CompileTheBook()
{
    if (running_) {
        RequestStop();
        return;
    }
    runGuard_ =
        std::make_unique<RunGuard>(*this, findChild<QPushButton *>(QStringLiteral("Command3")));
    CompileRun(MakeRunContext(), [this] { EndOfRun(); });
}

void FolderWindow::EndOfRun()
{
    runGuard_.reset();
    emit RunEnded();
}

void FolderWindow::CheckTheBookForFiling()
{
    if (running_ || checkingFiling_)
        return;
    checkingFiling_ = true;
    FilingCheckRun(MakeRunContext(), [this] { checkingFiling_ = false; });
}

void FolderWindow::CloseAndRemember()
{
    const Problems problems = SaveIgnoreLists(ws_, *this);
    if (!problems.empty())
        Messages().Show(
            problems.report(QCoreApplication::translate(
                "Window", "The unticked files could not be remembered for the next start:")),
            kProgramTitle, MessageBox::Icon::Warning);
    accept();
}

} // namespace qf
