#pragma once
// Standard output that remembers its first failed write (a full disk, /dev/full, a closed pipe)
// with the system's reason, so the tool can say so and fail rather than pass an empty result.
// The bytes go through the C stream unchanged, with its buffering (line by line on a terminal).

#include <cstdio>
#include <streambuf>

namespace cli {

class CheckedOutput : public std::streambuf {
public:
    explicit CheckedOutput(std::FILE* File) : file_(File) {}
    CheckedOutput(const CheckedOutput&) = delete;
    CheckedOutput& operator=(const CheckedOutput&) = delete;

    // Writes what is left and closes the file (a file system may report only then): 0, or the
    // errno of the first failure.
    int Finish();

protected:
    int overflow(int Ch) override;
    std::streamsize xsputn(const char* Text, std::streamsize Count) override;
    int sync() override;

private:
    void Failed();

    std::FILE* file_;
    int error_ = 0;
};

} // namespace cli
