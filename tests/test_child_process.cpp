#include "convert/ChildProcess.h"
#include "support/TestFolder.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <functional>
#include <unistd.h>

using namespace qf;
using namespace std::chrono_literals;

namespace {

struct Process {
    qint64 pid = 0;
    qint64 parent = 0;
    qint64 group = 0;
    char state = '?';
    QByteArray name;
    QByteArray commandLine;
};

// The processes, zombies included, for which matches holds.
QList<Process> Processes(const std::function<bool(const Process &)> &matches)
{
    QList<Process> found;
    for (const QString &entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        QFile stat("/proc/" + entry + "/stat"), cmdline("/proc/" + entry + "/cmdline");
        if (!number || !stat.open(QIODevice::ReadOnly) || !cmdline.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid pgrp ...": the name may hold spaces and parentheses.
        const QByteArray line = stat.readAll();
        const qsizetype open = line.indexOf('('), close = line.lastIndexOf(')');
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        if (open < 0 || close < open || fields.size() < 3 || fields[0].isEmpty())
            continue;
        const Process process{pid,
                              fields[1].toLongLong(),
                              fields[2].toLongLong(),
                              fields[0][0],
                              line.mid(open + 1, close - open - 1),
                              cmdline.readAll().replace('\0', ' ')};
        if (matches(process))
            found.append(process);
    }
    return found;
}

// The processes still running (zombies have ended) for which matches holds.
QList<Process> Running(const std::function<bool(const Process &)> &matches)
{
    return Processes([&](const Process &p) { return p.state != 'Z' && matches(p); });
}

QByteArray Describe(const QList<Process> &processes)
{
    QByteArray text;
    for (const Process &p : processes)
        text += QByteArray::number(p.pid) + ' ' + p.name + ": " + p.commandLine + '\n';
    return text;
}

// What a failed check left running goes, so it does not outlive the test.
void KillAll(const QList<Process> &processes)
{
    for (const Process &p : processes)
        ::kill(pid_t(p.pid), SIGKILL);
}

qsizetype SleepsIn(qint64 group)
{
    return Running([group](const Process &p) { return p.group == group && p.name == "sleep"; })
        .size();
}

bool WaitUntil(const std::function<bool()> &done, std::chrono::milliseconds bound)
{
    const QDeadlineTimer deadline(bound);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}

// This program run as "--own SCRIPT": it holds one child running SCRIPT under sh, prints the
// child's process group and waits to be killed.
int Own(const char *script)
{
    ChildProcess::EndChildrenOnSignals();
    ChildProcess child;
    QString why;
    if (!child.Start("sh", {"-c", QString::fromLocal8Bit(script)}, ChildProcess::Channels::Discard,
                     &why)) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return 1;
    }
    std::printf("%lld\n", child.ProcessGroup());
    std::fflush(stdout);
    for (;;)
        ::pause();
}

} // namespace

class TestChildProcess : public QObject {
    Q_OBJECT
private slots:
    // Every child this test started, guards included, has been reaped.
    void cleanup()
    {
        const qint64 self = QCoreApplication::applicationPid();
        const QList<Process> zombies =
            Processes([self](const Process &p) { return p.parent == self && p.state == 'Z'; });
        QVERIFY2(zombies.isEmpty(), Describe(zombies).constData());
    }

