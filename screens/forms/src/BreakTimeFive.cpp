#include "quandrelle/screens/forms/BreakTimeFive.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <optional>
#include <vector>

#include "quandrelle/engine/Calculate.h"
#include "quandrelle/engine/Cautions.h"
#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/engine/Inputs.h"
#include "quandrelle/engine/ResultTexts.h"
#include "quandrelle/engine/RunStop.h"
#include "quandrelle/engine/SetUp.h"
#include "quandrelle/screens/forms/CalculationCommands.h"
#include "quandrelle/screens/forms/MassConcentrationEntry.h"
#include "quandrelle/screens/framework/CalculationFiles.h"
#include "quandrelle/screens/framework/FormNames.h"
#include "quandrelle/screens/output/ReportOutput.h"
#include "quandrelle/screens/output/WindowPrinting.h"
#include "quandrelle/screens/schedule/ChangeScheduleWindow.h"
#include "quandrelle/screens/whatif/WhatIfChart.h"
#include "quandrelle/screens/whatif/WhatIfWindow.h"
#include "quandrelle/screens/widgets/BusyCursor.h"
#include "quandrelle/screens/widgets/ShownText.h"
#include "quandrelle/validation/FieldLimitTables.h"
#include "quandrelle/validation/NumberReader.h"
#include "quandrelle/validation/ValidDataEntry.h"

