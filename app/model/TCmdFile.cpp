// A command file in memory, and its reading and writing.
#include "app/model/TCmdFile.h"

#include "app/model/TIniDocument.h"
#include "app/support/EQMException.h"
#include "app/support/QMApplication.h"
#include "app/support/QMTools.h"
#include "app/support/cipher/LegacyText.h"
#include "app/support/cipher/PasswordCipher.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <array>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tavil {

namespace {

// The layout of the file, declared once for the reader and the writer. Sections and keys
// are written in the order of these tables.
struct ObjectSection {
    const char* section;
    const char* prefix;  // key prefix; matched with exact case, the number after it is not read
    const char* kindName;  // for messages
    TDBObjects TCmdFile::*list;
};

constexpr std::array<ObjectSection, TCmdFile::KindCount> kObjectSections{{
    {"Tables", "Table", "table", &TCmdFile::Tables},
    {"Views", "View", "view", &TCmdFile::Views},
    {"StoredProcs", "StoredProc", "stored procedure", &TCmdFile::StoredProcs},
    {"Defaults", "Default", "default", &TCmdFile::Defaults},
    {"Rules", "Rule", "rule", &TCmdFile::Rules},
    {"Types", "Type", "user-defined data type", &TCmdFile::Types},
    {"Functions", "Function", "user-defined function", &TCmdFile::Functions},
}};

// A switch, with the value a file that lacks it loads with (which is not always the value of
// a new command file).
template <class Options>
struct SwitchKey {
    const char* key;
    bool Options::*field;
    bool readDefault;
};

constexpr SwitchKey<TDBTableOptions> kTableSwitches[] = {
    {"ScriptSchema", &TDBTableOptions::ScriptSchema, true},
    {"ScriptData", &TDBTableOptions::ScriptData, false},
};

constexpr SwitchKey<TDBFormatOptions> kFormatSwitches[] = {
    {"GenerateCreateCommand", &TDBFormatOptions::GenerateCreateCommand, false},
    {"GenerateDropCommand", &TDBFormatOptions::GenerateDropCommand, false},
    {"ScriptDependantObjects", &TDBFormatOptions::ScriptDependantObjects, false},
    {"IncludeHeaders", &TDBFormatOptions::IncludeHeaders, false},
    {"IncludeExtendedProperties", &TDBFormatOptions::IncludeExtendedProperties, false},
    {"ScriptOnly70Compatible", &TDBFormatOptions::ScriptOnly70Compatible, false},
};

constexpr SwitchKey<TDBOtherOptions> kOtherSwitches[] = {
    {"ScriptUsersRoles", &TDBOtherOptions::ScriptUsersRoles, false},
    {"ScriptLogins", &TDBOtherOptions::ScriptLogins, false},
    {"ScriptObjectPermissions", &TDBOtherOptions::ScriptObjectPermissions, false},
    {"ScriptTableIndexes", &TDBOtherOptions::ScriptTableIndexes, false},
    {"ScriptTableFullTextIndexes", &TDBOtherOptions::ScriptTableFullTextIndexes, false},
    {"ScriptTableTriggers", &TDBOtherOptions::ScriptTableTriggers, false},
    {"ScriptTableConstraints", &TDBOtherOptions::ScriptTableConstraints, false},
    {"ScriptTableIncludeColumnNames", &TDBOtherOptions::ScriptTableIncludeColumnNames, false},
};

const QString kHeader = QStringLiteral("Header");
const QString kConnection = QStringLiteral("Connection");
const QString kTables = QStringLiteral("Tables");
const QString kFormatting = QStringLiteral("Formatting");
const QString kAdvanced = QStringLiteral("Advanced");

// Larger than any command file a database could give (millions of objects); refusing it keeps
// a wrongly chosen file (a disk image, a log) from taking all memory.
constexpr qint64 kMaxFileSize = qint64(256) * 1024 * 1024;

QString upperAscii(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return out;
}

EQMException notValid(const QString& path, const QString& details)
{
    return EQMException(QStringLiteral("'%1' is not a valid command file.").arg(QFileInfo(path).fileName()),
                        EQMException::Warning, details.arg(path));
}

EQMException notSaved(const QString& path, const QString& reason)
{
    return EQMException(QStringLiteral("Unable to save file '%1'.").arg(path), EQMException::Warning, reason);
}

bool hasLineBreak(const QString& value)
{
    return value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n'));
}

// The writer: the content in memory, one line at a time, CR LF after each.
class Writer {
public:
    void section(const char* name)
    {
        if (!text_.isEmpty())
            text_ += QLatin1String("\r\n");  // the empty line that closes the previous section
        text_ += QLatin1Char('[') + QLatin1String(name) + QLatin1String("]\r\n");
    }
    void key(QStringView name, const QString& value)
    {
        text_ += name;
        text_ += QLatin1Char('=');
        text_ += value;
        text_ += QLatin1String("\r\n");
    }
    void key(const char* name, const QString& value) { key(QString::fromLatin1(name), value); }
    void key(const char* name, bool value) { key(name, value ? QStringLiteral("1") : QStringLiteral("0")); }
    QByteArray finish()
    {
        text_ += QLatin1String("\r\n");
        return text_.toUtf8();
    }

private:
    QString text_;
};

template <class Options, size_t N>
void writeSwitches(Writer& w, const Options& options, const SwitchKey<Options> (&keys)[N])
{
    for (const auto& k : keys)
        w.key(k.key, options.*k.field);
}

// The first value of each key a reader asks for in one section; the other lines of the section
// are not kept. Keys match without regard to case, as the file's reading rules have it.
class SectionKeys {
public:
    explicit SectionKeys(std::vector<QString> keys) : keys_(std::move(keys)), values_(keys_.size()) {}

