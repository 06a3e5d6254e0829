#include "posting/auto_insert.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include "posting/page_scan.h"
#include "temp_folder.h"

namespace boardcast {
namespace {

using testing_support::TempFolder;

// Answers page reads from a queue of bodies; continuations run when the test says so, as
// they would later on the real browser's event loop.
struct FakeBrowser : Browser {
    std::optional<BodyHtml> page;
    bool writeSucceeds = true;
    bool composerTakes = false;
    std::vector<std::string> lostLinks;  // what the editor written into loses
    std::string renderedHtml;            // the rendered message of the last write
    std::vector<std::string> writes;     // "form/field[/input]: text", or "composer: text"
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
    void setFormFieldValue(const FieldTarget& target, const MessageText& message,
                           std::function<void(InsertResult)> done) override {
        writes.push_back(std::to_string(target.form) + "/" + std::to_string(target.field) +
                         (target.textArea ? "" : "/input") + ": " + message.text);
        renderedHtml = message.rendered.html;
        pending.push_back([this, done] { done({writeSucceeds, "field", {}, lostLinks}); });
    }
    void insertIntoComposer(const MessageText& message,
                            std::function<void(InsertResult)> done) override {
        writes.push_back("composer: " + message.text);
        renderedHtml = message.rendered.html;
        pending.push_back([this, done] { done({composerTakes, "composer", {}, lostLinks}); });
    }
    void pasteText(const std::string&, std::function<void(bool)>) override {}
    MessageBoxFacts box{true, false};
    void inspectMessageBox(const FieldTarget&, std::function<void(MessageBoxFacts)> done) override {
        pending.push_back([this, done] { done(box); });
    }
    // The page watch running, if any: what it looks for and whom it tells.
    std::string watchedFor;
    std::function<void(std::string)> seen;
    void watchForText(const std::string& text, int seconds,
                      std::function<void(std::string)> report) override {
        watchedFor = seconds > 0 ? text : "";
        seen = std::move(report);
    }
    void stopWatchingForText() override {
        watchedFor.clear();
        seen = nullptr;
    }

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
    std::vector<bool> messageShown;      // by each watch: did the page show an inserted message
    std::vector<std::string> addresses;  // by each watch: the address it is watched under
    AutoInsert insert{browser, dir.file("htmltemp.txt"), [this](const SeenPost& seen) {
                          ++watched;
                          messageShown.push_back(seen.messageShown);
                          addresses.push_back(seen.address);
                      }};

