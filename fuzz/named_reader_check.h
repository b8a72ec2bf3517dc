#pragma once

#include "arff_reader.h"
#include "csv_reader.h"
#include "csv_writer.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

// Runs one of the readers of tables with names on arbitrary bytes: it must accept or refuse them
// without touching memory it does not own; a refusal must name a line; an accepted table must be
// complete and finite, with one named column per column and every nominal value -1 or a label.
template <typename Reader>
int checkNamedReader(Reader read, const std::uint8_t* data, std::size_t size)
{
    kolven::SystemDecyzyjny table;
    kolven::TableNames names;
    kolven::ReadRefusal refusal;
    if (!read(std::string_view(reinterpret_cast<const char*>(data), size), {}, table, names, refusal)) {
        if (refusal.line == 0 || refusal.what.empty()) {
            std::abort();
        }
        return 0;
    }
    if (table.objectCount == 0 || table.values.size() != table.valueCount || !names.fits(table)) {
        std::abort();
    }
    for (std::size_t i = 0; i < table.values.size(); ++i) {
        const float v = table.values[i];
        const kolven::NamedColumn& column = names.columns[i % table.rowLength];
        if (!std::isfinite(v) || (column.nominal && v != kolven::kMissingValue && column.labelOf(v) == nullptr)) {
            std::abort();
        }
    }
    return 0;
}