    void offer(QStringView key, QStringView value)
    {
        for (size_t i = 0; i < keys_.size(); ++i)
            if (!values_[i] && key.compare(keys_[i], Qt::CaseInsensitive) == 0)
                values_[i] = value.toString();
    }
    bool complete() const
    {
        for (const auto& v : values_)
            if (!v)
                return false;
        return true;
    }
    // The value of a key, or the default when the section does not hold it.
    QString string(size_t i, const QString& def = QString()) const { return values_[i] ? *values_[i] : def; }
    // A value read as an integer: non-zero is true; a missing, empty or non-numeric value gives
    // the default.
    bool boolean(size_t i, bool def) const
    {
        qint32 value = 0;
        if (!values_[i] || !TIniDocument::ParseInteger(*values_[i], value))
            return def;
        return value != 0;
    }

private:
    std::vector<QString> keys_;
    std::vector<std::optional<QString>> values_;
};

template <class Options, size_t N>
SectionKeys switchKeys(const SwitchKey<Options> (&keys)[N])
{
    std::vector<QString> names;
    for (const auto& k : keys)
        names.push_back(QString::fromLatin1(k.key));
    return SectionKeys(std::move(names));
}

template <class Options, size_t N>
void readSwitches(const SectionKeys& read, Options& options, const SwitchKey<Options> (&keys)[N])
{
    for (size_t i = 0; i < N; ++i)
        options.*keys[i].field = read.boolean(i, keys[i].readDefault);
}

// Section names are written in any case, and a section named twice is one section whose keys
// run on in its later part: a reader knows where it is by the folded name alone.
QString foldedName(QStringView name) { return name.toString().toCaseFolded(); }

// The application and version of the [Header] section, read before anything else of the file so
// that a file of another kind is turned down without reading the rest of it into memory.
class HeaderReader : public TIniDocument::Visitor {
public:
    enum { Application, Version };

    void OnSection(QStringView name) override { inHeader_ = foldedName(name) == header_; }
    bool OnEntry(QStringView key, QStringView value) override
    {
        if (!inHeader_)
            return true;
        keys.offer(key, value);
        return !keys.complete();
    }

