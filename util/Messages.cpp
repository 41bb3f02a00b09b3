#include "util/Messages.h"

#include "platform/Paths.h"

#include <clocale>
#include <cstdlib>
#include <libintl.h>
#include <string>
#include <unistd.h>

namespace pictavo {

namespace {

constexpr const char* Domain = "pictavo";

bool chinese = true;

std::string ExecutableFolder() {
    std::string path(4096, '\0');
    const ssize_t got = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (got <= 0)
        return ".";
    path.resize(static_cast<size_t>(got));
    return platform::FolderOf(path);
}

} // namespace

std::string MessageLanguage(const char* language, const char* lcAll, const char* lcMessages,
                            const char* lang) {
    if (language && *language) {
        const std::string list = language;
        const std::string first = list.substr(0, list.find(':'));
        if (!first.empty())
            return first;
    }
    for (const char* value : {lcAll, lcMessages, lang})
        if (value && *value)
            return value;
    return "C";
}

bool IsChineseLanguage(const std::string& language) {
    return language.rfind("zh", 0) == 0;
}

void InitMessages() {
    chinese = IsChineseLanguage(MessageLanguage(std::getenv("LANGUAGE"), std::getenv("LC_ALL"),
                                                std::getenv("LC_MESSAGES"), std::getenv("LANG")));
    if (chinese)
        return;
    // gettext reads its catalog by LANGUAGE, and ignores LANGUAGE under the plain C locale;
    // C.UTF-8 is built into the C library, so English needs no generated locale.
    std::setlocale(LC_MESSAGES, "C.UTF-8");
    ::setenv("LANGUAGE", "en", 1);
    ::bindtextdomain(Domain, (ExecutableFolder() + "/../share/locale").c_str());
    ::bind_textdomain_codeset(Domain, "UTF-8");
}

bool MessagesAreChinese() {
    return chinese;
}

const char* Translated(const char* source) {
    return chinese ? source : ::dgettext(Domain, source);
}

} // namespace pictavo
