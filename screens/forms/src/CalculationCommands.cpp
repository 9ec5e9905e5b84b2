#include "quandrelle/screens/forms/CalculationCommands.h"

#include <QFileInfo>
#include <QMenu>

#include "quandrelle/screens/framework/CalculationFiles.h"
#include "quandrelle/screens/framework/FormNames.h"
#include "quandrelle/screens/framework/PeerScreens.h"

namespace quandrelle {

void showOpenedCalculation(ScreenContext& context, const calc::Scenario& opened, const QString& file) {
    FormRegistry& forms = context.forms;
    // Both are there to hear the calculation arrive: the hub's load step would reset the opened
    // mixture's count, and the results screen shows the breakthrough concentrations it brings.
    forms.form(forms::kInputMasterFive);
    auto& results = dynamic_cast<ResultsDisplay&>(forms.form(forms::kResults));
    context.document.openCalculation(opened, file);
    for (const std::string& name : forms.OpenFormList()) {
        if (forms.isLoaded(name)) {
            forms.form(name).hide();
        }
    }
    results.ShowInputsOnResults();
    results.ClearResultsDisplay();
    forms.ShowForm(forms::kResults);
    results.focusBreakConc(1);
}

bool openCalculationFile(ScreenContext& context, const QString& file) {
    const std::optional<calc::Scenario> opened = readCalculationFile(context, file);
    if (!opened) {
        return false;
    }
    showOpenedCalculation(context, *opened, file);
    return true;
}

CalculationCommands::CalculationCommands(ScreenContext& context, QWidget* screen, const CommandGate& gate)
    : QObject(screen), m_context(context), m_screen(screen) {
    m_open = new QPushButton(QStringLiteral("Open..."), screen);
    m_open->setToolTip(QStringLiteral("Open a saved calculation"));
    m_save = new QPushButton(QStringLiteral("Save..."), screen);
    m_save->setToolTip(QStringLiteral(
        "Save the cartridge, vapors, use conditions and schedule rules to a file, which quandrelle-calc "
        "also runs"));
    m_recent = new QToolButton(screen);
    m_recent->setText(QStringLiteral("Recent"));
    m_recent->setToolTip(QStringLiteral("Open a calculation opened or saved lately"));
    m_recent->setAccessibleName(QStringLiteral("Recent calculations"));
    m_recent->setPopupMode(QToolButton::InstantPopup);
    m_recentMenu = new QMenu(m_recent);
    m_recent->setMenu(m_recentMenu);
    connect(m_recentMenu, &QMenu::aboutToShow, this, &CalculationCommands::fillRecentMenu);
    gate(m_open, [this] { open(); });
    gate(m_save, [this] { save(); });
}

void CalculationCommands::open() {
    if (!settleUnsavedChanges(m_context, m_screen)) {
        return;
    }
    const QString file = askCalculationToOpen(m_context, m_screen);
    if (!file.isEmpty()) {
        openCalculationFile(m_context, file);
    }
}

void CalculationCommands::save() {
    saveCalculation(m_context, m_screen);
}

void CalculationCommands::openRecent(const QString& file) {
    if (settleUnsavedChanges(m_context, m_screen)) {
        openCalculationFile(m_context, file);
    }
}

void CalculationCommands::fillRecentMenu() {
    m_recentMenu->clear();
    const QStringList recent = recentCalculations();
    if (recent.isEmpty()) {
        m_recentMenu->addAction(QStringLiteral("No recent calculations"))->setEnabled(false);
        return;
    }
    for (const QString& file : recent) {
        QAction* action = m_recentMenu->addAction(QFileInfo(file).fileName());
        action->setToolTip(file);
        action->setStatusTip(file);
        connect(action, &QAction::triggered, this, [this, file] { openRecent(file); });
    }
}

}  // namespace quandrelle
