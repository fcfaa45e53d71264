#include "book/PageMarks.h"

#include "book/PageFit.h"

#include <qpdf/Pl_String.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <string_view>

namespace qf {
namespace {

constexpr int kMaxFormDepth = 8;
// Past this many operators a page is taken as covered: reading on would cost more than it saves.
constexpr size_t kMaxOperators = 2'000'000;
constexpr double kInfinite = std::numeric_limits<double>::infinity();

struct Matrix {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
    // This, then then: a point goes through this first.
    Matrix Then(const Matrix &m) const
    {
        return {a * m.a + b * m.c, a * m.b + b * m.d,       c * m.a + d * m.c,
                c * m.b + d * m.d, e * m.a + f * m.c + m.e, e * m.b + f * m.d + m.f};
    }
    void Apply(double x, double y, double &outX, double &outY) const
    {
        outX = a * x + c * y + e;
        outY = b * x + d * y + f;
    }
};

struct Bounds {
    double x0 = kInfinite, y0 = kInfinite, x1 = -kInfinite, y1 = -kInfinite;
    bool Empty() const { return x0 > x1 || y0 > y1; }
    void Add(double x, double y)
    {
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
    }
    // The box of this box's corners through m.
    Bounds Through(const Matrix &m) const
    {
        Bounds out;
        if (Empty())
            return out;
        for (const auto &[x, y] : {std::pair{x0, y0}, {x0, y1}, {x1, y0}, {x1, y1}}) {
            double tx = 0, ty = 0;
            m.Apply(x, y, tx, ty);
            out.Add(tx, ty);
        }
        return out;
    }
    Bounds Within(const Bounds &clip) const
    {
        return {std::max(x0, clip.x0), std::max(y0, clip.y0), std::min(x1, clip.x1),
                std::min(y1, clip.y1)};
    }
};

// A font's advance widths, in thousandths of its size.
struct FontWidths {
    bool twoBytes = false; // a composite font's codes, taken as two bytes each
    int first = 0;
    std::vector<double> widths; // from first on
    std::map<int, double> byCode;
    double missing = 600;
    double scale = 0.001; // a Type 3 font's matrix

    double Of(int code) const
    {
        if (const auto found = byCode.find(code); found != byCode.end())
            return found->second;
        if (code >= first && code - first < int(widths.size()))
            return widths[size_t(code - first)];
        return missing;
    }
};

FontWidths ReadWidths(QPDFObjectHandle font)
{
    FontWidths out;
    if (!font.isDictionary())
        return out;
    if (font.getKey("/Subtype").isNameAndEquals("/Type0")) {
        out.twoBytes = true;
        out.missing = 1000;
        QPDFObjectHandle descendants = font.getKey("/DescendantFonts");
        QPDFObjectHandle cid = descendants.isArray() && descendants.getArrayNItems() > 0
                                   ? descendants.getArrayItem(0)
                                   : QPDFObjectHandle::newNull();
        if (!cid.isDictionary())
            return out;
        if (QPDFObjectHandle dw = cid.getKey("/DW"); dw.isNumber())
            out.missing = dw.getNumericValue();
        QPDFObjectHandle w = cid.getKey("/W");
        if (!w.isArray())
            return out;
        const int n = w.getArrayNItems();
        for (int i = 0; i + 1 < n && out.byCode.size() < 65536;) {
            QPDFObjectHandle start = w.getArrayItem(i), next = w.getArrayItem(i + 1);
            if (!start.isInteger())
                break;
            const int code = int(start.getIntValue());
            if (next.isArray()) {
                int at = code;
                for (QPDFObjectHandle width : next.aitems())
                    if (width.isNumber() && out.byCode.size() < 65536)
                        out.byCode[at++] = width.getNumericValue();
                i += 2;
            } else if (i + 2 < n && next.isInteger() && w.getArrayItem(i + 2).isNumber()) {
                const int last = std::min(int(next.getIntValue()), code + 65536);
                const double width = w.getArrayItem(i + 2).getNumericValue();
                for (int at = code; at <= last; ++at)
                    out.byCode[at] = width;
                i += 3;
            } else {
                break;
            }
        }
        return out;
    }
    if (QPDFObjectHandle matrix = font.getKey("/FontMatrix");
        matrix.isArray() && matrix.getArrayNItems() >= 1 && matrix.getArrayItem(0).isNumber())
        out.scale = std::abs(matrix.getArrayItem(0).getNumericValue());
    if (QPDFObjectHandle missing = font.getKey("/FontDescriptor").isDictionary()
                                       ? font.getKey("/FontDescriptor").getKey("/MissingWidth")
                                       : QPDFObjectHandle::newNull();
        missing.isNumber() && missing.getNumericValue() > 0)
        out.missing = missing.getNumericValue();
    if (QPDFObjectHandle first = font.getKey("/FirstChar"); first.isInteger())
        out.first = int(first.getIntValue());
    if (QPDFObjectHandle widths = font.getKey("/Widths"); widths.isArray())
        for (QPDFObjectHandle width : widths.aitems())
            out.widths.push_back(width.isNumber() ? width.getNumericValue() : out.missing);
    return out;
}

struct State {
    Matrix ctm;
    Bounds clip;
    bool whiteFill = false;
    double lineWidth = 1;
    // Text state.
    QPDFObjectHandle font;
    double size = 0, charSpace = 0, wordSpace = 0, scale = 1, leading = 0, rise = 0;
    int render = 0;
};

// One operand of a content stream's operator, as far as the marks need it.
struct Operand {
    enum Kind { Number, Name, String, Array, Other } kind = Other;
    double number = 0;
    std::string text;           // a name without its slash, or a string's bytes
    std::vector<Operand> items; // an array's
};

// Reads a content stream's bytes into operators and their operands. qpdf's own parser makes an
// object of every token, which costs a page numbered for its room five times what it costs
// without it.
class Lexer {
public:
    explicit Lexer(std::string_view data) : data_(data) {}

