#pragma once

// Help that asks for no control of its own in the window: the manual, an HTML page made from
// the manual page when the program is built and installed beside the program, and the About
// box with the version and the licence.

#include <functional>

#include <QString>

class QAction;
class QWidget;

namespace Varnock {

// The manual's file name in the program's folder.
inline constexpr char ManualName[] = "varnock.html";

// Opens the manual in Folder (the program's) with the user's browser; a message says so when
// it is missing or nothing opened it.
void OpenManual(QWidget* Owner, const QString& Folder);

// Adds to Window the action Manual, on F1, which opens the manual in the folder Folder gives.
QAction* AddManualAction(QWidget& Window, std::function<QString()> Folder);

// The program's name and version, what it is, its copyright and its licence (the whole text a
// click away), in a modal box.
void ShowAbout(QWidget* Owner);

} // namespace Varnock