namespace quandrelle {
namespace {

// The column headings over the results, laid out in a fixed-pitch font so that "Min" and "Max"
// stand over their columns: the estimate column is 16 characters wide, the minimum column 13.
const QString kTimesHeading = QStringLiteral(
    "   Breakthrough Times (min)    \n"
    "                               Range\n"
    "Estimated       Min          Max");
constexpr int kEstimateColumnChars = 16;
constexpr int kMinColumnChars = 13;
constexpr int kMaxColumnChars = 10;
constexpr int kColumnSpacing = 8;
// Room a line edit needs around its text: its frame and text margins on both sides.
constexpr int kLineEditPadding = 16;

const QString kConcHeading = QStringLiteral("Vapor Concentrations (ppm)");
const QString kConcMassHeading = QStringLiteral("(mg/m³)");
const QString kBreakConcHeading = QStringLiteral("Breakthrough Concentrations (ppm)");
const QString kVaporsHeading = QStringLiteral("Organic Vapors");
const QString kRunNotesName = QStringLiteral("Notes on the results");

double numberIn(const QLineEdit* field) {
    return readNumber(field->text().toStdString());
}

QLabel* heading(const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    return label;
}

ValueLabel* resultLabel(QWidget* parent, const QFont& font, int widthChars, const QString& accessibleName) {
    auto* label = new ValueLabel(accessibleName, parent);
    label->setFont(font);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(QFontMetrics(font).horizontalAdvance(QString(widthChars, 'x')) - kColumnSpacing);
    label->setBackgroundRole(QPalette::Base);
    label->setAutoFillBackground(true);
    return label;
}

}  // namespace

BreakTimeFive::BreakTimeFive(ScreenContext& context)
    : Form(context, QStringLiteral("Vapor Mixture Breakthrough Results")),
      m_hasPrinter([] { return !QPrinterInfo::defaultPrinter().isNull(); }) {
    buildControls();
    declareFields();
    buildLayout();
    onCommand(m_cmdCalc, [this] { onCalculate(); });
    onCommand(m_cmdData, [this] { onReturnToData(); });
    onCommand(m_cmdPrint, [this] { onPrint(); });
    onCommand(m_cmdExit, [this] { onExit(); });
    connect(&document(), &CalcDocument::resultsChanged, this, [this] { ShowResults(); });
    onCommand(m_cmdReport, [this] { onReport(); });
    onCommand(m_cmdWhatIf, [this] { onWhatIf(); });
    onCommand(m_cmdSchedule, [this] { onSchedule(); });
    connect(&document(), &CalcDocument::calculationOpened, this, [this] { showOpenedBreakConcentrations(); });
    connect(&document(), &CalcDocument::programmeChanged, this, [this] { takeProgrammeInputs(); });
    adjustSize();
}

void BreakTimeFive::buildControls() {
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_cartName = new QLineEdit(this);
    m_cartName->setReadOnly(true);
    m_cartName->setAccessibleName(QStringLiteral("Organic Vapor Cartridge"));
    for (int row = 1; row <= kMaxVapors; ++row) {
        m_vapNm[row] = new ValueLabel(rowAccessibleName(kVaporsHeading, row), this);
        m_vapNm[row]->setValue(QString::fromUtf8(kNoneSelected));
        m_vapNm[row]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        m_vapNm[row]->setMinimumWidth(220);
        m_vapConc[row] = new NumericLineEdit(this);
        // The caret goes where the user clicks: a concentration is often corrected, not replaced.
        m_vapConc[row]->setSelectAllOnFocus(false);
        m_vapConc[row]->setMaximumWidth(120);
        m_vapConcMass[row] = new NumericLineEdit(this);
        // Wide enough for the mass concentration of the heaviest vapor at the highest concentration
        // the field takes: a cut-off "478.04" would read as "8.04".
        const int massWidth =
            m_vapConcMass[row]->fontMetrics().horizontalAdvance(QStringLiteral("0000000.00"));
        m_vapConcMass[row]->setMinimumWidth(massWidth + kLineEditPadding);
        m_vapConcMass[row]->setMaximumWidth(massWidth + kLineEditPadding);
        m_vapBkConc[row] = new NumericLineEdit(this);
        m_vapBkConc[row]->setMaximumWidth(120);
        const QString times = QStringLiteral("Breakthrough Times (min) ");
        m_bkT[row] =
            resultLabel(this, fixed, kEstimateColumnChars, rowAccessibleName(times + "Estimated", row));
        m_bkTMin[row] = resultLabel(this, fixed, kMinColumnChars, rowAccessibleName(times + "Min", row));
        m_bkTMax[row] = resultLabel(this, fixed, kMaxColumnChars, rowAccessibleName(times + "Max", row));
    }
    m_temperature = new NumericLineEdit(this);
    m_atmPressure = new NumericLineEdit(this);
    m_relHumid = new NumericLineEdit(this);
    m_airFlowVol = new NumericLineEdit(this);
    m_eqConc = new NumericLineEdit(this);
    for (NumericLineEdit* field : {m_temperature, m_atmPressure, m_relHumid, m_airFlowVol, m_eqConc}) {
        field->setMaximumWidth(120);
    }
    // The captions keep their runs of blanks, which spread the words over the buttons' faces.
    m_cmdCalc = new QPushButton(QStringLiteral("  Calculate    Results"), this);
    m_cmdData = new QPushButton(QStringLiteral("   Return to  Data Inputs"), this);
    m_cmdPrint = new QPushButton(QStringLiteral("Print this Window"), this);
    m_cmdExit = new QPushButton(QStringLiteral("      Exit        Program"), this);
    m_runNotes = new QLabel(this);
    m_runNotes->setWordWrap(true);
    // While Calculate runs: a bar that moves for as long as the run takes, and its Cancel.
    m_runProgress = new QProgressBar(this);
    m_runProgress->setRange(0, 0);
    m_runProgress->setAccessibleName(QStringLiteral("Calculation in progress"));
    m_runProgress->setVisible(false);
    m_cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cmdCancel->setAccessibleName(QStringLiteral("Cancel the calculation"));
    m_cmdCancel->setVisible(false);
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] { m_stop.request_stop(); });
    connect(&m_run, &QFutureWatcher<FinishedRun>::finished, this, &BreakTimeFive::onRunFinished);
    m_runNotes->setTextFormat(Qt::PlainText);
    m_runNotes->setAccessibleName(kRunNotesName);
    m_cmdReport = new QPushButton(QStringLiteral("Report..."), this);
    m_cmdReport->setToolTip(
        QStringLiteral("Save or print the change-schedule report of the last calculation"));
    // Only a run's results can be reported.
    m_cmdReport->setEnabled(false);
    m_cmdWhatIf = new QPushButton(QStringLiteral("What if..."), this);
    m_cmdWhatIf->setToolTip(QStringLiteral(
        "Plot the breakthrough times of the last calculation against humidity, concentration, air flow or "
        "temperature"));
    m_cmdWhatIf->setAccessibleName(QStringLiteral("What if..."));
    // Only a run can be varied.
    m_cmdWhatIf->setEnabled(false);
    m_cmdSchedule = new QPushButton(QStringLiteral("Change Schedule..."), this);
    m_cmdSchedule->setToolTip(QStringLiteral(
        "Set the safety factor, the shift and the exposure check, and see the change schedule of the last "
        "calculation"));
    m_files = new CalculationCommands(context(), this,
                                      [this](QAbstractButton* button, std::function<void()> handler) {
                                          onCommand(button, std::move(handler));
                                      });
}

