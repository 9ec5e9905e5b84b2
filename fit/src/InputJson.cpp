#include "quandrelle/fit/InputJson.h"

#include <cmath>

#include "quandrelle/engine/CalcState.h"
#include "quandrelle/engine/DisplayFormat.h"
#include "quandrelle/validation/FieldLimitTables.h"

namespace quandrelle {

using nlohmann::json;
using nlohmann::ordered_json;

std::optional<CartridgeInput> readCartridgeInput(ObjectReader& reader, CartridgeKeys keys) {
    const auto name = reader.name("name", "cartridge");
    const auto bedDiameter = reader.number("bedDiameter", &limits::kBedDiameter);
    const auto bedDepth = reader.number("bedDepth", &limits::kBedDepth);
    const auto carbonWeight = reader.number("carbonWeight", &limits::kCarbonWeight);
    std::optional<double> microporeVolume = 0.0;
    if (keys.microporeVolume) {
        microporeVolume = reader.number("microporeVolume", &limits::kMicroporeVolume);
    }
    const auto precondRH = reader.number("precondRH", &limits::kPrecondRH);
    const auto granuleDiameter = reader.number("granuleDiameter", &limits::kGranuleDiameter);
    std::optional<double> benzenePotential =
        reader.number("benzenePotential", &limits::kBenzenePotential, keys.benzenePotential);
    const bool potentialMissing = !keys.benzenePotential && reader.find("benzenePotential", false) == nullptr;
    if (potentialMissing) {
        benzenePotential = 0.0;
    }
    const auto waterAffinity = reader.number("waterAffinity", &limits::kWaterAffinity);
    if (!name || !bedDiameter || !bedDepth || !carbonWeight || !microporeVolume || !precondRH ||
        !granuleDiameter || !benzenePotential || !waterAffinity) {
        return std::nullopt;
    }
    return CartridgeInput{.name = *name,
                          .bedDiameter = *bedDiameter,
                          .bedDepth = *bedDepth,
                          .carbonWeight = *carbonWeight,
                          .microporeVolume = *microporeVolume,
                          .precondRH = *precondRH,
                          .granuleDiameter = *granuleDiameter,
                          .benzenePotential = *benzenePotential,
                          .waterAffinity = *waterAffinity};
}

std::optional<UseConditions> readUseConditions(ObjectReader& reader) {
    const auto temperature = reader.number("temperature", &limits::kTemperature);
    const auto pressure = reader.number("pressure", &limits::kAtmPressure);
    const auto relHumidity = reader.number("relHumidity", &limits::kRelHumidity);
    const auto cartridges = reader.number("cartridges", &limits::kCartridgesPerRespirator);
    const auto airFlow = reader.number("airFlow", &limits::kAirFlow);
    if (!temperature || !pressure || !relHumidity || !cartridges || !airFlow) {
        return std::nullopt;
    }
    return UseConditions{.temperature = *temperature,
                         .pressure = *pressure,
                         .relHumidity = *relHumidity,
                         .cartridges = *cartridges,
                         .airFlow = *airFlow};
}

std::optional<VaporInput> readVaporInput(ObjectReader& reader) {
    const auto name = reader.name("name", "vapor");
    const auto cas = reader.text("cas", false);
    const auto molWt = reader.number("molWt", &limits::kMolWt);
    const auto liqDensity = reader.number("liqDensity", &limits::kLiqDensity);
    const auto molPolariz = reader.number("molPolariz", &limits::kMolPolariz);
    const auto waterSolFactor = reader.number("waterSolFactor", &limits::kWaterSolFactor);
    const auto concentration = reader.number("concentration", &limits::kVaporConcentration);
    const auto antoineA = reader.number("antoineA", &limits::kAntoineA);
    const auto antoineB = reader.number("antoineB", &limits::kAntoineB);
    const auto antoineC = reader.number("antoineC", &limits::kAntoineC);
    if (!name || !molWt || !liqDensity || !molPolariz || !waterSolFactor || !concentration || !antoineA ||
        !antoineB || !antoineC) {
        return std::nullopt;
    }
    return VaporInput{.name = *name,
                      .molWt = *molWt,
                      .liqDensity = *liqDensity,
                      .molPolariz = *molPolariz,
                      .waterSolFactor = *waterSolFactor,
                      .concentration = *concentration,
                      .antoineA = *antoineA,
                      .antoineB = *antoineB,
                      .antoineC = *antoineC,
                      .cas = cas.value_or("")};
}

ordered_json cartridgeJson(const CartridgeInput& c) {
    return {{"name", c.name},
            {"bedDiameter", c.bedDiameter},
            {"bedDepth", c.bedDepth},
            {"carbonWeight", c.carbonWeight},
            {"microporeVolume", c.microporeVolume},
            {"precondRH", c.precondRH},
            {"granuleDiameter", c.granuleDiameter},
            {"benzenePotential", c.benzenePotential},
            {"waterAffinity", c.waterAffinity}};
}

ordered_json conditionsJson(const UseConditions& c) {
    return {{"temperature", c.temperature},
            {"pressure", c.pressure},
            {"relHumidity", c.relHumidity},
            {"cartridges", c.cartridges},
            {"airFlow", c.airFlow}};
}

ordered_json vaporJson(const VaporInput& v) {
    ordered_json out{{"name", v.name},
                     {"molWt", v.molWt},
                     {"liqDensity", v.liqDensity},
                     {"molPolariz", v.molPolariz},
                     {"waterSolFactor", v.waterSolFactor},
                     {"concentration", v.concentration},
                     {"antoineA", v.antoineA},
                     {"antoineB", v.antoineB},
                     {"antoineC", v.antoineC}};
    if (!v.cas.empty()) {
        out["cas"] = v.cas;
    }
    return out;
}

}  // namespace quandrelle
