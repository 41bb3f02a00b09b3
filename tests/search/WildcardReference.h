#pragma once
// The wildcard rules written as plain recursion, step by step, to check the fast
// matcher against. Exponential on masks with many "*": use short inputs only.

#include <string>

namespace pictavo::reference {

inline char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

inline bool WildcardMatch(const std::string& text, const std::string& mask, size_t t = 0,
                          size_t m = 0) {
    while (t < text.size() && m < mask.size() && mask[m] != '*') {
        if (mask[m] != '?' && Lower(mask[m]) != Lower(text[t]))
            return false;
        ++t;
        ++m;
    }
    if (t < text.size() && !(m < mask.size() && mask[m] == '*'))
        return false;
    while (m < mask.size() && (mask[m] == '*' || mask[m] == '?'))
        ++m;
    if (t == text.size() || m == mask.size())
        return m == mask.size();
    const char c = Lower(mask[m]);
    for (size_t k = t; k < text.size(); ++k)
        if (Lower(text[k]) == c && WildcardMatch(text, mask, k + 1, m + 1))
            return true;
    return false;
}

} // namespace pictavo::reference
