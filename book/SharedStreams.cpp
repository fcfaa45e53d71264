#include "book/SharedStreams.h"

#include "book/RawDigest.h"

#include <qpdf/Buffer.hh>

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace qf {
namespace {

// A dictionary nested this deep is no image or font: it is left as it is.
constexpr int kMaxDepth = 32;
// Streams that refer to shared streams can be shared in turn (an image with its soft mask).
constexpr int kMaxRounds = 4;

using Canonical = std::map<QPDFObjGen, QPDFObjectHandle>;

QPDFObjGen CanonicalOf(const Canonical &canonical, QPDFObjGen og)
{
    // A kept stream may itself be found a copy in a later round.
    for (auto found = canonical.find(og); found != canonical.end(); found = canonical.find(og))
        og = found->second.getObjGen();
    return og;
}

// A direct object as text, the objects it refers to by their kept copy; false when it is too deep.
bool Describe(QPDFObjectHandle object, const Canonical &canonical, std::string &out, int depth)
{
    if (depth > kMaxDepth)
        return false;
    if (object.isIndirect()) {
        out += CanonicalOf(canonical, object.getObjGen()).unparse(' ') + " R ";
        return true;
    }
    if (object.isArray()) {
        out += "[ ";
        for (QPDFObjectHandle item : object.aitems())
            if (!Describe(item, canonical, out, depth + 1))
                return false;
        out += "] ";
        return true;
    }
    if (object.isDictionary()) {
        out += "<< ";
        for (auto &[key, value] : object.getDictAsMap()) { // in key order
            if (value.isNull())
                continue; // as good as absent
            if (depth == 0 && key == "/Length")
                continue; // written anew from the data
            out += key + ' ';
            if (!Describe(value, canonical, out, depth + 1))
                return false;
        }
        out += ">> ";
        return true;
    }
    out += object.unparse() + ' ';
    return true;
}

// Points every reference to a copy in object, and in the direct objects it holds, at the kept one.
void Redirect(QPDFObjectHandle object, const Canonical &canonical, int depth)
{
    if (depth > kMaxDepth)
        return;
    if (object.isStream())
        object = object.getDict();
    const auto replacement = [&](QPDFObjectHandle item, QPDFObjectHandle &with) {
        if (!item.isIndirect())
            return false;
        const auto found = canonical.find(item.getObjGen());
        if (found == canonical.end())
            return false;
        with = found->second;
        return true;
    };
    if (object.isArray()) {
        const int n = object.getArrayNItems();
        for (int i = 0; i < n; ++i) {
            QPDFObjectHandle item = object.getArrayItem(i), with;
            if (replacement(item, with))
                object.setArrayItem(i, with);
            else if (!item.isIndirect())
                Redirect(item, canonical, depth + 1);
        }
    } else if (object.isDictionary()) {
        for (auto &[key, item] : object.getDictAsMap()) {
            QPDFObjectHandle with;
            if (replacement(item, with))
                object.replaceKey(key, with);
            else if (!item.isIndirect())
                Redirect(item, canonical, depth + 1);
        }
    }
}

} // namespace

SharedStreams ShareIdenticalStreams(QPDF &book)
{
    SharedStreams saved;
    // Only streams of a length and a digest another has can be the same: the rest are never read
    // here. A stream without a digest (made for the book, or not reached from a page) is grouped
    // by its length alone. Every digest is dropped: it is no part of the book.
    std::map<std::tuple<long long, bool, long long>, std::vector<QPDFObjectHandle>> candidates;
    for (QPDFObjectHandle object : book.getAllObjects()) {
        if (!object.isStream())
            continue;
        QPDFObjectHandle dict = object.getDict();
        QPDFObjectHandle digest = dict.getKey(kRawDigestKey);
        if (!digest.isNull())
            dict.removeKey(kRawDigestKey);
        QPDFObjectHandle length = dict.getKey("/Length");
        candidates[{length.isInteger() ? length.getIntValue() : -1, digest.isInteger(),
                    digest.isInteger() ? digest.getIntValue() : 0}]
            .push_back(object);
    }
    // Then by their data, byte for byte: classes of streams with the same data.
    std::vector<QPDFObjectHandle> streams;
    std::vector<std::shared_ptr<Buffer>> data;
    std::vector<std::vector<size_t>> byData;
    const auto bytesOf = [&](size_t i) {
        return std::string_view(reinterpret_cast<const char *>(data[i]->getBuffer()),
                                data[i]->getSize());
    };
    for (auto &[key, same] : candidates) {
        if (same.size() < 2 && std::get<0>(key) >= 0)
            continue;
        // Streams of one digest are nearly always the same: each is compared with the first of
        // each class. Those without one are told apart by a hash of their data.
        const bool digested = std::get<1>(key);
        const size_t firstClass = byData.size();
        std::unordered_map<std::string_view, size_t> classOf;
        for (QPDFObjectHandle &object : same) {
            try {
                data.push_back(object.getRawStreamData());
            } catch (const std::exception &) {
                continue; // unreadable data is the writer's to name
            }
            streams.push_back(object);
            const size_t i = streams.size() - 1;
            size_t k = firstClass;
            if (digested) {
                while (k < byData.size() && bytesOf(byData[k].front()) != bytesOf(i))
                    ++k;
            } else {
                k = classOf.emplace(bytesOf(i), byData.size()).first->second;
            }
            if (k == byData.size())
                byData.emplace_back();
            byData[k].push_back(i);
        }
    }
    Canonical canonical;
    for (int round = 0; round < kMaxRounds; ++round) {
        int merged = 0;
        for (const std::vector<size_t> &same : byData) {
            if (same.size() < 2)
                continue;
            // The first stream of each dictionary is kept.
            std::map<std::string, size_t> kept;
            for (const size_t i : same) {
                if (canonical.count(streams[i].getObjGen()))
                    continue;
                std::string key;
                if (!Describe(streams[i].getDict(), canonical, key, 0))
                    continue;
                const auto [first, isNew] = kept.emplace(key, i);
                if (isNew)
                    continue;
                canonical[streams[i].getObjGen()] = streams[first->second];
                saved.bytes += static_cast<long long>(data[i]->getSize());
                ++saved.streams;
                ++merged;
            }
        }
        if (merged == 0)
            break;
    }
    if (canonical.empty())
        return saved;
    for (auto &[copy, kept] : canonical)
        kept = book.getObjectByObjGen(CanonicalOf(canonical, kept.getObjGen()));
    for (QPDFObjectHandle object : book.getAllObjects())
        Redirect(object, canonical, 0);
    return saved;
}

} // namespace qf
