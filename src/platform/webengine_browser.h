#pragma once
// The Browser over Qt WebEngine: a QWebEngineView with a page of our own. Our scripts run in
// the application world, out of reach of the page's scripts, and every text handed to the
// page goes in as a JSON-encoded string value, never spliced into script.

#include <QObject>
#include <memory>

#include "posting/browser.h"

class QWebEngineProfile;
class QWebEngineView;
class QWidget;
// So that popupOpened's argument is a known type to queued connections and signal spies.
Q_MOC_INCLUDE(<QWebEngineView>)

namespace boardcast {

class WebEngineBrowser final : public QObject, public Browser {
    Q_OBJECT

public:
    // Pages use the given profile, else the active BrowserProfile, else Qt's default one.
    explicit WebEngineBrowser(QWidget* viewParent = nullptr, QWebEngineProfile* profile = nullptr);
    ~WebEngineBrowser() override;

    // The widget that shows the pages (WebBrowser1); owned by its Qt parent, or by us while
    // it has none.
    QWebEngineView* view() const;
    QWebEngineProfile* profile() const;

    // The address of the page shown in its readable form, for an address box; locationUrl()
    // gives it fully encoded, as the browser sends it.
    QString displayAddress() const;

    // Makes the browser that shows a page's new window, on the given profile (the opener's),
    // or returns nullptr to refuse it. Without a factory a bare top-level view shows it.
    using PopupFactory = std::function<WebEngineBrowser*(QWebEngineProfile*)>;
    void setPopupFactory(PopupFactory factory);

    void setEvents(BrowserEvents* events) override;
    void navigate(const std::string& address) override;
    void goBack() override;
    void goForward() override;
    void stop() override;
    void refresh() override;
    std::string locationUrl() const override;
    std::string locationName() const override;
    void readBody(std::function<void(std::optional<BodyHtml>)> done) override;
    void setFormFieldValue(const FieldTarget& target, const MessageText& message,
                           std::function<void(InsertResult)> done) override;
    void insertIntoComposer(const MessageText& message,
                            std::function<void(InsertResult)> done) override;
    void inspectMessageBox(const FieldTarget& target,
                           std::function<void(MessageBoxFacts)> done) override;
    void watchForText(const std::string& text, int seconds,
                      std::function<void(std::string canonical)> seen) override;
    void stopWatchingForText() override;
    void pasteText(const std::string& text, std::function<void(bool pasted)> done) override;

Q_SIGNALS:
    // A page opened a new window that was not refused; it shows in this view.
    void popupOpened(QWebEngineView* popup);

private:
    // What our scripts report from the page, through the web channel of our script world.
    friend class PageReports;
    struct Private;
    std::unique_ptr<Private> d_;
};

}  // namespace boardcast
