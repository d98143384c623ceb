#pragma once

#include <exception>
#include <string>

namespace mirado {

// A failure with the number and the Japanese description that the user sees
// as "number:description". Operating-system failures carry the errno value;
// the program's own refusals carry the numbers listed in README.md.
class Error : public std::exception {
public:
    Error(int number, std::u16string description)
        : number_(number), description_(std::move(description)) {}

    int Number() const noexcept { return number_; }
    const std::u16string& Description() const noexcept { return description_; }
    const char* what() const noexcept override { return "mirado::Error"; }

private:
    int number_;
    std::u16string description_;
};

}  // namespace mirado
