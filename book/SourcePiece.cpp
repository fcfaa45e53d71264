#include "book/SourcePiece.h"

#include "book/DamageWords.h"
#include "book/Import.h"
#include "book/PdfWrite.h"
#include "book/StructureWalk.h"

#include <openssl/evp.h>
#include <qpdf/QPDFNameTreeObjectHelper.hh>
#include <qpdf/QPDFPageLabelDocumentHelper.hh>

#include <QCoreApplication>
#include <QRegularExpression>

#include <deque>
#include <set>

namespace qf {
namespace {

// Stream data held from the reading to the writing, per source; past it, data is read again.
constexpr size_t kHeldData = 4 << 20;
// Streams that refer to streams kept once can be kept once in turn (an image with its soft mask).
constexpr int kMaxRounds = 4;
// Above every number a book's objects can have.
constexpr int kUnnumbered = 2'000'000'000;

// The objects that hold an action, or one it leads to, that opens another PDF that may be in the
// book: the book writes them, as it knows where they lead only once every source is in. Each is
// the nearest object of its own up the chain from such an action, starting at holder. One held in
// a stream (a damaged file's) keeps opening the other file.
void FindLinksToOtherFiles(QPDFObjectHandle action, QPDFObjectHandle holder,
                           std::set<QPDFObjGen> &seen, std::set<QPDFObjGen> &holders, int depth)
{
    if (!action.isDictionary() || action.isStream() || depth > kMaxActionChain ||
        (action.isIndirect() && !seen.insert(action.getObjGen()).second))
        return;
    if (action.isIndirect())
        holder = action;
    if (action.getKey("/S").isNameAndEquals("/GoToR") &&
        !FileInTheBook(action.getKey("/F")).isEmpty() && holder.isIndirect() && !holder.isStream())
        holders.insert(holder.getObjGen());
    QPDFObjectHandle next = action.getKey("/Next");
    for (QPDFObjectHandle item :
         next.isArray() ? next.getArrayAsVector() : std::vector<QPDFObjectHandle>{next})
        FindLinksToOtherFiles(item, holder, seen, holders, depth + 1);
}

std::string Sha256(const std::string &data)
{
    // Fetched once: OpenSSL looks the algorithm up anew on every call that names it.
    static EVP_MD *const sha256 = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    struct Context {
        EVP_MD_CTX *context = EVP_MD_CTX_new();
        ~Context() { EVP_MD_CTX_free(context); }
    };
    thread_local Context context;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (!sha256 || !context.context || !EVP_DigestInit_ex2(context.context, sha256, nullptr) ||
        !EVP_DigestUpdate(context.context, data.data(), data.size()) ||
        !EVP_DigestFinal_ex(context.context, digest, &size))
        throw std::runtime_error("no SHA-256 digest");
    return std::string(reinterpret_cast<const char *>(digest), size);
}

// A stream's data as it will be written: its bytes and what they are.
std::string Digest(const StreamBytes &data)
{
    return Sha256(data.data) + (data.compressed ? 'c' : data.decoded ? 'd' : 'r');
}

// A page label as the book writes it: only what a label says (its style, prefix and first
// number), each of its kind, so that the text always reads back as the label.
std::string LabelText(QPDFObjectHandle label)
{
    QPDFObjectHandle kept = QPDFObjectHandle::newDictionary();
    QPDFObjectHandle style = label.getKey("/S");
    for (const char *known : {"/D", "/R", "/r", "/A", "/a"})
        if (style.isNameAndEquals(known))
            kept.replaceKey("/S", QPDFObjectHandle::newName(known));
    if (QPDFObjectHandle prefix = label.getKey("/P"); prefix.isString())
        kept.replaceKey("/P", QPDFObjectHandle::newString(prefix.getStringValue()));
    if (QPDFObjectHandle first = label.getKey("/St"); first.isInteger())
        kept.replaceKey("/St", QPDFObjectHandle::newInteger(first.getIntValue()));
    return kept.unparse();
}

// A page's box as the book can take it, with the values of the numbers it refers to; empty for
// what is no box.
std::string Box(QPDFObjectHandle value)
{
    if (!value.isRectangle())
        return {};
    std::string box = "[";
    for (QPDFObjectHandle item : value.aitems())
        box += ' ' + item.unparseResolved();
    return box + " ]";
}

// Lets go of a name tree's nodes and their lists, leaves first, once its values were read.
void LetGoOfNameTree(QPDFObjectHandle root, const std::function<void(QPDFObjectHandle)> &letGo)
{
    std::vector<QPDFObjectHandle> nodes{root}, order;
    std::set<QPDFObjGen> seen;
    while (!nodes.empty() && order.size() < 1'000'000) {
        QPDFObjectHandle node = nodes.back();
        nodes.pop_back();
        if (!node.isDictionary() || !(node.hasKey("/Names") || node.hasKey("/Kids")) ||
            (node.isIndirect() && !seen.insert(node.getObjGen()).second))
            continue;
        order.push_back(node);
        if (QPDFObjectHandle kids = node.getKey("/Kids"); kids.isArray()) {
            order.push_back(kids);
            for (QPDFObjectHandle kid : kids.aitems())
                nodes.push_back(kid);
        }
        for (const char *key : {"/Names", "/Limits"})
            order.push_back(node.getKey(key));
    }
    for (auto node = order.rbegin(); node != order.rend(); ++node)
        if (!node->isSameObjectAs(root))
            letGo(*node);
}

} // namespace

QPDFObjectHandle BookReferences::StandIn()
{
    // Not null: a dictionary's null values are as good as absent, and left out.
    return source_.makeIndirectObject(QPDFObjectHandle::newDictionary());
}

QPDFObjectHandle BookReferences::Shared(const std::string &key)
{
    QPDFObjectHandle &standIn = shared_[key];
    if (!standIn.isInitialized())
        standIn = StandIn();
    return standIn;
}

QPDFObjectHandle BookReferences::OfPage(size_t index)
{
    QPDFObjectHandle &standIn = pages_[index];
    if (!standIn.isInitialized())
        standIn = StandIn();
    return standIn;
}

void PieceMaker::OwnAnnotations(QPDF &source)
{
    for (QPDFObjectHandle page : pages_) {
        QPDFObjectHandle annotations = page.getKey("/Annots");
        if (!annotations.isArray())
            continue;
        std::vector<QPDFObjectHandle> items = annotations.getArrayAsVector();
        bool direct = false;
        for (QPDFObjectHandle &item : items)
            if (item.isDictionary() && !item.isIndirect()) {
                ReadListedObjects(source);
                item = source.makeIndirectObject(item);
                direct = true;
            }
        if (direct)
            annotations.setArrayFromVector(items);
    }
    // A page of an untagged source that claims a place in a structure tree would claim another
    // source's place in the book's.
    if (source.getRoot().getKey("/StructTreeRoot").isDictionary())
        return;
    std::set<QPDFObjGen> seen;
    for (QPDFObjectHandle page : pages_)
        ForEachKeyHolder(page, seen, [](QPDFObjectHandle holder) {
            if (!holder.isStream())
                for (const char *key : kParentKeys)
                    holder.removeKey(key);
        });
}

void PieceMaker::ReadLinksToOtherFiles()
{
    std::set<QPDFObjGen> seen;
    for (QPDFObjectHandle page : pages_) {
        QPDFObjectHandle annotations = page.getKey("/Annots");
        if (!annotations.isArray())
            continue;
        for (QPDFObjectHandle annotation : annotations.aitems())
            if (annotation.isDictionary())
                FindLinksToOtherFiles(annotation.getKey("/A"), annotation, seen, byTheBook_, 0);
    }
}

void PieceMaker::ReadLabels(QPDF &source)
{
    if (!source.getRoot().getKey("/PageLabels").isDictionary() || pages_.empty())
        return;
    QPDFPageLabelDocumentHelper labels(source);
    if (!labels.hasPageLabels())
        return;
    std::vector<QPDFObjectHandle> entries;
    labels.getLabelsForPageRange(0, static_cast<long long>(pages_.size()) - 1, 0, entries);
    for (size_t i = 0; i + 1 < entries.size(); i += 2) {
        // qpdf gives pages that no range of the source covers a range of no style: they take
        // none, and are numbered as a source without labels is.
        if (!entries[i].isInteger() || !entries[i + 1].isDictionary() ||
            labels.getLabelForPage(entries[i].getIntValue()).isNull())
            continue;
        piece_.labels.emplace_back(entries[i].getIntValue(), LabelText(entries[i + 1]));
    }
}

void PieceMaker::ReadAttachments(QPDF &source, std::vector<QPDFObjectHandle> &reach)
{
    QPDFObjectHandle tree = ValueOf(source.getRoot().getKey("/Names"), "/EmbeddedFiles");
    if (!tree.isDictionary())
        return;
    for (auto &[name, fileSpec] : QPDFNameTreeObjectHelper(tree, source))
        if (fileSpec.isDictionary() && !fileSpec.isStream()) {
            attachments_[name] = fileSpec;
            ObjectsIn(fileSpec, reach);
        }
}

void PieceMaker::ReadDestinations(QPDF &source, const QString &name)
{
    QPDFObjectHandle root = source.getRoot();
    QPDFObjectHandle tree = ValueOf(root.getKey("/Names"), "/Dests"), dests = root.getKey("/Dests");
    if (tree.isDictionary() || dests.isDictionary()) {
        std::unordered_map<QPDFObjGen, int, ObjGenHash> pageIndex;
        for (size_t i = 0; i < pages_.size(); ++i)
            pageIndex.emplace(pages_[i].getObjGen(), int(i));
        // A manual's tens of thousands of destinations take qpdf a fifth of what it holds of the
        // file; those that nothing written refers to are of no more use once read.
        const auto letGo = [&](QPDFObjectHandle object) {
            const QPDFObjGen id = object.getObjGen();
            if (object.isIndirect() && !indexOf_.Has(id) && !pageIndex.count(id) &&
                !tree_.count(id) && !standIns_.count(id) && !object.isPagesObject())
                source.replaceObject(id, QPDFObjectHandle::newNull());
        };
        // The place a destination names, if it lands on one of the pages.
        const auto placeOf = [&](QPDFObjectHandle dest) -> std::optional<NamedPlace> {
            std::optional<NamedPlace> place;
            QPDFObjectHandle held = dest;
            if (dest.isDictionary())
                dest = dest.getKey("/D");
            if (dest.isArray() && dest.getArrayNItems() >= 1 && dest.getArrayItem(0).isIndirect())
                if (const auto page = pageIndex.find(dest.getArrayItem(0).getObjGen());
                    page != pageIndex.end())
                    place = NamedPlace{page->second, DestinationView(dest)};
            // Only what has the shape of a destination: a value that is something else stays.
            if (held.isArray() || (held.isDictionary() && held.hasKey("/D"))) {
                letGo(dest);
                letGo(held);
            }
            return place;
        };
        // A name the tree holds too is the tree's, as the book keeps both kinds in its tree.
        if (tree.isDictionary()) {
            for (auto &[key, value] : QPDFNameTreeObjectHelper(tree, source))
                if (const std::optional<NamedPlace> place = placeOf(value))
                    piece_.destinations[key] = *place;
            LetGoOfNameTree(tree, letGo);
        }
        if (dests.isDictionary())
            for (auto &[key, value] : dests.ditems())
                if (const std::optional<NamedPlace> place = placeOf(value))
                    piece_.destinations.emplace(key.substr(1), *place);
    }
    links_.Rename(pages_, NamePrefix(name));
}

void PieceMaker::HangPagesFromTree(QPDF &source)
{
    // Every page's parent is the book's page tree, damaged trees too: the first parent that is no
    // page stands for it. (A new object costs qpdf a look at all the others: only a source
    // without such a parent gets one.)
    std::unordered_set<QPDFObjGen, ObjGenHash> pages;
    for (QPDFObjectHandle page : pages_)
        pages.insert(page.getObjGen());
    QPDFObjectHandle tree;
    for (QPDFObjectHandle page : pages_)
        if (QPDFObjectHandle parent = page.getKey("/Parent");
            parent.isIndirect() && !pages.count(parent.getObjGen()) && !parent.isPageObject()) {
            tree_.insert(parent.getObjGen());
            if (!tree.isInitialized())
                tree = parent;
        }
    if (!tree.isInitialized()) {
        ReadListedObjects(source);
        tree = source.makeIndirectObject(QPDFObjectHandle::newDictionary());
    }
    tree_.insert(tree.getObjGen());
    for (QPDFObjectHandle page : pages_)
        if (!tree_.count(page.getKey("/Parent").getObjGen()))
            page.replaceKey("/Parent", tree);
}

void PieceMaker::ReferToTheBook(PdfFile &source, const QString &name, const PageChange &change,
                                std::vector<QPDFObjectHandle> &reach)
{
    const bool tagged = source.pdf.getRoot().getKey("/StructTreeRoot").isDictionary();
    if (!change && !tagged)
        return;
    ReadListedObjects(source.pdf);
    references_ = std::make_unique<BookReferences>(source.pdf);
    if (tagged) {
        structure_ = std::make_unique<StructurePiece>();
        structure_->Prepare(source.pdf, name, *references_, reach);
    }
    if (change)
        change(pages_, *references_, piece_);
    for (const auto &[key, standIn] : references_->shared_)
        standIns_.emplace(QPDFObjectHandle(standIn).getObjGen(), 0);
    for (const auto &[index, standIn] : references_->pages_)
        standIns_.emplace(QPDFObjectHandle(standIn).getObjGen(), 0);
}

void PieceMaker::Walk(const std::vector<QPDFObjectHandle> &roots,
                      std::vector<QPDFObjectHandle> &flate)
{
    // Numbered in the order first referred to, as the book's own objects are: neighbours in the
    // file are alike, and their object streams compress the better.
    std::deque<QPDFObjectHandle> queue;
    // referrer: the index of the object that refers to it, which must be written first.
    const auto take = [&](QPDFObjectHandle object, size_t referrer) {
        if (const std::optional<size_t> known = indexOf_.Find(object.getObjGen())) {
            size_t &last = reached_[*known].lastReferrer;
            last = std::max(last, referrer);
            return;
        }
        if (object.isPagesObject() || tree_.count(object.getObjGen()) ||
            standIns_.count(object.getObjGen()))
            return;
        indexOf_.Add(object.getObjGen(), reached_.size());
        reached_.push_back({object});
        reached_.back().lastReferrer = std::max(reached_.size() - 1, referrer);
        queue.push_back(object);
    };
    for (QPDFObjectHandle root : roots)
        take(root, 0);
    while (!queue.empty()) {
        QPDFObjectHandle object = queue.front();
        queue.pop_front();
        const size_t index = *indexOf_.Find(object.getObjGen());
        const bool stream = object.isStream();
        // What the object holds, its direct parts looked into, in the order written.
        std::vector<QPDFObjectHandle> pending{stream ? object.getDict() : object};
        const bool page = object.isPageObject();
        for (size_t depth = 0; !pending.empty(); ++depth) {
            QPDFObjectHandle part = pending.back();
            pending.pop_back();
            if (depth > 0 && part.isIndirect()) {
                take(part, index);
                continue;
            }
            if (part.isArray()) {
                const std::vector<QPDFObjectHandle> items = part.getArrayAsVector();
                pending.insert(pending.end(), items.rbegin(), items.rend());
            } else if (part.isDictionary()) {
                const std::map<std::string, QPDFObjectHandle> entries = part.getDictAsMap();
                // A stream's length is written anew; a page's parent is the book's tree.
                for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
                    if (!(depth == 0 && stream && entry->first == "/Length") &&
                        !(depth == 0 && page && entry->first == "/Parent"))
                        pending.push_back(entry->second);
            }
        }
        if (stream) {
            streams_.push_back({index, {}, false, {}, 0});
            if (IsFlate(object.getDict()))
                flate.push_back(object);
        }
    }
}

void PieceMaker::ReadStreams(PdfFile &source, const std::vector<QPDFObjectHandle> &flate)
{
    TryFlateStreams(source, flate);
    for (const auto &[stream, detail] : source.undecodable)
        if (undecodable_.isEmpty())
            undecodable_ = detail;
    const UndecodableStream undecodable = [&](QPDFObjGen, const std::string &detail) {
        if (undecodable_.isEmpty())
            undecodable_ = InUserWords(detail.empty() ? "bad encoded data" : detail);
    };
    size_t held = 0;
    for (Stream &stream : streams_) {
        StreamBytes data = WrittenStreamData(reached_[stream.object].object, undecodable);
        stream.digest = Digest(data);
        stream.size = data.data.size();
        held += stream.size;
        stream.dataHeld = held <= kHeldData;
        if (stream.dataHeld)
            stream.data = std::move(data);
    }
}

void PieceMaker::ReadListedObjects(QPDF &source)
{
    // qpdf reads every object a source's cross-reference table lists before it makes the first
    // new one, those nothing refers to included (cairo lists some it never wrote). Called before
    // the book makes one, what that finds is set aside until the book knows which objects it
    // takes. (Done for every source, it would cost a tenth more time.)
    const size_t before = source.numWarnings();
    source.getObjectCount();
    if (source.numWarnings() == before)
        return;
    std::vector<QPDFExc> all = source.getWarnings();
    const auto found = all.begin() + std::ptrdiff_t(before);
    listedDamage_.insert(listedDamage_.end(), found, all.end());
    all.erase(found, all.end());
    for (const QPDFExc &warning : all)
        source.warn(warning);
}

void PieceMaker::KeepDamageOfHeldObjects(QPDF &source)
{
    // What was found wrong only with objects the book does not take loses nothing.
    static const QRegularExpression object(
        QStringLiteral("(?:^|\\D)(\\d+) (\\d+)(?: obj|$| not found)"));
    enum class About { Nothing, Elsewhere, Held };
    const auto about = [&](const QPDFExc &warning) {
        About said = About::Nothing;
        for (const std::string &text : {warning.getObject(), warning.getMessageDetail()}) {
            QRegularExpressionMatchIterator found =
                object.globalMatch(QString::fromStdString(text));
            while (found.hasNext()) {
                const QRegularExpressionMatch match = found.next();
                if (indexOf_.Has(QPDFObjGen(match.captured(1).toInt(), match.captured(2).toInt())))
                    return About::Held;
                said = About::Elsewhere;
            }
        }
        return said;
    };
    std::vector<About> said;
    for (const QPDFExc &warning : listedDamage_)
        said.push_back(about(warning));
    const bool elsewhereOnly = std::count(said.begin(), said.end(), About::Held) == 0 &&
                               std::count(said.begin(), said.end(), About::Elsewhere) > 0;
    for (size_t i = 0; i < listedDamage_.size(); ++i)
        if (said[i] == About::Held || (said[i] == About::Nothing && !elsewhereOnly))
            source.warn(listedDamage_[i]);
    listedDamage_.clear();
}

bool PieceMaker::Prepare(PdfFile &source, const QString &name, const PageChange &change,
                         const PieceChanges &changes, const SourceFacts &facts)
{
    try {
        QPDFObjectHandle drawAnew =
            ValueOf(source.pdf.getRoot().getKey("/AcroForm"), "/NeedAppearances");
        if (changes.fit || changes.forFiling || (drawAnew.isBool() && drawAnew.getBoolValue()))
            ReadListedObjects(source.pdf);
        // The book's page tree is not the source's: what pages inherit from it, they hold.
        source.pdf.pushInheritedAttributesToPage();
        pages_ = source.pdf.getAllPages();
        piece_.scaledPages = FitPages(source.pdf, pages_, changes.fit, &piece_.moves);
        if (changes.forFiling)
            piece_.filing = MakeFitForFiling(source.pdf, pages_);
        if (changes.sizes)
            for (QPDFPageObjectHelper page : pages_) {
                const ShownPage shown = Shown(page);
                piece_.sizes.Add(shown.width, shown.height);
            }
        HangPagesFromTree(source.pdf);
        OwnAnnotations(source.pdf);
        ReadLabels(source.pdf);
        ReadLinksToOtherFiles();
        std::vector<QPDFObjectHandle> tree, flate;
        ReferToTheBook(source, name, change, tree);
        ReadAttachments(source.pdf, tree);
        layers_ = ReadLayers(source.pdf, tree);
        form_.Prepare(source.pdf, pages_, tree);
        // The pages and what they reach first, then the tree: each written as it is reached.
        Walk(pages_, flate);
        Walk(tree, flate);
        KeepDamageOfHeldObjects(source.pdf);
        ReadStreams(source, flate);
        if (facts)
            piece_.facts = facts(source.pdf);
        ReadDestinations(source.pdf, name);
    } catch (const std::exception &e) {
        problem_ = PdfFailureReason(e);
        return false;
    }
    return true;
}

QPDFObjectHandle PieceMaker::WrittenFor(QPDFObjectHandle object) const
{
    return form_.For(object, links_.For(object));
}

int PieceMaker::Resolve(QPDFObjectHandle object) const
{
    const std::optional<size_t> found = indexOf_.Find(object.getObjGen());
    if (!found) {
        if (const auto standIn = standIns_.find(object.getObjGen()); standIn != standIns_.end())
            return standIn->second;
        return object.isPagesObject() || tree_.count(object.getObjGen()) ? pageTree_ : 0;
    }
    const Reached &reached = reached_[Kept(*found)];
    return reached.sameAs > 0 ? reached.sameAs : reached.number;
}

size_t PieceMaker::Kept(size_t object) const
{
    // A stream found the same as one before it in this source is written as that one, which may
    // in turn have been found the same as another.
    for (int hops = 0; reached_[object].sameHere >= 0 && hops <= kMaxRounds; ++hops)
        object = size_t(reached_[object].sameHere);
    return object;
}

std::string PieceMaker::Describe(size_t stream, bool &local) const
{
    const Stream &s = streams_[stream];
    // Before the source's objects have numbers, each stands for itself beyond any number a book
    // can hold.
    const NumberOf resolve = [&](QPDFObjectHandle object) {
        const std::optional<size_t> found = indexOf_.Find(object.getObjGen());
        if (!found)
            return Resolve(object);
        const size_t kept = Kept(*found);
        if (reached_[kept].number > 0 || reached_[kept].sameAs > 0)
            return Resolve(object);
        local = true;
        return kUnnumbered - int(kept);
    };
    StreamBytes length;
    length.compressed = s.digest.back() == 'c';
    length.decoded = length.compressed || s.digest.back() == 'd';
    return s.digest + StreamDictionaryText(reached_[s.object].object, length, resolve);
}

void PieceMaker::Number(BookNumbering &numbering)
{
    taken_ = {numbering.next, numbering.carried, {}, {}};
    // The tree's keys and names move first: they are part of what the streams are compared by.
    if (structure_)
        structure_->Number(numbering.structure, pages_);
    form_.Number(numbering.form);
    pageTree_ = numbering.pageTree;
    objectStreams_ = numbering.objectStreams;
    // Streams the book holds already, or this source holds twice, are found first, so that the
    // numbers go on without a gap. A stream whose dictionary changes once those it refers to are
    // found kept is looked up again.
    std::unordered_map<std::string, size_t> here;
    for (int round = 0; round < kMaxRounds; ++round) {
        bool dropped = false;
        for (size_t i = 0; i < streams_.size(); ++i) {
            Reached &reached = reached_[streams_[i].object];
            if (reached.sameAs > 0 || reached.sameHere >= 0)
                continue;
            bool local = false;
            const std::string key = Describe(i, local);
            if (const auto kept = numbering.streams.find(key);
                !local && kept != numbering.streams.end())
                reached.sameAs = kept->second;
            else if (const auto [first, added] = here.try_emplace(key, streams_[i].object);
                     !added && first->second != streams_[i].object)
                reached.sameHere = int(first->second);
            else
                continue;
            ++shared_.streams;
            shared_.bytes += static_cast<long long>(streams_[i].size);
            dropped = true;
        }
        if (!dropped)
            break;
    }
    int next = numbering.next;
    size_t packed = 0;
    for (Reached &reached : reached_) {
        if (reached.sameAs > 0 || reached.sameHere >= 0)
            continue;
        reached.number = next++;
        packed += reached.object.isStream() || byTheBook_.count(reached.object.getObjGen()) ? 0 : 1;
    }
    // The streams kept are what the sources after this one find.
    for (size_t i = 0; i < streams_.size(); ++i) {
        const Reached &reached = reached_[streams_[i].object];
        bool local = false;
        if (reached.number > 0) {
            std::string key = Describe(i, local);
            if (numbering.streams.try_emplace(key, reached.number).second)
                taken_.streams.push_back(std::move(key));
        }
    }
    if (references_) {
        for (auto &[index, standIn] : references_->pages_)
            standIns_[standIn.getObjGen()] = next++;
        for (auto &[key, standIn] : references_->shared_) {
            const auto [known, added] = numbering.shared.try_emplace(key, next);
            if (added) {
                taken_.shared.push_back(key);
                ++next;
            }
            standIns_[standIn.getObjGen()] = known->second;
        }
    }
    nextNumber_ = next;
    numbering.next = next;
    if (objectStreams_) {
        // The objects carried from the sources before this one go first into its object streams.
        const size_t waiting = numbering.carried + packed;
        objectStreamCount_ = waiting / kObjectsPerStream;
        numbering.carried = waiting % kObjectsPerStream;
        numbering.next += int(objectStreamCount_);
    }
}

void PieceMaker::Withdraw(BookNumbering &numbering)
{
    for (const std::string &key : taken_.streams)
        numbering.streams.erase(key);
    for (const std::string &key : taken_.shared)
        numbering.shared.erase(key);
    numbering.next = taken_.next;
    numbering.carried = taken_.carried;
    if (structure_)
        structure_->Withdraw(numbering.structure);
    form_.Withdraw(numbering.form);
    taken_ = {};
}

bool PieceMaker::Write()
{
    const NumberOf resolve = [this](QPDFObjectHandle object) { return Resolve(object); };
    try {
        // What the book takes of the source but its objects, read while they are all there.
        for (size_t i = 0; i < pages_.size(); ++i) {
            piece_.pages.push_back(Resolve(pages_[i]));
            const auto own = references_ ? references_->pages_.find(i)
                                         : decltype(references_->pages_)::iterator();
            piece_.pageObjects.push_back(
                references_ && own != references_->pages_.end() ? Resolve(own->second) : 0);
        }
        if (!pages_.empty()) {
            QPDFObjectHandle last = pages_.back();
            piece_.lastMediaBox = Box(last.getKey("/MediaBox"));
            piece_.lastCropBox = Box(last.getKey("/CropBox"));
            if (QPDFObjectHandle rotate = last.getKey("/Rotate"); rotate.isInteger())
                piece_.lastRotate = std::to_string(rotate.getIntValue());
        }
        for (const auto &[name, fileSpec] : attachments_)
            piece_.attachments[name] = Detached(fileSpec, resolve);
        attachments_.clear();
        if (!form_.Empty())
            piece_.form = form_.Summary(resolve);
        if (structure_)
            piece_.structure = structure_->Summary(resolve);
        // Detached here, on the source's thread: the book takes them on its own.
        if (layers_)
            piece_.layers = MapLayers(
                *layers_, [&](QPDFObjectHandle value) { return Detached(value, resolve); });
        layers_.reset();

        layout_ = std::make_unique<ObjectLayout>(
            objectStreams_, [this] { return nextNumber_++; }, piece_.written, true);
        // Each object is let go of in the source once the last object that refers to it is
        // written: qpdf holds about 4 kB for each, and written, it is a tenth of that.
        std::vector<std::pair<size_t, size_t>> letGo;
        letGo.reserve(reached_.size());
        std::unordered_set<QPDFObjGen, ObjGenHash> pages;
        for (QPDFObjectHandle page : pages_)
            pages.insert(page.getObjGen());
        for (size_t i = 0; i < reached_.size(); ++i)
            if (!pages.count(reached_[i].object.getObjGen()))
                letGo.emplace_back(reached_[i].lastReferrer, i);
        std::sort(letGo.begin(), letGo.end());
        auto next = letGo.begin();
        size_t stream = 0;
        for (size_t i = 0; i < reached_.size(); ++i) {
            Reached &reached = reached_[i];
            const bool isStream = reached.object.isStream();
            Stream *s = isStream ? &streams_[stream++] : nullptr;
            if (reached.number <= 0) {
                // written as another
            } else if (!s && byTheBook_.count(reached.object.getObjGen())) {
                piece_.byTheBook.push_back(
                    {reached.number, Detached(WrittenFor(reached.object).shallowCopy(), resolve)});
            } else {
                if (s && !s->dataHeld) {
                    s->data = WrittenStreamData(reached.object, nullptr);
                    // Later sources may have found it the same as theirs by what was read
                    // before.
                    if (Digest(s->data) != s->digest)
                        throw std::runtime_error(
                            QCoreApplication::translate("Book",
                                                        "changed while the book was being made")
                                .toStdString());
                }
                layout_->Add(WrittenFor(reached.object), reached.number, resolve,
                             s ? &s->data : nullptr);
                if (s)
                    s->data = {};
            }
            for (; next != letGo.end() && next->first <= i; ++next) {
                QPDFObjectHandle object = reached_[next->second].object;
                object.getOwningQPDF()->replaceObject(object.getObjGen(),
                                                      QPDFObjectHandle::newNull());
            }
        }
    } catch (const std::exception &e) {
        layout_.reset();
        problem_ = PdfFailureReason(e);
        return false;
    }
    piece_.shared = shared_;
    piece_.undecodable = undecodable_;
    return true;
}

void PieceMaker::Pack(PendingObjects &carried)
{
    if (!layout_)
        return;
    carried.Append(std::move(layout_->Pending()));
    // Only full object streams, as many as were numbered; the rest waits for the next source.
    const size_t kept = std::min(objectStreamCount_ * kObjectsPerStream,
                                 carried.index.size() / kObjectsPerStream * kObjectsPerStream);
    PendingObjects rest = carried.TakeFrom(kept);
    layout_->Pending() = std::move(carried);
    carried = std::move(rest);
}

std::optional<SourcePiece> PieceMaker::Finish()
{
    if (!layout_)
        return std::nullopt;
    layout_->Flush();
    layout_.reset();
    return std::move(piece_);
}

} // namespace qf
