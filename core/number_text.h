#pragma once

// Numbers typed into fields. A field must hold a number as a whole; a field
// that does not is a conversion error that the caller reports.

#include <QString>
#include <optional>

namespace nivora {

std::optional<double> toNumber(const QString& text);
std::optional<int> toInteger(const QString& text);

// "Offset A: 'abc' is not a valid number"
QString notANumberMessage(const QString& field, const QString& text);

// Remembers the last conversion, for fields read on every sensor line.
class NumberField {
  public:
    std::optional<double> value(const QString& text) {
        if (!valid_ || text != text_) {
            text_ = text;
            value_ = toNumber(text);
            valid_ = true;
        }
        return value_;
    }

  private:
    QString text_;
    std::optional<double> value_;
    bool valid_ = false;
};

}  // namespace nivora
