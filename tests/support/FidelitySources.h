#pragma once

#include "support/PdfFixtures.h"

#include <qpdf/QPDFEmbeddedFileDocumentHelper.hh>

#include <functional>

// Sources that hold something at document level, made from fixture PDFs whose pages keep their
// widths, so that a page of the book still tells which source page it copies.

// What a source is made to hold follows from its base, the width of its first page, so that checks
// know what to expect; partner is the file of another source, first tells the first holder.
struct Holder {
    int base;
    QString partner;
    bool first;
};

// Rewrites the PDF at path after change; raw keeps stream data exactly as held.
inline void RewritePdf(const QString &path, const std::function<void(QPDF &)> &change,
                       bool raw = false)
{
    auto pdf = ReadPdf(path);
    change(*pdf);
    const QByteArray changed = QFile::encodeName(path + ".changed");
    QPDFWriter writer(*pdf, changed.constData());
    writer.setMinimumPDFVersion("1.7");
    if (raw)
        writer.setStreamDataMode(qpdf_s_preserve);
    writer.write();
    QFile::remove(path);
    QFile::rename(QFile::decodeName(changed), path);
}

// Parses text in which %1, %2, ... stand for the objects refs.
inline QPDFObjectHandle Parse(QPDF &pdf, QString text, std::vector<QPDFObjectHandle> refs = {})
{
    for (size_t i = 0; i < refs.size(); ++i)
        text.replace("%" + QString::number(i + 1), QString::fromStdString(refs[i].unparse()));
    return QPDFObjectHandle::parse(&pdf, text.toStdString());
}

inline QPDFObjectHandle Indirect(QPDF &pdf, const QString &text,
                                 const std::vector<QPDFObjectHandle> &refs = {})
{
    return pdf.makeIndirectObject(Parse(pdf, text, refs));
}

inline const QString kHelvetica = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";

// Page 0 links to pages 1 and 2 in each way a link can name a place in its own file, told apart
// by /Contents, and to page 1 of the partner, if any.
inline void AddLinks(QPDF &pdf, const Holder &holder)
{
    std::vector<QPDFObjectHandle> pages = pdf.getAllPages();
    pdf.getRoot().replaceKey("/Dests", Parse(pdf, "<< /Chapter [%1 /XYZ 30 40 0] >>", {pages[2]}));
    pdf.getRoot().replaceKey("/Names", Parse(pdf,
                                             "<< /Dests << /Names [(Action) << /D [%1 /XYZ 60 70 "
                                             "0] >> (Section) [%2 /FitH 50]] >> >>",
                                             {pages[2], pages[1]}));
    QPDFObjectHandle annots = QPDFObjectHandle::newArray();
    QStringList links = {"(explicit) /Dest [%1 /XYZ 10 20 0]", "(named) /Dest /Chapter",
                         "(tree) /Dest (Section)", "(action) /A << /S /GoTo /D (Action) >>"};
    if (!holder.partner.isEmpty())
        links << "(remote) /A << /S /GoToR /F (" + holder.partner + ") /D [1 /Fit] >>";
    for (const QString &link : links)
        annots.appendItem(Indirect(
            pdf, "<< /Type /Annot /Subtype /Link /Rect [0 0 20 20] /Contents " + link + " >>",
            {pages[1]}));
    pages[0].replaceKey("/Annots", annots);
}

inline QString FieldValue(int base)
{
    return QStringLiteral("typed on %1").arg(base);
}

// A text field "name" on page 0, its value drawn in its appearance; the first holder's form
// asks for appearances to be made anew, and its field for a border.
inline void AddForm(QPDF &pdf, const Holder &holder)
{
    QPDFObjectHandle page = pdf.getAllPages().front(), font = Indirect(pdf, kHelvetica);
    QPDFObjectHandle look =
        pdf.newStream(("/Tx BMC BT /Helv 12 Tf 2 10 Td (" + FieldValue(holder.base) + ") Tj ET EMC")
                          .toStdString());
    look.replaceDict(Parse(pdf,
                           "<< /Type /XObject /Subtype /Form /BBox [0 0 190 30] /Resources << "
                           "/Font << /Helv %1 >> >> >>",
                           {font}));
    QPDFObjectHandle field = Indirect(pdf,
                                      "<< /Type /Annot /Subtype /Widget /FT /Tx /T (name) /V (" +
                                          FieldValue(holder.base) +
                                          ") /DA (/Helv 12 Tf 0 g) /F 4 /Rect [10 10 200 40] /P "
                                          "%1 /AP << /N %2 >> >>",
                                      {page, look});
    if (holder.first) // a red border, which its appearance lacks until it is drawn anew
        field.replaceKey("/MK", QPDFObjectHandle::parse("<< /BC [1 0 0] >>"));
    page.replaceKey("/Annots", QPDFObjectHandle::newArray({field}));
    pdf.getRoot().replaceKey(
        "/AcroForm", Indirect(pdf,
                              QString("<< /Fields [%1] /DR << /Font << /Helv %2 >> >> /DA (/Helv "
                                      "0 Tf 0 g) /NeedAppearances ") +
                                  (holder.first ? "true" : "false") + " >>",
                              {field, font}));
}

