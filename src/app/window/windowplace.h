// The main window's place on the screen, kept between runs.
#pragma once

class QSettings;
class QWidget;

// Moves and sizes the window as it was last left, when that is known and
// still on a screen; otherwise leaves it where it is.
void RestoreWindowPlace(QWidget& Window, QSettings& Settings);
void SaveWindowPlace(const QWidget& Window, QSettings& Settings);
