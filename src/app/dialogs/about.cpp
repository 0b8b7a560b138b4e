#include "dialogs/about.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <cmath>

// The icon lives in a static library; this keeps the linker from dropping it.
static void InitResources() { Q_INIT_RESOURCE(app); }

QIcon ProgramIcon() {
    InitResources();
    return QIcon(QStringLiteral(":/quillmere/quillmere.xpm"));
}

TAboutWin::TAboutWin(QWidget* Parent) : QDialog(Parent) {
    setWindowTitle(QStringLiteral("About Quillmere"));
    setWindowIcon(ProgramIcon());
    const QFont font = WindowFont(this);
    setFont(font);
    const double factor = LayoutFactor(font);
    auto S = [factor](int v) { return int(std::lround(v * factor)); };

    // Outer size 240 x 180 with a sizing frame of 4 and a caption of 19 pixels.
    move(S(200), S(112));
    resize(S(240 - 2 * 4), S(180 - 2 * 4 - 19));
    setSizeGripEnabled(true);

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                              QStringLiteral("OK"), this);
    BitBtn1->setGeometry(S(80), S(104), S(75), S(25));
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

    auto label = [&](const char* text, int x, int y) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        l->adjustSize();
        l->setGeometry(S(x), S(y), l->width(), S(13));
        return l;
    };
    Label1 = label("Quillmere v. 1.0", 72, 24);
    Label2 = label("Programmed by Oskvarl", 56, 48);
    BitBtn1->setFocus();
}
