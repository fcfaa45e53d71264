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

QList<PageNumberFormat::LabelRange> PageNumberFormat::Labels(int total) const
{
    QList<LabelRange> ranges;
    // A label is a prefix and a number: only a format that ends in its one number can share
    // one label among many pages.
    if (!EndsInItsNumber()) {
        for (int page = 0; page < total; ++page)
            ranges.append({page, Text(page + 1, total), false, 1});
        return ranges;
    }
    QString prefix;
    for (qsizetype i = 0; i + 1 < pieces_.size(); ++i)
        prefix += pieces_.at(i).kind == Piece::Total ? QString::number(total) : pieces_.at(i).text;
    const int width = pieces_.last().width;
    // Zero padding is part of the prefix, one range for each count of digits the padding covers.
    qint64 first = 1;
    for (int digits = 1; digits < width && first <= total; ++digits, first *= 10)
        ranges.append(
            {int(first - 1), prefix + QString(width - digits, QLatin1Char('0')), true, int(first)});
    if (first <= total)
        ranges.append({int(first - 1), prefix, true, int(first)});
    return ranges;
}

} // namespace qf
