// The tolerant reader of INI text used by command files.
#include "app/model/TIniDocument.h"

#include <limits>

namespace tavil {

namespace {

int hexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

}  // namespace

namespace {

QStringView trimmedView(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    return text.sliced(begin, end - begin);
}

}  // namespace

QString TIniDocument::Trim(QStringView text)
{
    return trimmedView(text).toString();
}

void TIniDocument::Scan(QStringView text, Visitor& visitor)
{
    bool inSection = false;
    const QChar* const data = text.constData();
    const qsizetype size = text.size();

    qsizetype pos = 0;
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && data[end] != QLatin1Char('\r') && data[end] != QLatin1Char('\n'))
            ++end;
        const QStringView raw(data + pos, end - pos);
        pos = end;
        if (pos < size && data[pos] == QLatin1Char('\r'))
            ++pos;
        if (pos < size && data[pos] == QLatin1Char('\n'))
            ++pos;

        const QStringView line = trimmedView(raw);
        if (line.isEmpty() || line.front() == QLatin1Char(';'))
            continue;
        if (line.size() >= 2 && line.front() == QLatin1Char('[') && line.back() == QLatin1Char(']')) {
            inSection = true;
            visitor.OnSection(trimmedView(line.sliced(1, line.size() - 2)));
            continue;
        }
        if (!inSection)
            continue;  // keys before the first section
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        const bool more = eq < 0 ? visitor.OnEntry(line, QStringView())
                                 : visitor.OnEntry(trimmedView(line.first(eq)), trimmedView(line.sliced(eq + 1)));
        if (!more)
            return;
    }
}

TIniDocument TIniDocument::Parse(const QString& text)
{
    class Builder : public Visitor {
    public:
        explicit Builder(TIniDocument& doc) : doc_(doc) {}
        void OnSection(QStringView name) override
        {
            const QString folded = name.toString().toCaseFolded();
            auto it = doc_.byName_.constFind(folded);
            if (it == doc_.byName_.constEnd()) {
                doc_.sections_.push_back(SectionData{name.toString(), {}});
                it = doc_.byName_.insert(folded, doc_.sections_.size() - 1);
            }
            current_ = *it;
        }
        bool OnEntry(QStringView key, QStringView value) override
        {
            doc_.sections_[current_].Entries.push_back(Entry{key.toString(), value.toString()});
            return true;
        }

    private:
        TIniDocument& doc_;
        size_t current_ = 0;
    };

    TIniDocument doc;
    Builder builder(doc);
    Scan(text, builder);
    return doc;
}

const std::vector<TIniDocument::Entry>* TIniDocument::Section(const QString& name) const
{
    const auto it = byName_.constFind(name.toCaseFolded());
    return it == byName_.constEnd() ? nullptr : &sections_[*it].Entries;
}

const TIniDocument::Entry* TIniDocument::find(const QString& section, const QString& key) const
{
    const std::vector<Entry>* entries = Section(section);
    if (!entries)
        return nullptr;
    for (const Entry& e : *entries)
        if (e.Key.compare(key, Qt::CaseInsensitive) == 0)
            return &e;
    return nullptr;
}

QString TIniDocument::ReadString(const QString& section, const QString& key, const QString& def) const
{
    const Entry* e = find(section, key);
    return e ? e->Value : def;
}

bool TIniDocument::ReadBool(const QString& section, const QString& key, bool def) const
{
    const Entry* e = find(section, key);
    qint32 value = 0;
    if (!e || !ParseInteger(e->Value, value))
        return def;
    return value != 0;
}

bool TIniDocument::ParseInteger(const QString& text, qint32& value)
{
    const qsizetype n = text.size();
    if (n > 2 && text[0] == QLatin1Char('0') && (text[1] == QLatin1Char('x') || text[1] == QLatin1Char('X'))) {
        quint64 acc = 0;
        for (qsizetype i = 2; i < n; ++i) {
            const int digit = hexDigit(text[i].unicode());
            if (digit < 0)
                return false;
            acc = acc * 16 + quint64(digit);
            if (acc > std::numeric_limits<quint32>::max())
                return false;
        }
        value = static_cast<qint32>(static_cast<quint32>(acc));
        return true;
    }
    qsizetype i = 0;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i == n)
        return false;
    qint64 acc = 0;
    const qint64 limit = negative ? qint64(std::numeric_limits<qint32>::max()) + 1 : std::numeric_limits<qint32>::max();
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        acc = acc * 10 + (c - u'0');
        if (acc > limit)
            return false;
    }
    value = static_cast<qint32>(negative ? -acc : acc);
    return true;
}

}  // namespace tavil
