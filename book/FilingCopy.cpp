#include "book/FilingCopy.h"

#include "book/FieldAppearances.h"
#include "book/PageContent.h"

#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFAnnotationObjectHelper.hh>
#include <qpdf/QPDFNameTreeObjectHelper.hh>

#include <string>

namespace qf {
namespace {

bool IsScript(QPDFObjectHandle action)
{
    return action.isDictionary() && action.getKey("/S").isNameAndEquals("/JavaScript");
}

// Takes the scripts out of an action's chain; whether the action itself was one.
bool DropScripts(QPDFObjectHandle action, bool &removed, int depth = 0)
{
    if (!action.isDictionary() || depth > 32)
        return false;
    if (IsScript(action)) {
        removed = true;
        return true;
    }
    QPDFObjectHandle next = action.getKey("/Next");
    if (next.isArray()) {
        std::vector<QPDFObjectHandle> kept;
        for (QPDFObjectHandle item : next.aitems())
            if (!DropScripts(item, removed, depth + 1))
                kept.push_back(item);
        if (kept.empty())
            action.removeKey("/Next");
        else
            action.replaceKey("/Next", QPDFObjectHandle::newArray(kept));
    } else if (DropScripts(next, removed, depth + 1)) {
        action.removeKey("/Next");
    }
    return false;
}

// Draws the page's field widgets into it and takes them off.
void FlattenWidgets(QPDF &source, QPDFObjectHandle page, int &names)
{
    QPDFObjectHandle annotations = page.getKey("/Annots");
    if (!annotations.isArray())
        return;
    QPDFObjectHandle rotate = page.getKey("/Rotate");
    std::string drawn;
    std::vector<QPDFObjectHandle> kept;
    bool widgets = false;
    for (QPDFObjectHandle annotation : annotations.aitems()) {
        if (!annotation.isDictionary() ||
            !annotation.getKey("/Subtype").isNameAndEquals("/Widget")) {
            kept.push_back(annotation);
            continue;
        }
        widgets = true;
        QPDFAnnotationObjectHelper widget(annotation);
        QPDFObjectHandle appearance = widget.getAppearanceStream("/N");
        if (!appearance.isStream())
            continue;
        const std::string name = "/QfField" + std::to_string(++names);
        const std::string content = widget.getPageContentForAppearance(
            name, rotate.isInteger() ? int(rotate.getIntValue()) : 0);
        if (content.empty())
            continue;
        PageForms(page).replaceKey(name, appearance);
        drawn += content;
    }
    if (!widgets)
        return;
    // The page's content between q and Q: what it leaves set reaches nothing drawn after it.
    if (!drawn.empty())
        PutContentBetween(page, QPDFObjectHandle::newStream(&source, "q\n"),
                          QPDFObjectHandle::newStream(&source, "\nQ\n" + drawn));
    page.replaceKey("/Annots", QPDFObjectHandle::newArray(kept));
}

} // namespace

FilingChanges MakeFitForFiling(QPDF &source, const std::vector<QPDFObjectHandle> &pages)
{
    FilingChanges changes;
    QPDFObjectHandle root = source.getRoot();
    // The form: drawn as a reader shows it now, then gone.
    if (QPDFObjectHandle form = root.getKey("/AcroForm"); form.isDictionary()) {
        MakeFieldAppearances(source);
        changes.fieldsFlattened = int(QPDFAcroFormDocumentHelper(source).getFormFields().size());
        int names = 0;
        for (QPDFObjectHandle page : pages)
            FlattenWidgets(source, page, names);
        root.removeKey("/AcroForm");
    }
    // Scripts, wherever they run.
    QPDFObjectHandle names = root.getKey("/Names");
    if (names.isDictionary() && names.hasKey("/JavaScript")) {
        names.removeKey("/JavaScript");
        changes.scriptsRemoved = true;
    }
    if (QPDFObjectHandle open = root.getKey("/OpenAction");
        DropScripts(open, changes.scriptsRemoved))
        root.removeKey("/OpenAction");
    if (root.hasKey("/AA")) {
        root.removeKey("/AA");
        changes.scriptsRemoved = true;
    }
    for (QPDFObjectHandle page : pages) {
        if (page.hasKey("/AA")) {
            page.removeKey("/AA");
            changes.scriptsRemoved = true;
        }
        QPDFObjectHandle annotations = page.getKey("/Annots");
        if (!annotations.isArray())
            continue;
        std::vector<QPDFObjectHandle> kept;
        for (QPDFObjectHandle annotation : annotations.aitems()) {
            if (!annotation.isDictionary()) {
                kept.push_back(annotation);
                continue;
            }
            // Attached files go with the rest.
            if (annotation.getKey("/Subtype").isNameAndEquals("/FileAttachment")) {
                ++changes.filesRemoved;
                continue;
            }
            if (annotation.hasKey("/AA")) {
                annotation.removeKey("/AA");
                changes.scriptsRemoved = true;
            }
            if (DropScripts(annotation.getKey("/A"), changes.scriptsRemoved))
                annotation.removeKey("/A"); // its place stays; it does nothing
            kept.push_back(annotation);
        }
        if (int(kept.size()) != annotations.getArrayNItems())
            page.replaceKey("/Annots", QPDFObjectHandle::newArray(kept));
    }
    // Attached files.
    if (names.isDictionary() && names.getKey("/EmbeddedFiles").isDictionary()) {
        QPDFNameTreeObjectHelper files(names.getKey("/EmbeddedFiles"), source);
        for (auto it = files.begin(); it != files.end(); ++it)
            ++changes.filesRemoved;
        names.removeKey("/EmbeddedFiles");
    }
    if (root.hasKey("/AF"))
        root.removeKey("/AF");
    return changes;
}

} // namespace qf
