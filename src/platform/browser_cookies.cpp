#include "platform/browser_cookies.h"

#include <QDateTime>
#include <QNetworkCookie>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

#include "core/storage/settings_keys.h"
#include "core/storage/text_file.h"
#include "core/watching/watch_lists.h"
#include "platform/browser_profile.h"
#include "platform/qt_strings.h"

namespace boardcast {

namespace {

constexpr int kSaveDelayMs = 1000;

}  // namespace

Cookie BrowserCookies::fromNetworkCookie(const QNetworkCookie& c) {
    Cookie cookie;
    cookie.name = c.name().toStdString();
    cookie.value = c.value().toStdString();
    std::string domain = toStdString(c.domain().toLower());
    // The browser writes a domain cookie's domain with a leading dot, a host's own without.
    cookie.hostOnly = !domain.starts_with('.');
    if (!cookie.hostOnly) domain.erase(0, 1);
    cookie.domain = std::move(domain);
    cookie.path = c.path().isEmpty() ? "/" : toStdString(c.path());
    cookie.secure = c.isSecure();
    cookie.httpOnly = c.isHttpOnly();
    if (!c.isSessionCookie()) cookie.expires = c.expirationDate().toSecsSinceEpoch();
    return cookie;
}

BrowserCookies::BrowserCookies(QWebEngineProfile* profile, CookieJar& jar, std::string filePath,
                               QObject* parent)
    : QObject(parent), jar_(jar), filePath_(std::move(filePath)) {
    saveTimer_.setSingleShot(true);
    connect(&saveTimer_, &QTimer::timeout, this, [this] {
        if (Status s = save(); !s) Q_EMIT saveFailed(toQString(s.error().text));
    });
    if (!profile) return;
    QWebEngineCookieStore* store = profile->cookieStore();
    connect(store, &QWebEngineCookieStore::cookieAdded, this, [this](const QNetworkCookie& c) {
        jar_.set(fromNetworkCookie(c), secondsNow());
        saveTimer_.start(kSaveDelayMs);
    });
    connect(store, &QWebEngineCookieStore::cookieRemoved, this, [this](const QNetworkCookie& c) {
        const Cookie cookie = fromNetworkCookie(c);
        jar_.remove(cookie.name, cookie.domain, cookie.path);
        saveTimer_.start(kSaveDelayMs);
    });
    store->loadAllCookies();
}

BrowserCookies::~BrowserCookies() {
    if (saveTimer_.isActive()) (void)save();
}

Status BrowserCookies::save() {
    saveTimer_.stop();
    if (filePath_.empty()) return {};
    // Logins: readable by the user alone.
    return writeFileAtomic(filePath_, jar_.persistentText(secondsNow()), 0600);
}

BrowserAsking askAsTheBrowser(QWebEngineProfile* profile, WatchingService& service,
                              SettingsStore& settings, std::string filePath) {
    RequestIdentity identity = identityOf(profile);
    BrowserAsking asking;
    asking.stored = writeSetting(settings, keys::browserUserAgent, identity.userAgent);
    service.setIdentity(std::move(identity));
    asking.cookies =
        std::make_unique<BrowserCookies>(profile, service.cookies(), std::move(filePath));
    return asking;
}

}  // namespace boardcast
