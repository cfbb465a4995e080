// The cursor stack over Qt's override cursor, and the program's own cursors.

#include "desktop/qt_cursor.h"
#include "tests/desktop/screenshots.h"
#include "tests/desktop/test_classes.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTest>

namespace {

class CursorTest : public QObject {
    Q_OBJECT

private slots:
    void theNewestEntryShowsAndTheLastPopGivesTheWindowsTheirCursorsBack() {
        auto stack = std::make_shared<UL::CCursor>();
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        {
            UL::CWaitCursor wait(stack);
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
            const int cross = stack->push(UL::CursorKind::Cross, nullptr);
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
            const int own = stack->push(7, nullptr);
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BitmapCursor);
            // Removing an entry below the top leaves the top showing.
            stack->pop(cross);
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::BitmapCursor);
            stack->pop(own);
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }

    void theProgramsOwnCursorsAreTenDifferentDrawings() {
        QList<QImage> drawings;
        for (int kind = UL::CursorKind::FirstOwn; kind <= UL::CursorKind::LastOwn; ++kind) {
            const QCursor cursor = UL::CCursor::CursorOfKind(kind);
            QCOMPARE(cursor.shape(), Qt::BitmapCursor);
            const QImage image = cursor.pixmap().toImage();
            QVERIFY(!image.isNull());
            QVERIFY2(!drawings.contains(image), qPrintable(QString::number(kind)));
            QVERIFY(image.rect().contains(cursor.hotSpot()));
            drawings << image;
        }
        // A sheet of all ten on grey, for a person to look at.
        QPixmap sheet(10 * 40, 40);
        sheet.fill(Qt::gray);
        QPainter painter(&sheet);
        for (int index = 0; index < drawings.size(); ++index) {
            painter.drawImage(index * 40 + 4, 4, drawings.at(index));
        }
        painter.end();
        QVERIFY(QDir().mkpath(QStringLiteral(ZQ3_SCREENSHOT_DIR)));
        QVERIFY(sheet.save(QStringLiteral(ZQ3_SCREENSHOT_DIR "/cursors.png")));
    }
};

} // namespace

std::unique_ptr<QObject> MakeCursorTest() {
    return std::make_unique<CursorTest>();
}

#include "qt_cursor_test.moc"
