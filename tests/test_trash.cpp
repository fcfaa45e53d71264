// Removed PDFs land in a trash a file manager shows, on a fresh account and on another file system.
#include "remove/RemoveConverted.h"
#include "support/TestFolder.h"

#include <QProcess>

#include <sys/mount.h>
#include <unistd.h>

using namespace qf;

namespace {

// Sets an environment variable, or unsets it, for one test.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const QByteArray &value) : name_(name), old_(qgetenv(name))
    {
        had_ = qEnvironmentVariableIsSet(name);
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }
    ~ScopedEnv() { had_ ? qputenv(name_, old_) : qunsetenv(name_); }

private:
    const char *name_;
    QByteArray old_;
    bool had_ = false;
};

// The info file's Path= and whether it has a deletion date.
QByteArray TrashInfoPath(const QString &infoFile)
{
    QFile info(infoFile);
    if (!info.open(QIODevice::ReadOnly))
        return "<missing>";
    const QByteArray text = info.readAll();
    if (!text.contains("\nDeletionDate="))
        return "<no date>";
    const qsizetype at = text.indexOf("\nPath=") + 6;
    return QByteArray::fromPercentEncoding(text.mid(at, text.indexOf('\n', at) - at));
}

} // namespace

class TestTrash : public QObject {
    Q_OBJECT
private slots:
    void freshAccountGetsAHomeTrash_data();
    void freshAccountGetsAHomeTrash();
    void otherFileSystemUsesItsTopTrash_data();
    void otherFileSystemUsesItsTopTrash();
};

void TestTrash::freshAccountGetsAHomeTrash_data()
{
    QTest::addColumn<bool>("batch");
    QTest::newRow("the window's removal") << false;
    QTest::newRow("quirefold-batch --trash") << true;
}

// An account with no ~/.local/share: the trash is made there, never where the program started.
void TestTrash::freshAccountGetsAHomeTrash()
{
    QFETCH(bool, batch);
    TestFolder home, folder, started;
    const ScopedEnv noData("XDG_DATA_HOME", QByteArray());
    const ScopedEnv freshHome("HOME", QFile::encodeName(home.path()));
    // Trashed twice: the second PDF takes a name of its own beside the first. Its name holds a
    // space, a percent sign and a letter beyond ASCII, which the trash's record says
    // percent-encoded.
    const QString name = QStringLiteral("Report 100% \u00dcbersicht");
    for (int round = 0; round < 2; ++round) {
        folder.touch({name + ".doc"});
        folder.write(name + ".pdf", "round " + QByteArray::number(round));
        if (batch) {
            QProcess process;
            process.setWorkingDirectory(started.path());
            process.start(QUIREFOLD_BATCH, {"--remove-converted", "--trash", folder.path()});
            QVERIFY(process.waitForFinished(60000));
            QCOMPARE(process.exitCode(), 0);
            QCOMPARE(process.readAllStandardOutput(),
                     "Trashed: " + QFile::encodeName(folder.file(name + ".pdf")) + "\n");
        } else {
            const QString before = QDir::currentPath();
            QDir::setCurrent(started.path());
            const RemovalResult removed =
                RemoveConvertedPdfs(folder.path(), {name + ".pdf"}, {}, Removal::Trash);
            QDir::setCurrent(before);
            QCOMPARE(removed.trashed, QStringList{folder.file(name + ".pdf")});
            QVERIFY(!removed.noTrash && removed.problems.empty());
        }
    }
    QVERIFY(!folder.exists(name + ".pdf"));
    const QString trash = home.file(".local/share/Trash/");
    QCOMPARE(QFileInfo(home.file(".local")).permissions() & 0x0777, QFile::Permissions(0x0700));
    QCOMPARE(home.read(".local/share/Trash/files/" + name + ".pdf"), QByteArray("round 0"));
    QCOMPARE(home.read(".local/share/Trash/files/" + name + " (2).pdf"), QByteArray("round 1"));
    const QString info = trash + "info/" + name + " (2).pdf.trashinfo";
    QCOMPARE(TrashInfoPath(info), QFile::encodeName(folder.file(name + ".pdf")));
    QVERIFY(home.read(".local/share/Trash/info/" + name + " (2).pdf.trashinfo")
                .contains("/Report%20100%25%20%C3%9Cbersicht.pdf\n"));
    QCOMPARE(QDir(started.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList());
}

void TestTrash::otherFileSystemUsesItsTopTrash_data()
{
    QTest::addColumn<QString>("shared"); // what $top/.Trash is
    QTest::addColumn<QString>("trash");  // where the PDF goes, under $top
    const QString uid = QString::number(::getuid());
    QTest::newRow("no .Trash") << ""
                               << ".Trash-" + uid;
    QTest::newRow(".Trash with the sticky bit") << "sticky"
                                                << ".Trash/" + uid;
    QTest::newRow(".Trash without it") << "plain"
                                       << ".Trash-" + uid;
    QTest::newRow(".Trash a link") << "link"
                                   << ".Trash-" + uid;
}

// A folder on a file system of its own (a tmpfs mounted for the test): its top directory's trash.
void TestTrash::otherFileSystemUsesItsTopTrash()
{
    QFETCH(QString, shared);
    QFETCH(QString, trash);
    TestFolder top, home, elsewhere;
    if (::mount("tmpfs", QFile::encodeName(top.path()).constData(), "tmpfs", 0, "size=1m") != 0)
        QSKIP("mounting a tmpfs is not allowed here, so no second file system can be had");
    const auto unmount = qScopeGuard([&] { ::umount2(QFile::encodeName(top.path()), MNT_DETACH); });
    const ScopedEnv noData("XDG_DATA_HOME", QByteArray());
    const ScopedEnv freshHome("HOME", QFile::encodeName(home.path()));
    if (shared == "sticky" || shared == "plain") {
        top.mkdir(".Trash");
        ::chmod(QFile::encodeName(top.file(".Trash")), shared == "sticky" ? 01777 : 0777);
    } else if (shared == "link") {
        ::chmod(QFile::encodeName(elsewhere.path()), 01777);
        QVERIFY(QFile::link(elsewhere.path(), top.file(".Trash")));
    }
    top.mkdir("Case");
    top.touch({"Case/Letter.doc", "Case/Letter.pdf"});

    const RemovalResult removed =
        RemoveConvertedPdfs(top.file("Case"), {"Letter.pdf"}, {}, Removal::Trash);
    QCOMPARE(removed.trashed, QStringList{top.file("Case/Letter.pdf")});
    QVERIFY(top.exists(trash + "/files/Letter.pdf"));
    QCOMPARE(TrashInfoPath(top.file(trash + "/info/Letter.pdf.trashinfo")),
             QByteArray("Case/Letter.pdf"));
    QVERIFY(!home.exists(".local"));
    QVERIFY(QDir(elsewhere.path()).isEmpty());
}

QTEST_GUILESS_MAIN(TestTrash)
#include "test_trash.moc"
