#include "store/AtomicFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringConverter>

namespace qf {

Status WriteWholeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Status::Failed(path,
                              QStringLiteral("could not be written (%1)").arg(file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.commit())
        return Status::Failed(path,
                              QStringLiteral("could not be written (%1)").arg(file.errorString()));
    return Status::Ok();
}

Status ReadWholeFile(const QString &path, QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Status::Failed(path,
                              QStringLiteral("could not be read (%1)").arg(file.errorString()));
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Status::Failed(path,
                              QStringLiteral("could not be read (%1)").arg(file.errorString()));
    return Status::Ok();
}

QByteArray EncodeSystem(const QString &text)
{
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
}

QString DecodeSystem(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringConverter::System);
    return decoder.decode(bytes);
}

} // namespace qf
