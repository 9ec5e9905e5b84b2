#include "quandrelle/calc/FitCommand.h"

#include <algorithm>
#include <iostream>

#include "quandrelle/calc/CalcProgram.h"
#include "quandrelle/calc/TextColumns.h"
#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/fit/FitRequestJson.h"
#include "quandrelle/scenario/ScenarioText.h"
#include "quandrelle/stores/RecordText.h"

namespace quandrelle::calc {

namespace {

using nlohmann::json;
using nlohmann::ordered_json;

ordered_json resultJson(const FitResult& result) {
    ordered_json points = ordered_json::array();
    for (const FitPointOutcome& point : result.points) {
        points.push_back(
            {{"minutes", point.minutes}, {"predicted", point.predicted}, {"error", point.errorPercent}});
    }
    return {{"microporeVolume", result.cartridge.microporeVolume},
            {"benzenePotential", result.cartridge.benzenePotential},
            {"fitted", result.fitted},
            {"points", std::move(points)},
            {"notes", result.notes}};
}

bool wasFitted(const FitResult& result, const std::string& name) {
    return std::find(result.fitted.begin(), result.fitted.end(), name) != result.fitted.end();
}

void writeTable(const FitRequest& request, const FitResult& result, std::ostream& out) {
    out << "Cartridge: " << result.cartridge.name << "\n";
    out << "Micropore volume: " << generalText(result.cartridge.microporeVolume) << " cm3/g (fitted)\n";
    out << "Adsorption potential for benzene: " << generalText(result.cartridge.benzenePotential)
        << " kJ/mol (" << (wasFitted(result, "benzenePotential") ? "fitted" : "held") << ")\n\n";
    std::size_t nameWidth = 7;
    for (const FitPoint& point : request.points) {
        nameWidth = std::max(nameWidth, characterCount(point.vapor.name) + 2);
    }
    out << padded("#", 4) << padded("Vapor", nameWidth) << padded("Conc (ppm)", 13)
        << padded("Known (min)", 13) << padded("Predicted (min)", 17) << "Error (%)\n";
    for (std::size_t i = 0; i < result.points.size(); ++i) {
        const FitPoint& point = request.points[i];
        const FitPointOutcome& outcome = result.points[i];
        out << padded(std::to_string(i + 1), 4) << padded(point.vapor.name, nameWidth)
            << padded(generalText(point.vapor.concentration), 13) << padded(minutesText(outcome.minutes), 13)
            << padded(minutesText(outcome.predicted), 17)
            << generalText(roundHalfEven(outcome.errorPercent, 1)) << "\n";
    }
    if (!result.notes.empty()) {
        out << "\n";
    }
    for (const std::string& note : result.notes) {
        out << "Note: " << note << "\n";
    }
}

}  // namespace

int runFitCommand(const std::string& text, const std::string& source, bool asJson,
                  const std::string& dataFolder, std::ostream& out, std::ostream& err) {
    json input;
    Problems problems = parseScenarioJson(text, input);
    FitRequest request;
    if (problems.empty()) {
        problems = readFitRequest(input, dataFolder, request);
    }
    if (!problems.empty()) {
        for (const std::string& problem : problems) {
            err << source << ": " << problem << "\n";
        }
        return kExitBadInput;
    }
    const FitResult result = fitCartridge(request);
    if (result.status != FitStatus::Fitted) {
        err << result.problem << "\n";
        return kExitRefusedOrFailed;
    }
    if (asJson) {
        out << resultJson(result).dump(2) << "\n";
    } else {
        writeTable(request, result, out);
    }
    return kExitResults;
}

}  // namespace quandrelle::calc
