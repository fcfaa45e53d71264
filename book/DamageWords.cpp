#include "book/DamageWords.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>
#include <iterator>

namespace qf {
namespace {

// What qpdf says, the user's words for it, and whether every viewer makes the same repair of it,
// so that nothing of the source is lost. The first that says words for a message gives them.
struct Said {
    const char *qpdf;
    const char *words; // null: qpdf's own
    bool losesNothing;
};

constexpr const char *kTwice = QT_TRANSLATE_NOOP("Book", "a dictionary gives %1 twice");
constexpr const char *kNotPdf = QT_TRANSLATE_NOOP("Book", "it does not begin as a PDF file does");
constexpr const char *kCompressed = QT_TRANSLATE_NOOP("Book", "compressed data in it is damaged");
constexpr const char *kContents = QT_TRANSLATE_NOOP("Book", "its table of contents is damaged");
constexpr const char *kListed = QT_TRANSLATE_NOOP("Book", "it lists an object it does not hold");
constexpr const char *kEnd =
    QT_TRANSLATE_NOOP("Book", "an object in it does not end where it says");
constexpr const char *kMissing = QT_TRANSLATE_NOOP("Book", "objects in it are damaged or missing");
constexpr const char *kKind = QT_TRANSLATE_NOOP("Book", "an object in it is of the wrong kind");
constexpr const char *kForm = QT_TRANSLATE_NOOP("Book", "its form's list of fields is wrong");
constexpr const char *kEmptyTree =
    QT_TRANSLATE_NOOP("Book", "a list of names or numbers in it is empty");

const Said kSaid[] = {
    {"dictionary has duplicated key", kTwice, true},
    {"duplicated key", kTwice, false},
    {"can't find PDF header", kNotPdf, false},
    {"not a PDF file", kNotPdf, false},
    {"inflate", kCompressed, false},
    {"bad encoded data", kCompressed, false},
    {"error decoding stream data", kCompressed, false},
    {"re-processed without filtering", kCompressed, false},
    {"Decoder", kCompressed, false},
    {"bad hex digit", kCompressed, false},
    {"invalid block type", kCompressed, false},
    {"invalid distance", kCompressed, false},
    {"incorrect header check", kCompressed, false},
    {"xref not found", kContents, true},
    {"Attempting to reconstruct cross-reference table", kContents, true},
    {"reconstruct", kContents, false},
    {"trailer dictionary", kContents, false},
    {"startxref", kContents, false},
    {"xref stream", kContents, false},
    {"xref table", kContents, false},
    {"object has offset 0", kListed, true},
    {"empty object treated as null", kListed, true},
    {"expected endobj", kEnd, true},
    {"expected endstream", kEnd, true},
    {"stream length", kEnd, true},
    {"stream keyword followed by carriage return only", nullptr, true},
    {"stream keyword not followed by proper line terminator", nullptr, true},
    {"reported number of objects", nullptr, true},
    {"unable to find", kMissing, false},
    {"object stream", kMissing, false},
    {"attempted on object of type", kKind, false},
    // An empty tree of names or numbers has nothing to lose.
    {"has neither non-empty", kEmptyTree, true},
    // Its form, as qpdf walks it: what no viewer takes for a field either.
    {"not reachable from /AcroForm", kForm, true},
    {"while traversing /AcroForm", kForm, true},
    {"ignoring attempt to set a", kForm, true},
    {"/AcroForm", kForm, false},
    {"attempt to set a", kForm, false},
};

bool Says(const std::string &detail, const Said &said)
{
    return detail.find(said.qpdf) != std::string::npos;
}

} // namespace

QString InUserWords(const std::string &detail)
{
    const auto found = std::find_if(std::begin(kSaid), std::end(kSaid), [&](const Said &said) {
        return said.words && Says(detail, said);
    });
    const QString text = QString::fromStdString(detail);
    if (found == std::end(kSaid))
        return text;
    const QString words = QCoreApplication::translate("Book", found->words);
    if (found->words != kTwice)
        return words;
    // A key said twice is named: the user may find it.
    static const QRegularExpression twice(QStringLiteral("duplicated key (/\\S+)"));
    const QString key = twice.match(text).captured(1);
    return words.arg(key.endsWith(QLatin1Char(';')) ? key.chopped(1) : key);
}

bool LosesNothing(const std::string &detail)
{
    return std::any_of(std::begin(kSaid), std::end(kSaid),
                       [&](const Said &said) { return said.losesNothing && Says(detail, said); });
}

} // namespace qf
