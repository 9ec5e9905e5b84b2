#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>
#include <cstdlib>

namespace {

// The offscreen platform says on every window that it cannot raise it; nothing else is dropped.
void quietOffscreenNotes(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QStringLiteral("This plugin does not support"))) {
        return;
    }
    qt_message_output(type, context, message);
}

}  // namespace

// The screens are driven for real, without a display: the offscreen platform unless the caller
// chose another.
int main(int argc, char* argv[]) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    qInstallMessageHandler(quietOffscreenNotes);
    // The user's own settings (recent calculations, the report's heading) stay untouched.
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quandrelle"));
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
