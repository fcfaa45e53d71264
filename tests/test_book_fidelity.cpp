#include "compile/KeptSources.h"
#include "compile/MakeBook.h"
#include "runs/CompileRun.h"
#include "store/FolderChoices.h"
#include "store/WholeFile.h"
#include "support/CompileFixture.h"
#include "support/FidelitySources.h"

#include <qpdf/QPDFNameTreeObjectHelper.hh>
#include <qpdf/QPDFNumberTreeObjectHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageLabelDocumentHelper.hh>

#include <QStandardPaths>

#include <algorithm>
#include <map>
#include <set>

class TestBookFidelity : public QObject {
    Q_OBJECT
private slots:
    void bookKeepsWhatEachSourceHolds_data();
    void bookKeepsWhatEachSourceHolds();
    void linksOfAFileListedTwiceLandInItsOwnPages_data();
    void linksOfAFileListedTwiceLandInItsOwnPages();
    void threadedCompileGivesTheSameBytes();
    void keptSourcesGiveTheSameBook_data();
    void keptSourcesGiveTheSameBook();
    void manyNamesLandOnTheirPages_data();
    void manyNamesLandOnTheirPages();
    void taggedLibreOfficeExportKeepsItsStructure();
};

namespace {

std::shared_ptr<QPDF> Open(const QString &path)
{
    auto pdf = ReadPdf(path);
    pdf->setSuppressWarnings(true); // what a book lacks is said by the checks, once
    return pdf;
}

// The index of the occurrence-th page of that width; -1 when there is none.
int PageOfWidth(QPDF &pdf, int width, int occurrence = 0)
{
    const std::vector<int> widths = PageWidths(pdf);
    for (size_t i = 0; i < widths.size(); ++i)
        if (widths[i] == width && occurrence-- == 0)
            return int(i);
    return -1;
}

QPDFObjectHandle Page(QPDF &pdf, int index)
{
    return pdf.getAllPages().at(size_t(index));
}

// Where a link goes, as "PAGE VIEW", or why it goes nowhere. A name is looked up wherever the file
// keeps names.
QString Follow(QPDF &pdf, QPDFObjectHandle link)
{
    if (!link.isDictionary())
        return "it is gone";
    QPDFObjectHandle dest = link.getKey("/Dest"), action = link.getKey("/A");
    if (dest.isNull() && action.isDictionary()) {
        if (!action.getKey("/S").isNameAndEquals("/GoTo"))
            return "its action is " + QString::fromStdString(action.getKey("/S").unparse());
        dest = action.getKey("/D");
    }
    if (dest.isName() || dest.isString()) {
        const std::string name = dest.isName() ? dest.getName().substr(1) : dest.getUTF8Value();
        QPDFObjectHandle found = pdf.getRoot().getKey("/Dests").getKey("/" + name);
        QPDFObjectHandle tree = pdf.getRoot().getKey("/Names").getKey("/Dests");
        if (found.isNull() &&
            !(tree.isDictionary() && QPDFNameTreeObjectHelper(tree, pdf).findObject(name, found)))
            return "its name " + QString::fromStdString(dest.unparse()) + " is not in the file";
        dest = found.isDictionary() ? found.getKey("/D") : found;
    }
    if (!dest.isArray() || dest.getArrayNItems() < 1)
        return "it has no destination";
    int page = -1;
    for (size_t i = 0; i < pdf.getAllPages().size(); ++i)
        if (dest.getArrayItem(0).isIndirect() &&
            Page(pdf, int(i)).isSameObjectAs(dest.getArrayItem(0)))
            page = int(i);
    QString where = QString::number(page);
    for (int i = 1; i < dest.getArrayNItems(); ++i)
        where += " " + QString::fromStdString(dest.getArrayItem(i).unparse());
    return where;
}

// The links of AddLinks on the occurrence-th copy of the source with that base: each with the page
// it lands on and its view; the one to another file only where that file's pages are there too.
std::vector<std::tuple<std::string, int, QString>> LinksOf(QPDF &pdf, int base, int occurrence,
                                                           int remoteBase)
{
    return {
        {"explicit", PageOfWidth(pdf, base + 1, occurrence), "/XYZ 10 20 0"},
        {"named", PageOfWidth(pdf, base + 2, occurrence), "/XYZ 30 40 0"},
        {"tree", PageOfWidth(pdf, base + 1, occurrence), "/FitH 50"},
        {"action", PageOfWidth(pdf, base + 2, occurrence), "/XYZ 60 70 0"},
        {"remote", PageOfWidth(pdf, remoteBase + 1), "/Fit"},
    };
}

QString Links(QPDF &pdf, int base, int occurrence, int remoteBase)
{
    const int first = PageOfWidth(pdf, base, occurrence);
    const auto expected = LinksOf(pdf, base, occurrence, remoteBase);
    QStringList wrong;
    for (const auto &[id, page, view] : expected) {
        if (page < 0) // another file's pages
            continue;
        QPDFObjectHandle link;
        for (QPDFObjectHandle annot : Page(pdf, first).getKey("/Annots").aitems())
            if (annot.getKey("/Contents").isString() &&
                annot.getKey("/Contents").getUTF8Value() == id)
                link = annot;
        const QString want = QString::number(page) + " " + view, got = Follow(pdf, link);
        if (got != want)
            wrong << QString::fromStdString(id) + " link: " + got + ", not " + want;
    }
    return wrong.join("; ");
}

// Where Poppler, MuPDF and pdf.js take the links of AddLinks in the file at path: viewers differ
// in where they look up names, and a link one cannot follow is lost to its users.
QString ViewersFollow(const QString &path, int base, int occurrence, int remoteBase)
{
    QList<int> want;
    int first = -1;
    {
        auto pdf = Open(path);
        first = PageOfWidth(*pdf, base, occurrence);
        for (const auto &[id, page, view] : LinksOf(*pdf, base, occurrence, remoteBase))
            if (page >= 0)
                want << page;
    }
    std::sort(want.begin(), want.end());
    const QString scripts = QStringLiteral(QUIREFOLD_SOURCE_FOLDER "/tests/viewers/");
    QList<QStringList> viewers = {{"Poppler", "/usr/bin/python3", scripts + "links_poppler.py"},
                                  {"MuPDF", "mutool", "run", scripts + "links_mupdf.js"}};
    if (QFileInfo::exists(scripts + "node_modules/pdfjs-dist"))
        viewers.append({"pdf.js", "node", scripts + "links_pdfjs.mjs"});
    else
        qWarning("pdf.js is not installed in tests/viewers: scripts/test.sh installs it");
    QStringList wrong;
    for (const QStringList &viewer : viewers) {
        QProcess run;
        run.start(viewer[1], viewer.mid(2) << path << QString::number(first));
        if (!run.waitForFinished(60000) || run.exitCode() != 0)
            return viewer[0] + " fails: " + run.readAllStandardError();
        QList<int> got;
        for (const QByteArray &line : run.readAllStandardOutput().split('\n'))
            if (!line.isEmpty())
                got << line.toInt();
        std::sort(got.begin(), got.end());
        if (got != want) {
            QStringList pages;
            for (const int page : got)
                pages << QString::number(page);
            wrong << viewer[0] + " takes the links to pages " + pages.join(' ');
        }
    }
    return wrong.join("; ");
}

QString CheckLinks(QPDF &pdf, const QString &, const std::vector<int> &holders)
{
    return Links(pdf, holders[0], 0, holders.size() > 1 ? holders[1] : -1);
}

// The full name of each field that /Fields reaches.
void NameFields(QPDFObjectHandle field, const std::string &prefix, int depth,
                std::map<QPDFObjGen, std::string> &names)
{
    if (!field.isDictionary() || depth > 30)
        return;
    std::string name = prefix;
    if (field.getKey("/T").isString())
        name += (name.empty() ? "" : ".") + field.getKey("/T").getUTF8Value();
    names[field.getObjGen()] = name;
    for (QPDFObjectHandle kid : field.getKey("/Kids").aitems())
        NameFields(kid, name, depth + 1, names);
}

// Each holder's field is in the one form under a name of its own, with its value and its font.
QString CheckForm(QPDF &pdf, const QString &path, const std::vector<int> &holders)
{
    QPDFObjectHandle form = pdf.getRoot().getKey("/AcroForm");
    if (!form.isDictionary())
        return "there is no /AcroForm";
    if (!form.getKey("/DR").getKey("/Font").hasKey("/Helv"))
        return "/AcroForm /DR lacks the fields' font /Helv";
    std::map<QPDFObjGen, std::string> names;
    for (QPDFObjectHandle field : form.getKey("/Fields").aitems())
        NameFields(field, "", 0, names);
    std::set<std::string> distinct;
    for (const int base : holders) {
        const QString field = QStringLiteral("the field on the page of width %1 ").arg(base);
        QPDFObjectHandle widget;
        for (QPDFObjectHandle annot : Page(pdf, PageOfWidth(pdf, base)).getKey("/Annots").aitems())
            if (annot.getKey("/Subtype").isNameAndEquals("/Widget"))
                widget = annot;
        if (!widget.isDictionary() || !names.count(widget.getObjGen()))
            return field + "is not reached from /Fields";
        if (!distinct.insert(names[widget.getObjGen()]).second)
            return field + "shares its name " + QString::fromStdString(names[widget.getObjGen()]);
        QPDFObjectHandle value = widget.getKey("/V");
        for (QPDFObjectHandle up = widget; value.isNull() && up.hasKey("/Parent");)
            value = (up = up.getKey("/Parent")).getKey("/V");
        if (!value.isString() || value.getUTF8Value() != FieldValue(base).toStdString())
            return field + "has lost its value";
        const bool drawnAnew = form.getKey("/NeedAppearances").isBool() &&
                               form.getKey("/NeedAppearances").getBoolValue();
        QPDFObjectHandle look = widget.getKey("/AP").getKey("/N");
        if (!drawnAnew && widget.hasKey("/MK") && look.isStream() &&
            look.getStreamData()->getSize() > 0 &&
            std::string(reinterpret_cast<const char *>(look.getStreamData()->getBuffer()),
                        look.getStreamData()->getSize())
                    .find("1 0 0 RG") == std::string::npos)
            return field + "lost its border";
    }
    return RunQpdf({"--json", path}) == 0 ? QString() : "qpdf --json fails";
}

// Each holder's field "total" is one field under a name of its own, its widgets on its first two
// pages, in the calculation order, said in the font its source meant; the script its calculation
// calls is kept.
QString CheckCalculatingForm(QPDF &pdf, const QString &, const std::vector<int> &holders)
{
    QPDFObjectHandle form = pdf.getRoot().getKey("/AcroForm");
    std::map<QPDFObjGen, std::string> names;
    for (QPDFObjectHandle field : form.getKey("/Fields").aitems())
        NameFields(field, "", 0, names);
    std::set<QPDFObjGen> calculated;
    for (QPDFObjectHandle field : form.getKey("/CO").aitems())
        calculated.insert(field.getObjGen());
    std::string scripts;
    if (QPDFObjectHandle tree = pdf.getRoot().getKey("/Names").getKey("/JavaScript");
        tree.isDictionary())
        for (auto &[name, action] : QPDFNameTreeObjectHelper(tree, pdf))
            scripts += name + ": " + action.getKey("/JS").getUTF8Value() + "\n";
    if (calculated.size() != 2 * holders.size())
        return QStringLiteral("the calculation order lists %1 fields").arg(calculated.size());
    std::set<std::string> distinct;
    for (const int base : holders) {
        const QString field = QStringLiteral("the field on the page of width %1 ").arg(base);
        QPDFObjectHandle parent;
        for (const int width : {base, base + 1}) {
            QPDFObjectHandle widget =
                Page(pdf, PageOfWidth(pdf, width)).getKey("/Annots").getArrayItem(0);
            if (!widget.getKey("/Parent").isDictionary())
                return field + "lost its widget on the page of width " + QString::number(width);
            if (parent.isInitialized() && !parent.isSameObjectAs(widget.getKey("/Parent")))
                return field + "is split in two";
            parent = widget.getKey("/Parent");
        }
        if (!names.count(parent.getObjGen()) || !distinct.insert(names[parent.getObjGen()]).second)
            return field + "is not reached from /Fields under a name of its own";
        if (!calculated.count(parent.getObjGen()))
            return field + "is not in the calculation order";
        const std::string appearance = parent.hasKey("/DA") ? parent.getKey("/DA").getUTF8Value()
                                                            : form.getKey("/DA").getUTF8Value();
        const std::string font = appearance.substr(0, appearance.find(' '));
        const std::string want = "/" + parent.getKey("/TU").getUTF8Value();
        if (form.getKey("/DR").getKey("/Font").getKey(font).getKey("/BaseFont").unparse() != want)
            return field + "is said in " + QString::fromStdString(appearance) + ", not " +
                   QString::fromStdString(want);
        if (scripts.find("function sum" + std::to_string(base)) == std::string::npos)
            return field + "lost the script it calls; the scripts are " +
                   QString::fromStdString(scripts);
    }
    return {};
}

// The text Poppler and MuPDF find on the pages, each as it shows them.
QString Text(const QString &pdf)
{
    QString all;
    for (const QStringList &command : {QStringList{"pdftotext", pdf, "-"},
                                       QStringList{"mutool", "draw", "-q", "-F", "txt", pdf}}) {
        QProcess text;
        text.start(command.first(), command.mid(1));
        text.waitForFinished(60000);
        all += QString::fromUtf8(text.readAllStandardOutput()) + "\n";
    }
    return all;
}

// The layer page shows HIDDENTEXT in is the file's, and off.
QString CheckLayer(QPDF &pdf, const QString &path, const std::vector<int> &holders)
{
    QPDFObjectHandle page = Page(pdf, PageOfWidth(pdf, holders[0]));
    QPDFObjectHandle layer = page.getKey("/Resources").getKey("/Properties").getKey("/oc1");
    const auto holds = [&](QPDFObjectHandle array) {
        for (QPDFObjectHandle item : array.aitems())
            if (item.isSameObjectAs(layer))
                return true;
        return false;
    };
    QPDFObjectHandle properties = pdf.getRoot().getKey("/OCProperties");
    const QString text = Text(path);
    if (!layer.isDictionary())
        return "the page has lost its /Properties /oc1";
    if (!holds(properties.getKey("/OCGs")))
        return "/OCProperties /OCGs lacks the page's layer";
    QPDFObjectHandle defaults = properties.getKey("/D");
    const bool baseOff = defaults.getKey("/BaseState").isNameAndEquals("/OFF");
    if (!holds(defaults.getKey("/OFF")) && !(baseOff && !holds(defaults.getKey("/ON"))))
        return "/OCProperties /D starts the page's layer on";
    if (text.count("VISIBLETEXT") != 2 || text.contains("HIDDENTEXT"))
        return "pdftotext and mutool read: " + text.simplified();
    return {};
}

// What a viewer shows as page numbers: AddLabels' on the holder's pages, elsewhere the page's
// number in the file.
QString CheckLabels(QPDF &pdf, const QString &, const std::vector<int> &holders)
{
    const int base = holders[0];
    QPDFPageLabelDocumentHelper labels(pdf);
    const std::vector<int> widths = PageWidths(pdf);
    QStringList got, want;
    for (size_t i = 0; i < widths.size(); ++i) {
        QPDFObjectHandle label = labels.getLabelForPage(static_cast<long long>(i));
        const bool own = widths[i] >= base && widths[i] < base + 3;
        want << (own ? QStringList({"i", "ii", "A-1"}).at(widths[i] - base)
                     : QString::number(i + 1));
        if (!label.isDictionary()) {
            got << QString::number(i + 1);
            continue;
        }
        const int n = label.getKey("/St").isInteger() ? label.getKey("/St").getIntValueAsInt() : 1;
        const std::string style = label.getKey("/S").isName() ? label.getKey("/S").getName() : "";
        got << (label.getKey("/P").isString() ? label.getKey("/P").getUTF8Value().c_str() : "") +
                   (style == "/D"   ? QString::number(n)
                    : style == "/r" ? QStringList({"i", "ii", "iii", "iv"}).value(n - 1, "?")
                                    : QString::fromStdString("?" + style));
    }
    return got == want ? QString() : "pages read " + got.join(' ') + ", not " + want.join(' ');
}

QString CheckAttachments(QPDF &pdf, const QString &, const std::vector<int> &holders)
{
    const auto files = QPDFEmbeddedFileDocumentHelper(pdf).getEmbeddedFiles();
    for (const int base : holders) {
        bool found = false;
        for (const auto &[name, fileSpec] : files) {
            auto data = fileSpec->getEmbeddedFileStream().getStreamData();
            found = found || std::string(reinterpret_cast<const char *>(data->getBuffer()),
                                         data->getSize()) == AttachmentBytes(base);
        }
        if (!found)
            return QStringLiteral("of %1 attached files, none is that of the source of width %2")
                .arg(files.size())
                .arg(base);
    }
    return {};
}

// What is wrong with where page i's marked content leads: through the parent tree back to the page
// and into the structure tree. key gets the page's /StructParents.
QString PageTagFault(QPDF &pdf, int i, QPDFObjectHandle &key)
{
    QPDFObjectHandle tree = pdf.getRoot().getKey("/StructTreeRoot"), marks;
    const QString page = QStringLiteral("page %1 ").arg(i);
    key = Page(pdf, i).getKey("/StructParents");
    if (!key.isInteger())
        return {};
    if (!tree.getKey("/ParentTree").isDictionary() ||
        !QPDFNumberTreeObjectHelper(tree.getKey("/ParentTree"), pdf)
             .findObject(key.getIntValue(), marks) ||
        !marks.isArray())
        return page + "has /StructParents that the /ParentTree lacks";
    for (QPDFObjectHandle element : marks.aitems()) {
        if (element.hasKey("/Pg") && !element.getKey("/Pg").isSameObjectAs(Page(pdf, i)))
            return page + "has marked content that the structure puts on another page";
        for (int up = 0; up < 30 && element.isDictionary() && !element.isSameObjectAs(tree); ++up)
            element = element.getKey("/P");
        if (!element.isSameObjectAs(tree))
            return page + "has marked content whose element is outside the structure tree";
    }
    // An annotation the structure holds leads to the element that holds it.
    for (QPDFObjectHandle annotation : Page(pdf, i).getKey("/Annots").aitems()) {
        QPDFObjectHandle parent = annotation.getKey("/StructParent"), element;
        if (!parent.isInteger())
            continue;
        if (!QPDFNumberTreeObjectHelper(tree.getKey("/ParentTree"), pdf)
                 .findObject(parent.getIntValue(), element) ||
            !element.getKey("/K").getKey("/Obj").isSameObjectAs(annotation))
            return page + "has an annotation whose /StructParent leads to another element";
    }
    return {};
}

std::vector<QPDFObjectHandle> TopElements(QPDF &pdf)
{
    QPDFObjectHandle kids = pdf.getRoot().getKey("/StructTreeRoot").getKey("/K");
    return kids.isArray() ? kids.getArrayAsVector() : std::vector{kids};
}

// One structure element per tagged source; every page's marked content leads back to its page and
// into the structure tree, each tagged source's by a key of its own.
QString CheckTagTree(QPDF &pdf, const std::vector<int> &holders)
{
    QPDFObjectHandle root = pdf.getRoot();
    if (!root.getKey("/StructTreeRoot").getKey("/ParentTree").isDictionary())
        return "there is no /StructTreeRoot with a /ParentTree";
    const std::vector<QPDFObjectHandle> elements = TopElements(pdf);
    if (elements.size() != holders.size())
        return QStringLiteral("/StructTreeRoot /K holds %1 elements").arg(elements.size());
    std::set<long long> keys;
    const std::vector<int> widths = PageWidths(pdf);
    for (size_t i = 0; i < widths.size(); ++i) {
        QPDFObjectHandle key;
        if (const QString fault = PageTagFault(pdf, int(i), key); !fault.isEmpty())
            return fault;
        const bool tagged = std::count(holders.begin(), holders.end(), widths[i]) > 0;
        if (!key.isInteger() && tagged)
            return QStringLiteral("page %1 has lost its /StructParents").arg(i);
        if (tagged && !keys.insert(key.getIntValue()).second)
            return QStringLiteral("page %1 shares its /StructParents with another tagged source")
                .arg(i);
    }
    const auto german = [](QPDFObjectHandle o) {
        return o.getKey("/Lang").isString() && o.getKey("/Lang").getUTF8Value() == "de-DE";
    };
    return german(root) || std::all_of(elements.begin(), elements.end(), german)
               ? QString()
               : "the language de-DE is lost";
}

QString CheckTags(QPDF &pdf, const QString &, const std::vector<int> &holders)
{
    QPDFObjectHandle marked = pdf.getRoot().getKey("/MarkInfo").getKey("/Marked");
    if (!marked.isBool() || !marked.getBoolValue())
        return "/MarkInfo /Marked is not true";
    return CheckTagTree(pdf, holders);
}

// The page's XMP reads as it was written, and stays plain text for tools that search for it.
QString CheckMetadata(QPDF &pdf, const QString &, const std::vector<int> &holders)
{
    QPDFObjectHandle xmp = Page(pdf, PageOfWidth(pdf, holders[0])).getKey("/Metadata");
    if (!xmp.isStream())
        return "the page has lost its /Metadata";
    const std::string want = XmpOf(holders[0]);
    auto bytes = [](std::shared_ptr<Buffer> data) {
        return std::string(reinterpret_cast<const char *>(data->getBuffer()), data->getSize());
    };
    if (bytes(xmp.getStreamData()) != want)
        return "the page's /Metadata reads otherwise";
    if (bytes(xmp.getRawStreamData()) != want)
        return "the page's /Metadata is not plain text: " +
               QString::fromStdString(xmp.getDict().unparse());
    return {};
}

// A property: whether a second source holds it too, what a holder gets, and what a PDF must show
// of the holders whose pages it has (a source its own, the book all).
struct Property {
    bool two;
    void (*add)(QPDF &, const Holder &);
    QString (*check)(QPDF &, const QString &path, const std::vector<int> &holders);
};

const std::map<QString, Property> kProperties = {
    {"links", {false, AddLinks, CheckLinks}},
    // Links with no object of their own, and page labels that refer to objects.
    {"links held in their pages",
     {false,
      [](QPDF &pdf, const Holder &holder) {
          AddLinks(pdf, holder);
          QPDFObjectHandle page = pdf.getAllPages().front();
          std::vector<QPDFObjectHandle> links = page.getKey("/Annots").getArrayAsVector();
          for (QPDFObjectHandle &link : links)
              link = link.shallowCopy();
          page.replaceKey("/Annots", QPDFObjectHandle::newArray(links));
      },
      CheckLinks}},
    // A place written before the last object that refers to it: the explicit link's is an object
    // the page's open action reaches first, and the names hold too. The names' places are
    // objects too, which nothing else refers to.
    {"links sharing their places",
     {false,
      [](QPDF &pdf, const Holder &holder) {
          AddLinks(pdf, holder);
          QPDFObjectHandle page = pdf.getAllPages().front();
          QPDFObjectHandle names = pdf.getRoot().getKey("/Names").getKey("/Dests").getKey("/Names");
          for (QPDFObjectHandle link : page.getKey("/Annots").aitems())
              if (link.getKey("/Contents").getUTF8Value() == "explicit") {
                  QPDFObjectHandle place = pdf.makeIndirectObject(link.getKey("/Dest"));
                  link.replaceKey("/Dest", place);
                  page.replaceKey("/AA", Parse(pdf, "<< /O << /S /GoTo /D %1 >> >>", {place}));
                  names.appendItem(QPDFObjectHandle::newString("Shared"));
                  names.appendItem(place);
              }
          for (int i = 1; i < names.getArrayNItems(); i += 2)
              if (!names.getArrayItem(i).isIndirect())
                  names.setArrayItem(i, pdf.makeIndirectObject(names.getArrayItem(i)));
          QPDFObjectHandle dests = pdf.getRoot().getKey("/Dests");
          dests.replaceKey("/Chapter", pdf.makeIndirectObject(dests.getKey("/Chapter")));
      },
      CheckLinks}},
    // The other holder's list of ranges is empty: its pages are numbered as if it had none.
    {"labels, an empty list",
     {true,
      [](QPDF &pdf, const Holder &holder) {
          if (holder.first)
              AddLabels(pdf, holder);
          else
              pdf.getRoot().replaceKey("/PageLabels", QPDFObjectHandle::parse("<< /Nums [] >>"));
      },
      [](QPDF &pdf, const QString &path, const std::vector<int> &holders) {
          QPDFObjectHandle ranges = pdf.getRoot().getKey("/PageLabels").getKey("/Nums");
          if (ranges.isArray() && ranges.getArrayNItems() == 0)
              return QString(); // the source itself
          return CheckLabels(pdf, path, holders);
      }}},
    {"labels held as objects",
     {false,
      [](QPDF &pdf, const Holder &holder) {
          AddLabels(pdf, holder);
          QPDFObjectHandle ranges = pdf.getRoot().getKey("/PageLabels").getKey("/Nums");
          QPDFObjectHandle second = ranges.getArrayItem(3);
          second.replaceKey("/P", pdf.makeIndirectObject(second.getKey("/P")));
          ranges.setArrayItem(3, pdf.makeIndirectObject(second));
      },
      CheckLabels}},
    {"forms", {true, AddForm, CheckForm}},
    {"forms that calculate", {true, AddCalculatingForm, CheckCalculatingForm}},
    {"layers", {false, AddLayer, CheckLayer}},
    {"layers off by base state", {false, AddLayerOffByBaseState, CheckLayer}},
    {"labels", {false, AddLabels, CheckLabels}},
    {"metadata", {false, AddMetadata, CheckMetadata}},
    {"attachments", {true, AddAttachment, CheckAttachments}},
    {"tags", {true, AddTags, CheckTags}},
    // A number where a dictionary belongs, which qpdf reads without complaint: read as absent.
    {"tags, /MarkInfo a number",
     {true,
      [](QPDF &pdf, const Holder &holder) {
          AddTags(pdf, holder);
          if (holder.first)
              pdf.getRoot().replaceKey("/MarkInfo", QPDFObjectHandle::newInteger(1));
      },
      [](QPDF &pdf, const QString &path, const std::vector<int> &holders) {
          // The book is marked by the other holder; the source says nothing a reader can take.
          return pdf.getRoot().getKey("/MarkInfo").isInteger() ? CheckTagTree(pdf, holders)
                                                               : CheckTags(pdf, path, holders);
      }}},
    {"attachments held directly", {true, AddDirectAttachment, CheckAttachments}},
    // The first holder's form and tree go into the book with the other's: their keys into the
    // book's tree must still not meet.
    {"tags, one with a form",
     {true,
      [](QPDF &pdf, const Holder &holder) {
          AddTags(pdf, holder);
          if (holder.first)
              AddForm(pdf, holder);
      },
      CheckTags}},
    {"no false alarm",
     {false, AddLooseFlate,
      [](QPDF &, const QString &, const std::vector<int> &) { return QString(); }}},
};

// What path must show of the holders whose first pages it has.
QString Check(const Property &property, const QString &path, const std::vector<int> &holders)
{
    try {
        auto pdf = Open(path);
        std::vector<int> present;
        for (const int base : holders)
            if (PageOfWidth(*pdf, base) >= 0)
                present.push_back(base);
        return property.check(*pdf, path, present);
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    }
}

// The book is sound, with the pages, order and bookmarks of the book of plain sources; every font
// its pages use is one.
QString LikePlain(const CompileFixture &f, const CompileFixture &plain, bool warnings)
{
    QByteArray output;
    const int checked = RunQpdf({"--check", f.book()}, &output);
    if (checked != 0 && !(warnings && checked == 3))
        return "qpdf --check exits " + QString::number(checked) + ": " + output;
    auto book = ReadPdf(f.book()), reference = ReadPdf(plain.book());
    if (QPDFObjectHandle form = book->getRoot().getKey("/AcroForm");
        form.isDictionary() && form.getKey("/NeedAppearances").isBool() &&
        form.getKey("/NeedAppearances").getBoolValue())
        return "the book asks viewers to draw every field anew";
    for (QPDFPageObjectHelper page : QPDFPageDocumentHelper(*book).getAllPages()) {
        QPDFObjectHandle fonts = page.getAttribute("/Resources", false);
        fonts = fonts.isDictionary() ? fonts.getKey("/Font") : QPDFObjectHandle::newNull();
        for (auto &[name, font] : fonts.isDictionary() ? fonts.getDictAsMap()
                                                       : std::map<std::string, QPDFObjectHandle>())
            if (!font.isDictionary() || !font.getKey("/Subtype").isName())
                return "a page's font " + QString::fromStdString(name) + " is " +
                       QString::fromStdString(font.unparseResolved());
    }
    if (PageWidths(*book) != PageWidths(*reference))
        return "the pages differ from those of the book of plain sources";
    if (Outline(*book) != Outline(*reference))
        return "the bookmarks differ from those of the book of plain sources";
    return {};
}

} // namespace

