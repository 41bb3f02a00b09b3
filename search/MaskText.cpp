#include "search/MaskText.h"

namespace pictavo {

namespace {

bool IsBlank(char c) {
    return c >= 1 && c <= ' ';
}

std::string Trimmed(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    return text.substr(begin, end - begin);
}

// The quoted item at text[p] (a quote); p ends after its closing quote.
std::string QuotedItem(const std::string& text, size_t& p) {
    std::string item;
    ++p;
    while (p < text.size()) {
        if (text[p] == '"') {
            if (p + 1 < text.size() && text[p + 1] == '"') {
                item.push_back('"');
                p += 2;
                continue;
            }
            ++p;
            break;
        }
        item.push_back(text[p++]);
    }
    return item;
}

} // namespace

std::vector<std::string> SplitMaskText(const std::string& mask) {
    std::string text = Trimmed(mask);
    for (char& c : text)
        if (c == ';')
            c = ',';
    std::vector<std::string> items;
    size_t p = 0;
    while (p < text.size() && IsBlank(text[p]))
        ++p;
    while (p < text.size()) {
        if (text[p] == '"') {
            items.push_back(QuotedItem(text, p));
        } else {
            const size_t start = p;
            while (p < text.size() && static_cast<unsigned char>(text[p]) > ' ' && text[p] != ',')
                ++p;
            items.push_back(text.substr(start, p - start));
        }
        while (p < text.size() && IsBlank(text[p]))
            ++p;
        if (p < text.size() && text[p] == ',') {
            if (p + 1 == text.size())
                items.emplace_back();
            do
                ++p;
            while (p < text.size() && IsBlank(text[p]));
        }
    }
    return items;
}

} // namespace pictavo
