#include "ui/windows/saved_messages_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>

#include "core/library/message_library.h"
#include "core/shell/main_window_layout.h"
#include "core/shell/product_identity.h"
#include "core/text/code_pages.h"
#include "platform/qt_strings.h"
#include "ui/main/main_window.h"
#include "ui/widgets/appearance.h"
#include "ui/widgets/message_box.h"
#include "ui/widgets/twips.h"

namespace boardcast {

namespace {

// The window's design size in twips; controls are placed at their twip positions / 15.
constexpr int kWidth = 7410;
constexpr int kHeight = 5190;

QString productTitle() {
    return toQString(productIdentity().productName);
}

QString forDisplay(const std::string& text) {
    return toQString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

SavedMessagesWindow::SavedMessagesWindow(MainWindow& main, QWidget* parent)
    : QWidget(parent, Qt::Window), main_(main) {
    setObjectName(QStringLiteral("Form3"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("load a saved message"));
    QFont verdana(QStringLiteral("Verdana"));
    verdana.setPointSize(8);
    setFont(verdana);

    titleLabel =
        place(new QLabel(QStringLiteral("Saved Messages"), this), "Label2", tw(60, 0, 5415, 255));
    QFont heading = verdana;
    heading.setBold(true);
    titleLabel->setFont(heading);
    loadHintLabel =
        place(new QLabel(QStringLiteral("double-click the message you wish to load:"), this),
              "Label1_0", tw(60, 420, 6795, 255));
    viewHintLabel = place(new QLabel(QStringLiteral("click once to view the entire message"), this),
                          "Label1_1", tw(60, 600, 6795, 255));
    messagesList = place(new QListWidget(this), "List1", tw(0, 960, 7395, 1620));
    subjectLabel =
        place(new QLabel(QStringLiteral("Subject:"), this), "Label3", tw(60, 2640, 795, 255));
    subjectEdit = place(new QLineEdit(this), "txtSubject", tw(900, 2640, 6495, 285));
    messageView = place(new QPlainTextEdit(this), "Text1", tw(0, 2940, 7395, 1635));
    messageView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    deleteButton = place(new QPushButton(QStringLiteral("delete message"), this), "Command1",
                         tw(60, 4680, 1395, 435));

    // The design size is the smallest; a larger window gives the list and preview the room.
    setMinimumSize(px(kWidth), px(kHeight));
    resize(px(kWidth), px(kHeight));

    // A click and a keyboard move both show the entry, as the list's click does. The list's
    // current row alone is not enough: focusing the list makes row 0 current without
    // selecting it, and a double click would then call that entry blank.
    connect(messagesList, &QListWidget::itemSelectionChanged, this, [this] {
        if (selectedRow() >= 0) previewEntry(selectedRow());
    });
    connect(messagesList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { previewEntry(messagesList->row(item)); });
    // A double click anywhere in the list loads the selected entry, if any.
    messagesList->viewport()->installEventFilter(this);
    connect(deleteButton, &QPushButton::clicked, this, &SavedMessagesWindow::deleteSelectedMessage);
    // A message saved in the main window shows here at once.
    connect(&main_, &MainWindow::messagesChanged, this, &SavedMessagesWindow::refillList);

    auto lines = loadMessageList(main_.appFolder());
    if (lines) {
        fillList(lines.value());
    } else if (lines.error().code == ErrorCode::NotFound) {
        MessageBox::show(this, productTitle(),
                         QStringLiteral("you must first save a message before you can load one"));
        hide();
    } else {
        showError(QStringLiteral("The saved messages could not be read. ") +
                  toQString(lines.error().text));
    }
    skinWindow(*this);
}

bool SavedMessagesWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == messagesList->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) return false;
        // The entry under the pointer; off the entries, whatever is selected (maybe nothing).
        const QModelIndex hit = messagesList->indexAt(mouse->position().toPoint());
        insertEntry(hit.isValid() ? hit.row() : selectedRow());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

int SavedMessagesWindow::selectedRow() const {
    const QList<QListWidgetItem*> selected = messagesList->selectedItems();
    return selected.isEmpty() ? -1 : messagesList->row(selected[0]);
}

void SavedMessagesWindow::previewEntry(int row) {
    if (row < 0 || row >= messagesList->count()) return;
    const std::string& line = rows_.at(static_cast<size_t>(row));
    if (line.empty()) return;
    const DecodedRecord record = decodeRecord(line);
    messageView->setPlainText(forDisplay(textFromBytes(record.message)));
    if (record.subject) subjectEdit->setText(toQString(textFromBytes(*record.subject)));
}

void SavedMessagesWindow::insertEntry(int row) {
    DecodedRecord record;  // blank unless a row is given
    if (row >= 0 && row < messagesList->count())
        record = decodeRecord(rows_.at(static_cast<size_t>(row)));
    if (record.blank) {
        MessageBox::show(this, productTitle(), QStringLiteral("cannot insert a blank message"));
        return;
    }
    main_.setMessageText(textFromBytes(record.message));
    if (record.subject) main_.setSubjectText(textFromBytes(*record.subject));
}

void SavedMessagesWindow::deleteSelectedMessage() {
    const int row = selectedRow();
    // The row's bytes, so that a line the display had to decode is still matched exactly.
    const std::string entry = row < 0 ? std::string() : rows_.at(static_cast<size_t>(row));
    if (Status s = deleteMessage(main_.appFolder(), entry); !s) {
        showError(QStringLiteral("The message was not deleted. ") + toQString(s.error().text));
        return;
    }
    refillList();
}

void SavedMessagesWindow::refillList() {
    auto lines = loadMessageList(main_.appFolder());
    if (!lines) {
        showError(QStringLiteral("The saved messages could not be read. ") +
                  toQString(lines.error().text));
        return;
    }
    fillList(lines.value());
}

void SavedMessagesWindow::fillList(const std::vector<std::string>& lines) {
    // The preview and subject boxes keep what they show; refilling selects nothing.
    QSignalBlocker block(messagesList);
    messagesList->clear();
    rows_ = lines;
    for (const std::string& line : lines) messagesList->addItem(toQString(textFromBytes(line)));
}

void SavedMessagesWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int grow = height() - px(kHeight);
    const int wide = width() - px(kWidth);
    messagesList->resize(px(7395) + wide, messagesList->height());
    subjectEdit->resize(px(6495) + wide, subjectEdit->height());
    messageView->resize(px(7395) + wide, px(1635) + grow);
    deleteButton->move(deleteButton->x(), px(4680) + grow);
}

void SavedMessagesWindow::showError(const QString& text) {
    MessageBox::show(this, productTitle(), text, MessageBox::Icon::Warning);
}

}  // namespace boardcast
