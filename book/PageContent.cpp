#include "book/PageContent.h"

#include <vector>

namespace qf {

void PutContentBetween(QPDFObjectHandle page, const QPDFObjectHandle &before,
                       const QPDFObjectHandle &after)
{
    std::vector<QPDFObjectHandle> streams{before};
    QPDFObjectHandle contents = page.getKey("/Contents");
    if (contents.isStream())
        streams.push_back(contents);
    else if (contents.isArray())
        for (QPDFObjectHandle item : contents.aitems())
            if (item.isStream())
                streams.push_back(item);
    streams.push_back(after);
    page.replaceKey("/Contents", QPDFObjectHandle::newArray(streams));
}

QPDFObjectHandle PageForms(QPDFObjectHandle page)
{
    QPDFObjectHandle resources = page.getKey("/Resources");
    if (!resources.isDictionary()) {
        resources = QPDFObjectHandle::newDictionary();
        page.replaceKey("/Resources", resources);
    }
    QPDFObjectHandle forms = resources.getKey("/XObject");
    if (!forms.isDictionary()) {
        forms = QPDFObjectHandle::newDictionary();
        resources.replaceKey("/XObject", forms);
    }
    return forms;
}

} // namespace qf
