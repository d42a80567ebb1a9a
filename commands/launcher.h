// The seam that hands files and web addresses to the desktop: the help file
// to its viewer, the pages and the encyclopedia article to the browser.
// QDesktopServices in the program, a recorder in tests.
#pragma once

#include <string>

namespace qm {

class Launcher {
public:
    virtual ~Launcher() = default;
    // Opens a local file with the desktop's application for it. Whether that
    // worked is the desktop's business: nothing is reported.
    virtual void OpenFile(const std::string& path) = 0;
    // Opens a web address in the user's browser; nothing is reported either.
    virtual void OpenAddress(const std::string& address) = 0;
};

}  // namespace qm
