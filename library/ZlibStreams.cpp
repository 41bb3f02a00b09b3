#include "library/ZlibStreams.h"

#include "util/Exceptions.h"
#include "util/Messages.h"

#include <algorithm>
#include <vector>

namespace pictavo {

namespace {
constexpr size_t ChunkSize = 64 * 1024;
}

TZlibCompressor::TZlibCompressor(MemoryStream& output, int level) : FOutput(output) {
    if (deflateInit(&FZ, level) != Z_OK)
        throw ECompressionError(_("错误"));
    FOpen = true;
}

TZlibCompressor::~TZlibCompressor() {
    if (FOpen)
        deflateEnd(&FZ);
}

void TZlibCompressor::Run(int flush) {
    uint8_t buffer[ChunkSize];
    int result = Z_OK;
    do {
        FZ.next_out = buffer;
        FZ.avail_out = sizeof buffer;
        result = deflate(&FZ, flush);
        if (result == Z_STREAM_ERROR)
            throw ECompressionError(_("错误"));
        FOutput.WriteBuffer(buffer, sizeof buffer - FZ.avail_out);
    } while (FZ.avail_out == 0);
    if (flush == Z_FINISH && result != Z_STREAM_END)
        throw ECompressionError(_("错误"));
}

void TZlibCompressor::Write(const uint8_t* data, size_t size) {
    while (size > 0) {
        const size_t chunk = std::min(size, ChunkSize);
        FZ.next_in = const_cast<uint8_t*>(data);
        FZ.avail_in = static_cast<uInt>(chunk);
        Run(Z_NO_FLUSH);
        data += chunk;
        size -= chunk;
    }
}

void TZlibCompressor::CopyFrom(Stream& source) {
    std::vector<uint8_t> buffer(ChunkSize);
    for (;;) {
        const size_t got = source.Read(buffer.data(), buffer.size());
        if (got == 0)
            return;
        Write(buffer.data(), got);
    }
}

void TZlibCompressor::Finish() {
    FZ.next_in = nullptr;
    FZ.avail_in = 0;
    Run(Z_FINISH);
    deflateEnd(&FZ);
    FOpen = false;
}

TZlibDecompressor::TZlibDecompressor(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX)
        throw EDecompressionError(_("错误"));
    FZ.next_in = const_cast<uint8_t*>(data);
    FZ.avail_in = static_cast<uInt>(size);
    if (inflateInit(&FZ) != Z_OK)
        throw EDecompressionError(_("错误"));
    FOpen = true;
}

TZlibDecompressor::~TZlibDecompressor() {
    if (FOpen)
        inflateEnd(&FZ);
}

void TZlibDecompressor::ReadExactly(uint8_t* buffer, size_t size) {
    FZ.next_out = buffer;
    FZ.avail_out = static_cast<uInt>(size);
    while (FZ.avail_out > 0) {
        const int result = inflate(&FZ, Z_NO_FLUSH);
        if (result == Z_STREAM_END) {
            if (FZ.avail_out > 0)
                throw EReadError("Stream read error");
            return;
        }
        if (result == Z_BUF_ERROR) // no input left before the stream's end
            throw EReadError("Stream read error");
        if (result != Z_OK)
            throw EDecompressionError(_("错误"));
    }
}

void TZlibDecompressor::CopyTo(Stream& target, uint32_t count) {
    std::vector<uint8_t> buffer(std::min<size_t>(count, ChunkSize));
    while (count > 0) {
        const size_t chunk = std::min<size_t>(count, buffer.size());
        ReadExactly(buffer.data(), chunk);
        target.WriteBuffer(buffer.data(), chunk);
        count -= static_cast<uint32_t>(chunk);
    }
}

} // namespace pictavo
