#include "net/thread_posts.h"

#include <algorithm>
#include <array>
#include <optional>

#include "core/text/ascii.h"
#include "core/text/code_pages.h"
#include "net/html_document.h"
#include "net/json_value.h"

namespace boardcast {

namespace {

// One step of a selector: an element with this tag (any when empty), class token and
// attribute; value compared as op says.
struct Sel {
    std::string_view tag{};
    std::string_view cls{};
    std::string_view attr{};
    std::string_view value{};
    enum Op { Has, Equals, Prefix, Contains } op = Has;

    bool empty() const { return tag.empty() && cls.empty() && attr.empty(); }
    bool matches(const HtmlNode& n) const {
        if (!n.isElement() || empty()) return false;
        if (!tag.empty() && n.name != tag) return false;
        if (!cls.empty() && !n.hasClass(cls)) return false;
        if (attr.empty()) return true;
        const std::string_view* v = n.attribute(attr);
        if (!v) return false;
        switch (op) {
            case Has:
                return true;
            case Equals:
                return *v == value;
            case Prefix:
                return v->starts_with(value);
            case Contains:
                return v->find(value) != std::string::npos;
        }
        return false;
    }
};

// Descendants matched step by step: the first element within `within` that matches path[0]
// and holds a match of the rest.
using Path = std::array<Sel, 2>;

int findFirst(const HtmlDocument& doc, int within, const Sel* path, size_t steps) {
    if (steps == 0 || path[0].empty()) return within;
    const int end = doc.at(within).end;
    for (int i = within + 1; i < end; ++i) {
        if (!path[0].matches(doc.at(i))) continue;
        const int found = findFirst(doc, i, path + 1, steps - 1);
        if (found >= 0) return found;
    }
    return -1;
}
int findFirst(const HtmlDocument& doc, int within, const Path& path) {
    return findFirst(doc, within, path.data(), path.size());
}

// How one engine marks its posts.
struct PostRule {
    std::string_view engine;
    Sel post;                      // the post's element
    std::string_view idAttr;       // on it, the attribute holding the id
    std::string_view idPrefix;     // written before the number ("post_22")
    std::string_view authorAttr;   // on it, an attribute holding the author's name
    Path author;                   // else: the element whose text is the name
    Path content;                  // the post's own text
    std::array<Sel, 3> quotes;     // within the text: quotes of other posts, left out
    std::array<Sel, 2> permalink;  // an <a> whose href is the post's address, the first found
    // Else: the address is the topic's (its <link itemprop="url">), "/" and the post's
    // number (Discourse's crawler view links no post).
    bool numberedAfterTopic = false;
};

// The rules, each read from the engine's own templates (tests/data/forums/*/README.md).
const PostRule kRules[] = {
    {"mybb",
     {"div", "post", "id", "post_", Sel::Prefix},
     "id",
     "post_",
     {},
     {{{"", "post_author"}, {"", "largetext"}}},
     {{{"div", "post_body"}}},
     {{{"blockquote", "mycode_quote"}}},
     {{{"a", "", "href", "#pid", Sel::Contains}}}},
    {"fluxbb",
     {"div", "blockpost", "id", "p", Sel::Prefix},
     "id",
     "p",
     {},
     {{{"div", "postleft"}, {"dt"}}},
     {{{"div", "postmsg"}}},
     {{{"div", "quotebox"}}},
     {{{"a", "", "href", "pid=", Sel::Contains}}}},
    {"smf",
     {"div", "", "id", "msg", Sel::Prefix},
     "id",
     "msg",
     {},
     {{{"div", "poster"}, {"h4"}}},
     {{{"div", "inner", "data-msgid"}}},
     {{{"blockquote"}}},
     {{{"a", "", "href", "msg=", Sel::Contains}}}},
    {"phpbb",
     {"div", "post", "id", "p", Sel::Prefix},
     "id",
     "p",
     {},
     {{{"", "author"}, {"strong"}}},
     {{{"div", "content"}}},
     {{{"blockquote"}}},
     {{{"a", "", "href", "#p", Sel::Contains}}}},
    {"xenforo",
     {"article", "message--post", "data-content", "post-", Sel::Prefix},
     "data-content",
     "post-",
     "data-author",
     {{{"", "message-name"}}},
     {{{"", "message-body"}, {"", "bbWrapper"}}},
     {{{"blockquote", "bbCodeBlock--quote"}}},
     {{{"a", "", "href", "post-", Sel::Contains}}}},
    {"vbulletin",
     {"li", "", "id", "post_", Sel::Prefix},
     "id",
     "post_",
     {},
     {{{"", "username_container"}, {"", "username"}}},
     {{{"div", "", "id", "post_message_", Sel::Prefix}}},
     {{{"div", "bbcode_container"}}},
     {{{"a", "postcounter"}}}},
    {"nodebb",
     {"", "", "component", "post", Sel::Equals},
     "data-pid",
     "",
     "data-username",
     {{{"", "", "itemprop", "author", Sel::Equals}, {"", "", "itemprop", "name", Sel::Equals}}},
     {{{"", "", "component", "post/content", Sel::Equals}}},
     {{{"blockquote"}}},
     {{{"a", "post-index", "href", "/post/", Sel::Contains}, {"a", "permalink"}}}},
    {"discourse",
     {"div", "crawler-post", "id", "post_", Sel::Prefix},
     "id",
     "post_",
     {},
     {{{"", "creator"}, {"", "", "itemprop", "name", Sel::Equals}}},
     {{{"div", "post"}}},
     {{{"aside", "quote"}, {"blockquote"}}},
     {},
     true},
};

// Blanks collapsed and trimmed, bytes that are not UTF-8 read as Windows 1252, at most
// maxChars characters.
std::string cleanLine(std::string_view text, size_t maxChars) {
    return collapsedBlanks(textFromBytes(text), maxChars);
}

// The first line of a post's own text. Quotes stand as lines of the skipped mark; a line
// that ends in ":" just before one introduces it ("bob said in Title:", "bob wrote:").
std::string firstLineOf(std::string_view text) {
    std::vector<std::string> lines;
    size_t from = 0;
    while (from <= text.size()) {
        size_t end = text.find('\n', from);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view raw = text.substr(from, end - from);
        std::string line = raw == std::string_view(&HtmlDocument::kSkippedMark, 1)
                               ? std::string(1, HtmlDocument::kSkippedMark)
                               : cleanLine(raw, kMaxFirstLineChars);
        if (!line.empty()) lines.push_back(std::move(line));
        from = end + 1;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i][0] == HtmlDocument::kSkippedMark) continue;
        const bool introducesQuote = lines[i].back() == ':' && i + 1 < lines.size() &&
                                     lines[i + 1][0] == HtmlDocument::kSkippedMark;
        if (!introducesQuote) return lines[i];
    }
    return {};
}

