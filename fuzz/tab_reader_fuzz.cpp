// Feeds arbitrary bytes to the .tab reader: it must accept or refuse them without touching
// memory it does not own, and an accepted table must be complete and finite. The same bytes are
// also read from a file in small blocks (the first byte choosing their size), which must give
// exactly the table the whole text gives, or refuse it alike.
#include "file_access.h"
#include "table_files.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// The file the bytes are written to, one a process, removed when the process ends.
struct ScratchFile {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("kolven-fuzz-tab-" + std::to_string(getpid()) + ".tab");
    ~ScratchFile()
    {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
};

bool sameTable(const kolven::SystemDecyzyjny& a, const kolven::SystemDecyzyjny& b)
{
    return a.objectCount == b.objectCount && a.attributeCount == b.attributeCount && a.values == b.values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    kolven::SystemDecyzyjny table;
    std::uint64_t words = 0;
    const bool accepted = kolven::parseTab(text, table, &words);
    if (accepted) {
        if (table.objectCount == 0 || table.values.size() != table.valueCount) {
            std::abort();
        }
        for (float v : table.values) {
            if (!std::isfinite(v)) {
                std::abort();
            }
        }
    }
    static const ScratchFile scratch;
    const std::filesystem::path& file = scratch.path;
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(text.data(), std::streamsize(text.size()));
    kolven::InputReader input;
    if (input.open(file) != kolven::InputProblem::None) {
        std::abort();
    }
    kolven::SystemDecyzyjny inBlocks;
    std::uint64_t blockWords = 0;
    const std::size_t blockSize = size == 0 ? 1 : 1 + data[0] % 64;
    if (kolven::readTabInput(input, inBlocks, &blockWords, blockSize) != accepted ||
        (accepted && (!sameTable(table, inBlocks) || words != blockWords))) {
        std::abort();
    }
    return 0;
}
