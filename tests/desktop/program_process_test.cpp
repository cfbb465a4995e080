// The desktop program as a process: --version and --help, one copy per user, a guard left by a
// killed copy, and SIGTERM ending the program with its settings saved.

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// Runs the program with a runtime and a settings folder of the test's own.
class CProgramProcesses {
public:
    CProgramProcesses() {
        QDir(folder_.path()).mkdir("runtime");
        QFile::setPermissions(runtime(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QDir(folder_.path()).mkdir("config");
    }
    QString runtime() const { return folder_.filePath("runtime"); }
    QString settingsFile() const {
        return folder_.filePath("config/Keldra/ZQ-314 Wave Converter.ini");
    }
    QString lockFile() const {
        const auto entries = QDir(runtime()).entryList({"zq3-converter*.lock"}, QDir::Files);
        return entries.isEmpty() ? QString() : QDir(runtime()).filePath(entries.first());
    }

    std::unique_ptr<QProcess> start(const QStringList& arguments = {}) const {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", runtime());
        environment.insert("XDG_CONFIG_HOME", folder_.filePath("config"));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("ZQ3_AUDIO_OUT", "null");
        process->setProcessEnvironment(environment);
        process->start(QStringLiteral(ZQ3_CONVERTER_PATH), arguments);
        return process;
    }

private:
    QTemporaryDir folder_;
};

class ProgramProcessTest : public QObject {
    Q_OBJECT

private slots:
    void versionAndHelpNeedNoDisplay() {
        CProgramProcesses programs;
        auto version = programs.start({"--version"});
        QVERIFY(version->waitForFinished(10000));
        QCOMPARE(version->exitCode(), 0);
        QCOMPARE(QString::fromUtf8(version->readAllStandardOutput()).trimmed(),
                 QStringLiteral("zq3-converter " ZQ3_VERSION));
        auto help = programs.start({"--help"});
        QVERIFY(help->waitForFinished(10000));
        QCOMPARE(help->exitCode(), 0);
        QVERIFY(help->readAllStandardOutput().contains("Usage: zq3-converter"));
    }

    void aSecondCopyExitsWhileTheFirstRuns() {
        CProgramProcesses programs;
        auto first = programs.start();
        QVERIFY(first->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!programs.lockFile().isEmpty(), 10000);

        auto second = programs.start();
        QVERIFY(second->waitForFinished(10000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(first->state(), QProcess::Running);

        // A copy killed outright leaves its guard behind; the next start is not kept out by it.
        first->kill();
        QVERIFY(first->waitForFinished(10000));
        QVERIFY(!programs.lockFile().isEmpty());
        auto third = programs.start();
        QVERIFY(third->waitForStarted());
        QVERIFY(!third->waitForFinished(1500));
        QCOMPARE(third->state(), QProcess::Running);

        // SIGTERM ends it as File / Exit does: exit status 0, settings saved.
        QFile::remove(programs.settingsFile());
        third->terminate();
        QVERIFY(third->waitForFinished(10000));
        QCOMPARE(third->exitStatus(), QProcess::NormalExit);
        QCOMPARE(third->exitCode(), 0);
        QSettings saved(programs.settingsFile(), QSettings::IniFormat);
        QCOMPARE(saved.value("Preference/RingBufferTime").toString(),
                 QStringLiteral("0.180000000000000"));
        QVERIFY(saved.contains("Window/Position"));
    }
};

} // namespace

std::unique_ptr<QObject> MakeProgramProcessTest() {
    return std::make_unique<ProgramProcessTest>();
}

#include "program_process_test.moc"
