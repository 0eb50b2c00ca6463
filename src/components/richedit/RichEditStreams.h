// How documents travel between streams and the rich edit window: the
// conversion formats chosen by file extension, the reader that feeds the
// window (line ends made CR LF, an optional chunk limit), and the memory
// stream every document transfer of the rich text control goes through.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "StringList.h"

// Turns a stream's bytes into what the window reads, and the window's output
// into what the stream stores. The plain conversion passes bytes unchanged.
class TConversion : public TObject {
public:
    virtual std::size_t ConvertReadStream(TStream& stream, char* buffer, std::size_t count);
    virtual std::size_t ConvertWriteStream(TStream& stream, const char* buffer, std::size_t count);
};

using TConversionFactory = std::function<std::unique_ptr<TConversion>()>;
// Registers a conversion for files with the extension (without the dot, any case).
void RegisterConversionFormat(const std::string& extension, TConversionFactory factory);
// The conversion for a file name by its extension; the plain one when none is registered.
std::unique_ptr<TConversion> ConversionForFile(const std::string& fileName);

// Feeds the window from a stream. Each fill uses at most half of the window's
// buffer, since every lone CR and every lone LF becomes CR LF; a CR that ends
// one read is held back until the next byte shows whether an LF follows.
// With a chunk limit, the last allowed chunk is closed early: the first "{"
// after "\pard" becomes "}" and ends the data.
class TRichStreamReader {
public:
    TRichStreamReader(TStream& stream, TConversion* conversion, int chunkLimit = 0);
    // Fills at most size bytes; 0 when the data has ended.
    std::size_t Fill(char* buffer, std::size_t size);
    int Chunks() const { return chunks_; }

private:
    std::size_t Source(char* buffer, std::size_t count);
    TStream& stream_;
    TConversion* conversion_;
    int chunkLimit_;
    int chunks_ = 0;
    bool pendingCR_ = false;
    bool ended_ = false;
    std::vector<char> in_;
};

// The memory stream of every document transfer: its capacity always grows in
// whole steps of 128 KiB.
class TwwRichMemoryStream : public TMemoryStream {
public:
    static constexpr std::int64_t kCapacityStep = 131072;

protected:
    std::int64_t RoundCapacity(std::int64_t wanted) const override;
};
