#include "convert/PrintFileConverter.h"
#include "runs/CompileRun.h"
#include "runs/FolderState.h"
#include "store/FolderChoices.h"
#include "store/IgnoreList.h"
#include "store/Profile.h"
#include "store/WholeFile.h"
#include "support/CompileFixture.h"

#include <QProcess>

#include <cerrno>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What the whole-file writer asked of the disk, in order, and the failure the next call of each
// kind is to meet. The test program's own fsync and rename stand in front of the C library's.
struct DiskCalls {
    QStringList log; // "fsync PATH", "rename FROM TO"
    int fsyncError = 0;
    int renameError = 0;
} disk;

QString PathOfDescriptor(int fd)
{
    return QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd));
}

} // namespace

extern "C" int fsync(int fd)
{
    static const auto real = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, "fsync"));
    disk.log << "fsync " + PathOfDescriptor(fd);
    if (const int error = std::exchange(disk.fsyncError, 0)) {
        errno = error;
        return -1;
    }
    return real(fd);
}

extern "C" int rename(const char *from, const char *to)
{
    static const auto real =
        reinterpret_cast<int (*)(const char *, const char *)>(::dlsym(RTLD_NEXT, "rename"));
    disk.log << "rename " + QFile::decodeName(from) + " " + QFile::decodeName(to);
    if (const int error = std::exchange(disk.renameError, 0)) {
        errno = error;
        return -1;
    }
    return real(from, to);
}

namespace {

void Link(const QString &target, const QString &link)
{
    QVERIFY2(
        ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) == 0,
        qPrintable(link));
}

bool IsLink(const QString &path)
{
    return QFileInfo(path).isSymLink();
}

QStringList AllFiles(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// The id of a process that has ended.
long long EndedProcessId()
{
    QProcess p;
    p.start(QStringLiteral("true"), {});
    p.waitForFinished();
    return p.processId() > 0 ? p.processId() : 999999;
}

} // namespace

class TestFolderSafety : public QObject {
    Q_OBJECT
private slots:
    void linksLeadingOutAreNamedAndNotWrittenThrough();
    void linksStayingInsideAreFollowed();
    void writesAreWholeAndKeepTheFileMode();
    void writesReachTheDiskBeforeTheyReplaceAFile();
    void siblingFoldersSharingTheNamesStartAreOutside();
    void leftoversOfKilledRunsAreCleared();
    void temporaryNamesAreRecognisedStrictly_data();
    void temporaryNamesAreRecognisedStrictly();
    void namesWithALineBreakAreNeverWrittenIntoAnIgnoreList();
};

void TestFolderSafety::linksLeadingOutAreNamedAndNotWrittenThrough()
{
    TestFolder outside;
    outside.write("victim", "the user's own file");
    CompileFixture f({{"a.pdf", 1}});
    for (const char *name : {"Quirefold.INI", "QFPDFIgnore.INI"})
        Link(outside.file("victim"), f.folder.file(name));
    f.window.pdfList.SetTicked(0, false);

    // Close: both ignore lists are tried; the linked one is named with where it points.
    const Problems closed = SaveIgnoreLists(f.ws, f.window);
    QCOMPARE(closed.list().size(), 1);
    QCOMPARE(closed.list().first().file(), f.folder.file("QFPDFIgnore.INI"));
    QVERIFY2(closed.list().first().reason().contains("symbolic link to " + outside.file("victim") +
                                                     ", outside the folder"),
             qPrintable(closed.report(QString())));

    // A run: the settings file too, and a book through a linked output folder or book file.
    f.window.pdfList.SetTicked(0, true);
    Link(outside.path(), f.folder.file("PDFCompile Output"));
    CompileRun(f.ctx);
    QCOMPARE(f.messages().size(), 1);
    for (const QString &named :
         {f.folder.file("Quirefold.INI"), f.folder.file("QFPDFIgnore.INI"),
          f.folder.file("PDFCompile Output") + ": is a symbolic link to " + outside.path()})
        QVERIFY2(f.messages().first().contains(named), qPrintable(f.messages().first()));

    QFile::remove(f.folder.file("PDFCompile Output"));
    f.folder.mkdir("PDFCompile Output");
    Link(outside.file("victim"), f.book());
    CompileRun(f.ctx);
    QVERIFY2(f.messages().last().contains(f.book() + ": is a symbolic link"),
             qPrintable(f.messages().last()));

    // A converted PDF that is a link.
    MakePdf(f.folder.file("Report.PS"), 1);
    Link(outside.file("victim"), f.folder.file("Report.PDF"));
    const Status converted =
        FileToPDF(f.folder.file("Report.PS"), f.folder.file("Report.PDF"), QString());
    QVERIFY2(!converted && converted.message().contains("symbolic link"),
             qPrintable(converted.message()));

    QCOMPARE(outside.read("victim"), QByteArray("the user's own file"));
    QCOMPARE(AllFiles(outside.path()), QStringList({"victim"}));
    for (const char *name : {"Quirefold.INI", "QFPDFIgnore.INI", "Report.PDF"})
        QVERIFY(IsLink(f.folder.file(name)));
}

