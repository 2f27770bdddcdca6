#include "manual/ManualDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImageReader>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>

namespace {

constexpr double MarginMm = 20.0;
constexpr double FooterMm = 8.0;
constexpr int BodyPointSize = 10;

// A humanist sans where one is installed, as the program's own texts use.
QFont bodyFont() {
    const QStringList families = QFontDatabase::families();
    for (const char* name : {"PT Sans", "Open Sans", "DejaVu Sans"}) {
        if (families.contains(QLatin1String(name))) {
            return QFont(QLatin1String(name), BodyPointSize);
        }
    }
    QFont font;
    font.setPointSize(BodyPointSize);
    return font;
}

} // namespace

bool ManualDocument::load(const QString& markdownPath) {
    QFile file(markdownPath);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("cannot read %1: %2").arg(markdownPath, file.errorString());
        return false;
    }
    const QString markdown = QString::fromUtf8(file.readAll());
    static const QRegularExpression heading(QStringLiteral("^# +(.+)$"),
                                            QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = heading.match(markdown);
    m_title = match.hasMatch() ? match.captured(1).trimmed() : QFileInfo(markdownPath).baseName();

    m_document.setDefaultFont(bodyFont());
    m_document.setBaseUrl(QUrl::fromLocalFile(QFileInfo(markdownPath).absolutePath() + u'/'));
    m_document.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    m_document.setMetaInformation(QTextDocument::DocumentTitle, m_title);

    // Pictures are read now, so a missing one is an error of the build, not a blank in the PDF.
    for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat()) {
                continue;
            }
            const QString name = format.toImageFormat().name();
            const QString path = QFileInfo(m_document.baseUrl().resolved(QUrl(name)).toLocalFile())
                                     .absoluteFilePath();
            QImageReader reader(path);
            const QImage image = reader.read();
            if (image.isNull()) {
                m_error = QStringLiteral("cannot read the picture %1: %2")
                              .arg(path, reader.errorString());
                return false;
            }
            m_document.addResource(QTextDocument::ImageResource, QUrl(name), image);
        }
    }
    return true;
}

void ManualDocument::fitPictures(double textWidthPixels) {
    // Layout sizes of pictures are in 1/96 inch whatever the device; a screenshot is wider than
    // the text, so every picture gets an explicit width that fits.
    QTextCursor cursor(&m_document);
    for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) {
                continue;
            }
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QImage image =
                m_document.resource(QTextDocument::ImageResource, QUrl(format.name()))
                    .value<QImage>();
            if (image.isNull()) {
                continue;
            }
            const double width = std::min<double>(image.width(), textWidthPixels);
            format.setWidth(width);
            format.setHeight(width * image.height() / image.width());
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
}

int ManualDocument::paginate(QPagedPaintDevice& device) {
    device.setPageSize(QPageSize(QPageSize::A4));
    device.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    const double dotsPerMm = device.logicalDpiX() / 25.4;
    const QRectF page(0, 0, device.width(), device.height());
    const double margin = MarginMm * dotsPerMm;
    m_body = page.adjusted(margin, margin, -margin, -margin - FooterMm * dotsPerMm);
    m_footer = QRectF(m_body.left(), m_body.bottom() + FooterMm * dotsPerMm / 2, m_body.width(),
                      FooterMm * dotsPerMm / 2);
    fitPictures((m_body.width() / dotsPerMm) / 25.4 * 96.0);
    m_document.documentLayout()->setPaintDevice(&device);
    m_document.setPageSize(m_body.size());
    keepHeadingsWithText();
    return m_document.pageCount();
}

void ManualDocument::keepHeadingsWithText() {
    // A heading at the foot of a page, its text on the next, starts the next page instead. Each
    // move can only push later blocks down, so one pass in document order settles them all.
    const double pageHeight = m_document.pageSize().height();
    QAbstractTextDocumentLayout* layout = m_document.documentLayout();
    for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next()) {
        const QTextBlock next = block.next();
        if (block.blockFormat().headingLevel() == 0 || !next.isValid()) {
            continue;
        }
        const int headingPage = int(layout->blockBoundingRect(block).top() / pageHeight);
        const int textPage = int(layout->blockBoundingRect(next).bottom() / pageHeight);
        if (textPage > headingPage) {
            QTextCursor cursor(block);
            QTextBlockFormat format = block.blockFormat();
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            cursor.setBlockFormat(format);
        }
    }
}

void ManualDocument::paintPage(QPainter& painter, int pageIndex, int pageCount) {
    painter.save();
    painter.translate(m_body.topLeft());
    const QRectF view(0, pageIndex * m_body.height(), m_body.width(), m_body.height());
    painter.translate(0, -view.top());
    painter.setClipRect(view);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = view;
    context.palette.setColor(QPalette::Text, Qt::black);
    m_document.documentLayout()->draw(&painter, context);
    painter.restore();

    // In pixels of the layout's device, so the footer keeps its size when a page is drawn scaled.
    QFont footer = m_document.defaultFont();
    const double dotsPerInch = m_document.documentLayout()->paintDevice()->logicalDpiY();
    footer.setPixelSize(qRound(footer.pointSizeF() * 0.8 * dotsPerInch / 72.0));
    painter.setFont(footer);
    painter.setPen(QColor(0x60, 0x60, 0x60));
    painter.drawLine(m_footer.topLeft(), m_footer.topRight());
    painter.drawText(m_footer, Qt::AlignLeft | Qt::AlignBottom, m_title);
    painter.drawText(m_footer, Qt::AlignRight | Qt::AlignBottom,
                     QStringLiteral("%1 / %2").arg(pageIndex + 1).arg(pageCount));
}

bool ManualDocument::writePdf(const QString& pdfPath) {
    QPdfWriter writer(pdfPath);
    writer.setTitle(m_title);
    writer.setCreator(QStringLiteral("ZEX Toolkit"));
    writer.setResolution(600);
    const int pages = paginate(writer);
    QPainter painter;
    if (!painter.begin(&writer)) {
        m_error = QStringLiteral("cannot write %1").arg(pdfPath);
        return false;
    }
    for (int index = 0; index < pages; ++index) {
        if (index > 0) {
            writer.newPage();
        }
        paintPage(painter, index, pages);
    }
    if (!painter.end()) {
        m_error = QStringLiteral("cannot finish %1").arg(pdfPath);
        return false;
    }
    return true;
}

QList<QImage> ManualDocument::pagePictures(int dotsPerInch) {
    // The layout is made for the PDF's device, then drawn scaled, so the pages break as in the
    // PDF.
    QPdfWriter layoutDevice(QDir::temp().filePath(QStringLiteral("zex-manual-layout.pdf")));
    layoutDevice.setResolution(600);
    const int pages = paginate(layoutDevice);
    const double scale = double(dotsPerInch) / layoutDevice.resolution();
    QList<QImage> pictures;
    for (int index = 0; index < pages; ++index) {
        QImage picture(QSize(int(layoutDevice.width() * scale), int(layoutDevice.height() * scale)),
                       QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        paintPage(painter, index, pages);
        pictures.append(picture);
    }
    QFile::remove(QDir::temp().filePath(QStringLiteral("zex-manual-layout.pdf")));
    return pictures;
}
