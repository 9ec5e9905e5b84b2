#include "quandrelle/report/ChangeScheduleReport.h"

#include <QDir>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSettings>
#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <utility>

#include "quandrelle/ProgramInfo.h"
#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/engine/MethodSummary.h"
#include "quandrelle/engine/ResultTexts.h"
#include "quandrelle/engine/SetUp.h"
#include "quandrelle/fit/CartridgeSource.h"

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

// A column heading: its lines break where the "\n" are and nowhere else, so that a narrow column
// never splits a word of its heading.
QString headingCell(const QString& lines) {
    return html(lines).replace(QLatin1Char('\n'), QStringLiteral("<br>"));
}

// A ruled table, as wide as its contents or as the page; every text is escaped already. Cells keep
// their text on one line, except a last column of sentences (`wrapLast`), which wraps at blanks
// so that the table stays within the page.
QString table(const QStringList& headings, const std::vector<QStringList>& rows, bool fullWidth = false,
              bool wrapLast = false) {
    QString result = QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\"%1>")
                         .arg(fullWidth ? QStringLiteral(" width=\"100%\"") : QString());
    if (!headings.isEmpty()) {
        QStringList shown;
        for (const QString& heading : headings) {
            shown.push_back(headingCell(heading));
        }
        result += cells(shown, QStringLiteral("th"));
    }
    const QString oneLine = QStringLiteral("td style=\"white-space: nowrap;\"");
    for (const QStringList& row : rows) {
        result += QStringLiteral("<tr>");
        for (qsizetype i = 0; i < row.size(); ++i) {
            const bool wraps = wrapLast && i == row.size() - 1;
            result += QStringLiteral("<%1>%2</td>").arg(wraps ? QStringLiteral("td") : oneLine, row[i]);
        }
        result += QStringLiteral("</tr>");
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

QString headingPart(const CalcState& state, const ReportContent& content) {
    const ReportHeading& heading = content.heading;
    QString part = QStringLiteral("<h1>%1</h1>").arg(html(kReportTitle));
    part += QStringLiteral("<p>Made %1 with Quandrelle %2</p>")
                .arg(html(content.madeAt.toString(QStringLiteral("yyyy-MM-dd HH:mm"))),
                     html(QString::fromUtf8(kProgramVersion.data(),
                                            static_cast<qsizetype>(kProgramVersion.size()))));
    part += table(
        {}, {{QStringLiteral("Site"), html(heading.site)},
             {QStringLiteral("Task"), html(heading.task)},
             {QStringLiteral("Prepared by"), html(heading.preparedBy)},
             {QStringLiteral("Cartridge"),
              html(state.cartName) + QStringLiteral(", %1 per respirator").arg(state.cartsPerRespirator)}});
    return part;
}

QString bulletList(const std::vector<std::string>& items) {
    QString list = QStringLiteral("<ul>");
    for (const std::string& item : items) {
        list += QStringLiteral("<li>%1</li>").arg(html(item));
    }
    return list + QStringLiteral("</ul>");
}

QString basisRule(const ScheduleInputs& rules) {
    if (rules.basis == ScheduleBasis::Minimum) {
        return QStringLiteral("the minimum of each vapor's range");
    }
    return QStringLiteral("each vapor's estimate divided by the safety factor %1")
        .arg(html(generalText(rules.safetyFactor)));
}

QString schedulePart(const CalcState& state, const ReportContent& content) {
    QString part = section(QStringLiteral("Change Schedule"));
    if (!content.programme) {
        return part + QStringLiteral("<p><b>No change schedule was drawn for this report.</b></p>");
    }
    const ChangeSchedule& schedule = content.programme->schedule;
    part += schedule.refused ? QStringLiteral("<p style=\"color: #b00000;\"><b>CAUTION: %1</b></p>")
                                   .arg(html(schedule.sentence))
                             : QStringLiteral("<p><b>%1</b></p>").arg(html(schedule.sentence));
    part += QStringLiteral("<p>Reasons:</p>") + bulletList(schedule.reasons);
    const ScheduleInputs& rules = state.schedule;
    return part +
           table({},
                 {{QStringLiteral("Basis"), basisRule(rules)},
                  {QStringLiteral("Shift"), html(generalText(rules.shiftHours)) + QStringLiteral(" hours")},
                  {QStringLiteral("Worn per shift"),
                   html(generalText(rules.wornHoursPerShift)) + QStringLiteral(" hours")},
                  {QStringLiteral("Service across shifts"),
                   rules.acrossShifts ? QStringLiteral("asked for") : QStringLiteral("not asked for")}});
}

QString facepieceName(const ExposureInputs& exposure) {
    switch (exposure.facepiece) {
        case Facepiece::HalfMask:
            return QStringLiteral("half mask");
        case Facepiece::FullFacepiece:
            return QStringLiteral("full facepiece");
        case Facepiece::Typed:
            break;
    }
    return QStringLiteral("protection factor typed by the user");
}

QString limitText(const std::optional<double>& ppm) {
    return ppm ? html(generalText(*ppm)) : QStringLiteral("none entered");
}

QString exposurePart(const CalcState& state, const ReportContent& content) {
    QString part = section(QStringLiteral("Exposure Check"));
    if (!content.programme) {
        return part + QStringLiteral("<p>Not checked.</p>");
    }
    const ExposureCheck& check = content.programme->exposure;
    part += QStringLiteral(
                "<p>Facepiece: %1, assigned protection factor %2. The program ships no exposure "
                "limits: they differ by jurisdiction and are the user's entries.</p>")
                .arg(facepieceName(state.exposure), html(generalText(check.protectionFactor)));
    std::vector<QStringList> rows;
    for (int slot : slotsOfTheRun(state)) {
        const VaporData& vapor = state.vapors[slot];
        const auto ratio = std::find_if(check.hazardRatios.begin(), check.hazardRatios.end(),
                                        [slot](const HazardRatio& r) { return r.slot == slot; });
        rows.push_back({QString::number(slot), html(vapor.chemName), shownNumber(vapor.avgConc),
                        limitText(vapor.oel), limitText(vapor.idlh),
                        ratio == check.hazardRatios.end() ? QStringLiteral("not checked")
                                                          : html(formatNumber(ratio->ratio, "0.00"))});
    }
    part += table({QStringLiteral("#"), QStringLiteral("Vapor"), QStringLiteral("Concentration\n(ppm)"),
                   QStringLiteral("Exposure limit\n(ppm)"), QStringLiteral("IDLH\n(ppm)"),
                   QStringLiteral("Hazard\nratio")},
                  rows);
    part += QStringLiteral("<p>Sum of the hazard ratios (the vapors' effects taken as adding up): %1. %2</p>")
                .arg(html(formatNumber(check.sum, "0.00")),
                     check.adequate ? QStringLiteral("The facepiece is adequate for the limits entered.")
                                    : QStringLiteral("<b>The facepiece is NOT adequate: no schedule.</b>"));
    return part + bulletList(check.reasons);
}

QString cartridgePart(const CalcState& state, const std::string& cartridgeSource) {
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
           QStringLiteral("<p>Name: <b>%1</b></p><p>Source of its data: %2</p>")
               .arg(html(state.cartName), html(cartridgeSource)) +
           table({QStringLiteral("Quantity"), QStringLiteral("Value"), QStringLiteral("Unit")}, rows);
}

QString vaporSource(const VaporData& vapor) {
    return vapor.dataSource.empty() ? QStringLiteral("typed by the user") : html(vapor.dataSource);
}

QString vaporsPart(const CalcState& state) {
    std::vector<QStringList> properties;
    std::vector<QStringList> pressures;
    std::vector<QStringList> exposure;
    std::vector<QStringList> sources;
    for (int slot : slotsOfTheRun(state)) {
        const VaporData& vapor = state.vapors[slot];
        const QString number = QString::number(slot);
        const QString name = html(vapor.chemName);
        properties.push_back({number, name, html(vapor.casNumber), shownNumber(vapor.molWt),
                              shownNumber(vapor.liqDensity), shownNumber(vapor.molPolariz)});
        pressures.push_back({number, name, shownNumber(vapor.waterSolFactor), shownNumber(vapor.antoineA),
                             shownNumber(vapor.antoineB), shownNumber(vapor.antoineC)});
        exposure.push_back({number, name, shownNumber(vapor.avgConc),
                            html(massConcentrationText(equivalentConcentration(state, slot))),
                            html(generalText(state.breakConc[slot])),
                            html(generalText(state.breakFraction[slot]))});
        sources.push_back({number, name, vaporSource(vapor)});
    }
    return section(QStringLiteral("Vapors")) +
           table({QStringLiteral("#"), QStringLiteral("Name"), QStringLiteral("CAS\nNumber"),
                  QStringLiteral("Molecular weight\n(g/mol)"), QStringLiteral("Liquid density\n(g/cm³)"),
                  QStringLiteral("Molecular\npolarizability\n(cm³/mol)")},
                 properties, true) +
           QStringLiteral("<p></p>") +
           table({QStringLiteral("#"), QStringLiteral("Name"), QStringLiteral("Water\nsolubility\nfactor"),
                  QStringLiteral("Antoine A"), QStringLiteral("Antoine B\n(K)"),
                  QStringLiteral("Antoine C\n(K)")},
                 pressures, true) +
           QStringLiteral("<p>Antoine parameters: ln P[torr] = A - B / (T[K] + C).</p>") +
           table({QStringLiteral("#"), QStringLiteral("Name"), QStringLiteral("Concentration\n(ppm)"),
                  QStringLiteral("Concentration\n(mg/m³)"),
                  QStringLiteral("Breakthrough\nconcentration\n(ppm)"),
                  QStringLiteral("Breakthrough\nfraction")},
                 exposure, true) +
           QStringLiteral("<p>Source of each vapor's data:</p>") +
           table({QStringLiteral("#"), QStringLiteral("Name"), QStringLiteral("Source")}, sources, true,
                 true);
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

QString basisOf(const ReportContent& content, int slot) {
    if (!content.programme) {
        return QString();
    }
    for (const VaporBasis& basis : content.programme->schedule.bases) {
        if (basis.slot == slot) {
            return html(wearText(basis.basis));
        }
    }
    return QString();
}

QString resultsPart(const CalcState& state, const ReportContent& content) {
    std::vector<QStringList> rows;
    for (int slot : slotsOfTheRun(state)) {
        const VaporData& vapor = state.vapors[slot];
        const BreakTimeTexts times = breakTimeTexts(state, slot);
        rows.push_back({QStringLiteral("Vapor #%1").arg(slot), html(vapor.chemName),
                        shownNumber(vapor.avgConc), html(generalText(state.breakConc[slot])),
                        html(times.estimate), html(times.minimum), html(times.maximum),
                        basisOf(content, slot)});
    }
    return section(QStringLiteral("Calculated Results")) +
           QStringLiteral(
               "<p>Breakthrough times in minutes: the estimate and its range (min to max); the "
               "schedule basis of each vapor as the change schedule takes it.</p>") +
           table({QString(), QStringLiteral("Organic Vapor"), QStringLiteral("Concentration\n(ppm)"),
                  QStringLiteral("Breakthrough\n(ppm)"), QStringLiteral("Estimated\n(min)"),
                  QStringLiteral("Min\n(min)"), QStringLiteral("Max\n(min)"),
                  QStringLiteral("Schedule\nbasis")},
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
                   QStringLiteral("<p>%1</p>").arg(html(std::string(kMethodSummary))) +
                   QStringLiteral("<p>%1</p>")
                       .arg(headingCell(QString::fromUtf8(
                           kValidationSummary.data(), static_cast<qsizetype>(kValidationSummary.size()))));
    if (!content.method.empty()) {
        part +=
            QStringLiteral("<p>This run (%1): %2</p>").arg(html(content.method), methodOfRun(content.method));
    }
    return part;
}

QString signOffPart() {
    const QString line = QStringLiteral("______________________________");
    return section(QStringLiteral("Re-evaluation and Sign-off")) +
           QStringLiteral(
               "<p><b>This schedule must be re-evaluated whenever the process, the concentrations or "
               "the cartridge change.</b></p>") +
           table({}, {{QStringLiteral("Prepared by"), line},
                      {QStringLiteral("Reviewed by"), line},
                      {QStringLiteral("Date"), line}});
}

}  // namespace

ReportHeading headingFor(const CalcState& state, const ReportHeading& remembered) {
    return headingFor(state.reportHeader, remembered);
}

ReportHeading headingFor(const ReportHeader& header, const ReportHeading& remembered) {
    const auto either = [](const std::string& held, const QString& kept) {
        return held.empty() ? kept : QString::fromStdString(held);
    };
    return ReportHeading{either(header.site, remembered.site), either(header.task, remembered.task),
                         either(header.preparedBy, remembered.preparedBy)};
}

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

ReportContent runReportContent(const CalcState& state, const ReportHeading& heading,
                               const std::string& dataFolder) {
    ReportContent content;
    content.heading = heading;
    content.madeAt = QDateTime::currentDateTime();
    content.method = std::string(methodName(state.runReport.method));
    content.notes = state.runReport.notes;
    content.programme = programmeResult(state);
    if (!dataFolder.empty()) {
        content.cartridgeSource = cartridgeSource(dataFolder, state.cartName, &state).summary();
    }
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
                       "th { background-color: #e8e8e8; white-space: nowrap; }"));
    if (!content.humidityCurve.isNull()) {
        document->addResource(QTextDocument::ImageResource, QUrl(kCurveResource), content.humidityCurve);
    }
    // The schedule and whether the facepiece is enough come first, on the first page; then the
    // results it was drawn from, and everything those were made of; the sign-off last.
    const QString newPage = QStringLiteral("<div style=\"page-break-before: always;\"></div>");
    document->setHtml(headingPart(state, content) + schedulePart(state, content) +
                      exposurePart(state, content) + newPage + resultsPart(state, content) +
                      notesPart(content) + curvePart(content) +
                      cartridgePart(state, content.cartridgeSource) + vaporsPart(state) +
                      conditionsPart(state) + methodPart(content) + signOffPart());
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