    // The next operator, its operands before it; false at the end.
    bool Next(std::string_view &op, std::vector<Operand> &operands)
    {
        operands.clear();
        for (;;) {
            SkipSpace();
            if (at_ >= data_.size())
                return false;
            const char c = data_[at_];
            if (IsRegular(c) && !IsNumberStart(c)) {
                const size_t start = at_;
                while (at_ < data_.size() && IsRegular(data_[at_]))
                    ++at_;
                op = data_.substr(start, at_ - start);
                if (op == "true" || op == "false" || op == "null") {
                    operands.emplace_back();
                    continue;
                }
                if (op == "BI")
                    SkipInlineImage();
                return true;
            }
            operands.push_back(ReadOperand(0));
        }
    }

private:
    static bool IsSpace(char c)
    {
        return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
    }
    static bool IsDelimiter(char c)
    {
        return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' ||
               c == '}' || c == '/' || c == '%';
    }
    static bool IsRegular(char c) { return !IsSpace(c) && !IsDelimiter(c); }
    static bool IsNumberStart(char c)
    {
        return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
    }

    void SkipSpace()
    {
        while (at_ < data_.size()) {
            if (IsSpace(data_[at_])) {
                ++at_;
            } else if (data_[at_] == '%') {
                while (at_ < data_.size() && data_[at_] != '\n' && data_[at_] != '\r')
                    ++at_;
            } else {
                break;
            }
        }
    }

