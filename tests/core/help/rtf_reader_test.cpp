#include "core/help/rtf_reader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>

namespace boardcast {
namespace {

using Texts = std::vector<std::string>;

struct TextRow {
    std::string rtf;
    std::string text;  // plainText of the result
};

void expectTexts(const std::vector<TextRow>& rows) {
    for (const TextRow& r : rows) {
        EXPECT_EQ(plainText(readRtf(r.rtf)), r.text) << testing::PrintToString(r.rtf);
    }
}

std::string rtf(const std::string& body) {
    return "{\\rtf1\\ansi " + body + "}";
}

Texts paragraphTexts(const RtfDocument& doc) {
    Texts texts;
    for (const RtfParagraph& p : doc.paragraphs) texts.push_back(plainText({{p}}));
    return texts;
}

// Checks what every result must be, whatever the input: valid UTF-8 in non-empty runs, with
// neighbours that differ in their formatting.
void expectWellFormed(const RtfDocument& doc, const std::string& input) {
    for (const RtfParagraph& p : doc.paragraphs) {
        for (size_t i = 0; i < p.runs.size(); ++i) {
            const RtfRun& run = p.runs[i];
            ASSERT_FALSE(run.text.empty()) << testing::PrintToString(input);
            if (i > 0) {
                RtfRun prev = p.runs[i - 1];
                prev.text = run.text;
                ASSERT_NE(prev, run)
                    << "equal formats not merged: " << testing::PrintToString(input);
            }
            const std::string& s = run.text;
            for (size_t k = 0; k < s.size();) {
                const auto b = static_cast<unsigned char>(s[k]);
                const size_t n = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
                ASSERT_NE(n, 0u) << testing::PrintToString(input);
                ASSERT_LE(k + n, s.size()) << testing::PrintToString(input);
                for (size_t j = 1; j < n; ++j) {
                    ASSERT_EQ(static_cast<unsigned char>(s[k + j]) & 0xC0, 0x80)
                        << testing::PrintToString(input);
                }
                if (n == 1) {
                    ASSERT_TRUE(b == '\t' || b == '\n' || b >= 0x20)
                        << testing::PrintToString(input);
                }
                k += n;
            }
        }
    }
}

TEST(RtfReader, ControlWordsAndSymbols) {
    expectTexts({
        {rtf("plain words"), "plain words"},
        {rtf("\\b bold\\b0  two"), "bold two"},
        {rtf("a\\par b\\par"), "a\nb"},
        {rtf("a\\par\\par b"), "a\n\nb"},
        {rtf("a\\line b\\tab c"), "a\nb\tc"},
        {rtf("one\r\ntwo\nthree\r"), "onetwothree"},
        {rtf("a\\\nb\\\r\nc"), "a\nb\nc"},
        {rtf("\\\\ \\{ \\}"), "\\ { }"},
        {rtf("a\\~b co\\-op x\\_y"), "a\u00A0b coop x\u2011y"},
        {rtf("\\bullet \\emdash  \\endash"), "\u2022\u2014 \u2013"},
        {rtf("\\lquote a\\rquote  \\ldblquote b\\rdblquote"), "\u2018a\u2019 \u201Cb\u201D"},
        {rtf("a\\emspace b\\enspace c"), "a\u2003b\u2002c"},
        {rtf("\\unknownword12 x\\unknown-3 y"), "xy"},
        {rtf("\\fs-5x"), "x"},
        {rtf("\\foo-bar"), "-bar"},
        {rtf("a\\v hidden\\v0 b"), "ab"},
        {rtf("x\\sect y\\page z"), "x\ny\nz"},
        {rtf("x\\par\\sect\\page y"), "x\ny"},
        {rtf("a\tb"), "a\tb"},
    });
}

TEST(RtfReader, EscapesAndCodePages) {
    expectTexts({
        {rtf("caf\\'e9 \\'80 \\'93q\\'94"), "caf\u00E9 \u20AC \u201Cq\u201D"},
        {rtf("caf\\'E9"), "caf\u00E9"},
        {"{\\rtf1\\ansi\\ansicpg1250 \\'a3\\'f3d\\'9f}", "\u0141\u00F3d\u017A"},
        {"{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}", "Привет"},
        {"{\\rtf1\\ansi\\ansicpg1253 \\'e1\\'e2}", "αβ"},
        {"{\\rtf1\\pc \\'81ber}", "über"},
        {"{\\rtf1\\pca \\'9d}", "Ø"},
        {"{\\rtf1\\mac \\'8e}", "é"},
        {"{\\rtf1\\ansi\\ansicpg932 \\'e9}", "é"},  // not decodable: read as 1252
        {"{\\rtf1\\ansi caf\xe9}", "caf\u00E9"},    // raw 8-bit text
        {"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset161 Arial Greek;}}\\f1 \\'e1\\'e2\\f0 "
         "\\'e1}",
         "αβá"},
        {"{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset238 "
         "Arial CE;}}\\'e0{\\f1\\'e0}\\'e0}",
         "аŕа"},
        {"{\\rtf1\\ansi{\\fonttbl{\\f3\\cpg1251 Arial;}}\\f3\\'e0}", "а"},
        {"{\\rtf1\\ansi{\\fonttbl{\\f2\\fcharset2 Symbol;}}{\\pntext\\f2\\'b7\\tab}item}",
         "\u2022\titem"},
        {rtf("x\\'zz y"), "xzz y"},  // no hex digit: the escape is dropped
        {rtf("\\'00\\'0a\\'09x"), "\tx"},
    });
}

TEST(RtfReader, UnicodeAndFallbacks) {
    expectTexts({
        {rtf("Gr\\u252?\\u223?e"), "Grüße"},
        {rtf("\\u252\\'fc!"), "ü!"},
        {rtf("\\uc0\\u252 x"), "üx"},
        {rtf("\\uc2\\u26085\\'93\\'fa!"), "日!"},
        {rtf("\\uc2 \\u26085 ab!"), "日!"},
        {rtf("\\u8220\\ldblquote x"), "\u201Cx"},  // a control word counts as one fallback
        {rtf("\\u-3913?"), "\uF0B7"},
        {rtf("\\u-10179?\\u-8704?"), "\U0001F600"},
        {rtf("\\u55357?x"), "\uFFFDx"},
        {rtf("\\u56832?x"), "\uFFFDx"},
        {rtf("\\u55357?\\par x"), "\uFFFD\nx"},
        {rtf("{\\u252}x"), "üx"},  // a group's end ends the fallback
        {rtf("\\uc3\\u252{ab}"), "üab"},
        {rtf("{\\uc0\\u252}\\u252?"), "üü"},
        {rtf("\\u1?x\\u127?y"), "xy"},
        {rtf("\\u99999999999?x\\u-99999?y"), "\uFFFDx\uFFFDy"},
    });
}

TEST(RtfReader, SkippedDestinations) {
    expectTexts({
        {"{\\rtf1\\ansi{\\fonttbl{\\f0\\froman Times;}{\\f1 Courier{\\*\\falt C};}}x}", "x"},
        {rtf("{\\colortbl;\\red255\\green0\\blue0;}{\\stylesheet{\\s1 Heading 1;}}x"), "x"},
        {rtf("{\\info{\\title T}{\\author A}{\\creatim\\yr2024}}x"), "x"},
        {rtf("{\\*\\generator Writer;}{\\*\\anything new {nested} here}x"), "x"},
        {rtf("{\\pict\\pngblip 89504e470d0a}x{\\object{\\*\\objdata 01}}"), "x"},
        {rtf("{\\header H}{\\footerl F}{\\headerr R}{\\footer\\pard P\\par}x"), "x"},
        {rtf("{\\*\\listtable{\\list{\\listlevel{\\leveltext \\'01\\u8226 ?;}}}}"
             "{\\listoverridetable{\\listoverride\\ls1}}x"),
         "x"},
        {rtf("{\\*\\rsidtbl \\rsid1}{\\*\\xmlnstbl {\\xmlns1 u}}{\\*\\themedata 504b}"
             "{\\*\\latentstyles\\lsdstimax376{\\lsdlockedexcept Normal;}}x"),
         "x"},
        {rtf("{\\field{\\*\\fldinst HYPERLINK \"http://a.b\"}{\\fldrslt link}}"), "link"},
        {rtf("{\\field{\\fldinst PAGE}{\\fldrslt 1}}"), "1"},
        {rtf("{\\*\\bkmkstart h}Heading{\\*\\bkmkend h}"), "Heading"},
        {rtf("{a\\*\\foo b}c"), "ac"},
        {rtf("{\\*\\pn\\pnlvlblt{\\pntxtb \\'b7}}x"), "x"},
        {rtf("{\\footnote note}x"), "x"},
        {rtf("a{\\pict\\bin5 }}}}}}b"), "ab"},
        {rtf("a\\bin3 xyzb"), "ab"},
        {rtf("a\\bin-3 b"), "ab"},
        {rtf("{\\*\\x \\{}b"), "b"},
        {rtf("{\\*\\x \\}}b"), "b"},
    });
}

TEST(RtfReader, ListsAndTables) {
    expectTexts({
        {rtf("{\\listtext\\pard\\plain \\u8226\\'95\\tab}apples\\par"), "\u2022\tapples"},
        {rtf("{\\listtext\\pard\\plain  1.\\tab}first\\par"), " 1.\tfirst"},
        {rtf("{\\listtext\\pard\\plain \\tab}Heading\\par"), "Heading"},
        {rtf("{\\pntext\\'95\\tab}x\\par"), "\u2022\tx"},
        {rtf("\\trowd\\cellx100\\cellx200\\intbl A\\cell B\\cell\\row"), "A\tB"},
        {rtf("\\trowd\\intbl\\cell\\cell C\\cell\\row"), "\t\tC"},
        {rtf("\\intbl A\\par B\\cell C\\cell\\row\\pard after\\par"), "A\nB\tC\nafter"},
        {rtf("{\\intbl{\\pard\\intbl A\\par}\\cell{\\pard\\intbl B\\par}\\cell}\\row x"),
         "A\tB\nx"},
        {rtf("\\intbl A\\nestcell B\\nestcell\\nestrow"), "A\tB"},
        {rtf("\\intbl A\\cell"), "A"},
    });
}

TEST(RtfReader, RunFormatting) {
    using Runs = std::vector<RtfRun>;
    struct Row {
        std::string body;
        Runs runs;
    };
    const Row rows[] = {
        {"a{\\b b}c", {{"a"}, {"b", true}, {"c"}}},
        {"\\b a\\b0 b\\b1 c", {{"a", true}, {"b"}, {"c", true}}},
        {"\\i a\\i0 b", {{"a", false, true}, {"b"}}},
        {"\\ul a\\ulnone b\\uldb c\\ul0 d",
         {{"a", false, false, true}, {"b"}, {"c", false, false, true}, {"d"}}},
        {"\\fs36 a\\fs b", {{"a", false, false, false, 36}, {"b", false, false, false, 24}}},
        {"\\b\\i\\ul\\fs20 a\\plain b", {{"a", true, true, true, 20}, {"b"}}},
        {"\\b a\\pard b", {{"ab", true}}},
        {"a{}b{\\b}c", {{"abc"}}},
        {"{\\b a}{\\b b}", {{"ab", true}}},
        {"{\\b {\\i a}b}c", {{"a", true, true}, {"b", true}, {"c"}}},
        {"\\fs99999999999999 a\\fs-4 b", {{"a", false, false, false, 3276}, {"b"}}},
        {"{\\b a\\tab}b", {{"a\t", true}, {"b"}}},
        {"{\\fonttbl{\\f0\\fswiss Helvetica;}{\\f1\\fmodern Courier;}}\\f0 a{\\f1 code\\b x}b",
         {{"a"},
          {"code", false, false, false, 0, true},
          {"x", true, false, false, 0, true},
          {"b"}}},
        {"{\\fonttbl{\\f1\\fmodern Courier;}}\\deff1 a\\plain b",
         {{"ab", false, false, false, 0, true}}},
    };
    for (const Row& r : rows) {
        const RtfDocument doc = readRtf(rtf(r.body));
        ASSERT_EQ(doc.paragraphs.size(), 1u) << r.body;
        EXPECT_EQ(doc.paragraphs[0].runs, r.runs) << r.body;
    }
}

TEST(RtfReader, ParagraphFormatting) {
    const RtfDocument doc =
        readRtf(rtf("\\qc\\li720\\fi-360\\sb120\\sa240 centred\\par "
                    "\\pard\\outlinelevel1\\b\\fs32 Heading\\par "
                    "{\\pard\\qr right\\par}"
                    "\\qj\\li99999999 justified\\par"
                    "\\pard body"));
    ASSERT_EQ(doc.paragraphs.size(), 5u);
    const RtfParagraph& centred = doc.paragraphs[0];
    EXPECT_EQ(centred.alignment, RtfAlignment::Center);
    EXPECT_EQ(centred.leftIndentTwips, 720);
    EXPECT_EQ(centred.firstLineIndentTwips, -360);
    EXPECT_EQ(centred.spaceBeforeTwips, 120);
    EXPECT_EQ(centred.spaceAfterTwips, 240);
    EXPECT_EQ(centred.outlineLevel, -1);
    EXPECT_EQ(doc.paragraphs[1].alignment, RtfAlignment::Left);
    EXPECT_EQ(doc.paragraphs[1].leftIndentTwips, 0);
    EXPECT_EQ(doc.paragraphs[1].outlineLevel, 1);
    EXPECT_EQ(doc.paragraphs[2].alignment, RtfAlignment::Right);
    // The group of the right-aligned paragraph restored the heading's paragraph format.
    EXPECT_EQ(doc.paragraphs[3].alignment, RtfAlignment::Justify);
    EXPECT_EQ(doc.paragraphs[3].outlineLevel, 1);
    EXPECT_EQ(doc.paragraphs[3].leftIndentTwips, 31680);
    EXPECT_EQ(doc.paragraphs[4], (RtfParagraph{{{"body", true, false, false, 32}}}));

    // Without a closing \par the last paragraph keeps the format its text was written in.
    const RtfDocument open = readRtf("{\\rtf1 {\\pard\\qc\\li720 no mark}}");
    ASSERT_EQ(open.paragraphs.size(), 1u);
    EXPECT_EQ(open.paragraphs[0].alignment, RtfAlignment::Center);
    EXPECT_EQ(open.paragraphs[0].leftIndentTwips, 720);
}

TEST(RtfReader, MalformedInputKeepsWhatCanBeRead) {
    const std::string deepOpen(100000, '{'), deepClose(100000, '}');
    std::string deepBold;
    for (int i = 0; i < 100000; ++i) deepBold += "{\\b ";
    expectTexts({
        {"", ""},
        {"{", ""},
        {"{}}}{", ""},
        {"}}}{", "}}}{"},  // not RTF: its text
        {"{\\rtf1 a}}}} b", "a b"},
        {"{\\rtf1 {\\b a", "a"},
        {"{\\rtf1 ab\\pa", "ab"},
        {"{\\rtf1 caf\\'e", "caf"},
        {"{\\rtf1 caf\\'", "caf"},
        {"{\\rtf1 x\\u12", "x"},
        {"{\\rtf1 x\\u-", "x"},
        {"{\\rtf1 x\\", "x"},
        {"{\\rtf1 x\\u252", "xü"},
        {"{\\rtf1 x\\u-10179?", "x\uFFFD"},
        {"{\\rtf1 \\uc999999999\\u252 abc}d", "üd"},
        {"{\\rtf1 a\\bin99999999999 abc}", "a"},
        {"{\\rtf1 \\*", ""},
        {std::string("{\\rtf1 a\0b\0}", 12), "ab"},
        {"{\\rtf1 " + deepOpen + "deep" + deepClose + " after}", "deep after"},
        {"{\\rtf1 " + deepOpen + "\\*\\x hidden" + deepClose + " after}", " after"},
        {"{\\rtf1 " + deepOpen + "cut", "cut"},
        {"plain words\r\nsecond line\n", "plain words\nsecond line"},
        {"a\r\rb", "a\n\nb"},
        {"\xEF\xBB\xBF"
         "bom",
         "bom"},
        {std::string("\xff\xfe\0ab\x01", 6), "\uFFFD\uFFFDab"},
        {"\xC0\xAF \xED\xA0\x80 \xE6\x97", "\uFFFD\uFFFD \uFFFD\uFFFD\uFFFD \uFFFD\uFFFD"},
    });
    const RtfDocument deep = readRtf("{\\rtf1 " + deepBold + "x" + deepClose + " y}");
    ASSERT_EQ(deep.paragraphs.size(), 1u);
    EXPECT_EQ(deep.paragraphs[0].runs, (std::vector<RtfRun>{{"x", true}, {" y"}}));
}

// A rich snippet cut at every byte: nothing breaks, and what comes out is well formed.
TEST(RtfReader, EveryPrefixIsReadSafely) {
    const std::string full =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fcharset238 A;}}{\\*\\gen x}"
        "{\\pard\\qc\\b\\fs36 Title\\par}{\\listtext \\u8226\\'95\\tab}Gr\\u252?\\'e9 "
        "\\u-10179?\\u-8704?{\\i it}\\line\\trowd\\intbl A\\cell B\\cell\\row"
        "{\\pict\\bin3 {}}}\\~\\_\\-\\\\}";
    for (size_t n = 0; n <= full.size(); ++n) {
        const std::string prefix = full.substr(0, n);
        expectWellFormed(readRtf(prefix), prefix);
    }
    const RtfDocument doc = readRtf(full);
    EXPECT_EQ(paragraphTexts(doc),
              (Texts{"Title", "\u2022\tGrüé \U0001F600it\nA\tB", "\u00A0\u2011\\"}));
}

