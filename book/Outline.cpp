#include "book/Outline.h"

#include <cstdlib>

namespace qf {

QPDFObjectHandle AddOutlineItem(QPDF &pdf, const QString &title, int page)
{
    QPDFObjectHandle catalog = pdf.getRoot();
    QPDFObjectHandle root = catalog.getKey("/Outlines");
    if (!root.isDictionary()) {
        root = pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Outlines /Count 0 >>"));
        catalog.replaceKey("/Outlines", root);
    }
    QPDFObjectHandle dest = QPDFObjectHandle::newArray();
    dest.appendItem(pdf.getAllPages().at(size_t(page)));
    dest.appendItem(QPDFObjectHandle::newName("/Fit"));
    QPDFObjectHandle item = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    item.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(title.toStdString()));
    item.replaceKey("/Parent", root);
    item.replaceKey("/Dest", dest);
    QPDFObjectHandle last = root.getKey("/Last");
    if (last.isDictionary()) {
        last.replaceKey("/Next", item);
        item.replaceKey("/Prev", last);
    } else {
        root.replaceKey("/First", item);
    }
    root.replaceKey("/Last", item);
    QPDFObjectHandle count = root.getKey("/Count");
    root.replaceKey("/Count", QPDFObjectHandle::newInteger(
                                  std::abs(count.isInteger() ? count.getIntValue() : 0) + 1));
    return item;
}

} // namespace qf
