// Password cipher of command files, on Crypto++'s Blowfish, RIPEMD-256 and Base64.
#include "app/support/cipher/PasswordCipher.h"

#include "app/support/cipher/LegacyText.h"

#include <crypto++/base64.h>
#include <crypto++/blowfish.h>
#include <crypto++/filters.h>
#include <crypto++/ripemd.h>

#include <array>
#include <cstddef>
#include <cstring>

namespace tavil {

namespace {

using Block = std::array<CryptoPP::byte, 8>;

const CryptoPP::byte* bytesOf(QByteArrayView v)
{
    return reinterpret_cast<const CryptoPP::byte*>(v.data());
}

// The key set-up both directions share: the Blowfish key is the whole 32-byte RIPEMD-256
// digest of the key text, and the feedback starts from the encryption of eight 0xFF bytes.
// Crypto++'s Blowfish reads and writes blocks as two big-endian words, as the stored
// passwords need.
struct KeySetup {
    explicit KeySetup(QByteArrayView key)
    {
        CryptoPP::RIPEMD256 hash;
        hash.CalculateDigest(digest.data(), bytesOf(key), static_cast<size_t>(key.size()));
        encryption.SetKey(digest.data(), digest.size());
        decryption.SetKey(digest.data(), digest.size());
        Block ones;
        ones.fill(0xFF);
        encryption.ProcessBlock(ones.data(), iv.data());
    }

    std::array<CryptoPP::byte, CryptoPP::RIPEMD256::DIGESTSIZE> digest{};
    CryptoPP::Blowfish::Encryption encryption;
    CryptoPP::Blowfish::Decryption decryption;
    Block iv{};
};

QByteArray toBase64(const QByteArray& raw)
{
    std::string text;
    CryptoPP::StringSource source(bytesOf(raw), static_cast<size_t>(raw.size()), true,
                                  new CryptoPP::Base64Encoder(new CryptoPP::StringSink(text), false));
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

// Crypto++'s decoder already skips every character outside the alphabet, "=" included, and
// drops the bits of an incomplete last group; completing the length with "=" first changes
// nothing for it, so it is not done.
QByteArray fromBase64(QByteArrayView text)
{
    std::string raw;
    CryptoPP::StringSource source(bytesOf(text), static_cast<size_t>(text.size()), true,
                                  new CryptoPP::Base64Decoder(new CryptoPP::StringSink(raw)));
    return QByteArray(raw.data(), static_cast<qsizetype>(raw.size()));
}

}  // namespace

QByteArray EncipherPasswordBytes(QByteArrayView key, QByteArrayView plain)
{
    if (plain.isEmpty())
        return {};
    const KeySetup setup(key);
    QByteArray out(plain.size(), Qt::Uninitialized);
    auto* dst = reinterpret_cast<CryptoPP::byte*>(out.data());
    const CryptoPP::byte* src = bytesOf(plain);
    const auto n = static_cast<size_t>(plain.size());

    Block feedback = setup.iv;
    size_t pos = 0;
    for (; pos + 8 <= n; pos += 8) {
        Block block;
        for (size_t i = 0; i < 8; ++i)
            block[i] = src[pos + i] ^ feedback[i];
        setup.encryption.ProcessBlock(block.data(), dst + pos);
        for (size_t i = 0; i < 8; ++i)
            feedback[i] ^= dst[pos + i];
    }
    if (pos < n) {
        Block stream;
        setup.encryption.ProcessBlock(feedback.data(), stream.data());
        for (size_t i = 0; pos + i < n; ++i)
            dst[pos + i] = src[pos + i] ^ stream[i];
    }
    return toBase64(out);
}

QByteArray DecipherPasswordBytes(QByteArrayView key, QByteArrayView stored)
{
    if (stored.isEmpty())
        return {};
    QByteArray out = fromBase64(stored);
    if (out.isEmpty())
        return out;
    const KeySetup setup(key);
    auto* data = reinterpret_cast<CryptoPP::byte*>(out.data());
    const auto n = static_cast<size_t>(out.size());

    Block feedback = setup.iv;
    size_t pos = 0;
    for (; pos + 8 <= n; pos += 8) {
        Block cipher;
        std::memcpy(cipher.data(), data + pos, 8);
        setup.decryption.ProcessBlock(cipher.data(), data + pos);
        for (size_t i = 0; i < 8; ++i) {
            data[pos + i] ^= feedback[i];
            feedback[i] ^= cipher[i];
        }
    }
    if (pos < n) {
        Block stream;
        setup.encryption.ProcessBlock(feedback.data(), stream.data());
        for (size_t i = 0; pos + i < n; ++i)
            data[pos + i] ^= stream[i];
    }
    return out;
}

QString EncipherPassword(const QString& key, const QString& plain)
{
    return QString::fromLatin1(EncipherPasswordBytes(key.toUtf8(), plain.toUtf8()));
}

QString DecipherPassword(const QString& key, const QString& stored)
{
    // The stored text is Base64, so only its ASCII characters matter; anything else is skipped
    // by the decoder whatever encoding it is given in.
    return DecodeLegacyText(DecipherPasswordBytes(key.toUtf8(), stored.toUtf8()));
}

}  // namespace tavil
