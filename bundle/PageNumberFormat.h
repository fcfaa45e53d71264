#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace qf {

// How the book's pages are numbered, e.g. "{n}", "Page {n} of {total}" or "ABC{n:6}" (zero-padded
// to six digits, ABC000001).
class PageNumberFormat {
public:
    // Null, with why, for a format that cannot number pages.
    static std::optional<PageNumberFormat> Parse(const QString &format, QString *problem);

    // The number of the page number, 1-based, in a book of total pages.
    QString Text(int number, int total) const;
    // What the index and the bookmarks say of the page: its label where the format makes labels
    // of a prefix and the number (17, ABC000017), else the bare number ("3" of "Page 3 of 10").
    QString Reference(int number, int total) const;

    // One range of the book's page labels: from firstPage (zero-based) on, prefix followed by
    // decimal numbers from start, or prefix alone.
    struct LabelRange {
        int firstPage = 0;
        QString prefix;
        bool numbered = true;
        int start = 1;
    };
    // Labels that read exactly as Text for every page of a book of total pages; for a volume
    // of it, for its count pages numbered from first on.
    QList<LabelRange> Labels(int total, int first = 1, int count = -1) const;

private:
    // Whether the format is a prefix and then its one number, which a page label can say.
    bool EndsInItsNumber() const;

    struct Piece {
        enum Kind { Literal, Number, Total } kind = Literal;
        QString text;  // Literal
        int width = 0; // Number: zero-padded to this many digits
    };
    QList<Piece> pieces_;
};

} // namespace qf
