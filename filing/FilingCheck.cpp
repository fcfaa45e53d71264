#include "filing/FilingCheck.h"

#include "book/PdfFile.h"
#include "book/ShownPage.h"
#include "compile/CompileBook.h"
#include "compile/Volumes.h"
#include "ocr/ScannedPages.h"

#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFNameTreeObjectHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <QCoreApplication>
#include <QFile>
#include <QLocale>

#include <cmath>
#include <map>
#include <optional>
#include <set>

namespace qf {
namespace {

using Kind = FilingFinding::Kind;

constexpr double kMillimetre = 72 / 25.4;
constexpr double kSlack = 2; // points: a page this close to a size is of that size

struct PageSize {
    double width = 0, height = 0; // as shown
    // The same size, either way round.
    bool Is(double w, double h) const
    {
        return (std::abs(width - w) <= kSlack && std::abs(height - h) <= kSlack) ||
               (std::abs(width - h) <= kSlack && std::abs(height - w) <= kSlack);
    }
    QString Said() const
    {
        return QCoreApplication::translate("Filing", "%1 × %2 mm")
            .arg(std::round(width / kMillimetre))
            .arg(std::round(height / kMillimetre));
    }
};

PageSize ShownSize(QPDFObjectHandle page)
{
    QPDFPageObjectHelper helper(page);
    const ShownPage shown = Shown(helper);
    return {shown.width, shown.height};
}

bool IsAFilingSize(const PageSize &size)
{
    return size.Is(595.276, 841.89) || size.Is(612, 792); // A4, Letter
}

// Whether an action, or any that follows it, runs a script.
bool RunsScript(QPDFObjectHandle action, int depth = 0)
{
    if (depth > 32)
        return false;
    if (action.isArray()) {
        for (QPDFObjectHandle item : action.aitems())
            if (RunsScript(item, depth + 1))
                return true;
        return false;
    }
    if (!action.isDictionary())
        return false;
    QPDFObjectHandle kind = action.getKey("/S");
    return (kind.isName() && kind.getName() == "/JavaScript") ||
           RunsScript(action.getKey("/Next"), depth + 1);
}

// Whether any action of an /AA dictionary runs a script.
bool AnyRunsScript(QPDFObjectHandle actions)
{
    if (!actions.isDictionary())
        return false;
    for (const auto &[key, action] : actions.ditems())
        if (RunsScript(action))
            return true;
    return false;
}

// The fonts resources name, those of forms drawn from them included, each once.
void CollectFonts(QPDFObjectHandle resources, std::set<QPDFObjGen> &seen,
                  std::vector<QPDFObjectHandle> &fonts, int depth = 0)
{
    if (!resources.isDictionary() || depth > 16)
        return;
    if (QPDFObjectHandle dictionary = resources.getKey("/Font"); dictionary.isDictionary())
        for (auto [name, font] : dictionary.ditems())
            if (font.isDictionary() && (!font.isIndirect() || seen.insert(font.getObjGen()).second))
                fonts.push_back(font);
    if (QPDFObjectHandle forms = resources.getKey("/XObject"); forms.isDictionary())
        for (auto [name, form] : forms.ditems())
            if (form.isStream() && seen.insert(form.getObjGen()).second &&
                form.getDict().getKey("/Subtype").isNameAndEquals("/Form"))
                CollectFonts(form.getDict().getKey("/Resources"), seen, fonts, depth + 1);
}

bool Embedded(QPDFObjectHandle font)
{
    QPDFObjectHandle subtype = font.getKey("/Subtype");
    if (subtype.isNameAndEquals("/Type3"))
        return true; // its glyphs are drawn in the file
    QPDFObjectHandle described = font;
    if (subtype.isNameAndEquals("/Type0")) {
        QPDFObjectHandle descendants = font.getKey("/DescendantFonts");
        described = descendants.isArray() ? descendants.getArrayItem(0) : QPDFObjectHandle();
    }
    QPDFObjectHandle descriptor =
        described.isDictionary() ? described.getKey("/FontDescriptor") : QPDFObjectHandle();
    if (!descriptor.isDictionary())
        return false;
    for (const char *key : {"/FontFile", "/FontFile2", "/FontFile3"})
        if (descriptor.getKey(key).isStream())
            return true;
    return false;
}

QString FontName(QPDFObjectHandle font)
{
    QPDFObjectHandle name = font.getKey("/BaseFont");
    return name.isName() ? QString::fromStdString(name.getName().substr(1))
                         : QCoreApplication::translate("Filing", "an unnamed font");
}

// An attached file's name as its file entry gives it: the Unicode one, else the plain one; empty
// when it has neither.
QString AttachedFileName(QPDFObjectHandle file)
{
    if (file.isString())
        return QString::fromStdString(file.getUTF8Value());
    for (const char *key : {"/UF", "/F"})
        if (file.isDictionary() && file.getKey(key).isString())
            return QString::fromStdString(file.getKey(key).getUTF8Value());
    return QString();
}

// A name tree's entries: each value's name as named gives it, else its key.
QStringList Entries(QPDF &pdf, QPDFObjectHandle tree,
                    const std::function<QString(QPDFObjectHandle)> &named = {})
{
    QStringList entries;
    if (!tree.isDictionary())
        return entries;
    try {
        for (const auto &[key, value] : QPDFNameTreeObjectHelper(tree, pdf)) {
            const QString name = named ? named(value) : QString();
            entries.append(name.isEmpty() ? QString::fromStdString(key) : name);
        }
    } catch (const std::exception &) {
        // a damaged tree: what could be read is said
    }
    return entries;
}

// A page list as people read it: "2, 5, 7 and 3 more".
QString PageList(const std::vector<int> &pages)
{
    constexpr int kShown = 5;
    QStringList shown;
    for (const int page : pages) {
        if (shown.size() == kShown)
            break;
        shown.append(QString::number(page));
    }
    const QString said = shown.join(QStringLiteral(", "));
    const int more = int(pages.size()) - kShown;
    return more > 0
               ? QCoreApplication::translate("Filing", "%1 and %n more", nullptr, more).arg(said)
               : said;
}

class SourceCheck {
public:
    SourceCheck(const QString &path, QPDF &pdf, QList<FilingFinding> &findings)
        : path_(path), pdf_(pdf), findings_(findings), form_(pdf)
    {
        for (QPDFObjectHandle page : pdf_.getAllPages())
            if (QPDFObjectHandle annotations = page.getKey("/Annots"); annotations.isArray())
                for (QPDFObjectHandle annotation : annotations.aitems())
                    if (annotation.isDictionary())
                        annotations_.push_back(annotation);
    }

