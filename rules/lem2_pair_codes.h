#pragma once

#include "decision_system.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kolven {

// Every pair (attribute, value) of the table as a whole number, its code: equal for equal values
// (0 and -0 alike), different for different values or attributes. Pairs are then counted in
// arrays indexed by code and rows matched by comparing integers. Also, for every pair, its block:
// the grouped rows that carry it, ascending.
class PairCodes {
public:
    explicit PairCodes(const SystemDecyzyjny& table);

    // The codes of one attribute's pairs, indexed by grouped row.
    const std::uint32_t* column(std::uint32_t attribute) const { return codes.data() + std::size_t(attribute) * objects; }
    // The codes of one grouped row's pairs, attribute by attribute; only for tables without byte codes.
    const std::uint32_t* row(std::uint32_t groupedRow) const { return byRow.data() + std::size_t(groupedRow) * attributes; }
    // The same codes in one byte each, numbered from 0 within their attribute (code minus
    // firstCode(attribute)), for tables whose attributes have at most 256 values each: a row of
    // twenty attributes then fits in a third of a cache line, which is what the induction's
    // counting passes over scattered rows are bound by. Empty (nullptr) for other tables. The
    // rows are followed by kBytePadding readable bytes, so that any row can be read in pieces of
    // that many bytes.
    static constexpr std::size_t kBytePadding = 32;
    bool hasByteCodes() const { return !byteCodes.empty(); }
    // The largest number of values of one attribute.
    std::uint32_t mostValues() const { return largestAttribute; }
    const std::uint8_t* byteColumn(std::uint32_t attribute) const { return byteCodes.data() + std::size_t(attribute) * objects; }
    const std::uint8_t* byteRow(std::uint32_t groupedRow) const { return byteByRow.data() + std::size_t(groupedRow) * attributes; }
    // The number of distinct pairs: codes run from 0 to one less.
    std::uint32_t codeCount() const { return std::uint32_t(blockStarts.size() - 1); }
    // The block of a pair as bits over the grouped rows (64 a word), for blocks of at least one row
    // in 32; nullptr for smaller ones.
    const std::uint64_t* bits(std::uint32_t code) const
    {
        return bitsetStarts[code] == kNoBitset ? nullptr : bitWords.data() + bitsetStarts[code];
    }
    // Codes are given attribute by attribute: those of attribute a run from firstCode(a) to one
    // less than firstCode(a + 1).
    std::uint32_t firstCode(std::uint32_t attribute) const { return attributeFirstCodes[attribute]; }
    std::uint32_t attributeOf(std::uint32_t code) const { return codeAttributes[code]; }
    // The block of a pair: the grouped rows that carry it, ascending.
    std::span<const std::uint32_t> block(std::uint32_t code) const
    {
        return {blockRows.data() + blockStarts[code], blockRows.data() + blockStarts[code + 1]};
    }

private:
    // The bits of a finite value, with -0 made +0: equal keys exactly for equal values.
    static std::uint32_t equalityKey(float value) { return std::bit_cast<std::uint32_t>(value + 0.0f); }

    std::uint32_t objects;
    std::uint32_t attributes;
    std::vector<std::uint32_t> codes;     // attribute by attribute, row by row
    std::vector<std::uint32_t> byRow;     // the same codes row by row
    std::vector<std::uint32_t> blockRows; // attribute by attribute, block by block
    static constexpr std::size_t kNoBitset = ~std::size_t{0};

    std::vector<std::uint8_t> byteCodes;  // as codes, in a byte within the attribute
    std::vector<std::uint8_t> byteByRow;  // as byRow, in a byte within the attribute
    std::vector<std::size_t> blockStarts; // where each code's block begins in blockRows
    std::vector<std::size_t> bitsetStarts;          // per code: where its bits begin in bitWords, or kNoBitset
    std::vector<std::uint64_t> bitWords;
    std::vector<std::uint32_t> attributeFirstCodes; // per attribute, and one past the last
    std::vector<std::uint32_t> codeAttributes;      // per code
    std::uint32_t largestAttribute = 0;
};

} // namespace kolven