void BreakTimeFive::declareFields() {
    // The use conditions: checked on Enter (the focus stays) and before the focus leaves;
    // temperature and pressure once more after it has left, since they feed the equivalent
    // concentration shown beside them.
    addField({.field = m_temperature,
              .limits = limits::kTemperature,
              .onAccepted = [this] { storeTemperature(); },
              .checkOnLostFocus = true},
             QStringLiteral("Temperature (oC)"));
    addField({.field = m_atmPressure,
              .limits = limits::kAtmPressure,
              .onAccepted = [this] { storeAtmPressure(); },
              .checkOnLostFocus = true},
             QStringLiteral("Atmospheric Pressure (atm)"));
    addField({.field = m_relHumid, .limits = limits::kRelHumidity, .onAccepted = [this] { storeRelHumid(); }},
             QStringLiteral("Use Relative Humidity (%)"));
    addField({.field = m_airFlowVol, .limits = limits::kAirFlow, .onAccepted = [this] { storeAirFlow(); }},
             QStringLiteral("Average Air Flow (L/min)"));

    for (int row = 1; row <= kMaxVapors; ++row) {
        // A concentration never holds the focus: an out-of-range value is reported, and a positive
        // one is kept all the same, so the user may calculate with it and see.
        addField({.field = m_vapConc[row],
                  .limits = limits::kVaporConcentration,
                  .checkOnLeave = false,
                  .onEnter = [this, row] { vapConcEntered(row, Trigger::Enter); },
                  .onLostFocus = [this, row] { vapConcEntered(row, Trigger::LostFocus); }},
                 rowAccessibleName(kConcHeading, row));
        // Typed in mg/m3, the concentration is entered as its ppm would be, with the same messages.
        addField({.field = m_vapConcMass[row],
                  .checkOnLeave = false,
                  .onEnter = [this, row] { vapConcMassEntered(row, Trigger::Enter); },
                  .onLostFocus = [this, row] { vapConcMassEntered(row, Trigger::LostFocus); }},
                 rowAccessibleName(kConcHeading + " in mg/m³", row));
        connect(m_vapConcMass[row], &QLineEdit::textEdited, this, [this, row] { m_massTyped[row] = true; });
        // Breakthrough concentrations have no limits of their own: Calculate checks the fractions.
        addField({.field = m_vapBkConc[row],
                  .checkOnLeave = false,
                  .onEnter = [this] { m_cmdCalc->setFocus(Qt::TabFocusReason); },
                  .onLostFocus = [this, row] { guarded([this, row] { vapBkConcLeft(row); }); }},
                 rowAccessibleName(kBreakConcHeading, row));
    }
    // The equivalent concentration is shown rounded to two decimals, so reading it back would
    // shift vapor #1's concentration (a trace vapor even to 0): leaving the field sets the
    // concentration only when the user has typed in it, while Enter always does.
    addField({.field = m_eqConc,
              .checkOnLeave = false,
              .onEnter = [this] { guarded([this] { eqConcEntered(); }); },
              .onLostFocus =
                  [this] {
                      if (m_eqConcTyped) {
                          guarded([this] { eqConcEntered(); });
                      }
                  }},
             QStringLiteral("Equivalent Conc Vapor#1 (mg/m3)"));
    connect(m_eqConc, &QLineEdit::textEdited, this, [this] { m_eqConcTyped = true; });
}

