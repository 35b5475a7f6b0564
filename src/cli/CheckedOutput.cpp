#include "cli/CheckedOutput.h"

#include <cerrno>

namespace cli {

void CheckedOutput::Failed()
{
    if (error_ == 0)
        error_ = errno != 0 ? errno : EIO;
}

int CheckedOutput::overflow(int Ch)
{
    if (traits_type::eq_int_type(Ch, traits_type::eof()))
        return traits_type::not_eof(Ch);
    errno = 0;
    if (error_ != 0 || std::fputc(Ch, file_) == EOF) {
        Failed();
        return traits_type::eof();
    }
    return Ch;
}

std::streamsize CheckedOutput::xsputn(const char* Text, std::streamsize Count)
{
    if (error_ != 0 || Count <= 0)
        return 0;
    errno = 0;
    const std::size_t written = std::fwrite(Text, 1, static_cast<std::size_t>(Count), file_);
    if (written != static_cast<std::size_t>(Count))
        Failed();
    return static_cast<std::streamsize>(written);
}

int CheckedOutput::sync()
{
    errno = 0;
    if (error_ == 0 && std::fflush(file_) != 0)
        Failed();
    return error_ == 0 ? 0 : -1;
}

int CheckedOutput::Finish()
{
    sync();
    errno = 0;
    if (std::fclose(file_) != 0)
        Failed();
    return error_;
}

} // namespace cli
