#include "bundle/PageNumberFormat.h"

#include <QCoreApplication>

namespace qf {

std::optional<PageNumberFormat> PageNumberFormat::Parse(const QString &format, QString *problem)
{
    const auto refuse = [&](const QString &why) {
        if (problem)
            *problem = why;
        return std::nullopt;
    };
    if (format.size() > 100)
        return refuse(QCoreApplication::translate("Bundle", "is longer than 100 characters"));
    PageNumberFormat parsed;
    QString literal;
    bool numbered = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if ((c == QLatin1Char('{') || c == QLatin1Char('}')) && i + 1 < format.size() &&
            format.at(i + 1) == c) {
            literal += c; // {{ and }} stand for the braces themselves
            ++i;
            continue;
        }
        if (c == QLatin1Char('}'))
            return refuse(QCoreApplication::translate("Bundle", "has a } that closes nothing; "
                                                                "write }} for the brace itself"));
        if (c != QLatin1Char('{')) {
            if (c.category() == QChar::Other_Control)
                return refuse(QCoreApplication::translate("Bundle", "holds a control character"));
            literal += c;
            continue;
        }
        const qsizetype end = format.indexOf(QLatin1Char('}'), i);
        const QString field = end < 0 ? format.mid(i) : format.mid(i, end - i + 1);
        Piece piece;
        if (field == QLatin1String("{n}")) {
            piece.kind = Piece::Number;
        } else if (field == QLatin1String("{total}")) {
            piece.kind = Piece::Total;
        } else if (field.startsWith(QLatin1String("{n:")) && field.endsWith(QLatin1Char('}'))) {
            bool isNumber = false;
            piece.kind = Piece::Number;
            piece.width = field.mid(3, field.size() - 4).toInt(&isNumber);
            if (!isNumber || piece.width < 1 || piece.width > 12)
                return refuse(
                    QCoreApplication::translate("Bundle", "%1: the digits must be 1 to 12")
                        .arg(field));
        } else {
            return refuse(QCoreApplication::translate("Bundle", "%1 is not one of {n}, {n:6} "
                                                                "and {total}")
                              .arg(field));
        }
        if (!literal.isEmpty())
            parsed.pieces_.append({Piece::Literal, literal, 0});
        literal.clear();
        numbered |= piece.kind == Piece::Number;
        parsed.pieces_.append(piece);
        i = end;
    }
    if (!literal.isEmpty())
        parsed.pieces_.append({Piece::Literal, literal, 0});
    if (!numbered)
        return refuse(QCoreApplication::translate("Bundle", "has no {n} for the page's number"));
    return parsed;
}

QString PageNumberFormat::Text(int number, int total) const
{
    QString text;
    for (const Piece &piece : pieces_) {
        switch (piece.kind) {
        case Piece::Literal:
            text += piece.text;
            break;
        case Piece::Number:
            text += QStringLiteral("%1").arg(number, piece.width, 10, QLatin1Char('0'));
            break;
        case Piece::Total:
            text += QString::number(total);
            break;
        }
    }
    return text;
}

bool PageNumberFormat::EndsInItsNumber() const
{
    int numbers = 0;
    for (const Piece &piece : pieces_)
        numbers += piece.kind == Piece::Number;
    return numbers == 1 && pieces_.last().kind == Piece::Number;
}

QString PageNumberFormat::Reference(int number, int total) const
{
    return EndsInItsNumber() ? Text(number, total) : QString::number(number);
}

QList<PageNumberFormat::LabelRange> PageNumberFormat::Labels(int total, int first, int count) const
{
    if (count < 0)
        count = total - first + 1;
    const qint64 last = qint64(first) + count - 1;
    QList<LabelRange> ranges;
    // A label is a prefix and a number: only a format that ends in its one number can share
    // one label among many pages.
    if (!EndsInItsNumber()) {
        for (int page = 0; page < count; ++page)
            ranges.append({page, Text(first + page, total), false, 1});
        return ranges;
    }
    QString prefix;
    for (qsizetype i = 0; i + 1 < pieces_.size(); ++i)
        prefix += pieces_.at(i).kind == Piece::Total ? QString::number(total) : pieces_.at(i).text;
    const int width = pieces_.last().width;
    // Zero padding is part of the prefix, one range for each count of digits the padding covers;
    // numbers as wide as the padding or wider take the prefix alone.
    qint64 low = 1;
    for (int digits = 1; low <= last; ++digits, low *= 10) {
        const bool padded = digits < width;
        const qint64 high = padded ? low * 10 - 1 : last;
        if (high >= first) {
            const qint64 from = std::max<qint64>(low, first);
            ranges.append({int(from - first),
                           padded ? prefix + QString(width - digits, QLatin1Char('0')) : prefix,
                           true, int(from)});
        }
        if (!padded)
            break;
    }
    return ranges;
}

} // namespace qf
