#include "ui/form8.h"

#include <QCheckBox>
#include <QFile>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <charconv>
#include <optional>
#include <string_view>

#include "core/shell/product_identity.h"
#include "core/help/rtf_reader.h"
#include "core/storage/settings_keys.h"
#include "platform/qt_strings.h"
#include "ui/appearance.h"
#include "ui/message_box.h"
#include "ui/rtf_render.h"

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

Form8::Form8(SettingsStore& settings, const QStringList& helpFiles, QWidget* parent)
    : QWidget(parent, Qt::Window), settings_(settings) {
    setObjectName(QStringLiteral("Form8"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Readme/Help"));

    rtf1 = new QTextBrowser(this);
    rtf1->setObjectName(QStringLiteral("rtf1"));
    rtf1->setReadOnly(true);
    rtf1->setOpenLinks(false);
    Check1 = new QCheckBox(QStringLiteral("Show at Startup"), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->setSpacing(4);
    layout->addWidget(rtf1, 1);
    layout->addWidget(Check1);
    layout->itemAt(1)->setAlignment(Qt::AlignLeft);
    Check1->setContentsMargins(4, 0, 0, 0);
    resize(686, 528);  // 10290 by 7920 twips
    connect(Check1, &QCheckBox::clicked, this, &Form8::storeShowAtStartup);

    // The window's load.
    skinWindow(*this);
    for (const QString& path : helpFiles) {
        std::optional<std::string> bytes = readHelpFile(path);
        if (!bytes) continue;
        renderRtf(readRtf(*bytes), *rtf1->document());
        rtf1->document()->setDocumentMargin(10);
        rtf1->moveCursor(QTextCursor::Start);  // the reader starts at the top, not where filling ended
        helpFile_ = path;
        loaded_ = true;
        break;
    }
    if (!loaded_) return;
    setTopmost(*this, true);
    if (std::optional<bool> checked = checkStateOf(readSetting(settings_, keys::showHelp))) {
        Check1->setChecked(*checked);
    }
}

void Form8::storeShowAtStartup(bool checked) {
    if (Status s = writeSetting(settings_, keys::showHelp, checked ? "1" : "0"); !s) {
        MessageBox::show(this, toQString(productIdentity().productName),
                         QStringLiteral("\"Show at Startup\" could not be stored: ") +
                             toQString(s.error().text),
                         MessageBox::Icon::Warning);
    }
}

}  // namespace boardcast
