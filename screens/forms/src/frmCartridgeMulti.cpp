#include "quandrelle/screens/forms/frmCartridgeMulti.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/engine/Inputs.h"
#include "quandrelle/scenario/ScenarioFile.h"
#include "quandrelle/screens/fit/FitWindow.h"
#include "quandrelle/screens/forms/InputMasterFive.h"
#include "quandrelle/screens/forms/StoreCatchUp.h"
#include "quandrelle/screens/framework/FormNames.h"
#include "quandrelle/stores/NameIndex.h"
#include "quandrelle/stores/RecordText.h"
#include "quandrelle/stores/StoreError.h"
#include "quandrelle/validation/FieldLimitTables.h"
#include "quandrelle/validation/NumberReader.h"

namespace quandrelle {
namespace {

const QColor kFieldColour(192, 255, 192);

struct NumberRow {
    const char* label;
    const char* toolTip;
    // What the value means, its usual range for respirator cartridges, and how a user obtains it.
    const char* help;
    const FieldLimits& limits;
    std::string CartridgeRecord::*recordField;
};

const std::array<NumberRow, 8> kNumbers = {{
    {"Bed Diameter (cm)", "Enter the bed diameter in centimeters",
     "The inside diameter of the carbon bed of one cartridge, across which the air enters. Respirator "
     "cartridges: about 5 to 10 cm. Measure it across the carbon of a cut-open cartridge, or keep the 8 cm "
     "of the starter cartridges.",
     limits::kBedDiameter, &CartridgeRecord::bedDiam},
    {"Bed Depth (cm)", "Enter the bed depth in centimeters",
     "The depth of the carbon layer the air passes through. Respirator cartridges: about 1 to 3 cm. Measure "
     "it on a cut-open cartridge, or keep the 3 cm of the starter cartridges.",
     limits::kBedDepth, &CartridgeRecord::bedDepth},
    {"Carbon Weight (g) per Cartridge or Bed", "Enter the carbon weight in grams",
     "The weight of activated carbon in one cartridge (or the whole bed). Respirator cartridges: about 25 to "
     "40 g. Weigh the carbon poured out of a cartridge, or the cartridge before and after emptying it.",
     limits::kCarbonWeight, &CartridgeRecord::carbWgt},
    {"Micropore Volume (cm3/g)", "Enter the micropore volume in cubic centimeters per gram",
     "The volume of the carbon's fine pores per gram, which holds the adsorbed vapor: the cartridge's "
     "capacity. Respirator carbons: about 0.3 to 0.6 cm3/g. Makers seldom state it: fit it to a known "
     "breakthrough time with Fit from test data..., or start from a starter cartridge.",
     limits::kMicroporeVolume, &CartridgeRecord::micVol},
    {"Preconditioned Relative Humidity (%)", "Enter the percent for preconditioned relative humidity",
     "The relative humidity the carbon was kept at before use; water already on the carbon shortens its "
     "life. Cartridges used as received from a sealed pack: about 50 %. Use the humidity of storage, or of a "
     "test's conditioning.",
     limits::kPrecondRH, &CartridgeRecord::relHumPre},
    {"Carbon Granule Average Diameter (cm)", "Enter the carbon granule average diameter in centimeters",
     "The average diameter of the carbon granules; smaller granules take up vapor faster. Respirator "
     "carbons: about 0.05 to 0.2 cm. From the maker's carbon data or a sieved sample; otherwise keep 0.1 cm.",
     limits::kGranuleDiameter, &CartridgeRecord::diamGran},
    {"Adsorption Potential for Benzene (KJ/mol)",
     "Enter the adsorption potential for benzene in kilojules per mole",
     "How strongly the carbon holds vapors, as its adsorption energy for benzene, the reference vapor. "
     "Respirator carbons: about 16 to 30 kJ/mol; the starter cartridges hold 19. It needs a laboratory "
     "isotherm: fit it with the micropore volume from known times of two vapors or concentrations, or keep "
     "the typical value.",
     limits::kBenzenePotential, &CartridgeRecord::apBenzene},
    {"Affinity Coefficient for Water", "Enter the affinity coefficient for water",
     "The affinity coefficient of water on the carbon, which sets how much water it takes up from humid air. "
     "Typical carbons: about 0.05 to 0.07 (0.06 in the examples). Keep the typical value unless the maker "
     "gives a water isotherm.",
     limits::kWaterAffinity, &CartridgeRecord::affinityForWater},
}};

void paintBase(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, kFieldColour);
    widget->setPalette(palette);
}

QPushButton* commandButton(const QString& caption, const QString& toolTip, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setToolTip(toolTip);
    // Read out without the runs of blanks that lay the caption out.
    button->setAccessibleName(caption.simplified());
    return button;
}

double numberIn(const NumericLineEdit* field) {
    return readNumber(field->text().toStdString());
}

}  // namespace

