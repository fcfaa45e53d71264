#pragma once

#include "window/Status.h"

#include <QByteArray>
#include <QString>

namespace qf {

// Replaces the file's content with bytes through a temporary file in the same folder that is
// renamed into place, so a crash never leaves a torn file.
Status WriteWholeFile(const QString &path, const QByteArray &bytes);

// Reads the whole file; a missing file fails like an unreadable one.
Status ReadWholeFile(const QString &path, QByteArray &bytes);

// Text in the system's 8-bit encoding, as the profile and ignore-list files hold it.
QByteArray EncodeSystem(const QString &text);
QString DecodeSystem(const QByteArray &bytes);

} // namespace qf
