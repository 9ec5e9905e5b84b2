#include "quandrelle/calc/CommandLineReports.h"

namespace quandrelle::calc {

struct CommandLineReports::Qt {};

CommandLineReports::CommandLineReports(int argc, char** argv) : m_argc(argc), m_argv(argv) {}

CommandLineReports::~CommandLineReports() = default;

ReportWriter CommandLineReports::writer() {
    return {};
}

}  // namespace quandrelle::calc