frmCartridgeMulti::frmCartridgeMulti(ScreenContext& context)
    : Form(context, QStringLiteral("Cartridge or Carbon Bed Data")) {
    buildFields();
    buildLayout();
    // The load step: open the cartridge file and list its names.
    if (openStore("Cartridge or Carbon Bed Data")) {
        refillList();
    }
    m_cartName->setEditText(QString::fromUtf8(kNoneSelected));
    m_cartName->setFocus();
    // A calculation opened from a file shows its cartridge here as if it had been typed, whether
    // this screen was built before the file was opened or after.
    if (!document().fileName().isEmpty()) {
        showOpenedCartridge();
    }
    connect(&document(), &CalcDocument::calculationOpened, this, [this] { showOpenedCartridge(); });
}

void frmCartridgeMulti::showOpenedCartridge() {
    const CartridgeInput typed = calc::cartridgeEntries(state());
    CartridgeRecord record;
    record.cartName = typed.name;
    const std::array<double, 8> numbers = {typed.bedDiameter,      typed.bedDepth,     typed.carbonWeight,
                                           typed.microporeVolume,  typed.precondRH,    typed.granuleDiameter,
                                           typed.benzenePotential, typed.waterAffinity};
    for (std::size_t i = 0; i < kNumbers.size(); ++i) {
        record.*kNumbers[i].recordField = generalText(numbers[i]);
    }
    ShowCartridgeRecord(record);
}

frmCartridgeMulti::~frmCartridgeMulti() = default;

bool frmCartridgeMulti::openStore(const std::string& title) {
    return openStoreOnce(m_store, context().dataFolder(), messenger(), title);
}

