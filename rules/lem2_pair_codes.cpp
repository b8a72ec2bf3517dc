#include "lem2_pair_codes.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace kolven {

namespace {

// Sorts entries (a 32-bit key above a row number in increasing order) by key, rows of one key
// staying in order: by the key's bytes from the lowest, each pass a stable counting sort, a pass
// skipped where every key has the same byte there (most bytes, for the few values of a column).
void sortRowsByKey(std::vector<std::uint64_t>& entries, std::vector<std::uint64_t>& scratch)
{
    constexpr int kKeyBytes = 4;
    std::array<std::array<std::size_t, 256>, kKeyBytes> counts{};
    for (std::uint64_t entry : entries) {
        for (int b = 0; b < kKeyBytes; ++b) {
            ++counts[b][(entry >> (32 + 8 * b)) & 0xFF];
        }
    }
    scratch.resize(entries.size());
    for (int b = 0; b < kKeyBytes; ++b) {
        auto& starts = counts[b];
        if (std::find(starts.begin(), starts.end(), entries.size()) != starts.end()) {
            continue;
        }
        std::exclusive_scan(starts.begin(), starts.end(), starts.begin(), std::size_t{0});
        for (std::uint64_t entry : entries) {
            scratch[starts[(entry >> (32 + 8 * b)) & 0xFF]++] = entry;
        }
        entries.swap(scratch);
    }
}

} // namespace

PairCodes::PairCodes(const SystemDecyzyjny& table)
    : objects(table.objectCount), attributes(table.attributeCount), codes(std::size_t(objects) * table.attributeCount), blockRows(codes.size())
{
    std::vector<std::uint64_t> keyed(objects);
    std::vector<std::uint64_t> scratch;
    for (std::uint32_t a = 0; a < table.attributeCount; ++a) {
        for (std::uint32_t row = 0; row < objects; ++row) {
            const float value = table.groupedRows[std::size_t(row) * table.rowLength + a];
            keyed[row] = (std::uint64_t(equalityKey(value)) << 32) | row;
        }
        // By value, then by row: each block is one run of rows, ascending.
        sortRowsByKey(keyed, scratch);
        const std::size_t base = std::size_t(a) * objects;
        attributeFirstCodes.push_back(std::uint32_t(blockStarts.size()));
        for (std::uint32_t i = 0; i < objects; ++i) {
            if (i == 0 || keyed[i] >> 32 != keyed[i - 1] >> 32) {
                blockStarts.push_back(base + i);
            }
            const auto row = std::uint32_t(keyed[i]);
            blockRows[base + i] = row;
            codes[base + row] = std::uint32_t(blockStarts.size() - 1);
        }
    }
    blockStarts.push_back(blockRows.size());
    attributeFirstCodes.push_back(std::uint32_t(blockStarts.size() - 1));
    // Blocks of at least one row in 32 also get a bit set: no more memory than the codes.
    const std::size_t words = (std::size_t(objects) + 63) / 64;
    bitsetStarts.assign(codeCount(), kNoBitset);
    for (std::uint32_t code = 0; code < codeCount(); ++code) {
        if (block(code).size() * 32 >= objects) {
            bitsetStarts[code] = bitWords.size();
            bitWords.resize(bitWords.size() + words, 0);
            for (std::uint32_t row : block(code)) {
                bitWords[bitsetStarts[code] + row / 64] |= std::uint64_t{1} << (row % 64);
            }
        }
    }
    for (std::uint32_t a = 0; a < table.attributeCount; ++a) {
        largestAttribute = std::max(largestAttribute, attributeFirstCodes[a + 1] - attributeFirstCodes[a]);
    }
    if (largestAttribute <= 256) {
        byteCodes.resize(codes.size());
        byteByRow.resize(codes.size() + kBytePadding, 0);
        for (std::uint32_t a = 0; a < table.attributeCount; ++a) {
            for (std::uint32_t row = 0; row < objects; ++row) {
                const auto local = std::uint8_t(codes[std::size_t(a) * objects + row] - attributeFirstCodes[a]);
                byteCodes[std::size_t(a) * objects + row] = local;
                byteByRow[std::size_t(row) * table.attributeCount + a] = local;
            }
        }
    } else {
        byRow.resize(codes.size());
        for (std::uint32_t a = 0; a < table.attributeCount; ++a) {
            for (std::uint32_t row = 0; row < objects; ++row) {
                byRow[std::size_t(row) * table.attributeCount + a] = codes[std::size_t(a) * objects + row];
            }
        }
    }
    codeAttributes.resize(codeCount());
    for (std::uint32_t a = 0; a < table.attributeCount; ++a) {
        std::fill(codeAttributes.begin() + attributeFirstCodes[a], codeAttributes.begin() + attributeFirstCodes[a + 1], a);
    }
}

} // namespace kolven
