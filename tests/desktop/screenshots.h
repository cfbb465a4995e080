#pragma once

#include <QString>

#include <functional>

class QWidget;

// Shows widget (when it is not shown yet), waits until it is drawn and saves it as name.png in
// the build's screenshot folder, so that a person can look at every dialog in both languages.
void SaveScreenshot(QWidget& widget, const QString& name);

// Runs check on the next modal dialog (message box, overwrite question) once it is shown.
void OnNextModal(const std::function<void(QWidget&)>& check);
