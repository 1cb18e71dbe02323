#pragma once

// Text boxes and a host that remember, in order, everything a calculator did to them.
#include "calc_host.h"
#include "text_box.h"

#include <QString>
#include <QStringList>

namespace hopsmeld::test {

class FakeWindow : public CalcHost {
  public:
    class Box : public TextBox {
      public:
        Box(FakeWindow& window, QString name) : window_(window), name_(std::move(name)) {}
        QString text() const override { return text_; }
        void setText(const QString& text) override {
            text_ = text;
            window_.log << name_ + QLatin1Char('=') + text;
        }
        // What the user typed: no log entry, as no handler wrote it.
        void type(const QString& text) { text_ = text; }

      private:
        FakeWindow& window_;
        QString name_;
        QString text_;
    };

    void showTypeMismatch() override { log << QStringLiteral("message"); }
    void playCue() override { log << QStringLiteral("cue"); }

    QStringList log;
};

} // namespace hopsmeld::test