#define CHECK(what, check)                                                                         \
    do {                                                                                           \
        const QString problem = check;                                                             \
        QVERIFY2(problem.isEmpty(), qPrintable(row + ", " + what + ": " + problem));               \
    } while (false)

void TestBookFidelity::bookKeepsWhatEachSourceHolds_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("blank");
    QTest::addColumn<int>("way");
    // As it is, with page numbers and an index (stamped pages), and linearized.
    const QList<const char *> ways = {"", ", numbered", ", linearized"};
    for (const auto &[property, unused] : kProperties)
        for (int position = 0; position < 3; ++position)
            for (int blank = 1; blank >= 0; --blank)
                for (int way = 0; way < int(ways.size()); ++way)
                    QTest::addRow("%s %s%s%s", qPrintable(property),
                                  QList<const char *>{"first", "middle", "last"}[position],
                                  blank ? ", blank sheets" : "", ways[way])
                        << property << position << blank << way;
}

void TestBookFidelity::bookKeepsWhatEachSourceHolds()
{
    QFETCH(QString, property);
    QFETCH(int, position);
    QFETCH(int, blank);
    QFETCH(int, way);
    const QString row = QTest::currentDataTag();
    const Property &p = kProperties.at(property);
    const bool loose = property == "no false alarm";
    // The holder at position has an odd page count, so that a blank sheet follows it; the partner
    // after it holds the property too where it takes two, and has two pages for links to land on.
    const int at[3] = {position, (position + 1) % 3, (position + 2) % 3};
    QList<std::pair<QString, int>> list = {{"A.pdf", 0}, {"B.pdf", 0}, {"C.pdf", 0}};
    for (int role = 0; role < 3; ++role)
        list[at[role]].second = 3 - role;
    const std::vector<int> bases = {300 + 100 * at[0], 300 + 100 * at[1]};
    CompileFixture plain(list), f(list);
    for (int role = 0; role < (p.two ? 2 : 1); ++role) {
        const QString source = f.folder.file(list[at[role]].first);
        const Holder holder{bases[size_t(role)], list[at[1]].first, role == 0};
        RewritePdf(
            source, [&](QPDF &pdf) { p.add(pdf, holder); }, loose);
        QByteArray output;
        const int checked = RunQpdf({"--check", source}, &output);
        QVERIFY2(loose ? checked == 3 && output.contains("output may still be valid")
                       : checked == 0,
                 qPrintable(row + ", source: qpdf --check says " + output));
        CHECK("source", Check(p, source, bases));
        // bench/fuzz.sh seeds the PDF fuzz target with these sources.
        const QString seeds = qEnvironmentVariable("QUIREFOLD_FUZZ_SEEDS");
        if (!seeds.isEmpty() && position == 0 && blank == 0)
            QFile::copy(source, seeds + "/" + QString(property).replace(' ', '-') + "-" +
                                    QString::number(role) + ".pdf");
    }
    if (property == "tags") { // an untagged page that claims a place in a tree it does not have
        const QString third = f.folder.file(list[at[2]].first);
        RewritePdf(third, [](QPDF &pdf) {
            QPDFObjectHandle(pdf.getAllPages().front())
                .replaceKey("/StructParents", QPDFObjectHandle::newInteger(0));
        });
        QCOMPARE(RunQpdf({"--check", third}), 0);
    }

    for (CompileFixture *g : {&plain, &f}) {
        g->window.blankSheetOption.SetState(BlankSheetState(blank));
        g->window.choices.pageNumbers = way == 1 ? QStringLiteral("{n}") : QString();
        g->window.choices.indexPage = way == 1;
        g->window.choices.linearized = way == 2;
        CompileRun(g->ctx);
    }
    QVERIFY2(plain.messages().isEmpty(),
             qPrintable(row + ", plain: " + plain.messages().join('\n')));
    QVERIFY2(f.messages().isEmpty(), qPrintable(row + ": " + f.messages().join('\n')));
    // Numbered pages are labelled with the numbers they show.
    if (!(property.startsWith("labels") && way == 1))
        CHECK("book", Check(p, f.book(), bases));
    if (property == "links")
        CHECK("book in viewers", ViewersFollow(f.book(), bases[0], 0, bases[1]));
    CHECK("book", LikePlain(f, plain, loose));
}

