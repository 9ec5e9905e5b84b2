#pragma once

#include <QFutureWatcher>
#include <QThreadPool>
#include <QWidget>
#include <array>
#include <nlohmann/json.hpp>
#include <optional>
#include <stop_token>
#include <string>

#include "quandrelle/fit/CartridgeFit.h"
#include "quandrelle/fit/CartridgeSource.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace quandrelle {

class Messenger;
class ValueLabel;

// The "Fit from test data..." window of the cartridge screen: the cartridge's measurable data and
// one or more known breakthrough times (a vapor of the vapor library, its concentration and
// breakthrough concentration, the conditions and the minutes), fitted on a worker thread to the
// micropore volume and, where the points allow, the adsorption potential. The window shows every
// point's known and predicted time and the error; saving hands the fitted cartridge, with what it
// was fitted to, to the cartridge screen, whose file it is.
class FitWindow : public QWidget {
    Q_OBJECT
public:
    // The point table's columns.
    enum Column {
        Vapor,
        Concentration,
        BreakConc,
        Minutes,
        Temperature,
        Pressure,
        RelHumidity,
        AirFlow,
        Cartridges
    };
    // The cartridge's measurable fields, in the cartridge record's order.
    enum Measured { BedDiameter, BedDepth, CarbonWeight, PrecondRH, GranuleDiameter, WaterAffinity };

    FitWindow(std::string dataFolder, Messenger& messenger, QWidget* parent);
    ~FitWindow() override;
    FitWindow(const FitWindow&) = delete;
    FitWindow& operator=(const FitWindow&) = delete;

    // Starts from what the cartridge screen shows: its name and its texts in record order (empty
    // texts keep the typical values).
    void setCartridgeTexts(const QString& name, const std::array<QString, 8>& recordTexts);

    bool isFitting() const { return m_fitting; }
    const std::optional<FitResult>& result() const { return m_result; }

    QLineEdit* cartName() const { return m_name; }
    QLineEdit* measured(Measured which) const { return m_measured[which]; }
    QLineEdit* benzenePotential() const { return m_potential; }
    QCheckBox* fitPotential() const { return m_fitPotential; }
    QTableWidget* points() const { return m_points; }
    QPushButton* addPointButton() const { return m_addPoint; }
    QPushButton* removePointButton() const { return m_removePoint; }
    QPushButton* fitButton() const { return m_fit; }
    QPushButton* cancelButton() const { return m_cancel; }
    QProgressBar* progress() const { return m_progress; }
    ValueLabel* status() const { return m_status; }
    ValueLabel* fittedValues() const { return m_fittedValues; }
    QTableWidget* outcomes() const { return m_outcomes; }
    QListWidget* notes() const { return m_notes; }
    QPushButton* saveButton() const { return m_save; }
    QPushButton* closeButton() const { return m_close; }

    // Adds a point row at the typical conditions; the vapor is chosen by its library name.
    void addPoint(const QString& vaporName = {});

signals:
    // The user asked to save the fitted cartridge; `source` holds it and what it was fitted to.
    void saveRequested(const CartridgeSourceRecord& source);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildLayout();
    nlohmann::json requestJson() const;
    void startFit();
    void cancelFit();
    void fitFinished();
    void showResult(const FitResult& result);
    void setFitting(bool fitting);
    void onSave();

    std::string m_dataFolder;
    Messenger& m_messenger;
    QStringList m_vaporNames;
    bool m_fitting = false;
    FitRequest m_request;
    std::optional<FitResult> m_result;
    QThreadPool m_pool;
    std::stop_source m_stop;
    QFutureWatcher<FitResult> m_watcher;

    QLineEdit* m_name = nullptr;
    std::array<QLineEdit*, 6> m_measured{};
    QLineEdit* m_potential = nullptr;
    QCheckBox* m_fitPotential = nullptr;
    QTableWidget* m_points = nullptr;
    QPushButton* m_addPoint = nullptr;
    QPushButton* m_removePoint = nullptr;
    QPushButton* m_fit = nullptr;
    QPushButton* m_cancel = nullptr;
    QProgressBar* m_progress = nullptr;
    ValueLabel* m_status = nullptr;
    ValueLabel* m_fittedValues = nullptr;
    QTableWidget* m_outcomes = nullptr;
    QListWidget* m_notes = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_close = nullptr;
};

}  // namespace quandrelle
