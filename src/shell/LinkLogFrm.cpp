#include "shell/LinkLogFrm.h"

#include "linklog/LinkLogBuffer.h"
#include "linklog/LinkLogFormat.h"
#include "linklog/LinkLogTap.h"
#include "store/SafeFileModule.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QVBoxLayout>

LinkLogFrm::LinkLogFrm(LinkLogTap& tap, QWidget* owner)
    : QWidget(owner, Qt::Window)
    , m_tap(tap)
    , m_buffer(std::make_shared<LinkLogBuffer>(MaxLines)) {
    setObjectName(QStringLiteral("LinkLogFrm"));
    setWindowTitle(QStringLiteral("Link log"));
    resize(980, 420);

    Lines = new QPlainTextEdit(this);
    Lines->setObjectName(QStringLiteral("Lines"));
    Lines->setReadOnly(true);
    Lines->setLineWrapMode(QPlainTextEdit::NoWrap);
    Lines->setMaximumBlockCount(MaxLines);
    Lines->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    btnPause = new QPushButton(QStringLiteral("Pause"), this);
    btnClear = new QPushButton(QStringLiteral("Clear"), this);
    btnCopy = new QPushButton(QStringLiteral("Copy"), this);
    btnSave = new QPushButton(QStringLiteral("Save..."), this);
    chkBytes = new QCheckBox(QStringLiteral("Raw bytes"), this);

    auto* buttons = new QHBoxLayout;
    for (QWidget* widget : {static_cast<QWidget*>(btnPause), static_cast<QWidget*>(btnClear),
                            static_cast<QWidget*>(btnCopy), static_cast<QWidget*>(btnSave),
                            static_cast<QWidget*>(chkBytes)}) {
        buttons->addWidget(widget);
    }
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Lines);
    layout->addLayout(buttons);

    connect(btnPause, &QPushButton::clicked, this, &LinkLogFrm::togglePause);
    connect(btnClear, &QPushButton::clicked, this, [this] {
        m_buffer->clear();
        Lines->clear();
    });
    connect(btnCopy, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(Lines->toPlainText()); });
    connect(btnSave, &QPushButton::clicked, this, [this] {
        const QString path = m_saveChooser ? m_saveChooser() : QString();
        QString error;
        if (!path.isEmpty() && !SaveTo(path, &error)) {
            Lines->appendPlainText(error);
        }
    });
    m_saveChooser = [this] {
        return QFileDialog::getSaveFileName(
            this, QStringLiteral("Save Link Log"),
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
                QStringLiteral("/link-log.txt"),
            QStringLiteral("Text Files (*.txt);;All Files (*)"));
    };

    // The view follows the newest line until the user scrolls up to read, and again once they
    // are back at the bottom.
    connect(Lines->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        m_following = value >= Lines->verticalScrollBar()->maximum() - 1;
    });

    // The buffer tells this window, from the device thread, that there is something to fetch.
    QPointer<LinkLogFrm> self(this);
    m_buffer->setListener([self] {
        QMetaObject::invokeMethod(
            qApp,
            [self] {
                if (self) {
                    self->ShowNewLines();
                }
            },
            Qt::QueuedConnection);
    });
}

LinkLogFrm::~LinkLogFrm() {
    m_subscription.reset();
    m_buffer->setListener(nullptr);
}

void LinkLogFrm::setSaveFileChooser(std::function<QString()> chooser) {
    m_saveChooser = std::move(chooser);
}

void LinkLogFrm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_subscription) {
        m_subscription.emplace(&m_tap, m_buffer);
    }
    m_following = true;
    ShowNewLines();
}

void LinkLogFrm::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_subscription.reset();
}

void LinkLogFrm::togglePause() {
    const bool pause = !m_buffer->paused();
    m_buffer->setPaused(pause);
    btnPause->setText(pause ? QStringLiteral("Resume") : QStringLiteral("Pause"));
    ShowNewLines();
}

void LinkLogFrm::ShowNewLines() {
    const QList<LinkLogBuffer::Entry> entries = m_buffer->fetch(m_cursor);
    if (entries.isEmpty()) {
        return;
    }
    QScrollBar* scroll = Lines->verticalScrollBar();
    const bool following = m_following;
    const bool withBytes = chkBytes->isChecked();
    QStringList lines;
    lines.reserve(entries.size());
    for (const LinkLogBuffer::Entry& entry : entries) {
        lines.append(LinkLogFormat::Line(entry.record, withBytes));
    }
    Lines->appendPlainText(lines.join(QLatin1Char('\n')));
    if (following) {
        scroll->setValue(scroll->maximum());
    }
}

bool LinkLogFrm::SaveTo(const QString& path, QString* error) const {
    return SafeFileModule::WriteWholeFile(path, Lines->toPlainText().toUtf8() + '\n', error);
}
