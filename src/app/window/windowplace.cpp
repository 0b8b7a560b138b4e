#include "window/windowplace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

namespace {
const char* const kPos = "window/pos";
const char* const kSize = "window/size";
const char* const kMaximized = "window/maximized";
}  // namespace

void RestoreWindowPlace(QWidget& Window, QSettings& Settings) {
    if (Settings.status() != QSettings::NoError) return;
    const QVariant pos = Settings.value(kPos), size = Settings.value(kSize);
    if (pos.typeId() == QMetaType::QPoint && size.typeId() == QMetaType::QSize) {
        const QRect place(pos.toPoint(), size.toSize());
        // A place on a screen that is gone, or larger than the desktop, would
        // leave the window out of reach.
        bool onScreen = false;
        QRect desktop;
        for (const QScreen* screen : QGuiApplication::screens()) {
            onScreen = onScreen || screen->availableGeometry().intersects(place);
            desktop |= screen->availableGeometry();
        }
        if (onScreen && place.width() <= desktop.width() && place.height() <= desktop.height()) {
            Window.move(place.topLeft());
            Window.resize(place.size());
        }
    }
    // Stored as text; anything but "true" is not maximised.
    if (Settings.value(kMaximized).toString() == QLatin1String("true"))
        Window.setWindowState(Window.windowState() | Qt::WindowMaximized);
}

void SaveWindowPlace(const QWidget& Window, QSettings& Settings) {
    const bool maximized = Window.isMaximized();
    // A maximised window keeps the place it had before.
    if (!maximized) {
        Settings.setValue(kPos, Window.pos());
        Settings.setValue(kSize, Window.size());
    }
    Settings.setValue(kMaximized, maximized);
    Settings.sync();
}
