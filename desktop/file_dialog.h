#pragma once

#include "gt/profile.h"

#include <QFileDialog>
#include <QStringList>

#include <string>

class QGridLayout;

namespace UL {

// A file dialog drawn by Qt itself, so that a panel of the program's own can sit below its
// standard controls, which remembers the folder, file name and file type last used in a section
// of the profile.
class CFileDialogA : public QFileDialog {
    Q_OBJECT

public:
    // Where the dialog keeps what it remembers; keys as the profile takes them.
    struct CRememberedKeys {
        std::string directory;
        std::string file;
        std::string filter;
    };

    // One file type of the filter list.
    struct CFileType {
        // "Windows RIFF Wave Files"; shown as it is.
        QString description;
        // "*.wav"
        QString pattern;
        // Every pattern the type really matches: a type's files also come with a longer
        // extension or in upper case.
        QStringList matched;
    };

    // The entry text of a type: description + " (" + pattern + ")", as the filter list shows it.
    static QString FilterText(const CFileType& type);

    CFileDialogA(GT::IProfile& profile, CRememberedKeys keys, AcceptMode mode, const QString& title,
                 QList<CFileType> types, QWidget* parent = nullptr);

    // The 1-based position of the file type now chosen.
    int filterIndex() const;
    void selectFilterIndex(int index);
    // The folder now shown.
    QString currentFolder() const;
    // The text of the file-name field.
    QString fileNameText() const;
    void setFileNameText(const QString& text);
    // The patterns the file list now filters with.
    QStringList patternsInUse() const;

    // Remembers the folder, and for OK the file name (and filter, see below), then closes.
    void done(int result) override;

protected:
    // Whether the file type is remembered when the dialog is cancelled; the save dialog keeps
    // only the type of a file really saved.
    virtual bool remembersFilterOnCancel() const { return true; }
    // The folder shown changed; the caption already says so.
    virtual void folderChanged(const QString& folder) { (void)folder; }
    // The chosen file type changed to the 1-based index.
    virtual void filterChanged(int index) { (void)index; }

    // The standard controls' grid: labels in column 0, fields in column 1, buttons in column 2.
    QGridLayout* grid() const;

private:
    void showFolder(const QString& folder);
    void applyTypePatterns();

    GT::IProfile& profile_;
    CRememberedKeys keys_;
    QString title_;
    QList<CFileType> types_;
};

} // namespace UL
