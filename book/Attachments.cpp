#include "book/Attachments.h"

#include "book/NameTree.h"

#include <qpdf/QPDFNameTreeObjectHelper.hh>

namespace qf {

void Attachments::Add(QPDF &book, const SourceInBook &source)
{
    QPDFObjectHandle tree = ValueOf(source.source.getRoot().getKey("/Names"), "/EmbeddedFiles");
    if (!tree.isDictionary())
        return;
    for (auto &[name, fileSpec] : QPDFNameTreeObjectHelper(tree, source.source))
        if (fileSpec.isDictionary())
            files_[PrefixedName(source, name)] = Import(book, source, fileSpec);
}

void Attachments::AddWritten(const QString &name,
                             const std::map<std::string, QPDFObjectHandle> &files)
{
    for (const auto &[file, fileSpec] : files)
        files_[name.toStdString() + "/" + file] = fileSpec;
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
