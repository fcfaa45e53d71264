#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

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

private:
    QTemporaryDir dir_;
};