void TestBookFidelity::linksOfAFileListedTwiceLandInItsOwnPages_data()
{
    // Without a link to another file, both copies go into the book apart, the same names in each.
    QTest::addColumn<int>("blank");
    QTest::addColumn<QString>("partner");
    QTest::newRow("blank sheets") << 1 << "B.pdf";
    QTest::newRow("no blank sheets") << 0 << "B.pdf";
    QTest::newRow("names only, blank sheets") << 1 << "";
    QTest::newRow("names only") << 0 << "";
}

void TestBookFidelity::linksOfAFileListedTwiceLandInItsOwnPages()
{
    QFETCH(int, blank);
    QFETCH(QString, partner);
    const QString row = QTest::currentDataTag();
    const QList<std::pair<QString, int>> list = {{"A.pdf", 3}, {"B.pdf", 2}, {"A2.pdf", 3}};
    CompileFixture plain(list), f(list);
    RewritePdf(f.folder.file("A.pdf"), [&](QPDF &pdf) { AddLinks(pdf, {300, partner, true}); });
    const int remote = partner.isEmpty() ? -1 : 400;
    for (CompileFixture *g : {&plain, &f}) {
        QFile::remove(g->folder.file("A2.pdf"));
        QVERIFY(QFile::copy(g->folder.file("A.pdf"), g->folder.file("A2.pdf")));
        g->window.blankSheetOption.SetState(BlankSheetState(blank));
        CompileRun(g->ctx);
    }
    QVERIFY2(f.messages().isEmpty(), qPrintable(row + ": " + f.messages().join('\n')));
    auto book = Open(f.book());
    CHECK("A.pdf", Links(*book, 300, 0, remote));
    CHECK("A2.pdf", Links(*book, 300, 1, remote));
    CHECK("A2.pdf in viewers", ViewersFollow(f.book(), 300, 1, remote));
    CHECK("book", LikePlain(f, plain, false));
}

