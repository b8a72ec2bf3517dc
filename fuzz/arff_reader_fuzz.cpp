// Feeds arbitrary bytes to the .arff reader (see named_reader_check.h for what must hold); the
// count of rows with an instance weight may never exceed the rows read, and is the same whether
// missing numbers are refused or kept; then the missing numbers kept are completed with each
// treatment.
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
    std::uint64_t weightedStrict = 0;
    const auto readMissing = [&weightedStrict](std::string_view text, kolven::SystemDecyzyjny& table,
                                               kolven::TableNames& names, kolven::ReadRefusal& refusal,
                                               kolven::MissingNumbers& missing, bool keep) {
        std::uint64_t weighted = 0;
        const bool accepted = kolven::parseArff(text, {}, table, names, refusal, &weighted, &missing, keep);
        if (accepted && (weighted > table.objectCount || (keep && missing.total == 0 && weighted != weightedStrict))) {
            std::abort();
        }
        weightedStrict = keep ? weightedStrict : weighted;
        return accepted;
    };
    checkNamedReader(read, data, size);
    return checkMissingNumbers(readMissing, data, size);
}
