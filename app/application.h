#pragma once

#include <QApplication>

// The application object of the program: an exception that escapes an event handler or a slot
// ends in the uncaught-failure report instead of unwinding through Qt.
namespace hopsmeld {

class Application : public QApplication {
  public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace hopsmeld
