// A rights probe with a fixed answer: simulated drives need no rights.
#pragma once

#include "platform/device.h"

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