void frmCartridgeMulti::buildFields() {
    m_cartName = new NameComboBox(this);
    m_cartName->setToolTip(
        QStringLiteral("Select a cartridge using the drop down arrow or enter a new cartridge name "));
    paintBase(m_cartName);
    // Typing, the program setting the name and picking a name from the list all mean another
    // cartridge: the values shown belonged to the previous one.
    connect(m_cartName, &NameComboBox::typed, this, [this] { clearNumbers(); });
    connect(m_cartName, &NameComboBox::programSet, this, [this] { clearNumbers(); });
    connect(m_cartName, &NameComboBox::picked, this, [this] { clearNumbers(); });

    m_cmdExit = commandButton(QStringLiteral("Return"),
                              QStringLiteral("Return to top level Data Input screen"), this);
    m_cmdSearch =
        commandButton(QStringLiteral(" Search for Data"),
                      QStringLiteral("Search for data fields for the selected cartridge name"), this);
    m_cmdSave =
        commandButton(QStringLiteral("   Save     Entry in Database"),
                      QStringLiteral("Save the entered data fields for the selected cartridge name"), this);
    m_cmdClear = commandButton(QStringLiteral("   Clear     Data"),
                               QStringLiteral("Clear all current data entry fields"), this);
    m_cmdFit = commandButton(QStringLiteral("Fit from test data..."),
                             QStringLiteral("Fit the micropore volume (and adsorption potential) to known "
                                            "breakthrough times from the maker's data or a test"),
                             this);

    for (std::size_t i = 0; i < kNumbers.size(); ++i) {
        m_numbers[i] = new NumericLineEdit(this);
    }
    for (std::size_t i = 0; i < kNumbers.size(); ++i) {
        NumericLineEdit* field = m_numbers[i];
        // The entry hint first, as it always read; then what a user needs to find the value.
        field->setToolTip(QString::fromUtf8(kNumbers[i].toolTip) + QStringLiteral("\n\n") +
                          QString::fromUtf8(kNumbers[i].help));
        field->setWhatsThis(QString::fromUtf8(kNumbers[i].help));
        paintBase(field);
        QWidget* next = i + 1 < kNumbers.size() ? static_cast<QWidget*>(m_numbers[i + 1]) : m_cmdExit;
        addField({.field = field, .limits = kNumbers[i].limits, .next = next},
                 QString::fromUtf8(kNumbers[i].label));
    }

    onCommand(m_cmdExit, [this] { onExit(); });
    onCommand(m_cmdSearch, [this] { onSearch(); });
    onCommand(m_cmdSave, [this] { onSave(); });
    onCommand(m_cmdClear, [this] { onClear(); });
    onCommand(m_cmdFit, [this] { onFit(); });
}

void frmCartridgeMulti::buildLayout() {
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(6);
    int row = 0;
    grid->addWidget(new QLabel(QStringLiteral("Select from the list below or enter a new cartridge."), this),
                    row++, 0, 1, 2);
    // The box is read out by its contents; its "Name" label reaches assistive technology as the
    // label of the box.
    auto* nameLabel = new QLabel(QStringLiteral("Name"), this);
    nameLabel->setBuddy(m_cartName);
    grid->addWidget(nameLabel, row, 0, Qt::AlignRight);
    grid->addWidget(m_cartName, row++, 1);
    for (std::size_t i = 0; i < kNumbers.size(); ++i) {
        grid->addWidget(new QLabel(QString::fromUtf8(kNumbers[i].label), this), row, 0, Qt::AlignRight);
        grid->addWidget(m_numbers[i], row++, 1, Qt::AlignLeft);
        m_numbers[i]->setFixedWidth(110);
    }

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {m_cmdSearch, m_cmdSave, m_cmdClear, m_cmdExit, m_cmdFit}) {
        button->setMinimumWidth(220);
        buttons->addWidget(button);
    }
    buttons->addStretch();

    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(18, 14, 18, 14);
    columns->addLayout(grid);
    columns->addSpacing(16);
    columns->addLayout(buttons);

    QWidget* previous = m_cartName;
    for (QWidget* next : {static_cast<QWidget*>(m_numbers[0]), static_cast<QWidget*>(m_numbers[1]),
                          static_cast<QWidget*>(m_numbers[2]), static_cast<QWidget*>(m_numbers[3]),
                          static_cast<QWidget*>(m_numbers[4]), static_cast<QWidget*>(m_numbers[5]),
                          static_cast<QWidget*>(m_numbers[6]), static_cast<QWidget*>(m_numbers[7]),
                          static_cast<QWidget*>(m_cmdExit), static_cast<QWidget*>(m_cmdSearch),
                          static_cast<QWidget*>(m_cmdSave), static_cast<QWidget*>(m_cmdClear),
                          static_cast<QWidget*>(m_cmdFit)}) {
        setTabOrder(previous, next);
        previous = next;
    }
}

void frmCartridgeMulti::refillList() {
    QStringList items;
    if (m_store != nullptr) {
        for (const std::string& entry : m_store->listEntries()) {
            items.append(QString::fromStdString(entry));
        }
    }
    m_cartName->replaceItems(items, true);
    m_listedChanges = m_store != nullptr ? m_store->outsideChanges() : 0;
}

