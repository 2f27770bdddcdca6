#include "shell/MessageFrm.h"

#include "controls/ProgBar.h"
#include "controls/QKBtn.h"
#include "controls/TwipsModule.h"
#include "store/BrandValues.h"

#include <QApplication>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QThread>
#include <QWindow>

namespace {

constexpr int CornerSize = 7;
constexpr int OutlineCornerSize = 8;

struct MessageState {
    QPointer<MessageFrm> loaded;
    QPointer<QWidget> owner;
    bool cancelled = false;
};

MessageState& messageState() {
    static MessageState state;
    return state;
}

bool isEnterKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// How long a notice may take to appear; a window system that never maps it does not hang us.
constexpr int ExposeWaitMs = 2000;

// A notice or progress dialog is shown because the caller is about to keep the event loop
// waiting: it must be on the screen before ShowMessage returns. A window system maps a new
// window some time after show() (later still with a window manager), and nothing is painted
// before then, so window events (not input, timers or sockets) run until it is exposed.
void showPainted(MessageFrm& frm) {
    frm.show();
    const QPointer<MessageFrm> guard(&frm);
    QDeadlineTimer deadline(ExposeWaitMs);
    const auto exposed = [&guard] {
        return guard && guard->windowHandle() && guard->windowHandle()->isExposed();
    };
    while (guard && !exposed() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                            QEventLoop::ExcludeSocketNotifiers |
                                            QEventLoop::X11ExcludeTimers,
                                        10);
        if (!exposed()) {
            QThread::msleep(5);
        }
    }
    if (guard) {
        guard->repaint();
    }
}

} // namespace

MessageColours CurrentMessageColours() {
    const BrandValues& brand = Brand();
    MessageColours colours;
    colours.Back = brand.Back;
    colours.Title = brand.Title;
    colours.HelpFore = brand.HelpFore;
    colours.Text = brand.Text;
    colours.HelpBack = brand.HelpBack;
    return colours;
}

MessageFrm::MessageFrm(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint)
    , Title(new QLabel(this))
    , Message(new QLabel(this))
    , ProgBar(new ::ProgBar(this))
    , btnOK(new QKBtn(this))
    , btnCancel(new QKBtn(this)) {
    setObjectName(QStringLiteral("MessageFrm"));
    Title->setObjectName(QStringLiteral("Title"));
    Message->setObjectName(QStringLiteral("Message"));
    ProgBar->setObjectName(QStringLiteral("ProgBar"));
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    QFont titleFont(QStringLiteral("Trebuchet MS"));
    titleFont.setPointSizeF(12);
    titleFont.setBold(true);
    Title->setFont(titleFont);
    Title->setIndent(px(MarginTwips));
    Title->setTextFormat(Qt::PlainText);

    QFont messageFont(QStringLiteral("Trebuchet MS"));
    messageFont.setPointSizeF(10);
    Message->setFont(messageFont);
    Message->setWordWrap(true);
    Message->setTextFormat(Qt::PlainText);
    Message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Message->installEventFilter(this);

    for (QKBtn* button : {btnOK, btnCancel}) {
        QFont buttonFont(QStringLiteral("Trebuchet MS"));
        buttonFont.setPointSizeF(12);
        button->Font(buttonFont);
        button->Style(QStringLiteral("Button"));
        button->installEventFilter(this);
    }
    btnOK->Caption(QStringLiteral("OK"));
    btnCancel->Caption(QStringLiteral("No"));
    connect(btnOK, &QKBtn::Click, this, [this] { answer(false); });
    connect(btnCancel, &QKBtn::Click, this, [this] { answer(true); });
}

int MessageFrm::px(double twips) const {
    return TwipsModule::ToPixels(twips, this);
}

