#include "book/PdfWrite.h"
#include "book/SourcePiece.h"
#include "compile/CompileBook.h"
#include "support/CompileFixture.h"

#include <qpdf/Pl_Discard.hh>

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>

#include <map>

namespace {

// Stream data that cannot be decoded, one sample per filter.
struct BadData {
    const char *label;
    const char *filter;
    QByteArray bytes;
};

const QList<BadData> &BadSamples()
{
    static const QList<BadData> samples = {
        {"flate", "/FlateDecode", QByteArray("\x78\x9c\xff\xff\xff\xff\xff\xff", 8)},
        {"lzw", "/LZWDecode", QByteArray("\xff\xff\xff\xff\xff\xff", 6)},
        {"hex", "/ASCIIHexDecode", QByteArray("3020 3020 zz 6d>")},
        {"a85", "/ASCII85Decode", QByteArray("87cURD]i{}~>")},
    };
    return samples;
}

// What a fixture holds. Page i is 300 + tag + i points wide; even pages show an image of their
// own; odd pages' content is Flate-compressed, even pages' plain.
struct Recipe {
    int pages = 4;
    int tag = 0;
    const BadData *bad = nullptr;
    bool badInImage = false; // else in the second page's content
    // A linearized file has a trailer at its start too, so qpdf can read what comes before a cut.
    bool linearized = false;
};

std::vector<int> RecipeWidths(const Recipe &recipe)
{
    std::vector<int> widths;
    for (int i = 0; i < recipe.pages; ++i)
        widths.push_back(300 + recipe.tag + i);
    return widths;
}

void SetData(QPDFObjectHandle stream, const QByteArray &plain, bool compress, const BadData *bad)
{
    if (bad)
        stream.replaceStreamData(bad->bytes.toStdString(), QPDFObjectHandle::newName(bad->filter),
                                 QPDFObjectHandle::newNull());
    else if (compress) // qCompress puts the length before the zlib stream
        stream.replaceStreamData(qCompress(plain).mid(4).toStdString(),
                                 QPDFObjectHandle::newName("/FlateDecode"),
                                 QPDFObjectHandle::newNull());
    else
        stream.replaceStreamData(plain.toStdString(), QPDFObjectHandle::newNull(),
                                 QPDFObjectHandle::newNull());
}

// Written with a plain cross-reference table and every stream exactly as set, so bytes can be
// damaged where intended.
void MakeRichPdf(const QString &path, const Recipe &recipe)
{
    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle font = pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"));
    for (int i = 0; i < recipe.pages; ++i) {
        const bool withImage = i % 2 == 0;
        QByteArray content =
            "q 0.2 0.4 0.6 rg 20 20 100 100 re f Q\nBT /F1 24 Tf 30 200 Td (Page " +
            QByteArray::number(i + 1) + " of " + QByteArray::number(recipe.tag) + ") Tj ET\n";
        QPDFObjectHandle resources = QPDFObjectHandle::parse("<< /Font << >> >>");
        resources.getKey("/Font").replaceKey("/F1", font);
        if (withImage) {
            content += "q 64 0 0 64 150 20 cm /Im1 Do Q\n";
            QByteArray pixels;
            for (int p = 0; p < 64; ++p)
                pixels += char(p * 4 + i);
            QPDFObjectHandle image = pdf.newStream();
            image.replaceDict(QPDFObjectHandle::parse("<< /Type /XObject /Subtype /Image /Width 8 "
                                                      "/Height 8 /ColorSpace /DeviceGray "
                                                      "/BitsPerComponent 8 >>"));
            SetData(image, pixels, true, i == 0 && recipe.badInImage ? recipe.bad : nullptr);
            resources.replaceKey("/XObject", QPDFObjectHandle::parse("<< >>"));
            resources.getKey("/XObject").replaceKey("/Im1", image);
        }
        QPDFObjectHandle page = pdf.makeIndirectObject(QPDFObjectHandle::parse(
            "<< /Type /Page /MediaBox [0 0 " + std::to_string(300 + recipe.tag + i) + " 400] >>"));
        page.replaceKey("/Resources", resources);
        QPDFObjectHandle contents = pdf.newStream();
        SetData(contents, content, i % 2 == 1, i == 1 && !recipe.badInImage ? recipe.bad : nullptr);
        page.replaceKey("/Contents", contents);
        pdf.addPage(page, false);
    }
    const QByteArray target = QFile::encodeName(path);
    QPDFWriter writer(pdf, target.constData());
    writer.setCompressStreams(false);
    writer.setDecodeLevel(qpdf_dl_none);
    writer.setObjectStreamMode(qpdf_o_disable);
    writer.setDeterministicID(true);
    writer.setLinearization(recipe.linearized);
    writer.write();
}

QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Where the data of the first Flate-compressed image or content stream lies: [begin, end).
std::pair<qsizetype, qsizetype> FlateStreamData(const QByteArray &bytes, bool image)
{
    for (qsizetype at = bytes.indexOf(">>\nstream\n"); at >= 0;
         at = bytes.indexOf(">>\nstream\n", at + 1)) {
        const qsizetype object = bytes.lastIndexOf(" obj", at);
        const QByteArray dictionary = bytes.mid(object, at - object);
        static const QRegularExpression length(QStringLiteral("/Length (\\d+)"));
        const QRegularExpressionMatch match = length.match(QString::fromLatin1(dictionary));
        if (dictionary.contains("/FlateDecode") && dictionary.contains("/Image") == image &&
            match.hasMatch())
            return {at + 10, at + 10 + match.captured(1).toInt()};
    }
    return {-1, -1};
}

QByteArray Flipped(QByteArray bytes, qsizetype at)
{
    bytes[at] = char(bytes.at(at) ^ 0x01);
    return bytes;
}

// The streams a page draws with, named so the same stream can be found on the page's copy.
std::map<std::string, QPDFObjectHandle> PageStreams(QPDFObjectHandle page)
{
    std::map<std::string, QPDFObjectHandle> streams;
    QPDFObjectHandle contents = page.getKey("/Contents");
    if (contents.isStream())
        streams["contents"] = contents;
    for (int i = 0; contents.isArray() && i < contents.getArrayNItems(); ++i)
        if (contents.getArrayItem(i).isStream())
            streams["contents " + std::to_string(i)] = contents.getArrayItem(i);
    QPDFObjectHandle xobjects = page.getKey("/Resources").getKey("/XObject");
    if (xobjects.isDictionary())
        for (auto [key, value] : xobjects.ditems())
            if (value.isStream())
                streams["xobject " + key] = value;
    return streams;
}

int Width(QPDFObjectHandle page)
{
    QPDFObjectHandle box = page.getKey("/MediaBox");
    return box.isArray() && box.getArrayNItems() == 4 && box.getArrayItem(2).isNumber()
               ? int(box.getArrayItem(2).getNumericValue())
               : -1;
}

std::string Raw(QPDFObjectHandle stream)
{
    const std::shared_ptr<Buffer> raw = stream.getRawStreamData();
    return std::string(reinterpret_cast<const char *>(raw->getBuffer()), raw->getSize());
}

// A stream of a source's page that qpdf cannot decode, as the source holds it.
struct Undecodable {
    int page;
    std::string stream;
    std::string raw;
    std::string filter;
};

// How qpdf itself reads an input: whether it has pages, their widths, and the streams on them
// that cannot be decoded.
struct Reading {
    bool readable = false;
    std::vector<int> widths;
    QList<Undecodable> undecodable;
};

Reading ReadAsQpdfDoes(const QString &path)
{
    Reading reading;
    QPDF pdf;
    pdf.setSuppressWarnings(true);
    try {
        pdf.processFile(QFile::encodeName(path).constData());
        // A page that is not even a dictionary could not be read at all.
        std::vector<QPDFObjectHandle> pages;
        for (QPDFObjectHandle page : pdf.getAllPages())
            if (page.isDictionary())
                pages.push_back(page);
        for (size_t i = 0; i < pages.size(); ++i) {
            reading.widths.push_back(Width(pages[i]));
            for (auto [label, stream] : PageStreams(pages[i])) {
                Pl_Discard discard;
                bool attempted = false;
                bool decoded = false;
                try {
                    decoded = stream.pipeStreamData(&discard, &attempted, 0, qpdf_dl_generalized,
                                                    true, false);
                } catch (const std::exception &) {
                }
                if (!decoded)
                    reading.undecodable.append(
                        {int(i), label, Raw(stream), stream.getDict().getKey("/Filter").unparse()});
            }
        }
        reading.readable = !pages.empty();
    } catch (const std::exception &) {
        reading.readable = false;
    }
    return reading;
}

// One file of the working folder, in list order.
struct Input {
    QString name;
    bool damaged = false;
    bool repairedByReader = false; // qpdf must rebuild its structure to read it
    bool undecodable = false;      // holds a stream on its pages that qpdf cannot decode
    Recipe recipe;                 // what it was made from
};

// Builds the damaged inputs of one family from good PDFs made here.
class Inputs {
public:
    explicit Inputs(const TestFolder &folder) : folder_(folder) {}

