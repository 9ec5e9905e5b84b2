#include "quandrelle/screens/whatif/WhatIfChart.h"

#include <QAreaSeries>
#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPainter>
#include <QScatterSeries>
#include <QValueAxis>
#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>
#include <array>
#include <exception>
#include <map>
#include <utility>

#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/screens/widgets/ShownText.h"
#include "quandrelle/validation/SweepLimits.h"

namespace quandrelle {

namespace {

// Colours told apart also by readers with the common colour-vision deficiencies.
constexpr std::array<QRgb, 5> kVaporColors{0x0072B2, 0xD55E00, 0x009E73, 0xCC79A7, 0xE69F00};
// How strongly a vapor's min-max band is tinted with its colour.
constexpr int kBandAlpha = 50;

QAbstractAxis* quantityAxis(SweepQuantity quantity) {
    QAbstractAxis* axis = nullptr;
    if (quantity == SweepQuantity::ConcentrationScale) {
        auto* logAxis = new QLogValueAxis;
        logAxis->setBase(10);
        logAxis->setLabelFormat(QStringLiteral("%g"));
        logAxis->setMinorTickCount(8);
        axis = logAxis;
    } else {
        auto* valueAxis = new QValueAxis;
        valueAxis->setLabelFormat(QStringLiteral("%g"));
        axis = valueAxis;
    }
    axis->setTitleText(quantityCaption(quantity));
    return axis;
}

void attach(QChart& chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y) {
    chart.addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

QScatterSeries* markers(const QString& name, QScatterSeries::MarkerShape shape, const QColor& color,
                        qreal size) {
    auto* series = new QScatterSeries;
    series->setName(name);
    series->setMarkerShape(shape);
    series->setMarkerSize(size);
    series->setColor(color);
    series->setBorderColor(color.darker());
    return series;
}

// A vapor's estimates as a line, and its range as a tinted band behind it (the band's own entry in
// the legend is left out: the line's entry names the vapor).
QLineSeries* drawVapor(QChart& chart, const WhatIfCurves& curves, std::size_t vapor, QAbstractAxis* x,
                       QAbstractAxis* y) {
    auto* estimate = new QLineSeries;
    auto* upper = new QLineSeries;
    auto* lower = new QLineSeries;
    estimate->setName(shownText(curves.vaporNames[vapor]));
    for (const CurvePoint& point : curves.points) {
        if (point.hasTimes()) {
            const VaporTimes& times = point.times.at(vapor);
            estimate->append(point.value, times.estimate);
            upper->append(point.value, times.maximum);
            lower->append(point.value, times.minimum);
        }
    }
    const QColor color = QColor::fromRgb(kVaporColors.at(vapor % kVaporColors.size()));
    auto* band = new QAreaSeries(upper, lower);
    band->setName(estimate->name() + QStringLiteral(" min-max"));
    QColor tint = color;
    tint.setAlpha(kBandAlpha);
    band->setColor(tint);
    band->setBorderColor(tint);
    attach(chart, band, x, y);
    attach(chart, estimate, x, y);
    QPen pen(color);
    pen.setWidthF(2);
    estimate->setPen(pen);
    for (QLegendMarker* marker : chart.legend()->markers(band)) {
        marker->setVisible(false);
    }
    return estimate;
}

std::pair<double, double> quantitySpan(const WhatIfCurves& curves) {
    double low = curves.operating.value;
    double high = curves.operating.value;
    for (const CurvePoint& point : curves.points) {
        low = std::min(low, point.value);
        high = std::max(high, point.value);
    }
    return {low, high};
}

double longestTime(const WhatIfCurves& curves) {
    double longest = 0;
    for (const CurvePoint& point : curves.points) {
        for (const VaporTimes& times : point.times) {
            longest = std::max({longest, times.estimate, times.maximum});
        }
    }
    for (const VaporTimes& times : curves.operating.times) {
        longest = std::max({longest, times.estimate, times.maximum});
    }
    return longest;
}

QString kindCaption(CurvePointKind kind) {
    switch (kind) {
        case CurvePointKind::Model:
            break;
        case CurvePointKind::Fallback:
            return QStringLiteral("Found with the fallback solver");
        case CurvePointKind::Conservative:
            return QStringLiteral("Conservative estimate (no equilibrium under the model)");
        case CurvePointKind::Refused:
            return QStringLiteral("Not calculated, refused");
        case CurvePointKind::Failed:
            return QStringLiteral("Not calculated, the run failed");
    }
    return {};
}

}  // namespace

SweepRange whatIfRange(SweepQuantity quantity, int count) {
    SweepRange range{quantity, 0, 0, count, false};
    switch (quantity) {
        case SweepQuantity::RelHumidity:
            range.from = 0;
            range.to = 95;
            break;
        case SweepQuantity::ConcentrationScale:
            range.from = 0.1;
            range.to = 10;
            range.logarithmic = true;
            break;
        case SweepQuantity::AirFlow:
            range.from = 10;
            range.to = 100;
            break;
        case SweepQuantity::Temperature:
            range.from = 0;
            range.to = 45;
            break;
    }
    if (const std::optional<FieldLimits> limits = sweptFieldLimits(quantity)) {
        // Humidity starts at its field's lowest value whatever it is; the other ranges only shrink.
        range.from = quantity == SweepQuantity::RelHumidity
                         ? limits->lower
                         : std::clamp(range.from, limits->lower, limits->upper);
        range.to = std::clamp(range.to, limits->lower, limits->upper);
    }
    return range;
}

CurvePoint whatIfPoint(const CalcState& run, SweepQuantity quantity, double value) {
    try {
        if (std::optional<std::string> problem = sweptValueProblem(run, quantity, value)) {
            return refusedCurvePoint(value, "The field would refuse it: " + *problem + ".");
        }
        return curvePointOf(runSweepPoint(run, quantity, value), run.vaporCount);
    } catch (const std::exception& failure) {
        // Whatever escapes a run fails its point only, and says why, like any failed run.
        return CurvePoint{value, CurvePointKind::Failed, failure.what(), {}};
    }
}

CurvePoint whatIfOperatingPoint(const CalcState& run, SweepQuantity quantity) {
    try {
        return curvePointOf(runOperatingPoint(run, quantity), run.vaporCount);
    } catch (const std::exception& failure) {
        return CurvePoint{operatingValue(run, quantity), CurvePointKind::Failed, failure.what(), {}};
    }
}

QString quantityCaption(SweepQuantity quantity) {
    switch (quantity) {
        case SweepQuantity::RelHumidity:
            return QStringLiteral("Relative humidity of use (%)");
        case SweepQuantity::ConcentrationScale:
            return QStringLiteral("Concentration of the whole mixture (times the entered)");
        case SweepQuantity::AirFlow:
            return QStringLiteral("Average breathing air flow (L/min)");
        case SweepQuantity::Temperature:
            return QStringLiteral("Temperature (°C)");
    }
    return {};
}

QString quantityValueText(SweepQuantity quantity, double value) {
    switch (quantity) {
        case SweepQuantity::RelHumidity:
            return shownText(generalText(roundHalfEven(value, 2))) + QStringLiteral(" %");
        case SweepQuantity::ConcentrationScale:
            return shownText(generalText(roundHalfEven(value, 3))) + QStringLiteral(" x");
        case SweepQuantity::AirFlow:
            return shownText(generalText(roundHalfEven(value, 2))) + QStringLiteral(" L/min");
        case SweepQuantity::Temperature:
            return shownText(generalText(roundHalfEven(value, 2))) + QStringLiteral(" °C");
    }
    return {};
}

DrawnCurves drawWhatIfCurves(QChart& chart, const WhatIfCurves& curves) {
    DrawnCurves drawn;
    chart.setTitle(QStringLiteral("Breakthrough time against ") + quantityCaption(curves.quantity));
    QAbstractAxis* x = quantityAxis(curves.quantity);
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("Breakthrough time (min)"));
    y->setLabelFormat(QStringLiteral("%g"));
    chart.addAxis(x, Qt::AlignBottom);
    chart.addAxis(y, Qt::AlignLeft);
    const auto [low, high] = quantitySpan(curves);
    x->setRange(low, high);
    if (auto* linear = qobject_cast<QValueAxis*>(x)) {
        // Round ticks (0, 20, 40...) read better than the range's own ends (1, 24.5, 48...).
        linear->applyNiceNumbers();
    }
    y->setRange(0, std::max(longestTime(curves) * 1.05, 1.0));
    y->applyNiceNumbers();

