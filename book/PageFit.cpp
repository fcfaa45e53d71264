#include "book/PageFit.h"

#include "book/ObjectWriter.h"
#include "book/PageContent.h"
#include "book/ShownPage.h"

#include <qpdf/QPDFPageObjectHelper.hh>

#include <QByteArray>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <set>
#include <unordered_map>

namespace qf {
namespace {

constexpr double kNear = 2; // points: a page this close to the size keeps its own

using Move = PageMove;

QPDFObjectHandle Number(double value)
{
    return QPDFObjectHandle::newReal(value, 4, true);
}

// Moves the numbers of array, read as x, y pairs from first on (each pair from step to step);
// what is not a number stays.
void MovePairs(QPDFObjectHandle array, const Move &move, int first = 0)
{
    if (!array.isArray())
        return;
    const int count = array.getArrayNItems();
    for (int i = first; i + 1 < count; i += 2) {
        QPDFObjectHandle x = array.getArrayItem(i), y = array.getArrayItem(i + 1);
        if (x.isNumber())
            array.setArrayItem(i, Number(move.X(x.getNumericValue())));
        if (y.isNumber())
            array.setArrayItem(i + 1, Number(move.Y(y.getNumericValue())));
    }
}

// A rectangle moved; its corners in order again.
QPDFObjectHandle MovedRectangle(QPDFObjectHandle box, const Move &move)
{
    const QPDFObjectHandle::Rectangle r = box.getArrayAsRectangle();
    return QPDFObjectHandle::newFromRectangle(
        {std::min(move.X(r.llx), move.X(r.urx)), std::min(move.Y(r.lly), move.Y(r.ury)),
         std::max(move.X(r.llx), move.X(r.urx)), std::max(move.Y(r.lly), move.Y(r.ury))});
}

void MoveAnnotation(QPDFObjectHandle annotation, const Move &move)
{
    if (QPDFObjectHandle rect = annotation.getKey("/Rect"); rect.isRectangle())
        annotation.replaceKey("/Rect", MovedRectangle(rect, move));
    for (const char *key : {"/QuadPoints", "/Vertices", "/L", "/CL"})
        MovePairs(annotation.getKey(key), move);
    if (QPDFObjectHandle ink = annotation.getKey("/InkList"); ink.isArray())
        for (QPDFObjectHandle path : ink.aitems())
            MovePairs(path, move);
    // Insets from the rectangle only grow and shrink.
    if (QPDFObjectHandle insets = annotation.getKey("/RD"); insets.isArray())
        for (int i = 0; i < insets.getArrayNItems(); ++i)
            if (QPDFObjectHandle inset = insets.getArrayItem(i); inset.isNumber())
                insets.setArrayItem(i, Number(move.scale * inset.getNumericValue()));
}

// The source's destinations on the pages moved: each array [page /XYZ left top zoom] and the
// like, wherever the source holds one, moved once.
class Destinations {
public:
    explicit Destinations(const std::unordered_map<QPDFObjGen, Move, ObjGenHash> &moves)
        : moves_(moves)
    {}
    void InValue(QPDFObjectHandle value, int depth = 0)
    {
        if (depth > 32 || !Unseen(value))
            return;
        if (value.isArray()) {
            Destination(value);
        } else if (value.isDictionary()) {
            InValue(value.getKey("/D"), depth + 1); // a named destination's dictionary, an action
            InAction(value.getKey("/A"), depth + 1);
            InValue(value.getKey("/Dest"), depth + 1);
        }
    }
    void InAction(QPDFObjectHandle action, int depth = 0)
    {
        if (depth > 32 || !action.isDictionary() || !Unseen(action))
            return;
        if (action.getKey("/S").isNameAndEquals("/GoTo"))
            Destination(action.getKey("/D"));
        QPDFObjectHandle next = action.getKey("/Next");
        if (next.isArray())
            for (QPDFObjectHandle item : next.aitems())
                InAction(item, depth + 1);
        else
            InAction(next, depth + 1);
    }
    void InNameTree(QPDFObjectHandle node, int depth = 0)
    {
        if (depth > 32 || !node.isDictionary() || !Unseen(node))
            return;
        if (QPDFObjectHandle names = node.getKey("/Names"); names.isArray())
            for (int i = 1; i < names.getArrayNItems(); i += 2)
                InValue(names.getArrayItem(i));
        if (QPDFObjectHandle kids = node.getKey("/Kids"); kids.isArray())
            for (QPDFObjectHandle kid : kids.aitems())
                InNameTree(kid, depth + 1);
    }
    void InOutline(QPDFObjectHandle item)
    {
        // Siblings are followed in a loop, children by the stack, each item once.
        std::vector<QPDFObjectHandle> stack{item};
        while (!stack.empty()) {
            QPDFObjectHandle at = stack.back();
            stack.pop_back();
            for (; at.isDictionary() && Unseen(at); at = at.getKey("/Next")) {
                Destination(at.getKey("/Dest"));
                InAction(at.getKey("/A"));
                stack.push_back(at.getKey("/First"));
            }
        }
    }

private:
    bool Unseen(QPDFObjectHandle object)
    {
        return !object.isIndirect() || seen_.insert(object.getObjGen()).second;
    }
    void Destination(QPDFObjectHandle dest)
    {
        if (!dest.isArray() || dest.getArrayNItems() < 2)
            return;
        if (const auto found = moves_.find(dest.getArrayItem(0).getObjGen()); found != moves_.end())
            MoveSpot(dest, found->second);
    }

