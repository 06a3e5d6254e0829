#pragma once
// The embedded browser's cookies, mirrored into the reply check's cookie jar as the browser
// keeps and drops them, so that the check asks as the logged-in user. The jar's persistent
// cookies are written to a file of the data folder (owner only, atomically) a moment after
// each change and when this goes, so that the headless commands can send them too; session
// cookies end with the program, as in a browser.

#include <QObject>
#include <QTimer>
#include <memory>
#include <string>

#include "core/result.h"
#include "core/storage/settings_store.h"
#include "net/cookie_jar.h"
#include "platform/watching_service.h"

class QNetworkCookie;
class QWebEngineProfile;

namespace boardcast {

class BrowserCookies final : public QObject {
    Q_OBJECT

public:
    // The jar must outlive this; filePath empty: nothing is written.
    BrowserCookies(QWebEngineProfile* profile, CookieJar& jar, std::string filePath,
                   QObject* parent = nullptr);
    ~BrowserCookies() override;

    // Writes the persistent cookies now.
    Status save();

    static Cookie fromNetworkCookie(const QNetworkCookie& cookie);

Q_SIGNALS:
    // A write failed; the text names the file and why.
    void saveFailed(const QString& text);

private:
    CookieJar& jar_;
    std::string filePath_;
    QTimer saveTimer_;
};

// Makes service's requests ask as the browser of profile does: with its User-Agent and
// languages (the User-Agent also stored in settings, for the headless commands) and with its
// cookies, mirrored into the service's jar and kept in filePath. The mirror must go before
// the service; stored tells whether the User-Agent could be stored.
struct BrowserAsking {
    std::unique_ptr<BrowserCookies> cookies;
    Status stored;
};
BrowserAsking askAsTheBrowser(QWebEngineProfile* profile, WatchingService& service,
                              SettingsStore& settings, std::string filePath);

}  // namespace boardcast
