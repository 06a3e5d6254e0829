#include "core/help/rtf_reader.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

#include "core/text/code_pages.h"

namespace boardcast {
namespace {

// Groups nested deeper than this share the deepest kept state, so the state stack stays
// small however deep a file nests; only formatting inside such groups leaks outwards.
constexpr size_t kMaxKeptGroups = 256;
constexpr size_t kMaxFonts = 4096;
constexpr int64_t kMaxParameter = 1'000'000'000;
constexpr size_t kMaxWordLength = 32;
constexpr int kMaxFontSize = 3276;  // 1638 points, the largest size word processors offer
constexpr int kMaxUnicodeSkip = 64;
constexpr int kMaxTwips = 31680;  // 22 inches
constexpr int kSymbolCharset = -2;
constexpr char32_t kReplacement = 0xFFFD;

// clang-format off
enum class Word {
    Ansi, AnsiCodePage, Bin, Bold, Bullet, Cell, CodePage, DefaultFont, EmDash, EmSpace, EnDash,
    EnSpace, FirstIndent, Font, FontCharset, FontModern, FontSize, FontTable, Hidden, Italic,
    LeftDoubleQuote, LeftIndent, LeftQuote, Line, ListText, Mac, OutlineLevel, Page, Par, Pard, Pc,
    Pca, Plain, QuarterSpace, AlignCenter, AlignJustify, AlignLeft, AlignRight, RightDoubleQuote,
    RightQuote, Row, Section, SkipGroup, SpaceAfter, SpaceBefore, Tab, InTable, Unicode,
    UnicodeSkip, Underline, UnderlineNone, ZeroWidthJoiner, ZeroWidthNonJoiner,
};

struct WordEntry {
    std::string_view name;
    Word word;
};

// Sorted by name for the binary search in findWord.
constexpr WordEntry kWords[] = {
    {"annotation", Word::SkipGroup}, {"ansi", Word::Ansi}, {"ansicpg", Word::AnsiCodePage},
    {"atnauthor", Word::SkipGroup}, {"atndate", Word::SkipGroup}, {"atnid", Word::SkipGroup},
    {"atnparent", Word::SkipGroup}, {"atnref", Word::SkipGroup}, {"atntime", Word::SkipGroup},
    {"atrfend", Word::SkipGroup}, {"atrfstart", Word::SkipGroup}, {"author", Word::SkipGroup},
    {"b", Word::Bold}, {"bin", Word::Bin}, {"bkmkend", Word::SkipGroup},
    {"bkmkstart", Word::SkipGroup}, {"bullet", Word::Bullet}, {"buptim", Word::SkipGroup},
    {"cell", Word::Cell}, {"colorschememapping", Word::SkipGroup}, {"colortbl", Word::SkipGroup},
    {"comment", Word::SkipGroup}, {"cpg", Word::CodePage}, {"creatim", Word::SkipGroup},
    {"datafield", Word::SkipGroup}, {"datastore", Word::SkipGroup}, {"deff", Word::DefaultFont},
    {"doccomm", Word::SkipGroup}, {"docvar", Word::SkipGroup}, {"emdash", Word::EmDash},
    {"emspace", Word::EmSpace}, {"endash", Word::EnDash}, {"enspace", Word::EnSpace},
    {"f", Word::Font}, {"falt", Word::SkipGroup}, {"fcharset", Word::FontCharset},
    {"fi", Word::FirstIndent}, {"filetbl", Word::SkipGroup}, {"fldinst", Word::SkipGroup},
    {"fmodern", Word::FontModern}, {"fontemb", Word::SkipGroup}, {"fonttbl", Word::FontTable},
    {"footer", Word::SkipGroup}, {"footerf", Word::SkipGroup}, {"footerl", Word::SkipGroup},
    {"footerr", Word::SkipGroup}, {"footnote", Word::SkipGroup}, {"fs", Word::FontSize},
    {"ftncn", Word::SkipGroup}, {"ftnsep", Word::SkipGroup}, {"ftnsepc", Word::SkipGroup},
    {"generator", Word::SkipGroup}, {"header", Word::SkipGroup}, {"headerf", Word::SkipGroup},
    {"headerl", Word::SkipGroup}, {"headerr", Word::SkipGroup}, {"i", Word::Italic},
    {"info", Word::SkipGroup}, {"intbl", Word::InTable}, {"keywords", Word::SkipGroup},
    {"latentstyles", Word::SkipGroup}, {"ldblquote", Word::LeftDoubleQuote},
    {"li", Word::LeftIndent}, {"line", Word::Line}, {"listoverridetable", Word::SkipGroup},
    {"listpicture", Word::SkipGroup}, {"listtable", Word::SkipGroup}, {"listtext", Word::ListText},
    {"lquote", Word::LeftQuote}, {"mac", Word::Mac}, {"mmathPr", Word::SkipGroup},
    {"nestcell", Word::Cell}, {"nestrow", Word::Row}, {"nonshppict", Word::SkipGroup},
    {"object", Word::SkipGroup}, {"operator", Word::SkipGroup},
    {"outlinelevel", Word::OutlineLevel}, {"page", Word::Page}, {"panose", Word::SkipGroup},
    {"par", Word::Par}, {"pard", Word::Pard}, {"pc", Word::Pc}, {"pca", Word::Pca},
    {"pgdsctbl", Word::SkipGroup}, {"pict", Word::SkipGroup}, {"plain", Word::Plain},
    {"pn", Word::SkipGroup}, {"pntext", Word::ListText}, {"pntxta", Word::SkipGroup},
    {"pntxtb", Word::SkipGroup}, {"printim", Word::SkipGroup}, {"private", Word::SkipGroup},
    {"qc", Word::AlignCenter}, {"qj", Word::AlignJustify}, {"ql", Word::AlignLeft},
    {"qmspace", Word::QuarterSpace}, {"qr", Word::AlignRight},
    {"rdblquote", Word::RightDoubleQuote}, {"revtbl", Word::SkipGroup}, {"revtim", Word::SkipGroup},
    {"row", Word::Row}, {"rquote", Word::RightQuote}, {"rsidtbl", Word::SkipGroup},
    {"sa", Word::SpaceAfter}, {"sb", Word::SpaceBefore}, {"sect", Word::Section},
    {"shpinst", Word::SkipGroup}, {"stylesheet", Word::SkipGroup}, {"subject", Word::SkipGroup},
    {"tab", Word::Tab}, {"tc", Word::SkipGroup}, {"template", Word::SkipGroup},
    {"themedata", Word::SkipGroup}, {"title", Word::SkipGroup}, {"txe", Word::SkipGroup},
    {"u", Word::Unicode}, {"uc", Word::UnicodeSkip}, {"ul", Word::Underline},
    {"uld", Word::Underline}, {"uldash", Word::Underline}, {"uldb", Word::Underline},
    {"ulnone", Word::UnderlineNone}, {"ulth", Word::Underline}, {"ulw", Word::Underline},
    {"ulwave", Word::Underline}, {"userprops", Word::SkipGroup}, {"v", Word::Hidden},
    {"xe", Word::SkipGroup}, {"xmlnstbl", Word::SkipGroup}, {"zwj", Word::ZeroWidthJoiner},
    {"zwnj", Word::ZeroWidthNonJoiner},
};
// clang-format on

static_assert(std::is_sorted(std::begin(kWords), std::end(kWords),
                             [](const WordEntry& a, const WordEntry& b) {
                                 return a.name < b.name;
                             }));

const Word* findWord(std::string_view name) {
    auto it = std::lower_bound(std::begin(kWords), std::end(kWords), name,
                               [](const WordEntry& e, std::string_view n) { return e.name < n; });
    return it != std::end(kWords) && it->name == name ? &it->word : nullptr;
}

int codePageOfCharset(int charset) {
    switch (charset) {
        case 2:
            return kSymbolCharset;
        case 77:
            return 10000;
        case 161:
            return 1253;
        case 162:
            return 1254;
        case 204:
            return 1251;
        case 238:
            return 1250;
        case 255:
            return 437;
        default:
            return 0;  // ANSI, default and the pages we cannot decode: the document's page
    }
}

bool isSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// Text that can appear in a run: no control characters besides the tab.
bool isPrintable(char32_t c) {
    return c == '\t' ||
           (c >= 0x20 && c != 0x7F && !(c >= 0x80 && c < 0xA0) && !isSurrogate(c) && c <= 0x10FFFF);
}

// Writes c into out (at least 4 bytes) and returns the number of bytes written.
size_t appendUtf8(char* out, char32_t c) {
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (c >> 12));
        out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (c >> 18));
    out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (c & 0x3F));
    return 4;
}

