#include "pages/PageBase.h"

#include "controls/QKBtn.h"
#include "controls/QKBtnModule.h"
#include "controls/QKBtnUpdateModule.h"
#include "controls/TipModule.h"
#include "controls/TwipsModule.h"
#include "device/CurrentDevice.h"
#include "device/DeviceThread.h"
#include "device/ZEX.h"
#include "shell/MainFrm.h"
#include "util/ApplicationState.h"

#include <QEvent>
#include <QStringList>

namespace {

// Where a page's title sits; every page has one in the same place.
constexpr double TitleLeft = 240;
constexpr double TitleTop = 120;
constexpr double TitleWidth = 7000;
constexpr double TitleHeight = 540;

} // namespace

PageBase::PageBase(MainFrm& window, const QString& title)
    : QWidget(nullptr)
    , m_window(window) {
    m_title = control(QStringLiteral("Title"), title, TitleLeft, TitleTop, TitleWidth, TitleHeight,
                      QStringLiteral("lbTitle"));
}

void PageBase::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_tipsWired) {
        m_tipsWired = true;
        wireHoverTips();
    }
}

void PageBase::wireHoverTips() {
    for (QKBtn* field : findChildren<QKBtn*>()) {
        // The tip is read when the pointer arrives: pages change some tips as they go.
        connect(field, &QKBtn::MouseIn, this, [field] {
            const QString tip = field->ToolTipText();
            if (tip.isEmpty()) {
                return;
            }
            // A field's tip is a plain sentence; the panel keeps its own heading for it.
            TipModule::TipOn(tip.contains(QLatin1Char('*')) ? tip : QStringLiteral("Help*") + tip);
        });
        connect(field, &QKBtn::MouseOut, this, [] { TipModule::TipOff(); });
        field->installEventFilter(this);
    }
}

bool PageBase::eventFilter(QObject* watched, QEvent* event) {
    // The help panel shows the tip; a tool tip popping up over the field would repeat it.
    if (event->type() == QEvent::ToolTip && TipModule::CurrentTipSink()) {
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

int PageBase::px(double twips) const {
    return TwipsModule::ToPixels(twips, &m_window);
}

QRect PageBase::twipsRect(double left, double top, double width, double height) const {
    return QRect(px(left), px(top), px(width), px(height));
}

QKBtn* PageBase::control(const QString& style, const QString& caption, double left, double top,
                         double width, double height, const QString& objectName) {
    auto* result = new QKBtn(this);
    if (!objectName.isEmpty()) {
        result->setObjectName(objectName);
    }
    result->Style(style);
    if (const QKBtn* sample = QKBtnModule::MasterOf(style)) {
        QFont font = result->Font();
        font.setPointSizeF(sample->Font().pointSizeF());
        font.setBold(sample->Font().bold());
        result->Font(font);
        result->Inactive(sample->Inactive());
        result->Alignment(sample->Alignment());
        result->Format(sample->Format());
        result->Editable(sample->Editable() == QKBtn::EditList ? QKBtn::EditNone
                                                               : sample->Editable());
    }
    result->Caption(caption);
    result->setGeometry(twipsRect(left, top, width, height));
    return result;
}

QKBtn* PageBase::bodyLabel(const QString& caption, double left, double top, double width,
                           double height) {
    return control(QStringLiteral("Body"), caption, left, top, width, height);
}

QKBtn* PageBase::header(const QString& caption, double left, double top, double width) {
    return control(QStringLiteral("Header1"), caption, left, top, width, 420);
}

QKBtn* PageBase::button(const QString& caption, double left, double top, double width,
                        const QString& objectName) {
    return control(QStringLiteral("Button"), caption, left, top, width, 450, objectName);
}

bool PageBase::UpdateDeviceFromField(QKBtn* field) {
    if (!field || AppState().Closing || CurrentDevice::ErrorPending()) {
        return false;
    }
    const std::optional<DeviceValue> value = QKBtnUpdateModule::FieldDeviceValue(*field);
    if (!value) {
        return false;
    }
    const QString source = field->Source();
    m_window.Device().post([source, value = *value] {
        if (ZEX* device = CurrentDevice::Get()) {
            QKBtnUpdateModule::WriteFieldValue(*device, source, value);
        }
    });
    return true;
}

QString PageBase::NumberList(int first, int last) {
    QStringList numbers;
    for (int n = first; n <= last; ++n) {
        numbers.append(QString::number(n));
    }
    return numbers.join(QLatin1Char('|'));
}
