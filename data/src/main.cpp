// Build step: turns the shipped vapor library's CSV into the record file the programs read.
// Usage: quandrelle-vaporlib LIBRARY.csv OUTPUT_FOLDER

#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "quandrelle/data/VaporLibrary.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: quandrelle-vaporlib LIBRARY.csv OUTPUT_FOLDER\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string csv{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.good() && !in.eof()) {
        std::cerr << "quandrelle-vaporlib: cannot read " << argv[1] << "\n";
        return 2;
    }
    try {
        quandrelle::buildVaporLibrary(csv, argv[2]);
    } catch (const std::exception& e) {
        std::cerr << "quandrelle-vaporlib: " << argv[1] << ": " << e.what() << "\n";
        return 2;
    }
    return 0;
}
