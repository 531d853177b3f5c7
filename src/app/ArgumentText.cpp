#include "app/ArgumentText.h"

#include "model/ShownText.h"

// Both directions work character by character: Qt's own UTF-8 conversion drops a
// byte-order mark at the start of a text, which would lose the bytes EF BB BF.

namespace {

// The lone surrogates that stand for the bytes 0x80..0xFF of invalid sequences (bytes
// below 0x80 are always valid on their own).
constexpr char32_t ByteSurrogateBase = 0xDC00;
constexpr char16_t FirstByteSurrogate = 0xDC80;
constexpr char16_t LastByteSurrogate = 0xDCFF;

// The code point of the valid UTF-8 sequence of `length` bytes at `at`.
char32_t CodePoint(std::string_view bytes, size_t at, size_t length) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
    if (length == 1) {
        return byte(0);
    }
    char32_t point = byte(0) & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        point = point << 6 | (byte(i) & 0x3F);
    }
    return point;
}

void AppendUtf8(std::string& out, char32_t point) {
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | point >> 6);
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | point >> 12);
        out += static_cast<char>(0x80 | (point >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | point >> 18);
        out += static_cast<char>(0x80 | (point >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (point >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

} // namespace

QString DecodeArgument(std::string_view bytes) {
    QString text;
    for (size_t at = 0; at < bytes.size();) {
        const size_t length = Utf8SequenceLength(bytes, at);
        if (length == 0) {
            text += QChar(
                static_cast<char16_t>(ByteSurrogateBase + static_cast<unsigned char>(bytes[at])));
            ++at;
            continue;
        }
        const char32_t point = CodePoint(bytes, at, length);
        if (QChar::requiresSurrogates(point)) {
            text += QChar(QChar::highSurrogate(point));
            text += QChar(QChar::lowSurrogate(point));
        } else {
            text += QChar(static_cast<char16_t>(point));
        }
        at += length;
    }
    return text;
}

std::string ArgumentBytes(const QString& text) {
    std::string bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            AppendUtf8(bytes, QChar::surrogateToUcs4(unit, text[i + 1].unicode()));
            ++i;
        } else if (unit >= FirstByteSurrogate && unit <= LastByteSurrogate) {
            bytes += static_cast<char>(unit - ByteSurrogateBase);
        } else if (QChar::isSurrogate(unit)) {
            AppendUtf8(bytes, 0xFFFD); // a lone surrogate no argument can have held
        } else {
            AppendUtf8(bytes, unit);
        }
    }
    return bytes;
}
