#pragma once

#include <functional>

// The ways the outside world ends the program, each leading to one clean end: SIGTERM, SIGINT
// and SIGHUP, and the end of the desktop session, which must never wait on a window that
// refuses to close.
namespace hopsmeld {

// All of them in one call, so that a program that answers one of them answers every one.
void endWhenAsked(std::function<void()> end);

} // namespace hopsmeld
