#include "quandrelle/report/ChangeScheduleReport.h"

#include <QDir>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSettings>
#include <QStringList>
#include <QUrl>
#include <utility>

#include "quandrelle/ProgramInfo.h"
#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/engine/MethodSummary.h"
#include "quandrelle/engine/ResultTexts.h"
#include "quandrelle/engine/SetUp.h"

namespace quandrelle {
namespace {

const QString kSiteKey = QStringLiteral("report/site");
const QString kTaskKey = QStringLiteral("report/task");
const QString kPreparedByKey = QStringLiteral("report/preparedBy");
const QString kCurveResource = QStringLiteral("quandrelle-humidity-curve");

QString html(const std::string& text) {
    return QString::fromStdString(text).toHtmlEscaped();
}

QString html(const QString& text) {
    return text.toHtmlEscaped();
}

QString cells(const QStringList& texts, const QString& tag) {
    QString row = QStringLiteral("<tr>");
    for (const QString& text : texts) {
        row += QStringLiteral("<%1>%2</%1>").arg(tag, text);
    }
    return row + QStringLiteral("</tr>");
}

// A ruled table, as wide as its contents or as the page; every text is escaped already.
QString table(const QStringList& headings, const std::vector<QStringList>& rows, bool fullWidth = false) {
    QString result = QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\"%1>")
                         .arg(fullWidth ? QStringLiteral(" width=\"100%\"") : QString());
    if (!headings.isEmpty()) {
        result += cells(headings, QStringLiteral("th"));
    }
    for (const QStringList& row : rows) {
        result += cells(row, QStringLiteral("td"));
    }
    return result + QStringLiteral("</table>");
}

QString section(const QString& title) {
    return QStringLiteral("<h2>%1</h2>").arg(title);
}

std::vector<int> slotsOfTheRun(const CalcState& state) {
    std::vector<int> inRun;
    for (int slot = kFirstSlot; slot <= state.vaporCount; ++slot) {
        if (isSlotInUse(state.vapors[slot])) {
            inRun.push_back(slot);
        }
    }
    return inRun;
}

QString shownNumber(float value) {
    return html(generalText(value));
}

QString percentOf(float fraction) {
    return html(generalText(roundHalfEven(fraction * 100.0f, 2)));
}

QString headingPart(const ReportContent& content) {
    const ReportHeading& heading = content.heading;
    QString part = QStringLiteral("<h1>%1</h1>").arg(html(kReportTitle));
    part += QStringLiteral("<p>Made %1 with Quandrelle %2</p>")
                .arg(html(content.madeAt.toString(QStringLiteral("yyyy-MM-dd HH:mm"))),
                     html(QString::fromUtf8(kProgramVersion.data(),
                                            static_cast<qsizetype>(kProgramVersion.size()))));
    part += table({}, {{QStringLiteral("Site"), html(heading.site)},
                       {QStringLiteral("Task"), html(heading.task)},
                       {QStringLiteral("Prepared by"), html(heading.preparedBy)}});
    return part;
}

QString cartridgePart(const CalcState& state) {
    // The model uses the water affinity raised by 5/3 for carbon preconditioned above 50 %.
    const QString affinityNote = state.precondRH > 0.5f ? QStringLiteral(
                                                              " (as used: the entered value x 5/3 for carbon "
                                                              "preconditioned above 50 %)")
                                                        : QString();
    const std::vector<QStringList> rows = {
        {QStringLiteral("Bed diameter"), shownNumber(state.bedDiameter), QStringLiteral("cm")},
        {QStringLiteral("Bed depth"), shownNumber(state.bedDepth), QStringLiteral("cm")},
        {QStringLiteral("Carbon weight per cartridge or bed"), shownNumber(state.carbonWeight),
         QStringLiteral("g")},
        {QStringLiteral("Micropore volume"), shownNumber(state.microporeVolume), QStringLiteral("cm³/g")},
        {QStringLiteral("Preconditioned relative humidity"), percentOf(state.precondRH), QStringLiteral("%")},
        {QStringLiteral("Carbon granule average diameter"), shownNumber(state.granuleDiameter),
         QStringLiteral("cm")},
        {QStringLiteral("Adsorption potential for benzene"), shownNumber(state.benzenePotential),
         QStringLiteral("kJ/mol")},
        {QStringLiteral("Affinity coefficient for water") + affinityNote, shownNumber(state.waterAffinity),
         QString()},
    };
    return section(QStringLiteral("Cartridge")) +
           QStringLiteral("<p>Name: <b>%1</b></p>").arg(html(state.cartName)) +
           table({QStringLiteral("Quantity"), QStringLiteral("Value"), QStringLiteral("Unit")}, rows);
}

QString vaporsPart(const CalcState& state) {
    std::vector<QStringList> properties;
    std::vector<QStringList> exposure;
    for (int slot : slotsOfTheRun(state)) {
        const VaporData& vapor = state.vapors[slot];
        const QString number = QString::number(slot);
        properties.push_back({number, html(vapor.chemName), html(vapor.casNumber), shownNumber(vapor.molWt),
                              shownNumber(vapor.liqDensity), shownNumber(vapor.molPolariz),
                              shownNumber(vapor.waterSolFactor), shownNumber(vapor.antoineA),
                              shownNumber(vapor.antoineB), shownNumber(vapor.antoineC)});
        exposure.push_back({number, html(vapor.chemName), shownNumber(vapor.avgConc),
                            html(massConcentrationText(equivalentConcentration(state, slot))),
                            html(generalText(state.breakConc[slot])),
                            html(generalText(state.breakFraction[slot]))});
    }
    return section(QStringLiteral("Vapors")) +
           table({QStringLiteral("#"), QStringLiteral("Name"), QStringLiteral("CAS Number"),
                  QStringLiteral("Molecular Weight (g/mol)"), QStringLiteral("Liquid Density (g/cm³)"),
                  QStringLiteral("Molecular Polarizability (cm³/mol)"),
                  QStringLiteral("Water Solubility Factor"), QStringLiteral("Antoine A"),
                  QStringLiteral("Antoine B (K)"), QStringLiteral("Antoine C (K)")},
                 properties, true) +
           QStringLiteral("<p>Antoine parameters: ln P[torr] = A - B / (T[K] + C).</p>") +
           table({QStringLiteral("#"), QStringLiteral("Name"), QStringLiteral("Concentration (ppm)"),
                  QStringLiteral("Concentration (mg/m³)"), QStringLiteral("Breakthrough Concentration (ppm)"),
                  QStringLiteral("Breakthrough Fraction")},
                 exposure, true);
}

QString conditionsPart(const CalcState& state) {
    const std::vector<QStringList> rows = {
        {QStringLiteral("Temperature (oC)"), shownNumber(state.tempC)},
        {QStringLiteral("Atmospheric Pressure (atm)"), html(formatNumber(state.atmPressure, "0.00"))},
        {QStringLiteral("Use Relative Humidity (%)"),
         html(formatNumber(roundHalfEven(state.relHumidity * 100.0f, 2), "00"))},
        {QStringLiteral("Average Air Flow (L/min)"), shownNumber(state.airFlow)},
        {QStringLiteral("Cartridges per Respirator"), QString::number(state.cartsPerRespirator)},
        {QStringLiteral("Equivalent Conc Vapor#1 (mg/m3)"),
         html(massConcentrationText(equivalentConcentration(state)))},
    };
    return section(QStringLiteral("Use Conditions")) + table({}, rows);
}

QString resultsPart(const CalcState& state) {
    std::vector<QStringList> rows;
    for (int slot : slotsOfTheRun(state)) {
        const VaporData& vapor = state.vapors[slot];
        const BreakTimeTexts times = breakTimeTexts(state, slot);
        rows.push_back({QStringLiteral("Vapor #%1").arg(slot), html(vapor.chemName),
                        shownNumber(vapor.avgConc),
                        html(massConcentrationText(equivalentConcentration(state, slot))),
                        html(generalText(state.breakConc[slot])), html(times.estimate), html(times.minimum),
                        html(times.maximum)});
    }
    return section(QStringLiteral("Calculated Results")) +
           QStringLiteral("<p>Breakthrough times in minutes: the estimate and its range (min to max).</p>") +
           table({QString(), QStringLiteral("Organic Vapors"), QStringLiteral("Vapor Concentrations (ppm)"),
                  QStringLiteral("(mg/m³)"), QStringLiteral("Breakthrough Concentrations (ppm)"),
                  QStringLiteral("Estimated"), QStringLiteral("Min"), QStringLiteral("Max")},
                 rows, true);
}

QString curvePart(const ReportContent& content) {
    if (content.humidityCurve.isNull()) {
        return {};
    }
    return section(QStringLiteral("Breakthrough Time against Humidity")) +
           QStringLiteral("<p><img src=\"%1\" width=\"560\"></p>").arg(kCurveResource);
}

QString methodOfRun(const std::string& method) {
    if (method == "model") {
        return QStringLiteral("the mixture model found the equilibrium at every stage.");
    }
    if (method == "fallback") {
        return QStringLiteral("a second solver of the same equations found the equilibrium at some stage.");
    }
    if (method == "conservative") {
        return QStringLiteral("no equilibrium exists under the model; the conservative estimate is shown.");
    }
    return html(method);
}

QString notesPart(const ReportContent& content) {
    QString part = section(QStringLiteral("Notes and Cautions"));
    if (content.notes.empty()) {
        return part + QStringLiteral("<p>None for this run.</p>");
    }
    part += QStringLiteral("<ul>");
    for (const std::string& note : content.notes) {
        part += QStringLiteral("<li>%1</li>").arg(html(note));
    }
    return part + QStringLiteral("</ul>");
}

QString methodPart(const ReportContent& content) {
    QString part = section(QStringLiteral("Method")) +
                   QStringLiteral("<p>%1</p>").arg(html(std::string(kMethodSummary)));
    if (!content.method.empty()) {
        part +=
            QStringLiteral("<p>This run (%1): %2</p>").arg(html(content.method), methodOfRun(content.method));
    }
    return part;
}

}  // namespace

