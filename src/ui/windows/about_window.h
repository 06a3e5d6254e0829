#pragma once
// The About window (design window frmAbout): the emblem, the product name, its version as
// major.minor, the company and the web site line, which opens the website window when clicked.

#include <QWidget>

class QLabel;

namespace boardcast {

class AboutWindow final : public QWidget {
    Q_OBJECT

public:
    explicit AboutWindow(QWidget* parent = nullptr);

Q_SIGNALS:
    // lblWebsite was clicked.
    void websiteRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* websiteLabel = nullptr;
};

}  // namespace boardcast