// One UTF-8 sequence at text[pos]; an invalid or cut-off one counts as one byte of U+FFFD.
char32_t decodeUtf8(std::string_view text, size_t& pos) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    const size_t length = lead < 0x80             ? 1
                          : (lead & 0xE0) == 0xC0 ? 2
                          : (lead & 0xF0) == 0xE0 ? 3
                          : (lead & 0xF8) == 0xF0 ? 4
                                                  : 0;
    if (length == 1) return text[pos++];
    if (length == 0 || pos + length > text.size()) {
        ++pos;
        return kReplacement;
    }
    char32_t c = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) {
            ++pos;
            return kReplacement;
        }
        c = (c << 6) | (byte(pos + i) & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length] || c > 0x10FFFF || isSurrogate(c)) {
        ++pos;
        return kReplacement;
    }
    pos += length;
    return c;
}

struct CharFormat {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool hidden = false;  // \v: not shown, so not read
    int fontSize = 0;
};

struct ParaFormat {
    RtfAlignment alignment = RtfAlignment::Left;
    int leftIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    int outlineLevel = -1;
    bool inTable = false;
};

enum class Destination { Text, FontTable };

struct GroupState {
    CharFormat chars;
    ParaFormat para;
    Destination destination = Destination::Text;
    int font = -1;
    int unicodeSkip = 1;  // \ucN: fallback characters that follow each \uN
};

