#pragma once

#include "desktop/file_dialog.h"
#include "gt/profile.h"
#include "sl/model/wave_file_format.h"

#include <QString>

#include <cstdint>

class QLabel;

// The file dialogs of import and export: the wave file types, the remembered values in section
// "Preferece" of the profile (spelled so: the stored settings of every earlier version use that
// name) and the panel's value fields.
class CWaveFileDialog : public UL::CFileDialogA {
    Q_OBJECT

public:
    static const CRememberedKeys RememberedKeys;

    // The wave file types in filter order: WAV (1), AIFF (2).
    static QList<CFileType> WaveFileTypes();
    // The format at a 1-based filter position; INVALID for any other position.
    static SL::CWaveFileFormat FormatAt(int index);
    // ".wav" or ".aif"; empty for a format without a type.
    static QString ExtensionOf(const SL::CWaveFileFormat& format);
    // "Windows RIFF Wave" or "Apple AIFF Wave", in the program's language.
    static QString DisplayTextOf(const SL::CWaveFileFormat& format);
    // Decimal with "," between groups of three digits: 1234567 is "1,234,567".
    static QString ByteCountText(std::uint64_t bytes);

    CWaveFileDialog(GT::IProfile& profile, AcceptMode mode, const QString& title,
                    QList<CFileType> types, QWidget* parent);

protected:
    // A label and its sunken, right-aligned value field, added as a new row below the standard
    // controls: the label under theirs, the field from the file-name field's left edge to the
    // file-type list's right edge. Returns the value field.
    QLabel* addPanelRow(const QString& label);
};
