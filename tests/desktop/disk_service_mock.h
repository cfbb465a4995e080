#pragma once

#include <QDBusConnection>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A private D-Bus bus of the test's own, and on it, once asked for, a mocked system disk service
// (python3-dbusmock with the template tests/desktop/udisks2_mock.py) that logs the calls it gets.
// Both end with the object.
class CDiskServiceMock {
public:
    CDiskServiceMock() = default;
    ~CDiskServiceMock();
    CDiskServiceMock(const CDiskServiceMock&) = delete;
    CDiskServiceMock& operator=(const CDiskServiceMock&) = delete;

    // Starts the bus; false with the reason in problem().
    bool startBus();
    // Starts the disk service with the template's parameters and waits until it is on the bus.
    bool startService(const QJsonObject& parameters);

    QDBusConnection connection() const;
    // The calls the service got so far, one a line ("Unmount {}").
    QString calls() const;
    const QString& problem() const { return problem_; }

private:
    QTemporaryDir folder_;
    QProcess bus_;
    QProcess service_;
    QString connectionName_;
    QString problem_;
};
