#include "filing/FilingCheck.h"

#include "book/FieldAppearances.h"
#include "book/FilingCopy.h"
#include "book/Import.h"
#include "book/PdfFile.h"
#include "book/ShownPage.h"
#include "compile/CompileBook.h"
#include "compile/Volumes.h"
#include "ocr/ScannedPages.h"

#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFAnnotationObjectHelper.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFNameTreeObjectHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
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

// What portals refuse of an action and those that follow it.
struct RefusedFound {
    bool script = false;
    std::set<ActiveContent> active;

    void Walk(QPDFObjectHandle action, int depth = 0)
    {
        if (depth > 32)
            return;
        if (action.isArray()) {
            for (QPDFObjectHandle item : action.aitems())
                Walk(item, depth + 1);
            return;
        }
        if (!action.isDictionary())
            return;
        ActiveContent kind{};
        const Refused refused = RefusedAction(action, &kind);
        script |= refused == Refused::Script;
        if (refused == Refused::Active)
            active.insert(kind);
        Walk(action.getKey("/Next"), depth + 1);
    }
    // Every action of an /AA dictionary.
    void WalkEvents(QPDFObjectHandle events)
    {
        if (events.isDictionary())
            for (const auto &[key, action] : events.ditems())
                Walk(action);
    }
};

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

// The page-size findings of a source whose pages are of sizes, in a book whose first page is of
// first.
QList<FilingFinding> JudgeSizes(const QString &path, const CompileRequest &request,
                                const std::vector<PageSize> &sizes, const PageSize &first)
{
    std::vector<int> odd, other; // not a filing size; a filing size, not the first page's
    std::optional<PageSize> firstOdd, firstOther;
    for (size_t i = 0; i < sizes.size(); ++i) {
        const PageSize &size = sizes[i];
        // Pages of one size chosen: every page takes it that has a size to scale.
        if (request.pageFit ? size.width <= 0 || size.height <= 0 : !IsAFilingSize(size)) {
            odd.push_back(int(i) + 1);
            if (!firstOdd)
                firstOdd = size;
        } else if (!request.pageFit && !size.Is(first.width, first.height)) {
            other.push_back(int(i) + 1);
            if (!firstOther)
                firstOther = size;
        }
    }
    QList<FilingFinding> findings;
    if (!odd.empty() && request.pageFit)
        findings.append(
            {path, odd.front(), Kind::PageSize,
             QCoreApplication::translate("Filing", "%n page(s) without a size to scale to %1: %2",
                                         nullptr, int(odd.size()))
                 .arg(request.pageFit.Name(), PageList(odd))});
    else if (!odd.empty())
        findings.append({path, odd.front(), Kind::PageSize,
                         QCoreApplication::translate(
                             "Filing",
                             "%n page(s) not of one filing size (A4 or Letter, as the book's "
                             "first page, %2), the first %1: %3",
                             nullptr, int(odd.size()))
                             .arg(firstOdd->Said(), first.Said(), PageList(odd))});
    if (!other.empty())
        findings.append({path, other.front(), Kind::PageSize,
                         QCoreApplication::translate("Filing",
                                                     "%n page(s) not the size of the book's "
                                                     "other pages (%2), the first %1: %3",
                                                     nullptr, int(other.size()))
                             .arg(firstOther->Said(), first.Said(), PageList(other))});
    return findings;
}

class SourceCheck {
public:
    SourceCheck(const QString &path, QPDF &pdf, QList<FilingFinding> &findings)
        : path_(path), pdf_(pdf), findings_(findings), form_(pdf), pages_(pdf.getAllPages())
    {
        for (QPDFObjectHandle page : pages_)
            if (QPDFObjectHandle annotations = page.getKey("/Annots"); annotations.isArray())
                for (QPDFObjectHandle annotation : annotations.aitems())
                    if (annotation.isDictionary())
                        annotations_.push_back(annotation);
    }

    // Each page's size as shown, and the size they share.
    std::vector<PageSize> Sizes(SharedSize &shared) const
    {
        std::vector<PageSize> sizes;
        for (QPDFObjectHandle page : pages_) {
            sizes.push_back(ShownSize(page));
            shared.Add(sizes.back().width, sizes.back().height);
        }
        return sizes;
    }

    void Pages(const CompileRequest &request)
    {
        std::map<QString, int> unembedded; // font name, the first page using it
        for (size_t i = 0; i < pages_.size(); ++i) {
            std::set<QPDFObjGen> seen;
            std::vector<QPDFObjectHandle> fonts;
            CollectFonts(QPDFPageObjectHelper(pages_[i]).getAttribute("/Resources", false), seen,
                         fonts);
            CollectAppearanceFonts(pages_[i], request.forFiling, seen, fonts);
            for (QPDFObjectHandle font : fonts)
                if (!IsEmbedded(font))
                    unembedded.emplace(FontName(font), int(i) + 1);
        }
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
        const int fields = FormFieldCount(pdf_, pages_);
        if (fields > 0)
            Add(Kind::Form, 0,
                QCoreApplication::translate("Filing", "has %n form field(s)", nullptr, fields));
    }