    Operand ReadOperand(int depth)
    {
        Operand out;
        const char c = data_[at_];
        if (IsNumberStart(c)) {
            const size_t start = at_;
            while (at_ < data_.size() && IsRegular(data_[at_]))
                ++at_;
            out.kind = Operand::Number;
            const std::string text(data_.substr(start, at_ - start));
            out.number = std::strtod(text.c_str(), nullptr);
        } else if (c == '/') {
            const size_t start = ++at_;
            while (at_ < data_.size() && IsRegular(data_[at_]))
                ++at_;
            out.kind = Operand::Name;
            out.text = std::string(data_.substr(start, at_ - start));
        } else if (c == '(') {
            out.kind = Operand::String;
            ReadLiteral(out.text);
        } else if (c == '<' && at_ + 1 < data_.size() && data_[at_ + 1] == '<') {
            SkipDictionary();
        } else if (c == '<') {
            out.kind = Operand::String;
            ReadHex(out.text);
        } else if (c == '[') {
            ++at_;
            out.kind = Operand::Array;
            for (;;) {
                SkipSpace();
                if (at_ >= data_.size())
                    break;
                if (data_[at_] == ']') {
                    ++at_;
                    break;
                }
                if (IsRegular(data_[at_]) && !IsNumberStart(data_[at_])) {
                    while (at_ < data_.size() && IsRegular(data_[at_]))
                        ++at_; // a word in an array is no operator
                    continue;
                }
                if (depth < 8)
                    out.items.push_back(ReadOperand(depth + 1));
                else
                    ++at_;
            }
        } else {
            ++at_; // a stray delimiter
        }
        return out;
    }

    void ReadLiteral(std::string &out)
    {
        int open = 0;
        for (++at_; at_ < data_.size(); ++at_) {
            char c = data_[at_];
            if (c == '\\' && at_ + 1 < data_.size()) {
                c = data_[++at_];
                if (c >= '0' && c <= '7') {
                    int value = 0;
                    for (int i = 0;
                         i < 3 && at_ < data_.size() && data_[at_] >= '0' && data_[at_] <= '7';
                         ++i, ++at_)
                        value = value * 8 + (data_[at_] - '0');
                    --at_;
                    out += char(value);
                } else if (c != '\n' && c != '\r') {
                    out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
                }
            } else if (c == '(') {
                ++open;
                out += c;
            } else if (c == ')') {
                if (open-- == 0) {
                    ++at_;
                    return;
                }
                out += c;
            } else {
                out += c;
            }
        }
    }

    void ReadHex(std::string &out)
    {
        int high = -1;
        for (++at_; at_ < data_.size() && data_[at_] != '>'; ++at_) {
            const char c = data_[at_];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0)
                continue;
            if (high < 0) {
                high = digit;
            } else {
                out += char(high * 16 + digit);
                high = -1;
            }
        }
        if (high >= 0)
            out += char(high * 16);
        ++at_;
    }

    void SkipDictionary()
    {
        int depth = 0;
        while (at_ < data_.size()) {
            if (data_.compare(at_, 2, "<<") == 0) {
                ++depth;
                at_ += 2;
            } else if (data_.compare(at_, 2, ">>") == 0) {
                at_ += 2;
                if (--depth == 0)
                    return;
            } else if (data_[at_] == '(') {
                std::string ignored;
                ReadLiteral(ignored);
            } else {
                ++at_;
            }
        }
    }

    void SkipInlineImage()
    {
        // Its data ends at EI standing alone.
        for (; at_ + 2 < data_.size(); ++at_)
            if (IsSpace(data_[at_]) && data_[at_ + 1] == 'E' && data_[at_ + 2] == 'I' &&
                (at_ + 3 >= data_.size() || !IsRegular(data_[at_ + 3]))) {
                at_ += 3;
                return;
            }
        at_ = data_.size();
    }

    std::string_view data_;
    size_t at_ = 0;
};

class Reader {
public:
    Reader(std::vector<Bounds> &out, const Bounds &visible) : out_(out) { state_.clip = visible; }

    // Reads data, a page's or a form's content, with its resources.
    void Read(std::string_view data, QPDFObjectHandle resources)
    {
        resources_.push_back(resources);
        Lexer lexer(data);
        std::string_view op;
        std::vector<Operand> operands;
        while (!covered_ && lexer.Next(op, operands)) {
            if (++operators_ > kMaxOperators) {
                covered_ = true;
                break;
            }
            std::swap(operands_, operands);
            Operator(op);
            std::swap(operands_, operands);
        }
        resources_.pop_back();
    }

    bool Covered() const { return covered_; }

private:
    double Number(size_t i) const
    {
        return i < operands_.size() && operands_[i].kind == Operand::Number ? operands_[i].number
                                                                            : 0;
    }
    Matrix MatrixOperands() const
    {
        return {Number(0), Number(1), Number(2), Number(3), Number(4), Number(5)};
    }