// Another program may have saved into the file since the list was filled: the names it added are
// listed too, and the name typed stays.
void frmCartridgeMulti::refillListIfBehind() {
    if (m_store != nullptr && m_store->outsideChanges() != m_listedChanges) {
        refillList();
    }
}

void frmCartridgeMulti::showEvent(QShowEvent* event) {
    Form::showEvent(event);
    catchUpQuietly(m_store.get());
    refillListIfBehind();
}

void frmCartridgeMulti::clearNumbers() {
    for (NumericLineEdit* field : m_numbers) {
        field->clear();
    }
}

void frmCartridgeMulti::ShowCartridgeRecord(const CartridgeRecord& record) {
    // The name first: setting it empties the eight fields.
    m_cartName->setTextByProgram(QString::fromStdString(record.cartName));
    for (std::size_t i = 0; i < kNumbers.size(); ++i) {
        m_numbers[i]->setText(QString::fromStdString(record.*kNumbers[i].recordField));
    }
}

CartridgeRecord frmCartridgeMulti::typedRecord() const {
    CartridgeRecord record;
    record.cartName = m_cartName->currentText().toStdString();
    for (std::size_t i = 0; i < kNumbers.size(); ++i) {
        record.*kNumbers[i].recordField = m_numbers[i]->text().toStdString();
    }
    return record;
}

void frmCartridgeMulti::onSearch() {
    const std::string title = "Search for a Record";
    if (!openStore(title)) {
        return;
    }
    const std::string findText = nameSearchText(m_cartName->currentText().toStdString());
    try {
        m_store->refresh();
        refillListIfBehind();
        const std::int16_t position = m_store->Search(findText);
        if (position < 1) {
            messenger().show(
                Message{"Can't find " + findText + ".", title, MessageButtons::Ok, MessageIcon::None});
            return;
        }
        const std::int16_t recNum = m_store->cartIndex().at(static_cast<std::size_t>(position)).recNum;
        ShowCartridgeRecord(m_store->ShowCartridgeRecord(recNum));
    } catch (const StoreError& error) {
        reportStoreError(messenger(), error, title);
    }
}

void frmCartridgeMulti::onSave() {
    if (trimBlanks(m_cartName->currentText().toStdString()).empty()) {
        messenger().show(Message{"Enter a cartridge name.", std::string("Add a Record"), MessageButtons::Ok,
                                 MessageIcon::None});
        return;
    }
    if (!openStore("Add a Record")) {
        return;
    }
    const CartridgeRecord typed = typedRecord();
    std::string title = "Add a Record";
    try {
        const CartridgeSaveResult result = m_store->Save(typed);
        refillListIfBehind();
        if (result.status == SaveStatus::OnFile) {
            title = "Revise a Record";
            const MessageAnswer answer = messenger().show(
                Message{"This cartridge is already on file.\r\nDo you want to save \r\na revised record?",
                        title, MessageButtons::YesNo, MessageIcon::None});
            if (answer == MessageAnswer::Yes) {
                m_store->Revise(result.position, typed);
                refillListIfBehind();
            }
            return;
        }
        if (result.status == SaveStatus::Added) {
            // Shown as stored, so that a text cut to its field's width is seen cut.
            refillList();
            ShowCartridgeRecord(result.shown);
        }
    } catch (const StoreError& error) {
        // Nothing was written; the screen keeps what the user typed. Another program kept the
        // file, or changed it under the question: the message names it, and the list shows the
        // file as it now stands.
        refillListIfBehind();
        reportStoreError(messenger(), error, title);
    }
}

void frmCartridgeMulti::onClear() {
    m_cartName->setTextByProgram(QString());
    clearNumbers();
    document().clearCartridgeNumbers();
    m_cartName->setFocus();
}

