#include "util/VersionBlock.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace pictavo {

namespace {

std::vector<uint8_t> SampleBlock() {
    FixedFileInfo fixed;
    fixed.FileVersionMS = 0x00040002;
    fixed.FileVersionLS = 0x00000007;
    return EncodeVersionNode(MakeVersionTree(
        fixed, "040904E4", {{"ProductName", "Pictavo"}, {"Comments", "图标"}}, 0x04E40409));
}

std::optional<std::string> Text(const std::vector<uint8_t>& block, const std::string& path) {
    const std::optional<VersionValue> value = QueryVersionValue(block.data(), block.size(), path);
    if (!value)
        return std::nullopt;
    return VersionValueText(*value);
}

} // namespace

TEST(VersionBlockTest, RootIsTheFixedInformation) {
    const std::vector<uint8_t> block = SampleBlock();
    const std::optional<VersionValue> root = QueryVersionValue(block.data(), block.size(), "\\");
    ASSERT_TRUE(root);
    EXPECT_FALSE(root->IsText);
    EXPECT_EQ(root->Size, FixedFileInfoSize);
    const std::optional<FixedFileInfo> fixed = ParseFixedFileInfo(*root);
    ASSERT_TRUE(fixed);
    EXPECT_EQ(fixed->Signature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->FileVersionMS, 0x00040002u);
    EXPECT_EQ(fixed->FileVersionLS, 7u);
}

TEST(VersionBlockTest, PathsWalkKeysWithoutRegardToCase) {
    const std::vector<uint8_t> block = SampleBlock();
    EXPECT_EQ(Text(block, "\\StringFileInfo\\040904E4\\ProductName"), "Pictavo");
    EXPECT_EQ(Text(block, "\\stringfileinfo\\040904e4\\PRODUCTNAME"), "Pictavo");
    EXPECT_EQ(Text(block, "\\StringFileInfo\\040904E4\\Comments"), "图标");
    EXPECT_FALSE(Text(block, "\\StringFileInfo\\040904B0\\ProductName"));
    EXPECT_FALSE(Text(block, "\\StringFileInfo\\040904E4\\CompanyName"));
    EXPECT_FALSE(Text(block, "\\StringFileInfo\\040904E4\\ProductName\\Deeper"));

    const std::optional<VersionValue> translation =
        QueryVersionValue(block.data(), block.size(), "\\VarFileInfo\\Translation");
    ASSERT_TRUE(translation);
    ASSERT_EQ(translation->Size, 4u);
    EXPECT_EQ(translation->Data[0] | translation->Data[1] << 8, 0x0409);
    EXPECT_EQ(translation->Data[2] | translation->Data[3] << 8, 0x04E4);
}

// Every cut of a valid block is read within its bounds (the copy is exactly n bytes,
// so the sanitizer sees any overrun); a cut root answers nothing.
TEST(VersionBlockTest, TruncatedBlocksStayInBounds) {
    const std::vector<uint8_t> block = SampleBlock();
    for (size_t n = 0; n < block.size(); ++n) {
        const std::vector<uint8_t> cut(block.begin(), block.begin() + n);
        EXPECT_FALSE(QueryVersionValue(cut.data(), cut.size(), "\\")) << n;
        EXPECT_FALSE(Text(cut, "\\StringFileInfo\\040904E4\\Comments")) << n;
    }
}

struct DamageCase {
    const char* name;
    size_t offset; // of a 16-bit field, from the start of the ProductName node
    uint16_t value;
};

void PrintTo(const DamageCase& c, std::ostream* out) {
    *out << c.name;
}

class VersionBlockDamageTest : public ::testing::TestWithParam<DamageCase> {};

// A damaged node hides itself and what follows it, never more, never a hang.
TEST_P(VersionBlockDamageTest, DamagedNodeIsNotFound) {
    std::vector<uint8_t> block = SampleBlock();
    const std::u16string key = u"ProductName";
    const auto start =
        std::search(block.begin(), block.end(), reinterpret_cast<const uint8_t*>(key.data()),
                    reinterpret_cast<const uint8_t*>(key.data() + key.size()));
    ASSERT_NE(start, block.end());
    const size_t node = static_cast<size_t>(start - block.begin()) - 6;
    block[node + GetParam().offset] = static_cast<uint8_t>(GetParam().value);
    block[node + GetParam().offset + 1] = static_cast<uint8_t>(GetParam().value >> 8);

    EXPECT_FALSE(Text(block, "\\StringFileInfo\\040904E4\\ProductName"));
    EXPECT_FALSE(Text(block, "\\StringFileInfo\\040904E4\\Comments"));
    EXPECT_TRUE(QueryVersionValue(block.data(), block.size(), "\\"));
}

INSTANTIATE_TEST_SUITE_P(Cases, VersionBlockDamageTest,
                         ::testing::Values(DamageCase{"ZeroLength", 0, 0},
                                           DamageCase{"ShorterThanHeader", 0, 5},
                                           DamageCase{"PastParent", 0, 0xFFF0},
                                           DamageCase{"EndsInsideKey", 0, 6 + 4}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(VersionBlockTest, TextValueLongerThanItsNodeIsClipped) {
    VersionNode node;
    node.Key = "K";
    node.IsText = true;
    node.Text = "abc";
    std::vector<uint8_t> bytes = EncodeVersionNode(node);
    bytes[2] = 0xFF; // value length far beyond the node
    bytes[3] = 0x7F;
    const std::optional<VersionValue> value = QueryVersionValue(bytes.data(), bytes.size(), "\\");
    ASSERT_TRUE(value);
    EXPECT_LE(value->Data + value->Size, bytes.data() + bytes.size());
    EXPECT_EQ(VersionValueText(*value), "abc");
}

} // namespace pictavo