    QList<Input> list;

    void good()
    {
        const Recipe recipe = next(3 + list.size() % 3);
        const QString name = QStringLiteral("good-%1.pdf").arg(list.size());
        MakeRichPdf(folder_.file(name), recipe);
        list.append({name, false, false, false, recipe});
    }

    void cut()
    {
        for (bool linearized : {false, true})
            for (int k = 1; k <= 20; ++k) {
                Recipe recipe = next(5);
                recipe.linearized = linearized;
                const QByteArray bytes = made(recipe);
                add(QStringLiteral("cut-%1%2").arg(linearized ? "linearized-" : "").arg(k),
                    bytes.left(bytes.size() * k / 21), recipe, true);
            }
    }

    // Bytes blanked out within the file: the objects there are lost, the rest can be found.
    void holes()
    {
        for (int k = 1; k <= 10; ++k) {
            Recipe recipe = next(5);
            QByteArray bytes = made(recipe);
            const qsizetype at = bytes.size() * k / 11;
            bytes.replace(at, 150, QByteArray(150, ' '));
            add(QStringLiteral("hole-%1").arg(k), bytes, recipe, true);
        }
    }

    void xref()
    {
        // Each entry is 20 bytes; entry 0 is the free head, so 1 on are objects in use. An
        // offset's tens digit is flipped: one off could still land on the line break before the
        // object, where qpdf rightly finds nothing wrong.
        auto entry = [](const QByteArray &bytes, int n) {
            return bytes.indexOf("\n", bytes.lastIndexOf("\nxref\n") + 6) + 1 + 20 * n;
        };
        const QList<std::pair<const char *, std::function<qsizetype(const QByteArray &)>>> flips = {
            {"xref-first-entry", [&](const QByteArray &b) { return entry(b, 1) + 8; }},
            {"xref-middle-entry", [&](const QByteArray &b) { return entry(b, 8) + 8; }},
            {"xref-last-entry", [&](const QByteArray &b) { return b.indexOf("trailer") - 20 + 8; }},
            {"xref-keyword", [](const QByteArray &b) { return b.lastIndexOf("\nxref\n") + 1; }},
            {"xref-startxref",
             [](const QByteArray &b) { return b.lastIndexOf("startxref\n") + 11; }},
            {"xref-trailer", [](const QByteArray &b) { return b.lastIndexOf("trailer") + 2; }},
        };
        for (const auto &[label, at] : flips) {
            const Recipe recipe = next(4);
            const QByteArray bytes = made(recipe);
            add(QString::fromLatin1(label), Flipped(bytes, at(bytes)), recipe, true);
        }
    }