    void Mark(const Bounds &box)
    {
        const Bounds within = box.Within(state_.clip);
        if (!within.Empty())
            out_.push_back(within);
    }

    void PathPoint(double x, double y)
    {
        double tx = 0, ty = 0;
        state_.ctm.Apply(x, y, tx, ty);
        path_.Add(tx, ty);
    }

    void Paint(bool stroke, bool fill)
    {
        if (clipping_) {
            state_.clip = path_.Within(state_.clip);
            clipping_ = false;
        }
        if (!path_.Empty() && (stroke || (fill && !state_.whiteFill))) {
            Bounds box = path_;
            if (stroke) {
                // Half the line on either side, as wide as the matrix makes it at most.
                const double half = state_.lineWidth / 2 *
                                    std::max(std::hypot(state_.ctm.a, state_.ctm.b),
                                             std::hypot(state_.ctm.c, state_.ctm.d));
                box = {box.x0 - half, box.y0 - half, box.x1 + half, box.y1 + half};
            }
            Mark(box);
        }
        path_ = {};
    }

    void SetFill(bool white) { state_.whiteFill = white; }
    bool AllOperands(double value) const
    {
        if (operands_.empty())
            return false;
        for (const Operand &operand : operands_)
            if (operand.kind != Operand::Number || operand.number != value)
                return false;
        return true;
    }

    const FontWidths &Widths()
    {
        const QPDFObjGen id = state_.font.getObjGen();
        if (!state_.font.isIndirect())
            return direct_ = ReadWidths(state_.font);
        auto [at, added] = fonts_.try_emplace(id);
        if (added)
            at->second = ReadWidths(state_.font);
        return at->second;
    }

    void Show(const std::string &text)
    {
        const FontWidths &widths = Widths();
        double advance = 0;
        const size_t step = widths.twoBytes ? 2 : 1;
        for (size_t i = 0; i + step <= text.size(); i += step) {
            const int code = step == 2 ? (static_cast<unsigned char>(text[i]) << 8) |
                                             static_cast<unsigned char>(text[i + 1])
                                       : static_cast<unsigned char>(text[i]);
            advance += widths.Of(code) * widths.scale * state_.size + state_.charSpace;
            if (step == 1 && code == 32)
                advance += state_.wordSpace;
        }
        advance *= state_.scale;
        if (state_.render != 3 && state_.render != 7 && state_.size != 0) {
            const double low = state_.rise - 0.3 * std::abs(state_.size);
            const double high = state_.rise + std::abs(state_.size);
            Mark(Bounds{std::min(0.0, advance), low, std::max(0.0, advance), high}.Through(
                text_.Then(state_.ctm)));
        }
        text_ = Matrix{1, 0, 0, 1, advance, 0}.Then(text_);
    }

    void NextLine(double x, double y)
    {
        line_ = Matrix{1, 0, 0, 1, x, y}.Then(line_);
        text_ = line_;
    }

    QPDFObjectHandle Resource(const char *kind, const std::string &name)
    {
        for (auto resources = resources_.rbegin(); resources != resources_.rend(); ++resources)
            if (resources->isDictionary())
                if (QPDFObjectHandle group = resources->getKey(kind); group.isDictionary())
                    if (QPDFObjectHandle found = group.getKey(name); !found.isNull())
                        return found;
        return QPDFObjectHandle::newNull();
    }

