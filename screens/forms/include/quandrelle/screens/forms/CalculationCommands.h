#pragma once

#include <QObject>
#include <QPushButton>
#include <QString>
#include <QToolButton>
#include <functional>

#include "quandrelle/scenario/Scenario.h"
#include "quandrelle/screens/framework/ScreenContext.h"

class QAbstractButton;
class QMenu;
class QWidget;

namespace quandrelle {

// Opens a calculation read from `file` as if every field had been typed: the hub is loaded first
// (its load step would otherwise reset the opened mixture), every screen shows the new inputs, and
// the results screen comes up filled and without results, as after Continue.
void showOpenedCalculation(ScreenContext& context, const calc::Scenario& opened, const QString& file);

// Reads `file` and shows it on the results screen; a file that cannot be opened is reported and
// changes nothing. True when it was opened.
bool openCalculationFile(ScreenContext& context, const QString& file);

// The Open, Save and Recent commands of a screen that offers the calculation's file: the data input
// screen and the results screen both place these buttons, and both act alike.
class CalculationCommands : public QObject {
    Q_OBJECT
public:
    // How the screen runs a command: once its focused field has accepted its entry.
    using CommandGate = std::function<void(QAbstractButton*, std::function<void()>)>;

    CalculationCommands(ScreenContext& context, QWidget* screen, const CommandGate& gate);

    QPushButton* openButton() const { return m_open; }
    QPushButton* saveButton() const { return m_save; }
    QToolButton* recentButton() const { return m_recent; }

    void open();
    void save();
    void openRecent(const QString& file);

private:
    void fillRecentMenu();

    ScreenContext& m_context;
    QWidget* m_screen;
    QPushButton* m_open = nullptr;
    QPushButton* m_save = nullptr;
    QToolButton* m_recent = nullptr;
    QMenu* m_recentMenu = nullptr;
};

}  // namespace quandrelle
