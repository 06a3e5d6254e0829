#pragma once
// The help window "Readme/Help" (design window Form8): Help.rtf, read by our own RTF reader,
// in a read-only browser (object name rtf1), and the check box "Show at Startup" (Check1),
// which stores "showHelp" at once.
// It keeps itself above the other windows.

#include <QStringList>
#include <QWidget>

#include "core/storage/settings_store.h"

class QCheckBox;
class QTextBrowser;

namespace boardcast {

class HelpWindow final : public QWidget {
    Q_OBJECT

public:
    // The window's load. The help text comes from the first of helpFiles that exists and can
    // be read; when none can, loaded() is false and the window must not be shown.
    HelpWindow(SettingsStore& settings, const QStringList& helpFiles, QWidget* parent = nullptr);

    bool loaded() const { return loaded_; }
    // The file the text came from, empty when none.
    const QString& helpFile() const { return helpFile_; }

private:
    void storeShowAtStartup(bool checked);

    SettingsStore& settings_;
    bool loaded_ = false;
    QString helpFile_;
    QTextBrowser* helpView = nullptr;
    QCheckBox* showAtStartupBox = nullptr;
};

}  // namespace boardcast
