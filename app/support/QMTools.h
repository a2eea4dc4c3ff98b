// Small services of the program: file and folder tests that never raise, the temporary folder,
// the hourglass cursor, text helpers.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

namespace tavil {

// ---- Files and folders ---------------------------------------------------------------------
// Linux has no drive letters: a path's "drive" is the mount point of the file system holding it,
// and a drive is ready when that file system answers. A path starting with "//" is a network
// path and skips the readiness test. None of these raise.

// True when the path's file system is ready and a file (not a folder) is there.
bool FileExistsSafe(const QString& path);
// True when the path's file system is ready and the path is a folder.
bool DirectoryExistsSafe(const QString& path);
// True when the file system at that path answers a size query in time (a dead network mount does
// not). False for an empty text.
bool DriveReady(const QString& drive);
// The mount point holding the path ("/", "/media/cdrom" ...); empty for a network path. A
// relative path is taken from the current folder.
QString PathDrive(const QString& path);
// An empty path stays empty; a path ending in "/" is unchanged; any other path gets "/".
QString IncludeTrailingBackslash(const QString& path);

// File attributes, with the values the program's stored masks use.
enum TQMFileAttribute : std::uint32_t {
    faReadOnly = 0x01,   // the owner may not write it
    faHidden = 0x02,     // the name starts with "."
    faDirectory = 0x10,
    faArchive = 0x20,    // a regular file
    faSymLink = 0x400,   // the path itself is a symbolic link
};
// The path's attributes, nothing when they cannot be read.
std::optional<std::uint32_t> FileAttributes(const QString& path);
// False when the attributes cannot be read; otherwise true when every bit of the mask is set.
bool HasAttributes(const QString& path, std::uint32_t mask);
// Copies the file over the target through a temporary file beside it, so that a failed copy
// leaves the old target as it was. The target gets the source's permissions.
bool CopyFileReplacing(const QString& source, const QString& target);
// Makes the file writable by its owner when it is not, then deletes it. A symbolic link itself
// is deleted, never its target. True when the path is gone.
bool DeleteFileForced(const QString& path);
// The system's temporary folder with its trailing "/".
QString TempFolder();

// ---- Cursor --------------------------------------------------------------------------------
// The hourglass is not counted: HourglassOff always brings back the normal cursor. They do
// nothing until a window library installs a handler (see QMCursor.h), so headless code may call
// them freely.
void HourglassOn();
void HourglassOff();
// The handler receives true for the hourglass, false for the normal cursor. An empty function
// removes it.
void SetHourglassHandler(std::function<void(bool)> handler);

// Shows the hourglass for its own lifetime, restoring the normal cursor on every path.
class THourglass {
public:
    THourglass() { HourglassOn(); }
    ~THourglass() { HourglassOff(); }
    THourglass(const THourglass&) = delete;
    THourglass& operator=(const THourglass&) = delete;
};

// ---- Text ----------------------------------------------------------------------------------
// The first / last n characters (UTF-16 code units); the whole text when n is larger than its
// length; empty when n is below 1.
QString LeftStr(const QString& text, int n);
QString RightStr(const QString& text, int n);
// Replaces the lines by a random permutation of them (seeded afresh on every call).
void ShuffleLines(QStringList& lines);

}  // namespace tavil
