#pragma once
// Reads fetched pages on a worker thread, so that the thread running the check's sockets
// goes on fetching while pages are parsed. Answers come back on the thread that owns the
// reader, from its event loop. Going away, the reader waits for the pages being read and
// drops their answers.

#include <QObject>
#include <QThreadPool>

#include "net/page_reader.h"

namespace boardcast {

class ThreadedPageReader final : public QObject, public PageReader {
public:
    explicit ThreadedPageReader(QObject* parent = nullptr);
    ~ThreadedPageReader() override;

    void read(std::string body, const PageContext& context, Done done) override;

private:
    QThreadPool pool_;
};

}  // namespace boardcast