void frmCartridgeMulti::onExit() {
    const QString name = m_cartName->currentText();
    bool incomplete =
        isNoneSelected(name.toStdString()) || name.isEmpty() || relHumPre()->text().trimmed().isEmpty();
    for (const NumericLineEdit* field : m_numbers) {
        incomplete = incomplete || field->text().isEmpty();
    }
    if (incomplete) {
        ShowIncompleteDialog();
        return;
    }

    auto& hub = forms().form<InputMasterFive>(forms::kInputMasterFive);
    // Nothing is stored, not even the name, when a number is beyond single precision.
    document().setCartridge(CartridgeInput{.name = name.toStdString(),
                                           .bedDiameter = numberIn(bedDiam()),
                                           .bedDepth = numberIn(bedDepth()),
                                           .carbonWeight = numberIn(carbWgt()),
                                           .microporeVolume = numberIn(micVol()),
                                           .precondRH = numberIn(relHumPre()),
                                           .granuleDiameter = numberIn(diamGran()),
                                           .benzenePotential = numberIn(apBenzene()),
                                           .waterAffinity = numberIn(affinityForWater())});
    hide();
    forms().ShowForm(forms::kInputMasterFive);
    hub.selectVapButton(1)->setFocus();
}

void frmCartridgeMulti::onFit() {
    if (m_fitWindow == nullptr) {
        m_fitWindow = new FitWindow(context().dataFolder(), messenger(), this);
        connect(m_fitWindow, &FitWindow::saveRequested, this, &frmCartridgeMulti::saveFitted);
    }
    std::array<QString, 8> texts;
    for (std::size_t i = 0; i < m_numbers.size(); ++i) {
        texts[i] = m_numbers[i]->text();
    }
    const QString name = m_cartName->currentText().trimmed();
    m_fitWindow->setCartridgeTexts(isNoneSelected(name.toStdString()) ? QString() : name, texts);
    m_fitWindow->show();
    m_fitWindow->raise();
    m_fitWindow->activateWindow();
}

// The fitted cartridge goes into this screen's file as a typed one would, with the same messages,
// and is shown here; what it was fitted to is kept beside the file only once the record is saved.
void frmCartridgeMulti::saveFitted(const CartridgeSourceRecord& source) {
    const std::string title = "Add a Record";
    if (trimBlanks(source.cartridge.name).empty()) {
        messenger().show(Message{"Enter a cartridge name.", title, MessageButtons::Ok, MessageIcon::None});
        return;
    }
    if (!openStore(title)) {
        return;
    }
    const CartridgeInput& c = source.cartridge;
    const CartridgeRecord typed{c.name,
                                generalText(c.bedDiameter),
                                generalText(c.bedDepth),
                                generalText(c.carbonWeight),
                                generalText(c.microporeVolume),
                                generalText(c.precondRH),
                                generalText(c.granuleDiameter),
                                generalText(c.benzenePotential),
                                generalText(c.waterAffinity)};
    try {
        const CartridgeSaveResult result = m_store->Save(typed);
        if (result.status == SaveStatus::OnFile) {
            const MessageAnswer answer = messenger().show(
                Message{"This cartridge is already on file.\r\nDo you want to save \r\na revised record?",
                        std::string("Revise a Record"), MessageButtons::YesNo, MessageIcon::None});
            if (answer != MessageAnswer::Yes) {
                return;
            }
            m_store->Revise(result.position, typed);
            ShowCartridgeRecord(CartridgeStore::shownForm(typed));
        } else if (result.status == SaveStatus::Added) {
            refillList();
            ShowCartridgeRecord(result.shown);
        }
        writeCartridgeSource(context().dataFolder(), source);
    } catch (const std::exception& error) {
        reportStoreError(messenger(), error, title);
    }
}

void frmCartridgeMulti::closeRequested() {
    onExit();
}

}  // namespace quandrelle