struct FontInfo {
    int codePage = 0;  // 0: the document's code page
    bool monospace = false;
};

void appendRun(RtfParagraph& p, std::string_view text, const CharFormat& f, bool monospace) {
    if (!p.runs.empty()) {
        RtfRun& last = p.runs.back();
        if (last.bold == f.bold && last.italic == f.italic && last.underline == f.underline &&
            last.fontSizeHalfPoints == f.fontSize && last.monospace == monospace) {
            last.text += text;
            return;
        }
    }
    p.runs.push_back({std::string(text), f.bold, f.italic, f.underline, f.fontSize, monospace});
}

void appendRun(RtfParagraph& p, const RtfRun& run) {
    appendRun(p, run.text, {run.bold, run.italic, run.underline, false, run.fontSizeHalfPoints},
              run.monospace);
}

bool isBlank(const RtfParagraph& p) {
    for (const RtfRun& run : p.runs) {
        if (run.text.find_first_not_of(" \t\n") != std::string::npos) return false;
    }
    return true;
}

// One pass over the bytes. Groups push and pop the formatting state; a skipped destination
// is passed over by counting braces only (and \bin lengths), so nothing in it can act.
// Text goes into the open paragraph, or into a side buffer while a list marker's group is
// open. Every token is looked at once and no step looks back, so the time is linear.
class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) { stack_.emplace_back(); }

    RtfDocument read() {
        while (pos_ < in_.size()) {
            const unsigned char c = in_[pos_++];
            if (c == '{') {
                openGroup();
            } else if (c == '}') {
                closeGroup();
            } else if (c == '\\') {
                escape();
            } else if (c != '\r' && c != '\n' && !skipping_ && !consumeFallback()) {
                emitByte(c);
            }
        }
        flushHighSurrogate();
        flushListText();
        listTextDepth_ = 0;
        // A last paragraph without its mark keeps the format its text was written in, even
        // when the document's groups closed before the end.
        if (!paragraph_.runs.empty() || pendingCells_ > 0) endParagraph(lastTextFormat_);
        return std::move(doc_);
    }

