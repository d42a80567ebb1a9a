// The font seam: which font families the system has.
#pragma once

#include <string_view>

namespace qm {

class FontCatalog {
public:
    virtual ~FontCatalog() = default;
    // True when the font database has the family (matched without regard to case).
    virtual bool HasFamily(std::string_view family) = 0;
};

}  // namespace qm
