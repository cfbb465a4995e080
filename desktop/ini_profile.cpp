#include "desktop/ini_profile.h"

#include "gt/number_text.h"

namespace ZQ3::Desktop {
namespace {

// "Section/Entry" is also how QSettings names an INI group and key.
QString SettingsKey(const std::string& key) {
    return QString::fromStdString(key);
}

} // namespace

CIniProfile::CIniProfile()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QString::fromLatin1(Organisation),
                                            QString::fromLatin1(Application))) {}

CIniProfile::CIniProfile(const std::string& path)
    : settings_(std::make_unique<QSettings>(QString::fromStdString(path), QSettings::IniFormat)) {}

long CIniProfile::getInt(const std::string& key, long defaultValue) {
    return GT::ReadIntegerText(getString(key, GT::IntegerText(defaultValue)));
}

std::string CIniProfile::getString(const std::string& key, const std::string& defaultValue) {
    const QVariant value = settings_->value(SettingsKey(key));
    if (!value.isValid()) {
        return defaultValue;
    }
    // An unquoted value with commas, such as a window rectangle edited by hand, reads as a list;
    // its text is the list joined again.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QLatin1Char(',')).toStdString();
    }
    return value.toString().toStdString();
}

void CIniProfile::setInt(const std::string& key, long value) {
    setString(key, GT::IntegerText(value));
}

void CIniProfile::setString(const std::string& key, const std::string& value) {
    settings_->setValue(SettingsKey(key), QString::fromStdString(value));
}

void CIniProfile::flush() {
    settings_->sync();
}

std::string CIniProfile::fileName() const {
    return settings_->fileName().toStdString();
}

} // namespace ZQ3::Desktop
