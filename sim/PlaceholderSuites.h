// Stand-ins with no operations for the host suites the headless host does
// not provide yet, so that a plug-in can acquire its whole suite table.
// Calling into one is a fault of the caller.
#pragma once

namespace sim {

class SuiteBroker;

// Registers a placeholder under every suite of the host suite table that the
// broker does not have yet.
void RegisterPlaceholderSuites(SuiteBroker& broker);

}  // namespace sim