// A field "total" with a widget on each of pages 0 and 1, calculated by a script that calls a
// function of the document's own scripts; its font /Helv is Helvetica in the first holder and
// Courier in the other, as its tooltip says, so that the two forms' fonts of one name meet.
inline void AddCalculatingForm(QPDF &pdf, const Holder &holder)
{
    const std::vector<QPDFObjectHandle> pages = pdf.getAllPages();
    const QString base = QString::number(holder.base);
    QPDFObjectHandle total = Indirect(
        pdf, "<< /FT /Tx /T (total) /V (" + FieldValue(holder.base) + ") /TU (" +
                 (holder.first ? "Helvetica" : "Courier") +
                 ") /AA << /C << /S /JavaScript /JS (event.value = sum" + base + "();) >> >> >>");
    QPDFObjectHandle kids = QPDFObjectHandle::newArray();
    for (int i = 0; i < 2; ++i) {
        QPDFObjectHandle widget = Indirect(
            pdf, "<< /Type /Annot /Subtype /Widget /F 4 /Rect [10 10 200 40] /P %1 /Parent %2 >>",
            {pages[size_t(i)], total});
        kids.appendItem(widget);
        QPDFObjectHandle page = pages[size_t(i)];
        page.replaceKey("/Annots", QPDFObjectHandle::newArray({widget}));
    }
    total.replaceKey("/Kids", kids);
    QPDFObjectHandle font = Indirect(
        pdf, holder.first ? kHelvetica : QString(kHelvetica).replace("Helvetica", "Courier"));
    // A calculated field the form does not list, as some documents have.
    QPDFObjectHandle unlisted = Indirect(pdf, "<< /FT /Tx /T (unlisted) >>");
    pdf.getRoot().replaceKey("/AcroForm",
                             Indirect(pdf,
                                      "<< /Fields [%1] /CO [%1 %3] /DR << /Font << /Helv %2 >> >> "
                                      "/DA (/Helv 0 Tf 0 g) >>",
                                      {total, font, unlisted}));
    pdf.getRoot().replaceKey(
        "/Names",
        Parse(pdf, "<< /JavaScript << /Names [(sums) << /S /JavaScript /JS (function sum" + base +
                       "() { return 1; }) >>] >> >>"));
}

// Page 0 shows VISIBLETEXT, and HIDDENTEXT in a layer that is off.
inline void AddLayer(QPDF &pdf, const Holder &)
{
    QPDFObjectHandle page = pdf.getAllPages().front();
    QPDFObjectHandle layer = Indirect(pdf, "<< /Type /OCG /Name (Hidden) >>");
    pdf.getRoot().replaceKey("/OCProperties",
                             Parse(pdf, "<< /OCGs [%1] /D << /OFF [%1] >> >>", {layer}));
    page.replaceKey(
        "/Resources",
        Parse(pdf, "<< /Font << /F1 " + kHelvetica + " >> /Properties << /oc1 %1 >> >>", {layer}));
    page.replaceKey("/Contents",
                    pdf.newStream("BT /F1 12 Tf 20 200 Td (VISIBLETEXT) Tj ET /OC /oc1 "
                                  "BDC BT /F1 12 Tf 20 100 Td (HIDDENTEXT) Tj ET EMC"));
}

// The same, the layer off through /BaseState /OFF, without an /OFF list of its own.
inline void AddLayerOffByBaseState(QPDF &pdf, const Holder &holder)
{
    AddLayer(pdf, holder);
    QPDFObjectHandle properties = pdf.getRoot().getKey("/OCProperties");
    properties.replaceKey("/D", QPDFObjectHandle::parse("<< /BaseState /OFF >>"));
}

// Pages read i, ii, A-1.
inline void AddLabels(QPDF &pdf, const Holder &)
{
    pdf.getRoot().replaceKey("/PageLabels",
                             Parse(pdf, "<< /Nums [0 << /S /r >> 2 << /S /D /P (A-) /St 1 >>] >>"));
}

inline std::string AttachmentBytes(int base)
{
    std::string bytes(1000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 37 + size_t(base) * 11 + (i >> 3)) & 0xff);
    return bytes;
}

