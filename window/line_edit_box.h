#pragma once

#include "calc_host.h"

#include <QLineEdit>

// A real text box for the calculators. QLineEdit::setText emits textChanged but not textEdited,
// the signal the mirrors follow.
namespace hopsmeld {

class LineEditBox final : public TextBox {
  public:
    explicit LineEditBox(QLineEdit* edit) : edit_(edit) {}
    QString text() const override { return edit_->text(); }
    void setText(const QString& text) override { edit_->setText(text); }

  private:
    QLineEdit* edit_;
};

} // namespace hopsmeld