    void streamBytes()
    {
        using Flip = std::function<void(QByteArray &, qsizetype, qsizetype)>;
        const QList<std::pair<const char *, Flip>> flips = {
            {"flip-header", [](QByteArray &bytes, qsizetype begin,
                               qsizetype) { bytes[begin] = char(bytes.at(begin) ^ 0x01); }},
            // Block type 3 does not exist.
            {"flip-block-type",
             [](QByteArray &bytes, qsizetype begin, qsizetype) {
                 const char type = bytes.at(begin + 2);
                 bytes[begin + 2] = char(type ^ (~type & 0x06));
             }},
            {"flip-all-data",
             [](QByteArray &bytes, qsizetype begin, qsizetype end) {
                 for (qsizetype at = begin + 2; at < end; ++at)
                     bytes[at] = char(~bytes.at(at));
             }},
        };
        for (const auto &[label, flip] : flips)
            for (bool image : {false, true}) {
                const Recipe recipe = next(4);
                QByteArray bytes = made(recipe);
                const auto [begin, end] = FlateStreamData(bytes, image);
                QVERIFY(begin > 0 && end > begin + 2);
                flip(bytes, begin, end);
                add(QStringLiteral("%1-%2").arg(label, image ? "image" : "content"), bytes, recipe,
                    false, true);
            }
    }

