#pragma once

#include <exception>
#include <functional>

// A failure no handler caught (an exception escaping an event handler, std::terminate) ends the
// program the same way every time: one line on stderr, a message box saying what happened, the
// clean-up set here (the tray icon), and exit status 1; never an abort or a core dump. The report
// must work when memory ran out, so what it needs is set aside up front.
namespace hopsmeld {

// Installs the terminate handler and sets memory aside; once, when the application object stands.
void prepareUncaughtFailureReport();

// Runs after the user has read the message, before the process ends, on the user-interface
// thread only: a failure on another thread ends the process at once, and the desktop drops what
// the process had shown (its tray icon too) as it goes.
void onUncaughtFailure(std::function<void()> cleanUp);

[[noreturn]] void endWithUncaughtFailure(std::exception_ptr failure);

} // namespace hopsmeld
