// The settings-file tests' fixture: a fresh folder per test, file bytes in
// and out, and the folder's entries (to spot temporary files left behind).
#pragma once

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "base/codepage.h"
#include "ini/inifile.h"
#include "tests/support/temp_folder.h"

namespace qm::test {

inline const std::string kUtf8 = "UTF-8";
inline const std::string kShiftJis = "SHIFT_JIS";

class IniFileTest : public ::testing::Test {
protected:

    void Put(const std::string& bytes) const { Put(path, bytes); }
    static void Put(const std::string& file, const std::string& bytes) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << bytes;
        ASSERT_TRUE(out.good());
    }
    std::string Get() const { return Get(path); }
    static std::string Get(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }
    bool Exists() const { return ::access(path.c_str(), F_OK) == 0; }
    // Names of the folder's entries, to spot temporary files left behind.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        if (DIR* dir = ::opendir(folder.c_str())) {
            while (const dirent* e = ::readdir(dir)) {
                const std::string name = e->d_name;
                if (name != "." && name != "..") names.push_back(name);
            }
            ::closedir(dir);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TempFolder temp;
    std::string folder = temp.str();
    std::string path = temp / "Quillmoor.ini";
};


using KeyValues = std::vector<std::pair<std::string, std::string>>;

// The names of ReadIniSections, without their counts.
inline std::vector<std::string> Names(const std::vector<IniSectionName>& sections) {
    std::vector<std::string> names;
    for (const IniSectionName& section : sections) names.push_back(section.name);
    return names;
}

}  // namespace qm::test