    std::optional<bool> insertNow(const std::string& text, const std::string& linkMarkup = "",
                                  const std::string& message = "") {
        std::optional<bool> result;
        insert.autoInsertMessage({text, {linkMarkup}, message},
                                 [&result](const InsertResult& r) { result = r.written; });
        browser.runAll();
        return result;
    }
    // A page whose reader sees visibleText; its HTML holds something else.
    void loadPage(const std::string& visibleText, const std::string& canonical = "") {
        browser.page = BodyHtml{"<body>markup</body>", "markup", visibleText, canonical};
        insert.checkForPostedMessage();
        browser.runAll();
    }
};

TEST(PostSignature, Rules) {
    struct Row {
        const char* what;
        InsertRequest inserted;
        std::string signature;
    };
    const std::string ubb = "[url=";
    const std::string html = "<a href='";
    const Row rows[] = {
        {"first line", {"Hello there\r\nsecond line"}, "Hello there"},
        {"one line", {"one line only"}, "one line only"},
        {"lone CR", {"lone cr ends\rhere"}, "lone cr ends"},
        {"lone LF", {"lone lf ends\nhere"}, "lone lf ends"},
        {"white space collapsed", {"  Spaced \t out\xC2\xA0words\r\n"}, "Spaced out words"},
        {"cut before the link markup",
         {"Visit my great site [url=http://a.com]http://a.com[/url] now\r\n", LinkOpening{ubb}},
         "Visit my great site"},
        {"link markup in any case",
         {"Visit my great site [URL=http://a.com]x[/URL]\r\n", LinkOpening{ubb}},
         "Visit my great site"},
        {"html: tags dropped and entities decoded",
         {"<b>Tom &amp; Jerry</b> say hi <a href='http://a.com'>x</a>\r\n", LinkOpening{html}},
         "Tom & Jerry say hi"},
        {"first line only a link: the message's first words",
         {"[url=http://a.com]http://a.com[/url]\r\nBest widgets in town\r\n", LinkOpening{ubb},
          "http://a.com\r\nBest widgets in town\r\n"},
         "Best widgets in town"},
        {"too short: the first long enough run between addresses",
         {"Hi [url=http://a.com]http://a.com[/url]\r\n", LinkOpening{ubb},
          "Hi www.a.com and see the rest of it"},
         "and see the rest of it"},
        {"only an address: the address itself",
         {"[url=http://a.com/x]http://a.com/x[/url]\r\n", LinkOpening{ubb}, "http://a.com/x"},
         "http://a.com/x"},
        {"short but nothing longer to take", {"Hi\r\n", {}, "Hi"}, "Hi"},
        {"nothing inserted", {""}, ""},
    };
    for (const Row& r : rows) EXPECT_EQ(postSignature(r.inserted), r.signature) << r.what;
}

TEST(PostSignature, PageShowsIt) {
    auto page = [](std::string visible) { return BodyHtml{"<body>html</body>", "html", visible}; };
    EXPECT_TRUE(pageShowsSignature(page("x HELLO  THERE\ny"), "Hello there"));
    EXPECT_TRUE(pageShowsSignature(page("Hello\n\tthere"), "Hello there"));
    // Only what a reader sees counts, not the markup.
    EXPECT_FALSE(
        pageShowsSignature({"<body>Hello there</body>", "Hello there", "Hello"}, "Hello there"));
    EXPECT_TRUE(pageShowsSignature(page(""), ""));
}

TEST_F(AutoInsertTest, WritesTheTextAreaAndArmsTheDetection) {
    browser.page = BodyHtml{kForm, ""};
    EXPECT_EQ(insertNow("Hi\r\n\r\n"), true);
    EXPECT_EQ(browser.writes, std::vector<std::string>{"0/2: Hi\r\n\r\n"});
    EXPECT_EQ(insert.lastInsertedMessage(), "Hi\r\n\r\n");
    EXPECT_EQ(insert.postCheckCountdown(), 4);
    // An input whose line names "textarea" is written as an input.
    browser.writes.clear();
    browser.page = BodyHtml{"<body><form><input type=text name=textarea_1></form></body>", ""};
    EXPECT_EQ(insertNow("Hi"), true);
    EXPECT_EQ(browser.writes, std::vector<std::string>{"0/0/input: Hi"});
}

TEST_F(AutoInsertTest, Failures) {
    // No readable body: nothing is written and the detection stays off.
    browser.page = std::nullopt;
    EXPECT_EQ(insertNow("x"), false);
    // No form with a text area, and no composer on the page takes it.
    browser.page = BodyHtml{"<body><form><input type=text></form></body>", ""};
    EXPECT_EQ(insertNow("x"), false);
    EXPECT_EQ(browser.writes, std::vector<std::string>{"composer: x"});
    EXPECT_EQ(insert.postCheckCountdown(), 0);
    EXPECT_EQ(insert.lastInsertedMessage(), "");
    browser.writes.clear();
    // A failed write still arms the detection.
    browser.page = BodyHtml{kForm, ""};
    browser.writeSucceeds = false;
    EXPECT_EQ(insertNow("y\r\n"), false);
    EXPECT_EQ(insert.lastInsertedMessage(), "y\r\n");
    EXPECT_EQ(insert.postCheckCountdown(), 4);
}

// Each insert leaves the page it scanned in the record; a record that cannot be written
// stops nothing, since nothing reads it back.
TEST_F(AutoInsertTest, RecordOfTheScannedPage) {
    browser.page = BodyHtml{kForm, ""};
    EXPECT_EQ(insertNow("Hi"), true);
    EXPECT_EQ(dir.read("htmltemp.txt"), preparePageText(kForm) + "\r\n");
    std::filesystem::remove(dir.file("htmltemp.txt"));
    std::filesystem::create_directory(dir.file("htmltemp.txt"));
    EXPECT_EQ(insertNow("Hi again"), true);
    EXPECT_EQ(browser.writes.back(), "0/2: Hi again");
}

// An editor that did not keep the whole message: reported, and nothing is armed.
TEST_F(AutoInsertTest, LossyEditorArmsNothing) {
    for (const bool composer : {false, true}) {
        browser.page = composer ? BodyHtml{"<body><div contenteditable></div></body>", ""}
                                : BodyHtml{kForm, ""};
        browser.composerTakes = true;
        browser.lostLinks = {"http://a.com"};
        std::optional<InsertResult> result;
        insert.autoInsertMessage({"See [url=http://a.com]http://a.com[/url]\r\n\r\n",
                                  LinkOpening{"[url="}, "See http://a.com"},
                                 [&result](InsertResult r) { result = std::move(r); });
        browser.runAll();
        ASSERT_TRUE(result);
        EXPECT_TRUE(result->written && result->differs());
        // The editor was given the message as written, rendered, not the BBCode.
        EXPECT_EQ(browser.renderedHtml, "<p>See <a href=\"http://a.com\">http://a.com</a></p>");
        EXPECT_EQ(insert.postCheckCountdown(), 0) << composer;
    }
}

// Auto-Insert pressed again before the first write was read back: only the second counts.
TEST_F(AutoInsertTest, OvertakenInsertReportsNothing) {
    browser.page = BodyHtml{kForm, ""};
    std::vector<std::string> reported;
    for (const std::string text : {"first\r\n", "second\r\n"}) {
        insert.autoInsertMessage(
            {text}, [&reported, text](const InsertResult&) { reported.push_back(text); });
    }
    browser.runAll();
    EXPECT_EQ(reported, std::vector<std::string>{"second\r\n"});
    EXPECT_EQ(insert.lastInsertedMessage(), "second\r\n");
}

TEST_F(AutoInsertTest, ComposerOutsideAnyFormArmsTheDetection) {
    browser.page = BodyHtml{"<body><textarea></textarea><button>Reply</button></body>", ""};
    browser.composerTakes = true;
    EXPECT_EQ(insertNow("Hello composer\r\n\r\n"), true);
    EXPECT_EQ(browser.writes, std::vector<std::string>{"composer: Hello composer\r\n\r\n"});
    EXPECT_EQ(insert.postCheckCountdown(), 4);
    loadPage("Thread: Hello composer");
    EXPECT_EQ(watched, 1);
}

TEST_F(AutoInsertTest, DetectionFindsTheRenderedPost) {
    // The first line holds a link; the forum shows it rendered, so the page's text never
    // holds the markup.
    browser.page = BodyHtml{kForm, ""};
    ASSERT_EQ(insertNow("Great offers at [url=http://a.com]http://a.com[/url] today\r\n\r\n",
                        "[url=", "Great offers at http://a.com today"),
              true);
    loadPage("Re: offers\nGreat offers at http://a.com today\nQuote Reply");
    EXPECT_EQ(watched, 1);
}

TEST_F(AutoInsertTest, DetectionWatchesOnceWithinFourDownloads) {
    browser.page = BodyHtml{kForm, ""};
    ASSERT_EQ(insertNow("My new post\r\nmore\r\n\r\n"), true);
    loadPage("a page without it");
    loadPage("thanks");
    EXPECT_EQ(watched, 0);
    EXPECT_EQ(insert.postCheckCountdown(), 2);
    loadPage("MY NEW POST");
    EXPECT_EQ(watched, 1);
    EXPECT_EQ(messageShown, std::vector<bool>{true});
    EXPECT_EQ(insert.postCheckCountdown(), 0);
    loadPage("My new post");
    EXPECT_EQ(watched, 1);
}

TEST_F(AutoInsertTest, DetectionEndsAfterFourDownloads) {
    browser.page = BodyHtml{kForm, ""};
    ASSERT_EQ(insertNow("Signature text\r\n\r\n"), true);
    for (int i = 0; i < 4; ++i) loadPage("other");
    loadPage("Signature text");
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
    // Nothing was inserted: the page is watched, but it says nothing of who the user is.
    EXPECT_EQ(messageShown, std::vector<bool>{false});
}

TEST(WatchedAddress, CanonicalOnlyOnThePagesOwnHost) {
    const std::string shown = "https://Forum.example/topic/3/tools/2";
    struct Row {
        std::string canonical, watched;
    } rows[] = {
        {"https://forum.example/topic/3/tools", "https://forum.example/topic/3/tools"},
        {"http://forum.example/topic/3/tools", "http://forum.example/topic/3/tools"},
        {"", ""},
        {"https://elsewhere.example/topic/3", ""},
        {"https://forum.example:8443/topic/3", ""},
        {"javascript:alert(1)", ""},
    };
    for (const Row& r : rows) EXPECT_EQ(watchedAddressOf(shown, r.canonical), r.watched);
}

// A post sent by script shows on the page without a load: the page's own changes tell.
TEST_F(AutoInsertTest, PageWatchFindsAPostSentWithoutLoading) {
    browser.page = BodyHtml{kForm, ""};
    ASSERT_EQ(insertNow("Thanks for the tip\r\nmore\r\n\r\n"), true);
    EXPECT_EQ(browser.watchedFor, "Thanks for the tip");
    auto seen = browser.seen;
    seen("http://forum/topic/1/slug");
    seen("http://forum/topic/1/slug");  // a late second report watches nothing more
    EXPECT_EQ(addresses, std::vector<std::string>{"http://forum/topic/1/slug"});
    EXPECT_EQ(insert.postCheckCountdown(), 0);
    EXPECT_EQ(browser.watchedFor, "");

    // A page that loads without the post is watched in its turn; the last of the four loads
    // ends the watching.
    watched = 0;
    browser.page = BodyHtml{kForm, ""};
    ASSERT_EQ(insertNow("Second message here\r\n\r\n"), true);
    for (int load = 1; load <= AutoInsert::kPostChecks; ++load) {
        browser.watchedFor.clear();
        loadPage("nothing yet");
        EXPECT_EQ(browser.watchedFor.empty(), load == AutoInsert::kPostChecks) << load;
    }
    // Found on a load, under the page's canonical address.
    browser.page = BodyHtml{kForm, ""};
    ASSERT_EQ(insertNow("Third message here\r\n\r\n"), true);
    loadPage("Third message here", "http://forum/t/1");
    EXPECT_EQ(addresses.back(), "http://forum/t/1");
    EXPECT_EQ(watched, 1);
}

TEST_F(AutoInsertTest, MarkdownComposerAsksFirst) {
    struct Row {
        bool markdown;
        std::string asText;
        std::optional<MarkdownAnswer> answer;  // none: no question may be asked
        std::string written;                   // "" nothing
    } rows[] = {
        {true, "See http://a.com", MarkdownAnswer::InsertAsText, "composer: See http://a.com"},
        {true, "See http://a.com", MarkdownAnswer::InsertAsChosen, "composer: See [url]"},
        {true, "See http://a.com", MarkdownAnswer::Cancel, ""},
        {true, "", std::nullopt, "composer: See [url]"},  // "text" chosen: nothing to ask
        {false, "See http://a.com", std::nullopt, "composer: See [url]"},
    };
    for (const Row& r : rows) {
        browser.writes.clear();
        browser.box = {true, r.markdown};
        browser.composerTakes = true;
        browser.page = BodyHtml{"<body><textarea></textarea></body>", ""};
        int asked = 0;
        insert.setMarkdownQuestion([&](std::function<void(MarkdownAnswer)> answer) {
            ++asked;
            answer(r.answer.value_or(MarkdownAnswer::Cancel));
        });
        std::optional<InsertResult> result;
        insert.autoInsertMessage({"See [url]", LinkOpening{"[url"}, "See http://a.com", r.asText},
                                 [&result](InsertResult done) { result = std::move(done); });
        browser.runAll();
        ASSERT_TRUE(result);
        EXPECT_EQ(asked, r.answer ? 1 : 0);
        EXPECT_EQ(browser.writes, r.written.empty() ? std::vector<std::string>{}
                                                    : std::vector<std::string>{r.written});
        EXPECT_EQ(result->cancelled, r.written.empty());
    }
}

}  // namespace
}  // namespace boardcast