    // The bad data of one filter in a page's content, and in an image.
    void badFilter(const BadData &bad)
    {
        for (bool inImage : {false, true}) {
            Recipe recipe = next(4);
            recipe.bad = &bad;
            recipe.badInImage = inImage;
            const QString name = QStringLiteral("bad-%1-%2.pdf")
                                     .arg(QLatin1String(bad.label), inImage ? "image" : "content");
            MakeRichPdf(folder_.file(name), recipe);
            list.append({name, true, false, true, recipe});
        }
    }

    void unreadable()
    {
        const Recipe locked = next(3);
        const QByteArray plain = made(locked);
        WriteBytes(scratch_.file("plain.pdf"), plain);
        MakeEncryptedPdf(scratch_.file("plain.pdf"), folder_.file("locked.pdf"));
        list.append({"locked.pdf", true, false, false, locked});
        // Encrypted, but anyone may open it: nothing is wrong with it.
        const Recipe open = next(3);
        WriteBytes(scratch_.file("open.pdf"), made(open));
        QCOMPARE(RunQpdf({"--encrypt", "", "owner", "256", "--", scratch_.file("open.pdf"),
                          folder_.file("owner-only.pdf")}),
                 0);
        list.append({"owner-only.pdf", false, false, false, open});

        const QByteArray empty = made(next(0));
        // Blanked out, so every offset stays right.
        const QByteArray withoutKids = QByteArray(empty).replace("/Kids [ ]", "         ");
        QVERIFY(withoutKids != empty);
        add("no-pages", empty, next(0));
        add("no-kids", withoutKids, next(0));
        add("zero-bytes", QByteArray(), next(0));
        add("not-a-pdf", "Dear reader,\nthis is a letter, not a PDF.\n", next(0));
    }

private:
    Recipe next(int pages)
    {
        Recipe recipe;
        recipe.pages = pages;
        recipe.tag = tag_;
        tag_ += 10;
        return recipe;
    }
    QByteArray made(const Recipe &recipe)
    {
        const QString path = scratch_.file("made.pdf");
        MakeRichPdf(path, recipe);
        return ReadBytes(path);
    }
    void add(const QString &label, const QByteArray &bytes, const Recipe &recipe,
             bool repaired = false, bool undecodable = false)
    {
        const QString name = label + QStringLiteral(".pdf");
        WriteBytes(folder_.file(name), bytes);
        list.append({name, true, repaired, undecodable, recipe});
    }

    const TestFolder &folder_;
    TestFolder scratch_;
    int tag_ = 0;
};

// qpdf's exit codes by how bad: 0 clean, 3 warnings, 2 errors; anything else worst.
int Severity(int exitCode)
{
    return exitCode == 0 ? 0 : exitCode == 3 ? 1 : exitCode == 2 ? 2 : 3;
}

// What qpdf --check says of a file, without object numbers and offsets, which differ between a
// source and the book.
QSet<QString> CheckFindings(const QString &path, int *exitCode = nullptr)
{
    QByteArray output;
    const int code = RunQpdf({"--check", path}, &output);
    if (exitCode)
        *exitCode = code;
    QSet<QString> findings;
    static const QRegularExpression numbers(QStringLiteral("\\d+"));
    for (QString line : QString::fromUtf8(output).split(QLatin1Char('\n'))) {
        if (!line.contains(QLatin1String("WARNING")) && !line.contains(QLatin1String("ERROR")))
            continue;
        line.replace(path, QString());
        const qsizetype colon = line.lastIndexOf(QLatin1String("): "));
        findings.insert(line.mid(colon < 0 ? 0 : colon + 3).replace(numbers, QStringLiteral("#")));
    }
    return findings;
}

using Family = std::pair<QString, std::function<void(Inputs &)>>;

const std::vector<Family> &Families()
{
    static const std::vector<Family> families = [] {
        std::vector<Family> all = {
            {"cut", &Inputs::cut},
            {"holes", &Inputs::holes},
            {"xref", &Inputs::xref},
            {"stream bytes", &Inputs::streamBytes},
            {"unreadable", &Inputs::unreadable},
        };
        for (const BadData &bad : BadSamples())
            all.push_back({QStringLiteral("bad ") + QLatin1String(bad.label),
                           [&bad](Inputs &inputs) { inputs.badFilter(bad); }});
        return all;
    }();
    return families;
}

QString Described(const QList<Status> &problems)
{
    QStringList lines;
    for (const Status &problem : problems)
        lines << problem.message();
    return lines.join(QLatin1Char('\n'));
}

} // namespace

