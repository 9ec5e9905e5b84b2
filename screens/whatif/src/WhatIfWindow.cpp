#include "quandrelle/screens/whatif/WhatIfWindow.h"

#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QScatterSeries>
#include <QThread>
#include <QToolTip>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentMap>
#include <QtConcurrent/QtConcurrentRun>
#include <cmath>

#include "quandrelle/engine/ChangeSchedule.h"
#include "quandrelle/engine/ResultTexts.h"
#include "quandrelle/engine/RunStop.h"
#include "quandrelle/screens/dialogs/DialogRunner.h"
#include "quandrelle/screens/dialogs/Note.h"
#include "quandrelle/screens/widgets/ShownText.h"
#include "quandrelle/screens/widgets/ValueLabel.h"
#include "quandrelle/validation/Messenger.h"

namespace quandrelle {

namespace {

QPushButton* button(const QString& caption, const QString& accessibleName, QWidget* parent) {
    auto* result = new QPushButton(caption, parent);
    result->setAccessibleName(accessibleName);
    return result;
}

// How far apart two values of the quantity lie on the chart's axis.
double axisDistance(SweepQuantity quantity, double a, double b) {
    return quantity == SweepQuantity::ConcentrationScale ? std::abs(std::log(a / b)) : std::abs(a - b);
}

QString pointDescription(const WhatIfCurves& curves, const CurvePoint& point, std::size_t vapor,
                         const QString& which) {
    const VaporTimes& times = point.times.at(vapor);
    QString description = shownText(curves.vaporNames.at(vapor)) + which + QStringLiteral(" at ") +
                          quantityValueText(curves.quantity, point.value) + QStringLiteral(": ") +
                          shownText(breakTimeSummary(breakTimeTexts(times.estimate, times.minimum,
                                                                    times.maximum, times.beyondServiceCap)));
    if (point.kind != CurvePointKind::Model) {
        description += QStringLiteral(", ") + shownText(std::string(curvePointKindName(point.kind)));
    }
    return description;
}

struct SaveChoice {
    QString caption;
    QString fileName;
    QString filter;
    QString suffix;
};

}  // namespace

WhatIfWindow::WhatIfWindow(const CalcState& run, Messenger& messenger, DialogRunner& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), m_messenger(messenger), m_dialogs(dialogs) {
    setWindowTitle(QStringLiteral("What if..."));
    setAttribute(Qt::WA_DeleteOnClose);
    // At least two workers; on a larger machine one core is left to the rest of the program.
    m_pool.setMaxThreadCount(std::max(2, QThread::idealThreadCount() - 1));
    buildControls();
    buildLayout();
    connect(&m_watcher, &QFutureWatcher<CurvePoint>::progressRangeChanged, m_progress,
            &QProgressBar::setRange);
    connect(&m_watcher, &QFutureWatcher<CurvePoint>::progressValueChanged, this, [this](int done) {
        m_progress->setValue(done);
        m_status->setValue(
            QStringLiteral("Calculating: %1 of %2 points done").arg(done).arg(m_progress->maximum()));
    });
    connect(&m_watcher, &QFutureWatcher<CurvePoint>::finished, this, &WhatIfWindow::sweepFinished);
    connect(&m_scheduleWatcher, &QFutureWatcher<std::optional<std::string>>::finished, this, [this] {
        if (const std::optional<std::string> sentence = m_scheduleWatcher.result()) {
            m_schedule->setValue(shownText(*sentence));
            m_drawingSchedule = false;
        }
    });
    connect(m_quantity, &QComboBox::currentIndexChanged, this, &WhatIfWindow::startSweep);
    connect(m_cancel, &QPushButton::clicked, this, &WhatIfWindow::cancelSweep);
    connect(m_recalculate, &QPushButton::clicked, this, &WhatIfWindow::startSweep);
    connect(m_savePng, &QPushButton::clicked, this, [this] { save(SaveFormat::Png); });
    connect(m_savePdf, &QPushButton::clicked, this, [this] { save(SaveFormat::Pdf); });
    connect(m_saveCsv, &QPushButton::clicked, this, [this] { save(SaveFormat::Csv); });
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    setRun(run);
    resize(900, 720);
}

WhatIfWindow::~WhatIfWindow() {
    // The points already running stop at their next step; no other starts.
    m_watcher.disconnect(this);
    m_scheduleWatcher.disconnect(this);
    stopPoints();
    m_scheduleStop.request_stop();
    m_pool.waitForDone();
}

void WhatIfWindow::buildControls() {
    m_runCaption = new ValueLabel(QStringLiteral("Run the curves are of"), this);
    m_runCaption->setWordWrap(true);
    m_schedule = new ValueLabel(QStringLiteral("Change schedule of the run"), this);
    m_schedule->setWordWrap(true);
    m_schedule->setTextFormat(Qt::PlainText);
    m_schedule->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_quantity = new QComboBox(this);
    m_quantity->setAccessibleName(QStringLiteral("Quantity to vary"));
    for (const SweepQuantity quantity : kSweepQuantities) {
        m_quantity->addItem(quantityCaption(quantity), static_cast<int>(quantity));
    }
    m_chartView = new QChartView(this);
    m_chartView->setRenderHint(QPainter::Antialiasing);
    m_chartView->setMinimumSize(640, 400);
    m_chartView->setAccessibleName(QStringLiteral("Breakthrough time curves"));
    m_chartView->setFocusPolicy(Qt::NoFocus);
    m_pointLabel = new ValueLabel(QStringLiteral("Point under the pointer"), this);
    m_pointLabel->setValue(QStringLiteral("Point at a curve or a marker to read its values."));
    m_progress = new QProgressBar(this);
    m_progress->setAccessibleName(QStringLiteral("Progress of the curves"));
    m_status = new ValueLabel(QStringLiteral("State of the curves"), this);
    m_cancel = button(QStringLiteral("Cancel"), QStringLiteral("Cancel the calculation of the curves"), this);
    m_recalculate =
        button(QStringLiteral("Calculate Again"), QStringLiteral("Calculate the curves again"), this);
    m_notes = new QListWidget(this);
    m_notes->setAccessibleName(QStringLiteral("Notes on the points"));
    m_notes->setMaximumHeight(80);
    m_notes->setWordWrap(true);
    m_savePng = button(QStringLiteral("Save PNG..."), QStringLiteral("Save the chart as a PNG image"), this);
    m_savePdf = button(QStringLiteral("Save PDF..."), QStringLiteral("Save the chart as a PDF file"), this);
    m_saveCsv = button(QStringLiteral("Save CSV..."), QStringLiteral("Save the points as a CSV file"), this);
    m_close = button(QStringLiteral("Close"), QStringLiteral("Close the What if window"), this);
}

void WhatIfWindow::buildLayout() {
    auto* choice = new QHBoxLayout;
    auto* vary = new QLabel(QStringLiteral("&Vary:"), this);
    vary->setBuddy(m_quantity);
    choice->addWidget(vary);
    choice->addWidget(m_quantity);
    choice->addStretch();

    auto* work = new QHBoxLayout;
    work->addWidget(m_progress, 1);
    work->addWidget(m_cancel);
    work->addWidget(m_recalculate);

    auto* commands = new QHBoxLayout;
    commands->addWidget(m_savePng);
    commands->addWidget(m_savePdf);
    commands->addWidget(m_saveCsv);
    commands->addStretch();
    commands->addWidget(m_close);

    auto* frame = new QVBoxLayout(this);
    frame->addWidget(m_runCaption);
    frame->addWidget(m_schedule);
    frame->addLayout(choice);
    frame->addWidget(m_chartView, 1);
    frame->addWidget(m_pointLabel);
    frame->addLayout(work);
    frame->addWidget(m_status);
    frame->addWidget(m_notes);
    frame->addLayout(commands);
}

SweepQuantity WhatIfWindow::chosenQuantity() const {
    return static_cast<SweepQuantity>(m_quantity->currentData().toInt());
}

void WhatIfWindow::setRun(const CalcState& run) {
    m_run = std::make_shared<const CalcState>(run);
    showRunCaption(false);
    startSchedule();
    startSweep();
}

void WhatIfWindow::startSchedule() {
    m_scheduleStop.request_stop();
    m_scheduleStop = std::stop_source();
    m_schedule->setValue(QStringLiteral("Drawing the change schedule of this run..."));
    m_drawingSchedule = true;
    auto draw = [run = m_run, stop = m_scheduleStop.get_token()]() -> std::optional<std::string> {
        const ScopedRunStop stoppable(stop);
        try {
            return programmeResult(*run).schedule.sentence;
        } catch (const RunStopped&) {
            return std::nullopt;
        } catch (const std::exception& failure) {
            return std::string("The change schedule could not be drawn: ") + failure.what();
        }
    };
    m_scheduleWatcher.setFuture(QtConcurrent::run(&m_pool, std::move(draw)));
}

void WhatIfWindow::markRunOutdated() {
    showRunCaption(true);
}

void WhatIfWindow::showRunCaption(bool outdated) {
    const ConditionTexts conditions = conditionTexts(*m_run);
    const QString run = outdated ? QStringLiteral(
                                       "An earlier run (the results screen no longer shows it: "
                                       "Calculate there to bring these curves up to date)")
                                 : QStringLiteral("The results screen's last run");
    m_runCaption->setValue(
        run + QStringLiteral(", the other inputs held at its values: ") + shownText(conditions.temperature) +
        QStringLiteral(" °C, ") + shownText(conditions.pressure) + QStringLiteral(" atm, ") +
        shownText(conditions.relHumidity) + QStringLiteral(" % relative humidity, ") +
        shownText(conditions.airFlow) + QStringLiteral(" L/min, ") + shownText(conditions.cartName) + '.');
}

void WhatIfWindow::setComputing(bool computing) {
    m_computing = computing;
    m_cancel->setEnabled(computing);
    m_recalculate->setEnabled(!computing);
    for (QPushButton* save : {m_savePng, m_savePdf, m_saveCsv}) {
        save->setEnabled(!computing && m_curves.has_value());
    }
}

void WhatIfWindow::startSweep() {
    stopPoints();
    m_stop = std::stop_source();
    clearCurves(QStringLiteral("Calculating"));
    const SweepQuantity quantity = chosenQuantity();
    QList<PointJob> jobs;
    for (const double value : sweepValues(whatIfRange(quantity, m_pointCount))) {
        jobs.push_back({value, false});
    }
    jobs.push_back({0, true});
    // Each point copies the run it is handed; the shared run itself is never written.
    auto point = [run = m_run, quantity, stop = m_stop.get_token()](const PointJob& job) {
        const ScopedRunStop stoppable(stop);
        return job.operating ? whatIfOperatingPoint(*run, quantity) : whatIfPoint(*run, quantity, job.value);
    };
    m_progress->setRange(0, static_cast<int>(jobs.size()));
    m_progress->setValue(0);
    setComputing(true);
    m_watcher.setFuture(QtConcurrent::mapped(&m_pool, std::move(jobs), std::move(point)));
}

void WhatIfWindow::stopPoints() {
    m_stop.request_stop();
    m_watcher.cancel();
}

void WhatIfWindow::cancelSweep() {
    stopPoints();
    m_status->setValue(QStringLiteral("Cancelling"));
}

void WhatIfWindow::sweepFinished() {
    if (m_watcher.isCanceled()) {
        const int done = m_progress->value();
        clearCurves(QStringLiteral("Cancelled after %1 of %2 points: no curves are drawn. Calculate Again "
                                   "draws them.")
                        .arg(done)
                        .arg(m_progress->maximum()));
        setComputing(false);
        return;
    }
    WhatIfCurves curves;
    curves.quantity = chosenQuantity();
    for (int n = 1; n <= m_run->vaporCount; ++n) {
        curves.vaporNames.push_back(m_run->vapors[n].chemName);
    }
    const QList<CurvePoint> results = m_watcher.future().results();
    curves.points.assign(results.begin(), std::prev(results.end()));
    curves.operating = results.back();
    showCurves(std::move(curves));
    setComputing(false);
}

void WhatIfWindow::clearCurves(const QString& statusText) {
    m_curves.reset();
    QChart* old = m_chartView->chart();
    m_chartView->setChart(new QChart);
    delete old;
    m_notes->clear();
    m_notes->setAccessibleName(QStringLiteral("Notes on the points"));
    m_status->setValue(statusText);
    setComputing(m_computing);
}

void WhatIfWindow::showCurves(WhatIfCurves curves) {
    auto* chart = new QChart;
    const DrawnCurves drawn = drawWhatIfCurves(*chart, curves);
    QChart* old = m_chartView->chart();
    m_chartView->setChart(chart);
    delete old;
    for (std::size_t vapor = 0; vapor < drawn.estimates.size(); ++vapor) {
        drawn.estimates[vapor]->setPointsVisible(true);
        connect(drawn.estimates[vapor], &QLineSeries::hovered, this,
                [this, vapor](const QPointF& at, bool entered) {
                    if (entered) {
                        describePointNear(static_cast<int>(vapor), at.x());
                    }
                });
    }
    connect(drawn.operating, &QScatterSeries::hovered, this, [this](const QPointF& at, bool entered) {
        if (!entered || !m_curves || !m_curves->operating.hasTimes()) {
            return;
        }
        // The marker nearest in time is the vapor pointed at.
        std::size_t nearest = 0;
        for (std::size_t v = 1; v < m_curves->operating.times.size(); ++v) {
            if (std::abs(m_curves->operating.times[v].estimate - at.y()) <
                std::abs(m_curves->operating.times[nearest].estimate - at.y())) {
                nearest = v;
            }
        }
        m_pointLabel->setValue(
            pointDescription(*m_curves, m_curves->operating, nearest, QStringLiteral(" (this run)")));
        QToolTip::showText(QCursor::pos(), m_pointLabel->text(), m_chartView);
    });
    const QStringList notes = whatIfNotes(curves);
    m_notes->addItems(notes);
    m_notes->setAccessibleName(notes.isEmpty() ? QStringLiteral("Notes on the points: none")
                                               : QStringLiteral("Notes on the points: ") + notes.join(' '));
    if (notes.isEmpty()) {
        m_notes->addItem(QStringLiteral("Every point was found by the model."));
    }
    m_status->setValue(QStringLiteral("%1 points of each curve").arg(curves.points.size()));
    m_chartView->setAccessibleDescription(chart->title());
    m_curves = std::move(curves);
}

void WhatIfWindow::describePointNear(int vapor, double value) {
    if (!m_curves) {
        return;
    }
    const CurvePoint* nearest = nullptr;
    for (const CurvePoint& point : m_curves->points) {
        if (point.hasTimes() &&
            (nearest == nullptr || axisDistance(m_curves->quantity, point.value, value) <
                                       axisDistance(m_curves->quantity, nearest->value, value))) {
            nearest = &point;
        }
    }
    if (nearest == nullptr) {
        return;
    }
    m_pointLabel->setValue(pointDescription(*m_curves, *nearest, static_cast<std::size_t>(vapor), QString()));
    QToolTip::showText(QCursor::pos(), m_pointLabel->text(), m_chartView);
}

void WhatIfWindow::closeEvent(QCloseEvent* event) {
    // No point is started after the window has closed.
    m_watcher.cancel();
    QWidget::closeEvent(event);
}

// --- Saving ---

void WhatIfWindow::save(SaveFormat format) {
    if (!m_curves) {
        return;
    }
    const QString base =
        QStringLiteral("what-if-") + shownText(std::string(sweepQuantityName(m_curves->quantity)));
    const SaveChoice choice = [&] {
        switch (format) {
            case SaveFormat::Png:
                return SaveChoice{QStringLiteral("Save the Chart as a PNG Image"),
                                  base + QStringLiteral(".png"), QStringLiteral("PNG images (*.png)"),
                                  QStringLiteral("png")};
            case SaveFormat::Pdf:
                return SaveChoice{QStringLiteral("Save the Chart as a PDF File"),
                                  base + QStringLiteral(".pdf"), QStringLiteral("PDF files (*.pdf)"),
                                  QStringLiteral("pdf")};
            case SaveFormat::Csv:
                break;
        }
        return SaveChoice{QStringLiteral("Save the Points as a CSV File"), base + QStringLiteral(".csv"),
                          QStringLiteral("CSV files (*.csv)"), QStringLiteral("csv")};
    }();
    QString fileName =
        m_dialogs.saveFileName(this, choice.caption, QDir::home().filePath(choice.fileName), choice.filter);
    if (fileName.isEmpty()) {
        return;
    }
    if (QFileInfo(fileName).suffix().isEmpty()) {
        fileName += '.' + choice.suffix;
    }
    writeFile(format, fileName);
}

void WhatIfWindow::writeFile(SaveFormat format, const QString& fileName) {
    // The file is replaced only once all of it has been written.
    QSaveFile file(fileName);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        switch (format) {
            case SaveFormat::Png:
                written = m_chartView->grab().save(&file, "PNG");
                break;
            case SaveFormat::Pdf: {
                QPdfWriter pdf(&file);
                pdf.setPageOrientation(QPageLayout::Landscape);
                pdf.setTitle(m_chartView->chart()->title());
                QPainter painter(&pdf);
                QSizeF size = m_chartView->chart()->size();
                size.scale(painter.viewport().size(), Qt::KeepAspectRatio);
                m_chartView->scene()->render(&painter, QRectF(QPointF(0, 0), size),
                                             m_chartView->chart()->geometry());
                written = painter.end();
                break;
            }
            case SaveFormat::Csv: {
                const std::string csv = curvesCsv(m_curves->quantity, m_curves->vaporNames, m_curves->points);
                written = file.write(csv.data(), static_cast<qint64>(csv.size())) ==
                          static_cast<qint64>(csv.size());
                break;
            }
        }
    }
    if (!written || !file.commit()) {
        showNote(m_messenger, "The file " + QDir::toNativeSeparators(fileName).toStdString() +
                                  " could not be written: " + file.errorString().toStdString());
    }
}

}  // namespace quandrelle
