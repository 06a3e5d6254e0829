#include "net/json_value.h"

#include "core/text/code_pages.h"

namespace boardcast {

const JsonValue& JsonValue::member(std::string_view name) const {
    static const JsonValue kNull;
    for (size_t i = 0; i < names_.size(); ++i) {
        if (names_[i] == name) return items_[i];
    }
    return kNull;
}

class JsonReader {
public:
    explicit JsonReader(std::string_view text) : s_(text) {}

    std::optional<JsonValue> document() {
        JsonValue v;
        if (!value(v, 0)) return std::nullopt;
        skipBlanks();
        if (i_ != s_.size()) return std::nullopt;
        return v;
    }

private:
    void skipBlanks() {
        while (i_ < s_.size() &&
               (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\n' || s_[i_] == '\r'))
            ++i_;
    }
    bool literal(std::string_view word) {
        if (s_.substr(i_, word.size()) != word) return false;
        i_ += word.size();
        return true;
    }
    bool value(JsonValue& v, int depth) {
        if (depth > kMaxJsonDepth) return false;
        skipBlanks();
        if (i_ >= s_.size()) return false;
        const char c = s_[i_];
        if (c == '{') return object(v, depth);
        if (c == '[') return array(v, depth);
        if (c == '"') {
            v.kind_ = JsonValue::Kind::String;
            return string(v.text_);
        }
        if (literal("true")) return v.kind_ = JsonValue::Kind::Bool, v.text_ = "true", true;
        if (literal("false")) return v.kind_ = JsonValue::Kind::Bool, v.text_ = "false", true;
        if (literal("null")) return true;
        const size_t start = i_;
        while (i_ < s_.size() &&
               (std::string_view("+-.eE0123456789").find(s_[i_]) != std::string_view::npos))
            ++i_;
        if (i_ == start) return false;
        v.kind_ = JsonValue::Kind::Number;
        v.text_ = std::string(s_.substr(start, i_ - start));
        return true;
    }
    bool object(JsonValue& v, int depth) {
        v.kind_ = JsonValue::Kind::Object;
        ++i_;
        skipBlanks();
        if (i_ < s_.size() && s_[i_] == '}') return ++i_, true;
        while (true) {
            skipBlanks();
            std::string name;
            if (i_ >= s_.size() || s_[i_] != '"' || !string(name)) return false;
            skipBlanks();
            if (i_ >= s_.size() || s_[i_++] != ':') return false;
            JsonValue item;
            if (!value(item, depth + 1)) return false;
            v.names_.push_back(std::move(name));
            v.items_.push_back(std::move(item));
            skipBlanks();
            if (i_ < s_.size() && s_[i_] == ',') {
                ++i_;
                continue;
            }
            return i_ < s_.size() && s_[i_++] == '}';
        }
    }
    bool array(JsonValue& v, int depth) {
        v.kind_ = JsonValue::Kind::Array;
        ++i_;
        skipBlanks();
        if (i_ < s_.size() && s_[i_] == ']') return ++i_, true;
        while (true) {
            JsonValue item;
            if (!value(item, depth + 1)) return false;
            v.items_.push_back(std::move(item));
            skipBlanks();
            if (i_ < s_.size() && s_[i_] == ',') {
                ++i_;
                continue;
            }
            return i_ < s_.size() && s_[i_++] == ']';
        }
    }
    bool hex4(unsigned& out) {
        if (i_ + 4 > s_.size()) return false;
        out = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = s_[i_++];
            out <<= 4;
            if (c >= '0' && c <= '9')
                out |= static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                out |= static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                out |= static_cast<unsigned>(c - 'A' + 10);
            else
                return false;
        }
        return true;
    }
    bool string(std::string& out) {
        ++i_;  // the opening quote
        while (i_ < s_.size()) {
            const char c = s_[i_++];
            if (c == '"') return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (i_ >= s_.size()) return false;
            const char e = s_[i_++];
            switch (e) {
                case '"':
                case '\\':
                case '/':
                    out += e;
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    unsigned code = 0;
                    if (!hex4(code)) return false;
                    if (code >= 0xD800 && code < 0xDC00 && s_.substr(i_, 2) == "\\u") {
                        i_ += 2;
                        unsigned low = 0;
                        if (!hex4(low)) return false;
                        if (low >= 0xDC00 && low < 0xE000)
                            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    }
                    appendUtf8(out, static_cast<char32_t>(code));
                    break;
                }
                default:
                    return false;
            }
        }
        return false;
    }

    std::string_view s_;
    size_t i_ = 0;
};

std::optional<JsonValue> parseJson(std::string_view text) {
    return JsonReader(text).document();
}

}  // namespace boardcast
