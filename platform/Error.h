#pragma once

#include <exception>
#include <string>
#include <utility>

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

// The name that a finished copy was to be given is taken, by a file that
// another program created meanwhile or by a folder. Nothing was replaced and
// the copy was discarded, so the caller may try another name.
class NameTakenError : public Error {
public:
    // lostAfterCreate: the name was ours a moment before (created by this
    // copy) and then was not: a disk that does not keep what it was told,
    // or another program that takes every name at once.
    explicit NameTakenError(Error error, bool lostAfterCreate = false)
        : Error(std::move(error)), lostAfterCreate_(lostAfterCreate) {}
    bool LostAfterCreate() const noexcept { return lostAfterCreate_; }

private:
    bool lostAfterCreate_;
};

// A copy ended because a stop was asked for (the window is closing); nothing
// of it was left. Not a failure: it is never shown to the user.
class StopRequested : public Error {
public:
    StopRequested() : Error(4, u"操作が中断されました。") {}
};

}  // namespace mirado
