// Small services of the program: file and folder tests, the temporary folder, the hourglass
// cursor, text helpers.
#include "app/support/QMTools.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <random>
#include <thread>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace tavil {

namespace {

// How long a file system may take to answer before it counts as not ready.
constexpr auto kDriveAnswerTime = std::chrono::seconds(3);

bool isNetworkPath(const QString& path) { return path.startsWith(QLatin1String("//")); }

// Undoes the octal escapes (\040 for a blank ...) of /proc/self/mountinfo.
QString unescapeMountPath(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (int i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const QByteArray oct = field.mid(i + 1, 3);
            bool ok = false;
            const int v = oct.toInt(&ok, 8);
            if (ok && oct.size() == 3) {
                out += static_cast<char>(v);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return QFile::decodeName(out);
}

QStringList mountPoints()
{
    QStringList points;
    QFile file(QStringLiteral("/proc/self/mountinfo"));
    if (!file.open(QIODevice::ReadOnly)) return points;
    // Files under /proc report no size (atEnd() is true at once): read to the end of the data.
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() > 4) points << unescapeMountPath(fields[4]);
    }
    return points;
}

}  // namespace

QString PathDrive(const QString& path)
{
    if (isNetworkPath(path)) return QString();
    const QString absolute = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    QString best = QStringLiteral("/");
    for (const QString& point : mountPoints()) {
        if (point.size() <= best.size()) continue;
        if (absolute == point || absolute.startsWith(point + QLatin1Char('/'))) best = point;
    }
    return best;
}

bool DriveReady(const QString& drive)
{
    if (drive.isEmpty()) return false;
    const QByteArray native = QFile::encodeName(drive);
    const auto ask = [](const QByteArray& p) {
        struct statvfs info {};
        return ::statvfs(p.constData(), &info) == 0;
    };
    // Asked on a thread of its own: a file system that does not answer (a dead network mount)
    // blocks that thread, not the caller. It finishes when the file system answers at last.
    try {
        auto answer = std::make_shared<std::promise<bool>>();
        std::future<bool> result = answer->get_future();
        std::thread([native, answer, ask] { answer->set_value(ask(native)); }).detach();
        if (result.wait_for(kDriveAnswerTime) != std::future_status::ready) return false;
        return result.get();
    } catch (...) {
        return ask(native);
    }
}

bool FileExistsSafe(const QString& path)
{
    try {
        if (path.isEmpty()) return false;
        if (!isNetworkPath(path) && !DriveReady(PathDrive(path))) return false;
        return QFileInfo(path).isFile();
    } catch (...) {
        return false;
    }
}

bool DirectoryExistsSafe(const QString& path)
{
    try {
        if (path.isEmpty()) return false;
        if (!isNetworkPath(path) && !DriveReady(PathDrive(path))) return false;
        return HasAttributes(path, faDirectory);
    } catch (...) {
        return false;
    }
}

QString IncludeTrailingBackslash(const QString& path)
{
    if (path.isEmpty() || path.endsWith(QLatin1Char('/'))) return path;
    return path + QLatin1Char('/');
}

std::optional<std::uint32_t> FileAttributes(const QString& path)
{
    if (path.isEmpty()) return std::nullopt;
    const QByteArray native = QFile::encodeName(path);
    struct stat link {};
    if (::lstat(native.constData(), &link) != 0) return std::nullopt;
    std::uint32_t attributes = 0;
    struct stat st = link;
    if (S_ISLNK(link.st_mode)) {
        attributes |= faSymLink;
        if (::stat(native.constData(), &st) != 0) return attributes;  // a dangling link
    }
    if (S_ISDIR(st.st_mode)) attributes |= faDirectory;
    if (S_ISREG(st.st_mode)) attributes |= faArchive;
    if (!(st.st_mode & S_IWUSR)) attributes |= faReadOnly;
    const QString name = QFileInfo(path).fileName();
    if (name.startsWith(QLatin1Char('.')) && name != QLatin1String(".") && name != QLatin1String("..")) attributes |= faHidden;
    return attributes;
}

bool HasAttributes(const QString& path, std::uint32_t mask)
{
    try {
        const auto attributes = FileAttributes(path);
        return attributes && (*attributes & mask) == mask;
    } catch (...) {
        return false;
    }
}

bool CopyFileReplacing(const QString& source, const QString& target)
{
    try {
        QFile in(source);
        if (!QFileInfo(source).isFile() || !in.open(QIODevice::ReadOnly)) return false;
        QSaveFile out(target);
        out.setDirectWriteFallback(false);
        if (!out.open(QIODevice::WriteOnly)) return false;
        QByteArray buffer(1 << 16, Qt::Uninitialized);
        while (true) {
            const qint64 n = in.read(buffer.data(), buffer.size());
            if (n < 0) {
                out.cancelWriting();
                return false;
            }
            if (n == 0) break;
            if (out.write(buffer.constData(), n) != n) {
                out.cancelWriting();
                return false;
            }
        }
        if (!out.commit()) return false;
        QFile::setPermissions(target, in.permissions());
        return true;
    } catch (...) {
        return false;
    }
}

bool DeleteFileForced(const QString& path)
{
    try {
        if (path.isEmpty()) return false;
        const QByteArray native = QFile::encodeName(path);
        struct stat st {};
        if (::lstat(native.constData(), &st) != 0) return errno == ENOENT;
        if (S_ISDIR(st.st_mode)) return false;
        if (S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR)) ::chmod(native.constData(), (st.st_mode & 07777) | S_IWUSR);
        return ::unlink(native.constData()) == 0;
    } catch (...) {
        return false;
    }
}

QString TempFolder() { return IncludeTrailingBackslash(QDir::tempPath()); }

// ---- cursor --------------------------------------------------------------------------------

namespace {
std::mutex g_hourglassMutex;
std::function<void(bool)> g_hourglass;

void callHourglass(bool on)
{
    std::function<void(bool)> handler;
    {
        std::lock_guard guard(g_hourglassMutex);
        handler = g_hourglass;
    }
    if (handler) handler(on);
}
}  // namespace

void HourglassOn() { callHourglass(true); }
void HourglassOff() { callHourglass(false); }

void SetHourglassHandler(std::function<void(bool)> handler)
{
    std::lock_guard guard(g_hourglassMutex);
    g_hourglass = std::move(handler);
}

// ---- text ----------------------------------------------------------------------------------

QString LeftStr(const QString& text, int n) { return n < 1 ? QString() : text.left(n); }
QString RightStr(const QString& text, int n) { return n < 1 ? QString() : text.right(n); }

void ShuffleLines(QStringList& lines)
{
    try {
        const auto seed = static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
        std::mt19937_64 random(seed);
        std::shuffle(lines.begin(), lines.end(), random);
    } catch (...) {
    }
}

}  // namespace tavil
