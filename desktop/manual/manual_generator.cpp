// Lays out a manual kept as HTML in the repository as a PDF file, with Qt's own text layout and
// PDF writer; the build runs it for the English and the Japanese manual. Both are set in Noto Sans
// CJK JP (Debian's fonts-noto-cjk), which has the Japanese glyphs and Latin ones to match, and
// the writer embeds the glyphs it uses, so the manual reads the same on any machine.
//
//   zq3_manual_generator SOURCE.html OUTPUT.pdf

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextDocument>

#include <cstdio>

namespace {

constexpr const char* FontFamily = "Noto Sans CJK JP";
constexpr int FontPoints = 10;
constexpr double MarginMillimetres = 20.0;

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

int Fail(const char* program, const QString& what) {
    std::fprintf(stderr, "%s: %s\n", program, what.toLocal8Bit().constData());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    // The build runs without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SOURCE.html OUTPUT.pdf\n", argv[0]);
        return 2;
    }
    const QString sourcePath = QString::fromLocal8Bit(argv[1]);
    const QString outputPath = QString::fromLocal8Bit(argv[2]);

    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly)) {
        return Fail(argv[0], "cannot read " + sourcePath + ": " + source.errorString());
    }
    const QString html = WithoutBreaksBetweenWideCharacters(QString::fromUtf8(source.readAll()));

    // Without the font every Japanese character would come out as an empty box; better no
    // manual than an unreadable one.
    const QFont font(QString::fromLatin1(FontFamily), FontPoints);
    if (!QFontInfo(font).family().startsWith(QStringLiteral("Noto Sans CJK"))) {
        return Fail(argv[0], QStringLiteral("the font \"%1\" is missing (Debian: fonts-noto-cjk)")
                                 .arg(QString::fromLatin1(FontFamily)));
    }

    QTextDocument document;
    document.setDefaultFont(font);
    document.setHtml(html);

    // Written under another name first, so that a run that fails half-way leaves no manual that
    // looks finished.
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
        document.print(&writer);
    }
    if (QFileInfo(partPath).size() <= 0) {
        return Fail(argv[0], "cannot write " + partPath);
    }
    QFile::remove(outputPath);
    if (!QFile::rename(partPath, outputPath)) {
        return Fail(argv[0], "cannot write " + outputPath);
    }
    return 0;
}