    void Actions()
    {
        QPDFObjectHandle root = pdf_.getRoot();
        QStringList where;
        QPDFObjectHandle names = root.getKey("/Names");
        if (names.isDictionary() && !Entries(pdf_, names.getKey("/JavaScript")).isEmpty())
            where.append(QCoreApplication::translate("Filing", "document scripts"));
        RefusedFound opening, pages, links;
        opening.Walk(root.getKey("/OpenAction"));
        opening.WalkEvents(root.getKey("/AA"));
        for (QPDFObjectHandle page : pages_)
            pages.WalkEvents(page.getKey("/AA"));
        for (QPDFObjectHandle annotation : annotations_) {
            links.Walk(annotation.getKey("/A"));
            links.WalkEvents(annotation.getKey("/AA"));
            if (annotation.getKey("/Subtype").isNameAndEquals("/RichMedia"))
                links.active.insert(ActiveContent::RichMedia);
        }
        if (form_.hasAcroForm())
            for (QPDFFormFieldObjectHelper field : form_.getFormFields())
                for (QPDFObjectHandle at = field.getObjectHandle(); at.isDictionary();
                     at = at.getKey("/Parent")) {
                    links.WalkEvents(at.getKey("/AA"));
                    if (!at.getKey("/Parent").isIndirect() ||
                        at.getKey("/Parent").getObjGen() == at.getObjGen())
                        break;
                }
        if (opening.script)
            where.append(QCoreApplication::translate("Filing", "at opening"));
        if (pages.script)
            where.append(QCoreApplication::translate("Filing", "on opening pages"));
        if (links.script)
            where.append(QCoreApplication::translate("Filing", "in links or form fields"));
        if (!where.isEmpty())
            Add(Kind::JavaScript, 0,
                QCoreApplication::translate("Filing", "runs scripts: %1")
                    .arg(where.join(QStringLiteral(", "))));
        std::set<ActiveContent> active = opening.active;
        active.insert(pages.active.begin(), pages.active.end());
        active.insert(links.active.begin(), links.active.end());
        if (!active.empty())
            Add(Kind::ActiveContent, 0,
                QCoreApplication::translate("Filing", "has active content: %1")
                    .arg(ActiveContentSaid(active)));
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
        if (!pdf_.isEncrypted())
            return;
        const bool restricted = !pdf_.allowAccessibility() || !pdf_.allowExtractAll() ||
                                !pdf_.allowPrintHighRes() || !pdf_.allowModifyAssembly() ||
                                !pdf_.allowModifyForm() || !pdf_.allowModifyAnnotation() ||
                                !pdf_.allowModifyOther() || !pdf_.allowModifyAll();
        if (restricted)
            Add(Kind::Encrypted, 0,
                QCoreApplication::translate("Filing", "is encrypted: it carries restrictions"));
        else if (pdf_.ownerPasswordMatched())
            Add(Kind::Encrypted, 0,
                QCoreApplication::translate("Filing", "is encrypted, without a password and "
                                                      "with no restrictions"));
        else
            Add(Kind::Encrypted, 0,
                QCoreApplication::translate("Filing", "is encrypted: it has a password to change "
                                                      "it, and no restrictions"));
    }

private:
    void Add(Kind kind, int page, const QString &detail)
    {
        findings_.append({path_, page, kind, detail});
    }

