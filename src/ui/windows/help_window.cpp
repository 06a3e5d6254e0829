#include "ui/windows/help_window.h"

#include <QCheckBox>
#include <QFile>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <charconv>
#include <optional>
#include <string_view>

#include "core/help/rtf_reader.h"
#include "core/shell/product_identity.h"
#include "core/storage/settings_keys.h"
#include "platform/qt_strings.h"
#include "ui/widgets/appearance.h"
#include "ui/widgets/message_box.h"
#include "ui/windows/rtf_render.h"

namespace boardcast {

namespace {

// A help file is a few hundred kilobytes at most; anything far larger is not ours.
constexpr qint64 kMaxHelpBytes = 16 << 20;

std::optional<std::string> readHelpFile(const QString& path) {
    QFile file(path);
    if (!file.exists() || file.size() > kMaxHelpBytes || !file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray bytes = file.read(kMaxHelpBytes + 1);
    if (bytes.size() > kMaxHelpBytes) return std::nullopt;
    return bytes.toStdString();
}

// "showHelp" as the check box's state: 0 unchecked, 1 checked; anything else is not a state
// of the box and leaves it as it is.
std::optional<bool> checkStateOf(std::string_view value) {
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    int number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error != std::errc() || end == value.data()) return std::nullopt;
    if (number == 0) return false;
    if (number == 1) return true;
    return std::nullopt;
}

}  // namespace

HelpWindow::HelpWindow(SettingsStore& settings, const QStringList& helpFiles, QWidget* parent)
    : QWidget(parent, Qt::Window), settings_(settings) {
    setObjectName(QStringLiteral("Form8"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Readme/Help"));

    helpView = new QTextBrowser(this);
    helpView->setObjectName(QStringLiteral("rtf1"));
    helpView->setReadOnly(true);
    helpView->setOpenLinks(false);
    showAtStartupBox = new QCheckBox(QStringLiteral("Show at Startup"), this);
    showAtStartupBox->setObjectName(QStringLiteral("Check1"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->setSpacing(4);
    layout->addWidget(helpView, 1);
    layout->addWidget(showAtStartupBox);
    layout->itemAt(1)->setAlignment(Qt::AlignLeft);
    showAtStartupBox->setContentsMargins(4, 0, 0, 0);
    resize(686, 528);  // 10290 by 7920 twips
    connect(showAtStartupBox, &QCheckBox::clicked, this, &HelpWindow::storeShowAtStartup);

    // The window's load.
    skinWindow(*this);
    for (const QString& path : helpFiles) {
        std::optional<std::string> bytes = readHelpFile(path);
        if (!bytes) continue;
        renderRtf(readRtf(*bytes), *helpView->document());
        helpView->document()->setDocumentMargin(10);
        helpView->moveCursor(
            QTextCursor::Start);  // the reader starts at the top, not where filling ended
        helpFile_ = path;
        loaded_ = true;
        break;
    }
    if (!loaded_) return;
    setTopmost(*this, true);
    if (std::optional<bool> checked = checkStateOf(readSetting(settings_, keys::showHelp))) {
        showAtStartupBox->setChecked(*checked);
    }
}

void HelpWindow::storeShowAtStartup(bool checked) {
    if (Status s = writeSetting(settings_, keys::showHelp, checked ? "1" : "0"); !s) {
        MessageBox::show(
            this, toQString(productIdentity().productName),
            QStringLiteral("\"Show at Startup\" could not be stored: ") + toQString(s.error().text),
            MessageBox::Icon::Warning);
    }
}

}  // namespace boardcast
