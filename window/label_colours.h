#pragma once

#include <QObject>

class QWidget;

// The window in the desktop's button-face colour, and every label's text in its layout colour
// or, where the desktop's theme would make that unreadable, the nearest readable one of the same
// hue. Follows the theme when it changes while the program runs.
namespace hopsmeld {

class LabelColours : public QObject {
  public:
    // `window` holds the labels of the layout table; the object lives as its child.
    explicit LabelColours(QWidget* window);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void apply();
    QWidget* window_;
};

} // namespace hopsmeld
