// Feeds arbitrary bytes to the .csv reader (see named_reader_check.h for what must hold), with the
// separator guessed, or given as --separator gives it when the first byte asks for one; then reads
// them again keeping missing numbers and completes them with each treatment.
#include "named_reader_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char given = size > 0 && (data[0] == ';' || data[0] == ',' || data[0] == '\t') ? char(data[0]) : '\0';
    const auto read = [given](std::string_view text, std::string_view decision, kolven::SystemDecyzyjny& table,
                              kolven::TableNames& names, kolven::ReadRefusal& refusal) {
        return kolven::parseCsv(text, decision, table, names, refusal, given);
    };
    const auto readMissing = [given](std::string_view text, kolven::SystemDecyzyjny& table, kolven::TableNames& names,
                                     kolven::ReadRefusal& refusal, kolven::MissingNumbers& missing, bool keep) {
        return kolven::parseCsv(text, {}, table, names, refusal, given, &missing, keep);
    };
    checkNamedReader(read, data, size);
    return checkMissingNumbers(readMissing, data, size);
}
