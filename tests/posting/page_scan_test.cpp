#include "posting/page_scan.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/storage/text_file.h"
#include "temp_folder.h"

namespace boardcast {
namespace {

using testing_support::TempFolder;

TEST(PageScan, PreparationPutsTagsOnTheirOwnLines) {
    EXPECT_EQ(
        preparePageText("a<FORM name=f><INPUT type=text><TextArea></textarea></Form>b"),
        "a\r\n<form\r\n name=f>\r\n<input type=text>\r\n<textarea></textarea>\r\n</form>\r\nb");
    // "<input" without the blank is left where it stands.
    EXPECT_EQ(preparePageText("<input>x"), "<input>x");
    EXPECT_EQ(preparePageText(""), "");
}

struct ScanRow {
    const char* what;
    std::string outer;
    std::string inner;
    int form;
    int field;  // ignored when form is -1
    bool textArea = true;
};

void PrintTo(const ScanRow& r, std::ostream* os) {
    *os << r.what;
}

class Scans : public testing::TestWithParam<ScanRow> {};

TEST_P(Scans, FindFormAndField) {
    const ScanRow& r = GetParam();
    const PostingForm form = findPostingForm({r.outer, r.inner});
    EXPECT_EQ(form.index, r.form) << r.what;
    if (r.form >= 0) {
        const MessageField field = findMessageField(form.page, form.index);
        EXPECT_EQ(field.index, r.field) << r.what;
        if (r.field >= 0) {
            EXPECT_EQ(field.textArea, r.textArea) << r.what;
        }
    }
}

std::string body(const std::string& inner) {
    return "<body>" + inner + "</body>";
}

const std::string kSearch =
    "<form action=/search><input type=text name=q><input type=submit></form>";
const std::string kPosting =
    "<form action=/post method=post><input type=hidden name=t value=1>"
    "<input type=text name=subject><textarea name=message></textarea>"
    "<input type=submit value=Post></form>";

INSTANTIATE_TEST_SUITE_P(
    Pages, Scans,
    testing::Values(
        ScanRow{"search form before the posting form", body(kSearch + kPosting), kSearch + kPosting,
                1, 2},
        ScanRow{"hidden input, subject, text area", body(kPosting), kPosting, 0, 2},
        ScanRow{"select and button are not counted",
                body("<form><input type=text><select name=s><option>1</select><button>b</button>"
                     "<textarea></textarea><input type=submit></form>"),
                "", 0, 1},
        ScanRow{"capital tags",
                body("<FORM ACTION=/p><INPUT TYPE=hidden><TEXTAREA NAME=m></TEXTAREA><INPUT "
                     "TYPE=submit></FORM>"),
                "", 0, 1},
        ScanRow{"an input whose name holds textarea is the target",
                body("<form><input type=hidden name=t><input type=text name=textarea_x><input "
                     "type=submit></form>"),
                "", 0, 1, false},
        // The form's own attributes stand on the line after "<form", before any field.
        ScanRow{"a form whose name holds textarea",
                body("<form name=textareaform><input type=text name=x><input type=submit></form>"),
                "", 0, -1},
        ScanRow{"text area outside every form", body("<textarea></textarea>" + kSearch),
                "<textarea></textarea>" + kSearch, -1, -1},
        ScanRow{"two forms with text areas: the first", body(kPosting + kPosting), "", 0, 2},
        // The form scan skips a start tag inside an open form, the field scan counts it.
        // Browsers drop such nested tags, so a real page never shows this.
        ScanRow{"a form inside an open form",
                body("<form><form><input type=text ><textarea></textarea><input "
                     "type=submit></form></form>"),
                "", 0, -1},
        ScanRow{"found only in the inner text", "<body><p>nothing</p></body>", kPosting, 0, 2},
        ScanRow{"no body at all", "", "", -1, -1}));

TEST(PageScan, TextAreaOnTheLastLineGivesNoField) {
    BodyHtml page{"<form><input type=text><textarea>", ""};
    PostingForm form = findPostingForm(page);
    EXPECT_EQ(form.index, 0);
    EXPECT_EQ(findMessageField(form.page, 0).index, -1);
    // One line more and it is found.
    page.outer += "</textarea></form>";
    form = findPostingForm(page);
    EXPECT_EQ(form.index, 0);
    EXPECT_EQ(findMessageField(form.page, 0).index, 1);
}

TEST(PageScan, RecordHoldsWhatWasScannedLast) {
    TempFolder dir;
    const std::string scratch = dir.file("htmltemp.txt");
    const PostingForm form = findPostingForm({"<body><FORM>x</FORM></body>", "<FORM>y</FORM>"});
    ASSERT_EQ(form.index, -1);
    ASSERT_TRUE(writeScanRecord(scratch, form.page).ok());
    EXPECT_EQ(dir.read("htmltemp.txt"), "\r\n<form\r\n>y\r\n</form>\r\n\r\n");
}

TEST(PageScan, RecordIsTheUsersAlone) {
    TempFolder dir;
    const std::string scratch = dir.file("htmltemp.txt");
    ASSERT_TRUE(writeFileAtomic(scratch, "old", 0644).ok());
    ASSERT_TRUE(writeScanRecord(scratch, findPostingForm({kPosting, kPosting}).page).ok());
    EXPECT_EQ(std::filesystem::status(scratch).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(PageScan, RecordFailuresAreErrors) {
    TempFolder dir;
    std::filesystem::create_directory(dir.file("htmltemp.txt"));
    EXPECT_FALSE(
        writeScanRecord(dir.file("htmltemp.txt"), findPostingForm({kPosting, kPosting}).page).ok());
}

}  // namespace
}  // namespace boardcast
