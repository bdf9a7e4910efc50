#pragma once

#include <array>
#include <stdexcept>
#include <string>

namespace zelvorin {

// The one error of the screen models: what a person typed or chose is refused before anything is
// written. The detail is the Dutch validation text the screen shows under the field (it names the
// field and gives an example of what fits).
class InputError : public std::runtime_error {
public:
    enum class Kind {
        invalidValue,  // the value does not parse or is not one of the choices
        unknownField,  // the field does not exist or cannot be edited here
        missingValue,  // a value the record cannot do without is empty or absent
    };
    static constexpr std::array allKinds{Kind::invalidValue, Kind::unknownField, Kind::missingValue};

    InputError(Kind kind, const std::string& detail) : std::runtime_error(detail), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

}  // namespace zelvorin
