#pragma once
// How long computations tell the user where they are. The main frame
// implements it with its status line and gauge; tests pass a recorder; the
// batch front end passes nothing.

#include <string>

namespace nivora {

class IProgress {
public:
    virtual ~IProgress() = default;
    // Shows the message and the gauge at zero.
    virtual void Start(const std::string& message) = 0;
    // The gauge at done of total (total may be 0 for a pass of one row).
    virtual void Set(int done, int total) = 0;
    // Makes the gauge visible without touching the message.
    virtual void ShowGauge() {}
};

}  // namespace nivora
