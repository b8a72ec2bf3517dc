// Feeds arbitrary bytes to the .msd reader: it must refuse every file whose length does not match
// its counts, and an accepted file must write back to the same bytes.
#include "table_files.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    kolven::SystemDecyzyjny table;
    if (kolven::parseMsd(bytes, table) && kolven::msdBytes(table) != bytes) {
        std::abort();
    }
    return 0;
}
