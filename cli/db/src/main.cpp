#include <iostream>
#include <string>
#include <vector>

#include "quandrelle/db/DbTool.h"
#include "quandrelle/stores/DataFolder.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto dataFolder =
        quandrelle::chooseDataFolderFor(quandrelle::executableFolder(), quandrelle::userDataFolder());
    const int status = quandrelle::runDbTool(args, dataFolder, std::cout, std::cerr);
    std::cout.flush();
    return std::cout ? status : quandrelle::kDbBadUse;
}