class TestRobustness : public QObject {
    Q_OBJECT
private slots:
    void damagedInputsNeverCostTheBook_data();
    void damagedInputsNeverCostTheBook();
    void fileCutShortOfItsEndGoesIn();
    void sourceChangedBeforeItIsWrittenLeavesNoTrace();
    void quirksThatLoseNothingAreNoDamage_data();
    void quirksThatLoseNothingAreNoDamage();
};

void TestRobustness::damagedInputsNeverCostTheBook_data()
{
    QTest::addColumn<QStringList>("families");
    QStringList all;
    for (const auto &[family, make] : Families()) {
        QTest::newRow(qPrintable(family)) << QStringList{family};
        all << family;
    }
    QTest::newRow("all at once") << all;
}

void TestRobustness::damagedInputsNeverCostTheBook()
{
    QFETCH(QStringList, families);
    CompileFixture f({});
    Inputs inputs(f.folder);
    inputs.good();
    for (const auto &[family, make] : Families()) {
        if (!families.contains(family))
            continue;
        const qsizetype before = inputs.list.size();
        make(inputs);
        // Good ones among the damaged, so each lands after damage of some kind.
        for (qsizetype at = inputs.list.size() - 1; at > before; at -= 3) {
            inputs.good();
            inputs.list.move(inputs.list.size() - 1, at);
        }
    }
    inputs.good();
    if (QTest::currentTestFailed())
        return;

    QStringList names;
    for (const Input &input : inputs.list)
        names << input.name;
    const QString book = f.book();
    SilentObserver observer;
    const CompileResult outcome =
        CompileBook({f.ws.WorkingFolder, names, QStringLiteral("Book.pdf"), true,
                     f.ctx.programFolder, false, false},
                    observer, f.viewer);
    const QList<Status> &problems = outcome.problems.list();
    QVERIFY2(outcome.book == book, qPrintable(Described(problems)));
    auto pdf = ReadPdf(book);
    const std::vector<QPDFObjectHandle> bookPages = pdf->getAllPages();
    const std::vector<int> bookWidths = PageWidths(*pdf);
    const int blankWidth =
        PageWidths(*ReadPdf(QStringLiteral(QUIREFOLD_PROGRAM_FOLDER "/empty_page.pdf"))).at(0);

    // Every problem is an input's.
    QSet<QString> inputPaths;
    for (const Input &input : inputs.list)
        inputPaths.insert(f.ws.PathOf(input.name));
    for (const Status &problem : problems)
        QVERIFY2(inputPaths.contains(problem.file()) && !problem.message().contains("Book.pdf"),
                 qPrintable(problem.message()));

    Bookmarks expectedOutline;
    std::vector<int> expectedWidths;
    QSet<QString> sourceFindings;
    int worstSource = 0;
    struct Placed {
        const Input *input;
        Reading reading;
        int start;
    };
    QList<Placed> placed;
    for (const Input &input : inputs.list) {
        const QString path = f.ws.PathOf(input.name);
        const Reading reading = ReadAsQpdfDoes(path);
        QStringList named, noted;
        for (const Status &problem : problems)
            if (problem.file() == path)
                named << problem.reason();
        for (const Status &note : outcome.notes.list())
            if (note.file() == path)
                noted << note.reason();
        const QString context = input.name + QStringLiteral(": ") + named.join(" / ");
        if (input.undecodable) // else the case proves nothing
            QVERIFY2(!reading.undecodable.isEmpty(), qPrintable(input.name + " decodes"));
        QVERIFY2(input.damaged || named.isEmpty(), qPrintable(context));
        if (!reading.readable) {
            QCOMPARE(named.size(), 1);
            QVERIFY2(named.first().endsWith(QLatin1String("; it was left out")),
                     qPrintable(context));
            if (input.repairedByReader) // not mistaken for an empty file
                QVERIFY2(named.first().startsWith(QLatin1String("is damaged")),
                         qPrintable(context));
            continue;
        }
        if (!input.damaged)
            QCOMPARE(reading.widths, RecipeWidths(input.recipe));
        for (int width : reading.widths) {
            QVERIFY2(width != blankWidth, qPrintable(context));
            const auto own = RecipeWidths(input.recipe);
            QVERIFY2(std::find(own.begin(), own.end(), width) != own.end(), qPrintable(context));
        }
        QVERIFY2(named.filter(QLatin1String("left out")).isEmpty(), qPrintable(context));
        if (input.damaged) // once, whatever is wrong with it
            QVERIFY2(named.size() + noted.size() == 1, qPrintable(context));
        // A repair is only a note when every page came through.
        if (input.repairedByReader && named.isEmpty())
            QVERIFY2(noted.size() == 1 &&
                         noted.first().startsWith(QLatin1String("was repaired as it was read (")) &&
                         reading.widths == RecipeWidths(input.recipe),
                     qPrintable(context + noted.join(" / ")));
        else if (input.repairedByReader)
            QVERIFY2(!named
                          .filter(QRegularExpression(
                              QStringLiteral("^is damaged \\(.+\\); what could be read of it went "
                                             "into the book(;|$)")))
                          .isEmpty(),
                     qPrintable(context));
        if (!reading.undecodable.isEmpty())
            QVERIFY2(!named.filter(QLatin1String("cannot be decoded")).isEmpty(),
                     qPrintable(context));

        if (!placed.isEmpty() && placed.last().reading.widths.size() % 2 == 1)
            expectedWidths.push_back(blankWidth);
        placed.append({&input, reading, int(expectedWidths.size())});
        expectedOutline.append({BookmarkTitle(input.name), int(expectedWidths.size())});
        expectedWidths.insert(expectedWidths.end(), reading.widths.begin(), reading.widths.end());
        int sourceChecked = -1;
        sourceFindings.unite(CheckFindings(path, &sourceChecked));
        worstSource = std::max(worstSource, Severity(sourceChecked));
    }
    QCOMPARE(Outline(*pdf), expectedOutline);
    QCOMPARE(bookWidths, expectedWidths);

    // Undecodable streams went into the book as the sources hold them.
    for (const Placed &p : placed)
        for (const Undecodable &u : p.reading.undecodable) {
            auto streams = PageStreams(bookPages.at(size_t(p.start + u.page)));
            auto copy = streams.find(u.stream);
            QVERIFY2(copy != streams.end(), qPrintable(p.input->name));
            QCOMPARE(Raw(copy->second), u.raw);
            QCOMPARE(copy->second.getDict().getKey("/Filter").unparse(), u.filter);
        }

    const QStringList outputFolder =
        QDir(f.folder.file("PDFCompile Output"))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    QCOMPARE(outputFolder, QStringList({"Book.pdf"}));

    int checked = -1;
    const QSet<QString> bookFindings = CheckFindings(book, &checked);
    QVERIFY2(Severity(checked) <= worstSource, qPrintable(QString::number(checked)));
    QVERIFY2(sourceFindings.contains(bookFindings),
             qPrintable(QStringList(bookFindings.values()).join('\n')));
}