    void Pages(const CompileRequest &request, std::optional<PageSize> &first)
    {
        std::vector<int> odd;
        std::optional<PageSize> firstOdd;
        std::map<QString, int> unembedded; // font name, the first page using it
        const std::vector<QPDFObjectHandle> pages = pdf_.getAllPages();
        for (size_t i = 0; i < pages.size(); ++i) {
            const PageSize size = ShownSize(pages[i]);
            if (!first)
                first = size;
            // Pages of one size chosen: every page takes it that has a size to scale.
            const bool notOfTheSize =
                request.pageFit ? size.width <= 0 || size.height <= 0
                                : !IsAFilingSize(size) || !size.Is(first->width, first->height);
            if (notOfTheSize) {
                odd.push_back(int(i) + 1);
                if (!firstOdd)
                    firstOdd = size;
            }
            std::set<QPDFObjGen> seen;
            std::vector<QPDFObjectHandle> fonts;
            CollectFonts(QPDFPageObjectHelper(pages[i]).getAttribute("/Resources", false), seen,
                         fonts);
            for (QPDFObjectHandle font : fonts)
                if (!Embedded(font))
                    unembedded.emplace(FontName(font), int(i) + 1);
        }
        if (!odd.empty() && request.pageFit)
            Add(Kind::PageSize, odd.front(),
                QCoreApplication::translate("Filing",
                                            "%n page(s) without a size to scale to %1: %2", nullptr,
                                            int(odd.size()))
                    .arg(request.pageFit.Name(), PageList(odd)));
        else if (!odd.empty())
            Add(Kind::PageSize, odd.front(),
                QCoreApplication::translate(
                    "Filing",
                    "%n page(s) not of one filing size (A4 or Letter, as the book's first "
                    "page, %2), the first %1: %3",
                    nullptr, int(odd.size()))
                    .arg(firstOdd->Said(), first->Said(), PageList(odd)));
        for (const auto &[name, page] : unembedded)
            Add(Kind::FontNotEmbedded, page,
                QCoreApplication::translate("Filing", "uses the font %1, which is not embedded")
                    .arg(name));
        if (!request.recogniseScans) {
            const std::vector<int> scanned = ScannedPages(pdf_);
            if (!scanned.empty())
                Add(Kind::NoText, scanned.front(),
                    QCoreApplication::translate("Filing",
                                                "%n page(s) draw an image and have no "
                                                "text to search: %1",
                                                nullptr, int(scanned.size()))
                        .arg(PageList(scanned)));
        }
    }

    void Form()
    {
        const size_t fields = form_.hasAcroForm() ? form_.getFormFields().size() : 0;
        if (fields > 0)
            Add(Kind::Form, 0,
                QCoreApplication::translate("Filing", "has %n form field(s)", nullptr,
                                            int(fields)));
    }

