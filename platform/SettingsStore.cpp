// A settings store with registry semantics over one `.reg` file per hive.
#include "platform/SettingsStore.h"

#include "platform/Paths.h"
#include "platform/RegFormat.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavil::platform {

namespace {

// A settings file beyond this is not ours: what fits is read and the file is kept aside.
constexpr std::size_t kMaxFileSize = 64u << 20;
// How long a change waits for another process to finish writing before it gives up (the change
// stays in memory and is written later).
constexpr auto kLockPatience = std::chrono::seconds(5);

struct FileIdentity {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    std::int64_t mtimeNs = 0;
    std::int64_t ctimeNs = 0;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity identityOf(const struct stat& st)
{
    FileIdentity id;
    id.exists = true;
    id.dev = st.st_dev;
    id.ino = st.st_ino;
    id.size = st.st_size;
    id.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    id.ctimeNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return id;
}

FileIdentity identityOf(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return identityOf(st);
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

struct FileContents {
    bool exists = false;
    bool truncated = false;  // larger than kMaxFileSize, or unreadable part way
    std::string text;
    FileIdentity identity;
};

FileContents readFile(const std::string& path)
{
    FileContents c;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return c;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        // Something that is not a file stands where the file should be: treat it as damaged.
        c.exists = true;
        c.truncated = true;
        return c;
    }
    c.exists = true;
    c.identity = identityOf(st);
    char buf[65536];
    while (true) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            c.truncated = true;
            break;
        }
        if (n == 0) break;
        const std::size_t room = kMaxFileSize - c.text.size();
        c.text.append(buf, std::min(room, static_cast<std::size_t>(n)));
        if (static_cast<std::size_t>(n) > room) {
            c.truncated = true;
            break;
        }
    }
    ::close(fd);
    return c;
}

