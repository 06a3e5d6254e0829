// Watching and checking threads of real forum engines: pages captured from MyBB, FluxBB and
// SMF (tests/data/forums, see the README there) served from 127.0.0.1 with their own
// next-page links, before and after a reply, through the real probe and socket.

#include <gtest/gtest.h>

#include <QFile>
#include <QTcpSocket>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/watching/latest_page.h"
#include "core/watching/parallel_check.h"
#include "core/watching/post_watcher.h"
#include "core/watching/reply_notice.h"
#include "local_servers.h"
#include "net/page_probe.h"
#include "platform/watching_service.h"

namespace boardcast {
namespace {

struct Panels final : StatusPanels {
    void setPanelText(int, const std::string&) override {}
};

// One engine's captures, answered by request path; "after" pages stand in for their
// "before" ones once the reply has been made. The engine's own address in the pages is
// rewritten to the server's.
class CapturedForum {
public:
    CapturedForum(const std::string& engine, const QByteArray& origin)
        : folder_(QStringLiteral(BOARDCAST_TEST_DATA "/forums/") + QString::fromStdString(engine)),
          origin_(origin),
          server_([this](ScriptedServer&, ScriptedServer::Exchange& e) { answer(e); }) {
        QFile manifest(folder_ + QStringLiteral("/pages.tsv"));
        if (!manifest.open(QIODevice::ReadOnly)) ADD_FAILURE() << "no pages.tsv for " << engine;
        for (const QByteArray& line : manifest.readAll().split('\n')) {
            const QList<QByteArray> f = line.split('\t');
            if (f.size() == 5) pages_[{f[0] == "after", f[1]}] = {f[2].toInt(), f[3], f[4]};
        }
    }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(server_.port()) + path;
    }
    void replyMade() { after_ = true; }

private:
    struct Page {
        int status;
        QByteArray location, file;
    };
    void answer(ScriptedServer::Exchange& e) {
        auto it = pages_.find({after_, e.path()});
        if (it == pages_.end()) it = pages_.find({false, e.path()});
        if (it == pages_.end()) {
            e.socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
            e.socket->disconnectFromHost();
            return;
        }
        QFile file(folder_ + u'/' + QString::fromLatin1(it->second.file));
        QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        const QByteArray here =
            QByteArray("http://127.0.0.1:") + QByteArray::number(server_.port());
        bytes.replace(origin_, here);
        QByteArray head = "HTTP/1.1 " + QByteArray::number(it->second.status) + " OK\r\n";
        if (!it->second.location.isEmpty()) head += "Location: " + it->second.location + "\r\n";
        e.socket->write(head + "Content-Length: " + QByteArray::number(bytes.size()) + "\r\n\r\n" +
                        bytes);
        e.socket->disconnectFromHost();
    }