// The post's number when the element is one of the rule's posts.
std::optional<std::string_view> postIdOf(const PostRule& rule, const HtmlNode& n) {
    if (!rule.post.matches(n)) return std::nullopt;
    const std::string_view* idValue = n.attribute(rule.idAttr);
    if (!idValue || !idValue->starts_with(rule.idPrefix)) return std::nullopt;
    const std::string_view id = idValue->substr(rule.idPrefix.size());
    if (!isAsciiDigits(id)) return std::nullopt;
    return id;
}

// The topic's own address in its microdata: the first <link itemprop="url">.
std::string topicUrl(const HtmlDocument& doc) {
    for (const HtmlNode& n : doc.nodes()) {
        const std::string_view* prop = n.is("link") ? n.attribute("itemprop") : nullptr;
        const std::string_view* href = prop && *prop == "url" ? n.attribute("href") : nullptr;
        if (href && !href->empty()) return std::string(*href);
    }
    return {};
}

std::vector<ForumPost> readWithRule(const HtmlDocument& doc, const PostRule& rule) {
    std::vector<ForumPost> posts;
    const std::string topic = rule.numberedAfterTopic ? topicUrl(doc) : std::string();
    for (int i = 1; i < doc.size(); ++i) {
        const HtmlNode& n = doc.at(i);
        const std::optional<std::string_view> id = postIdOf(rule, n);
        if (!id) continue;
        ForumPost post;
        post.id = std::string(*id);
        if (const std::string_view* name =
                rule.authorAttr.empty() ? nullptr : n.attribute(rule.authorAttr)) {
            post.author = cleanLine(*name, kMaxFirstLineChars);
        }
        if (post.author.empty()) {
            if (const int a = findFirst(doc, i, rule.author); a >= 0 && !rule.author[0].empty())
                post.author = cleanLine(doc.textOf(a), kMaxFirstLineChars);
        }
        if (const int c = findFirst(doc, i, rule.content); c >= 0 && !rule.content[0].empty()) {
            post.firstLine = firstLineOf(doc.textOf(
                c,
                [&](int k) {
                    for (const Sel& q : rule.quotes) {
                        if (q.matches(doc.at(k))) return true;
                    }
                    return false;
                },
                true));
        }
        for (const Sel& link : rule.permalink) {
            const int p = link.empty() ? -1 : findFirst(doc, i, Path{link});
            const std::string_view* href = p >= 0 ? doc.at(p).attribute("href") : nullptr;
            if (!href) continue;
            post.address = std::string(*href);
            break;
        }
        if (post.address.empty() && !topic.empty()) {
            post.address = topic + (topic.ends_with('/') ? "" : "/") + post.id;
        }
        posts.push_back(std::move(post));
        i = n.end - 1;  // posts do not nest
    }
    return posts;
}