    SectionKeys keys{{QStringLiteral("Application"), QStringLiteral("Version")}};

private:
    const QString header_ = foldedName(kHeader);
    bool inHeader_ = false;
};

// Everything else the reader uses, in one pass: the connection, the switches and the objects,
// each object made as its line is read.
class ContentReader : public TIniDocument::Visitor {
public:
    enum { ServerName, WindowsAuthentication, Username, Password, DatabaseName };

    ContentReader()
    {
        for (const ObjectSection& s : kObjectSections)
            objectSections_.push_back(foldedName(QString::fromLatin1(s.section)));
    }

    void OnSection(QStringView name) override
    {
        const QString folded = foldedName(name);
        section_ = Other;
        kind_ = -1;
        if (folded == connection_)
            section_ = Connection;
        else if (folded == formatting_)
            section_ = Formatting;
        else if (folded == advanced_)
            section_ = Advanced;
        for (size_t kind = 0; kind < objectSections_.size() && section_ == Other; ++kind)
            if (folded == objectSections_[kind])
                kind_ = int(kind);
        if (kind_ == int(TCmdFile::KindTables))
            section_ = Tables;
    }

    bool OnEntry(QStringView key, QStringView value) override
    {
        switch (section_) {
        case Connection: connection.offer(key, value); break;
        case Formatting: formatting.offer(key, value); break;
        case Advanced: advanced.offer(key, value); break;
        case Tables: tables.offer(key, value); break;
        case Other: break;
        }
        if (kind_ >= 0)
            addObject(size_t(kind_), key, value);
        return true;
    }

    SectionKeys connection{{QStringLiteral("ServerName"), QStringLiteral("WindowsAuthentication"),
                            QStringLiteral("Username"), QStringLiteral("Password"), QStringLiteral("DatabaseName")}};
    SectionKeys tables = switchKeys(kTableSwitches);
    SectionKeys formatting = switchKeys(kFormatSwitches);
    SectionKeys advanced = switchKeys(kOtherSwitches);
    std::array<std::vector<std::unique_ptr<TDBObject>>, TCmdFile::KindCount> objects;

private:
    enum Section { Other, Connection, Tables, Formatting, Advanced };

    // An object key: the section's prefix in exact case (the number after it is not read) and
    // a value holding "." between owner and name.
    void addObject(size_t kind, QStringView key, QStringView value)
    {
        if (!key.startsWith(QLatin1String(kObjectSections[kind].prefix), Qt::CaseSensitive))
            return;
        if (value.isEmpty() || !value.contains(QLatin1Char('.')))
            return;
        auto object = std::make_unique<TDBObject>();
        object->SetFullName(value.toString());
        // Objects of one owner usually follow each other; they share the owner's text.
        QString& owner = lastOwner_[kind];
        if (object->Owner == owner)
            object->Owner = owner;
        else
            owner = object->Owner;
        objects[kind].push_back(std::move(object));
    }

    const QString connection_ = foldedName(kConnection);
    const QString formatting_ = foldedName(kFormatting);
    const QString advanced_ = foldedName(kAdvanced);
    std::vector<QString> objectSections_;
    std::array<QString, TCmdFile::KindCount> lastOwner_;
    Section section_ = Other;
    int kind_ = -1;
};

}  // namespace

TCmdFile::TCmdFile() : FileName(QStringLiteral("Untitled"))
{
    Connection.ServerName = QStringLiteral("(local)");
    Connection.WindowsAuthentication = true;
    Connection.DatabaseName = QStringLiteral("(default)");

    TableOptions.ScriptSchema = true;
    TableOptions.ScriptData = true;

    FormatOptions.GenerateCreateCommand = true;
    FormatOptions.GenerateDropCommand = true;
    FormatOptions.ScriptDependantObjects = true;
    FormatOptions.IncludeHeaders = true;
    FormatOptions.IncludeExtendedProperties = false;
    FormatOptions.ScriptOnly70Compatible = false;

    OtherOptions.ScriptUsersRoles = false;
    OtherOptions.ScriptLogins = false;
    OtherOptions.ScriptObjectPermissions = false;
    OtherOptions.ScriptTableIndexes = true;
    OtherOptions.ScriptTableFullTextIndexes = false;
    OtherOptions.ScriptTableTriggers = true;
    OtherOptions.ScriptTableConstraints = true;
    OtherOptions.ScriptTableIncludeColumnNames = true;
}

