#pragma once

#include "controls/ColourModule.h"

#include <QDialog>
#include <QString>

class QKBtn;
class QLabel;
class ProgBar;

// The colours the message dialog takes from the brand.
struct MessageColours {
    ColourValue Back = 0;     // window background, progress bar background
    ColourValue Title = 0;    // title background (when not an error), progress bar colour
    ColourValue HelpFore = 0; // title text
    ColourValue Text = 0;     // message text
    ColourValue HelpBack = 0; // outline
};

// The one branded dialog for every message, question and please-wait notice.
class MessageFrm : public QDialog {
    Q_OBJECT

public:
    enum Mode : qint16 { ModeOK = 0, ModeNotice = 1, ModeProgress = 2, ModeYesNo = 3 };

    static constexpr double WidthTwips = 6300.0;
    static constexpr double GapTwips = 180.0;
    static constexpr double MarginTwips = 240.0;
    static constexpr double TitleHeightTwips = 480.0;
    static constexpr double ButtonWidthTwips = 1200.0;
    static constexpr double ButtonHeightTwips = 450.0;
    static constexpr double ProgressHeightTwips = 300.0;
    // A dark red title marks an error whatever the brand.
    static constexpr ColourValue ErrorTitle = ColourModule::Rgb(128, 0, 0);

    explicit MessageFrm(QWidget* owner = nullptr);

    // Styles the dialog with the colours and lays it out for the mode (an unknown mode lays out
    // as Notice). Does not show it.
    void Prepare(const QString& message, const QString& title, bool isError, qint16 mode,
                 const MessageColours& colours);

    qint16 mode() const { return m_mode; }
    QString messageText() const { return m_messageText; }

    QLabel* Title;
    QLabel* Message;
    ::ProgBar* ProgBar;
    QKBtn* btnOK;
    QKBtn* btnCancel;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void answer(bool cancelled);
    void roundCorners();
    int px(double twips) const;

    qint16 m_mode = ModeOK;
    QString m_messageText;
    MessageColours m_colours;
};

// The brand colours the dialog uses ("Back", "Title", "HelpFore", "Text", "HelpBack").
MessageColours CurrentMessageColours();

// Shows a message in a mode: OK and YesNo wait for the answer (modal, unloaded when closed);
// Notice and Progress return at once and stay up until UnloadMessageFrm or the next message.
// Only one dialog exists at a time. The answer of YesNo is MessageCancelled() afterwards.
void ShowMessage(const QString& message, const QString& title, bool isError, qint16 mode);

// The answer of the last question: false after OK/Yes, true after No or Esc. Enter answers
// with the focused button, or Yes when no button has the focus.
// Reset to false whenever a dialog opens.
bool& MessageCancelled();

// The dialog on screen, or nullptr.
MessageFrm* LoadedMessageFrm();
void UnloadMessageFrm();
// Sets the progress of a Progress dialog; does nothing when none is up.
void SetMessageProgress(float value);
// The window that owns the dialogs (the main window); without one, the active window.
void SetMessageOwner(QWidget* owner);
