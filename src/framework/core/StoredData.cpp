#include "StoredData.h"

#include <cstdint>
#include <cstring>

#include "Bytes.h"

namespace stored {

std::string ReadDocument(layout::Reader& payload) {
    std::int32_t n = payload.I32();
    if (n < 0) payload.Fail("document length " + std::to_string(n) + " is negative");
    if (static_cast<std::uint32_t>(n) > payload.Remaining())
        payload.Fail("the document's length " + std::to_string(n) + " runs past the end of its " +
                     std::to_string(payload.Remaining()) + " bytes");
    std::string bytes = payload.Bytes(static_cast<std::size_t>(n));
    payload.ExpectEnd("the document");
    return bytes;
}

std::string CheckRegionData(const std::string& data) {
    constexpr std::size_t kHeader = 32, kRect = 16;
    if (data.size() < kHeader)
        return "the stored outline has " + std::to_string(data.size()) + " bytes, fewer than its " +
               std::to_string(kHeader) + "-byte header";
    std::uint32_t headerSize = Le32(data, 0), type = Le32(data, 4), count = Le32(data, 8), rectBytes = Le32(data, 12);
    if (headerSize != kHeader)
        return "the stored outline's header size is " + std::to_string(headerSize) + ", not " +
               std::to_string(kHeader);
    if (type != 1) return "the stored outline is of type " + std::to_string(type) + ", not a list of rectangles";
    std::size_t room = (data.size() - kHeader) / kRect;
    if (count > room)
        return "the stored outline names " + std::to_string(count) + " rectangles but holds room for " +
               std::to_string(room);
    if (kHeader + kRect * static_cast<std::size_t>(count) != data.size())
        return "the stored outline names " + std::to_string(count) + " rectangles but holds " +
               std::to_string(data.size() - kHeader) + " bytes of them";
    if (rectBytes != 0 && rectBytes != kRect * count)
        return "the stored outline's rectangle bytes " + std::to_string(rectBytes) + " disagree with its " +
               std::to_string(count) + " rectangles";
    for (std::uint32_t k = 0; k < count; ++k) {
        std::size_t at = kHeader + kRect * k;
        auto left = static_cast<std::int32_t>(Le32(data, at)), top = static_cast<std::int32_t>(Le32(data, at + 4));
        auto right = static_cast<std::int32_t>(Le32(data, at + 8)),
             bottom = static_cast<std::int32_t>(Le32(data, at + 12));
        if (left > right || top > bottom)
            return "the stored outline's rectangle " + std::to_string(k + 1) + " is turned inside out";
    }
    return {};
}

std::string ReadOutline(layout::Reader& payload) {
    std::uint32_t n = payload.U32();
    if (n == 0) {
        payload.ExpectEnd("an empty outline");
        return {};
    }
    if (n > payload.Remaining())
        payload.Fail("the outline's count " + std::to_string(n) + " runs past the end of its " +
                     std::to_string(payload.Remaining()) + " bytes");
    std::string data = payload.Bytes(n);
    payload.ExpectEnd("the outline");
    std::string damage = CheckRegionData(data);
    if (!damage.empty()) payload.Fail(damage);
    return data;
}

bool ReadPicture(layout::Reader& payload, Picture& out) {
    std::string cls = payload.Bytes(payload.U8());
    if (cls.empty()) {
        payload.ExpectEnd("an empty picture");
        return false;
    }
    if (cls != "TBitmap") payload.Fail("unknown picture class " + cls);
    std::uint32_t n = payload.U32();
    if (n > payload.Remaining())
        payload.Fail("the picture's length " + std::to_string(n) + " runs past the end of its " +
                     std::to_string(payload.Remaining()) + " bytes");
    out.file = payload.Bytes(n);
    payload.ExpectEnd("the picture");
    std::string error;
    if (!CheckBmpHeader(out.file, out.header, error)) payload.Fail("Bitmap image is not valid: " + error);
    return true;
}

}  // namespace stored
