#include "quandrelle/screens/forms/InputMasterFive.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/screens/framework/CalculationFiles.h"
#include "quandrelle/screens/framework/FormNames.h"
#include "quandrelle/screens/framework/PeerScreens.h"

namespace quandrelle {
namespace {

ValueLabel* currentChoiceLabel(QWidget* parent, const QString& accessibleName) {
    auto* label = new ValueLabel(accessibleName, parent);
    label->setValue(QString::fromUtf8(kNoneSelected));
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    label->setMinimumWidth(260);
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    label->setBackgroundRole(QPalette::Base);
    label->setAutoFillBackground(true);
    return label;
}

QLabel* columnHeading(const QString& text, QWidget* parent) {
    auto* heading = new QLabel(text, parent);
    QFont font(QStringLiteral("Times New Roman"));
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(heading->font().pointSizeF() * 1.25);
    font.setBold(true);
    heading->setFont(font);
    return heading;
}

}  // namespace

InputMasterFive::InputMasterFive(ScreenContext& context) : Form(context, QStringLiteral("Data Input")) {
    buildLayout();
    connectCommands();
    observeDocument();
    // The load step: the focus starts on the cartridge button and no mixture stage is under way.
    m_selectCart->setFocus();
    state().mixCount = 0;
    ValidateButtons();
}

void InputMasterFive::buildLayout() {
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(8);
    grid->addWidget(columnHeading(QStringLiteral("Select:"), this), 0, 0);
    grid->addWidget(columnHeading(QStringLiteral("Current:"), this), 0, 1);

    m_selectCart = new QPushButton(QStringLiteral("Organic Vapor Cartridge"), this);
    m_selectCart->setToolTip(QStringLiteral("Enter values for the cartridge"));
    m_cartName = currentChoiceLabel(this, QStringLiteral("Current: Organic Vapor Cartridge"));
    grid->addWidget(m_selectCart, 1, 0);
    grid->addWidget(m_cartName, 1, 1);

    for (int slot = 1; slot <= kMaxVapors; ++slot) {
        const QString caption = QStringLiteral("Organic Vapor #%1").arg(slot);
        m_selectVap[slot] = new QPushButton(caption, this);
        m_selectVap[slot]->setToolTip(QStringLiteral("Enter values for a vapor"));
        m_vap[slot] = currentChoiceLabel(this, QStringLiteral("Current: ") + caption);
        grid->addWidget(m_selectVap[slot], slot + 1, 0);
        grid->addWidget(m_vap[slot], slot + 1, 1);
    }

    m_selectUse = new QPushButton(QStringLiteral("Use Conditions"), this);
    m_selectUse->setToolTip(QStringLiteral("Enter values for the use conditions"));
    grid->addWidget(m_selectUse, kMaxVapors + 2, 0);

    m_clearVapors = new QPushButton(QStringLiteral("Clear All Vapors"), this);
    m_continue = new QPushButton(QStringLiteral("Continue"), this);
    m_continue->setToolTip(QStringLiteral("Calculate results based on data input"));
    m_exitBtn = new QPushButton(QStringLiteral("Exit"), this);
    m_exitBtn->setToolTip(QStringLiteral("Exit program"));

    auto* commands = new QHBoxLayout;
    commands->addWidget(m_clearVapors);
    commands->addStretch();
    commands->addWidget(m_continue);
    commands->addWidget(m_exitBtn);

    m_files = new CalculationCommands(context(), this,
                                      [this](QAbstractButton* button, std::function<void()> handler) {
                                          onCommand(button, std::move(handler));
                                      });
    auto* files = new QHBoxLayout;
    files->addWidget(m_files->openButton());
    files->addWidget(m_files->saveButton());
    files->addWidget(m_files->recentButton());
    files->addStretch();

    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(20, 16, 20, 16);
    frame->addLayout(grid);
    frame->addSpacing(12);
    frame->addLayout(commands);
    frame->addLayout(files);

    // Keyboard order: the buttons as they stand, top to bottom, then the commands.
    QWidget* previous = m_selectCart;
    for (QWidget* next :
         {static_cast<QWidget*>(m_selectVap[1]), static_cast<QWidget*>(m_selectVap[2]),
          static_cast<QWidget*>(m_selectVap[3]), static_cast<QWidget*>(m_selectVap[4]),
          static_cast<QWidget*>(m_selectVap[5]), static_cast<QWidget*>(m_selectUse),
          static_cast<QWidget*>(m_clearVapors), static_cast<QWidget*>(m_continue),
          static_cast<QWidget*>(m_exitBtn), static_cast<QWidget*>(m_files->openButton()),
          static_cast<QWidget*>(m_files->saveButton()), static_cast<QWidget*>(m_files->recentButton())}) {
        setTabOrder(previous, next);
        previous = next;
    }
}

void InputMasterFive::connectCommands() {
    onCommand(m_selectCart, [this] { onSelectCart(); });
    for (int slot = 1; slot <= kMaxVapors; ++slot) {
        onCommand(m_selectVap[slot], [this, slot] { SelectVaporSlot(slot); });
    }
    onCommand(m_selectUse, [this] { onSelectUse(); });
    onCommand(m_clearVapors, [this] { onClearVapors(); });
    onCommand(m_continue, [this] { onContinue(); });
    onCommand(m_exitBtn, [this] { onExit(); });
}

QPushButton* InputMasterFive::selectVapButton(int slot) const {
    return m_selectVap.at(slot);
}

void InputMasterFive::observeDocument() {
    showCartridge();
    for (int slot = 1; slot <= kMaxVapors; ++slot) {
        showVapor(slot);
    }
    connect(&document(), &CalcDocument::cartridgeChanged, this, [this] { showCartridge(); });
    connect(&document(), &CalcDocument::vaporChanged, this, [this](int slot) {
        showVapor(slot);
        ValidateButtons();
    });
    // A run leaves the slots in the mixture's order.
    connect(&document(), &CalcDocument::resultsChanged, this, [this] {
        for (int slot = 1; slot <= kMaxVapors; ++slot) {
            showVapor(slot);
        }
        ValidateButtons();
    });
}

void InputMasterFive::showCartridge() {
    const std::string& name = state().cartName;
    m_cartName->setValue(QString::fromStdString(name.empty() ? std::string(kNoneSelected) : name));
}

void InputMasterFive::showVapor(int slot) {
    const VaporData& vapor = state().vapors[slot];
    m_vap.at(slot)->setValue(QString::fromStdString(isSlotInUse(vapor) ? vapor.chemName : kNoneSelected));
}

QString InputMasterFive::vaporCaption(int slot) const {
    return m_vap.at(slot)->text();
}

void InputMasterFive::ValidateButtons() {
    // Slots fill in order: a slot opens once the slot below it shows a vapor.
    m_selectVap[1]->setEnabled(true);
    for (int slot = 2; slot <= kMaxVapors; ++slot) {
        m_selectVap[slot]->setEnabled(isSlotInUse(state().vapors[slot - 1]));
    }
}

bool InputMasterFive::isOpenable(const char* formName, const char* caption) {
    if (forms().isDefined(formName)) {
        return true;
    }
    showNote(messenger(), std::string("The ") + caption + " screen is not available yet.");
    return false;
}

void InputMasterFive::onSelectCart() {
    if (!isOpenable(forms::kCartridge, "Cartridge or Carbon Bed Data")) {
        return;
    }
    forms().ShowForm(forms::kCartridge);
    hide();
}

void InputMasterFive::SelectVaporSlot(int index) {
    if (!isOpenable(forms::kVapor, "Organic Vapor Data")) {
        return;
    }
    CalcState& st = state();
    if (index > st.vaporCount && index != st.vaporCount + 1) {
        showNote(messenger(), "Lower numbered Organic Vapors must be set first.");
        return;
    }
    auto& editor = dynamic_cast<VaporSlotEditor&>(forms().form(forms::kVapor));
    const bool nextFreeSlot = index > st.vaporCount;
    document().openVaporSlot(index);
    m_selectedVapIdx = index;
    if (!nextFreeSlot) {
        // A slot opened before: show what it holds.
        editor.ClearVaporForm();
        if (isSlotInUse(st.vapors[index])) {
            editor.SetOldVaporFields(index);
        }
    }
    forms().ShowForm(forms::kVapor);
    editor.focusChemName();
    hide();

    editor.RefillChemicalList(editor.vaporRecordCount());
    if (isSlotInUse(st.vapors[m_selectedVapIdx])) {
        // Again, now that the list refill is done.
        editor.SetOldVaporFields(m_selectedVapIdx);
    }
    editor.setAvgVapConcText(QString::fromStdString(generalText(st.vapors[m_selectedVapIdx].avgConc)));
}

void InputMasterFive::onSelectUse() {
    hide();
    forms().ShowForm(forms::kUseOneM);
}

void InputMasterFive::onClearVapors() {
    // Every slot is announced, so the labels and the slot buttons follow.
    document().clearVapors();
}

void InputMasterFive::onContinue() {
    const CalcState& st = state();
    // atmPressure stays 0 until the use conditions have been accepted once.
    const bool incomplete = st.cartName.empty() || isNoneSelected(st.cartName) ||
                            !isSlotInUse(st.vapors[1]) || st.atmPressure == 0;
    if (incomplete) {
        showNote(messenger(), "All fields must be filled with valid parameters or conditions.");
        return;
    }
    if (!isOpenable(forms::kResults, "Vapor Mixture Breakthrough Results")) {
        return;
    }
    auto& results = dynamic_cast<ResultsDisplay&>(forms().form(forms::kResults));
    results.ShowInputsOnResults();
    results.ClearResultsDisplay();
    hide();
    forms().ShowForm(forms::kResults);
    results.focusBreakConc(1);
}

void InputMasterFive::onExit() {
    if (confirmQuit(context(), this)) {
        context().program.endProgram();
        return;
    }
    show();
    activateWindow();
    m_continue->setFocus();
}

void InputMasterFive::closeRequested() {
    onExit();
}

}  // namespace quandrelle
