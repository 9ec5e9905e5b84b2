#include <iostream>
#include <string>
#include <vector>

#include "quandrelle/calc/CalcProgram.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return quandrelle::calc::runCalcProgram(args, std::cin, std::cout, std::cerr);
}
