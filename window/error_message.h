#pragma once

class QWidget;

namespace hopsmeld {

// The one message the program ever shows: typed text that is not a number.
void showHopsmeldError(QWidget* window);

} // namespace hopsmeld
