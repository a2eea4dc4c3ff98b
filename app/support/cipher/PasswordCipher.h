// The cipher that keeps the SQL Server password of a command file out of plain sight:
// Blowfish keyed with the RIPEMD-256 digest of a key text, in a feedback mode that handles a
// partial last block, stored as Base64. It hides the password from a casual reader of the file;
// it is not protection against anyone who has this code.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tavil {

// The key text every command file uses.
inline constexpr char kCmdFileCipherKey[] = "VELK";

// Byte level. EncipherPasswordBytes returns the Base64 text (as ASCII bytes) of the cipher
// bytes, which are exactly as many as the plain bytes. DecipherPasswordBytes accepts any text:
// characters outside the Base64 alphabet are skipped and a short final group is completed, so
// a damaged value deciphers to whatever its valid characters give. Empty in, empty out.
// Neither throws.
QByteArray EncipherPasswordBytes(QByteArrayView key, QByteArrayView plain);
QByteArray DecipherPasswordBytes(QByteArrayView key, QByteArrayView stored);

// Text level: the key and the password are taken as UTF-8 bytes; a deciphered password that is
// not valid UTF-8 (one saved by the Windows releases) is read as Windows-1252.
QString EncipherPassword(const QString& key, const QString& plain);
QString DecipherPassword(const QString& key, const QString& stored);

}  // namespace tavil
