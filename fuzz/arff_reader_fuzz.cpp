// Feeds arbitrary bytes to the .arff reader (see named_reader_check.h for what must hold); the
// count of rows with an instance weight may never exceed the rows read.
#include "named_reader_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto read = [](std::string_view text, std::string_view decision, kolven::SystemDecyzyjny& table,
                         kolven::TableNames& names, kolven::ReadRefusal& refusal) {
        std::uint64_t weighted = 0;
        const bool accepted = kolven::parseArff(text, decision, table, names, refusal, &weighted);
        if (accepted && weighted > table.objectCount) {
            std::abort();
        }
        return accepted;
    };
    return checkNamedReader(read, data, size);
}
