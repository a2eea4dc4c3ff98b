// Decoding of text that may come from the Windows releases: UTF-8 when the bytes are valid
// UTF-8, otherwise Windows-1252.
#pragma once

#include <QByteArrayView>
#include <QString>

namespace tavil {

// True when the bytes are well-formed UTF-8 (an empty input is).
bool IsValidUtf8(QByteArrayView bytes);

// Windows-1252 to Unicode. The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the C1 controls of the same value, as Windows itself converts them.
QString DecodeWindows1252(QByteArrayView bytes);

// UTF-8 when valid, else Windows-1252. With stripBom, a leading UTF-8 byte-order mark is
// dropped (text files edited by hand may carry one); otherwise it is kept as U+FEFF.
QString DecodeLegacyText(QByteArrayView bytes, bool stripBom = false);

}  // namespace tavil
