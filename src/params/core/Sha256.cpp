#include "params/core/Sha256.h"

#include <gcrypt.h>

#include <array>
#include <mutex>
#include <stdexcept>

namespace {

// libgcrypt must be initialised once before its first use; secure memory is of no use for a
// file digest, and without it no privileged pages are asked for.
void InitialiseOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (!gcry_check_version(GCRYPT_VERSION))
            throw std::runtime_error("libgcrypt is older than the version the program was built with");
        gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    });
}

} // namespace

std::string Sha256Hex(std::string_view Bytes)
{
    InitialiseOnce();
    std::array<unsigned char, 32> digest{};
    gcry_md_hash_buffer(GCRY_MD_SHA256, digest.data(), Bytes.data(), Bytes.size());
    static constexpr char Digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * digest.size());
    for (unsigned char byte : digest) {
        hex += Digits[byte >> 4];
        hex += Digits[byte & 0x0F];
    }
    return hex;
}

bool IsSha256Hex(std::string_view Text)
{
    if (Text.size() != 64)
        return false;
    for (char c : Text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    return true;
}
