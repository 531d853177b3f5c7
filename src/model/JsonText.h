#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// JSON text written one token at a time: names and strings escaped as JSON requires,
// floats in their shortest exact form (NumberText), the commas and blanks placed by the
// writer. The parameter file and the glTF exporter write their JSON through it.

// The shortest text that reads back as exactly `value`, also when read as a double and
// narrowed to a float (in the rare case where those differ, the float's exact double
// value): valid JSON for every finite float, independent of the locale.
std::string NumberText(float value);

// `text` as a JSON string, quotes included: the quote, the backslash and every control
// character escaped; all other bytes as they are.
std::string JsonString(std::string_view text);

class JsonWriter {
public:
    enum class Layout {
        // No blanks at all: {"a":1,"b":[2,3]}.
        Compact,
        // For people: the outermost container's members one a line, indented by four
        // blanks; whatever is inside a member stays on its line, with a blank after each
        // colon and comma: {"x": 1, "y": 2}. The text ends with a line end.
        Readable,
    };

    explicit JsonWriter(Layout layout = Layout::Compact) : layout_(layout) {}

    // Inside an object, each value follows the Key() that names it.
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view name);

    JsonWriter& String(std::string_view text);
    JsonWriter& Float(float value); // a finite value (NumberText)
    JsonWriter& Integer(uint64_t value);
    JsonWriter& Bool(bool value);

    // The text so far; the whole document once the outermost container is closed.
    const std::string& Text() const { return text_; }

private:
    void BeforeValue();
    void Begin(char bracket);
    void End(char bracket);

    Layout layout_;
    std::string text_;
    std::vector<int> members_; // per open container, how many members it has so far
    bool afterKey_ = false;
};
