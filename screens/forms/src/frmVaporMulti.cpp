#include "quandrelle/screens/forms/frmVaporMulti.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QTimer>
#include <QVBoxLayout>

#include "quandrelle/engine/CalcError.h"
#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/engine/Inputs.h"
#include "quandrelle/engine/SetUp.h"
#include "quandrelle/screens/dialogs/Failure.h"
#include "quandrelle/screens/forms/InputMasterFive.h"
#include "quandrelle/screens/forms/MassConcentrationEntry.h"
#include "quandrelle/screens/forms/StoreCatchUp.h"
#include "quandrelle/screens/framework/FormNames.h"
#include "quandrelle/stores/NameIndex.h"
#include "quandrelle/stores/RecordText.h"
#include "quandrelle/stores/StoreError.h"
#include "quandrelle/validation/FieldLimitTables.h"
#include "quandrelle/validation/NumberReader.h"
#include "quandrelle/validation/ValidDataEntry.h"

namespace quandrelle {
namespace {

const QColor kFieldColour(192, 192, 255);

// One number field of the screen: what the user reads beside it, the tip, the text at first load,
// the limits, and the slot quantity and record field it stands for.
struct NumberRow {
    const char* label;
    const char* toolTip;
    const char* initialText;
    const FieldLimits& limits;
    float VaporData::*slotField;
    double VaporInput::*inputField;
    std::string VaporRecord::*recordField;
};

const std::array<NumberRow, 8> kNumbers = {{
    {"Molecular Weight", "Enter the molecular weight", " ", limits::kMolWt, &VaporData::molWt,
     &VaporInput::molWt, &VaporRecord::molWt},
    {"Liquid Density", "Enter the liquid density", " ", limits::kLiqDensity, &VaporData::liqDensity,
     &VaporInput::liqDensity, &VaporRecord::liqDensity},
    {"Molecular Polarizability", "Enter the molecular polarizability", " ", limits::kMolPolariz,
     &VaporData::molPolariz, &VaporInput::molPolariz, &VaporRecord::molPolariz},
    {"Water Solubility Factor", "Enter the water solubility factor", " ", limits::kWaterSolFactor,
     &VaporData::waterSolFactor, &VaporInput::waterSolFactor, &VaporRecord::waterSolFactor},
    {"Average Vapor Concentration (ppm)", "Enter the average vapor concentration", "",
     limits::kVaporConcentration, &VaporData::avgConc, &VaporInput::concentration, &VaporRecord::avgConc},
    {"A", "Enter parameter A ", " ", limits::kAntoineA, &VaporData::antoineA, &VaporInput::antoineA,
     &VaporRecord::antoineA},
    {"B", "Enter parameter B", " ", limits::kAntoineB, &VaporData::antoineB, &VaporInput::antoineB,
     &VaporRecord::antoineB},
    {"C", "Enter parameter C", "", limits::kAntoineC, &VaporData::antoineC, &VaporInput::antoineC,
     &VaporRecord::antoineC},
}};

const QString kAntoineHeading = QStringLiteral("Antoine Vapor Pressure Parameters (torr)");
constexpr int kFirstAntoine = 5;

void paint(QWidget* widget, QPalette::ColorRole role) {
    QPalette palette = widget->palette();
    palette.setColor(role, kFieldColour);
    widget->setPalette(palette);
}

QPushButton* commandButton(const QString& caption, const QString& toolTip, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setToolTip(toolTip);
    // Read out without the runs of blanks that lay the caption out.
    button->setAccessibleName(caption.simplified());
    paint(button, QPalette::Button);
    return button;
}

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

std::string toUtf8(const QString& text) {
    return text.toStdString();
}

}  // namespace

frmVaporMulti::frmVaporMulti(ScreenContext& context) : Form(context, QStringLiteral("Organic Vapor Data")) {
    buildFields();
    buildLayout();
    connectEvents();
    // The load step: open the vapor file and list its names.
    if (openStore("Organic Vapor Data")) {
        refillList(true);
    }
}

frmVaporMulti::~frmVaporMulti() = default;

bool frmVaporMulti::openStore(const std::string& title) {
    return openStoreOnce(m_store, context().dataFolder(), messenger(), title);
}

void frmVaporMulti::buildFields() {
    m_chemName = new NameComboBox(this);
    m_chemName->setToolTip(
        QStringLiteral("Select a chemical using the drop down arrow or enter a new chemical name"));
    m_chemName->setEditText(QString::fromUtf8(kNoneSelected));
    paint(m_chemName, QPalette::Base);

    m_cmdExit = commandButton(QStringLiteral("Return"),
                              QStringLiteral("Return to top level Data Input screen"), this);
    m_cmdSearch = commandButton(
        QStringLiteral(" Search for Data"),
        QStringLiteral("Search for data fields for the selected chemical name or CAS number"), this);
    m_cmdSave =
        commandButton(QStringLiteral("   Save     Entry in Database"),
                      QStringLiteral("Save the entered data fields for the selected chemical name"), this);
    m_cmdClear = commandButton(QStringLiteral("   Clear     Data"),
                               QStringLiteral("Clear all current data entry fields"), this);

    for (std::size_t i = 0; i < kNumbers.size(); ++i) {
        m_numbers[i] = new NumericLineEdit(this);
    }
    for (std::size_t i = 0; i < kNumbers.size(); ++i) {
        const NumberRow& numberRow = kNumbers[i];
        NumericLineEdit* field = m_numbers[i];
        field->setText(QString::fromUtf8(numberRow.initialText));
        field->setToolTip(QString::fromUtf8(numberRow.toolTip));
        paint(field, QPalette::Base);
        QWidget* next = i + 1 < kNumbers.size() ? static_cast<QWidget*>(m_numbers[i + 1]) : m_cmdExit;
        const QString label = QString::fromUtf8(numberRow.label);
        addField({.field = field, .limits = numberRow.limits, .next = next},
                 static_cast<int>(i) >= kFirstAntoine ? kAntoineHeading + ' ' + label : label);
    }

    // The concentration in the other unit: typed here, it is entered as its ppm with the ppm
    // field's limits, and like a ppm entry it holds the focus while that entry is refused.
    m_avgVapConcMass = new NumericLineEdit(this);
    addField(
        {.field = m_avgVapConcMass, .next = antoineA(), .check = [this] { return avgVapConcMassEntered(); }},
        QStringLiteral("Average Vapor Concentration (mg/m³)"));
    connect(m_avgVapConcMass, &QLineEdit::textEdited, this, [this] { m_massTyped = true; });

    // The CAS number is text, not a number, but like the number fields it selects its whole text
    // on getting the focus and reports when the focus has left it.
    m_cas = new NumericLineEdit(this);
    m_cas->setToolTip(QStringLiteral("Enter the CAS number (can be used to search for data)."));
    m_cas->setAccessibleName(QStringLiteral("CAS Number"));
    paint(m_cas, QPalette::Base);

    // The first texts are not entries: the check looks only at what the user or a search changes.
    for (NumericLineEdit* field : m_numbers) {
        field->setDataChanged(false);
    }
}

void frmVaporMulti::buildLayout() {
    auto* instruction = new QLabel(
        QStringLiteral("Select a vapor from the list below, enter its name, or enter its CAS number. Then "
                       "search for or enter data."),
        this);
    instruction->setWordWrap(true);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(6);
    int row = 0;
    // The box is read out by its contents; its "Name" label reaches assistive technology as the
    // label of the box.
    auto* nameLabel = new QLabel(QStringLiteral("Name"), this);
    nameLabel->setBuddy(m_chemName);
    grid->addWidget(nameLabel, row, 0, Qt::AlignRight);
    grid->addWidget(m_chemName, row++, 1);
    for (std::size_t i = 0; i < kNumbers.size(); ++i) {
        if (static_cast<int>(i) == kFirstAntoine) {
            auto* heading = new QLabel(kAntoineHeading, this);
            QFont font = heading->font();
            font.setBold(true);
            heading->setFont(font);
            grid->addWidget(heading, row++, 0, 1, 2);
        }
        grid->addWidget(new QLabel(QString::fromUtf8(kNumbers[i].label), this), row, 0, Qt::AlignRight);
        if (m_numbers[i] == avgVapConc()) {
            auto* withMass = new QHBoxLayout;
            withMass->addWidget(m_numbers[i]);
            withMass->addWidget(m_avgVapConcMass);
            m_avgVapConcMass->setFixedWidth(110);
            withMass->addWidget(new QLabel(QStringLiteral("mg/m³"), this));
            withMass->addStretch();
            grid->addLayout(withMass, row++, 1);
        } else {
            grid->addWidget(m_numbers[i], row++, 1, Qt::AlignLeft);
        }
        m_numbers[i]->setFixedWidth(110);
    }
    grid->addWidget(new QLabel(QStringLiteral("CAS Number"), this), row, 0, Qt::AlignRight);
    grid->addWidget(m_cas, row++, 1, Qt::AlignLeft);
    m_cas->setFixedWidth(150);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {m_cmdSearch, m_cmdSave, m_cmdClear, m_cmdExit}) {
        button->setMinimumWidth(220);
        buttons->addWidget(button);
    }
    buttons->addStretch();