// schema.org microdata: every item of type DiscussionForumPosting or Comment is a post; its
// properties are those of its own scope, not of items inside it.
bool isPostItem(const HtmlNode& n) {
    if (!n.attribute("itemscope")) return false;
    const std::string_view* type = n.attribute("itemtype");
    if (!type) return false;
    return type->ends_with("/DiscussionForumPosting") || type->ends_with("/Comment") ||
           type->ends_with("/Answer");
}

// The first element of the item's own scope with this itemprop.
int itemProperty(const HtmlDocument& doc, int item, std::string_view prop) {
    const int end = doc.at(item).end;
    for (int i = item + 1; i < end; ++i) {
        const HtmlNode& n = doc.at(i);
        if (!n.isElement()) continue;
        const std::string_view* p = n.attribute("itemprop");
        if (p) {
            // itemprop may name several properties.
            std::string_view v = *p;
            size_t at = 0;
            while (at < v.size()) {
                size_t e = v.find(' ', at);
                if (e == std::string_view::npos) e = v.size();
                if (v.substr(at, e - at) == prop) return i;
                at = e + 1;
            }
        }
        if (n.attribute("itemscope")) i = n.end - 1;  // another item's properties
    }
    return -1;
}

// A property's value as microdata reads it: content, href or src, else the text.
std::string propertyValue(const HtmlDocument& doc, int node) {
    const HtmlNode& n = doc.at(node);
    for (std::string_view attr : {"content", "href", "src", "datetime"}) {
        if (const std::string_view* v = n.attribute(attr)) return std::string(*v);
    }
    return doc.textOf(node);
}

std::vector<ForumPost> readMicrodata(const HtmlDocument& doc) {
    std::vector<ForumPost> posts;
    for (int i = 1; i < doc.size(); ++i) {
        if (!isPostItem(doc.at(i))) continue;
        ForumPost post;
        if (const int a = itemProperty(doc, i, "author"); a >= 0) {
            const int name = doc.at(a).attribute("itemscope") ? itemProperty(doc, a, "name") : -1;
            post.author = cleanLine(propertyValue(doc, name >= 0 ? name : a), kMaxFirstLineChars);
        }
        int text = itemProperty(doc, i, "text");
        if (text < 0) text = itemProperty(doc, i, "articleBody");
        if (text < 0) continue;  // a topic that holds its posts as items of their own
        {
            post.firstLine = firstLineOf(doc.textOf(
                text,
                [&](int k) {
                    const HtmlNode& n = doc.at(k);
                    return n.is("blockquote") || (n.is("aside") && n.hasClass("quote")) ||
                           isPostItem(n);
                },
                true));
        }
        if (const int u = itemProperty(doc, i, "url"); u >= 0) post.address = propertyValue(doc, u);
        std::string id;
        if (const int k = itemProperty(doc, i, "identifier"); k >= 0) id = propertyValue(doc, k);
        if (id.empty()) {
            if (const std::string_view* own = doc.at(i).attribute("id")) {
                const size_t digits = own->find_first_of("0123456789");
                if (digits != std::string::npos && isAsciiDigits(own->substr(digits)))
                    id = std::string(own->substr(digits));
            }
        }
        if (id.empty()) id = post.address;
        if (id.empty()) id = std::to_string(posts.size() + 1);
        post.id = cleanLine(id, kMaxFirstLineChars);
        posts.push_back(std::move(post));
    }
    return posts;
}

