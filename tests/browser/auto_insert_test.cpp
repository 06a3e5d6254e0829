#include "browser/auto_insert.h"

#include <gtest/gtest.h>

#include <deque>

#include "temp_folder.h"

namespace boardcast {
namespace {

using testing_support::TempFolder;

// Answers page reads from a queue of bodies; continuations run when the test says so, as
// they would later on the real browser's event loop.
struct FakeBrowser : Browser {
    std::optional<BodyHtml> page;
    bool writeSucceeds = true;
    std::vector<std::string> writes;  // "form/field: text"
    std::deque<std::function<void()>> pending;

    void setEvents(BrowserEvents*) override {}
    void navigate(const std::string&) override {}
    void goBack() override {}
    void goForward() override {}
    void stop() override {}
    void refresh() override {}
    std::string locationUrl() const override { return "http://forum/t/1"; }
    std::string locationName() const override { return ""; }
    void readBody(std::function<void(std::optional<BodyHtml>)> done) override {
        pending.push_back([this, done] { done(page); });
    }
    void setFormFieldValue(int form, int field, const std::string& text,
                           std::function<void(bool)> done) override {
        writes.push_back(std::to_string(form) + "/" + std::to_string(field) + ": " + text);
        pending.push_back([this, done] { done(writeSucceeds); });
    }
    void pasteText(const std::string&, std::function<void(bool)>) override {}

    void runAll() {
        while (!pending.empty()) {
            auto next = std::move(pending.front());
            pending.pop_front();
            next();
        }
    }
};

const std::string kForm =
    "<body><form><input type=hidden name=t><input type=text name=s><textarea></textarea>"
    "<input type=submit></form></body>";

class AutoInsertTest : public testing::Test {
protected:
    FakeBrowser browser;
    TempFolder dir;
    int watched = 0;
    AutoInsert insert{browser, dir.file("htmltemp.txt"), [this] { ++watched; }};

    std::optional<bool> insertNow(const std::string& text) {
        std::optional<bool> result;
        insert.autoInsertMessage(text, [&result](bool ok) { result = ok; });
        browser.runAll();
        return result;
    }
    void loadPage(const std::string& outer) {
        browser.page = BodyHtml{outer, outer};
        insert.checkForPostedMessage();
        browser.runAll();
    }
};

TEST(PostSignature, Rules) {
    struct Row {
        std::string text, signature;
    };
    const Row rows[] = {
        {"Hello there\r\nsecond line", "Hello there"},
        {"one line only", "one line only"},
        {"see <a href='x'>x</a>\r\n", "see "},
        {"<a href='x'>x</a> more\r\nnext", "<a href='x'>x</a> more"},  // "<" first is ignored
        {"\r\nstarts with a break", "\r"},
        {"lone\rcr", "lone"},
        {"lone\nlf", "lone"},
        {"", ""},
    };
    for (const Row& r : rows) EXPECT_EQ(postSignature(r.text), r.signature) << testing::PrintToString(r.text);
    EXPECT_TRUE(pageShowsSignature({"<body>HELLO THERE</body>", ""}, "Hello there"));
    EXPECT_FALSE(pageShowsSignature({"<body>Hello</body>", "Hello"}, "Hello there"));
    EXPECT_TRUE(pageShowsSignature({"", ""}, ""));
}

TEST_F(AutoInsertTest, WritesTheTextAreaAndArmsTheDetection) {
    browser.page = BodyHtml{kForm, ""};
    EXPECT_EQ(insertNow("Hi\r\n\r\n"), true);
    EXPECT_EQ(browser.writes, std::vector<std::string>{"0/2: Hi\r\n\r\n"});
    EXPECT_EQ(insert.lastInsertedMessage(), "Hi\r\n\r\n");
    EXPECT_EQ(insert.postCheckCountdown(), 4);
}

TEST_F(AutoInsertTest, Failures) {
    // No readable body: nothing is written and the detection stays off.
    browser.page = std::nullopt;
    EXPECT_EQ(insertNow("x"), false);
    // No form with a text area.
    browser.page = BodyHtml{"<body><form><input type=text></form></body>", ""};
    EXPECT_EQ(insertNow("x"), false);
    EXPECT_TRUE(browser.writes.empty());
    EXPECT_EQ(insert.postCheckCountdown(), 0);
    // A failed write still arms the detection.
    browser.page = BodyHtml{kForm, ""};
    browser.writeSucceeds = false;
    EXPECT_EQ(insertNow("y\r\n"), false);
    EXPECT_EQ(insert.lastInsertedMessage(), "y\r\n");
    EXPECT_EQ(insert.postCheckCountdown(), 4);
}

TEST_F(AutoInsertTest, DetectionWatchesOnceWithinFourDownloads) {
    browser.page = BodyHtml{kForm, ""};
    ASSERT_EQ(insertNow("My new post\r\nmore\r\n\r\n"), true);
    loadPage("<body>a page without it</body>");
    loadPage("<body>thanks</body>");
    EXPECT_EQ(watched, 0);
    EXPECT_EQ(insert.postCheckCountdown(), 2);
    loadPage("<body><div>MY NEW POST</div></body>");
    EXPECT_EQ(watched, 1);
    EXPECT_EQ(insert.postCheckCountdown(), 0);
    loadPage("<body>My new post</body>");
    EXPECT_EQ(watched, 1);
}

TEST_F(AutoInsertTest, DetectionEndsAfterFourDownloads) {
    browser.page = BodyHtml{kForm, ""};
    ASSERT_EQ(insertNow("Signature text\r\n\r\n"), true);
    for (int i = 0; i < 4; ++i) loadPage("<body>other</body>");
    loadPage("<body>Signature text</body>");
    EXPECT_EQ(watched, 0);
    EXPECT_EQ(insert.postCheckCountdown(), 0);
}

TEST_F(AutoInsertTest, UnreadablePagesStillUseUpChecksAndOverlappingReadsWatchOnce) {
    insert.armPostCheck();  // an opened watched post, before any insert: empty signature
    browser.page = std::nullopt;
    insert.checkForPostedMessage();
    browser.runAll();
    EXPECT_EQ(insert.postCheckCountdown(), 3);
    EXPECT_EQ(watched, 0);

    // Two downloads complete before either page read has answered.
    browser.page = BodyHtml{"<body>x</body>", ""};
    insert.checkForPostedMessage();
    insert.checkForPostedMessage();
    browser.runAll();
    EXPECT_EQ(watched, 1);
}

}  // namespace
}  // namespace boardcast
