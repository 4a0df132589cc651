// A thin wrapper around the system's Open dialog: its settings are properties, set one by one,
// and every failure is thrown as a DialogFailure with a number and a description. Texts are
// UTF-8.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace selection {

// The failure number that a cancel is reported with while CancelError is set.
inline constexpr int kCancelNumber = 32755;
// The failure number when no dialog object can be created.
inline constexpr int kCannotCreateNumber = 429;

class DialogFailure : public std::exception {
public:
    DialogFailure(int number, std::string description)
        : number_(number), description_(std::move(description)) {}
    int number() const { return number_; }
    const std::string& description() const { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

private:
    int number_;
    std::string description_;
};

class OpenDialog {
public:
    virtual ~OpenDialog() = default;
    virtual void setCancelError(bool on) = 0;
    // Pairs of a description and a pattern list, all separated by "|".
    virtual void setFilter(const std::string& filter) = 0;
    // 1-based index of the preselected filter pair.
    virtual void setFilterIndex(int index) = 0;
    virtual void setDialogTitle(const std::string& title) = 0;
    // Largest selection string, in characters.
    virtual void setMaxFileSize(int size) = 0;
    virtual void setFlags(long flags) = 0;
    // Shows the dialog modally; a cancel throws kCancelNumber when CancelError is set.
    virtual void showOpen() = 0;
    // The selection string: one full path, or the folder followed by NUL and a bare name for each
    // file, or empty.
    virtual std::string fileName() const = 0;
};

}  // namespace selection
