#include "tests/desktop/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <QWidget>

void SaveScreenshot(QWidget& widget, const QString& name) {
    if (!widget.isVisible()) {
        widget.show();
    }
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    QApplication::processEvents();
    const QString folder = QStringLiteral(ZQ3_SCREENSHOT_DIR);
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(widget.grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png")));
}

void OnNextModal(const std::function<void(QWidget&)>& check) {
    // Polls: the modal dialog appears only once the code under test has entered its loop.
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, check] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        check(*modal);
    });
    timer->start();
}