    void Scripts()
    {
        QPDFObjectHandle root = pdf_.getRoot();
        QStringList where;
        QPDFObjectHandle names = root.getKey("/Names");
        if (names.isDictionary() && !Entries(pdf_, names.getKey("/JavaScript")).isEmpty())
            where.append(QCoreApplication::translate("Filing", "document scripts"));
        if (RunsScript(root.getKey("/OpenAction")) || AnyRunsScript(root.getKey("/AA")))
            where.append(QCoreApplication::translate("Filing", "at opening"));
        bool inPages = false, inLinks = false;
        for (QPDFObjectHandle page : pdf_.getAllPages())
            inPages |= AnyRunsScript(page.getKey("/AA"));
        for (QPDFObjectHandle annotation : annotations_)
            inLinks |=
                RunsScript(annotation.getKey("/A")) || AnyRunsScript(annotation.getKey("/AA"));
        for (QPDFFormFieldObjectHelper field : form_.getFormFields())
            inLinks |= AnyRunsScript(field.getObjectHandle().getKey("/AA"));
        if (inPages)
            where.append(QCoreApplication::translate("Filing", "on opening pages"));
        if (inLinks)
            where.append(QCoreApplication::translate("Filing", "in links or form fields"));
        if (!where.isEmpty())
            Add(Kind::JavaScript, 0,
                QCoreApplication::translate("Filing", "runs scripts: %1")
                    .arg(where.join(QStringLiteral(", "))));
    }

    void Attachments()
    {
        QStringList files;
        QPDFObjectHandle names = pdf_.getRoot().getKey("/Names");
        if (names.isDictionary())
            files = Entries(pdf_, names.getKey("/EmbeddedFiles"), AttachedFileName);
        for (QPDFObjectHandle annotation : annotations_) {
            if (!annotation.getKey("/Subtype").isNameAndEquals("/FileAttachment"))
                continue;
            const QString name = AttachedFileName(annotation.getKey("/FS"));
            files.append(name.isEmpty() ? QCoreApplication::translate("Filing", "a file") : name);
        }
        if (!files.isEmpty())
            Add(Kind::Attachment, 0,
                QCoreApplication::translate("Filing", "has %n attached file(s): %1", nullptr,
                                            int(files.size()))
                    .arg(files.join(QStringLiteral(", "))));
    }

    void Encryption()
    {
        if (pdf_.isEncrypted())
            Add(Kind::Encrypted, 0,
                QCoreApplication::translate("Filing", "is encrypted: it carries restrictions"));
    }

private:
    void Add(Kind kind, int page, const QString &detail)
    {
        findings_.append({path_, page, kind, detail});
    }

    QString path_;
    QPDF &pdf_;
    QList<FilingFinding> &findings_;
    QPDFAcroFormDocumentHelper form_;
    std::vector<QPDFObjectHandle> annotations_; // every page's, in order
};

void CheckSize(const CompileRequest &request, QList<FilingFinding> &findings)
{
    const std::optional<VolumeLimit> limit = VolumeLimit::Parse(request.volumeLimit);
    if (!limit || limit->unit != VolumeLimit::Unit::Bytes)
        return;
    const BookPlan plan = PlanBook(request);
    const QLocale locale;
    for (const BookVolume &volume : plan.volumes)
        if (volume.bytes > limit->amount)
            findings.append(
                {volume.path, 0, Kind::Size,
                 QCoreApplication::translate("Filing", "would be %1, over the volume "
                                                       "limit of %2")
                     .arg(locale.formattedDataSize(volume.bytes, 1, QLocale::DataSizeSIFormat),
                          limit->Said())});
}

} // namespace

QString KindName(FilingFinding::Kind kind)
{
    switch (kind) {
    case Kind::PageSize:
        return QStringLiteral("page-size");
    case Kind::FontNotEmbedded:
        return QStringLiteral("font-not-embedded");
    case Kind::Form:
        return QStringLiteral("form");
    case Kind::JavaScript:
        return QStringLiteral("javascript");
    case Kind::Attachment:
        return QStringLiteral("attachment");
    case Kind::Encrypted:
        return QStringLiteral("encrypted");
    case Kind::NoText:
        return QStringLiteral("no-text");
    case Kind::Size:
        return QStringLiteral("size");
    }
    return QString();
}

QString FindingLine(const FilingFinding &finding)
{
    return finding.page > 0 ? QCoreApplication::translate("Filing", "%1, page %2: %3")
                                  .arg(finding.file)
                                  .arg(finding.page)
                                  .arg(finding.detail)
                            : QStringLiteral("%1: %2").arg(finding.file, finding.detail);
}

QString NothingForFilingSaid()
{
    return QCoreApplication::translate("Filing",
                                       "Nothing a filing portal usually refuses was found.");
}

QList<FilingFinding> CheckForFiling(const CompileRequest &request)
{
    QList<FilingFinding> findings;
    std::optional<PageSize> first; // the book's first page
    for (const QString &path : SourcePaths(request)) {
        std::shared_ptr<PdfFile> source;
        if (!ReadPdfFile(path, source)) {
            if (NeedsPassword(path))
                findings.append({path, 0, Kind::Encrypted,
                                 QCoreApplication::translate("Filing", "opens only with a "
                                                                       "password")});
            continue;
        }
        try {
            SourceCheck check(path, source->pdf, findings);
            check.Pages(request, first);
            // A filing copy takes these out, and names each.
            if (!request.forFiling) {
                check.Encryption();
                check.Form();
                check.Scripts();
                check.Attachments();
            }
        } catch (const std::exception &) {
            continue; // damaged past reading: the compile names it
        }
    }
    CheckSize(request, findings);
    return findings;
}

} // namespace qf
