#include "convert/PdfState.h"

#include "core/DocumentTypes.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qf {
namespace {

// A file's modification time in nanoseconds; -1 when it is not a regular file.
qint64 ModifiedAt(int folder, const QString &name)
{
    struct stat st;
    if (::fstatat(folder, QFile::encodeName(name).constData(), &st, 0) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

} // namespace

QList<PdfState> PdfStatesOf(const QString &folder, const QStringList &documents)
{
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // The folder's PDFs by name ignoring case, listed only once a PDF is not found by its own
    // name: most are, and then a folder of thousands of documents costs no listing.
    QHash<QString, QString> folded;
    bool listed = false;
    const auto pdfIgnoringCase = [&](const QString &name) {
        if (!listed && fd >= 0)
            if (DIR *dir = ::fdopendir(::dup(fd))) {
                while (const dirent *entry = ::readdir(dir)) {
                    const size_t length = std::strlen(entry->d_name);
                    if (length > 4 && ::strcasecmp(entry->d_name + length - 4, ".pdf") == 0) {
                        const QString found = QFile::decodeName(entry->d_name);
                        folded.insert(found.toCaseFolded(), found);
                    }
                }
                ::closedir(dir);
            }
        listed = true;
        return folded.value(name.toCaseFolded());
    };
    QList<PdfState> states;
    states.reserve(documents.size());
    for (const QString &document : documents) {
        // A name of the PDF's exact letter case wins, as the conversion's does.
        const QString pdfName = PdfNameOf(document);
        qint64 pdfTime = fd < 0 ? -1 : ModifiedAt(fd, pdfName);
        if (pdfTime < 0 && fd >= 0) {
            const QString other = pdfIgnoringCase(pdfName);
            pdfTime = other.isEmpty() ? -1 : ModifiedAt(fd, other);
        }
        if (pdfTime < 0)
            states.append(PdfState::Missing);
        else if (pdfTime < ModifiedAt(fd, document))
            states.append(PdfState::Older);
        else
            states.append(PdfState::UpToDate);
    }
    if (fd >= 0)
        ::close(fd);
    return states;
}

QString PdfStateMark(PdfState state)
{
    switch (state) {
    case PdfState::Missing:
        return QCoreApplication::translate("Conversion", "No PDF yet");
    case PdfState::Older:
        return QCoreApplication::translate("Conversion", "The PDF is older than the document");
    case PdfState::UpToDate:
        break;
    }
    return QString();
}

} // namespace qf