void TestRobustness::fileCutShortOfItsEndGoesIn()
{
    // Its last bytes gone, the pointer to its cross-reference stream among them: qpdf alone cannot
    // read it, viewers show all of it.
    CompileFixture f({{"A.pdf", 1}});
    MakeRichPdf(f.folder.file("scratch.pdf"), {3, 40});
    auto made = ReadPdf(f.folder.file("scratch.pdf"));
    const QByteArray streamed = QFile::encodeName(f.folder.file("streamed.pdf"));
    QPDFWriter writer(*made, streamed.constData());
    writer.setObjectStreamMode(qpdf_o_generate);
    writer.write();
    const QByteArray bytes = ReadBytes(f.folder.file("streamed.pdf"));
    WriteBytes(f.folder.file("B.pdf"), bytes.left(bytes.size() - 30));
    QVERIFY(!ReadAsQpdfDoes(f.folder.file("B.pdf")).readable);
    SilentObserver observer;
    const CompileResult outcome = CompileBook({f.ws.WorkingFolder,
                                               {"A.pdf", "B.pdf"},
                                               "Book.pdf",
                                               false,
                                               f.ctx.programFolder,
                                               false,
                                               false},
                                              observer, f.viewer);
    QCOMPARE(outcome.problems.list().size(), 1);
    QCOMPARE(outcome.problems.list().first().reason(),
             "is damaged (the file was cut short; its end was rebuilt); what could be read of it "
             "went into the book");
    QCOMPARE(PageWidths(*ReadPdf(outcome.book)).size(), size_t(4));
}