    auto* columns = new QHBoxLayout;
    columns->addLayout(grid);
    columns->addSpacing(16);
    columns->addLayout(buttons);

    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(18, 14, 18, 14);
    frame->addWidget(instruction);
    frame->addSpacing(8);
    frame->addLayout(columns);

    QWidget* previous = m_chemName;
    for (QWidget* next : {static_cast<QWidget*>(m_numbers[0]), static_cast<QWidget*>(m_numbers[1]),
                          static_cast<QWidget*>(m_numbers[2]), static_cast<QWidget*>(m_numbers[3]),
                          static_cast<QWidget*>(m_numbers[4]), static_cast<QWidget*>(m_numbers[5]),
                          static_cast<QWidget*>(m_numbers[6]), static_cast<QWidget*>(m_numbers[7]),
                          static_cast<QWidget*>(m_cmdExit), static_cast<QWidget*>(m_cmdSearch),
                          static_cast<QWidget*>(m_cmdSave), static_cast<QWidget*>(m_cmdClear),
                          static_cast<QWidget*>(m_cas), static_cast<QWidget*>(m_avgVapConcMass)}) {
        setTabOrder(previous, next);
        previous = next;
    }
}

void frmVaporMulti::connectEvents() {
    // Typing in the name box or the program setting it is a change of the name; picking a name
    // from the list is not.
    connect(m_chemName, &NameComboBox::typed, this, [this] { onChemNameChange(); });
    connect(m_chemName, &NameComboBox::programSet, this, [this] { onChemNameChange(); });
    connect(m_chemName, &NameComboBox::gotFocus, this, [this] { onChemNameGotFocus(); });
    // The search mode follows which of the name box and the CAS field the focus left last.
    connect(m_chemName, &NameComboBox::lostFocus, this, [this] { m_searchByCas = 0; });
    connect(m_cas, &NumericLineEdit::focusLost, this, [this] { m_searchByCas = 1; });

    for (NumericLineEdit* field : {molWt(), avgVapConc()}) {
        connect(field, &QLineEdit::textChanged, this, [this] { showAvgVapConcMass(); });
    }

    onCommand(m_cmdExit, [this] { onExit(); });
    onCommand(m_cmdSearch, [this] { onSearch(); });
    onCommand(m_cmdSave, [this] { onSave(); });
    onCommand(m_cmdClear, [this] { onClear(); });
}

