#pragma once

#include "core/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>

// The English plural forms ("1 page", "2 pages"), which the programs install as they start.
inline void InstallEnglishPlurals()
{
    qf::InstallTranslations({QStringLiteral("en")}, {QStringLiteral(QUIREFOLD_TRANSLATIONS)});
}
Q_COREAPP_STARTUP_FUNCTION(InstallEnglishPlurals)

// A fresh folder per test, with small helpers for real files in it.
class TestFolder {
public:
    TestFolder() { QVERIFY2(dir_.isValid(), "no temporary folder"); }

    QString path() const { return dir_.path(); }
    QString file(const QString &name) const { return dir_.filePath(name); }

    void write(const QString &name, const QByteArray &bytes = QByteArray()) const
    {
        QFile f(file(name));
        QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(f.fileName()));
        f.write(bytes);
    }
    void touch(const QStringList &names) const
    {
        for (const QString &name : names)
            write(name);
    }
    QByteArray read(const QString &name) const
    {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    bool exists(const QString &name) const { return QFileInfo::exists(file(name)); }
    void mkdir(const QString &name) const { QVERIFY(QDir(path()).mkdir(name)); }
    // Sets a file's modification time to seconds after the epoch: tests of "older" never depend
    // on the clock tick in which files happen to be written.
    void setModified(const QString &name, time_t seconds) const
    {
        const timespec times[2] = {{seconds, 0}, {seconds, 0}};
        QVERIFY2(::utimensat(AT_FDCWD, QFile::encodeName(file(name)).constData(), times, 0) == 0,
                 qPrintable(file(name)));
    }

private:
    QTemporaryDir dir_;
};
