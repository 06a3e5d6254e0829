#pragma once
// The page of our browser views. A request for a new window gets whatever the owner's window
// factory returns, or nothing without one; and callers of its scripts can tell when it goes.

#include <QWebEnginePage>
#include <functional>
#include <memory>

namespace boardcast {

class WebEnginePage final : public QWebEnginePage {
    Q_OBJECT

public:
    // Returns the page that the new window shows, or nullptr to refuse the window.
    using WindowFactory = std::function<QWebEnginePage*()>;

    explicit WebEnginePage(QObject* parent = nullptr);
    // On the given profile; Qt's default one when it is nullptr.
    WebEnginePage(QWebEngineProfile* profile, QObject* parent);
    ~WebEnginePage() override;

    void setWindowFactory(WindowFactory factory);

    // Expires as soon as the page starts to go, before the engine hands pending script
    // results back empty, so that their receivers can tell them from real ones.
    std::weak_ptr<const void> lifetime() const { return lifetime_; }

protected:
    QWebEnginePage* createWindow(WebWindowType type) override;

private:
    WindowFactory windowFactory_;
    std::shared_ptr<const bool> lifetime_ = std::make_shared<const bool>(true);
};

}  // namespace boardcast
