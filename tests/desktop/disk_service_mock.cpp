#include "tests/desktop/disk_service_mock.h"

#include "tests/support/required_program.h"

#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QTest>

namespace {

// The system's Python, which has the Debian packages; not whichever one the PATH finds first.
constexpr const char* SystemPython = "/usr/bin/python3";
constexpr int StartMilliseconds = 20000;

} // namespace

CDiskServiceMock::~CDiskServiceMock() {
    if (!connectionName_.isEmpty()) {
        QDBusConnection::disconnectFromBus(connectionName_);
    }
    for (QProcess* process : {&service_, &bus_}) {
        if (process->state() != QProcess::NotRunning) {
            process->terminate();
            if (!process->waitForFinished(5000)) {
                process->kill();
                process->waitForFinished();
            }
        }
    }
}

bool CDiskServiceMock::startBus() {
    problem_ = QString::fromStdString(ZQ3::Fixture::MissingProgram("dbus-daemon", "dbus"));
    if (!problem_.isEmpty()) {
        return false;
    }
    bus_.start(QStringLiteral("dbus-daemon"),
               {QStringLiteral("--session"), QStringLiteral("--nofork"),
                QStringLiteral("--print-address=1")});
    QDeadlineTimer deadline(StartMilliseconds);
    while (!bus_.canReadLine() && !deadline.hasExpired() && bus_.waitForReadyRead(100)) {
    }
    const QString address = QString::fromUtf8(bus_.readLine()).trimmed();
    if (address.isEmpty()) {
        problem_ = QStringLiteral("dbus-daemon gave no address: ") +
                   QString::fromUtf8(bus_.readAllStandardError());
        return false;
    }
    static int count = 0;
    connectionName_ = QStringLiteral("disk-service-mock-%1").arg(++count);
    QDBusConnection connection = QDBusConnection::connectToBus(address, connectionName_);
    if (!connection.isConnected()) {
        problem_ = QStringLiteral("cannot connect to the test's bus at ") + address;
        return false;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    service_.setProcessEnvironment(environment);
    return true;
}

bool CDiskServiceMock::startService(const QJsonObject& parameters) {
    QProcess probe;
    probe.start(QString::fromLatin1(SystemPython),
                {QStringLiteral("-c"), QStringLiteral("import dbusmock")});
    if (!probe.waitForFinished(StartMilliseconds) || probe.exitCode() != 0) {
        problem_ = QStringLiteral("python3-dbusmock is missing (Debian package: python3-dbusmock)");
        return false;
    }
    service_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    service_.start(
        QString::fromLatin1(SystemPython),
        {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"),
         qEnvironmentVariable("ZQ3_SOURCE_DIR") + QStringLiteral("/tests/desktop/udisks2_mock.py"),
         QStringLiteral("-l"), folder_.filePath(QStringLiteral("calls.log")), QStringLiteral("-p"),
         QString::fromUtf8(QJsonDocument(parameters).toJson(QJsonDocument::Compact))});
    QDeadlineTimer deadline(StartMilliseconds);
    while (
        !connection().interface()->isServiceRegistered(QStringLiteral("org.freedesktop.UDisks2"))) {
        if (deadline.hasExpired() || service_.state() == QProcess::NotRunning) {
            problem_ = QStringLiteral("the mocked disk service did not start");
            return false;
        }
        QTest::qWait(50);
    }
    return true;
}

QDBusConnection CDiskServiceMock::connection() const {
    return QDBusConnection(connectionName_);
}

QString CDiskServiceMock::calls() const {
    QFile log(folder_.filePath(QStringLiteral("calls.log")));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}
