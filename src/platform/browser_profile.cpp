#include "platform/browser_profile.h"

#include <QDir>
#include <QStandardPaths>
#include <QWebEngineProfile>

#include "core/storage/text_file.h"
#include "platform/qt_strings.h"

namespace boardcast {

namespace {

QWebEngineProfile* activeProfile = nullptr;

}  // namespace

BrowserProfile::BrowserProfile(const std::string& storageFolder, const std::string& cacheFolder)
    : previous_(activeProfile) {
    const QString storage = toQString(storageFolder);
    const QString cache = toQString(cacheFolder);
    QDir().mkpath(storage);
    QDir().mkpath(cache);
    // A named profile keeps its data on disk; the default one is off the record.
    profile_ = std::make_unique<QWebEngineProfile>(QStringLiteral("Boardcast"));
    profile_->setPersistentStoragePath(storage);
    profile_->setCachePath(cache);
    profile_->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    profile_->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    activeProfile = profile_.get();
}

BrowserProfile::~BrowserProfile() {
    if (activeProfile == profile_.get()) activeProfile = previous_;
}

QWebEngineProfile* BrowserProfile::active() {
    return activeProfile;
}

BrowserFolders browserFolders(const std::string& dataFolder, bool dataFolderGiven) {
    BrowserFolders folders{joinPath(dataFolder, "browser"), {}};
    if (dataFolderGiven) {
        folders.cache = joinPath(dataFolder, "browser-cache");
    } else {
        const QString cacheRoot = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        folders.cache = joinPath(toStdString(cacheRoot), "browser");
    }
    return folders;
}

RequestIdentity identityOf(const QWebEngineProfile* profile) {
    RequestIdentity identity;
    if (!profile) return identity;
    identity.userAgent = toStdString(profile->httpUserAgent());
    if (!profile->httpAcceptLanguage().isEmpty())
        identity.acceptLanguage = toStdString(profile->httpAcceptLanguage());
    return identity;
}

}  // namespace boardcast