std::unique_ptr<QSettings> reportSettings() {
    return std::make_unique<QSettings>(QSettings::UserScope, QStringLiteral("Quandrelle"),
                                       QStringLiteral("Quandrelle"));
}

ReportHeading loadReportHeading(QSettings& settings) {
    return ReportHeading{settings.value(kSiteKey).toString(), settings.value(kTaskKey).toString(),
                         settings.value(kPreparedByKey).toString()};
}

void saveReportHeading(QSettings& settings, const ReportHeading& heading) {
    settings.setValue(kSiteKey, heading.site);
    settings.setValue(kTaskKey, heading.task);
    settings.setValue(kPreparedByKey, heading.preparedBy);
}

ReportContent runReportContent(const CalcState& state, const ReportHeading& heading) {
    ReportContent content;
    content.heading = heading;
    content.madeAt = QDateTime::currentDateTime();
    content.method = std::string(methodName(state.runReport.method));
    content.notes = state.runReport.notes;
    return content;
}

std::unique_ptr<QTextDocument> buildChangeScheduleReport(const CalcState& state,
                                                         const ReportContent& content) {
    auto document = std::make_unique<QTextDocument>();
    document->setMetaInformation(QTextDocument::DocumentTitle, kReportTitle);
    QFont font = document->defaultFont();
    font.setPointSizeF(9);
    document->setDefaultFont(font);
    document->setDefaultStyleSheet(
        QStringLiteral("h1 { font-size: 16pt; } h2 { font-size: 12pt; } "
                       "th { background-color: #e8e8e8; } td { white-space: nowrap; }"));
    if (!content.humidityCurve.isNull()) {
        document->addResource(QTextDocument::ImageResource, QUrl(kCurveResource), content.humidityCurve);
    }
    // The answer and what to beware of first; then everything it was made of.
    document->setHtml(headingPart(content) + resultsPart(state) + notesPart(content) + curvePart(content) +
                      cartridgePart(state) + vaporsPart(state) + conditionsPart(state) + methodPart(content));
    return document;
}

QPageSize defaultReportPageSize() {
    return QPageSize(QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                                        : QPageSize::A4);
}

void paintReport(QTextDocument& document, QPagedPaintDevice& device) {
    document.print(&device);
}

void writeReportPdf(QTextDocument& document, const QString& fileName, const QPageSize& pageSize) {
    const QString shownName = QDir::toNativeSeparators(fileName);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        throw ReportWriteError("The report could not be written to " + shownName.toStdString() + ": " +
                               file.errorString().toStdString());
    }
    {
        QPdfWriter writer(&file);
        writer.setPageSize(pageSize);
        // The document keeps its own margin of 2 cm on every side of the page.
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setTitle(kReportTitle);
        writer.setCreator(QStringLiteral("Quandrelle"));
        paintReport(document, writer);
    }
    if (!file.commit()) {
        throw ReportWriteError("The report could not be written to " + shownName.toStdString() + ": " +
                               file.errorString().toStdString());
    }
}

}  // namespace quandrelle
