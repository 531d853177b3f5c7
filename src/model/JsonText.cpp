#include "model/JsonText.h"

#include <charconv>
#include <cstdio>

std::string NumberText(float value) {
    // In the rare case where the shortest float text would round differently when read
    // as a double and narrowed, the float's exact double value is written instead.
    char text[64];
    const auto shortest = std::to_chars(text, text + sizeof text, value);
    double parsed = 0.0;
    std::from_chars(text, shortest.ptr, parsed);
    if (static_cast<float>(parsed) == value) {
        return std::string(text, shortest.ptr);
    }
    const auto exact = std::to_chars(text, text + sizeof text, static_cast<double>(value));
    return std::string(text, exact.ptr);
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (members_.empty()) {
        return;
    }
    const bool readable = layout_ == Layout::Readable;
    if (members_.size() == 1 && readable) {
        text_ += members_.back() > 0 ? ",\n    " : "\n    ";
    } else if (members_.back() > 0) {
        text_ += readable ? ", " : ",";
    }
    ++members_.back();
}

void JsonWriter::Begin(char bracket) {
    BeforeValue();
    text_ += bracket;
    members_.push_back(0);
}

void JsonWriter::End(char bracket) {
    const bool outermost = members_.size() == 1;
    if (outermost && layout_ == Layout::Readable && members_.back() > 0) {
        text_ += '\n';
    }
    members_.pop_back();
    text_ += bracket;
    if (outermost && layout_ == Layout::Readable) {
        text_ += '\n';
    }
}

JsonWriter& JsonWriter::BeginObject() {
    Begin('{');
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    End('}');
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    Begin('[');
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    End(']');
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view name) {
    BeforeValue();
    text_ += JsonString(name);
    text_ += layout_ == Layout::Readable ? ": " : ":";
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view text) {
    BeforeValue();
    text_ += JsonString(text);
    return *this;
}

JsonWriter& JsonWriter::Float(float value) {
    BeforeValue();
    text_ += NumberText(value);
    return *this;
}

JsonWriter& JsonWriter::Integer(uint64_t value) {
    BeforeValue();
    text_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    text_ += value ? "true" : "false";
    return *this;
}
