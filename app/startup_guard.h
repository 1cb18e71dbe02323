#pragma once

// Qt aborts with a core dump and a screenful of plugin advice when there is no display to open a
// window on. This turns that into one line on stderr and exit status 1.
namespace hopsmeld {

class StartupGuard {
  public:
    StartupGuard();  // before the application object is made
    ~StartupGuard(); // once it stands: Qt's messages go out as usual again
};

} // namespace hopsmeld