TEST(RtfReader, LargeInputIsFast) {
    std::string body;
    const std::string paragraph =
        "{\\b word} caf\\'e9 \\u252? {\\*\\x skip} plain text here\\par\n";
    while (body.size() < (8u << 20)) body += paragraph;
    const auto start = std::chrono::steady_clock::now();
    const RtfDocument doc = readRtf(rtf(body));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(doc.paragraphs.size(), body.size() / paragraph.size());
    EXPECT_EQ(plainText({{doc.paragraphs.back()}}), "word café ü  plain text here");
    // Generous, so that it holds under the sanitizers too; a quadratic step would take minutes.
    EXPECT_LT(elapsed, std::chrono::seconds(20));
}

std::string readFixture(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const RtfParagraph* findParagraph(const RtfDocument& doc, std::string_view text) {
    for (const RtfParagraph& p : doc.paragraphs) {
        if (plainText({{p}}).find(text) != std::string::npos) return &p;
    }
    return nullptr;
}

std::string textWhere(const RtfDocument& doc, bool RtfRun::*flag, bool on) {
    std::string text = "|";
    for (const RtfParagraph& p : doc.paragraphs) {
        for (const RtfRun& run : p.runs) {
            if (run.*flag == on) text += run.text + "|";
        }
    }
    return text;
}

// sample.md written out by pandoc and by LibreOffice (through an .odt): both must read back
// as the same words with the same emphasis, list markers and table rows.
TEST(RtfReader, DocumentsOfRealWriters) {
    for (const char* name : {"pandoc.rtf", "libreoffice.rtf"}) {
        SCOPED_TRACE(name);
        const RtfDocument doc =
            readRtf(readFixture(std::string(BOARDCAST_RTF_FIXTURES "/") + name));
        Texts texts = paragraphTexts(doc);
        std::erase_if(texts, [](const std::string& t) { return t.empty(); });
        for (std::string& t : texts) {
            if (t.starts_with(" ")) t.erase(0, 1);  // LibreOffice's list numbers
        }
        EXPECT_EQ(texts, (Texts{
                             "Greetings from the fixture",
                             "A first paragraph with bold words, italic words and both at once. "
                             "Non-ASCII letters: Grüße, naïve café, Łódź, Ελληνικά, 日本.",
                             "Lists",
                             "\u2022\tapples",
                             "\u2022\tpears with bold",
                             "\u2022\tcherries",
                             "1.\tfirst step",
                             "2.\tsecond step",
                             "3.\tthird step",
                             "A table",
                             "Name\tTown",
                             "Jürgen\tKöln",
                             "Zoë\tKraków",
                             "Quotes \u201Cdouble\u201D and \u2018single\u2019 \u2014 with an em "
                             "dash \u2013 and an en dash.",
                         }));

        const std::string bold = textWhere(doc, &RtfRun::bold, true);
        EXPECT_NE(bold.find("|bold words|"), std::string::npos) << bold;
        EXPECT_NE(bold.find("|bold|"), std::string::npos) << bold;
        EXPECT_EQ(bold.find("italic words"), std::string::npos) << bold;
        EXPECT_EQ(bold.find("apples"), std::string::npos) << bold;
        const std::string italic = textWhere(doc, &RtfRun::italic, true);
        EXPECT_NE(italic.find("|italic words|"), std::string::npos) << italic;
        EXPECT_EQ(italic.find("bold words"), std::string::npos) << italic;
        const RtfParagraph* first = findParagraph(doc, "A first paragraph");
        ASSERT_NE(first, nullptr);
        const auto both = std::find_if(first->runs.begin(), first->runs.end(),
                                       [](const RtfRun& r) { return r.text == "both at once"; });
        ASSERT_NE(both, first->runs.end());
        EXPECT_TRUE(both->bold && both->italic);

        const RtfParagraph* title = findParagraph(doc, "Greetings");
        const RtfParagraph* section = findParagraph(doc, "Lists");
        ASSERT_TRUE(title && section);
        EXPECT_EQ(title->outlineLevel, 0);
        EXPECT_EQ(section->outlineLevel, 1);
        EXPECT_EQ(first->outlineLevel, -1);
        EXPECT_TRUE(title->runs.back().bold);
        EXPECT_GT(title->runs.back().fontSizeHalfPoints, first->runs[0].fontSizeHalfPoints);
        EXPECT_GT(findParagraph(doc, "apples")->leftIndentTwips, 0);
    }
}

}  // namespace
}  // namespace boardcast
