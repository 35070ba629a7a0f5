#pragma once

#include <string>

// The folder that holds the four sound files and the delivered record. A program run from its
// build folder or a copied folder has them beside it; an installed one finds them in the
// prefix's data folder, reached from its own folder so that the whole prefix can move.
class DataDirectory {
public:
    // relativeDataDirectory: the installed data folder as seen from the program's folder, such
    // as ../share/zumikko. When neither place holds the files, the program's own folder is
    // returned and the sounds stay silent, as a missing file does.
    static std::string find(const std::string& programDirectory, const std::string& relativeDataDirectory);
};
