#include "search/MaskText.h"

#include <gtest/gtest.h>

namespace pictavo {

using Strings = std::vector<std::string>;

struct MaskTextCase {
    const char* text;
    Strings items;
};

class MaskTextTest : public ::testing::TestWithParam<MaskTextCase> {};

TEST_P(MaskTextTest, SplitsAsCommaText) {
    EXPECT_EQ(SplitMaskText(GetParam().text), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MaskTextTest,
    ::testing::Values(MaskTextCase{"*.exe;*.dll", {"*.exe", "*.dll"}},
                      MaskTextCase{"*.exe *.dll", {"*.exe", "*.dll"}},
                      MaskTextCase{"*.exe,*.dll", {"*.exe", "*.dll"}},
                      MaskTextCase{"  *.ico  ", {"*.ico"}},
                      // a trailing separator gives an empty item: the bare folder, every file
                      MaskTextCase{"*.ico;", {"*.ico", ""}},
                      MaskTextCase{"*.ico;;*.cur", {"*.ico", "", "*.cur"}}, MaskTextCase{"", {}},
                      MaskTextCase{"\"my icons*.ico\",*.cur", {"my icons*.ico", "*.cur"}},
                      MaskTextCase{"\"a\"\"b, c\"", {"a\"b, c"}}));

} // namespace pictavo
