#pragma once
// Icon images and icon groups made for benchmarks. Header-only: each benchmark is one
// program.

#include "bench/BenchPeImage.h"
#include "icons/PngCodec.h"
#include "util/Bytes.h"
#include "util/PngSignature.h"

#include <cstdint>
#include <vector>

namespace pictavo::bench {

// A square 32-bit bitmap image block with a soft-edged disc in the alpha channel.
inline std::vector<uint8_t> BitmapBlock(int size, int seed) {
    std::vector<uint8_t> block;
    AppendU32(block, 40);
    AppendU32(block, static_cast<uint32_t>(size));
    AppendU32(block, static_cast<uint32_t>(size * 2));
    AppendU16(block, 1);
    AppendU16(block, 32);
    for (int i = 0; i < 6; ++i)
        AppendU32(block, 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const int dx = 2 * x - size, dy = 2 * y - size;
            const bool inside = dx * dx + dy * dy < size * size;
            block.push_back(static_cast<uint8_t>(x * 255 / size));
            block.push_back(static_cast<uint8_t>(y * 255 / size));
            block.push_back(static_cast<uint8_t>(seed));
            block.push_back(inside ? 255 : 0);
        }
    block.insert(block.end(), static_cast<size_t>((size + 31) / 32 * 4 * size), 0);
    return block;
}

// A 256 x 256 RGBA PNG: a gradient with one bit of noise per colour channel, so that
// it compresses like a real icon (about 30 KB).
inline std::vector<uint8_t> PngBlock(int seed) {
    std::vector<uint8_t> rgba(256 * 256 * 4);
    uint32_t noise = 2166136261u + static_cast<uint32_t>(seed);
    for (size_t i = 0; i < rgba.size(); ++i) {
        noise = noise * 1664525u + 1013904223u;
        const uint8_t base = static_cast<uint8_t>(i % 4 == 3 ? 255 : (i / 1024) & 255);
        rgba[i] = i % 4 == 3 ? base : static_cast<uint8_t>(base ^ (noise >> 31));
    }
    TPngImage png;
    png.SetPixels(256, 256, std::move(rgba));
    return png.SaveToBytes();
}

// An icon group naming the images.
inline std::vector<uint8_t> GroupBlock(const std::vector<const Resource*>& images) {
    std::vector<uint8_t> group;
    AppendU16(group, 0);
    AppendU16(group, 1); // icon
    AppendU16(group, static_cast<uint16_t>(images.size()));
    for (const Resource* image : images) {
        const bool png = HasPngSignature(image->Bytes.data(), image->Bytes.size());
        const int size = png ? 0 : static_cast<int>(LoadU32(image->Bytes.data() + 4));
        group.push_back(static_cast<uint8_t>(size));
        group.push_back(static_cast<uint8_t>(size));
        group.push_back(0);
        group.push_back(0);
        AppendU16(group, 1);
        AppendU16(group, 32);
        AppendU32(group, static_cast<uint32_t>(image->Bytes.size()));
        AppendU16(group, static_cast<uint16_t>(image->Id));
    }
    return group;
}

// `groupCount` icon groups (ids 100 on), each of 32-bit bitmap images of the given sizes
// and a 256-pixel PNG (image ids 1 on); the images first, then the groups.
inline std::vector<Resource> IconGroupsWithPng(int groupCount, const std::vector<int>& sizes) {
    std::vector<Resource> images;
    std::vector<Resource> groups;
    uint32_t id = 1;
    for (int g = 0; g < groupCount; ++g) {
        const size_t first = images.size();
        for (int size : sizes)
            images.push_back({pe::RtIcon, id++, BitmapBlock(size, g)});
        images.push_back({pe::RtIcon, id++, PngBlock(g)});
        std::vector<const Resource*> members;
        for (size_t i = first; i < images.size(); ++i)
            members.push_back(&images[i]);
        groups.push_back({pe::RtGroupIcon, static_cast<uint32_t>(100 + g), GroupBlock(members)});
    }
    images.insert(images.end(), groups.begin(), groups.end());
    return images;
}

} // namespace pictavo::bench
