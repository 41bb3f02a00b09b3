#include "search/PhraseSearch.h"
#include "search/CharTables.h"
#include "tests/search/TestFolder.h"
#include "util/Exceptions.h"

#include <gtest/gtest.h>

namespace pictavo {

TEST(CharTablesTest, EightBitFoldsAsciiAndCountsHighBytesAsLetters) {
    const CharTables& t = Tables();
    EXPECT_EQ(t.Lower8['A'], 'a');
    EXPECT_EQ(t.Lower8['z'], 'z');
    EXPECT_EQ(t.Lower8[0xC4], 0xC4);
    EXPECT_EQ(t.Identity8[0xC4], 0xC4);
    EXPECT_EQ(t.Delimiter8[0], 1);
    EXPECT_EQ(t.Delimiter8[' '], 1);
    EXPECT_EQ(t.Delimiter8['.'], 1);
    EXPECT_EQ(t.Delimiter8['7'], 0);
    EXPECT_EQ(t.Delimiter8[0x80], 0);
}

TEST(CharTablesTest, SixteenBitFollowUnicodeData) {
    const CharTables& t = Tables();
    EXPECT_EQ(t.Lower16[u'Ä'], u'ä');
    EXPECT_EQ(t.Lower16[u'Ж'], u'ж');
    EXPECT_EQ(t.Lower16[u'中'], u'中');
    EXPECT_EQ(t.Delimiter16[u'中'], 0);
    EXPECT_EQ(t.Delimiter16[u'。'], 1);
    EXPECT_EQ(t.Delimiter16[0], 1);
    EXPECT_EQ(t.Delimiter16[0xD800], 1);
}

std::string Utf16(const std::u16string& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF);
        const char high = static_cast<char>(unit >> 8);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

const std::string Bom8 = "\xEF\xBB\xBF";
const TContentSearchOptions None;
const TContentSearchOptions Whole{csoWholeWord};
const TContentSearchOptions Exact{csoCaseSensitive};

struct PhraseCase {
    const char* name;
    std::string content;
    std::string phrase;
    TContentSearchOptions options;
    bool found;
};

void PrintTo(const PhraseCase& c, std::ostream* out) {
    *out << c.name;
}

class SearchFileForPhraseTest : public ::testing::TestWithParam<PhraseCase> {};

TEST_P(SearchFileForPhraseTest, FindsWhatTheRulesSay) {
    const PhraseCase& c = GetParam();
    TestFolder folder;
    const std::string file = folder.File("f.bin", c.content);
    EXPECT_EQ(SearchFileForPhrase(file, TStringVariants::FromPhrase(c.phrase), c.options), c.found);
}

INSTANTIATE_TEST_SUITE_P(
    EightBit, SearchFileForPhraseTest,
    ::testing::Values(PhraseCase{"WholeWordInSentence", "a cat.", "cat", Whole, true},
                      PhraseCase{"WholeWordAtEnd", "the cat", "cat", Whole, true},
                      PhraseCase{"WholeWordAtStart", "cat, dog", "cat", Whole, true},
                      PhraseCase{"WholeWordNotInside", "concatenate", "cat", Whole, false},
                      PhraseCase{"WholeWordNotPrefix", "cats", "cat", Whole, false},
                      PhraseCase{"WholeWordSecondTry", "cats cat", "cat", Whole, true},
                      PhraseCase{"HighByteIsLetter",
                                 "\xC3\xA9"
                                 "cat",
                                 "cat", Whole, false},
                      PhraseCase{"IgnoresCase", "an icon", "ICON", None, true},
                      PhraseCase{"CaseSensitive", "an icon", "ICON", Exact, false},
                      PhraseCase{"NoRestartInsideFailedMatch", "aaab", "aab", None, false},
                      PhraseCase{"FoundAfterOtherLetter", "xaab", "aab", None, true},
                      PhraseCase{"OneByteFile", "a", "a", None, true},
                      PhraseCase{"TruncatedUtf8Mark",
                                 "\xEF\xBB"
                                 "abc",
                                 "\xEF\xBB"
                                 "a",
                                 None, true},
                      PhraseCase{"EmptyFile", "", "a", None, false}));

INSTANTIATE_TEST_SUITE_P(
    Unicode, SearchFileForPhraseTest,
    ::testing::Values(
        PhraseCase{"LittleEndian", Utf16(u"an ICON", false), "icon", None, true},
        PhraseCase{"BigEndian", Utf16(u"an ICON", true), "icon", None, true},
        PhraseCase{"BigEndianWholeWord", Utf16(u"x cat.", true), "cat", Whole, true},
        PhraseCase{"LittleEndianNotWholeWord", Utf16(u"xcat", false), "cat", Whole, false},
        PhraseCase{"FoldsBeyondAscii", Utf16(u"GRÖSSE", false), "grösse", None, true},
        PhraseCase{"CaseSensitiveBeyondAscii", Utf16(u"GRÖSSE", false), "GRöSSE", Exact, false},
        PhraseCase{"FinalOddByteNotExamined", Utf16(u"ca", false) + "t", "cat", None, false},
        PhraseCase{"MarkOnlyAsBytes", "\xFF\xFE", "\xFF", None, false}));

INSTANTIATE_TEST_SUITE_P(
    Utf8, SearchFileForPhraseTest,
    ::testing::Values(PhraseCase{"AsciiAfterMultibyteChar", Bom8 + "中abc", "abc", None, true},
                      PhraseCase{"LetterBeforeIsNoWordStart", Bom8 + "中abc", "abc", Whole, false},
                      PhraseCase{"IdeographicStopIsDelimiter", Bom8 + "。abc。", "abc", Whole,
                                 true},
                      PhraseCase{"LetterAfterIsNoWordEnd", Bom8 + "abc中", "abc", Whole, false},
                      PhraseCase{"InvalidBytesDelimit",
                                 Bom8 + "\xFF"
                                        "abc\x80",
                                 "abc", Whole, true},
                      PhraseCase{"MultibytePhrase", Bom8 + "图标库", "标", None, true},
                      PhraseCase{"FoldsAsciiBytes", Bom8 + "Icon", "ICON", None, true}));

// A file of blanks with text written at given offsets.
std::string Blanks(size_t size, std::initializer_list<std::pair<size_t, std::string>> texts) {
    std::string content(size, ' ');
    for (const auto& [offset, text] : texts)
        content.replace(offset, text.size(), text);
    return content;
}

constexpr size_t Block = PhraseSearchBlockSize;

INSTANTIATE_TEST_SUITE_P(
    BlockEnds, SearchFileForPhraseTest,
    ::testing::Values(PhraseCase{"StraddlingMatch", Blanks(2 * Block, {{Block - 3, "needle"}}),
                                 "needle", None, true},
                      PhraseCase{"WholeWordEndingAtBlockEnd",
                                 Blanks(Block + 10, {{Block - 6, "needle"}}), "needle", Whole,
                                 true},
                      PhraseCase{"RejectedAtBlockEndLetterReadAgain",
                                 Blanks(Block + 10, {{Block - 2, "b.xb.."}}), "b.", Whole, false},
                      PhraseCase{"Utf16Straddling",
                                 Utf16(std::u16string(Block / 2 - 3, u' ') + u"needle", false),
                                 "needle", None, true},
                      // The character after the match begins in one block and ends in the next.
                      PhraseCase{"Utf8DelimiterAcrossBlocks", Bom8 + Blanks(Block - 3, {}) + "ab。",
                                 "ab", Whole, true},
                      PhraseCase{"Utf8LetterAcrossBlocks", Bom8 + Blanks(Block - 3, {}) + "ab中",
                                 "ab", Whole, false}));

TEST(SearchFileForPhraseTest, MissingFileRaisesOpenError) {
    TestFolder folder;
    EXPECT_THROW(
        SearchFileForPhrase(folder.Path() + "none", TStringVariants::FromPhrase("a"), None),
        EFOpenError);
    EXPECT_THROW(SearchFileForPhrase(folder.Path(), TStringVariants::FromPhrase("a"), None),
                 EFOpenError);
}

} // namespace pictavo
