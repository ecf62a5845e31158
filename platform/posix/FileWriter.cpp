#include "platform/FileWriter.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Exception.h"
#include "base/Format.h"
#include "platform/CodePage.h"

namespace platform {

namespace {

// The temporary file a signal handler removes. Filled while gPendingSet is 0, so the handler
// never reads a half-copied name.
char gPendingPath[PATH_MAX + 1];
volatile std::sig_atomic_t gPendingSet = 0;
const TFileWriter* gPendingOwner = nullptr;
bool gStandardOutputClosed = false;

void SetPending(const TFileWriter* owner, const std::string& path) {
    gPendingSet = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    if (path.size() > PATH_MAX) return;
    std::memcpy(gPendingPath, path.c_str(), path.size() + 1);
    gPendingOwner = owner;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    gPendingSet = 1;
}

void ClearPending(const TFileWriter* owner) {
    if (gPendingOwner != owner) return;
    gPendingSet = 0;
    gPendingOwner = nullptr;
}

extern "C" void RemovePendingAndExit(int signal) {
    if (gPendingSet) ::unlink(gPendingPath);
    static const char text[] = "\nquorvel: interrupted\n";
    ssize_t ignored = ::write(STDERR_FILENO, text, sizeof text - 1);
    (void)ignored;
    ::_exit(128 + signal);
}

std::string Folder(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return "";
    return path.substr(0, slash + 1);
}

// Follows symbolic links to the name that is finally written; a name not there (yet) ends
// the chain, as open would create it.
std::string FinalTarget(const std::string& path) {
    std::string target = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat status {};
        if (::lstat(target.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return target;
        std::string link(PATH_MAX, '\0');
        ssize_t length = ::readlink(target.c_str(), link.data(), link.size());
        if (length < 0) return target;
        link.resize(static_cast<size_t>(length));
        target = link[0] == '/' ? link : Folder(target) + link;
    }
    return target;
}

mode_t CurrentUmask() {
    // /proc reads it without changing it; umask() would race with other threads' creations.
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        while (std::fgets(line, sizeof line, status))
            if (std::sscanf(line, "Umask: %o", &mask) == 1) {
                std::fclose(status);
                return static_cast<mode_t>(mask);
            }
        std::fclose(status);
    }
    mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

} // namespace

TFileWriter::TFileWriter(const std::string& path)
    : FOwnsFd(true), FShownName(Utf8ToCodePage(path, TConversion::Lenient)) {
    auto fail = [&](int error) {
        throw EFCreateError(
            Format("Cannot create file \"%s\". %s", FShownName.c_str(), std::strerror(error)));
    };
    FTarget = FinalTarget(path);
    struct stat status {};
    bool exists = ::stat(FTarget.c_str(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode)) {
        FFd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (FFd < 0) fail(errno);
        return;
    }
    std::string name = FTarget.substr(Folder(FTarget).size());
    // A long name stays within the file system's limit with the dot and the suffix.
    std::string temporary = Folder(FTarget) + "." + name.substr(0, 200) + ".XXXXXX";
    FFd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (FFd < 0) fail(errno);
    FTemporary = temporary;
    SetPending(this, FTemporary);
    if (exists) {
        // The replacement is the same file to its users: same permissions and, when we may,
        // the same owner.
        if (status.st_uid != ::geteuid() || status.st_gid != ::getegid()) {
            int ignored = ::fchown(FFd, status.st_uid, status.st_gid);
            (void)ignored;
        }
        ::fchmod(FFd, status.st_mode & 07777);
    } else {
        ::fchmod(FFd, 0666 & ~CurrentUmask());
    }
}

TFileWriter::TFileWriter(int fd, std::string shownName)
    : FFd(fd), FShownName(std::move(shownName)) {}

std::unique_ptr<TFileWriter> TFileWriter::StandardOutput() {
    if (gStandardOutputClosed)
        throw EWriteError("Cannot write the script: standard output is closed");
    return std::unique_ptr<TFileWriter>(new TFileWriter(STDOUT_FILENO, "standard output"));
}

TFileWriter::~TFileWriter() {
    Abandon();
}

void TFileWriter::Abandon() {
    if (FDone) return;
    FDone = true;
    if (FOwnsFd) ::close(FFd);
    if (!FTemporary.empty()) {
        ::unlink(FTemporary.c_str());
        ClearPending(this);
    }
}

void TFileWriter::Fail(int error) {
    Abandon();
    throw EWriteError(
        Format("Error writing to file \"%s\". %s", FShownName.c_str(), std::strerror(error)));
}

void TFileWriter::ThrowClosed() const {
    throw EWriteError(Format("Error writing to file \"%s\". It was abandoned", FShownName.c_str()));
}

void TFileWriter::Write(std::string_view bytes) {
    if (FDone) ThrowClosed();
    const char* data = bytes.data();
    size_t size = bytes.size();
    while (size > 0) {
        ssize_t done = ::write(FFd, data, size);
        if (done < 0) {
            if (errno == EINTR) continue;
            Fail(errno);
        }
        if (done == 0) Fail(ENOSPC);
        data += done;
        size -= static_cast<size_t>(done);
    }
}

void TFileWriter::Commit() {
    if (FCommitted) return;
    // After a failed write (or Abandon) nothing may pass for a complete file.
    if (FDone) ThrowClosed();
    if (!FOwnsFd) {
        FDone = FCommitted = true;
        return;
    }
    // A file may take the bytes into the cache and fail when they reach the disk; devices
    // and pipes cannot be synced and need not be.
    if (::fsync(FFd) != 0 && errno != EINVAL && errno != EROFS) Fail(errno);
    int fd = FFd;
    FOwnsFd = false;
    if (::close(fd) != 0) Fail(errno);
    if (!FTemporary.empty() && ::rename(FTemporary.c_str(), FTarget.c_str()) != 0) Fail(errno);
    FDone = FCommitted = true;
    ClearPending(this);
}

void RemovePendingFileOnInterrupt() {
    struct sigaction action {};
    action.sa_handler = RemovePendingAndExit;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void OccupyClosedStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // open takes the lowest free descriptor, which is this one.
        int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != fd) {
            ::dup2(null, fd);
            ::close(null);
        }
        if (fd == STDOUT_FILENO) gStandardOutputClosed = true;
    }
}

} // namespace platform
