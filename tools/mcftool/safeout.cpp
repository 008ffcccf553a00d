// Safe output files. The signal handler may only use async-signal-safe
// calls, so the live temporary paths sit in a fixed table of plain char
// arrays that it reads and unlinks.
#include "safeout.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>

namespace {

const int kSlots = 16;
const size_t kPathMax = 4096;
char g_paths[kSlots][kPathMax];
volatile sig_atomic_t g_live[kSlots];
bool g_handlers_installed = false;

void OnSignal(int sig)
{
    for (int i = 0; i < kSlots; i++)
        if (g_live[i])
            unlink(g_paths[i]);
    // Die of the signal, so that the caller sees how the run ended; it is
    // blocked while its handler runs.
    signal(sig, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, sig);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(sig);
    _exit(128 + sig);
}

void InstallHandlers()
{
    if (g_handlers_installed)
        return;
    g_handlers_installed = true;
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old;
        if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
            continue; // run under nohup or in the background: keep ignoring
        struct sigaction sa;
        memset(&sa, 0, sizeof sa);
        sa.sa_handler = OnSignal;
        sigfillset(&sa.sa_mask);
        sigaction(sig, &sa, nullptr);
    }
}

// A slot for `path`, not yet live; -1 when the table is full or the path too long.
int ReserveSlot(const std::string &path)
{
    if (path.size() >= kPathMax)
        return -1;
    for (int i = 0; i < kSlots; i++)
        if (!g_live[i] && g_paths[i][0] == 0) {
            memcpy(g_paths[i], path.c_str(), path.size() + 1);
            return i;
        }
    return -1;
}

void ReleaseSlot(int slot)
{
    if (slot < 0)
        return;
    g_live[slot] = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    g_paths[slot][0] = 0;
}

std::string FolderOf(const std::string &path)
{
    size_t cut = path.find_last_of('/');
    if (cut == std::string::npos)
        return ".";
    if (cut == 0)
        return "/";
    return path.substr(0, cut);
}

std::string Error(const std::string &what, const std::string &path, int err)
{
    return what + " " + path + ": " + strerror(err);
}

// Creates `temp` (never an existing name) and marks its slot live; -1 with
// errno set. A signal between creating the file and marking it live would
// leave it behind: the signals are held back until both are done.
int CreateLive(const std::string &temp, int slot)
{
    sigset_t block, before;
    sigemptyset(&block);
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&block, sig);
    sigprocmask(SIG_BLOCK, &block, &before);
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    int err = errno;
    if (fd >= 0) {
        std::atomic_signal_fence(std::memory_order_seq_cst);
        g_live[slot] = 1;
    }
    sigprocmask(SIG_SETMASK, &before, nullptr);
    errno = err;
    return fd;
}

// Puts the complete `temp` at `target`; empty, or why not. Without `force`
// the target must not be replaced even if it appears now: a hard link fails
// on an existing name, where rename would not.
std::string Publish(const std::string &temp, const std::string &target, bool force)
{
    if (force)
        return rename(temp.c_str(), target.c_str()) == 0 ? std::string()
                                                         : Error("cannot write", target, errno);
    if (link(temp.c_str(), target.c_str()) == 0) {
        unlink(temp.c_str());
        return std::string();
    }
    if (errno == EEXIST)
        return target + " already exists; use -f to replace it";
    // File systems without hard links: the check before must do.
    if (rename(temp.c_str(), target.c_str()) != 0)
        return Error("cannot write", target, errno);
    return std::string();
}

// Makes a rename into `folder` durable; a folder that cannot be synced
// (some network file systems) still holds the complete file.
void SyncFolder(const std::string &folder)
{
    int dir = open(folder.c_str(), O_RDONLY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
}

} // namespace

std::string OutputTargetProblem(const std::string &target, bool force)
{
    struct stat st;
    if (lstat(target.c_str(), &st) != 0)
        return errno == ENOENT ? std::string() : Error("cannot write", target, errno);
    if (S_ISDIR(st.st_mode))
        return target + " is a folder; not replaced";
    if (S_ISLNK(st.st_mode))
        return target + " is a symbolic link; not replaced";
    if (!S_ISREG(st.st_mode))
        return target + " is not a regular file; not replaced";
    if (!force)
        return target + " already exists; use -f to replace it";
    return std::string();
}

SafeOutputFile::SafeOutputFile() : force_(false), file_(nullptr), slot_(-1) {}

