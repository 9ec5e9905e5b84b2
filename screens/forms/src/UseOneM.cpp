#include "quandrelle/screens/forms/UseOneM.h"

#include <QFontMetrics>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "quandrelle/engine/Inputs.h"
#include "quandrelle/screens/forms/InputMasterFive.h"
#include "quandrelle/screens/forms/MassConcentrationEntry.h"
#include "quandrelle/screens/framework/FormNames.h"
#include "quandrelle/validation/FieldLimitTables.h"
#include "quandrelle/validation/NumberReader.h"

namespace quandrelle {
namespace {

double numberIn(const NumericLineEdit* field) {
    return readNumber(field->text().toStdString());
}

// The rows pad their work rates with one tab ("Sitting" with two), so one tab stop that the short
// name passes only with its second tab and every other name passes with its first puts all the
// flows in one column, whatever the font.
qreal suggestionTabStop(const QFontMetrics& metrics) {
    qreal stop = std::numeric_limits<qreal>::max();
    for (const QString& line : UseOneM::kSuggestions.split(QStringLiteral("\r\n"))) {
        if (line.count('\t') == 1) {
            stop = std::min<qreal>(stop, metrics.horizontalAdvance(line.section('\t', 0, 0)) - 1);
        }
    }
    return stop;
}

}  // namespace

const QString UseOneM::kSuggestions = QStringLiteral(
    "Sitting\t\t14\r\n"
    "Light work          \t21\r\n"
    "Moderate work\t30\r\n"
    "Moderately heavy\t37\r\n"
    "Heavy work\t55\r\n"
    "Very heavy work\t75\r\n"
    "  \r\n"
    "Use total flow for PAPRs\r\n");

// The flows are those the suggestions table gives for the same work rates, so that the two never
// disagree; a higher flow shortens the predicted service life.
const std::vector<UseOneM::WorkRatePreset> UseOneM::kWorkRatePresets = {
    {QStringLiteral("Light"), 21},
    {QStringLiteral("Moderate"), 30},
    {QStringLiteral("Heavy"), 55},
    {QStringLiteral("Very heavy"), 75},
};

const QString UseOneM::kCustomWorkRate = QStringLiteral("Custom");

UseOneM::UseOneM(ScreenContext& context) : Form(context, QStringLiteral("Use Conditions")) {
    m_temperature = makeField(kDefaultTemperatureText, QStringLiteral("Enter the temperature"));
    m_atmPressure = makeField(kDefaultPressureText, QStringLiteral("Enter the atmospheric pressure"));
    m_relHumid = makeField(QStringLiteral("50"), QStringLiteral("Enter the relative humidity"));
    m_numCarts =
        makeField(QStringLiteral("2"), QStringLiteral("Enter the number of cartridges on a respirator"));
    m_breathingAirFlow =
        makeField(QStringLiteral("30"), QStringLiteral("Enter the average breathing air flow"));
    m_workRate = makeWorkRate();
    m_returnBtn = new QPushButton(QStringLiteral("Return"), this);
    m_returnBtn->setToolTip(QStringLiteral("Return to top level Data Input screen"));
    m_suggestionsText = kSuggestions;

    addField({.field = m_temperature,
              .limits = limits::kTemperature,
              .next = m_atmPressure,
              .onAccepted = [this] { store(Condition::Temperature); }},
             QStringLiteral("Temperature (o C)"));
    addField({.field = m_atmPressure,
              .limits = limits::kAtmPressure,
              .next = m_relHumid,
              .onAccepted = [this] { store(Condition::Pressure); }},
             QStringLiteral("Atmospheric Pressure (atm)"));
    addField({.field = m_relHumid,
              .limits = limits::kRelHumidity,
              .next = m_numCarts,
              .onAccepted = [this] { store(Condition::RelHumidity); }},
             QStringLiteral("Relative Humidity (%)"));
    addField({.field = m_numCarts,
              .limits = limits::kCartridgesPerRespirator,
              .next = m_breathingAirFlow,
              .onAccepted = [this] { store(Condition::Cartridges); }},
             QStringLiteral("Number of Cartridges on a Respirator"));
    addField({.field = m_breathingAirFlow,
              .limits = limits::kAirFlow,
              .next = m_returnBtn,
              .onAccepted = [this] { store(Condition::AirFlow); }},
             QStringLiteral("Average Breathing Air Flow (L/min)"));
    onCommand(m_returnBtn, [this] { onReturn(); });
    connect(&document(), &CalcDocument::conditionsChanged, this, [this] { showConditions(); });
    connect(m_workRate, &QComboBox::activated, this, &UseOneM::onWorkRatePicked);
    connect(m_breathingAirFlow, &QLineEdit::textChanged, this, &UseOneM::showWorkRateOfAirFlow);
    showWorkRateOfAirFlow();

    buildLayout();
    // The defaults set above count as unchanged: only what the user alters is looked at again.
    for (NumericLineEdit* field :
         {m_temperature, m_atmPressure, m_relHumid, m_numCarts, m_breathingAirFlow}) {
        field->setDataChanged(false);
    }
    // Conditions already entered on the results screen replace the defaults.
    showConditions();
    m_temperature->setFocus();
}

NumericLineEdit* UseOneM::makeField(const QString& text, const QString& toolTip) {
    auto* field = new NumericLineEdit(this);
    field->setText(text);
    field->setToolTip(toolTip);
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, QColor(255, 192, 192));
    palette.setColor(QPalette::Text, Qt::black);
    field->setPalette(palette);
    field->setMaximumWidth(110);
    return field;
}

