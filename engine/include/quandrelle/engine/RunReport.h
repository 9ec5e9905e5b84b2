#pragma once

// How a run found its answer, and the sentences the user reads beside the results. The engine
// records here which way the mixture equilibrium was solved; the cautions that follow from a
// finished run are appended after it (see appendRunCautions in Calculate.h). The results screen,
// the command-line calculator and every later reader show the same notes, in this order.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quandrelle {

enum class RunMethod {
    Model,         // the iterative equilibrium solver settled at every stage
    Fallback,      // the bracketing solver answered at one stage or more
    Conservative,  // no equilibrium under the model: every vapor gets the shortest single-vapor time
};

// "model", "fallback" or "conservative": the word the command-line calculator reports.
std::string_view methodName(RunMethod method);

struct RunReport {
    RunMethod method = RunMethod::Model;
    std::vector<std::string> notes;

    // Records that the bracketing solver answered a stage; a conservative run stays conservative.
    void usedFallback(std::string note);
    // The results are the conservative estimate; the note says why.
    void becameConservative(std::string note);
    void addNote(std::string note);
    // A caution on the finished run's inputs or results, after the notes on how it was found.
    void addCaution(std::string caution);
    // The notes on how the run was found, without the cautions that follow them.
    std::span<const std::string> methodNotes() const;

private:
    std::size_t m_cautions = 0;
};

}  // namespace quandrelle