// JSON-LD: DiscussionForumPosting objects and their comment (or hasPart) lists.
void collectJsonPosts(const JsonValue& v, std::vector<ForumPost>& posts, int depth) {
    if (depth > 16) return;
    if (v.isArray()) {
        for (const JsonValue& item : v.items()) collectJsonPosts(item, posts, depth + 1);
        return;
    }
    if (!v.isObject()) return;
    const std::string type = v.member("@type").text();
    if (type == "DiscussionForumPosting" || type == "Comment" || type == "Answer") {
        ForumPost post;
        const JsonValue& author = v.member("author");
        post.author = cleanLine(author.isObject() ? author.member("name").text() : author.text(),
                                kMaxFirstLineChars);
        std::string text = v.member("text").text();
        if (text.empty()) text = v.member("articleBody").text();
        post.firstLine = firstLineOf(text);
        post.address = v.member("url").text();
        std::string id = v.member("identifier").text();
        if (id.empty()) id = v.member("@id").text();
        if (id.empty()) id = post.address;
        if (id.empty()) id = std::to_string(posts.size() + 1);
        post.id = cleanLine(id, kMaxFirstLineChars);
        posts.push_back(std::move(post));
    }
    for (std::string_view list : {"comment", "hasPart", "@graph", "mainEntity"})
        collectJsonPosts(v.member(list), posts, depth + 1);
}

// Flarum writes its posts without ids into a <noscript>, and whole into the JSON:API
// document of script#flarum-json-payload: the "posts" among its included objects, with
// their authors among the "users".
std::vector<ForumPost> readFlarumPayload(const HtmlDocument& doc) {
    std::vector<ForumPost> posts;
    for (int i = 1; i < doc.size(); ++i) {
        const HtmlNode& n = doc.at(i);
        const std::string_view* id = n.is("script") ? n.attribute("id") : nullptr;
        if (!id || *id != "flarum-json-payload" || n.end != i + 2) continue;
        const std::optional<JsonValue> payload = parseJson(doc.at(i + 1).name);
        if (!payload) return posts;
        const JsonValue& api = payload->member("apiDocument");
        const JsonValue& discussion = api.member("data");
        std::string base = "/d/" + discussion.member("id").text();
        if (const std::string& slug = discussion.member("attributes").member("slug").text();
            !slug.empty())
            base += "-" + slug;
        const JsonValue& included = api.member("included");
        auto userName = [&included](const std::string& userId) {
            for (const JsonValue& item : included.items()) {
                if (item.member("type").text() != "users" || item.member("id").text() != userId)
                    continue;
                const JsonValue& a = item.member("attributes");
                return a.member("displayName").text().empty() ? a.member("username").text()
                                                              : a.member("displayName").text();
            }
            return std::string();
        };
        std::vector<std::pair<long long, ForumPost>> numbered;
        for (const JsonValue& item : included.items()) {
            const JsonValue& a = item.member("attributes");
            if (item.member("type").text() != "posts" ||
                a.member("contentHtml").kind() != JsonValue::Kind::String)
                continue;
            ForumPost post;
            post.id = item.member("id").text();
            post.author = cleanLine(
                userName(
                    item.member("relationships").member("user").member("data").member("id").text()),
                kMaxFirstLineChars);
            const HtmlDocument body = HtmlDocument::parse(a.member("contentHtml").text());
            post.firstLine = firstLineOf(body.textOf(
                0, [&body](int k) { return body.at(k).is("blockquote"); }, true));
            const std::string& number = a.member("number").text();
            if (!number.empty()) post.address = base + "/" + number;
            numbered.emplace_back(
                isAsciiDigits(number) && number.size() < 18 ? std::stoll(number) : 0,
                std::move(post));
        }
        std::stable_sort(numbered.begin(), numbered.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& [number, post] : numbered) posts.push_back(std::move(post));
        return posts;
    }
    return posts;
}

std::vector<ForumPost> readJsonLd(const HtmlDocument& doc) {
    std::vector<ForumPost> posts;
    for (int i = 1; i < doc.size(); ++i) {
        const HtmlNode& n = doc.at(i);
        if (!n.is("script")) continue;
        const std::string_view* type = n.attribute("type");
        if (!type || *type != "application/ld+json" || n.end != i + 2) continue;
        if (auto value = parseJson(doc.at(i + 1).name)) collectJsonPosts(*value, posts, 0);
    }
    return posts;
}

}  // namespace

