// The settings store: the number texts the stored values are read and written with, and the
// sections that exist side by side.

#include "desktop/ini_profile.h"
#include "gt/number_text.h"
#include "tests/desktop/test_classes.h"
#include "tests/support/temporary_directory.h"

#include <QFile>
#include <QTest>

namespace {

class ProfileTest : public QObject {
    Q_OBJECT

private slots:
    // First: Qt finds the configuration folder once, at the first store in the user's scope.
    void theProgramsStoreLivesInTheUsersConfigurationFolder() {
        const ZQ3::Fixture::TemporaryDirectory home;
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(home.path()));
        ZQ3::Desktop::CIniProfile profile;
        QCOMPARE(QString::fromStdString(profile.fileName()),
                 QString::fromStdString(home / "Keldra/ZQ-314 Wave Converter.ini"));
    }

    void integersReadAsDecimalHexadecimalOrOctalAndOtherTextAsZero() {
        const ZQ3::Fixture::TemporaryDirectory folder;
        const std::string path = folder / "store.ini";
        ZQ3::Desktop::CIniProfile profile(path);
        const std::pair<const char*, long> cases[] = {{"0x3", 3},     {"010", 8},     {"abc", 0},
                                                      {"  -12", -12}, {"7 banks", 7}, {"", 0}};
        for (const auto& [text, expected] : cases) {
            profile.setString("Preference/BankId", text);
            QCOMPARE(profile.getInt("Preference/BankId", 99), expected);
        }
        QCOMPARE(profile.getInt("Preference/Missing", 5), 5L);
    }

    void realsAreWrittenWithFifteenDecimalsAndReadBack() {
        QCOMPARE(GT::RealText(0.5), std::string("0.500000000000000"));
        QCOMPARE(GT::RealText(0.18), std::string("0.180000000000000"));
        QCOMPARE(GT::ReadRealText(" 0.5"), 0.5);
        QCOMPARE(GT::ReadRealText("-0.25"), -0.25);
        QCOMPARE(GT::ReadRealText("0x1.8"), 1.5);
        QCOMPARE(GT::ReadRealText("soon"), 0.0);
    }

    void sectionsWithSimilarNamesStaySeparateInTheFile() {
        const ZQ3::Fixture::TemporaryDirectory folder;
        const QString path = QString::fromStdString(folder / "store.ini");
        {
            ZQ3::Desktop::CIniProfile profile(path.toStdString());
            profile.setInt("Preference/BankId", 3);
            profile.setString("Preferece/Directory", "/music/takes");
            profile.setString("Window/Position", "0,0,600,400");
            profile.setString("Version/FileVersion", "1.0");
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        // Integers are stored as text, and every section under its own name.
        QVERIFY(text.contains("[Preference]\nBankId=3"));
        QVERIFY(text.contains("[Preferece]\nDirectory=/music/takes"));
        ZQ3::Desktop::CIniProfile reread(path.toStdString());
        QCOMPARE(reread.getString("Window/Position", ""), std::string("0,0,600,400"));
        QCOMPARE(reread.getString("Preferece/Directory", ""), std::string("/music/takes"));
        QCOMPARE(reread.getString("Preference/Directory", "none"), std::string("none"));
    }

    void aHandEditedListReadsAsItsText() {
        const ZQ3::Fixture::TemporaryDirectory folder;
        const QString path = QString::fromStdString(folder / "store.ini");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Window]\nPosition=10,20,610,420\n");
        file.close();
        ZQ3::Desktop::CIniProfile profile(path.toStdString());
        QCOMPARE(profile.getString("Window/Position", ""), std::string("10,20,610,420"));
    }
};

} // namespace

std::unique_ptr<QObject> MakeProfileTest() {
    return std::make_unique<ProfileTest>();
}

#include "profile_test.moc"
