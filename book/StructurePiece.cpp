#include "book/StructurePiece.h"

#include "book/Import.h"
#include "book/SourcePiece.h"
#include "book/StructureWalk.h"

#include <qpdf/QPDFNameTreeObjectHelper.hh>
#include <qpdf/QPDFNumberTreeObjectHelper.hh>

namespace qf {
namespace {

// A map as the book compares and writes it: as text, what it refers to taken as its value.
void ReadMap(QPDFObjectHandle map, std::map<std::string, std::string> &out)
{
    if (map.isDictionary())
        for (auto &[name, value] : map.getDictAsMap())
            out[name] = DirectCopy(value).unparse();
}

// The source's names taken into the book's map: a name it gives another meaning is renamed.
void MergeMap(const std::map<std::string, std::string> &from,
              std::map<std::string, std::string> &book,
              std::vector<std::pair<std::string, std::string>> &added,
              std::map<std::string, std::string> &renamed)
{
    std::set<std::string> taken;
    for (const auto &[name, value] : book)
        taken.insert(name);
    for (const auto &[name, value] : from) {
        const auto known = book.find(name);
        if (known == book.end()) {
            book[name] = value;
            added.emplace_back(name, value);
        } else if (known->second != value) {
            const std::string other = UnusedName(name, taken);
            taken.insert(other);
            book[other] = value;
            added.emplace_back(other, value);
            renamed[name] = other;
        }
    }
}

} // namespace

void StructurePiece::Prepare(QPDF &source, const QString &name, BookReferences &references,
                             std::vector<QPDFObjectHandle> &reach)
{
    QPDFObjectHandle catalog = source.getRoot();
    root_ = catalog.getKey("/StructTreeRoot");
    ReadMap(root_.getKey("/RoleMap"), roles_);
    ReadMap(root_.getKey("/ClassMap"), classes_);
    name_ = name.toStdString();
    part_ = MakePart(source, root_, name_);
    part_.replaceKey("/P", references.Shared("structure root"));
    reach.push_back(part_);
    if (QPDFObjectHandle language = part_.getKey("/Lang"); language.isString())
        language_ = language.unparse();
    QPDFObjectHandle marked = ValueOf(catalog.getKey("/MarkInfo"), "/Marked");
    marked_ = marked.isBool() && marked.getBoolValue();
    if (QPDFObjectHandle tree = root_.getKey("/ParentTree"); tree.isDictionary())
        for (auto &[key, value] : QPDFNumberTreeObjectHelper(tree, source))
            if (key >= 0) {
                parents_[key] = value;
                reach.push_back(value);
            }
    QPDFObjectHandle declared = root_.getKey("/ParentTreeNextKey");
    declaredNext_ = declared.isInteger() ? declared.getIntValue() : 0;
    if (QPDFObjectHandle tree = root_.getKey("/IDTree"); tree.isDictionary())
        for (auto &[id, element] : QPDFNameTreeObjectHelper(tree, source)) {
            ids_[id] = element;
            reach.push_back(element);
        }
}

void StructurePiece::Number(StructureTurn &turn, const std::vector<QPDFObjectHandle> &pages)
{
    offset_ = turn.nextKey;
    next_ = offset_;
    for (const auto &[key, value] : parents_)
        next_ = std::max(next_, offset_ + key + 1);
    if (declaredNext_ > 0)
        next_ = std::max(next_, offset_ + declaredNext_);
    turn.nextKey = next_;
    // The keys pages, annotations and XObjects hold move past those of the sources before.
    std::set<QPDFObjGen> seen;
    for (QPDFObjectHandle page : pages)
        ForEachKeyHolder(page, seen, [&](QPDFObjectHandle holder) {
            for (const char *key : kParentKeys) {
                QPDFObjectHandle value = holder.getKey(key);
                if (value.isInteger() && parents_.count(value.getIntValue()))
                    holder.replaceKey(key,
                                      QPDFObjectHandle::newInteger(offset_ + value.getIntValue()));
                else
                    holder.removeKey(key); // it pointed into nothing in its source too
            }
        });
    std::map<std::string, std::string> roles, classes;
    MergeMap(roles_, turn.roles, newRoles_, roles);
    MergeMap(classes_, turn.classes, newClasses_, classes);
    for (QPDFObjectHandle element : StructureElements(part_))
        RenameRoleAndClass(element, roles, classes);
    for (auto &[id, element] : ids_) {
        std::string key = id;
        if (turn.ids.count(key)) {
            key = name_ + "/" + id;
            if (element.isDictionary())
                element.replaceKey("/ID", QPDFObjectHandle::newString(key));
        }
        if (turn.ids.insert(key).second)
            newIds_.push_back(key);
        bookIds_[id] = key;
    }
}

void StructurePiece::Withdraw(StructureTurn &turn) const
{
    turn.nextKey = offset_;
    for (const auto &[name, value] : newRoles_)
        turn.roles.erase(name);
    for (const auto &[name, value] : newClasses_)
        turn.classes.erase(name);
    for (const std::string &id : newIds_)
        turn.ids.erase(id);
}

PieceStructure StructurePiece::Summary(const std::function<int(QPDFObjectHandle)> &number)
{
    PieceStructure summary;
    summary.root = number(part_.getKey("/P"));
    summary.part = number(part_);
    for (auto &[key, value] : parents_) {
        PieceStructure::Parent &parent = summary.parents[offset_ + key];
        if (value.isIndirect()) {
            parent.object = number(value);
            continue;
        }
        parent.array = value.isArray();
        for (QPDFObjectHandle element :
             parent.array ? value.getArrayAsVector() : std::vector<QPDFObjectHandle>{value})
            parent.elements.push_back(element.isIndirect() ? number(element) : 0);
    }
    for (auto &[id, element] : ids_)
        if (element.isIndirect())
            summary.ids[bookIds_.at(id)] = number(element);
    summary.roles = newRoles_;
    summary.classes = newClasses_;
    summary.nextKey = next_;
    summary.language = language_;
    summary.marked = marked_;
    return summary;
}

} // namespace qf
