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

// A control word's number; a word written without one reads it as 0.
struct Param {
    bool given = false;
    int value = 0;
    bool on() const { return !given || value != 0; }  // \b and \b1 switch on, \b0 off
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
    // What a control word does, found by its name in kWords.
    using Handler = void (Reader::*)(Param);
    struct WordEntry {
        std::string_view name;
        Handler handler;
    };
    static const WordEntry kWords[];  // defined after the class, sorted by name
    static const Handler* findWord(std::string_view name);

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

    // A destination whose content is not read: \* and the words of kWords that name one.
    void skipGroup(Param = {}) {
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
        const Param param{hasParam, static_cast<int>(negative ? -value : value)};

        if (name == "bin") {
            // Binary data: its bytes are never read as RTF, wherever it stands.
            pos_ += std::min(static_cast<size_t>(std::max(param.value, 0)), in_.size() - pos_);
            if (!skipping_) consumeFallback();
            return;
        }
        if (skipping_ || consumeFallback()) return;
        if (const Handler* handler = findWord(name)) (this->**handler)(param);
    }

    static int clampInt(int value, int low, int high) { return std::clamp(value, low, high); }

    // The handlers that kWords names, one per kind of control word.

    void fontTable(Param) { state().destination = Destination::FontTable; }

    void listText(Param) {
        if (listTextDepth_ == 0 && depth_ > 0) listTextDepth_ = depth_;
    }

    template <int page>
    void documentCodePage(Param) {
        docCodePage_ = page;
    }

    void ansiCodePage(Param p) {
        if (p.value > 0) docCodePage_ = p.value;
    }

    void defaultFont(Param p) {
        defaultFont_ = p.value;
        state().font = p.value;
    }

    // \fN defines a font inside the font table and selects one elsewhere.
    void selectFont(Param p) {
        GroupState& s = state();
        if (s.destination == Destination::FontTable) {
            definedFont_ = p.value;
        } else {
            s.font = p.value;
        }
    }

    void fontCharset(Param p) {
        if (FontInfo* f = definedFont()) f->codePage = codePageOfCharset(p.value);
    }

    void fontCodePage(Param p) {
        if (FontInfo* f = definedFont()) f->codePage = p.value;
    }

    void fontModern(Param) {
        if (FontInfo* f = definedFont()) f->monospace = true;
    }

    template <bool CharFormat::*flag>
    void charFlag(Param p) {
        state().chars.*flag = p.on();
    }

    void underlineNone(Param) { state().chars.underline = false; }

    void fontSize(Param p) {
        state().chars.fontSize = p.given ? clampInt(p.value, 0, kMaxFontSize) : 24;
    }

    void plain(Param) {
        state().chars = CharFormat{};
        state().font = defaultFont_;
    }

    void pard(Param) { state().para = ParaFormat{}; }

    template <RtfAlignment alignment>
    void align(Param) {
        state().para.alignment = alignment;
    }

    // Indents, spacing and the outline level, clamped to what a page can hold.
    template <int ParaFormat::*field, int low, int high>
    void paraValue(Param p) {
        state().para.*field = clampInt(p.value, low, high);
    }

    void inTable(Param) { state().para.inTable = true; }

    void par(Param) { paragraphMark(); }

    void sectionBreak(Param) {
        if (!paragraph_.runs.empty()) endParagraph();
    }

    void cell(Param) {
        pendingLineBreak_ = false;
        ++pendingCells_;
    }

    void row(Param) { endParagraph(); }

    void line(Param) { emitText("\n"); }

    template <char32_t c>
    void character(Param) {
        emit(c);
    }

    // \uN is a signed 16-bit value; the \ucN characters after it are its fallback.
    void unicode(Param p) {
        emit(p.value < -32768 || p.value > 0xFFFF
                 ? kReplacement
                 : static_cast<char32_t>(p.value < 0 ? p.value + 65536 : p.value));
        pendingFallback_ = state().unicodeSkip;
    }

