#pragma once

// Ends the process once the application object is gone, without running the shared libraries'
// static destructors: Qt 6.4's PulseAudio engine is torn down by one of them while its own
// thread still runs, which now and then aborts the process on its way out.
namespace hopsmeld {

[[noreturn]] void endProcess(int status);

} // namespace hopsmeld
