#include "platform/threaded_page_reader.h"

#include <QMetaObject>
#include <QThread>
#include <memory>

namespace boardcast {

ThreadedPageReader::ThreadedPageReader(QObject* parent) : QObject(parent) {
    // One core is the event loop's; the others read, one at least.
    pool_.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
}

ThreadedPageReader::~ThreadedPageReader() {
    pool_.clear();
    pool_.waitForDone();
}

void ThreadedPageReader::read(std::string body, const PageContext& context, Done done) {
    // QThreadPool takes a copyable function: the body and the answer travel by pointer.
    auto page = std::make_shared<std::string>(std::move(body));
    auto answer = std::make_shared<Done>(std::move(done));
    pool_.start([this, page, context, answer] {
        auto facts = std::make_shared<PageFacts>(readPageFacts(std::move(*page), context));
        // Queued to this object's thread; dropped by Qt if the reader is gone by then.
        QMetaObject::invokeMethod(
            this, [answer, facts] { (*answer)(std::move(*facts)); }, Qt::QueuedConnection);
    });
}

}  // namespace boardcast
