#include "platform/desktop_keyring.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>
#include <QTimer>

#include "core/shell/product_identity.h"
#include "platform/qt_strings.h"

namespace boardcast {

namespace {

constexpr int kAnswerMs = 10000;

QString itemKey(const std::string& address, const std::string& username) {
    return toQString(address + "|" + username);
}

// Runs a job to its end; false when the keyring did not answer in time.
bool finish(QKeychain::Job& job) {
    job.setAutoDelete(false);
    job.setInsecureFallback(false);  // never a plain file in the keyring's name
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kAnswerMs, &loop, &QEventLoop::quit);
    bool done = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&done] { done = true; });
    job.start();
    if (!done) loop.exec();
    return done;
}

Error keyringError(const QKeychain::Job& job, bool answered) {
    if (!answered) return Error{ErrorCode::Io, "The desktop keyring did not answer."};
    return Error{ErrorCode::Io, "The desktop keyring refused: " + toStdString(job.errorString())};
}

QString service() {
    return toQString(productIdentity().productName);
}

}  // namespace

Result<std::string> DesktopKeyring::read(const std::string& address, const std::string& username) {
    QKeychain::ReadPasswordJob job(service());
    job.setKey(itemKey(address, username));
    const bool answered = finish(job);
    if (answered && job.error() == QKeychain::EntryNotFound) {
        return Error{ErrorCode::NotFound, "The desktop keyring holds no password for " + address};
    }
    if (!answered || job.error() != QKeychain::NoError) return keyringError(job, answered);
    return toStdString(job.textData());
}

Status DesktopKeyring::write(const std::string& address, const std::string& username,
                             const std::string& password) {
    QKeychain::WritePasswordJob job(service());
    job.setKey(itemKey(address, username));
    job.setTextData(toQString(password));
    const bool answered = finish(job);
    if (!answered || job.error() != QKeychain::NoError) return keyringError(job, answered);
    return {};
}

Status DesktopKeyring::remove(const std::string& address, const std::string& username) {
    QKeychain::DeletePasswordJob job(service());
    job.setKey(itemKey(address, username));
    const bool answered = finish(job);
    if (answered && (job.error() == QKeychain::NoError || job.error() == QKeychain::EntryNotFound))
        return {};
    return keyringError(job, answered);
}

}  // namespace boardcast