    void unicodeSkip(Param p) {
        state().unicodeSkip = clampInt(p.given ? p.value : 1, 0, kMaxUnicodeSkip);
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

// The control words that act, sorted by name for the binary search in findWord. \bin is not
// here: it acts even inside a skipped destination, so controlWord takes it first.
// clang-format off
constexpr Reader::WordEntry Reader::kWords[] = {
    {"annotation", &Reader::skipGroup},
    {"ansi", &Reader::documentCodePage<1252>},
    {"ansicpg", &Reader::ansiCodePage},
    {"atnauthor", &Reader::skipGroup}, {"atndate", &Reader::skipGroup},
    {"atnid", &Reader::skipGroup}, {"atnparent", &Reader::skipGroup},
    {"atnref", &Reader::skipGroup}, {"atntime", &Reader::skipGroup},
    {"atrfend", &Reader::skipGroup}, {"atrfstart", &Reader::skipGroup},
    {"author", &Reader::skipGroup},
    {"b", &Reader::charFlag<&CharFormat::bold>},
    {"bkmkend", &Reader::skipGroup}, {"bkmkstart", &Reader::skipGroup},
    {"bullet", &Reader::character<0x2022>},
    {"buptim", &Reader::skipGroup},
    {"cell", &Reader::cell},
    {"colorschememapping", &Reader::skipGroup}, {"colortbl", &Reader::skipGroup},
    {"comment", &Reader::skipGroup},
    {"cpg", &Reader::fontCodePage},
    {"creatim", &Reader::skipGroup}, {"datafield", &Reader::skipGroup},
    {"datastore", &Reader::skipGroup},
    {"deff", &Reader::defaultFont},
    {"doccomm", &Reader::skipGroup}, {"docvar", &Reader::skipGroup},
    {"emdash", &Reader::character<0x2014>},
    {"emspace", &Reader::character<0x2003>},
    {"endash", &Reader::character<0x2013>},
    {"enspace", &Reader::character<0x2002>},
    {"f", &Reader::selectFont},
    {"falt", &Reader::skipGroup},
    {"fcharset", &Reader::fontCharset},
    {"fi", &Reader::paraValue<&ParaFormat::firstIndent, -kMaxTwips, kMaxTwips>},
    {"filetbl", &Reader::skipGroup}, {"fldinst", &Reader::skipGroup},
    {"fmodern", &Reader::fontModern},
    {"fontemb", &Reader::skipGroup},
    {"fonttbl", &Reader::fontTable},
    {"footer", &Reader::skipGroup}, {"footerf", &Reader::skipGroup},
    {"footerl", &Reader::skipGroup}, {"footerr", &Reader::skipGroup},
    {"footnote", &Reader::skipGroup},
    {"fs", &Reader::fontSize},
    {"ftncn", &Reader::skipGroup}, {"ftnsep", &Reader::skipGroup},
    {"ftnsepc", &Reader::skipGroup}, {"generator", &Reader::skipGroup},
    {"header", &Reader::skipGroup}, {"headerf", &Reader::skipGroup},
    {"headerl", &Reader::skipGroup}, {"headerr", &Reader::skipGroup},
    {"i", &Reader::charFlag<&CharFormat::italic>},
    {"info", &Reader::skipGroup},
    {"intbl", &Reader::inTable},
    {"keywords", &Reader::skipGroup}, {"latentstyles", &Reader::skipGroup},
    {"ldblquote", &Reader::character<0x201C>},
    {"li", &Reader::paraValue<&ParaFormat::leftIndent, -kMaxTwips, kMaxTwips>},
    {"line", &Reader::line},
    {"listoverridetable", &Reader::skipGroup}, {"listpicture", &Reader::skipGroup},
    {"listtable", &Reader::skipGroup},
    {"listtext", &Reader::listText},
    {"lquote", &Reader::character<0x2018>},
    {"mac", &Reader::documentCodePage<10000>},
    {"mmathPr", &Reader::skipGroup},
    {"nestcell", &Reader::cell},
    {"nestrow", &Reader::row},
    {"nonshppict", &Reader::skipGroup}, {"object", &Reader::skipGroup},
    {"operator", &Reader::skipGroup},
    {"outlinelevel", &Reader::paraValue<&ParaFormat::outlineLevel, 0, 9>},
    {"page", &Reader::sectionBreak},
    {"panose", &Reader::skipGroup},
    {"par", &Reader::par},
    {"pard", &Reader::pard},
    {"pc", &Reader::documentCodePage<437>},
    {"pca", &Reader::documentCodePage<850>},
    {"pgdsctbl", &Reader::skipGroup}, {"pict", &Reader::skipGroup},
    {"plain", &Reader::plain},
    {"pn", &Reader::skipGroup},
    {"pntext", &Reader::listText},
    {"pntxta", &Reader::skipGroup}, {"pntxtb", &Reader::skipGroup},
    {"printim", &Reader::skipGroup}, {"private", &Reader::skipGroup},
    {"qc", &Reader::align<RtfAlignment::Center>},
    {"qj", &Reader::align<RtfAlignment::Justify>},
    {"ql", &Reader::align<RtfAlignment::Left>},
    {"qmspace", &Reader::character<0x2005>},
    {"qr", &Reader::align<RtfAlignment::Right>},
    {"rdblquote", &Reader::character<0x201D>},
    {"revtbl", &Reader::skipGroup}, {"revtim", &Reader::skipGroup},
    {"row", &Reader::row},
    {"rquote", &Reader::character<0x2019>},
    {"rsidtbl", &Reader::skipGroup},
    {"sa", &Reader::paraValue<&ParaFormat::spaceAfter, 0, kMaxTwips>},
    {"sb", &Reader::paraValue<&ParaFormat::spaceBefore, 0, kMaxTwips>},
    {"sect", &Reader::sectionBreak},
    {"shpinst", &Reader::skipGroup}, {"stylesheet", &Reader::skipGroup},
    {"subject", &Reader::skipGroup},
    {"tab", &Reader::character<U'\t'>},
    {"tc", &Reader::skipGroup}, {"template", &Reader::skipGroup},
    {"themedata", &Reader::skipGroup}, {"title", &Reader::skipGroup},
    {"txe", &Reader::skipGroup},
    {"u", &Reader::unicode},
    {"uc", &Reader::unicodeSkip},
    {"ul", &Reader::charFlag<&CharFormat::underline>},
    {"uld", &Reader::charFlag<&CharFormat::underline>},
    {"uldash", &Reader::charFlag<&CharFormat::underline>},
    {"uldb", &Reader::charFlag<&CharFormat::underline>},
    {"ulnone", &Reader::underlineNone},
    {"ulth", &Reader::charFlag<&CharFormat::underline>},
    {"ulw", &Reader::charFlag<&CharFormat::underline>},
    {"ulwave", &Reader::charFlag<&CharFormat::underline>},
    {"userprops", &Reader::skipGroup},
    {"v", &Reader::charFlag<&CharFormat::hidden>},
    {"xe", &Reader::skipGroup}, {"xmlnstbl", &Reader::skipGroup},
    {"zwj", &Reader::character<0x200D>},
    {"zwnj", &Reader::character<0x200C>},
};
// clang-format on

const Reader::Handler* Reader::findWord(std::string_view name) {
    static_assert(
        std::is_sorted(std::begin(kWords), std::end(kWords),
                       [](const WordEntry& a, const WordEntry& b) { return a.name < b.name; }));
    if (name.size() > kMaxWordLength) return nullptr;
    auto it = std::lower_bound(std::begin(kWords), std::end(kWords), name,
                               [](const WordEntry& e, std::string_view n) { return e.name < n; });
    return it != std::end(kWords) && it->name == name ? &it->handler : nullptr;
}

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
