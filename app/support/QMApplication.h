// The application record: the program's identity, its registry location, the language and font
// of its dialogs, its help and tip files and the maker's addresses.
#pragma once

#include "platform/SettingsStore.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace tavil {

// The version information a record is filled from (see platform/ProgramVersion.h).
struct TQMVersionInfo {
    std::uint16_t Major = 0;
    std::uint16_t Minor = 0;
    std::uint16_t Release = 0;
    std::uint16_t Build = 0;
    std::uint16_t LanguageId = 1033;  // the first translation entry's language
    QString LegalCopyright;           // empty when there is none
};

// The build's compiled-in version information; nothing when the build has none.
std::optional<TQMVersionInfo> CompiledVersionInfo();

struct TQMApplication {
    QString ExeName;       // full path of the running program file
    QString ExePath;       // folder of ExeName, ending in "/"
    platform::Hive RegistryRoot = platform::Hive::LocalMachine;
    QString FamilyKey;     // "Software\Quillomere\Quillomere SQL Server Tools"
    QString AppKey;        // FamilyKey + "\Tavilor"
    QString FamilyName;    // "Quillomere SQL Server Tools"
    QString FullName;      // "Quillomere Tavilor": the title and the caption of every message
    QString ReleaseLabel;  // "Beta 3"
    QString Version;       // "0.3.0 Build 52"; "0.0.0" without version information
    std::uint8_t LanguageId = 1;  // 0 Portuguese, 1 English
    QString Icon;          // the program's icon as a Qt resource path
    QString Copyright;
    QString Credits;
    QString DialogFont;    // "Tahoma"
    QString HelpFile;      // the index page of the HTML help topics
    QString WebAddress;
    QString SupportAddress;
    std::uint32_t AccentColor = 0xFF3A6EA5;  // 0xAARRGGBB (red 58, green 110, blue 165), as QColor(QRgb) takes it
    QString TipFile;       // the tip file, one tip per line
};

// The process-wide record, filled on first use from the running program and the compiled-in
// version information.
const TQMApplication& QMApp();

// Fills a record as if the program were exeName with that version information (nothing: a
// program without version information). The help and tip files are looked for beside the program,
// then in ../share/tavilor of the program's folder (an installation under any prefix), then in
// dataFolder (the installed data folder when empty); when none has them the names beside the
// program are kept.
TQMApplication MakeQMApplication(const QString& exeName, const std::optional<TQMVersionInfo>& version,
                                 const QString& dataFolder = QString());

// The language id of a version's first translation entry as the dialogs use it: 0 for Portuguese
// (2070 Portugal, 1046 Brazil), 1 for any other language.
std::uint8_t DialogLanguage(std::uint16_t languageId);

}  // namespace tavil