void frmVaporMulti::showEvent(QShowEvent* event) {
    Form::showEvent(event);
    // The use conditions may have changed while the screen was hidden, and the file too.
    showAvgVapConcMass();
    catchUpQuietly(m_store.get());
    refillListIfBehind();
}

// Shown for the numbers as Return would store them, at the use conditions the next run uses (their
// defaults while none were accepted); empty while either number is missing.
void frmVaporMulti::showAvgVapConcMass() {
    const double ppm = readNumber(toUtf8(avgVapConc()->text()));
    const double weight = readNumber(toUtf8(molWt()->text()));
    m_avgVapConcMass->setText(massConcentrationShown(state(), ppm, weight));
    m_avgVapConcMass->setToolTip(massFieldToolTip(state(), QStringLiteral("The average concentration")));
    m_massTyped = false;
}

// A refused conversion leaves the ppm field as it was and keeps what the user typed here, with the
// focus, to be corrected or emptied: the ppm field only ever receives an accepted entry this way.
bool frmVaporMulti::avgVapConcMassEntered() {
    const QString typed = m_avgVapConcMass->text().trimmed();
    if (!m_massTyped) {
        return true;
    }
    if (typed.isEmpty()) {
        showAvgVapConcMass();
        return true;
    }
    std::optional<QString> ppm;
    try {
        ppm = ppmTextForMass(state(), typed, readNumber(toUtf8(molWt()->text())), messenger());
    } catch (const CalcError& error) {
        reportFailure(messenger(), error);
        return false;
    }
    if (!ppm) {
        // Nothing to convert with: the entry goes, and the next attempt to leave is let through.
        m_avgVapConcMass->clear();
        m_massTyped = false;
        return false;
    }
    NumericLineEdit* ppmField = avgVapConc();
    const QString before = ppmField->text();
    const bool beforeChanged = ppmField->dataChanged();
    ppmField->setText(*ppm);
    ppmField->setDataChanged(true);
    if (ValidUserInput(ppmField->entry(), limits::kVaporConcentration, messenger())) {
        // Shown again from the ppm entered, as the ppm field shows it.
        showAvgVapConcMass();
        return true;
    }
    ppmField->setText(before);
    ppmField->setDataChanged(beforeChanged);
    m_avgVapConcMass->setText(typed);
    m_avgVapConcMass->selectAll();
    m_massTyped = true;
    return false;
}

