#pragma once

#include "core/variant.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

using Row = std::vector<Variant>;

namespace compact {
/// The type byte of a stored value. Booleans need no further byte.
enum Tag : std::uint8_t { kNull, kFalse, kTrue, kInteger, kFloat, kDate, kText, kBlob };
} // namespace compact

/// One row's values in one block of bytes: a short header, the offset of each value and
/// the values themselves (a type byte, then the bytes of the value: texts without any
/// terminator, whole numbers in as few bytes as they need). A loaded row costs about what
/// its text costs on the wire, where a Row of variants costs four to five times more.
/// Rows hold only the values a field can have: null, booleans, whole numbers, floats,
/// dates, texts and blobs.
class CompactRow {
public:
    CompactRow() = default;
    /// Raises EDataPacketError for a value no field can hold (a packet, an error).
    explicit CompactRow(const Row& values);
    CompactRow(const CompactRow& other);
    CompactRow& operator=(const CompactRow& other);
    CompactRow(CompactRow&&) noexcept = default;
    CompactRow& operator=(CompactRow&&) noexcept = default;

    size_t size() const { return data_ ? Read16(0) : 0; }
    Variant Get(size_t slot) const;
    Variant operator[](size_t slot) const { return Get(slot); }
    VarType Type(size_t slot) const;
    /// The bytes of a text or a blob (empty for other kinds).
    std::string_view Bytes(size_t slot) const;
    /// The text in place; false when the value is not a text.
    bool Text(size_t slot, std::string_view& text) const;
    Row ToRow() const;
    /// What a column takes: null, or a value of `type`; a text of at most `maxChars`
    /// characters (0: any length).
    struct SlotRule {
        VarType type = VarType::Null;
        size_t maxChars = 0;
    };
    /// Whether every value fits its column's rule, `rules` holding one per slot: the check
    /// a data set makes of each row it loads, in one pass over the row's bytes.
    bool Fits(const std::vector<SlotRule>& rules) const;
    /// Bytes the row takes, header included.
    size_t Footprint() const { return data_ ? Offset(size()) : 0; }

    /// Same values (compared as variants are).
    bool operator==(const CompactRow& other) const;

private:
    friend class CompactRowBuilder;
    size_t Read16(size_t at) const {
        return static_cast<size_t>(data_[at]) | static_cast<size_t>(data_[at + 1]) << 8;
    }
    /// Where the value of `slot` begins; Offset(size()) is the block's length.
    size_t Offset(size_t slot) const;

    std::unique_ptr<std::uint8_t[]> data_;
};

/// Builds CompactRows value by value, without a Row of variants between them: a reader of
/// many rows keeps one builder, whose buffers then serve every row.
class CompactRowBuilder {
public:
    void Clear() {
        values_.clear();
        starts_.clear();
    }
    size_t size() const { return starts_.size(); }
    void AddNull() { Begin(compact::kNull); }
    void AddBoolean(bool value) { Begin(value ? compact::kTrue : compact::kFalse); }
    void AddInteger(std::int64_t value);
    void AddFloat(double value) { AddDouble(compact::kFloat, value); }
    void AddDate(TDateTime value) { AddDouble(compact::kDate, value.Value); }
    /// A text, whose bytes the caller appends to the buffer returned.
    std::string& BeginText() {
        Begin(compact::kText);
        return values_;
    }
    void AddBlob(std::string_view bytes) {
        Begin(compact::kBlob);
        values_.append(bytes);
    }
    /// The row of the values added since Clear; raises EDataPacketError past 65,535 values.
    CompactRow Build() const;

private:
    void Begin(std::uint8_t tag) {
        starts_.push_back(values_.size());
        values_.push_back(static_cast<char>(tag));
    }
    void AddDouble(std::uint8_t tag, double value);

    std::string values_;         ///< each value's type byte, then its bytes
    std::vector<size_t> starts_; ///< where each value begins in values_
};

/// A packet's rows, each held as a CompactRow. Reads give a Row by value, so that code
/// written for a vector of rows reads the same; a data set adopts the compact rows
/// themselves.
class CompactRows {
public:
    class const_iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = Row;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = Row;

        const_iterator(const CompactRows* rows, size_t at) : rows_(rows), at_(at) {}
        Row operator*() const { return (*rows_)[at_]; }
        const_iterator& operator++() {
            ++at_;
            return *this;
        }
        bool operator==(const const_iterator& other) const { return at_ == other.at_; }

    private:
        const CompactRows* rows_;
        size_t at_;
    };

    CompactRows() = default;
    CompactRows(std::initializer_list<Row> rows);
    CompactRows& operator=(std::initializer_list<Row> rows);

    size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    void reserve(size_t n) { rows_.reserve(n); }
    void clear() { rows_.clear(); }
    void push_back(const Row& row) { rows_.emplace_back(row); }
    void push_back(CompactRow row) { rows_.push_back(std::move(row)); }

    Row operator[](size_t i) const { return rows_[i].ToRow(); }
    Row front() const { return rows_.front().ToRow(); }
    Row back() const { return rows_.back().ToRow(); }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, rows_.size()}; }

    const CompactRow& Compact(size_t i) const { return rows_[i]; }
    CompactRow& Compact(size_t i) { return rows_[i]; }

    bool operator==(const CompactRows&) const = default;

private:
    std::vector<CompactRow> rows_;
};
