// Start-up and the event loop.
#include <QApplication>
#include <QProcess>
#include <QSettings>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>

#include "dialogs/about.h"
#include "dialogs/qtui.h"
#include "files/recovery.h"
#include "window/cmdline.h"
#include "window/mainwin.h"
#include "window/windowplace.h"

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

// --help and --version are answered without a display.
bool OnlyAnswers(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"-h", "--help", "--help-all", "-v", "--version"})
            if (std::strcmp(argv[i], option) == 0) return true;
    return false;
}

int Stop(const TStartRequest& Start) {
    std::fputs(Start.Text.toLocal8Bit().constData(), *Start.Exit == 0 ? stdout : stderr);
    return *Start.Exit;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (OnlyAnswers(argc, argv)) {
        const QCoreApplication core(argc, argv);
        const TStartRequest start = ParseCommandLine(QCoreApplication::arguments());
        if (start.Exit) return Stop(start);
    }

    // A file-size limit makes an export fail with a write error, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);

    TApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kAppTitle));
    QApplication::setOrganizationName(QString::fromLatin1(kSettingsFolder));
    QApplication::setWindowIcon(ProgramIcon());

    const TStartRequest start = ParseCommandLine(QApplication::arguments());
    if (start.Exit) return Stop(start);

    TQtUserInterface ui(nullptr, nullptr);
    app.UI = &ui;
    TMainWindow MainWindow(ui, BuildFontPicture, nullptr, start.Font);
    ui.SetParent(&MainWindow);
    TAboutWin AboutWin(&MainWindow);
    ui.SetAbout(&AboutWin);

    // A missing default palette ends the program before the window is shown.
    if (MainWindow.QuitRequested()) return 0;
    QSettings settings;
    RestoreWindowPlace(MainWindow, settings);
    QObject::connect(&app, &QCoreApplication::aboutToQuit,
                     [&] { SaveWindowPlace(MainWindow, settings); });
    MainWindow.show();
    if (!start.Font.isEmpty()) MainWindow.Guarded([&] { MainWindow.OpenFont(start.Font); });

    // Changes a window that is gone kept: the first font recovered opens in
    // this window when it has none, those to the font it was started with
    // while it is unchanged; any other in a window of its own.
    const TRecover recover = [&](TJournalHistory History, const QString& Journal) {
        MainWindow.TakeRecovered(std::move(History), Journal, [](const QString& Elsewhere) {
            QProcess::startDetached(QCoreApplication::applicationFilePath(),
                                    {QStringLiteral("--recover"), Elsewhere});
        });
    };
    std::vector<std::unique_ptr<TFileLock>> kept;
    MainWindow.Guarded([&] {
        if (start.Recover.isEmpty())
            OfferRecovery(ui, recover, kept);
        else
            RecoverJournal(ui, start.Recover, recover);
    });
    return app.exec();
}
