#pragma once
// The browser's one profile, shared by every browser view of the program and their pop-ups:
// persistent cookies, local storage and the HTTP cache are kept on disk across runs, as a
// desktop browser keeps them (logins survive a restart); session cookies end with the
// program. While one exists, every WebEngineBrowser made uses it; it must outlive them.

#include <memory>
#include <string>

#include "net/page_probe.h"

class QWebEngineProfile;

namespace boardcast {

class BrowserProfile {
public:
    // Storage (cookies, local storage) in storageFolder, the HTTP cache in cacheFolder; both
    // are created when missing.
    BrowserProfile(const std::string& storageFolder, const std::string& cacheFolder);
    ~BrowserProfile();
    BrowserProfile(const BrowserProfile&) = delete;
    BrowserProfile& operator=(const BrowserProfile&) = delete;

    QWebEngineProfile* profile() const { return profile_.get(); }

    // The profile in effect: the newest BrowserProfile alive, or nullptr for Qt's default
    // profile (which keeps nothing on disk).
    static QWebEngineProfile* active();

private:
    std::unique_ptr<QWebEngineProfile> profile_;
    QWebEngineProfile* previous_ = nullptr;
};

// Where the program keeps its browser data: the storage beside the data files, the cache in
// the per-user cache folder, or beside the data files when a data folder was given.
struct BrowserFolders {
    std::string storage;
    std::string cache;
};
BrowserFolders browserFolders(const std::string& dataFolder, bool dataFolderGiven);

// Who a profile's pages say asks: its User-Agent and languages, so that the reply check asks
// as the browser does. A null profile gives the built-in identity.
RequestIdentity identityOf(const QWebEngineProfile* profile);

}  // namespace boardcast
