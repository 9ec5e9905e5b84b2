#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

#include "ScreenFakes.h"
#include "quandrelle/engine/CalcState.h"
#include "quandrelle/screens/framework/FormRegistry.h"
#include "quandrelle/screens/framework/ScreenContext.h"

namespace quandrelle::testing {

// The shared fixture of the screen tests: a fresh calculation state, screen list and fakes for
// every test; every screen is destroyed when the test ends, so no window of one test can keep the
// activation in the next.
class ScreenTest : public ::testing::Test {
protected:
    void TearDown() override;

    // Shows a listed screen and waits until its window is active.
    QWidget& showAndActivate(const std::string& name);
    // Activates a window again (offscreen does not do it after a modal box closes).
    static void activate(QWidget& window);
    // A left click that enters through the window, as a real click does, so that the window's
    // own gate sees it.
    static void clickThroughWindow(QWidget* target);
    // Types a text into a field as the user would: focus, select all, type.
    static void typeInto(QWidget* field, const QString& text);
    static void pressEnter(QWidget* field);
    // Names a vapor slot or the cartridge in the state and announces it, as the data screens do.
    void nameVapor(int slot, const QString& name);
    void nameCartridge(const QString& name);
    // Lists the screens a run passes through: the data input hub, the use conditions, the results
    // and the limits window a refused run opens.
    void defineResultsRoad();
    // Saves the window's image as a PNG file where the environment names one in `variable`: how
    // the README's screenshots are taken, from the state a test has just checked.
    static void saveScreenshotIfAsked(QWidget& window, const char* variable);

    CalcDocument document;
    CalcState& state = document.state();
    RecordingMessenger messenger;
    ScriptedDialogRunner dialogs;
    RecordingProgramControl program;
    std::string dataFolder = "/tmp/quandrelle-test/";
    FormRegistry forms;
    ScreenContext context{document, forms, messenger, dialogs, program, [this] { return dataFolder; }};
};

}  // namespace quandrelle::testing
