// Feeds arbitrary bytes to the .tab reader: it must accept or refuse them without touching
// memory it does not own, and an accepted table must be complete and finite.
#include "table_files.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kolven::SystemDecyzyjny table;
    if (kolven::parseTab(std::string_view(reinterpret_cast<const char*>(data), size), table)) {
        if (table.objectCount == 0 || table.values.size() != table.valueCount) {
            std::abort();
        }
        for (float v : table.values) {
            if (!std::isfinite(v)) {
                std::abort();
            }
        }
    }
    return 0;
}
