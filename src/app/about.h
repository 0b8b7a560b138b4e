// The About box, and the look both windows share.
#pragma once

#include <QDialog>
#include <QFont>
#include <QIcon>

class QLabel;
class QPushButton;

QIcon ProgramIcon();
// The windows' font: a sans serif with a character height of 12 pixels at 106
// pixels per inch, scaled to the screen.
QFont WindowFont(const QWidget* Widget);
// Positions and sizes are laid out for a text height of 13 pixels.
double LayoutFactor(const QFont& Font);

class TAboutWin final : public QDialog {
    Q_OBJECT
public:
    explicit TAboutWin(QWidget* Parent = nullptr);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* BitBtn1 = nullptr;
};
