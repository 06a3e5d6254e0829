#include "core/watching/reply_notice.h"

#include "core/text/html_escape.h"

namespace boardcast {

ReplyNotice replyNotice(const std::vector<std::string>& posts, bool bodyMarkup) {
    ReplyNotice notice;
    notice.summary = posts.size() == 1
                         ? "New replies in 1 watched post"
                         : "New replies in " + std::to_string(posts.size()) + " watched posts";
    for (size_t i = 0; i < posts.size() && i < kNoticeAddresses; ++i) {
        if (i > 0) notice.body += '\n';
        if (bodyMarkup) {
            appendHtmlEscaped(notice.body, posts[i]);
        } else {
            notice.body += posts[i];
        }
    }
    if (posts.size() > kNoticeAddresses) {
        notice.body += "\nand " + std::to_string(posts.size() - kNoticeAddresses) + " more";
    }
    return notice;
}

}  // namespace boardcast