    for (std::size_t vapor = 0; vapor < curves.vaporNames.size(); ++vapor) {
        drawn.estimates.push_back(drawVapor(chart, curves, vapor, x, y));
    }
    drawn.operating = markers(
        QStringLiteral("This run (") + quantityValueText(curves.quantity, curves.operating.value) + ')',
        QScatterSeries::MarkerShapeCircle, Qt::black, 11);
    for (const VaporTimes& times : curves.operating.times) {
        drawn.operating->append(curves.operating.value, times.estimate);
    }
    attach(chart, drawn.operating, x, y);

    auto* remarked = markers(QStringLiteral("Fallback or conservative"), QScatterSeries::MarkerShapeTriangle,
                             QColor(0xE69F00), 12);
    // Points without times stand on the time axis's zero, where no curve can hide them.
    auto* notCalculated = markers(QStringLiteral("Not calculated"),
                                  QScatterSeries::MarkerShapeRotatedRectangle, QColor(0xC00000), 12);
    for (const CurvePoint& point : curves.points) {
        if (!point.hasTimes()) {
            notCalculated->append(point.value, 0);
        } else if (point.kind != CurvePointKind::Model) {
            for (const VaporTimes& times : point.times) {
                remarked->append(point.value, times.estimate);
            }
        }
    }
    for (auto [series, slot] :
         {std::pair{remarked, &drawn.remarked}, std::pair{notCalculated, &drawn.notCalculated}}) {
        if (series->count() == 0) {
            delete series;
        } else {
            attach(chart, series, x, y);
            *slot = series;
        }
    }
    return drawn;
}

QStringList whatIfNotes(const WhatIfCurves& curves) {
    // Points with the same remark are named together, in the order they first occur.
    std::vector<std::pair<std::pair<CurvePointKind, std::string>, QStringList>> groups;
    for (const CurvePoint& point : curves.points) {
        if (point.kind == CurvePointKind::Model) {
            continue;
        }
        const auto key = std::pair{point.kind, point.reason};
        auto group =
            std::find_if(groups.begin(), groups.end(), [&](const auto& g) { return g.first == key; });
        if (group == groups.end()) {
            groups.push_back({key, {}});
            group = std::prev(groups.end());
        }
        group->second << quantityValueText(curves.quantity, point.value);
    }
    QStringList notes;
    for (const auto& [key, values] : groups) {
        QString note = kindCaption(key.first) + QStringLiteral(" at ") + values.join(QStringLiteral(", "));
        if (!key.second.empty()) {
            note += QStringLiteral(": ") + shownText(key.second);
        }
        notes << note;
    }
    return notes;
}

WhatIfCurves computeWhatIfCurves(const CalcState& run, SweepQuantity quantity, int count) {
    WhatIfCurves curves;
    curves.quantity = quantity;
    for (int n = 1; n <= run.vaporCount; ++n) {
        curves.vaporNames.push_back(run.vapors[n].chemName);
    }
    const std::vector<double> values = sweepValues(whatIfRange(quantity, count));
    curves.points = QtConcurrent::blockingMapped<std::vector<CurvePoint>>(
        values, [&run, quantity](double value) { return whatIfPoint(run, quantity, value); });
    curves.operating = whatIfOperatingPoint(run, quantity);
    return curves;
}

QImage humidityCurveImage(const CalcState& run, QSize size) {
    return humidityCurveImage(computeWhatIfCurves(run, SweepQuantity::RelHumidity), size);
}

QImage humidityCurveImage(const WhatIfCurves& curves, QSize size) {
    QGraphicsScene scene;
    auto* chart = new QChart;  // the scene's from here on
    scene.addItem(chart);
    drawWhatIfCurves(*chart, curves);
    chart->resize(size);
    chart->layout()->activate();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter, QRectF(QPointF(0, 0), size), chart->geometry());
    painter.end();
    return image;
}

}  // namespace quandrelle
