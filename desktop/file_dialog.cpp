#include "desktop/file_dialog.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QStyle>
#include <QTimer>
#include <QTreeView>

namespace UL {

QString CFileDialogA::FilterText(const CFileType& type) {
    return type.description + QStringLiteral(" (") + type.pattern + QStringLiteral(")");
}

CFileDialogA::CFileDialogA(GT::IProfile& profile, CRememberedKeys keys, AcceptMode mode,
                           const QString& title, QList<CFileType> types, QWidget* parent)
    : QFileDialog(parent), profile_(profile), keys_(std::move(keys)), title_(title),
      types_(std::move(types)) {
    setOption(DontUseNativeDialog);
    setAcceptMode(mode);
    setFileMode(mode == AcceptOpen ? ExistingFile : AnyFile);
    QStringList filters;
    for (const CFileType& type : types_) {
        filters << FilterText(type);
    }
    setNameFilters(filters);

    // The type list changes by the user's choice and by selectNameFilter alike. Qt filters the
    // file list by the pattern in the entry text once the change is through; the type's further
    // patterns replace it after that.
    if (auto* typeList = findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
        connect(typeList, &QComboBox::currentIndexChanged, this, [this](int index) {
            QTimer::singleShot(0, this, [this] { applyTypePatterns(); });
            filterChanged(index + 1);
        });
    }
    // Qt's detail view starts with narrow size, type and date columns that cut their texts; each
    // folder's listing widens them to what they hold.
    auto* model = findChild<QFileSystemModel*>();
    auto* details = findChild<QTreeView*>(QStringLiteral("treeView"));
    if (model && details) {
        connect(model, &QFileSystemModel::directoryLoaded, details, [details] {
            for (int column = 1; column < details->header()->count(); ++column) {
                details->resizeColumnToContents(column);
            }
        });
    }
    // The places list starts narrower than its own entries, which cuts "Computer" short.
    if (auto* places = findChild<QListView*>(QStringLiteral("sidebar"))) {
        places->setMinimumWidth(places->sizeHintForColumn(0) + 2 * places->frameWidth() +
                                places->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    }
    connect(this, &QFileDialog::directoryEntered, this,
            [this](const QString& folder) { showFolder(folder); });

    const QString folder = QString::fromStdString(profile_.getString(keys_.directory, ""));
    if (!folder.isEmpty()) {
        setDirectory(folder);
    }
    // The name chosen last is proposed only where it names a file: a name from another folder
    // would be a file that is not there, or, saved to, another file of the user's.
    const QString file = QString::fromStdString(profile_.getString(keys_.file, ""));
    if (!file.isEmpty() && QFileInfo(QDir(currentFolder()), file).isFile()) {
        selectFile(file);
    }
    // A remembered index outside the list (edited by hand) falls back to the first type.
    const long remembered = profile_.getInt(keys_.filter, 1);
    selectFilterIndex(remembered >= 1 && remembered <= types_.size() ? static_cast<int>(remembered)
                                                                     : 1);
    applyTypePatterns();
    showFolder(currentFolder());
}

int CFileDialogA::filterIndex() const {
    return static_cast<int>(nameFilters().indexOf(selectedNameFilter())) + 1;
}

void CFileDialogA::selectFilterIndex(int index) {
    const QStringList filters = nameFilters();
    if (index >= 1 && index <= filters.size()) {
        selectNameFilter(filters.at(index - 1));
    }
}

QString CFileDialogA::currentFolder() const {
    return directory().absolutePath();
}

QString CFileDialogA::fileNameText() const {
    const auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    return edit ? edit->text() : QString();
}

void CFileDialogA::setFileNameText(const QString& text) {
    if (auto* edit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
        edit->setText(text);
    }
}

QStringList CFileDialogA::patternsInUse() const {
    const auto* model = findChild<QFileSystemModel*>();
    return model ? model->nameFilters() : QStringList();
}

void CFileDialogA::done(int result) {
    profile_.setString(keys_.directory, currentFolder().toStdString());
    if (result == Accepted) {
        const QStringList chosen = selectedFiles();
        if (!chosen.isEmpty()) {
            profile_.setString(keys_.file, QFileInfo(chosen.first()).fileName().toStdString());
        }
    }
    if (result == Accepted || remembersFilterOnCancel()) {
        profile_.setInt(keys_.filter, filterIndex());
    }
    QFileDialog::done(result);
}

QGridLayout* CFileDialogA::grid() const {
    return qobject_cast<QGridLayout*>(layout());
}

void CFileDialogA::showFolder(const QString& folder) {
    setWindowTitle(title_ + QStringLiteral(" - ") + folder);
    folderChanged(folder);
}

void CFileDialogA::applyTypePatterns() {
    const int index = filterIndex();
    if (index < 1 || index > types_.size()) {
        return;
    }
    if (auto* model = findChild<QFileSystemModel*>()) {
        model->setNameFilters(types_.at(index - 1).matched);
    }
}

} // namespace UL
