// Start-up and the event loop.
#include <QApplication>
#include <csignal>
#include <exception>

#include "about.h"
#include "mainwin.h"
#include "messages.h"

namespace {

// The last line of defence: an error that escapes an event handler is shown
// and the loop goes on, instead of unwinding through Qt.
class TApplication final : public QApplication {
public:
    using QApplication::QApplication;
    IUserInterface* UI = nullptr;

    bool notify(QObject* Receiver, QEvent* Event) override {
        try {
            return QApplication::notify(Receiver, Event);
        } catch (...) {
            if (UI) UI->ShowStandardError(StandardErrorText(std::current_exception()));
            return false;
        }
    }
};

}  // namespace

int main(int argc, char* argv[]) {
    // A file-size limit makes an export fail with a write error, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);

    TApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kAppTitle));
    QApplication::setOrganizationName(QString::fromLatin1(kSettingsFolder));
    QApplication::setWindowIcon(ProgramIcon());

    TQtUserInterface ui(nullptr, nullptr);
    app.UI = &ui;
    TMainWindow MainWindow(ui);
    ui.SetParent(&MainWindow);
    TAboutWin AboutWin(&MainWindow);
    ui.SetAbout(&AboutWin);

    // A missing default palette ends the program before the window is shown.
    if (MainWindow.QuitRequested()) return 0;
    MainWindow.show();
    return app.exec();
}
