#include "convert/libreoffice/OfficeProfile.h"

#include "convert/LibreOfficeInstall.h"
#include "core/Status.h"
#include "store/WholeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QUrl>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace qf::lo {

namespace {

constexpr int kSlots = 100;

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString FindVersion()
{
    // The value the office compares ooSetupLastVersion with.
    static const QRegularExpression setup(
        QStringLiteral("<prop oor:name=\"ooSetupVersion\">\\s*<value>([0-9.]+)</value>"));
    const QString xcd =
        QString::fromUtf8(ReadAll(kLibreOfficeFolder + QStringLiteral("/share/registry/main.xcd")));
    QRegularExpressionMatch m = setup.match(xcd);
    if (m.hasMatch())
        return m.captured(1);
    static const QRegularExpression product(QStringLiteral("^ProductKey=\\D*(\\d+\\.\\d+)"),
                                            QRegularExpression::MultilineOption);
    m = product.match(QString::fromUtf8(ReadAll(LibreOfficeFile(QStringLiteral("bootstraprc")))));
    return m.hasMatch() ? m.captured(1) : QString();
}

QByteArray VersionItem(const QString &version)
{
    return QByteArrayLiteral("<item oor:path=\"/org.openoffice.Setup/Product\"><prop "
                             "oor:name=\"ooSetupLastVersion\" oor:op=\"fuse\"><value>") +
           version.toUtf8() + QByteArrayLiteral("</value></prop></item>\n");
}

// The registry with the last-version item set to version, keeping whatever else it holds.
QByteArray Seeded(const QByteArray &registry, const QString &version)
{
    static const QRegularExpression item(QStringLiteral(
        "<item oor:path=\"/org.openoffice.Setup/Product\"><prop oor:name=\"ooSetupLastVersion\""
        "[^>]*>\\s*<value>([^<]*)</value>\\s*</prop>\\s*</item>\\s*"));
    QString text = QString::fromUtf8(registry);
    const QRegularExpressionMatch m = item.match(text);
    if (m.hasMatch() && m.captured(1) == version)
        return registry;
    if (m.hasMatch())
        text.remove(m.capturedStart(), m.capturedLength());
    const qsizetype end = text.lastIndexOf(QLatin1String("</oor:items>"));
    if (end >= 0)
        return text.left(end).toUtf8() + VersionItem(version) + text.mid(end).toUtf8();
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<oor:items "
                             "xmlns:oor=\"http://openoffice.org/2001/registry\" "
                             "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                             "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n") +
           VersionItem(version) + QByteArrayLiteral("</oor:items>\n");
}

} // namespace

QString InstalledOfficeVersion()
{
    static const QString version = FindVersion();
    return version;
}

ProfileSlot::~ProfileSlot()
{
    // Closing the descriptor releases the lock.
    ::close(lockFd_);
}

std::unique_ptr<ProfileSlot> ProfileSlot::Take(const QString &root, QString *reason)
{
    if (!QDir().mkpath(root)) {
        *reason =
            QCoreApplication::translate(
                "Conversion", "the folder for the word processor's profiles (%1) could not be "
                              "created")
                .arg(QDir::toNativeSeparators(root));
        return nullptr;
    }
    for (int i = 0; i < kSlots; ++i) {
        const QString base = QDir(root).filePath(QStringLiteral("profile-%1").arg(i));
        const QByteArray lock = QFile::encodeName(base + QStringLiteral(".lock"));
        // Close-on-exec: only the office of this slot is let to inherit it (see LockFd).
        const int fd = ::open(lock.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            *reason = QCoreApplication::translate("Conversion",
                                                  "the profile lock %1 could not be opened: %2")
                          .arg(QFile::decodeName(lock), SystemReason(errno));
            return nullptr;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return std::unique_ptr<ProfileSlot>(new ProfileSlot(fd, base));
        const int error = errno;
        ::close(fd);
        if (error != EWOULDBLOCK) {
            *reason = QCoreApplication::translate("Conversion",
                                                  "the profile lock %1 could not be taken: %2")
                          .arg(QFile::decodeName(lock), SystemReason(error));
            return nullptr;
        }
    }
    *reason = QCoreApplication::translate("Conversion",
                                          "all %1 word processor profiles under %2 are in use")
                  .arg(kSlots)
                  .arg(QDir::toNativeSeparators(root));
    return nullptr;
}

QString ProfileSlot::Url() const
{
    return QUrl::fromLocalFile(folder_).toString(QUrl::FullyEncoded);
}

QString ProfileSlot::TempFolder() const
{
    return folder_ + QStringLiteral("/tmp");
}

bool ProfileSlot::Used() const
{
    return QFileInfo::exists(folder_);
}

bool ProfileSlot::Prepare(QString *reason)
{
    QDir temp(TempFolder());
    if (temp.exists())
        temp.removeRecursively();
    if (!QDir().mkpath(TempFolder()) || !QDir().mkpath(folder_ + QStringLiteral("/user"))) {
        *reason = QCoreApplication::translate(
                      "Conversion", "the word processor's profile %1 could not be created")
                      .arg(QDir::toNativeSeparators(folder_));
        return false;
    }
    const QString version = InstalledOfficeVersion();
    if (version.isEmpty())
        return true; // The office then starts as on a fresh profile, only slower.
    const QString path = folder_ + QStringLiteral("/user/registrymodifications.xcu");
    const QByteArray old = ReadAll(path);
    const QByteArray seeded = Seeded(old, version);
    if (seeded == old)
        return true;
    if (const Status written = WriteWholeFile(path, seeded); !written) {
        *reason = QCoreApplication::translate("Conversion", "the word processor's profile %1")
                      .arg(written.message());
        return false;
    }
    return true;
}

void ProfileSlot::Wipe()
{
    QDir(folder_).removeRecursively();
}

} // namespace qf::lo
