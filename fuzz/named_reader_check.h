#pragma once

#include "arff_reader.h"
#include "csv_reader.h"
#include "csv_writer.h"
#include "missing_values.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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

// True when the two tables hold the same values bit for bit (a kept missing number is a NaN).
inline bool sameBits(const kolven::SystemDecyzyjny& a, const kolven::SystemDecyzyjny& b)
{
    return a.objectCount == b.objectCount && a.attributeCount == b.attributeCount && a.values.size() == b.values.size() &&
           std::memcmp(a.values.data(), b.values.data(), a.values.size() * sizeof(float)) == 0;
}

// Runs a reader that can keep missing numbers on arbitrary bytes, refusing them and keeping them:
// what the refusing read accepts, the keeping one reads the same; what the keeping one reads
// without a missing number, the refusing one accepts. A kept table holds exactly the NaNs it
// counted, and each treatment (fitted on the first half of the objects, applied to both halves)
// either refuses to fit or leaves both halves complete and finite, drop taking exactly the
// incomplete objects.
template <typename Reader>
int checkMissingNumbers(Reader read, const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    kolven::SystemDecyzyjny strict;
    kolven::TableNames strictNames;
    kolven::ReadRefusal refusal;
    kolven::MissingNumbers missing;
    const bool strictRead = read(text, strict, strictNames, refusal, missing, false);
    kolven::SystemDecyzyjny table;
    kolven::TableNames names;
    const bool keptRead = read(text, table, names, refusal, missing, true);
    if (strictRead != (keptRead && missing.total == 0) || (strictRead && (!sameBits(strict, table) || !(strictNames == names)))) {
        std::abort();
    }
    if (!keptRead) {
        return 0;
    }
    std::uint64_t nans = 0;
    for (const float v : table.values) {
        nans += std::isnan(v) ? 1 : 0;
    }
    if (nans != missing.total) {
        std::abort();
    }
    const std::uint32_t half = (table.objectCount + 1) / 2;
    kolven::SystemDecyzyjny first;
    kolven::SystemDecyzyjny second;
    first.installValues(half, table.attributeCount,
                        std::vector<float>(table.values.begin(), table.values.begin() + std::ptrdiff_t(half) * table.rowLength));
    second.installValues(table.objectCount - half, table.attributeCount,
                         std::vector<float>(table.values.begin() + std::ptrdiff_t(half) * table.rowLength, table.values.end()));
    for (const auto treatment : {kolven::MissingTreatment::Mean, kolven::MissingTreatment::Mode, kolven::MissingTreatment::Drop}) {
        kolven::MissingFill fill;
        if (fill.fit(first, names, treatment)) {
            continue;
        }
        for (const kolven::SystemDecyzyjny* part : {&first, &second}) {
            kolven::SystemDecyzyjny completed;
            completed.copyFrom(*part);
            const std::uint64_t before = kolven::missingCellCount(completed, names);
            std::uint64_t incomplete = 0;
            for (std::uint32_t o = 0; o < part->objectCount; ++o) {
                for (std::uint32_t c = 0; c < part->rowLength; ++c) {
                    if (kolven::isMissingCell(part->row(o)[c], c, names)) {
                        ++incomplete;
                        break;
                    }
                }
            }
            const std::uint64_t changed = fill.apply(completed, names);
            const bool dropped = treatment == kolven::MissingTreatment::Drop;
            if (kolven::missingCellCount(completed, names) != 0 || changed != (dropped ? incomplete : before) ||
                completed.objectCount != part->objectCount - (dropped ? incomplete : 0) ||
                !std::all_of(completed.values.begin(), completed.values.end(), [](float v) { return std::isfinite(v); })) {
                std::abort();
            }
        }
    }
    return 0;
}