TDBObjects& TCmdFile::Objects(int kind)
{
    if (kind < 0 || kind >= KindCount)
        throw std::out_of_range("TCmdFile::Objects: no object kind " + std::to_string(kind));
    return this->*kObjectSections[static_cast<size_t>(kind)].list;
}

const TDBObjects& TCmdFile::Objects(int kind) const
{
    return const_cast<TCmdFile*>(this)->Objects(kind);
}

void TCmdFile::LoadFromFile(const QString& path)
{
    const THourglass hourglass;
    if (!FileExistsSafe(path))
        throw EQMException(QStringLiteral("File '%1' not found.").arg(path), EQMException::Warning);

    const QFileInfo info(path);
    if (!info.isFile())
        throw EQMException(QStringLiteral("Unable to read file '%1'.").arg(path), EQMException::Warning,
                           QStringLiteral("It is not a regular file."));
    if (info.size() > kMaxFileSize)
        throw notValid(path, QStringLiteral("File '%1' is too large to be a command file."));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EQMException(QStringLiteral("Unable to read file '%1'.").arg(path), EQMException::Warning,
                           file.errorString());
    // Read at most one byte past the limit, in case the file grew since it was measured.
    QByteArray content = file.read(kMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        throw EQMException(QStringLiteral("Unable to read file '%1'.").arg(path), EQMException::Warning,
                           file.errorString());
    if (content.size() > kMaxFileSize)
        throw notValid(path, QStringLiteral("File '%1' is too large to be a command file."));
    LoadContent(std::move(content), path);
}

void TCmdFile::LoadFromBytes(const QByteArray& content, const QString& path)
{
    const THourglass hourglass;
    LoadContent(content, path);
}

void TCmdFile::LoadContent(QByteArray content, const QString& path)
{
    const QString text = DecodeLegacyText(content, true);
    content = QByteArray();  // only the text is read from here on; a file read here is freed

    HeaderReader header;
    TIniDocument::Scan(text, header);
    const QString application = header.keys.string(HeaderReader::Application);
    if (upperAscii(application) != upperAscii(QMApp().FullName))
        throw notValid(path, QStringLiteral("Invalid file header in '%1'."));
    const QString version = header.keys.string(HeaderReader::Version);
    if (version.isEmpty())
        throw notValid(path, QStringLiteral("Invalid file header in '%1'."));
    // Releases 0.1 to 1.0 share this format; the comparison is the platform's locale-aware one.
    const QString release = version.left(3);
    if (QString::localeAwareCompare(release, QStringLiteral("0.1")) < 0
        || QString::localeAwareCompare(release, QStringLiteral("1.0")) > 0)
        throw notValid(path, QStringLiteral("File '%1' was saved with a version of Tavilor that is not compatible "
                                            "with the version you are using."));

    // Everything is read into local values first, so that the object only changes once the
    // whole file has been accepted.
    ContentReader read;
    TIniDocument::Scan(text, read);

    TDBConnection connection;
    connection.ServerName = read.connection.string(ContentReader::ServerName);
    connection.WindowsAuthentication = read.connection.boolean(ContentReader::WindowsAuthentication, true);
    connection.Username = read.connection.string(ContentReader::Username);
    const QString stored = read.connection.string(ContentReader::Password);
    if (!stored.isEmpty())
        connection.Password = DecipherPassword(QString::fromLatin1(kCmdFileCipherKey), stored);
    connection.DatabaseName = read.connection.string(ContentReader::DatabaseName);
    if (connection.WindowsAuthentication) {
        connection.Username.clear();
        connection.Password.clear();
    }

    TDBTableOptions tableOptions;
    TDBFormatOptions formatOptions;
    TDBOtherOptions otherOptions;
    readSwitches(read.tables, tableOptions, kTableSwitches);
    readSwitches(read.formatting, formatOptions, kFormatSwitches);
    readSwitches(read.advanced, otherOptions, kOtherSwitches);

    Connection = connection;
    for (size_t kind = 0; kind < read.objects.size(); ++kind) {
        TDBObjects& list = this->*kObjectSections[kind].list;
        list.Reserve(list.Count() + static_cast<int>(read.objects[kind].size()));
        for (auto& object : read.objects[kind])
            list.Add(std::move(object));
    }
    TableOptions = tableOptions;
    FormatOptions = formatOptions;
    OtherOptions = otherOptions;
}

QByteArray TCmdFile::SaveToBytes(const QString& path) const
{
    // Values are written as they are, unquoted; a line break would end the line early and let
    // the rest of a name be read as keys of its own.
    const auto refuse = [&](const QString& what) {
        throw notSaved(path, QStringLiteral("%1 contains a line break, which a command file cannot hold.").arg(what));
    };
    if (hasLineBreak(Connection.ServerName))
        refuse(QStringLiteral("The server name"));
    if (hasLineBreak(Connection.Username))
        refuse(QStringLiteral("The user name"));
    if (hasLineBreak(Connection.DatabaseName))
        refuse(QStringLiteral("The database name"));

    Writer w;
    w.section("Header");
    w.key("Application", QMApp().FullName);
    w.key("Version", QMApp().Version);

    w.section("Connection");
    w.key("ServerName", Connection.ServerName);
    w.key("WindowsAuthentication", Connection.WindowsAuthentication);
    w.key("Username", Connection.Username);
    w.key("Password", Connection.Password.isEmpty()
                          ? QString()
                          : EncipherPassword(QString::fromLatin1(kCmdFileCipherKey), Connection.Password));
    w.key("DatabaseName", Connection.DatabaseName);

    for (size_t kind = 0; kind < kObjectSections.size(); ++kind) {
        const ObjectSection& s = kObjectSections[kind];
        const TDBObjects& list = this->*s.list;
        if (list.Count() > 0 || kind == size_t(KindTables))
            w.section(s.section);
        const QString prefix = QString::fromLatin1(s.prefix);
        for (int i = 0; i < list.Count(); ++i) {
            const QString value = list.Items(i)->FullName();
            if (hasLineBreak(value))
                refuse(QStringLiteral("The name of the %1 '%2'").arg(QLatin1String(s.kindName), value));
            w.key(prefix + QString::number(i), value);
        }
        if (kind == size_t(KindTables))
            writeSwitches(w, TableOptions, kTableSwitches);
    }

    w.section("Formatting");
    writeSwitches(w, FormatOptions, kFormatSwitches);
    w.section("Advanced");
    writeSwitches(w, OtherOptions, kOtherSwitches);
    return w.finish();
}

void TCmdFile::WriteToFile(const QString& path) const
{
    const THourglass hourglass;
    const QByteArray content = SaveToBytes(path);

    // The content goes to a temporary file beside the target, which is then renamed over it:
    // a failure or a crash leaves the old file as it was, and two instances saving at once
    // never mix their contents.
    // A file whose owner may not write it is read-only by intent; renaming over it would
    // replace it anyway (and root may write anything), so it is refused here.
    const QFileInfo existing(path);
    if (existing.exists() && existing.isFile() && !(existing.permissions() & QFileDevice::WriteOwner))
        throw notSaved(path, QStringLiteral("The file is read-only."));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw notSaved(path, file.errorString());
    if (!Connection.Password.isEmpty()
        && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        file.cancelWriting();
        throw notSaved(path, QStringLiteral("Unable to make the file private to its owner: %1").arg(file.errorString()));
    }
    if (file.write(content) != content.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw notSaved(path, reason);
    }
    if (!file.commit())
        throw notSaved(path, file.errorString());
}

void TCmdFile::Save()
{
    WriteToFile(FileName);
}

void TCmdFile::SaveAs(const QString& path)
{
    WriteToFile(path);
    FileName = path;
}

void TCmdFile::SaveCopyAs(const QString& path)
{
    WriteToFile(path);
}

}  // namespace tavil
