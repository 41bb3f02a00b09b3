#include "cli/JsonText.h"

#include "util/Exceptions.h"

namespace pictavo::cli {

namespace {

// The length of the valid UTF-8 sequence at text[at], or 0 when the byte there does not
// start one (overlong forms, UTF-16 surrogates and values above U+10FFFF are invalid).
size_t Utf8SequenceLength(const std::string& text, size_t at) {
    const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the allowed range of the second byte
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else
        return 0;
    if (at + length > text.size())
        return 0;
    if (byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF)
            return 0;
    return length;
}

} // namespace

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (size_t at = 0; at < text.size();) {
        const char c = text[at];
        const size_t length = Utf8SequenceLength(text, at);
        if (length == 0) {
            out += Format("\\udc%02x", static_cast<unsigned char>(c));
            ++at;
            continue;
        }
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(c);
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            out += Format("\\u%04x", static_cast<unsigned char>(c));
        } else {
            out.append(text, at, length);
        }
        at += length;
    }
    return out + "\"";
}

const char* JsonBool(bool value) {
    return value ? "true" : "false";
}

} // namespace pictavo::cli