void TestBookFidelity::threadedCompileGivesTheSameBytes()
{
    // Sources of every kind, read and written on several threads at once; the same fonts in
    // each, kept once.
    QList<std::pair<QString, int>> list;
    for (int i = 0; i < 12; ++i)
        list.append({QStringLiteral("S%1.pdf").arg(i, 2, 10, QChar('0')), 1 + i % 3});
    CompileFixture f(list);
    const std::vector<void (*)(QPDF &, const Holder &)> kinds = {
        AddLinks, AddForm, AddLayer, AddLabels, AddAttachment, AddTags, AddMetadata};
    for (int i = 0; i < list.size(); ++i)
        if (list[i].second == 3)
            RewritePdf(f.folder.file(list[i].first), [&](QPDF &pdf) {
                kinds[size_t(i) % kinds.size()](
                    pdf, {300 + 100 * i, list[(i + 1) % list.size()].first, i == 2});
            });
    f.window.choices.pageNumbers = QStringLiteral("{n}");
    QByteArray first;
    for (int run = 0; run < 3; ++run) {
        CompileRun(f.ctx);
        QVERIFY2(f.messages().isEmpty(), qPrintable(f.messages().join('\n')));
        const QByteArray book = f.folder.read("PDFCompile Output/Book.pdf");
        if (run == 0)
            first = book;
        QVERIFY2(book == first, qPrintable(QStringLiteral("run %1 differs").arg(run)));
    }
}

