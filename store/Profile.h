#pragma once

#include "core/Status.h"

#include <QString>

namespace qf {

// Profile ("INI") files with the Windows profile semantics: section and key names match ignoring
// case; a value is read trimmed, a pair of matching quotes around it removed, and cut to
// kProfileValueLimit characters; a write replaces the key's line in place, or adds the key at
// the end of its section, or the section at the end of the file, and keeps every other line
// byte for byte. New lines end in CR LF. Text is in the system's 8-bit encoding.

constexpr int kProfileValueLimit = 1023;

// The value, or defaultValue when the file, the section or the key is missing.
QString ReadIniString(const QString &file, const QString &section, const QString &key,
                      const QString &defaultValue = QString());

// Writes the whole file anew through a temporary file. A file that exists but cannot be read
// is left alone.
Status WriteIniString(const QString &file, const QString &section, const QString &key,
                      const QString &value);

} // namespace qf
