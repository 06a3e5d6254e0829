#pragma once
// A JSON reader for the structured data that pages carry (JSON-LD): values as a tree, read
// strictly; a text that is not JSON gives nothing.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace boardcast {

class JsonValue {
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };

    Kind kind() const { return kind_; }
    bool isArray() const { return kind_ == Kind::Array; }
    bool isObject() const { return kind_ == Kind::Object; }
    // A string's text, a number as written, a bool as "true"/"false"; else empty.
    const std::string& text() const { return text_; }
    const std::vector<JsonValue>& items() const { return items_; }
    // The member of that name, or a null value.
    const JsonValue& member(std::string_view name) const;

private:
    friend class JsonReader;
    Kind kind_ = Kind::Null;
    std::string text_;
    std::vector<JsonValue> items_;    // an array's items, an object's values
    std::vector<std::string> names_;  // an object's names, beside items_
};

// Nesting deeper than this is refused, so that no page can exhaust the stack.
inline constexpr int kMaxJsonDepth = 64;

std::optional<JsonValue> parseJson(std::string_view text);

}  // namespace boardcast