QComboBox* UseOneM::makeWorkRate() {
    auto* box = new QComboBox(this);
    for (const WorkRatePreset& preset : kWorkRatePresets) {
        box->addItem(QStringLiteral("%1 (%2 L/min)").arg(preset.name).arg(preset.airFlow), preset.airFlow);
    }
    box->addItem(kCustomWorkRate);
    box->setToolTip(QStringLiteral("Pick a work rate to enter its breathing air flow"));
    box->setAccessibleName(QStringLiteral("Work rate"));
    return box;
}

// A preset goes into the air flow field as if typed there, through the field's own check and store.
void UseOneM::onWorkRatePicked(int index) {
    const QVariant flow = m_workRate->itemData(index);
    if (!flow.isValid()) {
        return;  // Custom: the field keeps whatever the user typed
    }
    m_breathingAirFlow->setText(QString::number(flow.toInt()));
    fields().check(*fields().rowOf(m_breathingAirFlow));
}

// The drop-down names the preset whose flow the field holds, and Custom for any other number.
void UseOneM::showWorkRateOfAirFlow() {
    const double flow = numberIn(m_breathingAirFlow);
    const auto preset = std::find_if(kWorkRatePresets.begin(), kWorkRatePresets.end(),
                                     [flow](const WorkRatePreset& p) { return p.airFlow == flow; });
    m_workRate->setCurrentIndex(preset == kWorkRatePresets.end()
                                    ? m_workRate->findText(kCustomWorkRate)
                                    : static_cast<int>(preset - kWorkRatePresets.begin()));
}

