#pragma once

#include <QHash>
#include <QString>

class QWidget;

// Builds the window's controls from the layout table into the client area.
namespace hopsmeld {

using ControlMap = QHash<QString, QWidget*>;

ControlMap buildControls(QWidget* clientArea);

} // namespace hopsmeld
