#include <iostream>
#include <string>
#include <vector>

#include "quandrelle/calc/CalcProgram.h"
#include "quandrelle/calc/CommandLineReports.h"

int main(int argc, char** argv) {
    // Unsynchronised, standard input reads through a file buffer that reports a refused read (a
    // folder given as standard input) instead of passing it off as an empty scenario.
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    quandrelle::calc::CommandLineReports reports(argc, argv);
    return quandrelle::calc::runCalcProgram(args, std::cin, std::cout, std::cerr, reports.writer());
}
