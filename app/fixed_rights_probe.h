// A rights probe with a fixed answer: what the drive selection found at start
// (simulated drives need no rights), or what a test sets.
#pragma once

#include "drives/device.h"

namespace qm {

class FixedRightsProbe final : public RightsProbe {
public:
    explicit FixedRightsProbe(bool administrator) : administrator_(administrator) {}
    // The answer given at construction.
    bool IsAdministrator() override { return administrator_; }

private:
    bool administrator_;
};

}  // namespace qm
