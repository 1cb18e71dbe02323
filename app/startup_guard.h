#pragma once

// Qt aborts with a core dump and a screenful of plugin advice when it cannot open a window. This
// turns that into one line on stderr, naming what is missing, and exit status 1.
namespace hopsmeld {

class StartupGuard {
  public:
    StartupGuard();  // before the application object is made
    ~StartupGuard(); // once it stands: Qt's messages go out as usual again
};

} // namespace hopsmeld
