// Script files: decoding, line-break style and atomic writing.
#include "app/script/TScriptFile.h"

#include "app/support/cipher/LegacyText.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextDocument>
#include <array>
#include <memory>

namespace tavil {

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
constexpr qsizetype kChunk = 1 << 20;

QString firstLineBreak(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n') return QStringLiteral("\n");
        if (text[i] == u'\r') return i + 1 < text.size() && text[i + 1] == u'\n' ? QStringLiteral("\r\n") : QStringLiteral("\r");
    }
    return QStringLiteral("\n");
}

// Unicode value to Windows-1252 byte, 0 for "none" (byte 0 maps to U+0000 and is handled apart).
const std::array<unsigned char, 0x10000>& cp1252Table()
{
    static const auto table = [] {
        auto t = std::make_unique<std::array<unsigned char, 0x10000>>();
        t->fill(0);
        char bytes[256];
        for (int b = 0; b < 256; ++b) bytes[b] = static_cast<char>(b);
        const QString chars = DecodeWindows1252(QByteArrayView(bytes, 256));
        for (int b = 1; b < 256; ++b) (*t)[chars[b].unicode()] = static_cast<unsigned char>(b);
        return t;
    }();
    return *table;
}

}  // namespace

bool EncodeWindows1252(QStringView text, QByteArray& out)
{
    const auto& table = cp1252Table();
    const qsizetype base = out.size();
    out.resize(base + text.size());
    char* dst = out.data() + base;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == 0) {
            *dst++ = 0;
            continue;
        }
        const unsigned char b = table[u];
        if (!b) {
            out.truncate(base);
            return false;
        }
        *dst++ = static_cast<char>(b);
    }
    return true;
}

TScriptText DecodeScript(const QByteArray& bytes)
{
    TScriptText result;
    QByteArrayView body(bytes);
    if (body.startsWith(QByteArrayView(kBom, 3))) {
        body = body.sliced(3);
        result.Format.Encoding = TScriptFileFormat::Utf8WithBom;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    result.Text = decoder.decode(body);
    if (decoder.hasError()) {
        // Not UTF-8: a script saved by the Windows releases.
        result.Text = DecodeWindows1252(QByteArrayView(bytes));
        result.Format.Encoding = TScriptFileFormat::Windows1252;
    }
    result.Format.LineBreak = firstLineBreak(result.Text);
    return result;
}

TScriptText ReadScriptFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw TScriptFileError(file.errorString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) throw TScriptFileError(file.errorString());
    return DecodeScript(bytes);
}

TScriptFileFormat WriteScriptFile(const QString& path, const QTextDocument& document, const TScriptFileFormat& format)
{
    TScriptFileFormat written = format;
    if (written.LineBreak.isEmpty()) written.LineBreak = QStringLiteral("\n");
    if (written.Encoding == TScriptFileFormat::Windows1252) {
        // Every character must have its byte, or the whole file goes out as UTF-8.
        QByteArray probe;
        for (QTextBlock b = document.firstBlock(); b.isValid(); b = b.next()) {
            probe.clear();
            if (!EncodeWindows1252(b.text(), probe)) {
                written.Encoding = TScriptFileFormat::Utf8;
                break;
            }
        }
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) throw TScriptFileError(file.errorString());
    auto fail = [&]() {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw TScriptFileError(reason);
    };
    QByteArray chunk;
    chunk.reserve(kChunk + 4096);
    if (written.Encoding == TScriptFileFormat::Utf8WithBom) chunk.append(kBom, 3);
    const bool cp1252 = written.Encoding == TScriptFileFormat::Windows1252;
    QByteArray lineBreak;
    if (cp1252) EncodeWindows1252(written.LineBreak, lineBreak);
    else lineBreak = written.LineBreak.toUtf8();
    for (QTextBlock b = document.firstBlock(); b.isValid(); b = b.next()) {
        if (b != document.firstBlock()) chunk += lineBreak;
        const QString text = b.text();
        if (cp1252) EncodeWindows1252(text, chunk);
        else chunk += text.toUtf8();
        if (chunk.size() >= kChunk) {
            if (file.write(chunk) != chunk.size()) fail();
            chunk.clear();
        }
    }
    if (!chunk.isEmpty() && file.write(chunk) != chunk.size()) fail();
    if (!file.commit()) throw TScriptFileError(file.errorString());
    return written;
}

}  // namespace tavil
