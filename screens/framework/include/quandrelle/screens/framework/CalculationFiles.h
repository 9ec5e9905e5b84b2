#pragma once

// Saving a calculation to a file and opening it again, for every screen that offers it: the
// questions, the file dialogs, the notes when a file cannot be read or written, and the list of
// recent calculations. The file is the command-line calculator's scenario, so a saved calculation
// also runs there as it is.

#include <QString>
#include <QStringList>
#include <optional>

#include "quandrelle/scenario/Scenario.h"
#include "quandrelle/screens/framework/ScreenContext.h"

class QWidget;

namespace quandrelle {

inline const QString kCalculationFileFilter = QStringLiteral("Quandrelle calculations (*.quandrelle)");
// How many calculations the recent list keeps.
inline constexpr int kRecentCalculationCount = 8;

// The calculations last opened or saved that still exist, newest first.
QStringList recentCalculations();

// Asks where to save (the calculation's own file offered), then saves. True once saved; a failed
// save says why and leaves the file as it was.
bool saveCalculation(ScreenContext& context, QWidget* parent);

// Asks which calculation to open; empty when the user cancelled.
QString askCalculationToOpen(ScreenContext& context, QWidget* parent);

// Reads a calculation file. A file that cannot be read, is damaged or is of a later format is
// reported in a note, and nothing is returned.
std::optional<calc::Scenario> readCalculationFile(ScreenContext& context, const QString& file);

// Before the calculation is left behind (the program ends, another one is opened): when it has
// changes that are not saved, asks whether to save them. True when the caller may go on: the
// changes were saved, or the user chose not to save them.
bool settleUnsavedChanges(ScreenContext& context, QWidget* parent);

// The exit question ("Are you sure you want to quit?"), then, for a calculation with unsaved
// changes, whether to save them. True when the program may end.
bool confirmQuit(ScreenContext& context, QWidget* parent);

}  // namespace quandrelle
