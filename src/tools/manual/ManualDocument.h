#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QTextDocument>

class QPagedPaintDevice;

// A user guide written in Markdown, laid out on A4 pages with a running footer (the guide's
// title and the page number). Pictures are looked for beside the Markdown file and shrunk to
// the text width.
class ManualDocument {
public:
    // False with error() when the file cannot be read.
    bool load(const QString& markdownPath);
    QString error() const { return m_error; }
    // The first level-one heading.
    QString title() const { return m_title; }

    // Writes the PDF; false with error() when it cannot be written.
    bool writePdf(const QString& pdfPath);
    // The pages as pictures at `dotsPerInch`, laid out exactly as in the PDF (for looking at).
    QList<QImage> pagePictures(int dotsPerInch);

private:
    int paginate(QPagedPaintDevice& device);
    void paintPage(class QPainter& painter, int pageIndex, int pageCount);
    void fitPictures(double textWidthPixels);
    void keepHeadingsWithText();

    QTextDocument m_document;
    QString m_title;
    QString m_error;
    QRectF m_body;   // the text area on the page, in the layout device's pixels
    QRectF m_footer; // the footer line below it
};
