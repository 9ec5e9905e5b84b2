// Build step: the starter cartridges, and their placement beside the programs.
// Usage: quandrelle-cartridgelib build CARTRIDGES.csv VAPOR_FOLDER OUTPUT_FOLDER
//        quandrelle-cartridgelib place SHIPPED_FOLDER DATA_FOLDER

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "quandrelle/data/StarterCartridges.h"
#include "quandrelle/fit/StarterPlacement.h"

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (!((command == "build" && argc == 5) || (command == "place" && argc == 4))) {
        std::cerr << "usage: quandrelle-cartridgelib build CARTRIDGES.csv VAPOR_FOLDER OUTPUT_FOLDER\n"
                     "       quandrelle-cartridgelib place SHIPPED_FOLDER DATA_FOLDER\n";
        return 2;
    }
    try {
        if (command == "place") {
            quandrelle::placeStarterCartridges(argv[2], argv[3]);
            return 0;
        }
        std::ifstream in(argv[2], std::ios::binary);
        const std::string csv{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (!in.good() && !in.eof()) {
            std::cerr << "quandrelle-cartridgelib: cannot read " << argv[2] << "\n";
            return 2;
        }
        quandrelle::buildStarterCartridges(csv, argv[3], argv[4]);
    } catch (const std::exception& e) {
        std::cerr << "quandrelle-cartridgelib: " << e.what() << "\n";
        return 2;
    }
    return 0;
}
