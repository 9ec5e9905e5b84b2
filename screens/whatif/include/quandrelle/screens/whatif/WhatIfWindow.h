#pragma once

#include <QFuture>
#include <QFutureWatcher>
#include <QThreadPool>
#include <QWidget>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

#include "quandrelle/engine/CalcState.h"
#include "quandrelle/screens/whatif/WhatIfChart.h"

class QChartView;
class QComboBox;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace quandrelle {

class DialogRunner;
class Messenger;
class ValueLabel;

// The "What if..." window of the results screen: the estimated breakthrough time of every vapor of
// the last run, with its range, against one chosen quantity, the other inputs held at the run's
// values. The points are computed on worker threads, each on its own copy of the run, while the
// window shows the progress and can cancel; a cancelled sweep draws nothing. The window always
// shows one run: the results screen hands it every new run and says when its results were cleared.
// Above the curves it gives that run's change schedule, as the engine words it, drawn on a worker
// too since each vapor is run alone for it.
class WhatIfWindow : public QWidget {
    Q_OBJECT
public:
    WhatIfWindow(const CalcState& run, Messenger& messenger, DialogRunner& dialogs, QWidget* parent);
    ~WhatIfWindow() override;
    WhatIfWindow(const WhatIfWindow&) = delete;
    WhatIfWindow& operator=(const WhatIfWindow&) = delete;

    // A new run of the results screen: its curves replace the ones shown.
    void setRun(const CalcState& run);
    // The results screen no longer shows the run these curves are of.
    void markRunOutdated();

    // Points per curve; tests ask for many more, to have a sweep long enough to cancel.
    void setPointCount(int count) { m_pointCount = count; }
    bool isComputing() const { return m_computing; }
    // The curves drawn; none while a sweep runs or after one was cancelled.
    const std::optional<WhatIfCurves>& curves() const { return m_curves; }
    // Shows in the point label the values of one vapor's point nearest to a value of the quantity.
    void describePointNear(int vapor, double value);

    ValueLabel* runCaption() const { return m_runCaption; }
    // The schedule sentence of the run shown; says so while it is being drawn.
    ValueLabel* schedule() const { return m_schedule; }
    bool isDrawingSchedule() const { return m_drawingSchedule; }
    QComboBox* quantity() const { return m_quantity; }
    QChartView* chartView() const { return m_chartView; }
    ValueLabel* pointLabel() const { return m_pointLabel; }
    QProgressBar* progress() const { return m_progress; }
    ValueLabel* status() const { return m_status; }
    QPushButton* cancelButton() const { return m_cancel; }
    QPushButton* recalculateButton() const { return m_recalculate; }
    QListWidget* notes() const { return m_notes; }
    QPushButton* savePngButton() const { return m_savePng; }
    QPushButton* savePdfButton() const { return m_savePdf; }
    QPushButton* saveCsvButton() const { return m_saveCsv; }
    QPushButton* closeButton() const { return m_close; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // One item of a sweep's work: a value of the quantity, or the run at its own values.
    struct PointJob {
        double value = 0;
        bool operating = false;
    };
    enum class SaveFormat { Png, Pdf, Csv };

    void buildControls();
    void buildLayout();
    SweepQuantity chosenQuantity() const;
    void showRunCaption(bool outdated);
    void startSweep();
    void startSchedule();
    // Asks the points of the sweep under way to stop and drops the ones not started.
    void stopPoints();
    void cancelSweep();
    void sweepFinished();
    void showCurves(WhatIfCurves curves);
    void clearCurves(const QString& statusText);
    void setComputing(bool computing);
    void save(SaveFormat format);
    void writeFile(SaveFormat format, const QString& fileName);

    Messenger& m_messenger;
    DialogRunner& m_dialogs;
    std::shared_ptr<const CalcState> m_run;
    int m_pointCount = kWhatIfPointCount;
    bool m_computing = false;
    std::optional<WhatIfCurves> m_curves;
    // The window's own workers: closing the window stops the points they are running and waits
    // for them to end, at their next step.
    QThreadPool m_pool;
    // Stops the points of the sweep under way; each sweep has its own.
    std::stop_source m_stop;
    QFutureWatcher<CurvePoint> m_watcher;
    // The schedule of the run shown: its sentence, or none when its drawing was stopped.
    std::stop_source m_scheduleStop;
    QFutureWatcher<std::optional<std::string>> m_scheduleWatcher;
    bool m_drawingSchedule = false;

    ValueLabel* m_runCaption = nullptr;
    ValueLabel* m_schedule = nullptr;
    QComboBox* m_quantity = nullptr;
    QChartView* m_chartView = nullptr;
    ValueLabel* m_pointLabel = nullptr;
    QProgressBar* m_progress = nullptr;
    ValueLabel* m_status = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_recalculate = nullptr;
    QListWidget* m_notes = nullptr;
    QPushButton* m_savePng = nullptr;
    QPushButton* m_savePdf = nullptr;
    QPushButton* m_saveCsv = nullptr;
    QPushButton* m_close = nullptr;
};

}  // namespace quandrelle
