#include "ocr/ScannedPages.h"

#include "book/PdfFile.h"
#include "book/PdfWrite.h"

#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFTokenizer.hh>

#include <set>

namespace qf {
namespace {

// What a content stream draws, as far as it matters here.
struct Drawn {
    bool text = false;
    bool image = false;
};

// A form within a form within ... a damaged file may nest them without end.
constexpr int kDeepestForm = 12;

class DrawnScan : public QPDFObjectHandle::TokenFilter {
public:
    DrawnScan(QPDFObjectHandle resources, Drawn &drawn, std::set<QPDFObjGen> &seen, int depth)
        : resources_(std::move(resources)), drawn_(drawn), seen_(seen), depth_(depth)
    {}

    void handleToken(const QPDFTokenizer::Token &token) override
    {
        switch (token.getType()) {
        case QPDFTokenizer::tt_name:
            lastName_ = token.getValue();
            return;
        case QPDFTokenizer::tt_inline_image:
            drawn_.image = true;
            return;
        case QPDFTokenizer::tt_word:
            break;
        default:
            return;
        }
        const std::string &op = token.getValue();
        if (op == "Tj" || op == "TJ" || op == "'" || op == "\"")
            drawn_.text = true;
        else if (op == "Do" && !drawn_.text)
            Draw(lastName_);
    }

private:
    void Draw(const std::string &name)
    {
        if (!resources_.isDictionary())
            return;
        QPDFObjectHandle xobject = resources_.getKey("/XObject").getKey(name);
        if (!xobject.isStream())
            return;
        QPDFObjectHandle dict = xobject.getDict();
        if (dict.getKey("/Subtype").isNameAndEquals("/Image")) {
            drawn_.image = true;
        } else if (dict.getKey("/Subtype").isNameAndEquals("/Form") && depth_ < kDeepestForm &&
                   seen_.insert(xobject.getObjGen()).second) {
            QPDFObjectHandle own = dict.getKey("/Resources");
            DrawnScan inner(own.isDictionary() ? own : resources_, drawn_, seen_, depth_ + 1);
            xobject.filterAsContents(&inner);
        }
    }

    QPDFObjectHandle resources_;
    Drawn &drawn_;
    std::set<QPDFObjGen> &seen_;
    int depth_;
    std::string lastName_;
};

bool IsScanned(QPDFPageObjectHelper page)
{
    Drawn drawn;
    std::set<QPDFObjGen> seen;
    try {
        DrawnScan scan(page.getAttribute("/Resources", false), drawn, seen, 0);
        page.filterContents(&scan);
    } catch (const std::exception &) {
        // A page whose content cannot be read is left as it is.
        return false;
    }
    return drawn.image && !drawn.text;
}

} // namespace

std::vector<int> ScannedPages(QPDF &pdf)
{
    std::vector<int> scanned;
    const std::vector<QPDFObjectHandle> &pages = pdf.getAllPages();
    for (size_t i = 0; i < pages.size(); ++i)
        if (IsScanned(QPDFPageObjectHelper(pages[i])))
            scanned.push_back(int(i) + 1);
    return scanned;
}

Status FindScannedPages(const QString &path, std::vector<int> &scanned, int &pageCount)
{
    std::shared_ptr<PdfFile> file;
    const Status read = ReadPdfFile(path, file);
    if (!read)
        return read;
    try {
        scanned = ScannedPages(file->pdf);
        pageCount = PageCount(*file);
    } catch (const std::exception &e) {
        return Status::Failed(path, PdfFailureReason(e));
    }
    return Status::Ok();
}

} // namespace qf
