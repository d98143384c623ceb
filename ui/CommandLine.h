#pragma once

#include <string>
#include <vector>

namespace mirado::ui {

// What the arguments after the program's name ask for: files to wait in
// the window (none: the window as always), the help, the version, or
// nothing, for an option the program does not know. "--" ends the options;
// after it, and wherever it does not start with "-", an argument names a
// file ("-" alone too). --help answers before --version, and both before a
// refusal, so that a user who asks for help gets it. On Windows "/?" asks
// for the help as well.
class CommandLine {
public:
    enum class Request { Open, Help, Version, Refuse };

    explicit CommandLine(const std::vector<std::u16string>& arguments);

    Request Asks() const { return request_; }
    // The files, in their order, as full paths (StartPath): resolved now,
    // against the working folder at the start.
    const std::vector<std::u16string>& Files() const { return files_; }

    // What the program says for Help, Version and Refuse; each ends in a
    // line break.
    std::u16string Answer() const;

private:
    Request request_ = Request::Open;
    std::vector<std::u16string> files_;
    std::u16string refused_;
};

}  // namespace mirado::ui