void UseOneM::buildLayout() {
    auto* heading = new QLabel(QStringLiteral("Accept or Change Default Values"), this);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.2);
    heading->setFont(headingFont);

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight);
    form->setHorizontalSpacing(14);
    form->addRow(QStringLiteral("Temperature (o C)"), m_temperature);
    form->addRow(QStringLiteral("Atmospheric Pressure (atm)"), m_atmPressure);
    form->addRow(QStringLiteral("Relative Humidity (%)"), m_relHumid);
    form->addRow(QStringLiteral("Number of Cartridges on a Respirator"), m_numCarts);
    auto* airFlowRow = new QHBoxLayout;
    airFlowRow->addWidget(m_breathingAirFlow);
    airFlowRow->addWidget(m_workRate);
    airFlowRow->addStretch();
    form->addRow(QStringLiteral("Average Breathing Air Flow (L/min)"), airFlowRow);

    auto* suggestionsLabel = new QLabel(QStringLiteral("Suggestions: "), this);
    m_text7 = new QPlainTextEdit(this);
    // Shown without the carriage returns, which a text view would draw as characters of their own.
    m_text7->setPlainText(QString(kSuggestions).remove('\r'));
    m_text7->setReadOnly(true);
    m_text7->setTabChangesFocus(true);
    m_text7->setFrameShape(QFrame::NoFrame);
    m_text7->setBackgroundRole(QPalette::Window);
    m_text7->viewport()->setBackgroundRole(QPalette::Window);
    m_text7->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text7->setTabStopDistance(suggestionTabStop(m_text7->fontMetrics()));
    m_text7->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text7->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text7->setFixedHeight(m_text7->fontMetrics().lineSpacing() * 9 + 8);
    m_text7->setMinimumWidth(m_text7->fontMetrics().horizontalAdvance(QStringLiteral("x")) * 34);
    m_text7->setAccessibleName(suggestionsLabel->text());
    suggestionsLabel->setBuddy(m_text7);

    auto* suggestions = new QHBoxLayout;
    suggestions->addWidget(suggestionsLabel, 0, Qt::AlignTop);
    suggestions->addWidget(m_text7, 1);

    auto* commands = new QHBoxLayout;
    commands->addStretch();
    commands->addWidget(m_returnBtn);

    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(20, 16, 20, 16);
    frame->addWidget(heading, 0, Qt::AlignHCenter);
    frame->addSpacing(10);
    frame->addLayout(form);
    frame->addSpacing(10);
    frame->addLayout(suggestions);
    frame->addLayout(commands);

    setTabOrder(m_temperature, m_atmPressure);
    setTabOrder(m_atmPressure, m_relHumid);
    setTabOrder(m_relHumid, m_numCarts);
    setTabOrder(m_numCarts, m_breathingAirFlow);
    setTabOrder(m_breathingAirFlow, m_workRate);
    setTabOrder(m_workRate, m_returnBtn);
    setTabOrder(m_returnBtn, m_text7);
}

std::array<NumericLineEdit*, kConditionCount> UseOneM::conditionFields() const {
    // In the order of the conditions.
    return {m_temperature, m_atmPressure, m_relHumid, m_numCarts, m_breathingAirFlow};
}

void UseOneM::store(Condition condition) {
    const NumericLineEdit* field = conditionFields()[static_cast<std::size_t>(condition)];
    document().setCondition(condition, numberIn(field), field->text());
}

void UseOneM::showConditions() {
    // The texts as last entered, here or on the results screen; a condition never entered keeps
    // the default shown.
    const auto fields = conditionFields();
    for (std::size_t i = 0; i < kConditionCount; ++i) {
        const std::optional<QString>& entered = document().conditionText(static_cast<Condition>(i));
        if (entered && fields[i]->text() != *entered) {
            fields[i]->setText(*entered);
        }
    }
}

void UseOneM::onReturn() {
    for (const NumericLineEdit* field :
         {m_temperature, m_atmPressure, m_relHumid, m_numCarts, m_breathingAirFlow}) {
        if (field->text().isEmpty()) {
            showNote(messenger(), "All fields must be filled with valid values.");
            m_temperature->setFocus();
            return;
        }
    }
    m_temperature->setFocus();
    document().setConditions(UseConditions{.temperature = numberIn(m_temperature),
                                           .pressure = numberIn(m_atmPressure),
                                           .relHumidity = numberIn(m_relHumid),
                                           .cartridges = numberIn(m_numCarts),
                                           .airFlow = numberIn(m_breathingAirFlow)},
                             {m_temperature->text(), m_atmPressure->text(), m_relHumid->text(),
                              m_numCarts->text(), m_breathingAirFlow->text()});
    forms().ShowForm(forms::kInputMasterFive);
    forms().form<InputMasterFive>(forms::kInputMasterFive).continueButton()->setFocus();
    hide();
}

void UseOneM::closeRequested() {
    onReturn();
}

}  // namespace quandrelle
