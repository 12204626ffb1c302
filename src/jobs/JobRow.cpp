#include "JobRow.h"

#include "Naming.h"

namespace wavora {

std::string SourcePath(const JobRow& row) {
    return AddBackslash(row.inputFolder) + row.inputFile;
}

} // namespace wavora