void TestFolderSafety::linksStayingInsideAreFollowed()
{
    CompileFixture f({{"a.pdf", 1}});
    f.folder.mkdir("kept");
    f.folder.mkdir("Books");
    Link("kept/settings.ini", f.folder.file("Quirefold.INI"));
    Link(f.folder.file("kept/pdfs.ini"), f.folder.file("QFPDFIgnore.INI"));
    Link("Books", f.folder.file("PDFCompile Output"));
    f.window.documentList.AddItem("x.doc");
    CompileRun(f.ctx);
    QVERIFY2(f.messages().isEmpty(), qPrintable(f.messages().value(0)));
    QVERIFY(IsLink(f.folder.file("Quirefold.INI")) && IsLink(f.folder.file("QFPDFIgnore.INI")));
    QVERIFY(f.folder.read("kept/settings.ini").contains("OutputName=Book.pdf"));
    QVERIFY(f.folder.exists("kept/pdfs.ini"));
    QCOMPARE(ReadPdf(f.folder.file("Books/Book.pdf"))->getAllPages().size(), size_t(1));
}

void TestFolderSafety::writesAreWholeAndKeepTheFileMode()
{
    TestFolder folder;
    folder.write("Quirefold.INI", "[Settings]\r\nSlipSheet=1\r\n");
    QVERIFY(::chmod(QFile::encodeName(folder.file("Quirefold.INI")).constData(), 0640) == 0);
    QVERIFY(WriteIniString(folder.file("Quirefold.INI"), "Settings", "OutputName", "B.pdf"));
    QCOMPARE(folder.read("Quirefold.INI"),
             QByteArray("[Settings]\r\nSlipSheet=1\r\nOutputName=B.pdf\r\n"));
    QCOMPARE(QFileInfo(folder.file("Quirefold.INI")).permissions() & 0x7777,
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                 QFileDevice::WriteUser | QFileDevice::ReadGroup);

    // A write that cannot finish leaves the old file and no temporary file.
    WholeFileWrite write;
    QVERIFY(write.Begin(folder.file("Quirefold.INI")));
    QVERIFY(QFileInfo(write.TemporaryPath()).fileName().startsWith(".Quirefold.INI.quirefold-"));
    QVERIFY(IsTemporaryName(QFile::encodeName(QFileInfo(write.TemporaryPath()).fileName())));
    write.Abandon();
    QCOMPARE(AllFiles(folder.path()), QStringList({"Quirefold.INI"}));
    QVERIFY(!WriteWholeFile(folder.file("missing/x.ini"), "x"));
    QCOMPARE(AllFiles(folder.path()), QStringList({"Quirefold.INI"}));
}

void TestFolderSafety::writesReachTheDiskBeforeTheyReplaceAFile()
{
    TestFolder folder;
    folder.write("Quirefold.INI", "old");
    const QString target = folder.file("Quirefold.INI");
    disk.log.clear();
    QVERIFY(WriteWholeFile(target, "new"));
    QCOMPARE(folder.read("Quirefold.INI"), QByteArray("new"));
    const QStringList renames = disk.log.filter(
        QRegularExpression("^rename .* " + QRegularExpression::escape(target) + "$"));
    QCOMPARE(renames.size(), 1);
    const QString temporary = renames.first().section(' ', 1, 1);
    const qsizetype flushed = disk.log.indexOf("fsync " + temporary);
    QVERIFY2(flushed >= 0 && flushed < disk.log.indexOf(renames.first()),
             qPrintable(disk.log.join('\n')));

    // A flush or a rename that fails leaves the old file as it was, and no temporary file.
    for (int *failure : {&disk.fsyncError, &disk.renameError}) {
        *failure = EIO;
        const Status written = WriteWholeFile(target, "lost");
        QVERIFY(!written);
        QCOMPARE(written.file(), target);
        QVERIFY2(written.reason().contains(SystemReason(EIO)), qPrintable(written.message()));
        QCOMPARE(folder.read("Quirefold.INI"), QByteArray("new"));
        QCOMPARE(AllFiles(folder.path()), QStringList({"Quirefold.INI"}));
    }
}

void TestFolderSafety::siblingFoldersSharingTheNamesStartAreOutside()
{
    // "work-old" begins with "work" but is not in it.
    TestFolder parent;
    parent.mkdir("work");
    parent.mkdir("work-old");
    parent.write("work-old/victim", "the user's own file");
    const QString work = parent.file("work");
    Link("../work-old/victim", work + "/Quirefold.INI");
    Link(parent.file("work-old"), work + "/PDFCompile Output");

    const Status settings = WriteWholeFile(work + "/Quirefold.INI", "[Settings]", work);
    QVERIFY(!settings);
    QCOMPARE(settings.file(), work + "/Quirefold.INI");
    QVERIFY2(settings.reason().contains("symbolic link to ../work-old/victim, outside the folder"),
             qPrintable(settings.message()));
    const Status book = WriteWholeFile(work + "/PDFCompile Output/victim", "%PDF", work);
    QVERIFY2(!book && book.reason().contains("outside the folder"), qPrintable(book.message()));

    QCOMPARE(parent.read("work-old/victim"), QByteArray("the user's own file"));
    QCOMPARE(AllFiles(parent.file("work-old")), QStringList({"victim"}));
}

