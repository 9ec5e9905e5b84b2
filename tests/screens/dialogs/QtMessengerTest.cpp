// The real message boxes: exactly the text, title, buttons and icon asked for.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "ScreenTest.h"
#include "quandrelle/screens/dialogs/QtMessenger.h"

namespace quandrelle::testing {
namespace {

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Shows the message with the real messenger; once the box is up, records it and presses `press`.
MessageAnswer showAndPress(const Message& message, QMessageBox::StandardButton press, SeenBox& seen) {
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            ADD_FAILURE() << "no message box is open";
            return;
        }
        seen = {box->windowTitle(), box->text(), box->standardButtons(), box->icon()};
        box->button(press)->click();
    });
    QtMessenger messenger;
    return messenger.show(message);
}

TEST(QtMessengerTest, ShowsExactlyTheGivenNoteWithAnOkButton) {
    SeenBox seen;
    const auto answer = showAndPress(Message{"This entry must not equal zero ", std::string("Invalid Entry")},
                                     QMessageBox::Ok, seen);
    EXPECT_EQ(answer, MessageAnswer::Ok);
    EXPECT_EQ(seen.title, QStringLiteral("Invalid Entry"));
    EXPECT_EQ(seen.text, QStringLiteral("This entry must not equal zero "));
    EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
}

TEST(QtMessengerTest, AnEmptyTitleStaysEmptyAndYesNoReturnsThePressedButton) {
    const Message question{"Are you sure you want to quit?", std::string(), MessageButtons::YesNo};
    SeenBox seen;
    EXPECT_EQ(showAndPress(question, QMessageBox::No, seen), MessageAnswer::No);
    EXPECT_TRUE(seen.title.isEmpty());
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(showAndPress(question, QMessageBox::Yes, seen), MessageAnswer::Yes);
}

TEST(QtMessengerTest, NoTitleMeansTheApplicationNameAndCriticalShowsItsIcon) {
    SeenBox seen;
    showAndPress(
        Message{" ValidUserInput overflow ", std::nullopt, MessageButtons::Ok, MessageIcon::Critical},
        QMessageBox::Ok, seen);
    EXPECT_EQ(seen.title, QStringLiteral("Quandrelle"));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.text, QStringLiteral(" ValidUserInput overflow "));
}

}  // namespace
}  // namespace quandrelle::testing
