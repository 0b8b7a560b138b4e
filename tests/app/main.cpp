#include <gtest/gtest.h>
#include <QApplication>

namespace {
QtMessageHandler g_previous = nullptr;

// The offscreen platform warns on every new top-level window; that is noise.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.contains("propagateSizeHints")) return;
    if (g_previous) g_previous(type, context, text);
}
}  // namespace

int main(int argc, char** argv) {
    // Windows are real but never reach a screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    g_previous = qInstallMessageHandler(QuietHandler);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
