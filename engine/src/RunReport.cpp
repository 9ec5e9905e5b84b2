#include "quandrelle/engine/RunReport.h"

namespace quandrelle {

std::string_view methodName(RunMethod method) {
    switch (method) {
        case RunMethod::Model:
            return "model";
        case RunMethod::Fallback:
            return "fallback";
        case RunMethod::Conservative:
            return "conservative";
    }
    return "model";
}

void RunReport::usedFallback(std::string note) {
    if (method == RunMethod::Model) {
        method = RunMethod::Fallback;
    }
    addNote(std::move(note));
}

void RunReport::becameConservative(std::string note) {
    method = RunMethod::Conservative;
    addNote(std::move(note));
}

void RunReport::addNote(std::string note) {
    notes.push_back(std::move(note));
}

void RunReport::addCaution(std::string caution) {
    notes.push_back(std::move(caution));
    ++m_cautions;
}

std::span<const std::string> RunReport::methodNotes() const {
    return std::span<const std::string>(notes).first(notes.size() - m_cautions);
}

}  // namespace quandrelle
