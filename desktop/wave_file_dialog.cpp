#include "desktop/wave_file_dialog.h"

#include <QGridLayout>
#include <QLabel>

const CWaveFileDialog::CRememberedKeys CWaveFileDialog::RememberedKeys{
    "Preferece/Directory", "Preferece/File", "Preferece/Filter"};

namespace {

// The filter list shows a type as its display text followed by " Files".
QString FileTypeDescription(const char* displayText) {
    const QString text = QString::fromLatin1(displayText);
    const QString described =
        text.endsWith(QStringLiteral("Files")) ? text : text + QStringLiteral(" Files");
    return CWaveFileDialog::tr(described.toLatin1().constData());
}

} // namespace

QList<UL::CFileDialogA::CFileType> CWaveFileDialog::WaveFileTypes() {
    // The entries' texts are translated whole; these markers let the translation tools find
    // them.
    (void)QT_TRANSLATE_NOOP("CWaveFileDialog", "Windows RIFF Wave Files");
    (void)QT_TRANSLATE_NOOP("CWaveFileDialog", "Apple AIFF Wave Files");
    return {
        {FileTypeDescription("Windows RIFF Wave"),
         QStringLiteral("*.wav"),
         {QStringLiteral("*.wav"), QStringLiteral("*.WAV")}},
        {FileTypeDescription("Apple AIFF Wave"),
         QStringLiteral("*.aif"),
         {QStringLiteral("*.aif"), QStringLiteral("*.aiff"), QStringLiteral("*.AIF"),
          QStringLiteral("*.AIFF")}},
    };
}

SL::CWaveFileFormat CWaveFileDialog::FormatAt(int index) {
    switch (index) {
    case 1:
        return SL::CWaveFileFormat::WINWAVE;
    case 2:
        return SL::CWaveFileFormat::AIFF;
    default:
        return SL::CWaveFileFormat::INVALID;
    }
}

QString CWaveFileDialog::ExtensionOf(const SL::CWaveFileFormat& format) {
    if (format == SL::CWaveFileFormat::WINWAVE) {
        return QStringLiteral(".wav");
    }
    if (format == SL::CWaveFileFormat::AIFF) {
        return QStringLiteral(".aif");
    }
    return {};
}

QString CWaveFileDialog::DisplayTextOf(const SL::CWaveFileFormat& format) {
    if (format == SL::CWaveFileFormat::WINWAVE) {
        return tr("Windows RIFF Wave");
    }
    if (format == SL::CWaveFileFormat::AIFF) {
        return tr("Apple AIFF Wave");
    }
    return {};
}

QString CWaveFileDialog::ByteCountText(std::uint64_t bytes) {
    QString digits = QString::number(bytes);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3) {
        digits.insert(at, QLatin1Char(','));
    }
    return digits;
}

CWaveFileDialog::CWaveFileDialog(GT::IProfile& profile, AcceptMode mode, const QString& title,
                                 QList<CFileType> types, QWidget* parent)
    : CFileDialogA(profile, RememberedKeys, mode, title, std::move(types), parent) {}

QLabel* CWaveFileDialog::addPanelRow(const QString& label) {
    QGridLayout* layout = grid();
    const int row = layout->rowCount();
    layout->addWidget(new QLabel(label, this), row, 0);
    auto* value = new QLabel(this);
    value->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(value, row, 1);
    return value;
}