void TestBookFidelity::keptSourcesGiveTheSameBook_data()
{
    QTest::addColumn<QString>("pageNumbers");
    QTest::addColumn<bool>("keepBookmarks"); // with the documents' own titles
    QTest::addColumn<int>("count");          // the first sources in the book
    QTest::newRow("as it is") << "" << false << 12;
    QTest::newRow("numbered, with an index, the first 5") << "Page {n} of {total}" << false << 5;
    QTest::newRow("own bookmarks, the first") << "" << true << 1;
    QTest::newRow("numbered, own bookmarks, the first 8") << "{n}" << true << 8;
}

void TestBookFidelity::keptSourcesGiveTheSameBook()
{
    QFETCH(QString, pageNumbers);
    QFETCH(bool, keepBookmarks);
    QFETCH(int, count);
    // Sources of every kind, one of them no PDF and one repaired as it is read: a book measured
    // twice, then written, from pieces made once is the book made afresh, byte for byte.
    TestFolder folder;
    folder.mkdir("PDFCompile Output");
    CompileRequest all;
    all.workingFolder = folder.path();
    all.bookName = "Book.pdf";
    all.programFolder = QStringLiteral(QUIREFOLD_PROGRAM_FOLDER);
    all.blankSheets = true;
    all.pageNumbers = pageNumbers;
    all.indexPage = !pageNumbers.isEmpty();
    all.keepBookmarks = keepBookmarks;
    all.bookmarkTitles = keepBookmarks ? BookmarkTitles::Title : BookmarkTitles::FirstDot;
    const std::vector<void (*)(QPDF &, const Holder &)> kinds = {
        AddLinks, AddCalculatingForm, AddLayer, AddLabels, AddAttachment, AddTags, AddLooseFlate};
    for (int i = 0; i < 12; ++i) {
        const QString name = QStringLiteral("S%1.pdf").arg(i, 2, 10, QChar('0'));
        all.names.append(name);
        MakePdf(folder.file(name), 1 + i % 3, 100 * i, "1.7");
        if (i % 3 == 2)
            RewritePdf(
                folder.file(name),
                [&](QPDF &pdf) {
                    kinds[size_t(i / 3) % kinds.size()](
                        pdf, {300 + 100 * i, all.names.value(i - 1), i == 2});
                },
                i / 3 == 6);
    }
    folder.write("S04.pdf", "not a PDF");
    CompileRequest request = all;
    request.names = all.names.mid(0, count);
    const QStringList paths = SourcePaths(request);
    SilentObserver observer;
    const auto write = [&](const QString &name, KeptSources *kept) {
        WholeFileWrite target;
        CompileResult result(true);
        const QString path = folder.file("PDFCompile Output/" + name);
        if (!target.Begin(path, folder.path()) ||
            !WriteBook(request, paths, target, observer, result, kept) || !target.Commit())
            return QByteArray();
        return folder.read("PDFCompile Output/" + name);
    };
    const QByteArray afresh = write("afresh.pdf", nullptr);
    QVERIFY(!afresh.isEmpty());
    KeptSources kept(all, SourcePaths(all), 0, ObjectStreamsFor(all, SourcePaths(all)));
    for (int measured = 0; measured < 2; ++measured)
        QCOMPARE(MeasureBook(request, paths, nullptr, &kept), afresh.size());
    QVERIFY(write("kept.pdf", &kept) == afresh);
}

