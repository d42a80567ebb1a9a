// The process seam: how the program ends once the main window is torn down.
#pragma once

namespace qm {

class ProcessControl {
public:
    virtual ~ProcessControl() = default;
    // Ends the program at once: no further window events are handled.
    virtual void EndProcess() = 0;
};

}  // namespace qm