    // The fonts of the appearances of the page's annotations (a note's, a stamp's). Widgets' too
    // in a filing copy, which draws them into the page: each as it shows now, or drawn anew in
    // the font its field names, which the copy embeds when it is a standard one. Without, the
    // form is a finding of its own.
    void CollectAppearanceFonts(QPDFObjectHandle page, bool widgets, std::set<QPDFObjGen> &seen,
                                std::vector<QPDFObjectHandle> &fonts)
    {
        QPDFObjectHandle annotations = page.getKey("/Annots");
        if (!annotations.isArray())
            return;
        QPDFObjectHandle acroForm = pdf_.getRoot().getKey("/AcroForm");
        QPDFObjectHandle need = ValueOf(acroForm, "/NeedAppearances");
        const bool drawsAnew = need.isBool() && need.getBoolValue();
        for (QPDFObjectHandle annotation : annotations.aitems()) {
            if (!annotation.isDictionary())
                continue;
            const bool widget = annotation.getKey("/Subtype").isNameAndEquals("/Widget");
            if (widget && !widgets)
                continue;
            QPDFObjectHandle appearance =
                QPDFAnnotationObjectHelper(annotation).getAppearanceStream("/N");
            QPDFObjectHandle resources = appearance.isStream()
                                             ? appearance.getDict().getKey("/Resources")
                                             : QPDFObjectHandle();
            if (!widget) {
                CollectFonts(resources, seen, fonts);
                continue;
            }
            QPDFFormFieldObjectHelper field = form_.getFieldForAnnotation(annotation);
            if (field.isNull())
                field = QPDFFormFieldObjectHelper(annotation);
            const std::string type = field.getFieldType();
            if (drawsAnew && (type == "/Tx" || type == "/Ch")) {
                const std::string name = DefaultAppearanceFont(field.getDefaultAppearance());
                QPDFObjectHandle font = ValueOf(ValueOf(resources, "/Font"), name);
                if (!font.isDictionary())
                    font = ValueOf(ValueOf(ValueOf(acroForm, "/DR"), "/Font"), name);
                if (IsStandardTextFont(font)) {
                    // Set in an embedded font instead.
                    if (QPDFObjectHandle own = ValueOf(resources, "/Font"); own.isDictionary()) {
                        resources = resources.shallowCopy();
                        own = own.shallowCopy();
                        own.removeKey(name);
                        resources.replaceKey("/Font", own);
                    }
                } else if (font.isDictionary() &&
                           (!font.isIndirect() || seen.insert(font.getObjGen()).second)) {
                    fonts.push_back(font);
                }
            }
            CollectFonts(resources, seen, fonts);
        }
    }

    QString path_;
    QPDF &pdf_;
    QList<FilingFinding> &findings_;
    QPDFAcroFormDocumentHelper form_;
    std::vector<QPDFObjectHandle> pages_;
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
    case Kind::ActiveContent:
        return QStringLiteral("active-content");
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
    // Each source's findings, its page sizes judged once the book's first page is known: the
    // index's, whose size is that of all the sources' pages.
    struct Checked {
        QString path;
        std::vector<PageSize> sizes;
        QList<FilingFinding> findings;
        int pages = 0;
    };
    std::vector<Checked> sources;
    SharedSize shared;
    for (const QString &path : SourcePaths(request)) {
        Checked &checked = sources.emplace_back();
        checked.path = path;
        std::shared_ptr<PdfFile> source;
        if (!ReadPdfFile(path, source)) {
            if (NeedsPassword(path))
                checked.findings.append({path, 0, Kind::Encrypted,
                                         QCoreApplication::translate("Filing", "opens only with a "
                                                                               "password")});
            continue;
        }
        try {
            SourceCheck check(path, source->pdf, checked.findings);
            SharedSize own;
            std::vector<PageSize> sizes = check.Sizes(own);
            check.Pages(request);
            // A filing copy takes these out, and names each.
            if (!request.forFiling) {
                check.Encryption();
                check.Form();
                check.Actions();
                check.Attachments();
            }
            checked.sizes = std::move(sizes);
            checked.pages = int(checked.sizes.size());
            shared.Add(own);
        } catch (const std::exception &) {
            continue; // damaged past reading: the compile names it
        }
    }
    // The pages the book makes: the size the sources' pages share, else A4 (the empty page's).
    const PageSize made = request.pageFit ? PageSize{request.pageFit.width, request.pageFit.height}
                          : shared.Shared() ? PageSize{shared.Width(), shared.Height()}
                                            : PageSize{595.276, 841.89};
    std::optional<PageSize> first; // the index's, else the first page that goes in
    for (const Checked &checked : sources)
        if (!first && checked.pages > 0)
            first = request.indexPage ? made : checked.sizes.front();
    QList<FilingFinding> findings;
    for (const Checked &checked : sources) {
        if (first)
            findings += JudgeSizes(checked.path, request, checked.sizes, *first);
        findings += checked.findings;
    }
    // Blank sheets, where they are of neither the page before (when asked) nor a filing size or
    // the first page's.
    if (first && !request.pageFit && !request.fitBlankSheets &&
        (!IsAFilingSize(made) || !made.Is(first->width, first->height))) {
        QStringList after;
        for (size_t i = 0; i + 1 < sources.size(); ++i)
            if (sources[i].pages % 2 == 1 &&
                std::any_of(sources.begin() + qsizetype(i) + 1, sources.end(),
                            [](const Checked &later) { return later.pages > 0; }))
                after.append(QFileInfo(sources[i].path).fileName());
        if (request.blankSheets && !after.isEmpty())
            findings.append({BookPath(request.workingFolder, request.bookName), 0, Kind::PageSize,
                             QCoreApplication::translate("Filing",
                                                         "%n blank sheet(s) of %1, not the "
                                                         "size of the book's other pages, "
                                                         "after: %2",
                                                         nullptr, int(after.size()))
                                 .arg(made.Said(), after.join(QStringLiteral(", ")))});
    }
    CheckSize(request, findings);
    return findings;
}

} // namespace qf
