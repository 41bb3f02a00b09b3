#pragma once
// The language of the texts a user reads. The Chinese texts in the code are the source
// texts; under any other language their English translations from po/en.po (GNU gettext)
// are shown. Mark a Chinese text with _("...") where it is used, or N_("...") where it is
// only stored and _() where it reaches the user; scripts/check-translations finds them.

#include <string>

namespace pictavo {

// The user's message language: the first of LANGUAGE (its first entry), LC_ALL,
// LC_MESSAGES and LANG that is set and not empty; "C" when none is.
std::string MessageLanguage(const char* language, const char* lcAll, const char* lcMessages,
                            const char* lang);

// Chinese for any zh* language (zh_CN.UTF-8, zh_TW, zh); English for everything else.
bool IsChineseLanguage(const std::string& language);

// Chooses the language from the environment and, for English, loads the English
// catalog that lies in share/locale beside the program's bin folder (the build tree
// and an installed tree alike). Call once at start, after anything that calls setlocale.
void InitMessages();

// True after InitMessages chose Chinese, and before InitMessages (tests see source texts).
bool MessagesAreChinese();

// The text in the user's language.
const char* Translated(const char* source);

} // namespace pictavo

#define _(text) ::pictavo::Translated(text)
#define N_(text) text
