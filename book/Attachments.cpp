#include "book/Attachments.h"

#include "book/NameTree.h"

#include <qpdf/QPDFNameTreeObjectHelper.hh>

namespace qf {

void Attachments::AddWritten(const QString &name,
                             const std::map<std::string, QPDFObjectHandle> &files)
{
    for (const auto &[file, fileSpec] : files)
        files_[NamePrefix(name) + file] = fileSpec;
}

void Attachments::Finish(QPDF &book)
{
    if (files_.empty())
        return;
    QPDFObjectHandle root = book.getRoot();
    if (!root.getKey("/Names").isDictionary())
        root.replaceKey("/Names", QPDFObjectHandle::newDictionary());
    root.getKey("/Names").replaceKey("/EmbeddedFiles", MakeNameTree(book, files_));
}

} // namespace qf