SafeOutputFile::~SafeOutputFile()
{
    Abort();
}

bool SafeOutputFile::Open(const std::string &target, bool force, std::string *why)
{
    Abort();
    if (target.empty() || target.back() == '/') {
        *why = "cannot write " + target + ": not a file name";
        return false;
    }
    std::string problem = OutputTargetProblem(target, force);
    if (!problem.empty()) {
        *why = problem;
        return false;
    }
    InstallHandlers();
    target_ = target;
    force_ = force;
    std::string folder = FolderOf(target);
    unsigned salt = (unsigned)getpid() * 2654435761u ^ (unsigned)time(nullptr);
    for (int attempt = 0; attempt < 100; attempt++) {
        char suffix[32];
        salt = salt * 1103515245u + 12345u;
        snprintf(suffix, sizeof suffix, ".mcftool-%08x.tmp", salt);
        std::string temp = folder + "/" + suffix;
        int slot = ReserveSlot(temp);
        if (slot < 0) {
            *why = "cannot write " + target + ": too many outputs open";
            return false;
        }
        int fd = CreateLive(temp, slot);
        int err = errno;
        if (fd < 0) {
            ReleaseSlot(slot);
            if (err == EEXIST)
                continue;
            *why = Error("cannot write", target, err);
            return false;
        }
        FILE *f = fdopen(fd, "wb");
        if (!f) {
            int err = errno;
            close(fd);
            unlink(temp.c_str());
            ReleaseSlot(slot);
            *why = Error("cannot write", target, err);
            return false;
        }
        temp_ = temp;
        file_ = f;
        slot_ = slot;
        return true;
    }
    *why = "cannot write " + target + ": no free temporary name in " + folder;
    return false;
}

bool SafeOutputFile::Write(const void *data, size_t size, std::string *why)
{
    if (!file_) {
        *why = "cannot write " + target_ + ": not open";
        return false;
    }
    if (size > 0 && fwrite(data, 1, size, file_) != size) {
        *why = Error("cannot write", target_, errno);
        return false;
    }
    return true;
}

bool SafeOutputFile::Reopen(std::string *why)
{
    int err = 0;
    if (file_ && (ferror(file_) || fflush(file_) != 0))
        err = errno ? errno : EIO;
    if (file_ && fclose(file_) != 0 && !err)
        err = errno;
    file_ = nullptr;
    if (!err) {
        file_ = fopen(temp_.c_str(), "r+b");
        if (!file_ || fseeko(file_, 0, SEEK_END) != 0)
            err = errno ? errno : EIO;
    }
    if (err) {
        *why = Error("cannot write", target_, err);
        return false;
    }
    return true;
}

bool SafeOutputFile::Commit(std::string *why)
{
    if (!file_) {
        *why = "cannot write " + target_ + ": not open";
        return false;
    }
    int err = 0;
    if (ferror(file_))
        err = errno ? errno : EIO;
    if (!err && fflush(file_) != 0)
        err = errno;
    if (!err && fsync(fileno(file_)) != 0)
        err = errno;
    int closed = fclose(file_);
    file_ = nullptr;
    if (!err && closed != 0)
        err = errno;
    if (err) {
        *why = Error("cannot write", target_, err);
        Abort();
        return false;
    }
    // The target may have appeared or changed while we wrote.
    std::string problem = OutputTargetProblem(target_, force_);
    if (problem.empty())
        problem = Publish(temp_, target_, force_);
    if (!problem.empty()) {
        *why = problem;
        Abort();
        return false;
    }
    ReleaseSlot(slot_);
    slot_ = -1;
    temp_.clear();
    SyncFolder(FolderOf(target_));
    return true;
}

void SafeOutputFile::Abort()
{
    if (file_) {
        fclose(file_);
        file_ = nullptr;
    }
    if (!temp_.empty()) {
        unlink(temp_.c_str());
        temp_.clear();
    }
    ReleaseSlot(slot_);
    slot_ = -1;
}

bool OutputTarget::Open(const std::string &path, bool force, std::string *why)
{
    stdout_ = path == "-";
    name_ = stdout_ ? "standard output" : path;
    return stdout_ || file_.Open(path, force, why);
}

bool OutputTarget::Finish(std::string *why)
{
    if (!stdout_)
        return file_.Commit(why);
    if (fflush(stdout) != 0 || ferror(stdout)) {
        *why = "cannot write standard output: " + std::string(strerror(errno));
        return false;
    }
    return true;
}
