#include "ui/windows/secondary_windows.h"

#include "ui/widgets/window_places.h"

#include <QWidget>

#include "core/shell/product_identity.h"
#include "core/storage/text_file.h"
#include "platform/qt_strings.h"
#include "ui/main/main_window.h"
#include "ui/resources/resources.h"
#include "ui/widgets/appearance.h"
#include "ui/windows/about_window.h"
#include "ui/windows/help_window.h"
#include "ui/windows/saved_messages_window.h"
#include "ui/windows/template_editor.h"
#include "ui/windows/website_window.h"

namespace boardcast {

namespace {

// Shows a window that is already loaded in front of the others.
void bringUp(QWidget& window) {
    if (window.isMinimized()) window.showNormal();
    window.show();
    window.raise();
    window.activateWindow();
}

// Unloads a window: it goes at once and its close box logic does not run. Where it stood is
// kept under name, when it has one.
template <class Window>
void unload(QPointer<Window>& window, SettingsStore* settings = nullptr,
            std::string_view name = {}) {
    if (window && settings) keepPlace(*window, *settings, name);
    delete window.data();
}

}  // namespace

QStringList helpFileCandidates(const std::string& appFolder) {
    return {toQString(joinPath(appFolder, "Help.rtf")), toQString(std::string(kBuiltInHelpFile))};
}

SecondaryWindows::SecondaryWindows(MainWindow& main, SettingsStore& settings, Places places,
                                   QWidget* splash)
    : main_(main), settings_(settings), places_(std::move(places)), splash_(splash) {
    connect(&main, &MainWindow::savedMessagesRequested, this, &SecondaryWindows::openSavedMessages);
    connect(&main, &MainWindow::templateEditorRequested, this,
            &SecondaryWindows::openTemplateEditor);
    connect(&main, &MainWindow::websiteRequested, this, &SecondaryWindows::openWebsite);
    connect(&main, &MainWindow::helpRequested, this, &SecondaryWindows::showHelpWindow);
    connect(&main, &MainWindow::aboutRequested, this, &SecondaryWindows::openAbout);
    connect(&main, &MainWindow::closing, this, &SecondaryWindows::mainWindowClosed);
}

SecondaryWindows::~SecondaryWindows() {
    unload(form3_, &settings_, "savedMessages");
    unload(custom_, &settings_, "templates");
    unload(help_, &settings_, "help");
    unload(about_, &settings_, "about");
    unload(website_);
}

SavedMessagesWindow* SecondaryWindows::savedMessages() const {
    return form3_;
}
TemplateEditor* SecondaryWindows::templateEditor() const {
    return custom_;
}
WebsiteWindow* SecondaryWindows::website() const {
    return website_;
}
HelpWindow* SecondaryWindows::help() const {
    return help_;
}
AboutWindow* SecondaryWindows::about() const {
    return about_;
}

void SecondaryWindows::openSavedMessages() {
    // Loading reads messages.txt; when it is missing the window says so and hides, and is
    // then shown here all the same, with an empty list.
    if (!form3_) {
        form3_ = new SavedMessagesWindow(main_);
        restorePlace(*form3_, settings_, "savedMessages");
    }
    bringUp(*form3_);
}

void SecondaryWindows::openTemplateEditor() {
    if (!custom_) {
        custom_ = new TemplateEditor(main_);
        restorePlace(*custom_, settings_, "templates");
    }
    bringUp(*custom_);
}

void SecondaryWindows::openWebsite() {
    if (website_) {
        bringUp(*website_);
        return;
    }
    website_ = new WebsiteWindow(places_.websiteAddress);
    connect(website_, &WebsiteWindow::closed, this, &SecondaryWindows::websiteClosed);
    website_->showMaximized();
}

void SecondaryWindows::showHelpWindow() {
    if (help_) {
        bringUp(*help_);
        return;
    }
    auto* help = new HelpWindow(settings_, places_.helpFiles);
    if (!help->loaded()) {
        delete help;  // without a help file there is nothing to show
        return;
    }
    help_ = help;
    // The first time beside the main window, never over its buttons; then where it was.
    if (!restorePlace(*help_, settings_, "help"))
        placeBeside(*help_, main_, main_.commandRowBottom());
    help_->show();
}

void SecondaryWindows::openAbout() {
    if (!about_) {
        about_ = new AboutWindow;
        restorePlace(*about_, settings_, "about");
        connect(about_, &AboutWindow::websiteRequested, this, &SecondaryWindows::openWebsite);
    }
    bringUp(*about_);
}

void SecondaryWindows::mainWindowClosed() {
    if (splash_) splash_->close();
    unload(custom_, &settings_, "templates");
    unload(help_, &settings_, "help");
    unload(form3_, &settings_, "savedMessages");
    if (website_ && website_->isVisible()) {
        exitPending_ = true;
        return;
    }
    endProgram();
}

void SecondaryWindows::websiteClosed() {
    if (exitPending_) endProgram();
}

void SecondaryWindows::endProgram() {
    if (productIdentity().skinEnabled) stopProgramSkin();
    Q_EMIT finished();
}

}  // namespace boardcast