    void reportsHowTheProgramEnded_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("crashed");
        QTest::addColumn<QByteArray>("output");
        QTest::newRow("exit code, both channels")
            << "echo out; echo err >&2; exit 3" << 3 << false << QByteArray("out\nerr\n");
        QTest::newRow("killed") << "echo before; kill -KILL $$" << 0 << true
                                << QByteArray("before\n");
        QTest::newRow("more than a pipe holds")
            << "head -c 300000 /dev/zero | tr '\\0' x" << 0 << false << QByteArray(300000, 'x');
    }

    void reportsHowTheProgramEnded()
    {
        QFETCH(QString, script);
        QFETCH(int, exitCode);
        QFETCH(bool, crashed);
        QFETCH(QByteArray, output);
        ChildProcess child;
        QString why;
        QVERIFY2(child.Start("sh", {"-c", script}, ChildProcess::Channels::Capture, &why),
                 qPrintable(why));
        QVERIFY(child.WaitForExit(30s));
        QCOMPARE(child.Crashed(), crashed);
        if (!crashed)
            QCOMPARE(child.ExitCode(), exitCode);
        QCOMPARE(child.TakeOutput(), output);
    }

    // What the program leaves behind goes with it, even while it holds the program's output.
    void leftoversEndWithTheProgram()
    {
        ChildProcess child;
        QVERIFY(child.Start("sh", {"-c", "sleep 1000 & echo $!; exit 4"},
                            ChildProcess::Channels::Capture, nullptr));
        QVERIFY(child.WaitForExit(30s));
        QCOMPARE(child.ExitCode(), 4);
        const qint64 sleeper = child.TakeOutput().trimmed().toLongLong();
        QVERIFY(sleeper > 0);
        const auto isSleeper = [sleeper](const Process &p) { return p.pid == sleeper; };
        const bool ended = WaitUntil([&] { return Running(isSleeper).isEmpty(); }, 5s);
        const QList<Process> left = Running(isSleeper);
        KillAll(left);
        QVERIFY2(ended, Describe(left).constData());
    }

    // End() asks the program itself first: it may end in its own way.
    void politeEndReachesTheProgram()
    {
        ChildProcess child;
        QVERIFY(child.Start("sh", {"-c", "trap 'echo ended; exit 7' TERM; sleep 1000 & wait"},
                            ChildProcess::Channels::Capture, nullptr));
        const qint64 group = child.ProcessGroup();
        const auto inGroup = [group](const Process &p) { return p.group == group; };
        QVERIFY(WaitUntil([&] { return SleepsIn(group) == 1; }, 10s));
        child.End();
        QVERIFY(!child.IsRunning());
        QVERIFY(!child.Crashed());
        QCOMPARE(child.ExitCode(), 7);
        QCOMPARE(child.TakeOutput(), QByteArray("ended\n"));
        QVERIFY(WaitUntil([&] { return Running(inGroup).isEmpty(); }, 5s));
    }

    void killedOwnerLeavesNothingRunning_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGKILL") << int(SIGKILL);
        QTest::newRow("SIGTERM") << int(SIGTERM);
    }

    void killedOwnerLeavesNothingRunning()
    {
        QFETCH(int, signal);
        QProcess owner;
        owner.start(QCoreApplication::applicationFilePath(), {"--own", "sleep 1000 & sleep 1000"});
        QVERIFY(owner.waitForReadyRead(10000));
        const qint64 group = owner.readLine().trimmed().toLongLong();
        QVERIFY(group > 0);
        const auto inGroup = [group](const Process &p) { return p.group == group; };
        QVERIFY(WaitUntil([&] { return SleepsIn(group) == 2; }, 10s));

        ::kill(pid_t(owner.processId()), signal);
        QVERIFY(owner.waitForFinished(5000));
        const bool ended = WaitUntil([&] { return Running(inGroup).isEmpty(); }, 5s);
        const QList<Process> left = Running(inGroup);
        KillAll(left);
        QVERIFY2(ended, Describe(left).constData());
    }

    void killedConversionLeavesNoOffice()
    {
        TestFolder folder, cache;
        const QDir sample(QUIREFOLD_SAMPLE_FOLDER);
        for (int copy = 0; copy < 4; ++copy)
            QVERIFY(QFile::copy(sample.filePath("Rules of Play.doc"),
                                folder.file(QStringLiteral("Copy %1.doc").arg(copy))));
        // The office keeps its profile under the cache, so its command line names the cache.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CACHE_HOME", cache.path());
        QProcess batch;
        batch.setProcessEnvironment(env);
        batch.setStandardOutputFile(QProcess::nullDevice());
        batch.setStandardErrorFile(QProcess::nullDevice());
        batch.start(QUIREFOLD_BATCH, {"--convert", folder.path()});
        QVERIFY(batch.waitForStarted());
        const QByteArray ofCache = cache.path().toUtf8(), ofFolder = folder.path().toUtf8();
        const auto office = [&](const Process &p) {
            return p.name == "soffice.bin" && p.commandLine.contains(ofCache);
        };
        const auto ofThisRun = [&](const Process &p) {
            return p.commandLine.contains(ofCache) || p.commandLine.contains(ofFolder);
        };
        QVERIFY2(WaitUntil([&] { return !Running(office).isEmpty(); }, 60s),
                 "the office never started");
        QCOMPARE(batch.state(), QProcess::Running);
        const qint64 batchPid = batch.processId();

        batch.kill();
        QVERIFY(batch.waitForFinished(5000));
        const bool ended = WaitUntil([&] { return Running(ofThisRun).isEmpty(); }, 5s);
        const QList<Process> left = Running(ofThisRun);
        KillAll(left);
        // A killed office leaves its pipe behind.
        const QDir tmp("/tmp");
        const QString pipes =
            QStringLiteral("OSL_PIPE_%1_quirefold_%2_*").arg(getuid()).arg(batchPid);
        for (const QString &pipe : tmp.entryList({pipes}, QDir::System))
            QFile::remove(tmp.filePath(pipe));
        QVERIFY2(ended, Describe(left).constData());
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--own") == 0)
        return Own(argv[2]);
    TestChildProcess test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_child_process.moc"
