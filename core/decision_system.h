#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace kolven {

struct TableNames;

// The decision table: objectCount rows of rowLength 32-bit floats, the condition attributes
// first and the decision last in each row, plus the counts derived from the two dimensions and,
// while a computation needs them, the rows grouped by decision value.
//
// Base of the three algorithm classes; each keeps its own results, which exportResults writes.
class SystemDecyzyjny {
public:
    SystemDecyzyjny() = default;
    SystemDecyzyjny(const SystemDecyzyjny&) = delete;
    SystemDecyzyjny& operator=(const SystemDecyzyjny&) = delete;
    SystemDecyzyjny(SystemDecyzyjny&&) = default;
    SystemDecyzyjny& operator=(SystemDecyzyjny&&) = default;
    virtual ~SystemDecyzyjny() = default;

    // Writes the object's computed results to a text file, with the table's attribute names and
    // value labels when names are given (see table_names.h); false when the file cannot be
    // written. The plain table has none: it writes nothing and reports success.
    virtual bool exportResults(const std::filesystem::path& path, const TableNames* names = nullptr) const;

    // Sets both dimensions and every count derived from them. Throws std::bad_alloc (leaving the
    // record as it was) when the counts cannot be represented in 32 bits.
    void setDimensions(std::uint32_t objects, std::uint32_t attributes);

    // Installs a complete matrix of objects x (attributes + 1) values, releasing the old one.
    // Throws std::bad_alloc, leaving the record as it was, when the sizes do not agree.
    void installValues(std::uint32_t objects, std::uint32_t attributes, std::vector<float> matrix);

    // Gives this record its own copy of the source's dimensions and values; the decision classes
    // and the fields of derived classes stay as they are.
    void copyFrom(const SystemDecyzyjny& source);

    // Groups the rows by decision value: classes in ascending value, rows stable inside a class,
    // -0 in the class of 0. Needs at least one object and finite decisions, which every way of
    // installing a table ensures.
    void buildDecisionClasses();
    // Releases what buildDecisionClasses made.
    void releaseDecisionClasses();

    bool hasValues() const { return !values.empty(); }
    const float* row(std::uint32_t object) const { return values.data() + std::size_t(object) * rowLength; }
    float value(std::uint32_t object, std::uint32_t attribute) const { return row(object)[attribute]; }
    float decision(std::uint32_t object) const { return row(object)[attributeCount]; }

    // Class c of the grouped rows: its first row, its number of objects and its decision value.
    const float* classRows(std::uint32_t c) const { return groupedRows.data() + classStarts[c]; }
    std::uint32_t classSize(std::uint32_t c) const { return (classStarts[c + 1] - classStarts[c]) / rowLength; }
    float classDecision(std::uint32_t c) const { return classRows(c)[attributeCount]; }

    std::uint32_t objectCount = 0;
    std::uint32_t lastObjectIndex = 0;     // objectCount - 1
    std::uint32_t attributeCount = 0;      // condition attributes; the decision is not counted
    std::uint32_t rowLength = 1;           // attributeCount + 1
    std::uint32_t pairBlockLength = 0;     // attributeCount * (objectCount - 1)
    std::uint32_t conditionValueCount = 0; // attributeCount * objectCount
    std::uint32_t valueCount = 0;          // objectCount * rowLength
    std::uint32_t rowBytes = 4;            // rowLength * 4
    std::vector<float> values;

    // Decision classes, present only during a computation that built them. classStarts holds
    // classCount + 1 offsets (in values) into groupedRows.
    std::vector<float> groupedRows;
    std::vector<std::uint32_t> classStarts;
    std::uint32_t classCount = 0;
};

} // namespace kolven
