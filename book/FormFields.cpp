#include "book/FormFields.h"

#include "book/NameTree.h"

namespace qf {

void FormFields::AddWritten(const QString &name, const PieceForm &form,
                            const std::function<QPDFObjectHandle(int number)> &written)
{
    for (QPDFObjectHandle field : form.fields)
        fields_.push_back(Attached(field, written));
    for (QPDFObjectHandle field : form.calculationOrder)
        calculationOrder_.push_back(Attached(field, written));
    // A font the book has under the name is the same font: the source found it so in its turn.
    for (const auto &[font, value] : form.fonts)
        if (!fonts_.count(font))
            fonts_[font] = Attached(value, written);
    if (QPDFObjectHandle resources = form.resources; resources.isDictionary())
        for (auto &[kind, value] : Attached(resources, written).ditems()) {
            QPDFObjectHandle held = resources_.getKey(kind);
            if (!held.isDictionary() || !value.isDictionary()) {
                if (held.isNull())
                    resources_.replaceKey(kind, value);
                continue;
            }
            for (auto &[key, item] : value.ditems())
                if (!held.hasKey(key))
                    held.replaceKey(key, item);
        }
    if (appearance_.empty())
        appearance_ = form.appearance;
    for (const auto &[script, action] : form.scripts)
        scripts_[NamePrefix(name) + script] = Attached(action, written);
}

void FormFields::Finish(QPDF &book)
{
    QPDFObjectHandle root = book.getRoot();
    if (!scripts_.empty()) {
        if (!root.getKey("/Names").isDictionary())
            root.replaceKey("/Names", QPDFObjectHandle::newDictionary());
        root.getKey("/Names").replaceKey("/JavaScript", MakeNameTree(book, scripts_));
    }
    if (fields_.empty() && calculationOrder_.empty())
        return;
    QPDFObjectHandle form = QPDFObjectHandle::newDictionary();
    form.replaceKey("/Fields", QPDFObjectHandle::newArray(fields_));
    if (!calculationOrder_.empty())
        form.replaceKey("/CO", QPDFObjectHandle::newArray(calculationOrder_));
    if (!appearance_.empty())
        form.replaceKey("/DA", QPDFObjectHandle::newUnicodeString(appearance_));
    QPDFObjectHandle resources = resources_.shallowCopy();
    if (!fonts_.empty())
        resources.replaceKey("/Font", QPDFObjectHandle::newDictionary(fonts_));
    form.replaceKey("/DR", resources);
    root.replaceKey("/AcroForm", book.makeIndirectObject(form));
}

} // namespace qf
