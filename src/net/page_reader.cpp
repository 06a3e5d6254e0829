#include "net/page_reader.h"

#include "net/html_document.h"

namespace boardcast {

PageFacts readPageFacts(std::string body, const PageContext& context) {
    const HtmlDocument html = HtmlDocument::parseOwned(std::move(body));
    PageFacts facts;
    facts.posts = readThreadPosts(html);
    facts.problem = pageProblem(html, context.status, context.cfChallenge,
                                !facts.posts.engine.empty(), context.redirected);
    facts.title = pageTitle(html);
    facts.links = pageLinks(html);
    return facts;
}

}  // namespace boardcast
