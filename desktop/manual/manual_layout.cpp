#include "desktop/manual/manual_layout.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextLayout>
#include <QUrl>

#include <cmath>

namespace ZQ3::Manual {
namespace {

// Noto Sans CJK JP (Debian's fonts-noto-cjk) has the Japanese glyphs and Latin ones to match,
// and the writer embeds the glyphs it uses, so the manual reads the same on any machine.
constexpr const char* FontFamily = "Noto Sans CJK JP";
constexpr int FontPoints = 10;
constexpr int PageNumberPoints = 9;
constexpr double MarginMillimetres = 20.0;
// The foot of each page, below the text, that holds the page number.
constexpr double FootMillimetres = 8.0;

// A line break in the source between two East Asian wide characters is dropped, as CSS asks of
// a segment break there: Japanese puts no space between words, and Qt's HTML reader would turn
// the break into one.
QString WithoutBreaksBetweenWideCharacters(const QString& html) {
    static const QRegularExpression breakBetweenWide(
        QStringLiteral("([\\x{3000}-\\x{9FFF}\\x{FF00}-\\x{FFEF}])[ \\t]*\\r?\\n[ \\t]*"
                       "(?=[\\x{3000}-\\x{9FFF}\\x{FF00}-\\x{FFEF}])"));
    QString joined = html;
    joined.replace(breakBetweenWide, QStringLiteral("\\1"));
    return joined;
}

// The block shows one picture and nothing else.
bool HoldsPictureOnly(const QTextBlock& block) {
    if (block.text().trimmed() != QString(QChar::ObjectReplacementCharacter)) {
        return false;
    }
    for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
        if (fragment.fragment().charFormat().isImageFormat()) {
            return true;
        }
    }
    return false;
}

// A block the placement counts: one with a line that shows text or a picture.
bool IsPlaced(const QTextBlock& block) {
    const QTextLayout* layout = block.layout();
    return layout != nullptr && layout->lineCount() > 0 &&
           (HoldsPictureOnly(block) || !block.text().trimmed().isEmpty());
}

// Gives the document every picture it names, read from folder; returns the names of those that
// cannot be read.
QStringList LoadPictures(QTextDocument& document, const QString& folder) {
    QStringList missing;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            if (!format.isImageFormat()) {
                continue;
            }
            const QString name = format.toImageFormat().name();
            const QImage picture(QDir(folder).filePath(name));
            if (picture.isNull()) {
                missing << name;
            } else {
                document.addResource(QTextDocument::ImageResource, QUrl(name), picture);
            }
        }
    }
    return missing;
}

// A picture's line is exactly as high as the picture: the proportional line height of the text
// around it would leave a gap below it and let it reach above its line, onto the page before.
void FitLinesToPictures(QTextDocument& document) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (HoldsPictureOnly(block)) {
            QTextBlockFormat format = block.blockFormat();
            format.setLineHeight(0, QTextBlockFormat::SingleHeight);
            QTextCursor(block).setBlockFormat(format);
        }
    }
}

// The pages of a laid-out document of pages pageHeight high.
class CPagePlacement {
public:
    CPagePlacement(QTextDocument& document, qreal pageHeight)
        : document_(document), pageHeight_(pageHeight) {}

    std::vector<PlacedBlock> blocks() const {
        document_.pageCount(); // finishes the layout
        std::vector<PlacedBlock> placed;
        for (QTextBlock block = document_.begin(); block.isValid(); block = block.next()) {
            if (!IsPlaced(block)) {
                continue;
            }
            const QTextLayout* layout = block.layout();
            placed.push_back({block.text(), block.blockFormat().headingLevel(),
                              HoldsPictureOnly(block), pageOfLine(*layout, 0),
                              pageOfLine(*layout, layout->lineCount() - 1),
                              pageAt(layout->position().y())});
        }
        return placed;
    }

private:
    int pageAt(qreal y) const { return static_cast<int>(std::floor(y / pageHeight_)); }
    int pageOfLine(const QTextLayout& layout, int index) const {
        const QTextLine line = layout.lineAt(index);
        return pageAt(layout.position().y() + line.y() + line.height() / 2);
    }

    QTextDocument& document_;
    qreal pageHeight_;
};

bool KeepsWithNext(const PlacedBlock& block) {
    return block.headingLevel > 0 || block.picture;
}

void BreakBefore(const QTextBlock& block) {
    QTextBlockFormat format = block.blockFormat();
    format.setPageBreakPolicy(format.pageBreakPolicy() | QTextFormat::PageBreak_AlwaysBefore);
    QTextCursor(block).setBlockFormat(format);
}

