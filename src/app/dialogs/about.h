// The About box, and the program's icon.
#pragma once

#include <QDialog>
#include <QIcon>

#include "ui/look.h"

class QLabel;
class QPushButton;

QIcon ProgramIcon();

class TAboutWin final : public QDialog {
    Q_OBJECT
public:
    explicit TAboutWin(QWidget* Parent = nullptr);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* BitBtn1 = nullptr;
};
