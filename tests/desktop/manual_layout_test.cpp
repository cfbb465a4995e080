// The manual's page layout: no page ends with a heading or with a picture apart from its
// caption, in documents made to put them there and in both manuals as the build lays them out.

#include "desktop/manual/manual_layout.h"
#include "tests/desktop/test_classes.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

using ZQ3::Manual::LaidOutManual;
using ZQ3::Manual::PlacedBlock;

QString Words(int count) {
    QStringList words;
    for (int i = 0; i < count; ++i) {
        words << QStringLiteral("word%1").arg(i);
    }
    return words.join(QLatin1Char(' '));
}

// Every block that must stay with the next one is on the page the next one starts on, unless it
// starts a page itself (then moving it would not help).
void VerifyNothingStranded(const LaidOutManual& manual, const QString& name) {
    QVERIFY2(manual.problem.isEmpty(), qPrintable(manual.problem));
    const std::vector<PlacedBlock>& blocks = manual.blocks;
    for (std::size_t i = 0; i + 1 < blocks.size(); ++i) {
        const bool keeper = blocks[i].headingLevel > 0 || blocks[i].picture;
        const bool startsPage = i == 0 || blocks[i - 1].lastPage < blocks[i].firstPage;
        QVERIFY2(!keeper || startsPage || blocks[i].lastPage == blocks[i + 1].firstPage,
                 qPrintable(QStringLiteral("%1: \"%2\" ends page %3")
                                .arg(name, blocks[i].text)
                                .arg(blocks[i].lastPage + 1)));
    }
    // A picture's paragraph begins on the picture's page, or the page before would show its edge.
    for (const PlacedBlock& block : blocks) {
        QVERIFY2(!block.picture || block.paragraphPage == block.firstPage,
                 qPrintable(QStringLiteral("%1: a picture begins on page %2 and shows on page %3")
                                .arg(name)
                                .arg(block.paragraphPage + 1)
                                .arg(block.firstPage + 1)));
    }
}

class ManualLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void noPageEndsWithAHeading() {
        QTemporaryDir folder;
        // Sections of shifting lengths, so that in one document or another a heading (or a
        // heading and the one under it) falls at the foot of a page.
        for (int shift = 0; shift < 6; ++shift) {
            QString html = QStringLiteral("<h1>Title</h1>");
            int headings = 1;
            for (int section = 0; section < 24; ++section) {
                html += QStringLiteral("<h2>Section %1</h2>").arg(section);
                ++headings;
                if (section % 3 == 0) {
                    html += QStringLiteral("<h3>Part %1</h3>").arg(section);
                    ++headings;
                }
                html +=
                    QStringLiteral("<p>%1</p>").arg(Words(20 + (section * 7 + shift * 11) % 60));
            }
            const LaidOutManual manual =
                ZQ3::Manual::WriteManualPdf(html, folder.path(), folder.filePath("m.pdf"));
            VerifyNothingStranded(manual, QStringLiteral("shift %1").arg(shift));
            QVERIFY(manual.pageCount > 3);
            QVERIFY(QFileInfo(folder.filePath("m.pdf")).size() > 0);
            // Nothing is lost on the way.
            QCOMPARE(std::count_if(manual.blocks.begin(), manual.blocks.end(),
                                   [](const PlacedBlock& b) { return b.headingLevel > 0; }),
                     headings);
        }
    }

    void aPictureStaysWithItsCaptionAndAMissingOneWritesNoManual() {
        QTemporaryDir folder;
        QImage picture(600, 400, QImage::Format_RGB32);
        picture.fill(QColor(40, 90, 160));
        QVERIFY(picture.save(folder.filePath("window.png")));
        // Texts before the pictures that grow by about half a line from one document to the
        // next, so that in some a picture just fits at the foot of a page and its caption not.
        for (int shift = 0; shift < 10; ++shift) {
            QString html;
            for (int figure = 0; figure < 6; ++figure) {
                html += QStringLiteral("<p>%1</p><p><img src=\"window.png\" width=\"480\"></p>"
                                       "<p>Figure %2.</p>")
                            .arg(Words(40 + shift * 7 + figure * 13))
                            .arg(figure);
            }
            const LaidOutManual manual =
                ZQ3::Manual::WriteManualPdf(html, folder.path(), folder.filePath("f.pdf"));
            VerifyNothingStranded(manual, QStringLiteral("shift %1").arg(shift));
            QCOMPARE(std::count_if(manual.blocks.begin(), manual.blocks.end(),
                                   [](const PlacedBlock& b) { return b.picture; }),
                     6);
        }

        const QString output = folder.filePath("missing.pdf");
        const LaidOutManual missing = ZQ3::Manual::WriteManualPdf(
            QStringLiteral("<p><img src=\"gone.png\"></p>"), folder.path(), output);
        QVERIFY(missing.problem.contains(QStringLiteral("gone.png")));
        QVERIFY(!QFile::exists(output));
        QVERIFY(!QFile::exists(output + QStringLiteral(".part")));
    }

    void bothManualsKeepHeadingsWithTheirText() {
        QTemporaryDir folder;
        for (const char* language : {"E", "J"}) {
            QFile source(qEnvironmentVariable("ZQ3_SOURCE_DIR") +
                         QStringLiteral("/desktop/manual/ZQ-314WaveConverterManual%1.html")
                             .arg(QLatin1String(language)));
            QVERIFY(source.open(QIODevice::ReadOnly));
            const LaidOutManual manual = ZQ3::Manual::WriteManualPdf(
                QString::fromUtf8(source.readAll()), QStringLiteral(ZQ3_MANUAL_PICTURE_DIR),
                folder.filePath("manual.pdf"));
            VerifyNothingStranded(manual, QLatin1String(language));
            // The manual shows the program.
            QVERIFY(std::count_if(manual.blocks.begin(), manual.blocks.end(),
                                  [](const PlacedBlock& b) { return b.picture; }) >= 4);
        }
    }
};

} // namespace

std::unique_ptr<QObject> MakeManualLayoutTest() {
    return std::make_unique<ManualLayoutTest>();
}

#include "manual_layout_test.moc"
