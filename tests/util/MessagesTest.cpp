#include "util/Messages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace pictavo {
namespace {

struct LanguageCase {
    const char* Language;
    const char* LcAll;
    const char* LcMessages;
    const char* Lang;
    const char* Expected;
    bool Chinese;
};

// LANGUAGE, then LC_ALL, LC_MESSAGES and LANG: the first one set and not empty decides.
const LanguageCase LanguageCases[] = {
    {nullptr, nullptr, nullptr, "zh_CN.UTF-8", "zh_CN.UTF-8", true},
    {nullptr, nullptr, nullptr, "zh_TW.UTF-8", "zh_TW.UTF-8", true},
    {nullptr, nullptr, nullptr, "en_US.UTF-8", "en_US.UTF-8", false},
    {nullptr, nullptr, nullptr, "de_DE.UTF-8", "de_DE.UTF-8", false},
    {nullptr, nullptr, nullptr, "C.UTF-8", "C.UTF-8", false},
    {nullptr, nullptr, nullptr, nullptr, "C", false},
    {"", "", "", "", "C", false},
    {"zh_CN:en", "en_US.UTF-8", nullptr, "en_US.UTF-8", "zh_CN", true},
    {"en", nullptr, nullptr, "zh_CN.UTF-8", "en", false},
    {":", "zh_TW.UTF-8", nullptr, nullptr, "zh_TW.UTF-8", true},
    {nullptr, "C", "zh_CN.UTF-8", "zh_CN.UTF-8", "C", false},
    {nullptr, nullptr, "zh_HK.UTF-8", "en_US.UTF-8", "zh_HK.UTF-8", true},
    {nullptr, nullptr, "", "zh_SG.UTF-8", "zh_SG.UTF-8", true},
};

TEST(Messages, LanguageFollowsTheUsualOrder) {
    for (const LanguageCase& c : LanguageCases) {
        const std::string language = MessageLanguage(c.Language, c.LcAll, c.LcMessages, c.Lang);
        EXPECT_EQ(language, c.Expected);
        EXPECT_EQ(IsChineseLanguage(language), c.Chinese) << language;
    }
}

TEST(Messages, SourceTextsAreShownBeforeALanguageIsChosen) {
    EXPECT_TRUE(MessagesAreChinese());
    EXPECT_STREQ(_("图像无效"), "图像无效");
}

struct TranslationCase {
    const char* Environment; // NAME=VALUE
    const char* Source;
    const char* Shown;
};

// The English catalog is the one built into build/share/locale, beside the test's bin/.
const TranslationCase TranslationCases[] = {
    {"LANG=en_US.UTF-8", "图像无效", "Invalid image"},
    {"LANG=C", "无效的图标或光标", "Invalid icon or cursor"},
    {"LC_ALL=de_DE.UTF-8", "保存项目的名称重复", "An item with this name is already saved"},
    {"LANGUAGE=en_GB", "错误", "Error"},
    {"LANG=zh_CN.UTF-8", "图像无效", "图像无效"},
    {"LANGUAGE=zh_TW", "错误", "错误"},
};

TEST(Messages, ChosenLanguageShowsItsText) {
    for (const TranslationCase& c : TranslationCases) {
        // In a child process: the choice is made once per program.
        EXPECT_EXIT(
            {
                for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
                    ::unsetenv(name);
                ::putenv(const_cast<char*>(c.Environment));
                InitMessages();
                std::exit(std::string(_(c.Source)) == c.Shown ? 0 : 1);
            },
            testing::ExitedWithCode(0), "")
            << c.Environment << " " << c.Source;
    }
}

} // namespace
} // namespace pictavo
