#pragma once
// The format chooser of the main window (design control cmbConvert): "text" and the names of
// the templates, the choice stored by index and by name at each change.

#include <QComboBox>
#include <functional>
#include <string>

#include "core/conversion/link_templates.h"
#include "core/result.h"
#include "core/storage/settings_store.h"
#include "core/watching/measurement.h"
#include "posting/auto_insert.h"

namespace boardcast {

class FormatChooser final : public QComboBox {
    Q_OBJECT

public:
    // All must outlive this; status's panel 2 tells of a choice that went, storeFailed of a
    // choice that could not be stored.
    FormatChooser(SettingsStore& settings, const TemplateTable& templates, StatusPanels& status,
                  std::function<void(const Error&)> storeFailed, QWidget* parent);

    // The entry chosen, as its name.
    std::string chosen() const;
    // Fills the chooser from the table. The entry chosen before stays chosen while its name
    // is listed; otherwise "text" is, and status panel 2 says so.
    void refill();
    // Chooses the entry the settings name.
    void restore();
    // Chooses the entry called name, when it is listed, and stores the choice.
    bool select(const std::string& name);
    // Stores the choice, by index and by name.
    Status remember();
    // Asks, in a box over this chooser's window, before the chosen format's tags go into a
    // Markdown composer; Yes chooses "text".
    MarkdownAnswer askAboutMarkdown();

private:
    SettingsStore& settings_;
    const TemplateTable& templates_;
    StatusPanels& status_;
    std::function<void(const Error&)> storeFailed_;
};

}  // namespace boardcast