void frmVaporMulti::rememberShownVapor(const std::string& dataSource) {
    m_shownVapor = typedRecord();
    m_shownSource = dataSource;
}

// The library is credited only for the properties it gave; the concentration is the user's own
// and may be changed freely. Anything else typed or changed makes the vapor the user's.
std::string frmVaporMulti::dataSourceOnReturn() const {
    if (!m_shownVapor) {
        return {};
    }
    VaporRecord shown = *m_shownVapor;
    VaporRecord now = typedRecord();
    shown.avgConc.clear();
    now.avgConc.clear();
    return shown == now ? m_shownSource : std::string();
}

void frmVaporMulti::onChemNameChange() {
    // Another name: whatever the fields showed belonged to the previous one.
    m_searchByCas = 0;
    ClearVaporData();
}

void frmVaporMulti::onChemNameGotFocus() {
    if (m_chemName->currentText().isEmpty()) {
        setChemName(QString::fromUtf8(kNoneSelected));
    }
    m_chemName->lineEdit()->selectAll();
}

void frmVaporMulti::setChemName(const QString& text) {
    m_chemName->setTextByProgram(text);
}

void frmVaporMulti::ClearVaporData() {
    for (NumericLineEdit* field : m_numbers) {
        field->clear();
    }
    m_cas->clear();
}

void frmVaporMulti::ClearVaporForm() {
    m_shownVapor.reset();
    ClearVaporData();
    setChemName(QString());
}

void frmVaporMulti::SetOldVaporFields(int slot) {
    const VaporData& vapor = state().vapors[slot];
    setChemName(fromUtf8(vapor.chemName));
    for (std::size_t i = 0; i < kNumbers.size(); ++i) {
        m_numbers[i]->setText(fromUtf8(generalText(vapor.*kNumbers[i].slotField)));
    }
    m_cas->setText(fromUtf8(vapor.casNumber));
    rememberShownVapor(vapor.dataSource);
}

