// Icons of 16-bit NE modules load exactly as the .ico files they were packed from
// (tests/fixtures/ne/make_ne.py).

#include "icons/ModuleIcons.h"
#include "peres/ModuleReader.h"
#include "util/Bytes.h"
#include "util/Stream.h"

#include <gtest/gtest.h>

namespace pictavo {
namespace {

std::string Fixture(const std::string& name) {
    return std::string(PICTAVO_FIXTURES) + "/" + name;
}

// What an image shows: its shape, colour table and pixels (the header's image-size
// field is left out: a module keeps it as stored, a stream load clears it).
std::vector<uint8_t> Content(const TMultiIconImage& image) {
    std::vector<uint8_t> out;
    for (int32_t value : {image.Width, image.Height, image.BitsPerPixel, int32_t{image.IsPng}})
        out.insert(out.end(), reinterpret_cast<const uint8_t*>(&value),
                   reinterpret_cast<const uint8_t*>(&value) + sizeof value);
    if (image.IsPng) {
        const std::vector<uint8_t>& pixels = image.Png->Pixels();
        out.insert(out.end(), pixels.begin(), pixels.end());
        return out;
    }
    out.insert(out.end(), image.Header.get() + 40, image.Header.get() + image.HeaderSize);
    out.insert(out.end(), image.ColorBits, image.ColorBits + image.ColorBitsSize);
    out.insert(out.end(), image.MaskBits, image.MaskBits + image.MaskBitsSize);
    return out;
}

TEST(NEModuleIcons, EachGroupLoadsAsItsSourceIconFile) {
    const std::string module = Fixture("ne/icons16.dll");
    ASSERT_EQ(GetModuleIconCount(module), 3);
    const char* sources[] = {"pe/app.ico", "pe/one.ico", "pe/big.ico"};
    for (int position = 0; position < 3; ++position) {
        TMultiIcon fromModule;
        fromModule.LoadFromModule(module, position);
        TMultiIcon fromFile;
        fromFile.LoadFromFile(Fixture(sources[position]));
        ASSERT_EQ(fromModule.IconCount(), fromFile.IconCount()) << position;
        for (int i = 0; i < fromFile.IconCount(); ++i)
            EXPECT_EQ(Content(fromModule.GetIconData(i)), Content(fromFile.GetIconData(i)))
                << position << " image " << i;
    }
}

TEST(NEModuleIcons, CursorGroupsAloneAreNoIcons) {
    const std::string module = Fixture("ne/cursors16.dll");
    EXPECT_EQ(GetModuleIconCount(module), 0);
    TMultiIcon icon;
    try {
        icon.LoadFromModule(module, 0);
        ADD_FAILURE() << "loaded an icon from a module without icon groups";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), "Invalid module or no icon resources");
    }
}

// A group named with an empty text (its name points at the table's ending zero, a name
// of length 0): every way of listing and loading icons finds it as icon 0, as `icons`
// did while the thumbnailer said "Invalid icon resource index".
TEST(NEModuleIcons, GroupNamedWithAnEmptyTextLoads) {
    std::vector<uint8_t> file = ReadFileBytes(Fixture("ne/icons16.dll"));
    const uint32_t table = 64 + LoadU16(file.data() + 64 + 0x24);
    ASSERT_EQ(LoadU16(file.data() + table + 82), 0x800Eu); // the icon-group type
    ASSERT_EQ(LoadU16(file.data() + table + 186), 0u);     // the end of the types
    StoreU16(file.data() + table + 82 + 8 + 6, 186);       // its first group's name
    const auto reader = ModuleReader::FromMemory(file);
    ASSERT_NE(reader, nullptr);
    TMultiIcon byPosition;
    byPosition.LoadModuleIcon(*reader, 0);
    EXPECT_GT(byPosition.IconCount(), 0);
    TMultiIcon byName;
    byName.LoadGroupResource(*reader, "");
    EXPECT_EQ(byName.IconCount(), byPosition.IconCount());
}

} // namespace
} // namespace pictavo
