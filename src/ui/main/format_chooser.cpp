#include "ui/main/format_chooser.h"

#include "core/conversion/message_output.h"
#include "core/shell/product_identity.h"
#include "platform/qt_strings.h"
#include "ui/widgets/message_box.h"

namespace boardcast {

FormatChooser::FormatChooser(SettingsStore& settings, const TemplateTable& templates,
                             StatusPanels& status, std::function<void(const Error&)> storeFailed,
                             QWidget* parent)
    : QComboBox(parent),
      settings_(settings),
      templates_(templates),
      status_(status),
      storeFailed_(std::move(storeFailed)) {
    setToolTip(
        QStringLiteral("Select the format you would like to use when your message is inserted."));
    connect(this, &QComboBox::activated, this, [this] {
        if (Status s = remember(); !s) storeFailed_(s.error());
    });
}

std::string FormatChooser::chosen() const {
    return toStdString(currentText());
}

void FormatChooser::refill() {
    const int previousIndex = currentIndex();
    const std::string previous = chosen();
    const std::vector<std::string> entries = formatChooserEntries(templates_);
    clear();
    for (const std::string& entry : entries) addItem(toQString(entry));
    if (previousIndex < 0) {  // the first fill, at start
        setCurrentIndex(0);
        return;
    }
    const std::optional<int> index = chooserIndexOfName(entries, previous, previousIndex);
    setCurrentIndex(index.value_or(0));
    if (!index) {
        status_.setPanelText(2, "The format \"" + previous +
                                    "\" is no longer listed; messages now go out as \"" +
                                    std::string(kPlainTextEntry) + "\".");
    }
    // The template editor that refilled the chooser tells of its own failed store.
    if (Status s = remember(); !s) status_.setPanelText(2, s.error().text);
}

void FormatChooser::restore() {
    setCurrentIndex(restoredChooserIndex(settings_, formatChooserEntries(templates_)));
}

bool FormatChooser::select(const std::string& name) {
    const std::optional<int> index =
        chooserIndexOfName(formatChooserEntries(templates_), name, currentIndex());
    if (!index) return false;
    setCurrentIndex(*index);
    if (Status s = remember(); !s) storeFailed_(s.error());
    return true;
}

Status FormatChooser::remember() {
    return storeChooserChoice(settings_, currentIndex(), chosen());
}

MarkdownAnswer FormatChooser::askAboutMarkdown() {
    const QString text = QStringLiteral(
                             "This forum writes Markdown: %1 tags would show as text. Insert the "
                             "message as text instead?")
                             .arg(toQString(linkTagOf(chosen(), templates_)));
    switch (MessageBox::askOrCancel(window(), toQString(productIdentity().productName), text)) {
        case MessageBox::Answer::Yes:
            select(std::string(kPlainTextEntry));
            return MarkdownAnswer::InsertAsText;
        case MessageBox::Answer::No:
            return MarkdownAnswer::InsertAsChosen;
        case MessageBox::Answer::Cancel:
            break;
    }
    return MarkdownAnswer::Cancel;
}

}  // namespace boardcast
