#include "desktop/main_frame.h"

#include "app/message_catalogue.h"
#include "desktop/main_view.h"
#include "desktop/program_files.h"
#include "desktop/version.h"
#include "ul/text_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>

#include <cstdio>

namespace {} // namespace

CMainFrame::CMainFrame(GT::IProfile& profile, CMainView* view)
    : profile_(profile), view_(view),
      manualDirectory_(ZQ3::Desktop::ProgramDataDirectory("Manual")) {
    setWindowTitle(QString::fromUtf8(Title));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(ZQ3::Desktop::ProgramDataDirectory("Bitmap") + "/Icon.png"));

    QMenu* file = menuBar()->addMenu(tr("&File"));
    QAction* backUp = file->addAction(tr("&Back Up Card..."));
    QObject::connect(backUp, &QAction::triggered, this, [this] { view_->backUpCard(); });
    QAction* restore = file->addAction(tr("Res&tore Card..."));
    QObject::connect(restore, &QAction::triggered, this, [this] { view_->restoreCard(); });
    QObject::connect(file, &QMenu::aboutToShow, this, [this, backUp, restore] {
        backUp->setEnabled(view_->hasCard());
        restore->setEnabled(view_->hasCard());
    });
    file->addSeparator();
    QAction* repair = file->addAction(tr("Check and &Repair Card..."));
    QObject::connect(repair, &QAction::triggered, this, [this] { view_->checkAndRepairCard(); });
    QAction* eject = file->addAction(tr("&Eject Card"));
    QObject::connect(eject, &QAction::triggered, this, [this] { view_->ejectCard(); });
    QObject::connect(file, &QMenu::aboutToShow, this,
                     [this, eject] { eject->setEnabled(view_->canEject()); });
    file->addSeparator();
    QAction* exit = file->addAction(tr("E&xit"));
    QObject::connect(exit, &QAction::triggered, this, [this] { view_->exitProgram(); });
    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    QAction* undo = edit->addAction(tr("&Undo"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QObject::connect(undo, &QAction::triggered, this,
                     [this] { view_->stepThroughHistory(ZQ3::HistoryDirection::Undo); });
    QAction* redo = edit->addAction(tr("&Redo"));
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    QObject::connect(redo, &QAction::triggered, this,
                     [this] { view_->stepThroughHistory(ZQ3::HistoryDirection::Redo); });
    edit->addSeparator();
    QAction* cut = edit->addAction(tr("Cu&t Pad"));
    cut->setShortcut(QKeySequence::Cut);
    QObject::connect(cut, &QAction::triggered, this, [this] { view_->cutSelectedPad(); });
    QAction* copy = edit->addAction(tr("&Copy Pad"));
    copy->setShortcut(QKeySequence::Copy);
    QObject::connect(copy, &QAction::triggered, this, [this] { view_->copySelectedPad(); });
    QAction* paste = edit->addAction(tr("&Paste onto Selected Pad"));
    paste->setShortcut(QKeySequence::Paste);
    QObject::connect(paste, &QAction::triggered, this, [this] { view_->pasteOnSelectedPad(); });
    QObject::connect(edit, &QMenu::aboutToShow, this, [this, undo, redo, cut, copy, paste] {
        // The menu names the change each step would take back or make again.
        const std::optional<QString> undone = view_->nextHistoryStep(ZQ3::HistoryDirection::Undo);
        undo->setText(undone ? tr("&Undo “%1”").arg(*undone) : tr("&Undo"));
        undo->setEnabled(undone.has_value());
        const std::optional<QString> redone = view_->nextHistoryStep(ZQ3::HistoryDirection::Redo);
        redo->setText(redone ? tr("&Redo “%1”").arg(*redone) : tr("&Redo"));
        redo->setEnabled(redone.has_value());
        cut->setEnabled(view_->canCutOrCopy());
        copy->setEnabled(view_->canCutOrCopy());
        paste->setEnabled(view_->canPaste());
    });
    // Closed, the menu leaves its commands on for their shortcuts, which check for themselves.
    QObject::connect(edit, &QMenu::aboutToHide, this, [undo, redo, cut, copy, paste] {
        for (QAction* action : {undo, redo, cut, copy, paste}) {
            action->setEnabled(true);
        }
    });
    fileMenu_ = file;
    editMenu_ = edit;
    QMenu* options = menuBar()->addMenu(tr("&Options"));
    readBack_ = options->addAction(tr("&Verify What Is Written to the Card"));
    readBack_->setCheckable(true);
    readBack_->setChecked(view_->readsBack());
    readBack_->setToolTip(tr("Reads every written file back from the card before a change is "
                             "kept, so that a card that stores wrong bytes is caught."));
    QObject::connect(readBack_, &QAction::toggled, this,
                     [this](bool checked) { view_->setReadBack(checked); });
    QMenu* help = menuBar()->addMenu(tr("&Help"));
    QAction* manual = help->addAction(tr("ZQ-314 Wave Converter &Manual"));
    manual->setShortcut(QKeySequence::HelpContents);
    QObject::connect(manual, &QAction::triggered, this, [this] { showManual(); });
    QAction* about = help->addAction(tr("&About ZQ-314 Wave Converter..."));
    QObject::connect(about, &QAction::triggered, this, [this] { showAbout(); });

    view_->setParent(this);
    setCentralWidget(view_);
    restorePlacement();
}

void CMainFrame::restorePlacement() {
    const std::string position = profile_.getString(PositionKey, "0,0,600,400");
    int left = 0;
    int top = 0;
    int right = Width;
    int bottom = Height;
    if (std::sscanf(position.c_str(), "%d,%d,%d,%d", &left, &top, &right, &bottom) != 4) {
        left = top = 0;
    }
    // The window keeps its one size whatever the store says; only its place is restored.
    setFixedSize(Width, Height);
    move(OnAScreen(QPoint(left, top)));
    // "Maximized" is not acted on: the window has one size and no maximise button, so
    // a maximised window would be the same layout in a screen-sized frame. Only an edited store
    // holds 1; closing writes what the window really was (0).
}

QPoint CMainFrame::OnAScreen(const QPoint& corner) {
    // A place saved on a screen that is no longer attached would open the window out of sight.
    // The window stays where it was when its title bar can still be grabbed there.
    const QRect titleBar(corner, QSize(Width, TitleBarHeight));
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (const QScreen* screen : screens) {
        const QRect visible = screen->availableGeometry().intersected(titleBar);
        if (visible.width() >= GrabbableWidth && visible.height() >= TitleBarHeight / 2) {
            return corner;
        }
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? primary->availableGeometry().topLeft() : QPoint(0, 0);
}

QString CMainFrame::placementText() const {
    const QRect normal = isVisible() ? normalGeometry() : geometry();
    const QPoint corner = pos();
    return QStringLiteral("%1,%2,%3,%4")
        .arg(corner.x())
        .arg(corner.y())
        .arg(corner.x() + normal.width())
        .arg(corner.y() + normal.height());
}

void CMainFrame::savePlacement() {
    profile_.setInt(MaximizedKey, isMaximized() ? 1 : 0);
    profile_.setString(FileVersionKey, ZQ3::Desktop::FileVersionText());
    profile_.setString(PositionKey, placementText().toStdString());
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!saved_) {
        savePlacement();
        saved_ = true;
    }
    QMainWindow::closeEvent(event);
}

QString CMainFrame::manualPath() const {
    const bool japanese = ZQ3::MessageCatalogue::Instance().language() == ZQ3::LanguageJapanese;
    return manualDirectory_ +
           (japanese ? "/ZQ-314WaveConverterManualJ.pdf" : "/ZQ-314WaveConverterManualE.pdf");
}

void CMainFrame::showManual() {
    const QString path = manualPath();
    const QString shown = QDir::toNativeSeparators(path);
    QString problem;
    if (!QFileInfo(path).isFile()) {
        problem = tr("The manual is missing.");
    } else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        // Without a program for PDF files the desktop opens nothing and tells nobody.
        problem = tr("The manual could not be opened: no program to show PDF files was found.");
    }
    if (!problem.isEmpty()) {
        view_->textDialog().askWithDetail(
            UL::ITextDialog::ButtonsOk, UL::ITextDialog::IconWarning, problem.toStdString(),
            tr("The manual is the file %1. Open it with any PDF viewer.").arg(shown).toStdString());
    }
}

void CMainFrame::showAbout() {
    const QString description = QString::fromUtf8(ZQ3::Desktop::FileDescription);
    QString version = tr("Version %1").arg(QString::fromStdString(ZQ3::Desktop::FileVersionText()));
    // Ctrl while the box opens shows the product version's numbers, for support calls.
    if (QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier) {
        version += QStringLiteral(" (%1)").arg(
            QString::fromStdString(ZQ3::Desktop::ProductVersionDigits()));
    }
    QMessageBox box(QMessageBox::Information, tr("About %1").arg(description),
                    description + "\n" + version + "\n" +
                        QString::fromUtf8(ZQ3::Desktop::LegalCopyright),
                    QMessageBox::Ok, this);
    box.setIconPixmap(windowIcon().pixmap(48, 48));
    box.exec();
}
