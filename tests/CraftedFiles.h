#pragma once
// Recipes for crafted files, made in memory by the tests and benchmarks that need them:
// PNG pictures that decode to far more than their size, icon files of them, and
// modules with many icon groups (the fixture noicons32.dll, made by
// tests/fixtures/pe/build.sh, with resources added and written again).

#include "peres/PEResourceModule.h"
#include "util/Bytes.h"
#include "util/Stream.h"

#include <map>
#include <string>
#include <vector>
#include <zlib.h>

namespace pictavo::crafted {

inline void AppendBigEndian(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

inline void AppendChunk(std::vector<uint8_t>& out, const char* type,
                        const std::vector<uint8_t>& data) {
    AppendBigEndian(out, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    AppendBigEndian(out, static_cast<uint32_t>(crc32(0, typed.data(), typed.size())));
}

// A 1-bit grey PNG, all black: a few kilobytes that decode to width x height x 4 bytes.
// `seed` changes one pixel, so that pictures of the same size differ.
inline std::vector<uint8_t> BlankPng(uint32_t width, uint32_t height, uint8_t seed = 0) {
    const size_t rowBytes = 1 + (width + 7) / 8;
    std::vector<uint8_t> raw(rowBytes * height, 0);
    raw[1] = seed;
    uLongf packedSize = compressBound(raw.size());
    std::vector<uint8_t> packed(packedSize);
    compress2(packed.data(), &packedSize, raw.data(), raw.size(), 9);
    packed.resize(packedSize);

    std::vector<uint8_t> header;
    AppendBigEndian(header, width);
    AppendBigEndian(header, height);
    header.insert(header.end(), {1, 0, 0, 0, 0}); // 1 bit, grey, deflate, filter, no interlace
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    AppendChunk(png, "IHDR", header);
    AppendChunk(png, "IDAT", packed);
    AppendChunk(png, "IEND", {});
    return png;
}

// An icon file whose images are the given PNG files, each listed as 256 x 256 at
// `listedBits` bits.
inline std::vector<uint8_t> IconFileOfPngs(const std::vector<std::vector<uint8_t>>& pngs,
                                           uint16_t listedBits = 32) {
    std::vector<uint8_t> out;
    AppendU16(out, 0);
    AppendU16(out, 1);
    AppendU16(out, static_cast<uint16_t>(pngs.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * pngs.size());
    for (const std::vector<uint8_t>& png : pngs) {
        out.insert(out.end(), {0, 0, 0, 0});
        AppendU16(out, 1);
        AppendU16(out, listedBits);
        AppendU32(out, static_cast<uint32_t>(png.size()));
        AppendU32(out, offset);
        offset += static_cast<uint32_t>(png.size());
    }
    for (const std::vector<uint8_t>& png : pngs)
        out.insert(out.end(), png.begin(), png.end());
    return out;
}

// An icon group listing the image resources `ids`, each as 256 x 256 at 32 bits.
inline std::vector<uint8_t> IconGroup(const std::vector<uint16_t>& ids, uint32_t bytesInRes) {
    std::vector<uint8_t> out;
    AppendU16(out, 0);
    AppendU16(out, 1);
    AppendU16(out, static_cast<uint16_t>(ids.size()));
    for (uint16_t id : ids) {
        out.insert(out.end(), {0, 0, 0, 0});
        AppendU16(out, 1);
        AppendU16(out, 32);
        AppendU32(out, bytesInRes);
        AppendU16(out, id);
    }
    return out;
}

// A module made from `base` (a PE32 image with a resource section) with the icon
// images (type 3, by id) and icon groups (type 14, numbered from 1 in order) added.
inline std::vector<uint8_t> ModuleWith(const std::vector<uint8_t>& base,
                                       const std::map<uint16_t, std::vector<uint8_t>>& images,
                                       const std::vector<std::vector<uint8_t>>& groups) {
    TPEResourceModule module;
    MemoryStream in(base);
    module.ReadFromStream(in);
    const auto add = [&module](const std::string& type, const std::string& name,
                               const std::vector<uint8_t>& bytes) {
        module.Append(
            CreateWithData<TResourceDetails>(&module, 0, name, type, bytes.size(), bytes.data()));
    };
    for (const auto& [id, bytes] : images)
        add("3", std::to_string(id), bytes);
    for (size_t i = 0; i < groups.size(); ++i)
        add("14", std::to_string(i + 1), groups[i]);
    MemoryStream out;
    module.WriteToStream(out);
    return out.TakeBytes();
}

} // namespace pictavo::crafted
