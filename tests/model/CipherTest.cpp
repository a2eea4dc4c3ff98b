// The password cipher: its building blocks against published vectors, stored passwords against
// values worked out independently, and the decoder's tolerance.
#include "app/support/cipher/LegacyText.h"
#include "app/support/cipher/PasswordCipher.h"

#include <gtest/gtest.h>

#include <crypto++/blowfish.h>
#include <crypto++/ripemd.h>

#include <QByteArray>
#include <QRandomGenerator>

namespace tavil {
namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

QByteArray blowfishEncrypt(const QByteArray& key, const QByteArray& plain)
{
    CryptoPP::Blowfish::Encryption e(reinterpret_cast<const CryptoPP::byte*>(key.constData()), size_t(key.size()));
    QByteArray out(8, '\0');
    e.ProcessBlock(reinterpret_cast<const CryptoPP::byte*>(plain.constData()), reinterpret_cast<CryptoPP::byte*>(out.data()));
    return out;
}

// Published Blowfish vectors (Eric Young's set). They fix the word order: a Blowfish that
// reads blocks as little-endian words fails them.
TEST(Blowfish, PublishedVectors)
{
    struct Case { const char* key; const char* plain; const char* cipher; };
    const Case cases[] = {
        {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
        {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
        {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
        {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
        {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
        {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(blowfishEncrypt(hex(c.key), hex(c.plain)).toHex().toUpper(), QByteArray(c.cipher)) << c.key;
}

// The key-length vectors of the same set; the password key is longer than the usual 16 bytes.
TEST(Blowfish, VariableKeyLengthVectors)
{
    const QByteArray fullKey = hex("F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677");
    const char* expected[] = {
        "BE1E639408640F05", "B39E44481BDB1E6E", "9457AA83B1928C0D", "8BB77032F960629D", "E87A244E2CC85E82",
        "15750E7A4F4EC577", "122BA70B3AB64AE0", "3A833C9AFFC537F6", "9409DA87A90F6BF2", "884F80625060B8B4",
        "1F85031C19E11968", "79D9373A714CA34F", "93142887EE3BE15C", "03429E838CE2D14B", "A4299E27469FF67B",
        "AFD5AED1C1BC96A8", "10851C0E3858DA9F", "E6F51ED79B9DB21F", "64A6E14AFD36B46F", "80C7D7D45A5479AD",
        "05044B62FA52D080",
    };
    for (int length = 4; length <= 24; ++length)
        EXPECT_EQ(blowfishEncrypt(fullKey.left(length), hex("FEDCBA9876543210")).toHex().toUpper(),
                  QByteArray(expected[length - 4]))
            << "key length " << length;
}

TEST(Ripemd256, PublishedVectors)
{
    struct Case { const char* message; const char* digest; };
    const Case cases[] = {
        {"", "02ba4c4e5f8ecd1877fc52d64d30e37a2d9774fb1e5d026380ae0168e3c5522d"},
        {"abc", "afbd6e228b9d8cbbcef5ca2d03e6dba10ac0bc7dcbe4680e1e42d2e975459b65"},
        {"message digest", "87e971759a1ce47a514d5c914c392c9018c7c46bc14465554afcdf54a5070c0e"},
    };
    for (const Case& c : cases) {
        QByteArray digest(CryptoPP::RIPEMD256::DIGESTSIZE, '\0');
        CryptoPP::RIPEMD256().CalculateDigest(reinterpret_cast<CryptoPP::byte*>(digest.data()),
                                              reinterpret_cast<const CryptoPP::byte*>(c.message), strlen(c.message));
        EXPECT_EQ(digest.toHex(), QByteArray(c.digest)) << c.message;
    }
}

// Stored passwords worked out with a separate implementation of the mode on another library's
// Blowfish. A change of key set-up, feedback or Base64 breaks every file already written.
TEST(PasswordCipher, KnownStoredValues)
{
    struct Case { QByteArray plain; const char* stored; };
    const Case cases[] = {
        {"a", "9g=="},
        {"sa", "5Is="},
        {"secret", "5I+r8h0d"},
        {"12345678", "jGfA/F1Yk7w="},
        {"123456789", "jGfA/F1Yk7ws"},
        {"Password123!!", "nrBG27c4qUICu2XNzA=="},
        {"p\xc3\xa4ssw\xc3\xb6rd", "SLMbAeYLS7koXQ=="},   // UTF-8
        {"p\xe4ssw\xf6rd", "89dBaTDGNw4="},               // Windows-1252
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EncipherPasswordBytes(kCmdFileCipherKey, c.plain), QByteArray(c.stored)) << c.plain.toHex().constData();
        EXPECT_EQ(DecipherPasswordBytes(kCmdFileCipherKey, c.stored), c.plain) << c.stored;
    }
    QByteArray all;
    for (int i = 0; i < 64; ++i)
        all.append(char(i));
    EXPECT_EQ(EncipherPasswordBytes(kCmdFileCipherKey, all),
              QByteArray("KD+yuQGpDPcLjWED3ls9m5r4cgb0X1O7ABTkO1udUt0dkMFMFzFCw8wUNCCfhX6MGKrkHV2VaM06T/yFIECsiA=="));
}

TEST(PasswordCipher, StoredLengthFollowsPlainLength)
{
    const std::pair<int, int> cases[] = {{1, 4}, {2, 4}, {3, 4}, {4, 8}, {7, 12}, {8, 12}, {9, 12}, {13, 20}, {16, 24}, {64, 88}};
    for (const auto& [plain, stored] : cases) {
        const QString text = EncipherPassword(kCmdFileCipherKey, QString(plain, QLatin1Char('x')));
        EXPECT_EQ(text.size(), stored) << plain;
        EXPECT_FALSE(text.contains(QLatin1Char('\n')));
    }
}

TEST(PasswordCipher, RoundTripsEveryLengthUpTo64)
{
    QRandomGenerator random(7);
    for (int n = 0; n <= 64; ++n) {
        QByteArray plain(n, '\0');
        for (char& c : plain)
            c = char(random.bounded(256));
        const QByteArray stored = EncipherPasswordBytes(kCmdFileCipherKey, plain);
        EXPECT_EQ(DecipherPasswordBytes(kCmdFileCipherKey, stored), plain) << n;
    }
}

TEST(PasswordCipher, EmptyInEmptyOut)
{
    EXPECT_TRUE(EncipherPassword(kCmdFileCipherKey, QString()).isEmpty());
    EXPECT_TRUE(DecipherPassword(kCmdFileCipherKey, QString()).isEmpty());
    EXPECT_TRUE(DecipherPasswordBytes(kCmdFileCipherKey, "!!!=").isEmpty());
}

// The decoder skips what is not Base64 and completes a short last group, so damaged values
// give what their valid characters say.
TEST(PasswordCipher, TolerantDecoding)
{
    const QByteArray secret = "secret";  // stored as 5I+r8h0d
    struct Case { const char* stored; QByteArray plain; };
    const Case cases[] = {
        {"5I+r8h0d", secret},
        {" 5I+r\r\n8h0d ", secret},
        {"5I+r*8h0d#", secret},
        {"5I+r8h0d====", secret},
        {"5I+r8h0", secret.left(5)},   // short group completed with "="
        {"5I+r8", secret.left(3)},     // six bits make no byte
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecipherPasswordBytes(kCmdFileCipherKey, c.stored), c.plain) << c.stored;

    // Arbitrary text never fails and yields at most three bytes per four characters.
    QRandomGenerator random(11);
    for (int round = 0; round < 200; ++round) {
        QByteArray junk(int(random.bounded(100)), '\0');
        for (char& c : junk)
            c = char(random.bounded(256));
        EXPECT_LE(DecipherPasswordBytes(kCmdFileCipherKey, junk).size(), (junk.size() * 3) / 4 + 3);
    }
}

TEST(PasswordCipher, TextLevelUsesUtf8AndReadsWindows1252)
{
    EXPECT_EQ(EncipherPassword(kCmdFileCipherKey, QStringLiteral("pässwörd")), QStringLiteral("SLMbAeYLS7koXQ=="));
    EXPECT_EQ(DecipherPassword(kCmdFileCipherKey, QStringLiteral("SLMbAeYLS7koXQ==")), QStringLiteral("pässwörd"));
    EXPECT_EQ(DecipherPassword(kCmdFileCipherKey, QStringLiteral("89dBaTDGNw4=")), QStringLiteral("pässwörd"));
    const QString unicode = QStringLiteral("密码€ \u00a0x");
    EXPECT_EQ(DecipherPassword(kCmdFileCipherKey, EncipherPassword(kCmdFileCipherKey, unicode)), unicode);
}

TEST(LegacyText, DecodesUtf8OrWindows1252)
{
    struct Case { QByteArray bytes; QString text; };
    const Case cases[] = {
        {"plain", QStringLiteral("plain")},
        {"caf\xc3\xa9", QStringLiteral("café")},
        {"caf\xe9", QStringLiteral("café")},
        {"\x80\x81\x9f", QString::fromUtf16(u"\u20ac\u0081\u0178")},
        {"\xc3", QStringLiteral("Ã")},                   // truncated UTF-8 sequence
        {"\xef\xbb\xbfx", QChar(0xFEFF) + QStringLiteral("x")},  // a BOM is kept unless asked
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeLegacyText(c.bytes), c.text) << c.bytes.toHex().constData();
    EXPECT_EQ(DecodeLegacyText("\xef\xbb\xbfx", true), QStringLiteral("x"));
}

}  // namespace
}  // namespace tavil
