#include "quandrelle/screens/fit/FitWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/engine/RunStop.h"
#include "quandrelle/fit/FitRequestJson.h"
#include "quandrelle/screens/dialogs/Note.h"
#include "quandrelle/screens/widgets/ShownText.h"
#include "quandrelle/screens/widgets/ValueLabel.h"
#include "quandrelle/stores/RecordText.h"
#include "quandrelle/stores/VaporStore.h"
#include "quandrelle/validation/Messenger.h"
#include "quandrelle/validation/NumberReader.h"

namespace quandrelle {

namespace {

constexpr std::size_t kRecordFieldWidth = 8;

struct MeasuredRow {
    const char* label;
    const char* key;      // in the fit's JSON
    int recordIndex;      // among the cartridge screen's eight fields
    const char* typical;  // the example half-mask cartridge's value
};

const std::array<MeasuredRow, 6> kMeasured = {{
    {"Bed Diameter (cm)", "bedDiameter", 0, "8"},
    {"Bed Depth (cm)", "bedDepth", 1, "3"},
    {"Carbon Weight (g) per Cartridge or Bed", "carbonWeight", 2, "26"},
    {"Preconditioned Relative Humidity (%)", "precondRH", 4, "50"},
    {"Carbon Granule Average Diameter (cm)", "granuleDiameter", 5, "0.1"},
    {"Affinity Coefficient for Water", "waterAffinity", 7, "0.06"},
}};
constexpr int kPotentialRecordIndex = 6;

struct PointColumn {
    const char* caption;
    const char* typical;
};

// The vapor column holds a drop-down of the library's names; the others hold numbers.
const std::array<PointColumn, 9> kPointColumns = {{
    {"Vapor", ""},
    {"Conc (ppm)", ""},
    {"Break (ppm)", ""},
    {"Known (min)", ""},
    {"Temp (C)", "25"},
    {"Pressure (atm)", "1"},
    {"Humidity (%)", "50"},
    {"Air Flow (L/min)", "30"},
    {"Cartridges", "2"},
}};

QPushButton* button(const QString& caption, const QString& accessibleName, QWidget* parent) {
    auto* result = new QPushButton(caption, parent);
    result->setAccessibleName(accessibleName);
    return result;
}

// A typed text as the cartridge record will hold it (cut to its eight characters), then read by the
// program's number rule: the fit works on exactly the values the saved record gives Calculate.
void putNumber(nlohmann::json& object, const char* key, const QString& text, bool cutToRecord) {
    const std::string typed = text.trimmed().toStdString();
    if (typed.empty()) {
        return;
    }
    object[key] = readNumber(cutToRecord ? storedForm(typed, kRecordFieldWidth) : typed);
}

QStringList libraryNames(const std::string& dataFolder) {
    QStringList names;
    try {
        VaporStore store(dataFolder, MissingFile::LeaveAbsent);
        for (const std::string& entry : store.listEntries()) {
            names.append(QString::fromStdString(trimTrailingBlanks(entry)));
        }
    } catch (const std::exception&) {
        // An unreadable library lists nothing; the fit then names the missing vapors.
    }
    return names;
}

QTableWidgetItem* readOnlyItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

}  // namespace

FitWindow::FitWindow(std::string dataFolder, Messenger& messenger, QWidget* parent)
    : QWidget(parent, Qt::Window), m_dataFolder(std::move(dataFolder)), m_messenger(messenger) {
    setWindowTitle(QStringLiteral("Fit from Test Data"));
    m_pool.setMaxThreadCount(1);
    m_vaporNames = libraryNames(m_dataFolder);
    buildControls();
    buildLayout();
    connect(&m_watcher, &QFutureWatcher<FitResult>::progressRangeChanged, m_progress,
            &QProgressBar::setRange);
    connect(&m_watcher, &QFutureWatcher<FitResult>::progressValueChanged, m_progress,
            &QProgressBar::setValue);
    connect(&m_watcher, &QFutureWatcher<FitResult>::finished, this, &FitWindow::fitFinished);
    connect(m_addPoint, &QPushButton::clicked, this, [this] { addPoint(); });
    connect(m_removePoint, &QPushButton::clicked, this, [this] {
        m_points->removeRow(m_points->currentRow() >= 0 ? m_points->currentRow() : m_points->rowCount() - 1);
    });
    connect(m_fit, &QPushButton::clicked, this, &FitWindow::startFit);
    connect(m_cancel, &QPushButton::clicked, this, &FitWindow::cancelFit);
    connect(m_save, &QPushButton::clicked, this, &FitWindow::onSave);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    addPoint();
    setFitting(false);
    resize(980, 640);
}

FitWindow::~FitWindow() {
    m_watcher.disconnect(this);
    m_stop.request_stop();
    m_pool.waitForDone();
}

void FitWindow::buildControls() {
    m_name = new QLineEdit(this);
    m_name->setAccessibleName(QStringLiteral("Name of the fitted cartridge"));
    for (std::size_t i = 0; i < kMeasured.size(); ++i) {
        m_measured[i] = new QLineEdit(QString::fromUtf8(kMeasured[i].typical), this);
        m_measured[i]->setAccessibleName(QString::fromUtf8(kMeasured[i].label));
    }
    m_potential = new QLineEdit(generalText(kTypicalBenzenePotential).c_str(), this);
    m_potential->setAccessibleName(QStringLiteral("Adsorption Potential for Benzene (KJ/mol)"));
    m_potential->setToolTip(QStringLiteral("Held at this value unless it is fitted too"));
    m_fitPotential =
        new QCheckBox(QStringLiteral("Fit the adsorption potential too, where the points allow"), this);
    m_fitPotential->setAccessibleName(m_fitPotential->text());
    m_fitPotential->setToolTip(QStringLiteral(
        "Needs points of more than one vapor or concentration; otherwise the potential is held at a "
        "typical value"));

    m_points = new QTableWidget(0, static_cast<int>(kPointColumns.size()), this);
    m_points->setAccessibleName(QStringLiteral("Known breakthrough times"));
    QStringList captions;
    for (const PointColumn& column : kPointColumns) {
        captions.append(QString::fromUtf8(column.caption));
    }
    m_points->setHorizontalHeaderLabels(captions);
    m_points->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_points->horizontalHeader()->setSectionResizeMode(Vapor, QHeaderView::Stretch);
    m_addPoint = button(QStringLiteral("Add Point"), QStringLiteral("Add a known breakthrough time"), this);
    m_removePoint =
        button(QStringLiteral("Remove Point"), QStringLiteral("Remove the selected breakthrough time"), this);
    m_fit = button(QStringLiteral("Fit"), QStringLiteral("Fit the carbon to the known times"), this);
    m_cancel = button(QStringLiteral("Cancel"), QStringLiteral("Cancel the fit"), this);
    m_progress = new QProgressBar(this);
    m_progress->setAccessibleName(QStringLiteral("Progress of the fit"));
    m_status = new ValueLabel(QStringLiteral("State of the fit"), this);
    m_status->setWordWrap(true);
    m_fittedValues = new ValueLabel(QStringLiteral("Fitted values"), this);
    m_fittedValues->setWordWrap(true);
    m_outcomes = new QTableWidget(0, 4, this);
    m_outcomes->setAccessibleName(QStringLiteral("Known and predicted times"));
    m_outcomes->setHorizontalHeaderLabels({QStringLiteral("Point"), QStringLiteral("Known (min)"),
                                           QStringLiteral("Predicted (min)"), QStringLiteral("Error (%)")});
    m_outcomes->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_outcomes->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_notes = new QListWidget(this);
    m_notes->setAccessibleName(QStringLiteral("Notes on the fit"));
    m_notes->setWordWrap(true);
    m_notes->setMaximumHeight(90);
    m_save = button(QStringLiteral("Save Cartridge"),
                    QStringLiteral("Save the fitted cartridge in the cartridge file"), this);
    m_close = button(QStringLiteral("Close"), QStringLiteral("Close the fit window"), this);
}

void FitWindow::buildLayout() {
    auto* cartridge = new QFormLayout;
    cartridge->addRow(QStringLiteral("Name"), m_name);
    for (std::size_t i = 0; i < kMeasured.size(); ++i) {
        cartridge->addRow(QString::fromUtf8(kMeasured[i].label), m_measured[i]);
    }
    cartridge->addRow(QStringLiteral("Adsorption Potential for Benzene (KJ/mol)"), m_potential);
    cartridge->addRow(QString(), m_fitPotential);

    auto* pointButtons = new QHBoxLayout;
    for (QPushButton* each : {m_addPoint, m_removePoint}) {
        pointButtons->addWidget(each);
    }
    pointButtons->addStretch();
    auto* fitRow = new QHBoxLayout;
    fitRow->addWidget(m_fit);
    fitRow->addWidget(m_cancel);
    fitRow->addWidget(m_progress, 1);

    auto* closing = new QHBoxLayout;
    closing->addStretch();
    closing->addWidget(m_save);
    closing->addWidget(m_close);

    auto* column = new QVBoxLayout(this);
    column->addLayout(cartridge);
    column->addWidget(
        new QLabel(QStringLiteral("Known breakthrough times (a vapor of the vapor library each)"), this));
    column->addWidget(m_points, 2);
    column->addLayout(pointButtons);
    column->addLayout(fitRow);
    column->addWidget(m_status);
    column->addWidget(m_fittedValues);
    column->addWidget(m_outcomes, 1);
    column->addWidget(m_notes);
    column->addLayout(closing);
}

void FitWindow::setCartridgeTexts(const QString& name, const std::array<QString, 8>& recordTexts) {
    m_name->setText(name);
    for (std::size_t i = 0; i < kMeasured.size(); ++i) {
        const QString& text = recordTexts[static_cast<std::size_t>(kMeasured[i].recordIndex)];
        if (!text.trimmed().isEmpty()) {
            m_measured[i]->setText(text.trimmed());
        }
    }
    const QString& potential = recordTexts[kPotentialRecordIndex];
    if (!potential.trimmed().isEmpty()) {
        m_potential->setText(potential.trimmed());
    }
}

void FitWindow::addPoint(const QString& vaporName) {
    const int row = m_points->rowCount();
    m_points->insertRow(row);
    auto* vapor = new QComboBox(m_points);
    vapor->addItems(m_vaporNames);
    vapor->setAccessibleName(QStringLiteral("Vapor of point %1").arg(row + 1));
    const int found = vapor->findText(vaporName, Qt::MatchFixedString);
    vapor->setCurrentIndex(found >= 0 ? found : (vapor->count() > 0 ? 0 : -1));
    m_points->setCellWidget(row, Vapor, vapor);
    for (int column = Concentration; column < static_cast<int>(kPointColumns.size()); ++column) {
        m_points->setItem(row, column,
                          new QTableWidgetItem(QString::fromUtf8(kPointColumns[column].typical)));
    }
}

nlohmann::json FitWindow::requestJson() const {
    nlohmann::json cartridge{{"name", m_name->text().toStdString()}};
    for (std::size_t i = 0; i < kMeasured.size(); ++i) {
        putNumber(cartridge, kMeasured[i].key, m_measured[i]->text(), true);
    }
    if (!m_fitPotential->isChecked()) {
        putNumber(cartridge, "benzenePotential", m_potential->text(), true);
    }
    nlohmann::json points = nlohmann::json::array();
    for (int row = 0; row < m_points->rowCount(); ++row) {
        auto text = [&](int column) {
            const QTableWidgetItem* item = m_points->item(row, column);
            return item != nullptr ? item->text() : QString();
        };
        const auto* vapor = qobject_cast<const QComboBox*>(m_points->cellWidget(row, Vapor));
        nlohmann::json vaporObject{
            {"name", vapor != nullptr ? vapor->currentText().toStdString() : std::string()}};
        putNumber(vaporObject, "concentration", text(Concentration), false);
        nlohmann::json conditions = nlohmann::json::object();
        putNumber(conditions, "temperature", text(Temperature), false);
        putNumber(conditions, "pressure", text(Pressure), false);
        putNumber(conditions, "relHumidity", text(RelHumidity), false);
        putNumber(conditions, "airFlow", text(AirFlow), false);
        putNumber(conditions, "cartridges", text(Cartridges), false);
        nlohmann::json point{{"conditions", conditions}, {"vapor", vaporObject}};
        putNumber(point, "breakConc", text(BreakConc), false);
        putNumber(point, "minutes", text(Minutes), false);
        points.push_back(std::move(point));
    }
    return {{"cartridge", cartridge}, {"points", points}};
}

void FitWindow::startFit() {
    if (m_fitting) {
        return;
    }
    FitRequest request;
    const Problems problems = readFitRequest(requestJson(), m_dataFolder, request);
    if (!problems.empty()) {
        std::string text = "The fit cannot start:";
        for (const std::string& problem : problems) {
            text += "\n" + problem;
        }
        showNote(m_messenger, text);
        return;
    }
    m_request = request;
    m_result.reset();
    m_outcomes->setRowCount(0);
    m_notes->clear();
    m_fittedValues->clearValue();
    m_stop = std::stop_source();
    // The worker fits its own copy of the request; closing the window stops it at its next run.
    auto fit = [request = std::move(request), stop = m_stop.get_token()](QPromise<FitResult>& promise) {
        const ScopedRunStop stoppable(stop);
        promise.setProgressRange(0, kMaxFitIterations);
        try {
            promise.addResult(fitCartridge(request, [&](int done, int) { promise.setProgressValue(done); }));
        } catch (const RunStopped&) {
            // A cancelled fit gives nothing.
        }
    };
    setFitting(true);
    m_status->setValue(QStringLiteral("Fitting..."));
    m_watcher.setFuture(QtConcurrent::run(&m_pool, std::move(fit)));
}

void FitWindow::cancelFit() {
    m_stop.request_stop();
}

void FitWindow::fitFinished() {
    setFitting(false);
    const QFuture<FitResult> future = m_watcher.future();
    if (future.resultCount() == 0) {
        m_progress->setValue(0);
        m_status->setValue(QStringLiteral("The fit was cancelled."));
        return;
    }
    showResult(future.result());
}

void FitWindow::showResult(const FitResult& result) {
    if (result.status != FitStatus::Fitted) {
        m_status->setValue(shownText(result.problem));
        showNote(m_messenger, result.problem);
        return;
    }
    m_result = result;
    const bool potentialFitted = result.fitted.size() > 1;
    m_status->setValue(
        QStringLiteral("Fitted to %1 point(s) in %2 runs.").arg(result.points.size()).arg(result.runs));
    m_fittedValues->setValue(shownText("Micropore volume " + generalText(result.cartridge.microporeVolume) +
                                       " cm3/g (fitted); adsorption potential for benzene " +
                                       generalText(result.cartridge.benzenePotential) + " kJ/mol (" +
                                       (potentialFitted ? "fitted" : "held") + ")"));
    m_outcomes->setRowCount(static_cast<int>(result.points.size()));
    for (std::size_t i = 0; i < result.points.size(); ++i) {
        const int row = static_cast<int>(i);
        const FitPointOutcome& point = result.points[i];
        m_outcomes->setItem(row, 0, readOnlyItem(shownText(pointLabel(m_request.points, i))));
        m_outcomes->setItem(row, 1, readOnlyItem(shownText(minutesText(point.minutes))));
        m_outcomes->setItem(row, 2, readOnlyItem(shownText(minutesText(point.predicted))));
        m_outcomes->setItem(row, 3,
                            readOnlyItem(shownText(generalText(roundHalfEven(point.errorPercent, 1)))));
    }
    for (const std::string& note : result.notes) {
        m_notes->addItem(shownText(note));
    }
    m_save->setEnabled(true);
}

void FitWindow::setFitting(bool fitting) {
    m_fitting = fitting;
    m_fit->setEnabled(!fitting);
    m_cancel->setEnabled(fitting);
    m_save->setEnabled(!fitting && m_result.has_value());
}

void FitWindow::onSave() {
    if (!m_result) {
        return;
    }
    CartridgeSourceRecord source;
    source.origin = CartridgeOrigin::Fitted;
    source.cartridge = m_result->cartridge;
    source.fitted = m_result->fitted;
    source.points = m_request.points;
    for (const FitPointOutcome& point : m_result->points) {
        source.predicted.push_back(point.predicted);
    }
    source.notes = m_result->notes;
    emit saveRequested(source);
}

void FitWindow::closeEvent(QCloseEvent* event) {
    // A fit under way stops at its next run; its result is dropped.
    m_stop.request_stop();
    QWidget::closeEvent(event);
}

}  // namespace quandrelle
