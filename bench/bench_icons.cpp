// Icon container speed: loading and saving a typical multi-image icon from memory,
// and drawing images at their own size and scaled down.
// Targets: loading the bitmap part <= 20 us; an unscaled 32 x 32 draw <= 10 us.

#include "icons/MultiIcon.h"
#include "icons/PngCodec.h"
#include "util/Bytes.h"
#include "util/Stream.h"

#include <benchmark/benchmark.h>

namespace {

using namespace pictavo;

// A bitmap image block with a colourful pattern and a round mask.
std::vector<uint8_t> BitmapBlock(int size, int bpp) {
    const int colors = PaletteColors(bpp);
    std::vector<uint8_t> block(40 + 4 * colors);
    StoreU32(block.data(), 40);
    StoreI32(block.data() + 4, size);
    StoreI32(block.data() + 8, size * 2);
    StoreU16(block.data() + 12, 1);
    StoreU16(block.data() + 14, static_cast<uint16_t>(bpp));
    for (int i = 0; i < 4 * colors; ++i)
        block[40 + i] = static_cast<uint8_t>(i * 7);
    const size_t colorBytes = static_cast<size_t>(RowSize(size, bpp)) * size;
    const size_t maskBytes = static_cast<size_t>(RowSize(size, 1)) * size;
    for (size_t i = 0; i < colorBytes; ++i)
        block.push_back(static_cast<uint8_t>(i * 13 + i / 64));
    for (size_t i = 0; i < maskBytes; ++i)
        block.push_back(static_cast<uint8_t>(i % 3 == 0 ? 0xF0 : 0x00));
    return block;
}

std::vector<uint8_t> PngBlock(int size) {
    std::vector<uint8_t> rgba(static_cast<size_t>(size) * size * 4);
    for (size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = static_cast<uint8_t>((i / 4 % size) ^ (i / 4 / size) ^ (i % 4 * 50));
    TPngImage png;
    png.SetPixels(size, size, std::move(rgba));
    return png.SaveToBytes();
}

// An ICO stream of the given blocks; entry sizes from the blocks (PNG entries 0 x 0).
std::vector<uint8_t> IconStream(const std::vector<std::pair<int, std::vector<uint8_t>>>& images) {
    std::vector<uint8_t> out(6 + 16 * images.size());
    StoreU16(out.data() + 2, 1);
    StoreU16(out.data() + 4, static_cast<uint16_t>(images.size()));
    uint32_t offset = static_cast<uint32_t>(out.size());
    for (size_t i = 0; i < images.size(); ++i) {
        uint8_t* entry = out.data() + 6 + 16 * i;
        entry[0] = entry[1] = static_cast<uint8_t>(images[i].first);
        StoreU16(entry + 4, 1);
        StoreU16(entry + 6, 32);
        StoreU32(entry + 8, static_cast<uint32_t>(images[i].second.size()));
        StoreU32(entry + 12, offset);
        offset += static_cast<uint32_t>(images[i].second.size());
    }
    for (const auto& image : images)
        out.insert(out.end(), image.second.begin(), image.second.end());
    return out;
}

// 16, 24 and 32 px at 8 bits; 16, 32 and 48 px at 32 bits; and a 256 x 256 PNG.
std::vector<uint8_t> SevenImageIcon(bool withPng) {
    std::vector<std::pair<int, std::vector<uint8_t>>> images = {
        {16, BitmapBlock(16, 8)},  {24, BitmapBlock(24, 8)},  {32, BitmapBlock(32, 8)},
        {16, BitmapBlock(16, 32)}, {32, BitmapBlock(32, 32)}, {48, BitmapBlock(48, 32)}};
    if (withPng)
        images.push_back({0, PngBlock(256)});
    return IconStream(images);
}

void Load(TMultiIcon& icon, const std::vector<uint8_t>& bytes) {
    ByteViewStream stream(bytes.data(), bytes.size());
    icon.LoadFromStream(&stream);
}

void BM_LoadBitmapPart(benchmark::State& state) {
    const std::vector<uint8_t> bytes = SevenImageIcon(false);
    TMultiIcon icon;
    for (auto _ : state)
        Load(icon, bytes);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_LoadBitmapPart)->Unit(benchmark::kMicrosecond);

void BM_LoadWithPng(benchmark::State& state) {
    const std::vector<uint8_t> bytes = SevenImageIcon(true);
    TMultiIcon icon;
    for (auto _ : state)
        Load(icon, bytes);
}
BENCHMARK(BM_LoadWithPng)->Unit(benchmark::kMicrosecond);

void SaveBenchmark(benchmark::State& state, bool withPng) {
    TMultiIcon icon;
    Load(icon, SevenImageIcon(withPng));
    for (auto _ : state) {
        MemoryStream out;
        icon.SaveToStream(&out);
        benchmark::DoNotOptimize(out.Memory());
    }
}

void BM_SaveBitmapPart(benchmark::State& state) {
    SaveBenchmark(state, false);
}
BENCHMARK(BM_SaveBitmapPart)->Unit(benchmark::kMicrosecond);

void BM_SaveWithPng(benchmark::State& state) {
    SaveBenchmark(state, true);
}
BENCHMARK(BM_SaveWithPng)->Unit(benchmark::kMicrosecond);

void DrawBenchmark(benchmark::State& state, const std::vector<uint8_t>& bytes) {
    TMultiIcon icon;
    Load(icon, bytes);
    auto canvas = platform::Surface::Create(64, 64);
    canvas->FillRect({0, 0, 64, 64});
    for (auto _ : state)
        icon.Draw(*canvas, {8, 8, 40, 40});
    benchmark::DoNotOptimize(canvas->Pixels());
}

void BM_DrawUnscaled32x32(benchmark::State& state) {
    DrawBenchmark(state, IconStream({{32, BitmapBlock(32, 32)}}));
}
BENCHMARK(BM_DrawUnscaled32x32)->Unit(benchmark::kMicrosecond);

void BM_DrawBitmap256ScaledTo32(benchmark::State& state) {
    DrawBenchmark(state, IconStream({{0, BitmapBlock(256, 32)}}));
}
BENCHMARK(BM_DrawBitmap256ScaledTo32)->Unit(benchmark::kMicrosecond);

void BM_DrawPng256ScaledTo32(benchmark::State& state) {
    DrawBenchmark(state, IconStream({{0, PngBlock(256)}}));
}
BENCHMARK(BM_DrawPng256ScaledTo32)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