void BreakTimeFive::buildLayout() {
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(kColumnSpacing);
    grid->setVerticalSpacing(6);

    auto* cartCaption = heading(QStringLiteral("Organic Vapor Cartridge"), this);
    cartCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(cartCaption, 0, 0, 1, 2);
    grid->addWidget(m_cartName, 0, 2, 1, 2);

    auto* results = heading(QStringLiteral("Calculated Results"), this);
    grid->addWidget(results, 1, 5, 1, 3);
    grid->addWidget(heading(kVaporsHeading, this), 2, 0, 1, 2);
    grid->addWidget(heading(kConcHeading, this), 2, 2);
    grid->addWidget(heading(kConcMassHeading, this), 2, 3);
    grid->addWidget(heading(kBreakConcHeading, this), 2, 4);
    auto* times = new QLabel(kTimesHeading, this);
    times->setFont(fixed);
    times->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    grid->addWidget(times, 2, 5, 1, 3);

    for (int row = 1; row <= kMaxVapors; ++row) {
        const int line = row + 2;
        grid->addWidget(new QLabel(QStringLiteral("Vapor #%1").arg(row), this), line, 0);
        grid->addWidget(m_vapNm[row], line, 1);
        grid->addWidget(m_vapConc[row], line, 2, Qt::AlignHCenter);
        grid->addWidget(m_vapConcMass[row], line, 3, Qt::AlignHCenter);
        grid->addWidget(m_vapBkConc[row], line, 4, Qt::AlignHCenter);
        grid->addWidget(m_bkT[row], line, 5);
        grid->addWidget(m_bkTMin[row], line, 6);
        grid->addWidget(m_bkTMax[row], line, 7);
    }

    auto* conditions = new QGridLayout;
    conditions->setHorizontalSpacing(10);
    const std::vector<std::pair<QString, QWidget*>> conditionRows = {
        {QStringLiteral("Temperature (oC)"), m_temperature},
        {QStringLiteral("Atmospheric Pressure (atm)"), m_atmPressure},
        {QStringLiteral("Use Relative Humidity (%)"), m_relHumid},
        {QStringLiteral("Average Air Flow (L/min)"), m_airFlowVol},
        {QStringLiteral("Equivalent Conc Vapor#1 (mg/m3)"), m_eqConc},
    };
    for (std::size_t i = 0; i < conditionRows.size(); ++i) {
        auto* caption = new QLabel(conditionRows[i].first, this);
        caption->setBuddy(conditionRows[i].second);
        conditions->addWidget(caption, static_cast<int>(i), 0, Qt::AlignRight);
        conditions->addWidget(conditionRows[i].second, static_cast<int>(i), 1);
    }

    auto* commands = new QGridLayout;
    commands->setSpacing(10);
    commands->addWidget(m_cmdCalc, 0, 0);
    commands->addWidget(m_cmdData, 0, 1);
    commands->addWidget(m_cmdPrint, 1, 0);
    commands->addWidget(m_cmdExit, 1, 1);
    commands->addWidget(m_cmdReport, 2, 0);
    commands->addWidget(m_cmdWhatIf, 2, 1);
    // The commands added later stand in a column of their own, so the window grows no taller.
    commands->addWidget(m_cmdSchedule, 0, 2);
    commands->addWidget(m_files->openButton(), 1, 2);
    auto* files = new QHBoxLayout;
    files->addWidget(m_files->saveButton(), 1);
    files->addWidget(m_files->recentButton());
    commands->addLayout(files, 2, 2);
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
             m_cmdCalc, m_cmdData, m_cmdPrint, m_cmdExit, m_cmdReport, m_cmdWhatIf, m_cmdSchedule,
             m_files->openButton(), m_files->saveButton(), m_files->recentButton()}) {
        button->setMinimumHeight(40);
    }

    auto* lower = new QHBoxLayout;
    lower->addLayout(conditions);
    lower->addStretch();
    lower->addLayout(commands);

    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(18, 14, 18, 14);
    // Never smaller than its contents: a result cut off at the edge would read as another number.
    frame->setSizeConstraint(QLayout::SetMinimumSize);
    frame->addLayout(grid);
    frame->addWidget(m_runNotes);
    auto* running = new QHBoxLayout;
    running->addWidget(m_runProgress, 1);
    running->addWidget(m_cmdCancel);
    frame->addLayout(running);
    frame->addSpacing(16);
    frame->addLayout(lower);

    // Keyboard order: the rows left to right, top to bottom, then the conditions and the commands.
    std::vector<QWidget*> order;
    for (int row = 1; row <= kMaxVapors; ++row) {
        order.push_back(m_vapConc[row]);
        order.push_back(m_vapBkConc[row]);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_temperature, m_atmPressure, m_relHumid, m_airFlowVol, m_eqConc, m_cmdCalc, m_cmdData,
             m_cmdPrint, m_cmdExit, m_cartName, m_cmdReport, m_cmdWhatIf, m_cmdSchedule,
             m_files->openButton(), m_files->saveButton(), m_files->recentButton()}) {
        order.push_back(w);
    }
    // The mg/m3 column came later than the controls above, so it follows them.
    for (int row = 1; row <= kMaxVapors; ++row) {
        order.push_back(m_vapConcMass[row]);
    }
    for (std::size_t i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

// --- Moving values between the state and the screen ---

void BreakTimeFive::ClearResultsDisplay() {
    m_lastRun.reset();
    m_cmdReport->setEnabled(false);
    m_cmdWhatIf->setEnabled(false);
    if (m_whatIf) {
        m_whatIf->markRunOutdated();
    }
    if (m_schedule) {
        m_schedule->clearRun();
    }
    for (int row = 1; row <= kMaxVapors; ++row) {
        m_bkT[row]->clearValue();
        m_bkTMin[row]->clearValue();
        m_bkTMax[row]->clearValue();
    }
    showRunNotes({});
}

void BreakTimeFive::showRunNotes(const std::vector<std::string>& notes) {
    QStringList lines;
    for (const std::string& note : notes) {
        lines << shownText(note);
    }
    const QString shownNotes = lines.join(QLatin1Char('\n'));
    m_runNotes->setText(shownNotes);
    m_runNotes->setVisible(!shownNotes.isEmpty());
    // Wrapped lines claim their height only from the window's own: grow it, rather than let the
    // notes squeeze the column headings.
    if (layout() != nullptr) {
        layout()->activate();
        resize(size().expandedTo(sizeHint()));
    }
    // The name carries the notes themselves, so that a screen reader announces what is shown.
    m_runNotes->setAccessibleName(shownNotes.isEmpty() ? kRunNotesName
                                                       : kRunNotesName + QStringLiteral(": ") + shownNotes);
}

void BreakTimeFive::ShowInputsOnResults() {
    CalcState& st = state();
    const ResultRows rows = resultRows(st);
    const ConditionTexts conditions = conditionTexts(st);
    for (int row = 1; row <= kMaxVapors; ++row) {
        const ResultRowTexts& shown = rows[static_cast<std::size_t>(row)];
        m_vapNm[row]->setValue(shownText(shown.name));
        m_vapConc[row]->setText(shownText(shown.concentration));
        if (!shown.inUse) {
            m_vapBkConc[row]->clear();
        }
    }
    if (rows[1].inUse) {
        m_eqConc->setText(shownText(conditions.equivalentConcentration));
        m_eqConcTyped = false;
    }
    m_cartName->setText(shownText(conditions.cartName));
    m_temperature->setText(shownText(conditions.temperature));
    m_atmPressure->setText(shownText(conditions.pressure));
    m_relHumid->setText(shownText(conditions.relHumidity));
    m_airFlowVol->setText(shownText(conditions.airFlow));
    showMassConcentrations();
    setFaceVelocity(st);
}

void BreakTimeFive::ShowResults() {
    const ResultRows rows = resultRows(state());
    for (int row = 1; row <= kMaxVapors; ++row) {
        const ResultRowTexts& shown = rows[static_cast<std::size_t>(row)];
        m_vapNm[row]->setValue(shownText(shown.name));
        m_bkT[row]->setValue(shownText(shown.estimate));
        m_bkTMin[row]->setValue(shownText(shown.minimum));
        m_bkTMax[row]->setValue(shownText(shown.maximum));
        m_vapBkConc[row]->setText(shownText(shown.breakConc));
        m_vapConc[row]->setText(shownText(shown.concentration));
    }
    showRunNotes(state().runReport.notes);
    // The run may have put another vapor first: the equivalent concentration names vapor #1.
    showEquivalentConcentration();
}

void BreakTimeFive::focusBreakConc(int row) {
    m_vapBkConc.at(row)->setFocus(Qt::OtherFocusReason);
}

// --- Calculate ---

void BreakTimeFive::onCalculate() {
    if (m_running) {
        return;
    }
    try {
        std::vector<BreakthroughRow> rows;
        for (int row = 1; row <= kMaxVapors; ++row) {
            rows.push_back({numberIn(m_vapConc[row]), numberIn(m_vapBkConc[row])});
        }
        if (!withinBreakFractionLimits(state(), rows)) {
            forms().ShowForm(forms::kLimitsMessage);
            hide();
            return;
        }
    } catch (const std::exception& failure) {
        // A number too large to read: reported like any failure of the run.
        reportRunFailure(failure.what());
        return;
    }
    startRun(state());
}

void BreakTimeFive::startRun(CalcState copy) {
    m_stop = std::stop_source();
    setRunning(true);
    m_run.setFuture(QtConcurrent::run([copy = std::move(copy), stop = m_stop.get_token()]() mutable {
        const ScopedRunStop stoppable(stop);
        FinishedRun finished;
        try {
            finished.outcome = runCalculation(copy);
        } catch (const RunStopped&) {
            return finished;
        } catch (const std::exception& failure) {
            // A step of the run that failed outside the model's own errors: reported like them.
            finished.outcome = CalculateOutcome{CalculateStatus::Failed, failure.what(), false};
        }
        finished.state = std::move(copy);
        return finished;
    }));
}

void BreakTimeFive::onRunFinished() {
    FinishedRun finished = m_run.result();
    setRunning(false);
    if (!finished.state) {
        return;  // stopped: the screen stays as it was before Calculate
    }
    try {
        ClearResultsDisplay();
        // Done announces the results, which this screen and the hub then show.
        document().acceptRun(std::move(*finished.state), finished.outcome);
        switch (finished.outcome.status) {
            case CalculateStatus::OutOfLimits:
            case CalculateStatus::Failed:
                reportRunFailure(finished.outcome.errorText);
                if (finished.outcome.endProgram) {
                    context().program.endProgram();
                }
                return;
            case CalculateStatus::Done:
                m_lastRun = state();
                m_cmdReport->setEnabled(true);
                m_cmdWhatIf->setEnabled(true);
                if (m_whatIf) {
                    m_whatIf->setRun(*m_lastRun);
                }
                if (m_schedule) {
                    m_schedule->setRun(*m_lastRun);
                }
                show();
                return;
        }
    } catch (const std::exception& failure) {
        // A step of the display that failed: reported like any failure of the run.
        reportRunFailure(failure.what());
    }
}

// While a run works on its copy, nothing on the screen may change the state it will replace, and
// a second Calculate cannot start: every control but Cancel waits.
void BreakTimeFive::setRunning(bool running) {
    m_running = running;
    if (running) {
        m_busy.emplace();
        for (QWidget* control : findChildren<QWidget*>()) {
            if (control != m_cmdCancel && control->isEnabled() &&
                (qobject_cast<QLineEdit*>(control) || qobject_cast<QPushButton*>(control))) {
                control->setEnabled(false);
                m_disabledByRun.emplace_back(control);
            }
        }
    } else {
        m_busy.reset();
        for (const QPointer<QWidget>& control : m_disabledByRun) {
            if (control) {
                control->setEnabled(true);
            }
        }
        m_disabledByRun.clear();
    }
    m_runProgress->setVisible(running);
    m_cmdCancel->setVisible(running);
    m_cmdCancel->setEnabled(running);
}

BreakTimeFive::~BreakTimeFive() {
    m_stop.request_stop();
    m_run.waitForFinished();
}

void BreakTimeFive::reportRunFailure(const std::string& text) {
    messenger().show(Message{text, std::string(kErrorTitle), MessageButtons::Ok, MessageIcon::Critical});
}

// --- Editing the conditions and concentrations ---

void BreakTimeFive::showEquivalentConcentration() {
    m_eqConc->setText(shownText(equivalentConcentrationText(state())));
    m_eqConcTyped = false;
    showMassConcentrations();
}

void BreakTimeFive::showMassConcentrations() {
    const QString toolTip = massFieldToolTip(state(), QStringLiteral("The concentration"));
    for (int row = 1; row <= kMaxVapors; ++row) {
        const bool inUse = isSlotInUse(state().vapors[row]);
        m_vapConcMass[row]->setText(
            inUse ? shownText(massConcentrationText(equivalentConcentration(state(), row))) : QString());
        m_vapConcMass[row]->setToolTip(toolTip);
        m_massTyped[row] = false;
    }
}

void BreakTimeFive::storeTemperature() {
    document().setCondition(Condition::Temperature, numberIn(m_temperature), m_temperature->text());
    showEquivalentConcentration();
}

void BreakTimeFive::storeAtmPressure() {
    document().setCondition(Condition::Pressure, numberIn(m_atmPressure), m_atmPressure->text());
    showEquivalentConcentration();
}

void BreakTimeFive::storeAirFlow() {
    document().setCondition(Condition::AirFlow, numberIn(m_airFlowVol), m_airFlowVol->text());
}

void BreakTimeFive::storeRelHumid() {
    document().setCondition(Condition::RelHumidity, numberIn(m_relHumid), m_relHumid->text());
}

void BreakTimeFive::setBreakFraction(int row) {
    // Without a concentration there is no fraction to speak of: the last one stays, and Calculate
    // refuses the row anyway because its concentration is not above 0.
    const double concentration = state().vapors[row].avgConc;
    if (concentration != 0) {
        state().breakFraction[row] = state().breakConc[row] / concentration;
    }
}

void BreakTimeFive::vapConcEntered(int row, Trigger trigger) {
    const FieldRow* fieldRow = fields().rowOf(m_vapConc[row]);
    const bool accepted = fields().check(*fieldRow);
    guarded([&] {
        const double number = numberIn(m_vapConc[row]);
        if (accepted || number > 0) {
            storeConcentration(state(), row, number);
        }
        if (accepted || trigger == Trigger::LostFocus) {
            showEquivalentConcentration();
        } else {
            showMassConcentrations();
        }
    });
}

// The ppm the mass concentration stands for goes into the row's ppm field and is entered from
// there, so that the state, the messages and the fraction are those of that ppm typed.
void BreakTimeFive::vapConcMassEntered(int row, Trigger trigger) {
    if (!m_massTyped[row]) {
        return;
    }
    m_massTyped[row] = false;
    guarded([&] {
        const QString typed = m_vapConcMass[row]->text().trimmed();
        std::optional<QString> ppm;
        if (!typed.isEmpty()) {
            ppm = ppmTextForMass(state(), typed, state().vapors[row].molWt, messenger());
        }
        if (!ppm) {
            // Nothing entered: the column shows the concentration the row still has.
            showMassConcentrations();
            return;
        }
        m_vapConc[row]->setText(*ppm);
        vapConcEntered(row, trigger);
        showMassConcentrations();
    });
}

void BreakTimeFive::vapBkConcLeft(int row) {
    NumericLineEdit* field = m_vapBkConc[row];
    const QString typed = field->text();
    if (typed.isEmpty() || typed == QStringLiteral(".")) {
        field->clear();
        return;
    }
    state().breakConc[row] = numberIn(field);
    setBreakFraction(row);
    if (state().breakConc[row] <= 0) {
        // Kept in the state, but not shown: the empty field makes Calculate refuse the row.
        field->clear();
    }
}

void BreakTimeFive::eqConcEntered() {
    CalcState& st = state();
    if (static_cast<double>(st.atmPressure) * st.vapors[1].molWt == 0) {
        // No concentration follows from a mass concentration without a pressure and a molecular
        // weight; vapor #1 keeps the one it has.
        return;
    }
    st.vapors[1].avgConc = concentrationFromEquivalent(st, numberIn(m_eqConc));
    m_vapConc[1]->setText(shownText(generalText(st.vapors[1].avgConc)));
    setBreakFraction(1);
    showMassConcentrations();
}

// --- Return, print, exit ---

void BreakTimeFive::onReturnToData() {
    forms().ShowForm(forms::kInputMasterFive);
    hide();
}

void BreakTimeFive::onPrint() {
    printWindow(*this, m_hasPrinter(), messenger(), context().dialogs);
}

// --- The change-schedule report ---

void BreakTimeFive::onReport() {
    if (!m_lastRun) {
        return;
    }
    const ReportRequest request{.run = *m_lastRun,
                                .calculationHeader = state().reportHeader,
                                .dataFolder = context().dataFolder(),
                                .printerAvailable = m_hasPrinter(),
                                .humidityCurve = [](const CalcState& run) -> CurveDrawing {
                                    // The points on the report's worker, the chart from them on this thread.
                                    return [curves = computeWhatIfCurves(run, SweepQuantity::RelHumidity)] {
                                        return humidityCurveImage(curves);
                                    };
                                }};
    const QPointer<BreakTimeFive> self(this);
    const std::optional<ReportHeader> accepted =
        offerChangeScheduleReport(request, this, messenger(), context().dialogs);
    if (accepted && self) {
        document().setReportHeader(*accepted);
    }
}

// --- What if... ---

WhatIfWindow* BreakTimeFive::whatIfWindow() const {
    return m_whatIf;
}

void BreakTimeFive::onWhatIf() {
    if (!m_lastRun) {
        return;
    }
    if (m_whatIf == nullptr) {
        m_whatIf = new WhatIfWindow(*m_lastRun, messenger(), context().dialogs, this);
    }
    m_whatIf->show();
    m_whatIf->raise();
    m_whatIf->activateWindow();
}

// --- The change schedule ---

ChangeScheduleWindow* BreakTimeFive::scheduleWindow() const {
    return m_schedule;
}

void BreakTimeFive::onSchedule() {
    if (m_schedule == nullptr) {
        m_schedule = new ChangeScheduleWindow(document(), this);
        if (m_lastRun) {
            m_schedule->setRun(*m_lastRun);
        }
    }
    m_schedule->show();
    m_schedule->raise();
    m_schedule->activateWindow();
}

// The report of the last run follows the programme's inputs entered since: none moves a time.
void BreakTimeFive::takeProgrammeInputs() {
    if (m_lastRun) {
        copyProgrammeInputs(state(), *m_lastRun);
    }
}

// An opened calculation brings its breakthrough concentrations, which Continue never shows.
void BreakTimeFive::showOpenedBreakConcentrations() {
    const ResultRows rows = resultRows(state());
    for (int row = 1; row <= kMaxVapors; ++row) {
        const ResultRowTexts& shown = rows[static_cast<std::size_t>(row)];
        m_vapBkConc[row]->setText(shown.inUse ? shownText(shown.breakConc) : QString());
    }
}

void BreakTimeFive::onExit() {
    m_quitConfirmed = true;
    if (confirmQuit(context(), this)) {
        forms().UnloadAllForms();
        context().program.endProgram();
        return;
    }
    show();
    activateWindow();
    m_cmdCalc->setFocus(Qt::OtherFocusReason);
    m_quitConfirmed = false;
}

void BreakTimeFive::closeRequested() {
    onExit();
}

void BreakTimeFive::closeEvent(QCloseEvent* event) {
    // Only the user's own closing asks; the program ending closes the window without a word.
    if (context().program.isEnding()) {
        event->accept();
        return;
    }
    Form::closeEvent(event);
}

}  // namespace quandrelle