// The first block that must move to the next page: a picture whose paragraph starts on the page
// before, or a heading or picture that would end a page. One that already starts its page
// stays: moving it would only leave an empty page. The first in reading order, since moving it
// moves everything after it. Invalid when none must move.
QTextBlock FirstStranded(const QTextDocument& document, const CPagePlacement& placement) {
    const std::vector<PlacedBlock> placed = placement.blocks(); // finishes the layout first
    // The placed blocks are the document's blocks with text, in order.
    std::size_t i = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (!IsPlaced(block)) {
            continue;
        }
        const PlacedBlock& here = placed[i];
        // A picture that did not fit at the foot of a page goes to the next one, but its
        // paragraph still begins on the page before, which then shows a sliver of its edge.
        const bool moved =
            block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore;
        if (here.picture && !moved && here.paragraphPage < here.firstPage) {
            return block;
        }
        const bool startsPage = i == 0 || placed[i - 1].lastPage < here.firstPage;
        if (i + 1 < placed.size() && KeepsWithNext(here) && !startsPage &&
            here.lastPage < placed[i + 1].firstPage) {
            return block;
        }
        ++i;
    }
    return {};
}

// Moves every block that FirstStranded finds to the top of the next page, one at a time: each
// move pushes the text after it down, which may leave another heading at a page's end, so the
// document is laid out again after every move.
void KeepWithNext(QTextDocument& document, const CPagePlacement& placement) {
    for (QTextBlock stranded = FirstStranded(document, placement); stranded.isValid();
         stranded = FirstStranded(document, placement)) {
        BreakBefore(stranded);
    }
}

} // namespace

LaidOutManual WriteManualPdf(const QString& html, const QString& pictureFolder,
                             const QString& outputPath) {
    LaidOutManual result;
    // Without the font every Japanese character would come out as an empty box; better no
    // manual than an unreadable one.
    const QFont font(QString::fromLatin1(FontFamily), FontPoints);
    if (!QFontInfo(font).family().startsWith(QStringLiteral("Noto Sans CJK"))) {
        result.problem = QStringLiteral("the font \"%1\" is missing (Debian: fonts-noto-cjk)")
                             .arg(QString::fromLatin1(FontFamily));
        return result;
    }

    QTextDocument document;
    document.setDefaultFont(font);
    document.setDocumentMargin(0);
    document.setHtml(WithoutBreaksBetweenWideCharacters(html));
    const QStringList missing = LoadPictures(document, pictureFolder);
    if (!missing.isEmpty()) {
        result.problem = QStringLiteral("cannot read the picture %1 in %2")
                             .arg(missing.join(QStringLiteral(", ")), pictureFolder);
        return result;
    }
    FitLinesToPictures(document);

    const QString partPath = outputPath + QStringLiteral(".part");
    QFile::remove(partPath);
    {
        QPdfWriter writer(partPath);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(
            QMarginsF(MarginMillimetres, MarginMillimetres, MarginMillimetres, MarginMillimetres),
            QPageLayout::Millimeter);
        writer.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
        writer.setCreator(QStringLiteral("ZQ-314 Wave Converter"));

        // Laid out in the writer's own units, so that what is measured here is what is drawn.
        document.documentLayout()->setPaintDevice(&writer);
        const qreal foot = FootMillimetres / 25.4 * writer.logicalDpiY();
        const QSizeF page(writer.width(), writer.height() - foot);
        document.setPageSize(page);
        const CPagePlacement placement(document, page.height());
        KeepWithNext(document, placement);
        result.blocks = placement.blocks();
        result.pageCount = document.pageCount();

        QPainter painter(&writer);
        if (!painter.isActive()) {
            result.problem = QStringLiteral("cannot write ") + partPath;
        } else {
            // The pictures of the program show text: kept as they are, not JPEG-compressed.
            painter.setRenderHint(QPainter::LosslessImageRendering);
        }
        QFont numberFont = font;
        numberFont.setPointSize(PageNumberPoints);
        for (int index = 0; result.problem.isEmpty() && index < result.pageCount; ++index) {
            if (index > 0) {
                writer.newPage();
            }
            const QRectF shown(0, index * page.height(), page.width(), page.height());
            painter.save();
            painter.translate(0, -shown.top());
            document.drawContents(&painter, shown);
            painter.restore();
            painter.setFont(QFont(numberFont, &writer));
            painter.drawText(QRectF(0, page.height(), page.width(), foot),
                             Qt::AlignRight | Qt::AlignBottom, QString::number(index + 1));
        }
    }
    if (result.problem.isEmpty() && QFileInfo(partPath).size() <= 0) {
        result.problem = QStringLiteral("cannot write ") + partPath;
    }
    if (!result.problem.isEmpty()) {
        QFile::remove(partPath);
        return result;
    }
    QFile::remove(outputPath);
    if (!QFile::rename(partPath, outputPath)) {
        result.problem = QStringLiteral("cannot write ") + outputPath;
    }
    return result;
}

} // namespace ZQ3::Manual
