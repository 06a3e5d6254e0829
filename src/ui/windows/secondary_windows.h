#pragma once
// Opens and unloads the windows beside the main window: saved messages (Form3), the template
// editor (frmCustom), the website window (frmWebsite), help (Form8) and About (frmAbout).
// Each is created on first opening and shown without blocking the others; a later opening
// brings up the window already there. A window's close box destroys it, so the next opening
// creates it afresh.
//
// When the main window closes it unloads the splash, the template editor, help and saved
// messages. If the website window is visible then, exitPending is set and the program goes on
// until that window closes; otherwise it ends at once. Either way finished() says when.

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <string>

#include "core/storage/settings_store.h"

class QWidget;

namespace boardcast {

class MainWindow;
class SavedMessagesWindow;
class HelpWindow;
class AboutWindow;
class TemplateEditor;
class WebsiteWindow;

class SecondaryWindows final : public QObject {
    Q_OBJECT

public:
    struct Places {
        std::string websiteAddress;  // the makers' site, opened by each new website window
        QStringList helpFiles;       // Help.rtf candidates, the first readable one is shown
    };

    // Connects the main window's entries. splash, when given, is unloaded at shutdown.
    SecondaryWindows(MainWindow& main, SettingsStore& settings, Places places,
                     QWidget* splash = nullptr);
    ~SecondaryWindows() override;

    void openSavedMessages();
    void openTemplateEditor();
    void openWebsite();
    void showHelpWindow();
    void openAbout();

    bool exitPending() const { return exitPending_; }

    // The windows now loaded, or null.
    SavedMessagesWindow* savedMessages() const;
    TemplateEditor* templateEditor() const;
    WebsiteWindow* website() const;
    HelpWindow* help() const;
    AboutWindow* about() const;

Q_SIGNALS:
    // The program should end now.
    void finished();

private:
    void mainWindowClosed();
    void websiteClosed();
    void endProgram();

    MainWindow& main_;
    SettingsStore& settings_;
    Places places_;
    QPointer<QWidget> splash_;
    QPointer<SavedMessagesWindow> form3_;
    QPointer<TemplateEditor> custom_;
    QPointer<WebsiteWindow> website_;
    QPointer<HelpWindow> help_;
    QPointer<AboutWindow> about_;
    bool exitPending_ = false;
};

// Where the help window looks for Help.rtf: the application folder first, then the copy
// built into the program.
QStringList helpFileCandidates(const std::string& appFolder);

}  // namespace boardcast
