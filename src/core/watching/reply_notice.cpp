#include "core/watching/reply_notice.h"

#include "core/text/address_text.h"
#include "core/text/html_escape.h"

namespace boardcast {

namespace {

// 2771 as "2,771".
std::string grouped(std::int64_t n) {
    const std::string digits = std::to_string(n < 0 ? -n : n);
    std::string out = n < 0 ? "-" : "";
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string joined(const std::vector<std::string>& names, std::string_view separator) {
    std::string out;
    for (const std::string& name : names) {
        if (!out.empty()) out += separator;
        out += name.empty() ? "a guest" : name;
    }
    return out;
}

// "bob", "bob and carol", "bob, carol and 2 others".
std::string whoReplied(const std::vector<std::string>& authors) {
    std::vector<std::string> shown(
        authors.begin(), authors.begin() + static_cast<long>(std::min<size_t>(authors.size(), 2)));
    if (authors.size() <= 2) return joined(shown, " and ");
    return joined(shown, ", ") + " and " + std::to_string(authors.size() - 2) + " others";
}

void append(std::string& out, std::string_view text, bool markup) {
    if (markup) {
        appendHtmlEscaped(out, text);
    } else {
        out += text;
    }
}

}  // namespace

std::string newsSummary(const ThreadNews& news) {
    if (!news.byPosts)
        return (news.grownBytes >= 0 ? "+" : "") + grouped(news.grownBytes) + " bytes";
    return std::to_string(news.posts.size()) + " new: " + joined(authorsOf(news.posts), ", ");
}

std::string newRepliesEntry(const ThreadWithNews& thread) {
    return thread.name + " (" + newsSummary(thread.news) + ")";
}

std::string newRepliesTip(const ThreadWithNews& thread, const std::string& host) {
    std::string tip = host + "\n" + withHiddenPassword(thread.address);
    if (!thread.news.byPosts)
        return tip + "\nThe page grew by " + grouped(thread.news.grownBytes) +
               " bytes (its posts could not be read)";
    const std::vector<ForumPost>& posts = thread.news.posts;
    for (size_t i = 0; i < posts.size() && i < kTipPosts; ++i) {
        tip += "\n" + (posts[i].author.empty() ? std::string("a guest") : posts[i].author) + ": " +
               posts[i].firstLine;
    }
    if (posts.size() > kTipPosts)
        tip += "\nand " + std::to_string(posts.size() - kTipPosts) + " more";
    return tip;
}

std::string checkLine(const ThreadWithNews& thread) {
    const ThreadNews& news = thread.news;
    const std::string address = withHiddenPassword(thread.address);
    if (!news.byPosts) return address + "\t+" + std::to_string(news.grownBytes) + " bytes\t";
    return address + '\t' + std::to_string(news.posts.size()) + '\t' +
           joined(authorsOf(news.posts), ", ");
}

ReplyNotice replyNotice(const std::vector<ThreadWithNews>& threads, bool bodyMarkup) {
    ReplyNotice notice;
    size_t postCount = 0;
    bool allByPosts = true;
    for (const ThreadWithNews& t : threads) {
        allByPosts = allByPosts && t.news.byPosts;
        postCount += t.news.posts.size();
    }
    if (threads.size() == 1) {
        const ThreadWithNews& t = threads.front();
        if (t.news.byPosts && !t.news.posts.empty()) {
            notice.summary = whoReplied(authorsOf(t.news.posts)) + " replied in " + t.name;
            append(notice.body, t.news.posts.front().firstLine, bodyMarkup);
            if (t.news.posts.size() > 1)
                notice.body += "\nand " + std::to_string(t.news.posts.size() - 1) + " more";
        } else {
            notice.summary = "New replies in " + t.name;
            append(notice.body, newsSummary(t.news), bodyMarkup);
        }
        return notice;
    }
    notice.summary = allByPosts ? std::to_string(postCount) + " new posts in " +
                                      std::to_string(threads.size()) + " threads"
                                : "New replies in " + std::to_string(threads.size()) + " threads";
    for (size_t i = 0; i < threads.size() && i < kNoticeAddresses; ++i) {
        if (i > 0) notice.body += '\n';
        append(notice.body, newRepliesEntry(threads[i]), bodyMarkup);
    }
    if (threads.size() > kNoticeAddresses) {
        notice.body += "\nand " + std::to_string(threads.size() - kNoticeAddresses) + " more";
    }
    return notice;
}

}  // namespace boardcast