    QString folder_;
    QByteArray origin_;
    std::map<std::pair<bool, QByteArray>, Page> pages_;
    bool after_ = false;
    ScriptedServer server_;
};

struct Engine {
    std::string name, origin;
    // Thread A grows on its last page: watched at a post's permalink, then at page 1.
    std::string aPermalink, aFirstPage, aLatest;
    // Thread B's last page is full: the reply opens a new page.
    std::string bFirstPage, bLatest;
    std::string cOnly;           // a thread of one post
    std::string aSeenBefore;     // thread A's newest post when watched
    std::string aReply, bReply;  // the first lines of the second member's replies
};

const Engine kEngines[] = {
    {"mybb", "http://127.0.0.1:8081", "/showthread.php?tid=2&pid=4", "/showthread.php?tid=2",
     "/showthread.php?tid=2&page=3", "/showthread.php?tid=3", "/showthread.php?tid=3&page=2",
     "/showthread.php?tid=1", "26", "Post 26 of thread A. A reply by a second member.",
     "Post 21 of thread B. A reply by a second member; it opens page 3."},
    {"fluxbb", "http://127.0.0.1:8082", "/viewtopic.php?pid=5", "/viewtopic.php?id=3",
     "/viewtopic.php?id=3&p=3", "/viewtopic.php?id=4", "/viewtopic.php?id=4&p=2",
     "/viewtopic.php?id=2", "57", "Post 56 of thread A. A reply by a second member.",
     "Post 51 of thread B. A reply by a second member; it opens page 3."},
    {"smf", "http://127.0.0.1:8083", "/index.php?topic=3.msg5", "/index.php?topic=3.0",
     "/index.php?topic=3.30", "/index.php?topic=4.0", "/index.php?topic=4.15",
     "/index.php?topic=2.0", "37", "Post 36 of thread A. A reply by a second member.",
     "Post 31 of thread B. A reply by a second member; it opens page 3."},
};

TEST(ForumThreads, EveryReplyIsSeenOnTheLatestPageAndEachThreadIsWatchedOnce) {
    for (const Engine& engine : kEngines) {
        SCOPED_TRACE(engine.name);
        CapturedForum forum(engine.name, QByteArray::fromStdString(engine.origin));
        Panels panels;
        WatchingService service(panels, panels, 3, 6);
        WatchList posts;
        PostWatcher watcher(posts, service.measurer(), panels);
        auto watch = [&](const std::string& path) {
            ASSERT_GE(watcher.watchCurrentPage(forum.url(path)), 0);
            ASSERT_TRUE(waitFor([&] { return !watcher.measuring(); }, 10000));
            ASSERT_EQ(watcher.lastFailure(), "");
        };
        watch(engine.aPermalink);
        watch(engine.bFirstPage);
        watch(engine.cOnly);
        watch(engine.aFirstPage);  // thread A again, from another address: one entry still
        ASSERT_EQ(posts.count(), 3);
        const std::string a = forum.url(engine.aPermalink);
        EXPECT_EQ(posts.at(0).address, a);
        EXPECT_EQ(posts.detailsOf(a).latestPage, forum.url(engine.aLatest));
        EXPECT_FALSE(posts.detailsOf(a).title.empty());
        EXPECT_EQ(posts.detailsOf(forum.url(engine.bFirstPage)).latestPage,
                  forum.url(engine.bLatest));
        EXPECT_EQ(posts.detailsOf(forum.url(engine.cOnly)).latestPage, forum.url(engine.cOnly));

        EXPECT_EQ(posts.detailsOf(a).seenPostId, engine.aSeenBefore);
        EXPECT_EQ(posts.detailsOf(a).latestPostCount, 5);

        ParallelCheck& check = service.check();
        auto found = [&](std::vector<std::string> ownNames) {
            check.setAccountNames({{hostKey(forum.url("/")), std::move(ownNames)}});
            bool finished = false;
            check.start(posts, [&finished] { finished = true; });
            EXPECT_TRUE(waitFor([&] { return finished; }, 10000));
            EXPECT_TRUE(check.failures().empty());
            std::vector<std::string> lines;
            for (const ParallelCheck::Found& f : check.found()) {
                EXPECT_TRUE(f.news.byPosts);
                lines.push_back(checkLine({"", f.address, f.news}) + " | " +
                                f.news.posts.front().firstLine);
            }
            return lines;
        };
        EXPECT_EQ(found({}), std::vector<std::string>{});
        forum.replyMade();
        // A grew on its last page; B's reply opened a new page, which the check follows.
        // Both are the second member's: the user's own when that is the user's name.
        EXPECT_EQ(found({"admin"}),
                  (std::vector<std::string>{
                      a + "\t1\tmember2 | " + engine.aReply,
                      forum.url(engine.bFirstPage) + "\t1\tmember2 | " + engine.bReply}));
        EXPECT_EQ(found({"Member2"}), std::vector<std::string>{});
    }
}

}  // namespace
}  // namespace boardcast
