#pragma once

#include "gt/profile.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>

#include <functional>

class CMainView;

// The program's one window: fixed in size, with the menu (File / Exit, Help / Manual and
// Help / About) and the main view as its client area. It restores its place from the profile when
// it is made and saves it when it closes.
class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    static constexpr const char* Title = "ZQ-314 WAVE CONVERTER";
    static constexpr int Width = 600;
    static constexpr int Height = 400;
    static constexpr const char* PositionKey = "Window/Position";
    static constexpr const char* MaximizedKey = "Window/Maximized";
    static constexpr const char* FileVersionKey = "Version/FileVersion";
    // How much of the title bar must show on a screen for the window to be moved with it.
    static constexpr int TitleBarHeight = 24;
    static constexpr int GrabbableWidth = 100;

    // The frame takes the view as its client area.
    CMainFrame(GT::IProfile& profile, CMainView* view);

    CMainView* view() const { return view_; }

    // Where a window saved at corner opens: there, when enough of its title bar shows on some
    // screen to grab it, else at the top left of the primary screen.
    static QPoint OnAScreen(const QPoint& corner);

    // The placement "left,top,right,bottom" of the window now.
    QString placementText() const;
    // Writes the window's entries of the profile, as closing does.
    void savePlacement();

    // Where Help / Manual looks: "Manual/" beside the program or in the installed data, unless
    // told otherwise.
    void setManualDirectory(const QString& directory) { manualDirectory_ = directory; }
    // The manual for the program's language.
    QString manualPath() const;

    void showManual();
    void showAbout();
    // Options / Verify What Is Written to the Card.
    QAction* readBackAction() const { return readBack_; }
    QMenu* fileMenu() const { return fileMenu_; }
    QMenu* editMenu() const { return editMenu_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void restorePlacement();

    GT::IProfile& profile_;
    CMainView* view_;
    bool saved_ = false;
    QString manualDirectory_;
    QAction* readBack_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* editMenu_ = nullptr;
};
