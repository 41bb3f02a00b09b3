#pragma once
// Streaming zlib compression into a memory stream and decompression out of a byte
// block, over zlib's own deflate/inflate. Any zlib error raises ECompressionError or
// EDecompressionError with "错误"; decompressed data that ends before the bytes asked
// for raises EReadError ("Stream read error").

#include "util/Stream.h"

#include <zlib.h>

#include <cstddef>
#include <cstdint>

namespace pictavo {

class TZlibCompressor {
public:
    // level: 1 .. 9 or Z_DEFAULT_COMPRESSION.
    TZlibCompressor(MemoryStream& output, int level);
    ~TZlibCompressor();
    TZlibCompressor(const TZlibCompressor&) = delete;
    TZlibCompressor& operator=(const TZlibCompressor&) = delete;

    void Write(const uint8_t* data, size_t size);
    // Compresses the source from its position to its end.
    void CopyFrom(Stream& source);
    // Ends the zlib stream and flushes it into the output.
    void Finish();

private:
    void Run(int flush);

    z_stream FZ{};
    MemoryStream& FOutput;
    bool FOpen = false;
};

class TZlibDecompressor {
public:
    TZlibDecompressor(const uint8_t* data, size_t size);
    ~TZlibDecompressor();
    TZlibDecompressor(const TZlibDecompressor&) = delete;
    TZlibDecompressor& operator=(const TZlibDecompressor&) = delete;

    // Reads exactly `size` decompressed bytes.
    void ReadExactly(uint8_t* buffer, size_t size);
    // Copies exactly `count` decompressed bytes to the stream.
    void CopyTo(Stream& target, uint32_t count);

private:
    z_stream FZ{};
    bool FOpen = false;
};

} // namespace pictavo
