#pragma once

// --help and --version, answered on the terminal before any window or display is needed; the
// program has no other options of its own (Qt's, such as -platform, are left to Qt).
namespace hopsmeld {

// Prints and ends the process when asked for help or the version; otherwise returns.
void answerHelpOrVersion(int argc, char** argv);

} // namespace hopsmeld
