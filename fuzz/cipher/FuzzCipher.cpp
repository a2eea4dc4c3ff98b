// Feeds arbitrary text to the password decipher and arbitrary passwords to the cipher: nothing
// may fail, the output is bounded by the input, and enciphering what was deciphered gives it back.
#include "app/support/cipher/PasswordCipher.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    const QByteArray plain = tavil::DecipherPasswordBytes(tavil::kCmdFileCipherKey, input);
    if (plain.size() > (input.size() / 4) * 3 + 3)
        std::abort();
    const QByteArray stored = tavil::EncipherPasswordBytes(tavil::kCmdFileCipherKey, plain);
    if (tavil::DecipherPasswordBytes(tavil::kCmdFileCipherKey, stored) != plain)
        std::abort();

    const QByteArray again = tavil::EncipherPasswordBytes(tavil::kCmdFileCipherKey, input);
    if (tavil::DecipherPasswordBytes(tavil::kCmdFileCipherKey, again) != input)
        std::abort();

    // The text level as the reader calls it.
    (void)tavil::DecipherPassword(QString::fromLatin1(tavil::kCmdFileCipherKey), QString::fromUtf8(input));
    return 0;
}
