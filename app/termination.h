#pragma once

#include <functional>

// The ways the outside world ends the program, each leading to one clean end: SIGTERM, SIGINT
// and SIGHUP, and the end of the desktop session, which must never wait on a window that
// refuses to close.
namespace hopsmeld {

void endOnTerminationSignals(std::function<void()> end);
void endWhenTheSessionEnds(std::function<void()> end);

} // namespace hopsmeld