void TestRobustness::sourceChangedBeforeItIsWrittenLeavesNoTrace()
{
    // A's image holds more data than a source keeps from reading to writing, in a file too large
    // to be read at once, so it is read from the file again at the write, after A was numbered
    // and B found the same image in it.
    TestFolder folder;
    QByteArray pixels(17 << 20, '\0'); // noise: it does not compress
    QRandomGenerator noise(7);
    noise.fillRange(reinterpret_cast<quint32 *>(pixels.data()), pixels.size() / 4);
    for (const char *name : {"A.pdf", "B.pdf"}) {
        QPDF pdf;
        pdf.emptyPDF();
        QPDFObjectHandle image = pdf.newStream(pixels.toStdString());
        image.replaceDict(QPDFObjectHandle::parse("<< /Type /XObject /Subtype /Image /Width 4352 "
                                                  "/Height 4096 /ColorSpace /DeviceGray "
                                                  "/BitsPerComponent 8 >>"));
        QPDFObjectHandle page = pdf.makeIndirectObject(QPDFObjectHandle::parse(
            "<< /Type /Page /MediaBox [0 0 300 300] /Resources << /XObject << >> >> >>"));
        page.getKey("/Resources").getKey("/XObject").replaceKey("/Im1", image);
        page.replaceKey("/Contents", pdf.newStream("q 300 0 0 300 0 0 cm /Im1 Do Q"));
        pdf.addPage(page, false);
        const QByteArray target = QFile::encodeName(folder.file(name));
        QPDFWriter writer(pdf, target.constData());
        writer.setCompressStreams(false);
        writer.write();
    }
    std::string written;
    std::shared_ptr<PdfFile> book = NewBook();
    BookWriter writer(*book, true, [&](std::string_view piece) {
        written += piece;
        return true;
    });
    BookNumbering numbering = writer.Numbering();
    const int first = numbering.next;
    PendingObjects carried;
    std::shared_ptr<PdfFile> a, b;
    QVERIFY(ReadPdfFile(folder.file("A.pdf"), a).ok());
    QVERIFY(ReadPdfFile(folder.file("B.pdf"), b).ok());
    PieceMaker changed, kept;
    QVERIFY(changed.Prepare(*a, "A.pdf") && kept.Prepare(*b, "B.pdf"));
    changed.Number(numbering);
    {
        QFile file(folder.file("A.pdf")); // changed in place, as an editor saving over it does
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.seek(file.size() / 2));
        QVERIFY(file.write("changed") == 7);
    }
    QVERIFY(!changed.Write());
    QCOMPARE(changed.Problem(), "changed while the book was being made");
    changed.Withdraw(numbering);
    QCOMPARE(numbering.next, first);
    QVERIFY(numbering.streams.empty());

    kept.Number(numbering);
    QVERIFY(kept.Write());
    kept.Pack(carried);
    const std::optional<SourcePiece> piece = kept.Finish();
    QVERIFY(piece);
    QCOMPARE(piece->shared.streams, 0); // its image is its own
    QVERIFY(writer.Add(*piece));
    writer.PiecesDone(numbering.next);
    QVERIFY(writer.Finish(numbering.next, std::move(carried), "book.pdf").ok());
    folder.write("book.pdf", QByteArray::fromStdString(written));
    QCOMPARE(RunQpdf({"--check", folder.file("book.pdf")}), 0);
    auto read = ReadPdf(folder.file("book.pdf"));
    QPDFObjectHandle page = read->getAllPages().at(0);
    QPDFObjectHandle image = page.getKey("/Resources").getKey("/XObject").getKey("/Im1");
    QCOMPARE(image.getStreamData()->getSize(), size_t(pixels.size()));
}

