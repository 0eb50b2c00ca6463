#include "RichEditStreams.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>
#include <map>

std::size_t TConversion::ConvertReadStream(TStream& stream, char* buffer, std::size_t count) {
    return stream.Read(buffer, count);
}

std::size_t TConversion::ConvertWriteStream(TStream& stream, const char* buffer, std::size_t count) {
    return stream.Write(buffer, count);
}

namespace {
std::map<std::string, TConversionFactory>& Formats() {
    static std::map<std::string, TConversionFactory> formats;
    return formats;
}
std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}
}  // namespace

void RegisterConversionFormat(const std::string& extension, TConversionFactory factory) {
    Formats()[Lower(extension)] = std::move(factory);
}

std::unique_ptr<TConversion> ConversionForFile(const std::string& fileName) {
    std::string ext;
    auto slash = fileName.find_last_of("\\/:");
    auto dot = fileName.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) ext = Lower(fileName.substr(dot + 1));
    auto it = Formats().find(ext);
    if (it != Formats().end() && it->second) {
        if (auto c = it->second()) return c;
    }
    return std::make_unique<TConversion>();
}

// ---------------------------------------------------------------- TRichStreamReader

TRichStreamReader::TRichStreamReader(TStream& stream, TConversion* conversion, int chunkLimit)
    : stream_(stream), conversion_(conversion), chunkLimit_(chunkLimit) {}

std::size_t TRichStreamReader::Source(char* buffer, std::size_t count) {
    return conversion_ ? conversion_->ConvertReadStream(stream_, buffer, count) : stream_.Read(buffer, count);
}

std::size_t TRichStreamReader::Fill(char* out, std::size_t size) {
    if (ended_ || size < 4) return 0;
    // Two bytes for a held-back CR, at most two for every byte read.
    std::size_t want = (size - 2) / 2;
    if (in_.size() < want) in_.resize(want);
    std::size_t n = 0;
    while (n == 0) {
        std::size_t got = Source(in_.data(), want);
        if (got == 0) {
            if (pendingCR_) {
                out[n++] = '\r';
                out[n++] = '\n';
                pendingCR_ = false;
            }
            ended_ = true;
            break;
        }
        for (std::size_t k = 0; k < got; ++k) {
            char c = in_[k];
            if (pendingCR_) {
                pendingCR_ = false;
                out[n++] = '\r';
                out[n++] = '\n';
                if (c == '\n') continue;
            }
            if (c == '\r') {
                pendingCR_ = true;
            } else if (c == '\n') {
                out[n++] = '\r';
                out[n++] = '\n';
            } else {
                out[n++] = c;
            }
        }
    }
    if (n == 0) return 0;
    ++chunks_;
    if (chunkLimit_ > 0 && chunks_ >= chunkLimit_) {
        ended_ = true;
        pendingCR_ = false;
        std::string_view chunk(out, n);
        auto pard = chunk.find("\\pard");
        if (pard != std::string_view::npos) {
            auto brace = chunk.find('{', pard + 5);
            if (brace != std::string_view::npos) {
                out[brace] = '}';
                n = brace + 1;
            }
        }
    }
    return n;
}

// ---------------------------------------------------------------- TwwRichMemoryStream

std::int64_t TwwRichMemoryStream::RoundCapacity(std::int64_t wanted) const {
    if (wanted > std::numeric_limits<std::int64_t>::max() - (kCapacityStep - 1)) return -1;
    return (wanted + kCapacityStep - 1) & ~(kCapacityStep - 1);
}
