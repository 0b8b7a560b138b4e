#include <gtest/gtest.h>
#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "ui/userinterface.h"

namespace {
QtMessageHandler g_previous = nullptr;

// The offscreen platform warns on every new top-level window; that is noise.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains("propagateSizeHints")) return;
    if (g_previous) g_previous(type, context, text);
}
// Each test starts from no settings, as it does run alone: what one leaves
// (a toggle, a zoom) is not the next one's start.
class TFreshSettings final : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { QSettings().clear(); }
};
}  // namespace

int main(int argc, char** argv) {
    // Windows are real but never reach a screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings and data of this process only, never the user's.
    QTemporaryDir config, data;
    if (!config.isValid() || !data.isValid()) return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kAppTitle));
    QApplication::setOrganizationName(QString::fromLatin1(kSettingsFolder));
    g_previous = qInstallMessageHandler(QuietHandler);
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new TFreshSettings);
    return RUN_ALL_TESTS();
}