    const std::unordered_map<QPDFObjGen, Move, ObjGenHash> &moves_;
    std::set<QPDFObjGen> seen_;
};

} // namespace

void MoveSpot(QPDFObjectHandle dest, const PageMove &move)
{
    if (!dest.isArray() || dest.getArrayNItems() < 2 || !dest.getArrayItem(1).isName())
        return;
    // Reading past an array's end would count as a repair of the source.
    const auto set = [&](int at, bool isX) {
        if (at >= dest.getArrayNItems())
            return;
        if (QPDFObjectHandle value = dest.getArrayItem(at); value.isNumber())
            dest.setArrayItem(at, Number(isX ? move.X(value.getNumericValue())
                                             : move.Y(value.getNumericValue())));
    };
    const std::string kind = dest.getArrayItem(1).getName();
    if (kind == "/XYZ") {
        set(2, true);
        set(3, false);
    } else if (kind == "/FitH" || kind == "/FitBH") {
        set(2, false);
    } else if (kind == "/FitV" || kind == "/FitBV") {
        set(2, true);
    } else if (kind == "/FitR") {
        MovePairs(dest, move, 2);
    }
}

PageFit PageFit::Named(const QString &name)
{
    if (name.compare(QLatin1String("A4"), Qt::CaseInsensitive) == 0)
        return {595.276, 841.89};
    if (name.compare(QLatin1String("Letter"), Qt::CaseInsensitive) == 0)
        return {612, 792};
    return {};
}

QString PageFit::Name() const
{
    if (!*this)
        return QString();
    return width < 600 ? QStringLiteral("A4") : QStringLiteral("Letter");
}

namespace {

// The shown box in the page's own space, as x, y, width and height: its lower left corner,
// whichever of its corners the page names first.
std::array<double, 4> InPageSpace(const ShownPage &shown)
{
    const double *m = shown.matrix;
    const bool turned = m[1] != 0;
    return {std::min(m[4], m[4] + m[0] * shown.width + m[2] * shown.height),
            std::min(m[5], m[5] + m[1] * shown.width + m[3] * shown.height),
            turned ? shown.height : shown.width, turned ? shown.width : shown.height};
}

} // namespace

std::array<double, 4> VisibleBox(QPDFPageObjectHelper &page)
{
    const auto [x, y, w, h] = InPageSpace(Shown(page));
    double x0 = x, y0 = y, x1 = x + w, y1 = y + h;
    if (QPDFObjectHandle media = page.getAttribute("/MediaBox", false); media.isRectangle()) {
        const QPDFObjectHandle::Rectangle m = media.getArrayAsRectangle();
        const double mx0 = std::min(m.llx, m.urx), mx1 = std::max(m.llx, m.urx);
        const double my0 = std::min(m.lly, m.ury), my1 = std::max(m.lly, m.ury);
        // A crop box wholly outside the media box is a damaged page's: the crop box stands.
        if (std::max(x0, mx0) < std::min(x1, mx1) && std::max(y0, my0) < std::min(y1, my1)) {
            x0 = std::max(x0, mx0);
            y0 = std::max(y0, my0);
            x1 = std::min(x1, mx1);
            y1 = std::min(y1, my1);
        }
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

namespace {

// The pages' content drawn through their moves, clipped to what each showed; their annotations
// and the source's destinations on them moved alike.
class Mover {
public:
    explicit Mover(QPDF &source) : source_(source) {}

    void Move(QPDFObjectHandle page, const qf::Move &move, const std::array<double, 4> &visible)
    {
        // What the content leaves set ends with it.
        QByteArray begin = "q ";
        for (double value : {move.scale, 0.0, 0.0, move.scale, move.dx, move.dy})
            begin += QByteArray::number(value, 'f', 4) + ' ';
        begin += "cm ";
        for (double value : visible)
            begin += QByteArray::number(value, 'f', 4) + ' ';
        begin += "re W n\n";
        QPDFObjectHandle &before = befores_[begin];
        if (!before.isInitialized())
            before = QPDFObjectHandle::newStream(&source_, begin.toStdString());
        if (!after_.isInitialized())
            after_ = QPDFObjectHandle::newStream(&source_, "\nQ\n");
        PutContentBetween(page, before, after_);
        // An annotation some files list on two pages moves once.
        if (QPDFObjectHandle annotations = page.getKey("/Annots"); annotations.isArray())
            for (QPDFObjectHandle annotation : annotations.aitems())
                if (annotation.isDictionary() &&
                    (!annotation.isIndirect() || moved_.insert(annotation.getObjGen()).second))
                    MoveAnnotation(annotation, move);
        moves_[page.getObjGen()] = move;
    }

    // The source's destinations on the pages moved, each once.
    void MoveDestinations(const std::vector<QPDFObjectHandle> &pages)
    {
        if (moves_.empty())
            return;
        Destinations destinations(moves_);
        QPDFObjectHandle root = source_.getRoot();
        if (QPDFObjectHandle dests = root.getKey("/Dests"); dests.isDictionary())
            for (auto &[name, value] : dests.getDictAsMap())
                destinations.InValue(value);
        if (QPDFObjectHandle names = root.getKey("/Names"); names.isDictionary())
            destinations.InNameTree(names.getKey("/Dests"));
        if (QPDFObjectHandle outlines = root.getKey("/Outlines"); outlines.isDictionary())
            destinations.InOutline(outlines.getKey("/First"));
        destinations.InValue(root.getKey("/OpenAction"));
        for (QPDFObjectHandle page : pages)
            if (QPDFObjectHandle annotations = page.getKey("/Annots"); annotations.isArray())
                for (QPDFObjectHandle annotation : annotations.aitems())
                    destinations.InValue(annotation);
    }

    int Moved() const { return int(moves_.size()); }

private:
    QPDF &source_;
    std::unordered_map<QPDFObjGen, qf::Move, ObjGenHash> moves_;
    std::map<QByteArray, QPDFObjectHandle> befores_; // one for each move, shared by its pages
    QPDFObjectHandle after_;
    std::set<QPDFObjGen> moved_; // annotations
};

} // namespace

int FitPages(QPDF &source, const std::vector<QPDFObjectHandle> &pages, const PageFit &fit,
             PageMoves *moves)
{
    if (!fit)
        return 0;
    Mover mover(source);
    for (size_t i = 0; i < pages.size(); ++i) {
        QPDFObjectHandle page = pages[i];
        QPDFPageObjectHelper helper(page);
        const ShownPage shown = Shown(helper);
        // The shown box in the page's own space, and the size it takes there.
        const auto [x0, y0, w, h] = InPageSpace(shown);
        const bool turned = shown.matrix[1] != 0;
        const bool landscape = shown.width > shown.height;
        const double shownWidth = landscape ? fit.height : fit.width;
        const double shownHeight = landscape ? fit.width : fit.height;
        const double width = turned ? shownHeight : shownWidth;
        const double height = turned ? shownWidth : shownHeight;
        if (w <= 0 || h <= 0 || (std::abs(w - width) <= kNear && std::abs(h - height) <= kNear))
            continue;
        // What it showed, read before its boxes change.
        const std::array<double, 4> visible = VisibleBox(helper);
        qf::Move move;
        move.scale = std::min(width / w, height / h);
        move.dx = (width - move.scale * w) / 2 - move.scale * x0;
        move.dy = (height - move.scale * h) / 2 - move.scale * y0;
        for (const char *key : {"/BleedBox", "/TrimBox", "/ArtBox"})
            if (QPDFObjectHandle box = page.getKey(key); box.isRectangle())
                page.replaceKey(key, MovedRectangle(box, move));
        page.replaceKey("/MediaBox", QPDFObjectHandle::newFromRectangle({0, 0, width, height}));
        page.removeKey("/CropBox");
        mover.Move(page, move, visible);
        if (moves)
            (*moves)[int(i)] = move;
    }
    mover.MoveDestinations(pages);
    return mover.Moved();
}

void ShrinkPages(QPDF &source, const std::vector<QPDFObjectHandle> &pages,
                 const std::vector<PageShrink> &shrinks, PageMoves *moves)
{
    Mover mover(source);
    std::unordered_map<QPDFObjGen, int, ObjGenHash> places;
    if (moves)
        for (size_t i = 0; i < pages.size(); ++i)
            places.emplace(pages[i].getObjGen(), int(i));
    for (const PageShrink &shrink : shrinks) {
        QPDFPageObjectHelper helper(shrink.page);
        const std::array<double, 4> visible = VisibleBox(helper);
        const double cx = visible[0] + visible[2] / 2, cy = visible[1] + visible[3] / 2;
        const Move move{shrink.scale, cx * (1 - shrink.scale), cy * (1 - shrink.scale)};
        mover.Move(shrink.page, move, visible);
        // A page scaled to the book's size first is shrunk on from there.
        if (const auto place = places.find(shrink.page.getObjGen()); place != places.end())
            (*moves)[place->second] = (*moves)[place->second].Then(move);
    }
    mover.MoveDestinations(pages);
}

} // namespace qf