void frmVaporMulti::RefillChemicalList(int recordCount) {
    if (m_store == nullptr) {
        m_chemName->replaceItems({}, false);
        return;
    }
    QStringList items;
    const std::vector<std::string> entries = m_store->listEntries();
    for (int i = 0; i < recordCount && i < static_cast<int>(entries.size()); ++i) {
        items.append(fromUtf8(entries[static_cast<std::size_t>(i)]));
    }
    m_chemName->replaceItems(items, false);
}

// The refills of this screen's own commands keep the name the user typed in view: a search that
// finds nothing, or a save of a name already on file, leaves the name as it was.
void frmVaporMulti::refillList(bool keepName) {
    QStringList items;
    if (m_store != nullptr) {
        for (const std::string& entry : m_store->listEntries()) {
            items.append(fromUtf8(entry));
        }
    }
    m_chemName->replaceItems(items, keepName);
    m_listedChanges = m_store != nullptr ? m_store->outsideChanges() : 0;
}

// Another program may have saved into the file since the list was filled: the names it added are
// listed too, and the name typed stays.
void frmVaporMulti::refillListIfBehind() {
    if (m_store != nullptr && m_store->outsideChanges() != m_listedChanges) {
        refillList(true);
    }
}

int frmVaporMulti::vaporRecordCount() const {
    return m_store == nullptr ? 0 : m_store->numVaporRecs();
}

void frmVaporMulti::setAvgVapConcText(const QString& text) {
    avgVapConc()->setText(text);
}

void frmVaporMulti::focusChemName() {
    m_chemName->setFocus(Qt::OtherFocusReason);
    onChemNameGotFocus();
    // The window system delivers the focus of a screen the program has just shown in its own way:
    // offscreen at once, on X11 with the window's activation (a reason the box does not take for
    // the user's), without a window manager perhaps never. The steps of getting the focus run
    // again once the command that opened this screen has finished its work on the fields (the
    // hub refills the list and writes the concentration after it has put the focus here), so the
    // box ends as its rule says whichever way the focus came.
    QTimer::singleShot(0, this, [this] {
        if (isVisible() && focusWidget() == m_chemName) {
            onChemNameGotFocus();
        }
    });
}

void frmVaporMulti::showRecord(const VaporRecord& record) {
    // The name first: setting it empties the other fields.
    setChemName(fromUtf8(record.chemName));
    for (std::size_t i = 0; i < kNumbers.size(); ++i) {
        m_numbers[i]->setText(fromUtf8(record.*kNumbers[i].recordField));
    }
    m_cas->setText(fromUtf8(record.casNumber));
}

VaporRecord frmVaporMulti::typedRecord() const {
    VaporRecord record;
    record.chemName = toUtf8(m_chemName->currentText());
    for (std::size_t i = 0; i < kNumbers.size(); ++i) {
        record.*kNumbers[i].recordField = toUtf8(m_numbers[i]->text());
    }
    record.casNumber = toUtf8(m_cas->text());
    return record;
}

void frmVaporMulti::onSearch() {
    const std::string title = "Search for a Record";
    if (!openStore(title)) {
        return;
    }
    const bool byCas = m_searchByCas == 1;
    const std::string findText =
        byCas ? trimBlanks(toUtf8(m_cas->text())) : nameSearchText(toUtf8(m_chemName->currentText()));
    try {
        m_store->refresh();
        VaporSearchResult result;
        if (byCas) {
            // The list then holds only the names found, and the name box nothing: the name goes
            // with the list, without counting as a change of the name.
            result = m_store->Search(findText, VaporSearchMode::ByCas);
            QStringList names;
            for (const std::string& name : result.casMatchNames) {
                names.append(fromUtf8(name));
            }
            m_chemName->replaceItems(names, false);
        } else {
            result = m_store->Search(findText, VaporSearchMode::ByName);
            refillList(true);
        }
        if (result.position < 1) {
            messenger().show(
                Message{"Can't find " + findText + ".", title, MessageButtons::Ok, MessageIcon::None});
            return;
        }
        const std::int16_t recNum = m_store->chemIndex().at(static_cast<std::size_t>(result.position)).recNum;
        const VaporRecord found = m_store->ShowVaporRecord(recNum);
        showRecord(found);
        rememberShownVapor(m_store->recordCredit(found.chemName));
    } catch (const StoreError& error) {
        reportStoreError(messenger(), error, title);
    }
}