    void Draw(const std::string name) // a copy: reading the form reuses the operands
    {
        QPDFObjectHandle object = Resource("/XObject", name);
        if (!object.isStream())
            return;
        QPDFObjectHandle dict = object.getDict();
        if (dict.getKey("/Subtype").isNameAndEquals("/Image")) {
            Mark(Bounds{0, 0, 1, 1}.Through(state_.ctm));
            return;
        }
        if (!dict.getKey("/Subtype").isNameAndEquals("/Form") || depth_ >= kMaxFormDepth)
            return;
        const State saved = state_;
        if (QPDFObjectHandle matrix = dict.getKey("/Matrix"); matrix.isMatrix()) {
            const QPDFObjectHandle::Matrix m = matrix.getArrayAsMatrix();
            state_.ctm = Matrix{m.a, m.b, m.c, m.d, m.e, m.f}.Then(state_.ctm);
        }
        if (QPDFObjectHandle box = dict.getKey("/BBox"); box.isRectangle()) {
            const QPDFObjectHandle::Rectangle r = box.getArrayAsRectangle();
            Bounds bounds;
            bounds.Add(r.llx, r.lly);
            bounds.Add(r.urx, r.ury);
            state_.clip = bounds.Through(state_.ctm).Within(state_.clip);
        }
        ++depth_;
        const Matrix text = text_, line = line_;
        const size_t stacked = stack_.size();
        // A form a page draws many times (a symbol, a logo) is decoded once.
        std::shared_ptr<Buffer> &data = forms_[object.getObjGen()];
        if (!data)
            data = object.getStreamData(qpdf_dl_generalized);
        Read(std::string_view(reinterpret_cast<const char *>(data->getBuffer()), data->getSize()),
             dict.getKey("/Resources"));
        stack_.resize(std::min(stack_.size(), stacked), state_); // what the form left saved
        text_ = text;
        line_ = line;
        --depth_;
        state_ = saved;
    }

    void Operator(std::string_view op)
    {
        if (op == "q") {
            stack_.push_back(state_);
        } else if (op == "Q") {
            if (!stack_.empty()) {
                state_ = stack_.back();
                stack_.pop_back();
            }
        } else if (op == "cm") {
            state_.ctm = MatrixOperands().Then(state_.ctm);
        } else if (op == "m" || op == "l") {
            PathPoint(Number(0), Number(1));
        } else if (op == "c") {
            for (size_t i = 0; i < 6; i += 2)
                PathPoint(Number(i), Number(i + 1));
        } else if (op == "v" || op == "y") {
            for (size_t i = 0; i < 4; i += 2)
                PathPoint(Number(i), Number(i + 1));
        } else if (op == "re") {
            const double x = Number(0), y = Number(1), w = Number(2), h = Number(3);
            PathPoint(x, y);
            PathPoint(x + w, y);
            PathPoint(x, y + h);
            PathPoint(x + w, y + h);
        } else if (op == "S" || op == "s") {
            Paint(true, false);
        } else if (op == "f" || op == "F" || op == "f*") {
            Paint(false, true);
        } else if (op == "B" || op == "B*" || op == "b" || op == "b*") {
            Paint(true, true);
        } else if (op == "n") {
            Paint(false, false);
        } else if (op == "W" || op == "W*") {
            clipping_ = true;
        } else if (op == "w") {
            state_.lineWidth = Number(0);
        } else if (op == "g") {
            SetFill(Number(0) == 1);
        } else if (op == "rg") {
            SetFill(AllOperands(1));
        } else if (op == "k") {
            SetFill(AllOperands(0));
        } else if (op == "sc" || op == "scn") {
            SetFill(operands_.size() == 4 ? AllOperands(0) : AllOperands(1));
        } else if (op == "cs") {
            SetFill(false);
        } else if (op == "sh") {
            Mark(state_.clip);
        } else if (op == "Do") {
            if (!operands_.empty() && operands_[0].kind == Operand::Name)
                Draw('/' + operands_[0].text);
        } else if (op == "BT") {
            text_ = line_ = Matrix{};
        } else if (op == "Tf") {
            if (!operands_.empty() && operands_[0].kind == Operand::Name)
                state_.font = Resource("/Font", '/' + operands_[0].text);
            state_.size = Number(1);
        } else if (op == "Tc") {
            state_.charSpace = Number(0);
        } else if (op == "Tw") {
            state_.wordSpace = Number(0);
        } else if (op == "Tz") {
            state_.scale = Number(0) / 100;
        } else if (op == "TL") {
            state_.leading = Number(0);
        } else if (op == "Ts") {
            state_.rise = Number(0);
        } else if (op == "Tr") {
            state_.render = int(Number(0));
        } else if (op == "Td") {
            NextLine(Number(0), Number(1));
        } else if (op == "TD") {
            state_.leading = -Number(1);
            NextLine(Number(0), Number(1));
        } else if (op == "Tm") {
            text_ = line_ = MatrixOperands();
        } else if (op == "T*") {
            NextLine(0, -state_.leading);
        } else if (op == "Tj" || op == "'" || op == "\"") {
            if (op == "\"") {
                state_.wordSpace = Number(0);
                state_.charSpace = Number(1);
            }
            if (op != "Tj")
                NextLine(0, -state_.leading);
            if (!operands_.empty() && operands_.back().kind == Operand::String)
                Show(operands_.back().text);
        } else if (op == "TJ") {
            if (operands_.empty() || operands_[0].kind != Operand::Array)
                return;
            for (const Operand &item : operands_[0].items) {
                if (item.kind == Operand::String)
                    Show(item.text);
                else if (item.kind == Operand::Number)
                    text_ = Matrix{1, 0, 0, 1, -item.number / 1000 * state_.size * state_.scale, 0}
                                .Then(text_);
            }
        }
    }

