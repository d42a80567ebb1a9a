// The busy mouse pointer while a command blocks the window: the wait cursor
// in the program, a recorder in tests.
#pragma once

namespace qm {

class BusyIndicator {
public:
    virtual ~BusyIndicator() = default;
    virtual void Begin() = 0;  // shows the busy pointer
    virtual void End() = 0;    // the pointer as before
};

// Shows the busy pointer for as long as it lives.
class BusyScope {
public:
    explicit BusyScope(BusyIndicator& busy) : busy_(busy) { busy_.Begin(); }
    ~BusyScope() { busy_.End(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    BusyIndicator& busy_;
};

}  // namespace qm