ThreadPosts readThreadPosts(const HtmlDocument& page) {
    // One walk finds the engines whose posts the page holds; the first of them in the
    // table is read.
    constexpr size_t kRuleCount = std::size(kRules);
    std::array<bool, kRuleCount> found{};
    size_t first = kRuleCount;
    for (const HtmlNode& n : page.nodes()) {
        if (!n.isElement()) continue;
        for (size_t r = 0; r < first; ++r) {
            if (!found[r] && postIdOf(kRules[r], n)) {
                found[r] = true;
                first = std::min(first, r);
            }
        }
        if (first == 0) break;
    }
    if (first < kRuleCount) {
        std::vector<ForumPost> posts = readWithRule(page, kRules[first]);
        if (!posts.empty()) return {std::string(kRules[first].engine), std::move(posts)};
    }
    if (std::vector<ForumPost> posts = readFlarumPayload(page); !posts.empty())
        return {"flarum", std::move(posts)};
    if (std::vector<ForumPost> posts = readMicrodata(page); !posts.empty())
        return {"microdata", std::move(posts)};
    if (std::vector<ForumPost> posts = readJsonLd(page); !posts.empty())
        return {"json-ld", std::move(posts)};
    return {};
}

ThreadPosts readThreadPosts(std::string_view html) {
    return readThreadPosts(HtmlDocument::parse(html));
}

namespace {

bool showsChallenge(const HtmlDocument& page) {
    for (int i = 1; i < page.size(); ++i) {
        const HtmlNode& n = page.at(i);
        if (!n.isElement()) continue;
        if (const std::string_view* id = n.attribute("id");
            id && (*id == "challenge-form" || *id == "cf-challenge-running"))
            return true;
        if (n.is("title") && cleanLine(page.textOf(i), 100) == "Just a moment...") return true;
        if (n.is("script")) {
            const std::string_view* src = n.attribute("src");
            if (src && containsIgnoringCase(*src, "ddos-guard")) return true;
            if (n.end == i + 2) {
                const std::string_view code = page.at(i + 1).name;
                if (code.find("_cf_chl_opt") != std::string::npos ||
                    containsIgnoringCase(code, "ddos-guard"))
                    return true;
            }
        }
    }
    return false;
}

// What the engines show a guest in place of a thread that only members may read, from their
// language files (tests/data/forums/*/README.md).
constexpr std::string_view kLoginNotices[] = {
    "you are either not logged in or do not have permission to view this page",  // MyBB
    "requires you to be registered and logged in",                               // phpBB
    "you must be registered and logged in",                                      // phpBB
    "you are not logged in or you do not have permission to access this page",   // vBulletin
    "only registered members are allowed to access this section",                // SMF
    "you must be logged-in to do that",                                          // XenForo
    "you do not have permission to view these forums",                           // FluxBB
    "you do not have enough privileges for this action",                         // NodeBB
    // SMF says so of a missing topic too, but asks a guest to log in.
    "appears to be either missing or off limits to you",
    "try again after logging in",  // Flarum
};

// What they show in place of a thread that does not exist (or no longer).
constexpr std::string_view kMissingNotices[] = {
    "the specified thread does not exist",  // MyBB
    "the requested topic does not exist",   // phpBB
    "invalid thread specified",             // vBulletin
};

}  // namespace

PageProblem pageProblem(const HtmlDocument& page, int status, bool cfMitigatedChallenge,
                        bool postsRead, bool redirected) {
    if (cfMitigatedChallenge) return PageProblem::Challenge;
    if ((status == 403 || status == 429 || status == 503) && showsChallenge(page))
        return PageProblem::Challenge;
    if (postsRead) return PageProblem::None;
    if (redirected) {
        for (const HtmlNode& n : page.nodes()) {
            const std::string_view* type = n.is("input") ? n.attribute("type") : nullptr;
            if (type && startsWithIgnoringCase(*type, "password") && type->size() == 8)
                return PageProblem::LoginRequired;
        }
    }
    // The page's text in lower case once, then each notice looked for in it.
    const std::string text = asciiLowered(page.textOf(0));
    for (std::string_view notice : kLoginNotices) {
        if (text.find(notice) != std::string::npos) return PageProblem::LoginRequired;
    }
    for (std::string_view notice : kMissingNotices) {
        if (text.find(notice) != std::string::npos) return PageProblem::Missing;
    }
    return PageProblem::None;
}

}  // namespace boardcast