void MessageFrm::Prepare(const QString& message, const QString& title, bool isError, qint16 mode,
                         const MessageColours& colours) {
    m_mode = mode;
    m_messageText = message;
    m_colours = colours;

    ColourModule::FillBackground(this, colours.Back);
    const ColourValue titleBack = isError ? ErrorTitle : colours.Title;
    ColourModule::FillBackground(Title, titleBack);
    // A brand whose title and help-text colours are both light must not hide the title.
    QPalette titlePalette = Title->palette();
    titlePalette.setColor(QPalette::WindowText, ColourModule::ReadableTextColour(
                                                    ColourModule::ToQColor(titleBack),
                                                    ColourModule::ToQColor(colours.HelpFore)));
    Title->setPalette(titlePalette);
    // Nor may the message vanish (the built-in look of a failed brand has dark text on black).
    ColourModule::SetTextColour(
        Message, ColourModule::FromQColor(ColourModule::ReadableTextColour(
                     ColourModule::ToQColor(colours.Back), ColourModule::ToQColor(colours.Text))));
    ProgBar->ForeColor(colours.Title);
    ProgBar->BackColor(colours.Back);

    Title->setText(title);
    Message->setText(message);

    const int width = px(WidthTwips);
    const int margin = px(MarginTwips);
    const int gap = px(GapTwips);
    const int buttonWidth = px(ButtonWidthTwips);
    const int buttonHeight = px(ButtonHeightTwips);
    Title->setGeometry(0, 0, width, px(TitleHeightTwips));
    const int messageWidth = width - 2 * margin;
    Message->setGeometry(margin, Title->geometry().bottom() + 1 + gap, messageWidth,
                         Message->heightForWidth(messageWidth));
    const int belowMessage = Message->geometry().bottom() + 1 + gap;

    int height = belowMessage;
    switch (mode) {
    case ModeOK:
        btnOK->Caption(QStringLiteral("OK"));
        btnOK->setGeometry((width - buttonWidth) / 2, belowMessage, buttonWidth, buttonHeight);
        ProgBar->hide();
        btnCancel->hide();
        btnOK->show();
        height = btnOK->geometry().bottom() + 1 + gap;
        break;
    case ModeYesNo: {
        btnOK->Caption(QStringLiteral("Yes"));
        btnCancel->Caption(QStringLiteral("No"));
        const int left = (width - 2 * buttonWidth - margin) / 2;
        btnOK->setGeometry(left, belowMessage, buttonWidth, buttonHeight);
        btnCancel->setGeometry(left + buttonWidth + margin, belowMessage, buttonWidth,
                               buttonHeight);
        ProgBar->hide();
        btnOK->show();
        btnCancel->show();
        height = btnOK->geometry().bottom() + 1 + gap;
        break;
    }
    case ModeProgress:
        ProgBar->setGeometry(margin, belowMessage, messageWidth, px(ProgressHeightTwips));
        ProgBar->show();
        // The button sits under the bar, inside the window.
        btnOK->Caption(QStringLiteral("OK"));
        btnOK->setGeometry((width - buttonWidth) / 2, ProgBar->geometry().bottom() + 1 + gap,
                           buttonWidth, buttonHeight);
        btnOK->show();
        btnCancel->hide();
        height = btnOK->geometry().bottom() + 1 + gap;
        break;
    default:
        ProgBar->hide();
        btnOK->hide();
        btnCancel->hide();
        break;
    }
    setFixedSize(width, height);
    roundCorners();
    if (btnOK->isVisibleTo(this)) {
        btnOK->setFocus(Qt::OtherFocusReason);
    }
}

void MessageFrm::roundCorners() {
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, width(), height()), CornerSize / 2.0, CornerSize / 2.0);
    setMask(QRegion(path.toFillPolygon().toPolygon()));
}

void MessageFrm::answer(bool cancelled) {
    MessageCancelled() = cancelled;
    if (cancelled) {
        reject();
    } else {
        accept();
    }
}

void MessageFrm::keyPressEvent(QKeyEvent* event) {
    if ((isEnterKey(event->key()) || event->key() == Qt::Key_Escape) && event->isAutoRepeat()) {
        // A key still held from before the dialog opened (Enter that committed a field) is no
        // answer to a question the user has not read yet.
        event->accept();
        return;
    }
    if (isEnterKey(event->key())) {
        event->accept();
        answer(false);
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        // Esc says No to a question; elsewhere it only closes.
        answer(m_mode == ModeYesNo);
        return;
    }
    QDialog::keyPressEvent(event);
}

bool MessageFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Message && event->type() == QEvent::MouseButtonDblClick) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        clipboard->setText(m_messageText);
        return true;
    }
    if ((watched == btnOK || watched == btnCancel) && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Enter answers with the button that has the focus (the user tabbed to "No" to say no);
        // Esc says No whichever has it.
        if (isEnterKey(key->key()) && !key->isAutoRepeat()) {
            key->accept();
            answer(watched == btnCancel);
            return true;
        }
        if (isEnterKey(key->key()) || key->key() == Qt::Key_Escape) {
            keyPressEvent(key);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void MessageFrm::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(ColourModule::ToQColor(m_colours.HelpBack), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(0.5, 0.5, width() - 1.0, height() - 1.0),
                            OutlineCornerSize / 2.0, OutlineCornerSize / 2.0);
}

bool& MessageCancelled() {
    return messageState().cancelled;
}

MessageFrm* LoadedMessageFrm() {
    return messageState().loaded;
}

void UnloadMessageFrm() {
    MessageState& state = messageState();
    if (MessageFrm* frm = state.loaded) {
        state.loaded = nullptr;
        frm->hide();
        frm->deleteLater();
    }
}

void SetMessageProgress(float value) {
    if (MessageFrm* frm = LoadedMessageFrm()) {
        frm->ProgBar->VALUE(value);
    }
}

void SetMessageOwner(QWidget* owner) {
    messageState().owner = owner;
}

void ShowMessage(const QString& message, const QString& title, bool isError, qint16 mode) {
    UnloadMessageFrm();
    MessageState& state = messageState();
    const bool cursorOverridden = QGuiApplication::overrideCursor() != nullptr;
    if (cursorOverridden) {
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    // A question's answer never carries over from an earlier dialog.
    MessageCancelled() = false;

    QWidget* owner = state.owner ? state.owner.data() : QApplication::activeWindow();
    auto* frm = new MessageFrm(owner);
    state.loaded = frm;
    frm->Prepare(message, title, isError, mode, CurrentMessageColours());

    const bool modal = mode == MessageFrm::ModeOK || mode == MessageFrm::ModeYesNo;
    if (modal) {
        const QPointer<MessageFrm> guard(frm);
        frm->exec();
        if (guard && state.loaded == guard) {
            state.loaded = nullptr;
            delete guard.data();
        }
    } else {
        showPainted(*frm);
    }
    if (cursorOverridden) {
        QGuiApplication::restoreOverrideCursor();
    }
}