void TestBookFidelity::manyNamesLandOnTheirPages_data()
{
    // Written as made, the name tree's leaves go out as text; linearized, as qpdf's objects.
    QTest::addColumn<bool>("linearized");
    QTest::newRow("written as made") << false;
    QTest::newRow("linearized") << true;
}

void TestBookFidelity::manyNamesLandOnTheirPages()
{
    QFETCH(bool, linearized);
    CompileFixture f({{"A.pdf", 3}, {"B.pdf", 1}, {"C.pdf", 2}});
    const int count = 150; // leaves of a few dozen names each
    for (const char *name : {"A.pdf", "C.pdf"})
        RewritePdf(f.folder.file(name), [&](QPDF &pdf) {
            const std::vector<QPDFObjectHandle> pages = pdf.getAllPages();
            QPDFObjectHandle dests = QPDFObjectHandle::newDictionary();
            for (int i = 0; i < count; ++i)
                dests.replaceKey("/n" + std::to_string(i),
                                 Parse(pdf, "[%1 /XYZ " + QString::number(i) + " 0.5 null]",
                                       {pages[size_t(i) % pages.size()]}));
            pdf.getRoot().replaceKey("/Dests", dests);
        });
    f.window.blankSheetOption.SetState(Qt::Unchecked);
    f.window.choices.linearized = linearized;
    CompileRun(f.ctx);
    QVERIFY2(f.messages().isEmpty(), qPrintable(f.messages().join('\n')));
    QCOMPARE(RunQpdf({"--check", f.book()}), 0);
    auto book = Open(f.book());
    const std::vector<QPDFObjectHandle> pages = book->getAllPages();
    QPDFNameTreeObjectHelper tree(book->getRoot().getKey("/Names").getKey("/Dests"), *book);
    const std::map<std::string, std::pair<int, int>> sources = {{"A.pdf", {0, 3}},
                                                                {"C.pdf", {4, 2}}};
    for (const auto &[name, place] : sources)
        for (int i = 0; i < count; ++i) {
            const std::string key = name + "/n" + std::to_string(i);
            QPDFObjectHandle dest;
            QVERIFY2(tree.findObject(key, dest), key.c_str());
            QVERIFY2(
                dest.getArrayItem(0).isSameObjectAs(pages[size_t(place.first + i % place.second)]),
                key.c_str());
            QCOMPARE(QString::fromStdString(dest.unparse()).section(' ', 4),
                     QString("/XYZ %1 0.5 null ]").arg(i));
        }
}

