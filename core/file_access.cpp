#include "file_access.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kolven {

namespace {

namespace fs = std::filesystem;

// Writes and reads go in blocks of this size, so that a cancel is seen between them.
constexpr std::size_t kBlock = std::size_t(1) << 20;

#ifdef _WIN32
int openForReading(const fs::path& path)
{
    return _wopen(path.c_str(), _O_RDONLY | _O_BINARY);
}
int openNewFile(const fs::path& path, int)
{
    return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
int openExisting(const fs::path& path)
{
    return _wopen(path.c_str(), _O_WRONLY | _O_BINARY);
}
long long readSome(int fd, char* buffer, std::size_t size)
{
    return _read(fd, buffer, unsigned(size));
}
long long writeSome(int fd, const char* bytes, std::size_t size)
{
    return _write(fd, bytes, unsigned(size));
}
bool flushToDisk(int fd)
{
    return _commit(fd) == 0;
}
void closeFile(int fd)
{
    _close(fd);
}
bool replaceFile(const fs::path& from, const fs::path& to)
{
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
int standardInput()
{
    _setmode(_fileno(stdin), _O_BINARY);
    return _fileno(stdin);
}
#else
int openForReading(const fs::path& path)
{
    return open(path.c_str(), O_RDONLY | O_CLOEXEC);
}
// Created only when nothing, not even a link, stands at path.
int openNewFile(const fs::path& path, int mode)
{
    return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
}
int openExisting(const fs::path& path)
{
    return open(path.c_str(), O_WRONLY | O_CLOEXEC);
}
long long readSome(int fd, char* buffer, std::size_t size)
{
    ssize_t got = 0;
    do {
        got = read(fd, buffer, size);
    } while (got < 0 && errno == EINTR);
    return got;
}
long long writeSome(int fd, const char* bytes, std::size_t size)
{
    ssize_t put = 0;
    do {
        put = write(fd, bytes, size);
    } while (put < 0 && errno == EINTR);
    return put;
}
bool flushToDisk(int fd)
{
    return fsync(fd) == 0 || errno == EINVAL;
}
void closeFile(int fd)
{
    close(fd);
}
bool replaceFile(const fs::path& from, const fs::path& to)
{
    return std::rename(from.c_str(), to.c_str()) == 0;
}
int standardInput()
{
    return STDIN_FILENO;
}
#endif

bool cancelled(const std::atomic<bool>* cancel)
{
    return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

WriteResult writeAll(int fd, std::string_view bytes, const std::atomic<bool>* cancel)
{
    while (!bytes.empty()) {
        if (cancelled(cancel)) {
            return WriteResult::Cancelled;
        }
        const long long put = writeSome(fd, bytes.data(), std::min(bytes.size(), kBlock));
        if (put <= 0) {
            return WriteResult::Failed;
        }
        bytes.remove_prefix(std::size_t(put));
    }
    return cancelled(cancel) ? WriteResult::Cancelled : WriteResult::Written;
}

// The file a chain of symbolic links ends at (path itself when it is no link).
fs::path linkEnd(fs::path path)
{
    std::error_code error;
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(path, error)); ++hops) {
        const fs::path target = fs::read_symlink(path, error);
        if (error) {
            break;
        }
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

// A name no one can guess beforehand, beside target: ".NAME.XXXXXXXXXXXXXXXX.tmp".
fs::path temporaryName(const fs::path& target)
{
    static std::mt19937_64 random = [] {
        std::random_device device;
        const auto now = std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
        std::seed_seq seed{device(), device(), unsigned(now), unsigned(now >> 32)};
        return std::mt19937_64(seed);
    }();
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(random()));
    fs::path name = target.filename();
    name += fs::path("." + std::string(digits) + ".tmp");
    return target.parent_path() / fs::path(".").concat(name.native());
}

} // namespace

bool isStandardStream(const fs::path& path)
{
    return path == fs::path("-");
}

std::string_view inputProblemText(InputProblem problem)
{
    switch (problem) {
    case InputProblem::None: return {};
    case InputProblem::Missing: return "nie ma takiego pliku";
    case InputProblem::NotAFile: return "to nie jest plik, lecz katalog";
    case InputProblem::Denied: return "brak uprawnien do odczytu pliku";
    case InputProblem::Failed: return "nie mozna odczytac pliku";
    }
    return {};
}

InputReader::~InputReader()
{
    if (fd_ >= 0 && !standard_) {
        closeFile(fd_);
    }
}

InputProblem InputReader::open(const fs::path& path)
{
    standard_ = isStandardStream(path);
    std::error_code error;
    const fs::file_status status = standard_ ? fs::file_status(fs::file_type::unknown) : fs::status(path, error);
    if (status.type() == fs::file_type::not_found) {
        return InputProblem::Missing;
    }
    if (status.type() == fs::file_type::directory) {
        return InputProblem::NotAFile;
    }
    fd_ = standard_ ? standardInput() : openForReading(path);
    if (fd_ < 0) {
        return errno == EACCES || errno == EPERM ? InputProblem::Denied
               : errno == ENOENT                 ? InputProblem::Missing
               : errno == EISDIR                 ? InputProblem::NotAFile
                                                 : InputProblem::Failed;
    }
    if (status.type() == fs::file_type::regular) {
        const std::uintmax_t size = fs::file_size(path, error);
        regularSize_ = error ? std::nullopt : std::optional<std::uint64_t>(size);
    }
    return InputProblem::None;
}

long long InputReader::read(char* buffer, std::size_t size)
{
    const long long got = readSome(fd_, buffer, size);
    if (got < 0) {
        problem_ = errno == EISDIR ? InputProblem::NotAFile : InputProblem::Failed;
    }
    return got;
}

InputProblem InputReader::readAll(std::string& bytes)
{
    // A regular file is read into a buffer of its size and one byte more, where the end is seen
    // without growing (and so copying) the buffer; a stream grows its buffer as it comes.
    std::string text;
    if (regularSize_) {
        text.reserve(std::size_t(*regularSize_) + 1);
    }
    for (;;) {
        const std::size_t used = text.size();
        const std::size_t block = text.capacity() > used ? text.capacity() - used : kBlock;
        text.resize(used + block);
        const long long got = read(text.data() + used, block);
        text.resize(used + std::size_t(std::max(got, 0LL)));
        if (got <= 0) {
            break;
        }
    }
    if (problem_ == InputProblem::None) {
        bytes = std::move(text);
    }
    return problem_;
}

InputProblem readInput(const fs::path& path, std::string& bytes)
{
    InputReader input;
    const InputProblem problem = input.open(path);
    return problem != InputProblem::None ? problem : input.readAll(bytes);
}

SafeWrite::~SafeWrite()
{
    abandon();
}

WriteResult SafeWrite::prepare(const fs::path& path, std::string_view bytes, const std::atomic<bool>* cancel)
{
    abandon();
    const fs::path target = linkEnd(path);
    std::error_code error;
    const fs::file_status status = fs::status(target, error);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        // A device or a FIFO: there is nothing to replace, and it must not be removed.
        const int fd = openExisting(target);
        if (fd < 0) {
            return WriteResult::Failed;
        }
        const WriteResult result = writeAll(fd, bytes, cancel);
        closeFile(fd);
        return result;
    }
    // The new file keeps the permissions of the file it replaces.
    const int mode = fs::exists(status) ? int(status.permissions() & fs::perms::mask) : 0666;
    int fd = -1;
    fs::path temporary;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = temporaryName(target);
        fd = openNewFile(temporary, mode);
        if (fd < 0 && errno != EEXIST) {
            return WriteResult::Failed;
        }
    }
    if (fd < 0) {
        return WriteResult::Failed;
    }
#ifndef _WIN32
    if (fs::exists(status)) {
        fchmod(fd, mode_t(mode));
    }
#endif
    target_ = target;
    temporary_ = temporary;
    WriteResult result = writeAll(fd, bytes, cancel);
    if (result == WriteResult::Written && !flushToDisk(fd)) {
        result = WriteResult::Failed;
    }
    closeFile(fd);
    if (result != WriteResult::Written) {
        abandon();
    }
    return result;
}

bool SafeWrite::commit()
{
    if (temporary_.empty()) {
        return true; // written directly, or nothing prepared
    }
    if (!replaceFile(temporary_, target_)) {
        abandon();
        return false;
    }
    temporary_.clear();
    return true;
}

void SafeWrite::abandon()
{
    if (!temporary_.empty()) {
        std::error_code ignored;
        fs::remove(temporary_, ignored);
        temporary_.clear();
    }
}

bool writeFileBytes(const fs::path& path, std::string_view bytes)
{
    SafeWrite write;
    return write.prepare(path, bytes) == WriteResult::Written && write.commit();
}

} // namespace kolven