void frmVaporMulti::onSave() {
    const QString name = m_chemName->currentText();
    if (trimBlanks(toUtf8(name)).empty()) {
        messenger().show(Message{"Enter a chemical name.", std::string("Add a Record"), MessageButtons::Ok,
                                 MessageIcon::None});
        return;
    }
    if (!openStore("Add a Record")) {
        return;
    }
    const VaporRecord typed = typedRecord();
    std::string title = "Add a Record";
    try {
        const VaporSaveResult result = m_store->Save(typed);
        if (result.status == SaveStatus::OnFile) {
            refillList(true);
            title = "Revise a Record";
            const MessageAnswer answer = messenger().show(
                Message{"This chemical is already on file.\r\nDo you want to save \r\na revised record?",
                        title, MessageButtons::YesNo, MessageIcon::None});
            if (answer == MessageAnswer::Yes) {
                m_store->Revise(result.position, typed);
                refillListIfBehind();
            }
            return;
        }
        if (result.status == SaveStatus::Added) {
            // Shown as stored, so that a text cut to its field's width is seen cut.
            refillList(false);
            showRecord(result.shown);
        }
    } catch (const StoreError& error) {
        // Nothing was written; the screen keeps what the user typed. Another program kept the
        // file, or changed it under the question: the message names it, and the list shows the
        // file as it now stands.
        refillListIfBehind();
        reportStoreError(messenger(), error, title);
    }
}

void frmVaporMulti::onClear() {
    ClearVaporForm();
    focusChemName();
}

void frmVaporMulti::onExit() {
    auto& hub = forms().form<InputMasterFive>(forms::kInputMasterFive);
    const int slot = hub.selectedVapIdx();
    if (slot < 1 || slot > kMaxVapors) {
        // Not opened for a slot: nothing to fill.
        hide();
        forms().ShowForm(forms::kInputMasterFive);
        return;
    }
    const QString name = m_chemName->currentText();
    if (isNoneSelected(toUtf8(name))) {
        // Left without a vapor: the slot keeps what it held, and the mixture has one vapor fewer.
        document().leaveVaporSlotFree(slot);
        hide();
        forms().ShowForm(forms::kInputMasterFive);
        return;
    }
    bool missing = name.isEmpty() || m_cas->text().isEmpty();
    for (const NumericLineEdit* field : m_numbers) {
        missing = missing || field->text().isEmpty();
    }
    if (missing) {
        ShowIncompleteDialog();
        if (!context().program.isEnding()) {
            focusChemName();
        }
        return;
    }

    VaporInput typed{.name = toUtf8(name), .cas = toUtf8(m_cas->text()), .dataSource = dataSourceOnReturn()};
    for (std::size_t i = 0; i < kNumbers.size(); ++i) {
        typed.*kNumbers[i].inputField = readNumber(toUtf8(m_numbers[i]->text()));
    }
    // The hub shows the new name and opens the next slot as it is told of the change.
    document().setVapor(slot, typed);

    hide();
    forms().ShowForm(forms::kInputMasterFive);
    if (slot < kMaxVapors) {
        hub.selectVapButton(slot + 1)->setFocus();
    } else {
        hub.selectUseButton()->setFocus();
    }
}

void frmVaporMulti::closeRequested() {
    onExit();
}

}  // namespace quandrelle
