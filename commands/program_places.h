// The places the menu commands work with, found once at start.
#pragma once

#include <string>
#include <utility>

#include "settings/program_folder.h"

namespace qm {

struct ProgramPlaces {
    std::string executable;  // the running program's file
    std::string dataFolder;  // the help file and the pages (ProgramDataFolder)
    std::string saveFolder;  // where the save dialog starts
    std::string stateFolder; // alerts and history kept across runs (StateFolderOf); empty: nothing kept
    friend bool operator==(const ProgramPlaces&, const ProgramPlaces&) = default;
};

// The places of the program `executable` in `programFolder`: the save dialog
// starts in the program folder when it is the user's own (KeepsFilesBeside),
// otherwise in the user's documents folder.
inline ProgramPlaces PlacesOf(std::string executable, const std::string& programFolder,
                              const ProgramFolderFacts& facts, std::string documentsFolder) {
    return {std::move(executable), ProgramDataFolder(programFolder),
            KeepsFilesBeside(facts) ? programFolder : std::move(documentsFolder), {}};
}

}  // namespace qm