void TestBookFidelity::taggedLibreOfficeExportKeepsItsStructure()
{
    if (QStandardPaths::findExecutable("soffice").isEmpty())
        QSKIP("LibreOffice is not installed");
    CompileFixture f({{"B.pdf", 1}});
    QVERIFY(QFile::copy(QUIREFOLD_SAMPLE_FOLDER "/Rules of Play.doc", f.folder.file("Rules.doc")));
    QProcess office;
    office.setWorkingDirectory(f.folder.path());
    office.start("soffice",
                 {"-env:UserInstallation=file://" + f.folder.file("profile"), "--headless",
                  "--convert-to",
                  R"(pdf:writer_pdf_Export:{"UseTaggedPDF":{"type":"boolean","value":"true"}})",
                  "Rules.doc"});
    if (!office.waitForFinished(120000)) {
        office.kill();
        office.waitForFinished();
    }
    QVERIFY2(f.folder.exists("Rules.pdf"), office.readAllStandardError().constData());
    // The same export twice under two names, around an untagged PDF.
    QVERIFY(QFile::copy(f.folder.file("Rules.pdf"), f.folder.file("C.pdf")));
    f.window.pdfList.AddItem("C.pdf");
    f.window.pdfList.AddItem("Rules.pdf");
    for (int i = 0; i < f.window.pdfList.Count(); ++i)
        f.window.pdfList.SetTicked(i, true);
    CompileRun(f.ctx);
    QVERIFY2(f.messages().isEmpty(), qPrintable(f.messages().join('\n')));
    QCOMPARE(RunQpdf({"--check", f.book()}), 0);
    auto book = Open(f.book());
    QStringList parts;
    for (QPDFObjectHandle part : TopElements(*book))
        parts << QString::fromStdString(part.getKey("/S").unparse() + " " +
                                        part.getKey("/T").getUTF8Value());
    QCOMPARE(parts, QStringList({"/Part C.pdf", "/Part Rules.pdf"}));
    std::set<long long> keys;
    int tagged = 0;
    for (int i = 0; i < int(book->getAllPages().size()); ++i) {
        QPDFObjectHandle key;
        const QString fault = PageTagFault(*book, i, key);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        tagged += key.isInteger();
        QVERIFY(!key.isInteger() || keys.insert(key.getIntValue()).second);
    }
    QCOMPARE(tagged, 2 * int(Open(f.folder.file("Rules.pdf"))->getAllPages().size()));
}

QTEST_GUILESS_MAIN(TestBookFidelity)
#include "test_book_fidelity.moc"