void TestFolderSafety::leftoversOfKilledRunsAreCleared()
{
    CompileFixture f({{"a.pdf", 1}});
    const QByteArray ended = QByteArray::number(EndedProcessId());
    const QByteArray live = QByteArray::number(qint64(::getpid()));
    f.folder.mkdir("PDFCompile Output");
    const QStringList gone{".Quirefold.INI.quirefold-" + ended + "-a1B2c3",
                           ".Report.PS.quirefold-" + ended,
                           "PDFCompile Output/.Book.pdf.quirefold-" + ended + "-zzzzzz"};
    const QStringList kept{".Notes.quirefold-" + live + "-a1B2c3", ".profile",
                           "x.quirefold-" + ended, ".y.quirefold-" + ended + "-abc"};
    f.folder.touch(gone + kept);
    // A scratch folder of an ended process, with what an office left in it.
    const QString scratch = ".scratch.quirefold-" + ended;
    f.folder.mkdir(scratch);
    f.folder.touch({scratch + "/Report.PS", scratch + "/lu12345.tmp"});
    Link(f.folder.file("a.pdf"), f.folder.file(scratch + "/link"));
    CompileRun(f.ctx);
    for (const QString &name : gone + QStringList{scratch})
        QVERIFY2(!f.folder.exists(name), qPrintable(name));
    QVERIFY(f.folder.exists("a.pdf")); // a link in it goes, not what it points to
    for (const QString &name : kept)
        QVERIFY2(f.folder.exists(name), qPrintable(name));
    // The run leaves nothing of its own.
    QCOMPARE(AllFiles(f.folder.file("PDFCompile Output")), QStringList({"Book.pdf"}));
}

void TestFolderSafety::temporaryNamesAreRecognisedStrictly_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("ours");
    QTest::addColumn<long long>("pid");
    QTest::newRow("temporary") << QByteArray(".Book.pdf.quirefold-42-Ab3xYz") << true << 42LL;
    QTest::newRow("scratch") << QByteArray(".a.PS.quirefold-7") << true << 7LL;
    QTest::newRow("name with the tag") << QByteArray(".x.quirefold-1.quirefold-9") << true << 9LL;
    QTest::newRow("office lock") << QByteArray(".~lock..a.PS.quirefold-7#") << true << 7LL;
    QTest::newRow("office lock of another") << QByteArray(".~lock.a.PS#") << false << 0LL;
    QTest::newRow("not hidden") << QByteArray("a.quirefold-42-Ab3xYz") << false << 0LL;
    QTest::newRow("short random") << QByteArray(".a.quirefold-42-Ab3xY") << false << 0LL;
    QTest::newRow("no process") << QByteArray(".a.quirefold--Ab3xYz") << false << 0LL;
    QTest::newRow("letters") << QByteArray(".a.quirefold-4x") << false << 0LL;
    QTest::newRow("zero") << QByteArray(".a.quirefold-0") << false << 0LL;
    QTest::newRow("plain hidden") << QByteArray(".quirefold") << false << 0LL;
}

void TestFolderSafety::temporaryNamesAreRecognisedStrictly()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, ours);
    QFETCH(long long, pid);
    long long found = 0;
    QCOMPARE(IsTemporaryName(name, &found), ours);
    QCOMPARE(found, pid);
}

void TestFolderSafety::namesWithALineBreakAreNeverWrittenIntoAnIgnoreList()
{
    TestFolder folder;
    MemoryTickList list;
    for (const char *name : {"a", "a\nb.pdf", "b.pdf", "c\r.pdf", "d.pdf"})
        list.AddItem(name);
    for (int i = 0; i < list.Count(); ++i)
        list.SetTicked(i, list.Name(i) == "b.pdf");
    const Problems saved = SaveIgnoreList(folder.file("QFPDFIgnore.INI"), list);
    QCOMPARE(saved.list().size(), 2);
    QCOMPARE(saved.list().at(0).file(), folder.path() + "/a\nb.pdf");
    QVERIFY(saved.list().at(0).reason().contains("because of the line break in its name"));
    QCOMPARE(folder.read("QFPDFIgnore.INI"), QByteArray("a\r\nd.pdf\r\n"));

    QVERIFY(LoadIgnoreList(folder.file("QFPDFIgnore.INI"), list));
    QCOMPARE(list.tickedTexts(), QStringList({"a\nb.pdf", "b.pdf", "c\r.pdf"}));
}

QTEST_GUILESS_MAIN(TestFolderSafety)
#include "test_folder_safety.moc"
