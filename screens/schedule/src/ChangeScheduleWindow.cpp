#include "quandrelle/screens/schedule/ChangeScheduleWindow.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>
#include <string>
#include <vector>

#include "quandrelle/engine/ChangeSchedule.h"
#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/engine/Inputs.h"
#include "quandrelle/engine/ProgrammeInputs.h"
#include "quandrelle/validation/NumberReader.h"

namespace quandrelle {
namespace {

const QString kLimitsHelp = QStringLiteral(
    "The program ships no exposure limits: they differ from one jurisdiction to the next. Enter the "
    "limit (and, where known, the IDLH value) that applies where the work is done; a vapor without a "
    "limit is not checked.");

QString numberText(double value) {
    return QString::fromStdString(generalText(value));
}

double numberIn(const QLineEdit* field) {
    return readNumber(field->text().toStdString());
}

// An empty field is no limit at all, which is not the same as a limit of 0.
std::optional<double> limitIn(const QLineEdit* field) {
    if (field->text().trimmed().isEmpty()) {
        return std::nullopt;
    }
    return numberIn(field);
}

QLineEdit* entryField(const QString& accessibleName, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setAccessibleName(accessibleName);
    field->setMaximumWidth(110);
    return field;
}

QString slotName(const QString& caption, int slot) {
    return caption + QStringLiteral(" of Organic Vapor #%1").arg(slot);
}

}  // namespace

ChangeScheduleWindow::ChangeScheduleWindow(CalcDocument& document, QWidget* parent)
    : QWidget(parent, Qt::Window), m_document(document) {
    setWindowTitle(QStringLiteral("Change Schedule"));
    buildControls();
    buildLayout();
    showInputs();
    showSchedule();
    connect(&m_document, &CalcDocument::programmeChanged, this, [this] {
        if (!m_applying) {
            showInputs();
        }
    });
    connect(&m_document, &CalcDocument::vaporChanged, this, [this] { showInputs(); });
    connect(&m_document, &CalcDocument::resultsChanged, this, [this] { showInputs(); });
}

void ChangeScheduleWindow::buildControls() {
    m_safetyFactor = entryField(QStringLiteral("Safety factor"), this);
    m_safetyFactor->setToolTip(
        QStringLiteral("Each vapor's estimate is divided by this number (1 or more) for the schedule"));
    m_basis = new QComboBox(this);
    m_basis->addItems({QStringLiteral("The estimate divided by the safety factor"),
                       QStringLiteral("The minimum of the range")});
    m_basis->setAccessibleName(QStringLiteral("Basis of the schedule"));
    m_shiftHours = entryField(QStringLiteral("Shift length (h)"), this);
    m_wornHours = entryField(QStringLiteral("Hours worn per shift"), this);
    m_acrossShifts =
        new QCheckBox(QStringLiteral("Keep cartridges in service across shifts where allowed"), this);
    m_acrossShifts->setToolTip(QStringLiteral(
        "Offered only when no vapor boils below 65 °C and no caution of the run forbids it; the "
        "service is then capped at the computed time"));
    m_facepiece = new QComboBox(this);
    m_facepiece->addItems({QStringLiteral("Half mask (protection factor 10)"),
                           QStringLiteral("Full facepiece (protection factor 50)"),
                           QStringLiteral("Another assigned protection factor")});
    m_facepiece->setAccessibleName(QStringLiteral("Facepiece"));
    m_typedFactor = entryField(QStringLiteral("Assigned protection factor"), this);
    for (int slot = kFirstSlot; slot <= kMaxVapors; ++slot) {
        m_vaporName[slot] = new ValueLabel(QStringLiteral("Organic Vapor #%1").arg(slot), this);
        m_oel[slot] = entryField(slotName(QStringLiteral("Exposure limit (ppm)"), slot), this);
        m_oel[slot]->setToolTip(kLimitsHelp);
        m_idlh[slot] = entryField(slotName(QStringLiteral("IDLH (ppm)"), slot), this);
        m_idlh[slot]->setToolTip(kLimitsHelp);
    }
    m_problem = new QLabel(this);
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(QStringLiteral("color: #a00000"));
    m_problem->setAccessibleName(QStringLiteral("Entry not taken"));
    m_schedule = new QPlainTextEdit(this);
    m_schedule->setReadOnly(true);
    m_schedule->setAccessibleName(QStringLiteral("Change schedule"));
    m_schedule->setMinimumSize(560, 170);

    std::vector<QLineEdit*> entries = {m_safetyFactor, m_shiftHours, m_wornHours, m_typedFactor};
    for (int slot = kFirstSlot; slot <= kMaxVapors; ++slot) {
        entries.push_back(m_oel[slot]);
        entries.push_back(m_idlh[slot]);
    }
    for (QLineEdit* field : entries) {
        connect(field, &QLineEdit::editingFinished, this, &ChangeScheduleWindow::applyEntries);
    }
    for (QComboBox* choice : {m_basis, m_facepiece}) {
        connect(choice, &QComboBox::currentIndexChanged, this, &ChangeScheduleWindow::applyEntries);
    }
    connect(m_acrossShifts, &QCheckBox::toggled, this, &ChangeScheduleWindow::applyEntries);
}

void ChangeScheduleWindow::buildLayout() {
    auto* rules = new QGroupBox(QStringLiteral("Schedule rules"), this);
    auto* rulesForm = new QFormLayout(rules);
    rulesForm->addRow(QStringLiteral("Safety factor"), m_safetyFactor);
    rulesForm->addRow(QStringLiteral("Basis"), m_basis);
    rulesForm->addRow(QStringLiteral("Shift length (h)"), m_shiftHours);
    rulesForm->addRow(QStringLiteral("Hours worn per shift"), m_wornHours);
    rulesForm->addRow(m_acrossShifts);

    auto* exposure = new QGroupBox(QStringLiteral("Exposure check"), this);
    auto* exposureForm = new QFormLayout;
    exposureForm->addRow(QStringLiteral("Facepiece"), m_facepiece);
    exposureForm->addRow(QStringLiteral("Assigned protection factor"), m_typedFactor);
    auto* limits = new QGridLayout;
    limits->addWidget(new QLabel(QStringLiteral("Exposure limit (ppm)"), exposure), 0, 1);
    limits->addWidget(new QLabel(QStringLiteral("IDLH (ppm)"), exposure), 0, 2);
    for (int slot = kFirstSlot; slot <= kMaxVapors; ++slot) {
        limits->addWidget(m_vaporName[slot], slot, 0);
        limits->addWidget(m_oel[slot], slot, 1);
        limits->addWidget(m_idlh[slot], slot, 2);
    }
    auto* help = new QLabel(kLimitsHelp, exposure);
    help->setWordWrap(true);
    auto* exposureColumn = new QVBoxLayout(exposure);
    exposureColumn->addLayout(exposureForm);
    exposureColumn->addLayout(limits);
    exposureColumn->addWidget(help);

    auto* frame = new QVBoxLayout(this);
    frame->addWidget(rules);
    frame->addWidget(exposure);
    frame->addWidget(m_problem);
    frame->addWidget(m_schedule, 1);
}

void ChangeScheduleWindow::setRun(const CalcState& run) {
    m_run = run;
    showSchedule();
}

void ChangeScheduleWindow::clearRun() {
    m_run.reset();
    showSchedule();
}

void ChangeScheduleWindow::showInputs() {
    const CalcState& st = m_document.state();
    m_showing = true;
    m_safetyFactor->setText(numberText(st.schedule.safetyFactor));
    m_basis->setCurrentIndex(st.schedule.basis == ScheduleBasis::Minimum ? 1 : 0);
    m_shiftHours->setText(numberText(st.schedule.shiftHours));
    m_wornHours->setText(numberText(st.schedule.wornHoursPerShift));
    m_acrossShifts->setChecked(st.schedule.acrossShifts);
    m_facepiece->setCurrentIndex(static_cast<int>(st.exposure.facepiece));
    const bool typed = st.exposure.facepiece == Facepiece::Typed;
    m_typedFactor->setEnabled(typed);
    m_typedFactor->setText(typed ? numberText(st.exposure.typedProtectionFactor) : QString());
    for (int slot = kFirstSlot; slot <= kMaxVapors; ++slot) {
        const VaporData& vapor = st.vapors[slot];
        const bool inUse = slot <= st.vaporCount && isSlotInUse(vapor);
        m_vaporName[slot]->setValue(QString::fromStdString(vapor.chemName));
        m_oel[slot]->setText(vapor.oel ? numberText(*vapor.oel) : QString());
        m_idlh[slot]->setText(vapor.idlh ? numberText(*vapor.idlh) : QString());
        for (QWidget* control : {static_cast<QWidget*>(m_vaporName[slot]), static_cast<QWidget*>(m_oel[slot]),
                                 static_cast<QWidget*>(m_idlh[slot])}) {
            control->setVisible(inUse);
        }
    }
    m_showing = false;
    showSchedule();
}

// Each group is taken whole or not at all, so one wrong entry leaves the others' values in place;
// the fields then show what is in use, and the first refusal says why.
void ChangeScheduleWindow::applyEntries() {
    if (m_showing) {
        return;
    }
    m_problem->clear();
    // Every field is read before the first group is stored, which the fields then show.
    m_applying = true;
    applySchedule();
    applyExposure();
    applyLimits();
    m_applying = false;
    showInputs();
}

void ChangeScheduleWindow::applySchedule() {
    ScheduleInputs rules;
    rules.safetyFactor = numberIn(m_safetyFactor);
    rules.basis = m_basis->currentIndex() == 1 ? ScheduleBasis::Minimum : ScheduleBasis::Estimate;
    rules.shiftHours = numberIn(m_shiftHours);
    rules.wornHoursPerShift = numberIn(m_wornHours);
    rules.acrossShifts = m_acrossShifts->isChecked();
    try {
        m_document.setSchedule(rules);
    } catch (const ProgrammeInputError& refused) {
        m_problem->setText(QString::fromUtf8(refused.what()));
    }
}

void ChangeScheduleWindow::applyExposure() {
    ExposureInputs exposure;
    exposure.facepiece = static_cast<Facepiece>(m_facepiece->currentIndex());
    if (exposure.facepiece == Facepiece::Typed) {
        // A factor chosen before any is typed starts from the half mask's.
        exposure.typedProtectionFactor =
            m_typedFactor->text().isEmpty() ? kHalfMaskProtectionFactor : numberIn(m_typedFactor);
    }
    try {
        m_document.setExposure(exposure);
    } catch (const ProgrammeInputError& refused) {
        if (m_problem->text().isEmpty()) {
            m_problem->setText(QString::fromUtf8(refused.what()));
        }
    }
}

void ChangeScheduleWindow::applyLimits() {
    const CalcState& st = m_document.state();
    for (int slot = kFirstSlot; slot <= st.vaporCount; ++slot) {
        if (!isSlotInUse(st.vapors[slot])) {
            continue;
        }
        try {
            m_document.setExposureLimits(slot, limitIn(m_oel[slot]), limitIn(m_idlh[slot]));
        } catch (const ProgrammeInputError& refused) {
            if (m_problem->text().isEmpty()) {
                m_problem->setText(QString::fromStdString(st.vapors[slot].chemName + ": " + refused.what()));
            }
        }
    }
}

void ChangeScheduleWindow::showSchedule() {
    if (!m_run) {
        m_schedule->setPlainText(QStringLiteral(
            "Calculate the breakthrough times on the results screen: the schedule is drawn from "
            "them."));
        return;
    }
    CalcState run = *m_run;
    copyProgrammeInputs(m_document.state(), run);
    const ProgrammeResult result = programmeResult(run);
    QStringList lines{QString::fromStdString(result.schedule.sentence), QString()};
    lines << QString::fromStdString(exposureSummary(result.exposure));
    for (const std::string& reason : result.exposure.reasons) {
        lines << QStringLiteral("  ") + QString::fromStdString(reason);
    }
    m_schedule->setPlainText(lines.join(QLatin1Char('\n')));
}

}  // namespace quandrelle
