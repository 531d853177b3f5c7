#include "model/ShownText.h"

size_t Utf8SequenceLength(std::string_view s, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(at);
    size_t length = 0;
    unsigned char low = 0x80; // the range of the second byte, narrower after some leads
    unsigned char high = 0xBF;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF; // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (at + length > s.size() || byte(at + 1) < low || byte(at + 1) > high) {
        return 0;
    }
    for (size_t i = 2; i < length; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

namespace {

void AppendHex(std::string& out, unsigned char c) {
    static const char digits[] = "0123456789abcdef";
    out += "\\x";
    out += digits[c >> 4];
    out += digits[c & 15];
}

std::string Escaped(std::string_view bytes, bool quoted) {
    std::string out;
    for (size_t at = 0; at < bytes.size();) {
        const size_t length = Utf8SequenceLength(bytes, at);
        const unsigned char c = static_cast<unsigned char>(bytes[at]);
        if (length == 0) {
            AppendHex(out, c);
            ++at;
            continue;
        }
        if (length == 1) {
            if (c == '\n') {
                out += "\\n";
            } else if (c == '\t') {
                out += "\\t";
            } else if (c == '\r') {
                out += "\\r";
            } else if (c == '\\') {
                out += "\\\\";
            } else if (c == '\'' && quoted) {
                out += "\\'";
            } else if (c < 0x20 || c == 0x7F) {
                AppendHex(out, c);
            } else {
                out += static_cast<char>(c);
            }
        } else if (c == 0xC2 && static_cast<unsigned char>(bytes[at + 1]) < 0xA0) {
            // U+0080..U+009F: control characters some terminals act on.
            AppendHex(out, c);
            AppendHex(out, static_cast<unsigned char>(bytes[at + 1]));
        } else {
            out.append(bytes.substr(at, length));
        }
        at += length;
    }
    return out;
}

} // namespace

std::string EscapedText(std::string_view bytes) {
    return Escaped(bytes, false);
}

std::string QuotedText(std::string_view bytes) {
    return "'" + Escaped(bytes, true) + "'";
}