// One attached file, data.bin, whatever the source.
inline void AddAttachment(QPDF &pdf, const Holder &holder)
{
    QPDFEmbeddedFileDocumentHelper(pdf).replaceEmbeddedFile(
        "data.bin",
        QPDFFileSpecObjectHelper::createFileSpec(
            pdf, "data.bin",
            QPDFEFStreamObjectHelper::createEFStream(pdf, AttachmentBytes(holder.base))));
}

// The same, the attached file's entry held directly in the tree rather than as an object of its
// own.
inline void AddDirectAttachment(QPDF &pdf, const Holder &holder)
{
    AddAttachment(pdf, holder);
    QPDFObjectHandle names = pdf.getRoot().getKey("/Names").getKey("/EmbeddedFiles");
    QPDFObjectHandle leaf = names.getKey("/Names");
    leaf.setArrayItem(1, leaf.getArrayItem(1).shallowCopy());
}

// Page 0's text is a paragraph of a German document, and its note an annotation the structure
// holds, found from the note through the parent tree.
inline void AddTags(QPDF &pdf, const Holder &)
{
    QPDFObjectHandle page = pdf.getAllPages().front();
    page.replaceKey("/Resources", Parse(pdf, "<< /Font << /F1 " + kHelvetica + " >> >>"));
    page.replaceKey("/Contents", pdf.newStream("/P << /MCID 0 >> BDC BT /F1 12 Tf 20 200 Td "
                                               "(TAGGEDTEXT) Tj ET EMC"));
    page.replaceKey("/StructParents", QPDFObjectHandle::newInteger(0));
    QPDFObjectHandle note = Indirect(
        pdf, "<< /Type /Annot /Subtype /Square /Rect [10 10 30 30] /StructParent 1 /P %1 >>",
        {page});
    page.replaceKey("/Annots", QPDFObjectHandle::newArray({note}));
    QPDFObjectHandle tree = Indirect(pdf, "<< /Type /StructTreeRoot /ParentTreeNextKey 2 >>");
    QPDFObjectHandle document = Indirect(pdf, "<< /Type /StructElem /S /Document /P %1 >>", {tree});
    QPDFObjectHandle paragraph =
        Indirect(pdf, "<< /Type /StructElem /S /P /K 0 /Pg %1 /P %2 >>", {page, document});
    QPDFObjectHandle annotation =
        Indirect(pdf, "<< /Type /StructElem /S /Annot /K << /Type /OBJR /Obj %1 >> /Pg %2 /P %3 >>",
                 {note, page, document});
    document.replaceKey("/K", QPDFObjectHandle::newArray({paragraph, annotation}));
    tree.replaceKey("/K", QPDFObjectHandle::newArray({document}));
    tree.replaceKey("/ParentTree",
                    Parse(pdf, "<< /Nums [0 [%1] 1 %2] >>", {paragraph, annotation}));
    pdf.getRoot().replaceKey("/StructTreeRoot", tree);
    pdf.getRoot().replaceKey("/MarkInfo", Parse(pdf, "<< /Marked true >>"));
    pdf.getRoot().replaceKey("/Lang", QPDFObjectHandle::newString("de-DE"));
}

// Page 0's content is Flate data that inflates in full but lacks its closing checksum, which
// qpdf reads with a warning; write it raw so that it stays so.
inline void AddLooseFlate(QPDF &pdf, const Holder &)
{
    const QByteArray zlib = qCompress(QByteArray("0 0 m 100 100 l S\n").repeated(20)).mid(4);
    QPDFObjectHandle content = pdf.newStream();
    content.replaceStreamData(zlib.chopped(4).toStdString(),
                              QPDFObjectHandle::newName("/FlateDecode"),
                              QPDFObjectHandle::newNull());
    QPDFObjectHandle(pdf.getAllPages().front()).replaceKey("/Contents", content);
}

// XMP as a page's metadata, stored as plain text as many producers store it.
inline std::string XmpOf(int base)
{
    return "<?xpacket begin=\"\"?><x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><page>" +
           std::to_string(base) + "</page></x:xmpmeta><?xpacket end=\"w\"?>";
}

inline void AddMetadata(QPDF &pdf, const Holder &holder)
{
    QPDFObjectHandle xmp = pdf.newStream(XmpOf(holder.base));
    xmp.getDict().replaceKey("/Type", QPDFObjectHandle::newName("/Metadata"));
    xmp.getDict().replaceKey("/Subtype", QPDFObjectHandle::newName("/XML"));
    QPDFObjectHandle(pdf.getAllPages().front()).replaceKey("/Metadata", xmp);
}
