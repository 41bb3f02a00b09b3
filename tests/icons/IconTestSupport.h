#pragma once
// Builders shared by the icon tests: fixture files, bitmap image blocks and whole
// ICO streams made in memory.

#include "icons/MultiIcon.h"
#include "util/Bytes.h"
#include "util/Stream.h"

#include <functional>
#include <string>
#include <vector>

namespace pictavo::test {

inline std::string IconFixture(const std::string& name) {
    return std::string(PICTAVO_FIXTURES) + "/icons/" + name;
}

inline std::vector<uint8_t> FixtureBytes(const std::string& name) {
    return ReadFileBytes(IconFixture(name));
}

// A bitmap image block (header with doubled height, table, colour, mask). The
// callbacks give the raw colour value (table index or packed pixel) and the mask bit
// of pixel (x, y from the top); the table entry i is (blue i*16, green 255-i*16, red i*8).
struct BlockRecipe {
    int width = 16;
    int height = 16;
    int bpp = 4;
    std::function<uint32_t(int x, int y)> color = [](int x, int y) { return (x + y) % 16; };
    std::function<bool(int x, int y)> mask = [](int x, int) { return x < 4; };
};

inline void PutBits(uint8_t* row, int x, int bpp, uint32_t value) {
    if (bpp >= 8) {
        for (int i = 0; i < bpp / 8; ++i)
            row[x * bpp / 8 + i] = static_cast<uint8_t>(value >> (8 * i));
        return;
    }
    const int perByte = 8 / bpp;
    const int shift = 8 - bpp * (x % perByte + 1);
    row[x / perByte] |= static_cast<uint8_t>(value << shift);
}

inline std::vector<uint8_t> MakeBitmapBlock(const BlockRecipe& recipe) {
    const int colors = PaletteColors(recipe.bpp);
    std::vector<uint8_t> block(40 + 4 * colors);
    StoreU32(block.data(), 40);
    StoreI32(block.data() + 4, recipe.width);
    StoreI32(block.data() + 8, recipe.height * 2);
    StoreU16(block.data() + 12, 1);
    StoreU16(block.data() + 14, static_cast<uint16_t>(recipe.bpp));
    for (int i = 0; i < colors; ++i) {
        block[40 + 4 * i] = static_cast<uint8_t>(i * 16);
        block[41 + 4 * i] = static_cast<uint8_t>(255 - i * 16);
        block[42 + 4 * i] = static_cast<uint8_t>(i * 8);
    }
    const size_t colorRow = RowSize(recipe.width, recipe.bpp), maskRow = RowSize(recipe.width, 1);
    std::vector<uint8_t> color(colorRow * recipe.height), mask(maskRow * recipe.height);
    for (int y = 0; y < recipe.height; ++y) {
        const size_t memoryRow = static_cast<size_t>(recipe.height - 1 - y);
        for (int x = 0; x < recipe.width; ++x) {
            PutBits(color.data() + memoryRow * colorRow, x, recipe.bpp, recipe.color(x, y));
            PutBits(mask.data() + memoryRow * maskRow, x, 1, recipe.mask(x, y) ? 1 : 0);
        }
    }
    block.insert(block.end(), color.begin(), color.end());
    block.insert(block.end(), mask.begin(), mask.end());
    return block;
}

struct EntrySpec {
    int width = 0; // written as the low 8 bits
    int height = 0;
    uint16_t field4 = 1; // planes or hotspot x
    uint16_t field6 = 0; // bit count or hotspot y
    std::vector<uint8_t> block;
};

// An ICO (type 1) or CUR (type 2) stream with the blocks behind the directory in order.
inline std::vector<uint8_t> MakeIconStream(uint16_t type, const std::vector<EntrySpec>& entries) {
    std::vector<uint8_t> out(6 + 16 * entries.size());
    StoreU16(out.data() + 2, type);
    StoreU16(out.data() + 4, static_cast<uint16_t>(entries.size()));
    uint32_t offset = static_cast<uint32_t>(out.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        uint8_t* e = out.data() + 6 + 16 * i;
        e[0] = static_cast<uint8_t>(entries[i].width);
        e[1] = static_cast<uint8_t>(entries[i].height);
        StoreU16(e + 4, entries[i].field4);
        StoreU16(e + 6, entries[i].field6);
        StoreU32(e + 8, static_cast<uint32_t>(entries[i].block.size()));
        StoreU32(e + 12, offset);
        offset += static_cast<uint32_t>(entries[i].block.size());
    }
    for (const EntrySpec& entry : entries)
        out.insert(out.end(), entry.block.begin(), entry.block.end());
    return out;
}

// An icon of bitmap images made from the recipes.
inline std::vector<uint8_t> MakeIcon(const std::vector<BlockRecipe>& recipes) {
    std::vector<EntrySpec> entries;
    for (const BlockRecipe& recipe : recipes)
        entries.push_back({recipe.width, recipe.height, 1, static_cast<uint16_t>(recipe.bpp),
                           MakeBitmapBlock(recipe)});
    return MakeIconStream(1, entries);
}

inline void LoadBytes(TMultiIcon& icon, const std::vector<uint8_t>& bytes) {
    ByteViewStream stream(bytes.data(), bytes.size());
    icon.LoadFromStream(&stream);
}

inline std::vector<uint8_t> SaveBytes(TMultiIcon& icon) {
    MemoryStream stream;
    icon.SaveToStream(&stream);
    return stream.TakeBytes();
}

} // namespace pictavo::test
