#include "core/reply_notice.h"

namespace boardcast {

namespace {

std::string escapeMarkup(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace

ReplyNotice replyNotice(const std::vector<std::string>& posts, bool bodyMarkup) {
    ReplyNotice notice;
    notice.summary = posts.size() == 1 ? "New replies in 1 watched post"
                                       : "New replies in " + std::to_string(posts.size()) +
                                             " watched posts";
    for (size_t i = 0; i < posts.size() && i < kNoticeAddresses; ++i) {
        if (i > 0) notice.body += '\n';
        notice.body += bodyMarkup ? escapeMarkup(posts[i]) : posts[i];
    }
    if (posts.size() > kNoticeAddresses) {
        notice.body += "\nand " + std::to_string(posts.size() - kNoticeAddresses) + " more";
    }
    return notice;
}

}  // namespace boardcast
