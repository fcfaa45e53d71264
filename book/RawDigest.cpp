#include "book/RawDigest.h"

#include <qpdf/Pipeline.hh>

#include <cstdint>
#include <cstring>

namespace qf {
namespace {

// A fast 64-bit digest, eight bytes at a time, the same however the data is cut into writes. It
// only groups streams that may be the same: they are compared byte for byte before one is kept.
class Digest : public Pipeline {
public:
    Digest() : Pipeline("digest", nullptr) {}

    void write(unsigned char const *data, size_t length) override
    {
        length_ += length;
        while (length > 0) {
            if (filled_ == 0 && length >= 8) {
                uint64_t word;
                std::memcpy(&word, data, 8);
                Mix(word);
                data += 8;
                length -= 8;
                continue;
            }
            pending_[filled_++] = *data++;
            --length;
            if (filled_ == 8) {
                uint64_t word;
                std::memcpy(&word, pending_, 8);
                Mix(word);
                filled_ = 0;
            }
        }
    }
    void finish() override {}

    uint64_t Value()
    {
        uint64_t word = 0;
        std::memcpy(&word, pending_, filled_);
        Mix(word);
        Mix(length_);
        return hash_;
    }

private:
    void Mix(uint64_t word)
    {
        hash_ = (hash_ ^ word) * 0x9E3779B97F4A7C15ULL;
        hash_ ^= hash_ >> 29;
    }

    uint64_t hash_ = 0xCBF29CE484222325ULL;
    uint64_t length_ = 0;
    unsigned char pending_[8] = {};
    size_t filled_ = 0;
};

} // namespace

bool NoteRawDigest(QPDFObjectHandle stream)
{
    Digest digest;
    bool filtered = false;
    try {
        if (!stream.pipeStreamData(&digest, &filtered, 0, qpdf_dl_none, true, false))
            return false;
    } catch (const std::exception &) {
        return false;
    }
    stream.getDict().replaceKey(
        kRawDigestKey, QPDFObjectHandle::newInteger(static_cast<long long>(digest.Value())));
    return true;
}

} // namespace qf