bool writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Writes a temporary file beside the target and renames it over the target: readers see the old
// file or the new one, never a part.
bool writeAtomically(const std::string& path, std::string_view text)
{
    static std::atomic<unsigned> counter{0};
    const std::string folder = folderOf(path);
    if (!makeFolders(folder)) return false;
    const std::string tmp = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = writeAll(fd, text) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(tmp.c_str());
        return false;
    }
    if (const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

// An exclusive lock on "<file>.lock" between processes (and between stores of one process, as
// every holder opens the file anew).
class FileLock {
public:
    FileLock(const std::string& path, bool createFolder)
    {
        const std::string lockPath = path + ".lock";
        if (createFolder && !makeFolders(folderOf(path))) return;
        fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) return;
        const auto deadline = std::chrono::steady_clock::now() + kLockPatience;
        while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() > deadline) {
                ::close(fd_);
                fd_ = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        locked_ = true;
    }
    ~FileLock()
    {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool locked() const { return locked_; }

private:
    int fd_ = -1;
    bool locked_ = false;
};

// A name for keeping a damaged file aside that no other file has yet.
std::string asideName(const std::string& path)
{
    const std::time_t now = std::time(nullptr);
    std::tm tm {};
    ::localtime_r(&now, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    std::string base = path + ".damaged-" + stamp;
    std::string name = base;
    for (int n = 2; ::access(name.c_str(), F_OK) == 0; ++n) name = base + "-" + std::to_string(n);
    return name;
}

enum class Outcome { Failed, Unchanged, Changed };

}  // namespace

struct SettingsStore::Op {
    enum class Kind { SetValue, DeleteValue, DeleteAllValues, CreateKey, DeleteKeyTree } kind;
    std::vector<std::string> path;
    std::string name;
    SettingsValue value;
};

struct SettingsStore::State {
    explicit State(std::string p) : path(std::move(p)) {}

    std::string path;
    bool loaded = false;
    std::unique_ptr<SettingsKey> root = std::make_unique<SettingsKey>();
    FileIdentity identity;         // of the file the tree was last read from or written to
    std::vector<Op> pending;       // changes not yet in the file, in the order they were made
    int batchDepth = 0;
    std::string damagedCopy;
    std::string rootName;
};

namespace {

using Op = SettingsStore::Op;

Outcome apply(SettingsKey& root, const Op& op)
{
    switch (op.kind) {
    case Op::Kind::SetValue: {
        SettingsKey& key = root.make(op.path);
        const SettingsValue* old = key.findValue(op.name);
        if (old && *old == op.value) return Outcome::Unchanged;
        key.setValue(op.name, op.value);
        return Outcome::Changed;
    }
    case Op::Kind::DeleteValue: {
        SettingsKey* key = root.find(op.path);
        return key && key->removeValue(op.name) ? Outcome::Changed : Outcome::Failed;
    }
    case Op::Kind::DeleteAllValues: {
        SettingsKey* key = root.find(op.path);
        if (!key) return Outcome::Failed;
        if (key->values().empty()) return Outcome::Unchanged;
        key->clearValues();
        return Outcome::Changed;
    }
    case Op::Kind::CreateKey:
        if (root.find(op.path)) return Outcome::Unchanged;
        root.make(op.path);
        return Outcome::Changed;
    case Op::Kind::DeleteKeyTree: {
        if (op.path.empty()) return Outcome::Failed;
        std::vector<std::string> parent(op.path.begin(), op.path.end() - 1);
        SettingsKey* key = root.find(parent);
        return key && key->removeChild(op.path.back()) ? Outcome::Changed : Outcome::Failed;
    }
    }
    return Outcome::Failed;
}

// The file a settings path names: a symbolic link (settings kept with the user's other dotfiles)
// is followed, so that writing replaces the file it points to and not the link.
std::string realFile(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return path;
    std::string out = resolved;
    std::free(resolved);
    return out;
}

struct ReadResult {
    std::unique_ptr<SettingsKey> tree = std::make_unique<SettingsKey>();
    FileIdentity identity;
    bool damaged = false;
    std::string file;   // the file read (links followed)
    std::string aside;  // where a damaged file is kept; empty when it is not
    bool asideIsLink = false;  // kept as a second name of the same file, which stays in place
};

// Reads the file into a new tree. With `repair` (the caller holds the lock) a damaged file is
// kept aside; the caller then writes a good one, or undoes that when it cannot. The damaged file
// gets a second name (a hard link) so that, until the good file is renamed over it, other
// processes still read what they read before; where links are not possible it is renamed.
ReadResult readTree(SettingsStore::State& s, bool repair)
{
    ReadResult r;
    r.file = realFile(s.path);
    const std::string& file = r.file;
    FileContents contents = readFile(file);
    r.identity = contents.identity;
    if (!contents.exists) return r;
    const RegParseResult parsed = parseRegText(contents.text, s.rootName, *r.tree);
    r.damaged = contents.truncated || parsed.damaged();
    if (r.damaged && repair) {
        const std::string aside = asideName(file);
        if (::link(file.c_str(), aside.c_str()) == 0) {
            r.aside = aside;
            r.asideIsLink = true;
        } else if (::rename(file.c_str(), aside.c_str()) == 0) {
            r.aside = aside;
        }
    }
    return r;
}

// Writes the tree in place of a damaged file kept aside by readTree; when the good one cannot be
// written, the damaged file stays where it was, so that nothing is lost.
bool replaceDamaged(SettingsStore::State& s, const ReadResult& r, const SettingsKey& tree)
{
    if (writeAtomically(r.file, formatRegText(tree, s.rootName))) {
        s.damagedCopy = r.aside;
        return true;
    }
    if (r.asideIsLink) ::unlink(r.aside.c_str());
    else ::rename(r.aside.c_str(), r.file.c_str());
    return false;
}

// Reads the file (again) and replays the changes not yet written.
void load(SettingsStore::State& s)
{
    const bool folderExists = ::access(folderOf(s.path).c_str(), F_OK) == 0;
    FileLock lock(s.path, false);
    ReadResult r = readTree(s, folderExists && lock.locked());
    if (!r.aside.empty() && replaceDamaged(s, r, *r.tree)) r.identity = identityOf(s.path);
    for (const Op& op : s.pending) apply(*r.tree, op);
    s.root = std::move(r.tree);
    s.identity = r.identity;
    s.loaded = true;
}

void ensureFresh(SettingsStore::State& s)
{
    if (!s.loaded || identityOf(s.path) != s.identity) load(s);
}

// Writes the changes not yet written: re-read under the lock, replay, write, rename.
bool persist(SettingsStore::State& s)
{
    if (s.batchDepth > 0 || s.pending.empty()) return true;
    FileLock lock(s.path, true);
    if (!lock.locked()) return false;
    ReadResult r = readTree(s, true);
    for (const Op& op : s.pending) apply(*r.tree, op);
    // A damaged file that could not be kept aside is never overwritten.
    const bool written = !r.aside.empty() ? replaceDamaged(s, r, *r.tree)
                         : !r.damaged     ? writeAtomically(r.file, formatRegText(*r.tree, s.rootName))
                                          : false;
    s.root = std::move(r.tree);
    s.loaded = true;
    if (written) {
        s.pending.clear();
        s.identity = identityOf(s.path);
    } else {
        s.identity = r.identity;
    }
    return written;
}

}  // namespace

// ---- process-wide stores -------------------------------------------------------------------

namespace {
std::mutex g_hivesMutex;
// Never destroyed: code running at exit may still read its settings.
auto& g_hives = *new std::array<std::unique_ptr<SettingsStore>, 3>();
}  // namespace

SettingsStore& SettingsStore::hive(Hive which)
{
    std::lock_guard guard(g_hivesMutex);
    auto& slot = g_hives[static_cast<std::size_t>(which)];
    if (!slot) slot = std::make_unique<SettingsStore>(which, defaultFilePath(which));
    return *slot;
}

void SettingsStore::reopenAll()
{
    std::lock_guard guard(g_hivesMutex);
    for (std::size_t i = 0; i < g_hives.size(); ++i)
        if (g_hives[i]) g_hives[i]->reset(defaultFilePath(static_cast<Hive>(i)));
}

std::string SettingsStore::defaultFilePath(Hive which)
{
    const char* file = "local-machine.reg";
    if (which == Hive::CurrentUser) file = "current-user.reg";
    else if (which == Hive::ClassesRoot) file = "classes-root.reg";
    return appConfigFolder() + "/" + file;
}

std::string SettingsStore::rootName(Hive which)
{
    switch (which) {
    case Hive::LocalMachine: return "HKEY_LOCAL_MACHINE";
    case Hive::CurrentUser: return "HKEY_CURRENT_USER";
    case Hive::ClassesRoot: return "HKEY_CLASSES_ROOT";
    }
    return "HKEY_LOCAL_MACHINE";
}

SettingsStore::SettingsStore(Hive which, std::string filePath) : hive_(which), state_(std::make_unique<State>(std::move(filePath)))
{
    state_->rootName = rootName(which);
}

SettingsStore::~SettingsStore() = default;

void SettingsStore::reset(std::string filePath)
{
    std::lock_guard guard(mutex_);
    const int depth = state_->batchDepth;
    state_ = std::make_unique<State>(std::move(filePath));
    state_->rootName = rootName(hive_);
    state_->batchDepth = depth;
}

// ---- reads ---------------------------------------------------------------------------------

std::optional<SettingsValue> SettingsStore::readValue(const std::string& key, const std::string& name)
{
    const auto path = splitKeyPath(key);
    if (!path) return std::nullopt;
    std::lock_guard guard(mutex_);
    ensureFresh(*state_);
    const SettingsKey* k = state_->root->find(*path);
    if (!k) return std::nullopt;
    const SettingsValue* v = k->findValue(name);
    if (!v) return std::nullopt;
    return *v;
}

std::optional<std::string> SettingsStore::readString(const std::string& key, const std::string& name)
{
    auto v = readValue(key, name);
    if (!v || v->type != SettingsType::String) return std::nullopt;
    return std::move(v->text);
}

std::optional<std::uint32_t> SettingsStore::readDword(const std::string& key, const std::string& name)
{
    const auto v = readValue(key, name);
    if (!v || v->type != SettingsType::Dword) return std::nullopt;
    return v->dword;
}

bool SettingsStore::valueExists(const std::string& key, const std::string& name) { return readValue(key, name).has_value(); }

std::vector<std::string> SettingsStore::valueNames(const std::string& key)
{
    std::vector<std::string> names;
    const auto path = splitKeyPath(key);
    if (!path) return names;
    std::lock_guard guard(mutex_);
    ensureFresh(*state_);
    if (const SettingsKey* k = state_->root->find(*path))
        for (const auto& entry : k->values()) names.push_back(entry.first);
    return names;
}

std::vector<std::string> SettingsStore::subKeyNames(const std::string& key)
{
    std::vector<std::string> names;
    const auto path = splitKeyPath(key);
    if (!path) return names;
    std::lock_guard guard(mutex_);
    ensureFresh(*state_);
    if (const SettingsKey* k = state_->root->find(*path))
        for (const auto& child : k->children()) names.push_back(child->name());
    return names;
}

bool SettingsStore::keyExists(const std::string& key)
{
    const auto path = splitKeyPath(key);
    if (!path) return false;
    std::lock_guard guard(mutex_);
    ensureFresh(*state_);
    return state_->root->find(*path) != nullptr;
}

// ---- changes -------------------------------------------------------------------------------

bool SettingsStore::change(Op op)
{
    std::lock_guard guard(mutex_);
    State& s = *state_;
    ensureFresh(s);
    switch (apply(*s.root, op)) {
    case Outcome::Failed:
        return false;
    case Outcome::Unchanged:
        return s.pending.empty() || persist(s);
    case Outcome::Changed:
        break;
    }
    s.pending.push_back(std::move(op));
    return persist(s);
}

bool SettingsStore::writeString(const std::string& key, const std::string& name, const std::string& value)
{
    auto path = splitKeyPath(key);
    if (!path || !isValidValueName(name) || !isValidUtf8(value)) return false;
    return change({Op::Kind::SetValue, std::move(*path), name, SettingsValue::string(value)});
}

bool SettingsStore::writeDword(const std::string& key, const std::string& name, std::uint32_t value)
{
    auto path = splitKeyPath(key);
    if (!path || !isValidValueName(name)) return false;
    return change({Op::Kind::SetValue, std::move(*path), name, SettingsValue::number(value)});
}

bool SettingsStore::createKey(const std::string& key)
{
    auto path = splitKeyPath(key);
    if (!path) return false;
    return change({Op::Kind::CreateKey, std::move(*path), {}, {}});
}

bool SettingsStore::deleteValue(const std::string& key, const std::string& name)
{
    auto path = splitKeyPath(key);
    if (!path) return false;
    return change({Op::Kind::DeleteValue, std::move(*path), name, {}});
}

bool SettingsStore::deleteAllValues(const std::string& key)
{
    auto path = splitKeyPath(key);
    if (!path) return false;
    return change({Op::Kind::DeleteAllValues, std::move(*path), {}, {}});
}

bool SettingsStore::deleteKeyTree(const std::string& key)
{
    auto path = splitKeyPath(key);
    if (!path || path->empty()) return false;
    return change({Op::Kind::DeleteKeyTree, std::move(*path), {}, {}});
}

void SettingsStore::reload()
{
    std::lock_guard guard(mutex_);
    load(*state_);
}

bool SettingsStore::flush()
{
    std::lock_guard guard(mutex_);
    const int depth = state_->batchDepth;
    state_->batchDepth = 0;
    const bool ok = persist(*state_);
    state_->batchDepth = depth;
    return ok;
}

bool SettingsStore::hasUnwrittenChanges() const
{
    std::lock_guard guard(mutex_);
    return !state_->pending.empty();
}

std::string SettingsStore::filePath() const
{
    std::lock_guard guard(mutex_);
    return state_->path;
}

std::string SettingsStore::damagedCopy() const
{
    std::lock_guard guard(mutex_);
    return state_->damagedCopy;
}

SettingsStore::Batch::Batch(SettingsStore& store) : store_(store)
{
    std::lock_guard guard(store_.mutex_);
    ++store_.state_->batchDepth;
}

SettingsStore::Batch::~Batch()
{
    std::lock_guard guard(store_.mutex_);
    if (store_.state_->batchDepth > 0 && --store_.state_->batchDepth == 0) persist(*store_.state_);
}

}  // namespace tavil::platform