    std::vector<Bounds> &out_;
    State state_;
    std::vector<State> stack_;
    std::vector<Operand> operands_;
    std::vector<QPDFObjectHandle> resources_;
    Bounds path_;
    bool clipping_ = false;
    Matrix text_, line_;
    std::map<QPDFObjGen, FontWidths> fonts_;
    std::map<QPDFObjGen, std::shared_ptr<Buffer>> forms_;
    FontWidths direct_;
    int depth_ = 0;
    size_t operators_ = 0;
    bool covered_ = false;
};

} // namespace

std::vector<MarkBox> PageMarks(QPDFObjectHandle page)
{
    QPDFPageObjectHelper helper(page);
    const std::array<double, 4> box = VisibleBox(helper);
    const Bounds visible{box[0], box[1], box[0] + box[2], box[1] + box[3]};
    std::vector<Bounds> found;
    Reader reader(found, visible);
    // Reading content may make qpdf warn of what it cannot parse; that is no damage to the source,
    // whose content goes into the book as it stands.
    QPDF *owner = page.getOwningQPDF();
    const std::vector<QPDFExc> before = owner ? owner->getWarnings() : std::vector<QPDFExc>();
    bool covered = false;
    std::string content;
    try {
        Pl_String into("page content", nullptr, content);
        helper.pipeContents(&into);
        reader.Read(content, helper.getAttribute("/Resources", false));
        covered = reader.Covered();
    } catch (const std::exception &) {
        covered = true;
    }
    if (owner) {
        owner->getWarnings();
        for (const QPDFExc &warning : before)
            owner->warn(warning);
    }
    if (covered)
        found = {visible};
    // Annotations that draw something: a link's box is only where it is clicked.
    if (QPDFObjectHandle annotations = page.getKey("/Annots"); annotations.isArray())
        for (QPDFObjectHandle annotation : annotations.aitems()) {
            if (!annotation.isDictionary() || !annotation.getKey("/Rect").isRectangle() ||
                !annotation.getKey("/AP").isDictionary())
                continue;
            QPDFObjectHandle kind = annotation.getKey("/Subtype"), flags = annotation.getKey("/F");
            if (kind.isNameAndEquals("/Link") || kind.isNameAndEquals("/Popup") ||
                (flags.isInteger() && (flags.getIntValue() & 2)))
                continue;
            const QPDFObjectHandle::Rectangle r = annotation.getKey("/Rect").getArrayAsRectangle();
            Bounds bounds;
            bounds.Add(r.llx, r.lly);
            bounds.Add(r.urx, r.ury);
            if (const Bounds within = bounds.Within(visible); !within.Empty())
                found.push_back(within);
        }
    std::vector<MarkBox> out;
    out.reserve(found.size());
    for (const Bounds &b : found)
        out.push_back({b.x0, b.y0, b.x1, b.y1});
    return out;
}

} // namespace qf