private:
    GroupState& state() { return stack_.back(); }

    // A brace ends a pending \uN fallback, as other readers do: the fallback never spans groups.
    void openGroup() {
        pendingFallback_ = 0;
        ++depth_;
        if (!skipping_ && depth_ < kMaxKeptGroups) stack_.push_back(stack_.back());
    }

    void closeGroup() {
        if (depth_ == 0) return;  // a stray closing brace
        pendingFallback_ = 0;
        if (skipping_) {
            // Groups inside a skipped destination were never pushed.
            if (depth_ > skipDepth_) {
                --depth_;
                return;
            }
            skipping_ = false;
        }
        if (depth_ == listTextDepth_) {
            flushListText();
            listTextDepth_ = 0;
        }
        if (depth_ < kMaxKeptGroups) stack_.pop_back();
        --depth_;
    }

    void skipGroup() {
        skipping_ = true;
        skipDepth_ = depth_;
    }

    // True when the token just read is one of the \ucN characters after a \uN: it is dropped.
    // Text, \'hh, control words and symbols each count as one.
    bool consumeFallback() {
        if (pendingFallback_ == 0) return false;
        --pendingFallback_;
        return true;
    }

    // After a backslash: a control word, \'hh, or a control symbol.
    void escape() {
        if (pos_ >= in_.size()) return;
        const char c = in_[pos_];
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            controlWord();
            return;
        }
        ++pos_;
        if (c == '\'') {
            int value = 0;
            int digits = 0;
            while (digits < 2 && pos_ < in_.size()) {
                const int d = hexDigit(in_[pos_]);
                if (d < 0) break;
                value = value * 16 + d;
                ++digits;
                ++pos_;
            }
            if (!skipping_ && !consumeFallback() && digits > 0) {
                emitByte(static_cast<unsigned char>(value));
            }
            return;
        }
        if (skipping_ || consumeFallback()) return;
        switch (c) {
            case '\\':
            case '{':
            case '}':
                emit(static_cast<char32_t>(c));
                break;
            case '~':
                emit(0x00A0);
                break;
            case '_':
                emit(0x2011);
                break;
            case '*':
                skipGroup();
                break;
            case '\r':
            case '\n':
                paragraphMark();
                break;
            default:
                break;  // \- optional hyphen, \: and \| index and formula marks
        }
    }

    static int hexDigit(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    // A control word: letters, an optional signed number (clamped, however many digits follow)
    // and an optional space that belongs to the word.
    void controlWord() {
        const size_t start = pos_;
        while (pos_ < in_.size() &&
               ((in_[pos_] >= 'a' && in_[pos_] <= 'z') || (in_[pos_] >= 'A' && in_[pos_] <= 'Z')))
            ++pos_;
        const std::string_view name = in_.substr(start, pos_ - start);
        bool negative = false;
        if (pos_ + 1 < in_.size() && in_[pos_] == '-' && isDigit(in_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        bool hasParam = false;
        int64_t value = 0;
        while (pos_ < in_.size() && isDigit(in_[pos_])) {
            hasParam = true;
            if (value < kMaxParameter) value = value * 10 + (in_[pos_] - '0');
            ++pos_;
        }
        value = std::min(value, kMaxParameter);
        if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
        const int param = static_cast<int>(negative ? -value : value);

        const Word* word = name.size() <= kMaxWordLength ? findWord(name) : nullptr;
        if (word && *word == Word::Bin) {
            // Binary data: its bytes are never read as RTF, wherever it stands.
            pos_ += std::min(static_cast<size_t>(std::max(param, 0)), in_.size() - pos_);
            if (!skipping_) consumeFallback();
            return;
        }
        if (skipping_ || consumeFallback() || !word) return;
        apply(*word, hasParam, param);
    }

    static int clampInt(int value, int low, int high) { return std::clamp(value, low, high); }

    void apply(Word word, bool hasParam, int param) {
        GroupState& s = state();
        const bool on = !hasParam || param != 0;
        switch (word) {
            case Word::SkipGroup:
                skipGroup();
                break;
            case Word::FontTable:
                s.destination = Destination::FontTable;
                break;
            case Word::ListText:
                if (listTextDepth_ == 0 && depth_ > 0) listTextDepth_ = depth_;
                break;
            case Word::Ansi:
                docCodePage_ = 1252;
                break;
            case Word::Mac:
                docCodePage_ = 10000;
                break;
            case Word::Pc:
                docCodePage_ = 437;
                break;
            case Word::Pca:
                docCodePage_ = 850;
                break;
            case Word::AnsiCodePage:
                if (param > 0) docCodePage_ = param;
                break;
            case Word::DefaultFont:
                defaultFont_ = param;
                s.font = param;
                break;
            case Word::Font:
                if (s.destination == Destination::FontTable) {
                    definedFont_ = param;
                } else {
                    s.font = param;
                }
                break;
            case Word::FontCharset:
                if (FontInfo* f = definedFont()) f->codePage = codePageOfCharset(param);
                break;
            case Word::CodePage:
                if (FontInfo* f = definedFont()) f->codePage = param;
                break;
            case Word::FontModern:
                if (FontInfo* f = definedFont()) f->monospace = true;
                break;
            case Word::Bold:
                s.chars.bold = on;
                break;
            case Word::Italic:
                s.chars.italic = on;
                break;
            case Word::Underline:
                s.chars.underline = on;
                break;
            case Word::UnderlineNone:
                s.chars.underline = false;
                break;
            case Word::Hidden:
                s.chars.hidden = on;
                break;
            case Word::FontSize:
                s.chars.fontSize = hasParam ? clampInt(param, 0, kMaxFontSize) : 24;
                break;
            case Word::Plain:
                s.chars = CharFormat{};
                s.font = defaultFont_;
                break;
            case Word::Pard:
                s.para = ParaFormat{};
                break;
            case Word::AlignLeft:
                s.para.alignment = RtfAlignment::Left;
                break;
            case Word::AlignCenter:
                s.para.alignment = RtfAlignment::Center;
                break;
            case Word::AlignRight:
                s.para.alignment = RtfAlignment::Right;
                break;
            case Word::AlignJustify:
                s.para.alignment = RtfAlignment::Justify;
                break;
            case Word::LeftIndent:
                s.para.leftIndent = clampInt(param, -kMaxTwips, kMaxTwips);
                break;
            case Word::FirstIndent:
                s.para.firstIndent = clampInt(param, -kMaxTwips, kMaxTwips);
                break;
            case Word::SpaceBefore:
                s.para.spaceBefore = clampInt(param, 0, kMaxTwips);
                break;
            case Word::SpaceAfter:
                s.para.spaceAfter = clampInt(param, 0, kMaxTwips);
                break;
            case Word::OutlineLevel:
                s.para.outlineLevel = clampInt(param, 0, 9);
                break;
            case Word::InTable:
                s.para.inTable = true;
                break;
            case Word::Par:
                paragraphMark();
                break;
            case Word::Section:
            case Word::Page:
                if (!paragraph_.runs.empty()) endParagraph();
                break;
            case Word::Cell:
                pendingLineBreak_ = false;
                ++pendingCells_;
                break;
            case Word::Row:
                endParagraph();
                break;
            case Word::Line:
                emitText("\n");
                break;
            case Word::Tab:
                emit('\t');
                break;
            case Word::Bullet:
                emit(0x2022);
                break;
            case Word::EmDash:
                emit(0x2014);
                break;
            case Word::EnDash:
                emit(0x2013);
                break;
            case Word::EmSpace:
                emit(0x2003);
                break;
            case Word::EnSpace:
                emit(0x2002);
                break;
            case Word::QuarterSpace:
                emit(0x2005);
                break;
            case Word::LeftQuote:
                emit(0x2018);
                break;
            case Word::RightQuote:
                emit(0x2019);
                break;
            case Word::LeftDoubleQuote:
                emit(0x201C);
                break;
            case Word::RightDoubleQuote:
                emit(0x201D);
                break;
            case Word::ZeroWidthJoiner:
                emit(0x200D);
                break;
            case Word::ZeroWidthNonJoiner:
                emit(0x200C);
                break;
            case Word::Unicode:
                // \uN is a signed 16-bit value; the \ucN characters after it are its fallback.
                emit(param < -32768 || param > 0xFFFF
                         ? kReplacement
                         : static_cast<char32_t>(param < 0 ? param + 65536 : param));
                pendingFallback_ = s.unicodeSkip;
                break;
            case Word::UnicodeSkip:
                s.unicodeSkip = clampInt(hasParam ? param : 1, 0, kMaxUnicodeSkip);
                break;
            case Word::Bin:
                break;  // handled before any other word
        }
    }

    // The font table entry being defined, or null outside the font table.
    FontInfo* definedFont() {
        if (state().destination != Destination::FontTable) return nullptr;
        if (fonts_.size() >= kMaxFonts && !fonts_.count(definedFont_)) return nullptr;
        cachedFont_ = kNoFont;
        return &fonts_[definedFont_];
    }

    // The current font's entry, looked up once per change of font.
    const FontInfo& font() {
        const int number = state().font;
        if (number != cachedFont_) {
            const auto it = fonts_.find(number);
            fontInfo_ = it != fonts_.end() ? it->second : FontInfo{};
            cachedFont_ = number;
        }
        return fontInfo_;
    }

    // A byte of text, raw or as \'hh: decoded in the code page of the current font.
    void emitByte(unsigned char byte) {
        if (byte == 0) return;
        if (byte < 0x80) return emit(byte);
        int page = font().codePage != 0 ? font().codePage : docCodePage_;
        if (page == kSymbolCharset) {
            // Old list markers name bullets in the Symbol and Wingdings fonts.
            if (byte == 0xB7) return emit(0x2022);
            if (byte == 0xA7) return emit(0x25AA);
            page = 1252;
        }
        emit(decodeCodePageByte(page, byte));
    }

    // A Unicode scalar or half of a surrogate pair written as two \uN words.
    void emit(char32_t c) {
        if (pendingHigh_ != 0) {
            const char32_t high = pendingHigh_;
            pendingHigh_ = 0;
            if (c >= 0xDC00 && c <= 0xDFFF) {
                c = 0x10000 + ((high - 0xD800) << 10) + (c - 0xDC00);
            } else {
                emit(kReplacement);
            }
        }
        if (c >= 0xD800 && c <= 0xDBFF) {
            pendingHigh_ = c;
            return;
        }
        if (isSurrogate(c)) c = kReplacement;
        if (!isPrintable(c)) return;
        char utf8[4];
        emitText({utf8, appendUtf8(utf8, c)});
    }

    void flushHighSurrogate() {
        if (pendingHigh_ == 0) return;
        pendingHigh_ = 0;
        emitText("\xEF\xBF\xBD");
    }

    void emitText(std::string_view utf8) {
        const GroupState& s = state();
        if (s.destination != Destination::Text || s.chars.hidden) return;
        const bool monospace = font().monospace;
        if (listTextDepth_ != 0) {
            appendRun(listText_, utf8, s.chars, monospace);
            return;
        }
        flushTableMarks();
        appendRun(paragraph_, utf8, s.chars, monospace);
        lastTextFormat_ = s.para;
    }

    // Cells of a row become tab-separated text, and paragraph marks inside a cell become
    // line breaks; both only once more text follows, so a row ends without a stray tab.
    void flushTableMarks() {
        const CharFormat& f = state().chars;
        const bool monospace = font().monospace;
        for (; pendingCells_ > 0; --pendingCells_) appendRun(paragraph_, "\t", f, monospace);
        if (pendingLineBreak_) appendRun(paragraph_, "\n", f, monospace);
        pendingLineBreak_ = false;
    }

    // A list marker that is only white space (an unnumbered heading's) is dropped.
    void flushListText() {
        if (listText_.runs.empty()) return;
        if (!isBlank(listText_)) {
            flushTableMarks();
            for (const RtfRun& run : listText_.runs) appendRun(paragraph_, run);
            lastTextFormat_ = state().para;
        }
        listText_.runs.clear();
    }

    void paragraphMark() {
        if (state().para.inTable) {
            pendingLineBreak_ = true;
        } else {
            endParagraph();
        }
    }

    void endParagraph() { endParagraph(state().para); }

    void endParagraph(const ParaFormat& f) {
        flushHighSurrogate();
        flushListText();
        paragraph_.alignment = f.alignment;
        paragraph_.leftIndentTwips = f.leftIndent;
        paragraph_.firstLineIndentTwips = f.firstIndent;
        paragraph_.spaceBeforeTwips = f.spaceBefore;
        paragraph_.spaceAfterTwips = f.spaceAfter;
        paragraph_.outlineLevel = f.outlineLevel;
        doc_.paragraphs.push_back(std::move(paragraph_));
        paragraph_ = RtfParagraph{};
        pendingCells_ = 0;
        pendingLineBreak_ = false;
    }

    std::string_view in_;
    size_t pos_ = 0;
    std::vector<GroupState> stack_;
    size_t depth_ = 0;  // open groups, kept or not
    bool skipping_ = false;
    size_t skipDepth_ = 0;      // depth of the skipped destination's own group
    size_t listTextDepth_ = 0;  // depth of the open list-marker group, 0 when none
    int pendingFallback_ = 0;
    char32_t pendingHigh_ = 0;
    int pendingCells_ = 0;
    bool pendingLineBreak_ = false;
    int docCodePage_ = 1252;
    int defaultFont_ = -1;
    int definedFont_ = -1;
    std::unordered_map<int, FontInfo> fonts_;
    static constexpr int kNoFont = -1 - 0x7FFFFFFF;
    int cachedFont_ = kNoFont;
    FontInfo fontInfo_;
    RtfParagraph paragraph_;
    ParaFormat lastTextFormat_;  // in effect when the last text went into paragraph_
    RtfParagraph listText_;
    RtfDocument doc_;
};

RtfDocument readPlainText(std::string_view bytes) {
    RtfDocument doc;
    RtfParagraph paragraph;
    std::string line;
    const auto endLine = [&] {
        if (!line.empty()) paragraph.runs.push_back({line});
        doc.paragraphs.push_back(std::move(paragraph));
        paragraph = RtfParagraph{};
        line.clear();
    };
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    for (size_t pos = 0; pos < bytes.size();) {
        if (bytes[pos] == '\r' || bytes[pos] == '\n') {
            pos += bytes.compare(pos, 2, "\r\n") == 0 ? 2 : 1;
            endLine();
            continue;
        }
        const char32_t c = decodeUtf8(bytes, pos);
        char utf8[4];
        if (isPrintable(c)) line.append(utf8, appendUtf8(utf8, c));
    }
    if (!line.empty()) endLine();
    return doc;
}

bool looksLikeRtf(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    const size_t start = bytes.find_first_not_of(" \t\r\n");
    return start != std::string_view::npos && bytes[start] == '{';
}

}  // namespace

RtfDocument readRtf(std::string_view bytes) {
    if (!looksLikeRtf(bytes)) return readPlainText(bytes);
    return Reader(bytes).read();
}

std::string plainText(const RtfDocument& doc) {
    std::string text;
    for (size_t i = 0; i < doc.paragraphs.size(); ++i) {
        if (i > 0) text += '\n';
        for (const RtfRun& run : doc.paragraphs[i].runs) text += run.text;
    }
    return text;
}

}  // namespace boardcast
