#pragma once

#include <QLocale>
#include <QString>

#include <variant>

// A value the window keeps between events: never assigned, a number, or a text.
namespace hopsmeld {

class CalcValue {
  public:
    CalcValue() = default;
    CalcValue(double number) : value_(number) {}
    CalcValue(const QString& text) : value_(text) {}

    bool isEmpty() const { return std::holds_alternative<std::monostate>(value_); }
    bool isNumber() const { return std::holds_alternative<double>(value_); }
    bool isText() const { return std::holds_alternative<QString>(value_); }

    // In arithmetic an empty value counts as 0 and a text is read like a box's text
    // (so it can throw CalcFailure).
    double toNumber(const QLocale& locale) const;

  private:
    std::variant<std::monostate, double, QString> value_;
};

} // namespace hopsmeld
