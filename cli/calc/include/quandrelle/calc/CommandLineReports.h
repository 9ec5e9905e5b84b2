#pragma once

// The change-schedule reports of quandrelle-calc. A build with the screens writes them with the
// report library, starting Qt (without a display) only when a report is asked for; a build without
// them cannot, and says so.

#include <memory>

#include "quandrelle/calc/CalcProgram.h"

namespace quandrelle::calc {

class CommandLineReports {
public:
    CommandLineReports(int argc, char** argv);
    ~CommandLineReports();
    CommandLineReports(const CommandLineReports&) = delete;
    CommandLineReports& operator=(const CommandLineReports&) = delete;

    // Empty when this build cannot write reports.
    ReportWriter writer();

private:
    struct Qt;
    std::unique_ptr<Qt> m_qt;
    int m_argc;
    char** m_argv;
};

}  // namespace quandrelle::calc
