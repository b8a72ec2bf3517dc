#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kolven {

// "-" as a file name: standard input when read, standard output when written.
bool isStandardStream(const std::filesystem::path& path);

// Why an input could not be read.
enum class InputProblem { None, Missing, NotAFile, Denied, Failed };
// The reason as the messages say it: "nie ma takiego pliku", "to nie jest plik, lecz katalog", ...
std::string_view inputProblemText(InputProblem problem);

// An input read a block at a time: a regular file, or a stream (standard input as "-", a pipe, a
// FIFO, a device) read up to its end.
class InputReader {
public:
    InputReader() = default;
    ~InputReader();
    InputReader(const InputReader&) = delete;
    InputReader& operator=(const InputReader&) = delete;

    InputProblem open(const std::filesystem::path& path);
    // The size of a regular file as it was opened; nullopt for a stream.
    std::optional<std::uint64_t> regularSize() const { return regularSize_; }
    // Reads up to size bytes into buffer: how many were read, 0 at the end, below 0 on a failure
    // (then problem() says which).
    long long read(char* buffer, std::size_t size);
    InputProblem problem() const { return problem_; }
    // The rest of the input; bytes untouched when it cannot be read.
    InputProblem readAll(std::string& bytes);

private:
    int fd_ = -1;
    bool standard_ = false;
    std::optional<std::uint64_t> regularSize_;
    InputProblem problem_ = InputProblem::None;
};

// Reads the whole of an input.
InputProblem readInput(const std::filesystem::path& path, std::string& bytes);

// How a write ended.
enum class WriteResult { Written, Failed, Cancelled };

// A file being replaced so that nothing is lost: the new bytes go to a temporary file created
// exclusively, under an unpredictable name, in the target's folder; it is flushed to the disk
// and only then renamed over the target, so the target is at every moment either the old file
// or the new complete one. A target that is a symbolic link is replaced in the folder of the file
// it names, the link kept. A target that exists and is not a regular file (a device, a FIFO) is
// written directly and never removed. A write that fails or is cancelled removes its temporary
// file and leaves the target as it was.
//
// prepare writes the temporary file, commit renames it over the target; two files (rules and
// their statistics) are both prepared before either is committed. An uncommitted write is
// abandoned (its temporary file removed) when the object goes.
class SafeWrite {
public:
    SafeWrite() = default;
    ~SafeWrite();
    SafeWrite(const SafeWrite&) = delete;
    SafeWrite& operator=(const SafeWrite&) = delete;

    // cancel, when given, is watched between blocks of the write; once set, the write stops.
    WriteResult prepare(const std::filesystem::path& path, std::string_view bytes,
                        const std::atomic<bool>* cancel = nullptr);
    bool commit();
    void abandon();

private:
    std::filesystem::path target_;    // the file to replace (a link's end)
    std::filesystem::path temporary_; // empty once renamed or removed
};

// Writes bytes to a file as SafeWrite does, in one step. False when it cannot be written; the
// target is then as it was.
bool writeFileBytes(const std::filesystem::path& path, std::string_view bytes);

} // namespace kolven