void TestRobustness::quirksThatLoseNothingAreNoDamage_data()
{
    QTest::addColumn<QByteArray>("catalog"); // what the catalog holds besides its pages
    QTest::addColumn<QByteArray>("fifth");   // object 5
    QTest::addColumn<QString>("size");       // of the book's pages, if one
    QTest::addColumn<bool>("forFiling");
    QTest::addColumn<bool>("noted");
    // cairo lists objects it never wrote, which only an array nothing refers to names.
    const QByteArray listed = "/Extra 5 0 R", array = "[6 0 R]";
    // A tagged PDF whose tree of page numbers is empty, as Distiller writes it.
    const QByteArray tagged = "/StructTreeRoot << /Type /StructTreeRoot /ParentTree 5 0 R >> "
                              "/MarkInfo << /Marked true >>",
                     empty = "<< >>";
    QTest::newRow("listed, not there, as they are") << listed << array << "" << false << false;
    QTest::newRow("listed, not there, scaled") << listed << array << "Letter" << false << false;
    QTest::newRow("listed, not there, for filing") << listed << array << "" << true << false;
    QTest::newRow("empty tree, as they are") << tagged << empty << "" << false << true;
    QTest::newRow("empty tree, scaled") << tagged << empty << "Letter" << false << true;
}

void TestRobustness::quirksThatLoseNothingAreNoDamage()
{
    QFETCH(QByteArray, catalog);
    QFETCH(QByteArray, fifth);
    QFETCH(QString, size);
    QFETCH(bool, forFiling);
    QFETCH(bool, noted);
    // Objects 1 to 5 as written, and 6, which the cross-reference table places inside the header.
    const QList<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R " + catalog + " >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 400] /Contents 4 0 R /StructParents 0 >>",
        "<< /Length 13 >>\nstream\n0 0 m 9 9 l S\nendstream",
        fifth,
    };
    QByteArray pdf = "%PDF-1.5\n%\xe2\xe3\xcf\xd3\n";
    QByteArray table = "xref\n0 7\n0000000000 65535 f \n";
    for (qsizetype i = 0; i < objects.size(); ++i) {
        table += QByteArray::number(pdf.size()).rightJustified(10, '0') + " 00000 n \n";
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    table += "0000000015 00000 n \n";
    const qsizetype start = pdf.size();
    pdf += table + "trailer\n<< /Size 7 /Root 1 0 R >>\nstartxref\n" + QByteArray::number(start) +
           "\n%%EOF\n";
    CompileFixture f({});
    QFile file(f.ws.PathOf("Quirk.pdf"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(pdf) == pdf.size());
    file.close();

    CompileRequest request{f.ws.WorkingFolder,
                           {"Quirk.pdf"},
                           QStringLiteral("Book.pdf"),
                           false,
                           f.ctx.programFolder,
                           false,
                           false};
    request.pageFit = PageFit::Named(size);
    request.forFiling = forFiling;
    SilentObserver observer;
    const CompileResult outcome = CompileBook(request, observer, f.viewer);
    QVERIFY2(outcome.problems.empty(), qPrintable(Described(outcome.problems.list())));
    QCOMPARE(outcome.book, f.book());
    QVERIFY2(outcome.notes.empty() == !noted, qPrintable(Described(outcome.notes.list())));
}

QTEST_GUILESS_MAIN(TestRobustness)
#include "test_robustness.moc"
