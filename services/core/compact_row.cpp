#include "core/compact_row.h"

#include "core/exceptions.h"
#include "core/text.h"

#include <cstring>
#include <iterator>

namespace {

using namespace compact;

constexpr size_t kHeader = 3; // value count (2 bytes), offset width (1 byte)

// Whole numbers take the fewest bytes that keep their sign: most keys and counts fit in
// one or two.
size_t IntegerWidth(std::int64_t n) {
    if (n >= INT8_MIN && n <= INT8_MAX) {
        return 1;
    }
    if (n >= INT16_MIN && n <= INT16_MAX) {
        return 2;
    }
    if (n >= INT32_MIN && n <= INT32_MAX) {
        return 4;
    }
    return 8;
}

size_t PayloadSize(const Variant& v) {
    switch (v.Type()) {
    case VarType::Null:
    case VarType::Boolean:
        return 0;
    case VarType::Integer:
        return IntegerWidth(*v.Get<std::int64_t>());
    case VarType::Float:
    case VarType::DateTime:
        return sizeof(double);
    case VarType::String:
        return v.Get<std::string>()->size();
    case VarType::Blob:
        return v.Get<Blob>()->bytes.size();
    case VarType::Packet:
    case VarType::Error:
        break;
    }
    throw EDataPacketError("Pacote de dados inválido: valor que nenhum campo guarda");
}

void Put(std::uint8_t* at, std::uint64_t value, size_t width) {
    for (size_t k = 0; k < width; ++k) {
        at[k] = static_cast<std::uint8_t>(value >> (8 * k));
    }
}

std::uint64_t Take(const std::uint8_t* at, size_t width) {
    std::uint64_t value = 0;
    for (size_t k = 0; k < width; ++k) {
        value |= static_cast<std::uint64_t>(at[k]) << (8 * k);
    }
    return value;
}

std::uint8_t* PutDouble(std::uint8_t* at, double d) {
    std::memcpy(at, &d, sizeof d);
    return at + sizeof d;
}

double TakeDouble(const std::uint8_t* at) {
    double d = 0;
    std::memcpy(&d, at, sizeof d);
    return d;
}

std::uint8_t* PutBytes(std::uint8_t* at, const std::string& bytes) {
    if (!bytes.empty()) {
        std::memcpy(at, bytes.data(), bytes.size());
    }
    return at + bytes.size();
}

// Writes one value at `at` and returns where the next begins.
std::uint8_t* PutValue(std::uint8_t* at, const Variant& v) {
    switch (v.Type()) {
    case VarType::Null:
        *at = kNull;
        return at + 1;
    case VarType::Boolean:
        *at = *v.Get<bool>() ? kTrue : kFalse;
        return at + 1;
    case VarType::Integer: {
        const std::int64_t n = *v.Get<std::int64_t>();
        const size_t width = IntegerWidth(n);
        *at = kInteger;
        Put(at + 1, static_cast<std::uint64_t>(n), width);
        return at + 1 + width;
    }
    case VarType::Float:
        *at = kFloat;
        return PutDouble(at + 1, *v.Get<double>());
    case VarType::DateTime:
        *at = kDate;
        return PutDouble(at + 1, v.Get<TDateTime>()->Value);
    case VarType::String:
        *at = kText;
        return PutBytes(at + 1, *v.Get<std::string>());
    case VarType::Blob:
        *at = kBlob;
        return PutBytes(at + 1, v.Get<Blob>()->bytes);
    default:
        return at; // refused by PayloadSize before any byte is written
    }
}

VarType TagType(std::uint8_t tag) {
    switch (tag) {
    case kFalse:
    case kTrue:
        return VarType::Boolean;
    case kInteger:
        return VarType::Integer;
    case kFloat:
        return VarType::Float;
    case kDate:
        return VarType::DateTime;
    case kText:
        return VarType::String;
    case kBlob:
        return VarType::Blob;
    default:
        return VarType::Null;
    }
}

} // namespace

CompactRow::CompactRow(const Row& values) {
    const size_t count = values.size();
    if (count == 0) {
        return;
    }
    if (count > 0xFFFF) {
        throw EDataPacketError("Pacote de dados inválido: linha com valores demais");
    }
    size_t payload = 0;
    for (const Variant& v : values) {
        payload += 1 + PayloadSize(v);
    }
    // Offsets of two bytes while the whole row stays within 64 KB, as nearly every row does.
    const size_t narrow = kHeader + 2 * (count + 1) + payload;
    const size_t width = narrow <= 0xFFFF ? 2 : 4;
    const size_t total = kHeader + width * (count + 1) + payload;
    data_ = std::make_unique_for_overwrite<std::uint8_t[]>(total);
    Put(data_.get(), count, 2);
    data_[2] = static_cast<std::uint8_t>(width);
    std::uint8_t* const base = data_.get();
    std::uint8_t* at = base + kHeader + width * (count + 1);
    for (size_t i = 0; i < count; ++i) {
        Put(base + kHeader + width * i, static_cast<std::uint64_t>(at - base), width);
        at = PutValue(at, values[i]);
    }
    Put(base + kHeader + width * count, total, width);
}

void CompactRowBuilder::AddInteger(std::int64_t value) {
    Begin(kInteger);
    const size_t width = IntegerWidth(value);
    std::uint8_t bytes[8];
    Put(bytes, static_cast<std::uint64_t>(value), width);
    values_.append(reinterpret_cast<const char*>(bytes), width);
}

void CompactRowBuilder::AddDouble(std::uint8_t tag, double value) {
    Begin(tag);
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    values_.append(bytes, sizeof value);
}

CompactRow CompactRowBuilder::Build() const {
    CompactRow row;
    const size_t count = starts_.size();
    if (count == 0) {
        return row;
    }
    if (count > 0xFFFF) {
        throw EDataPacketError("Pacote de dados inválido: linha com valores demais");
    }
    const size_t payload = values_.size();
    // Offsets of two bytes while the whole row stays within 64 KB, as nearly every row does.
    const size_t narrow = kHeader + 2 * (count + 1) + payload;
    const size_t width = narrow <= 0xFFFF ? 2 : 4;
    const size_t first = kHeader + width * (count + 1);
    const size_t total = first + payload;
    row.data_ = std::make_unique_for_overwrite<std::uint8_t[]>(total);
    std::uint8_t* const base = row.data_.get();
    Put(base, count, 2);
    base[2] = static_cast<std::uint8_t>(width);
    for (size_t i = 0; i < count; ++i) {
        Put(base + kHeader + width * i, first + starts_[i], width);
    }
    Put(base + kHeader + width * count, total, width);
    std::memcpy(base + first, values_.data(), payload);
    return row;
}

CompactRow::CompactRow(const CompactRow& other) {
    *this = other;
}

CompactRow& CompactRow::operator=(const CompactRow& other) {
    if (this == &other) {
        return *this;
    }
    if (!other.data_) {
        data_.reset();
        return *this;
    }
    const size_t total = other.Footprint();
    data_ = std::make_unique_for_overwrite<std::uint8_t[]>(total);
    std::memcpy(data_.get(), other.data_.get(), total);
    return *this;
}

size_t CompactRow::Offset(size_t slot) const {
    const size_t width = data_[2];
    const std::uint8_t* at = data_.get() + kHeader + width * slot;
    const size_t low = static_cast<size_t>(at[0]) | static_cast<size_t>(at[1]) << 8;
    return width == 2 ? low
                      : low | static_cast<size_t>(at[2]) << 16 | static_cast<size_t>(at[3]) << 24;
}

VarType CompactRow::Type(size_t slot) const {
    return TagType(data_[Offset(slot)]);
}

namespace {

// The check of a whole row, for one width of its offsets: a loaded company's rows are
// checked value by value, so the loop reads the offsets and tags directly.
template <size_t Width>
bool RowFits(const std::uint8_t* data, const std::vector<CompactRow::SlotRule>& rules) {
    static constexpr VarType kTypeOfTag[] = {VarType::Null,    VarType::Boolean, VarType::Boolean,
                                             VarType::Integer, VarType::Float,   VarType::DateTime,
                                             VarType::String,  VarType::Blob};
    const auto offset = [offsets = data + kHeader](size_t slot) {
        const std::uint8_t* at = offsets + Width * slot;
        size_t value = static_cast<size_t>(at[0]) | static_cast<size_t>(at[1]) << 8;
        if constexpr (Width == 4) {
            value |= static_cast<size_t>(at[2]) << 16 | static_cast<size_t>(at[3]) << 24;
        }
        return value;
    };
    size_t begin = offset(0);
    for (size_t slot = 0; slot < rules.size(); ++slot) {
        const size_t end = offset(slot + 1);
        const std::uint8_t tag = data[begin];
        const CompactRow::SlotRule& rule = rules[slot];
        if (tag != kNull) {
            if (tag >= std::size(kTypeOfTag) || kTypeOfTag[tag] != rule.type) {
                return false;
            }
            // Byte length within the size means character length within it too.
            const size_t bytes = end - begin - 1;
            if (tag == kText && rule.maxChars > 0 && bytes > rule.maxChars &&
                Utf8Length({reinterpret_cast<const char*>(data) + begin + 1, bytes}) >
                    rule.maxChars) {
                return false;
            }
        }
        begin = end;
    }
    return true;
}

} // namespace

bool CompactRow::Fits(const std::vector<SlotRule>& rules) const {
    if (rules.size() != size()) {
        return false;
    }
    if (rules.empty()) {
        return true;
    }
    return data_[2] == 2 ? RowFits<2>(data_.get(), rules) : RowFits<4>(data_.get(), rules);
}

std::string_view CompactRow::Bytes(size_t slot) const {
    const size_t begin = Offset(slot);
    const std::uint8_t tag = data_[begin];
    if (tag != kText && tag != kBlob) {
        return {};
    }
    return {reinterpret_cast<const char*>(data_.get()) + begin + 1, Offset(slot + 1) - begin - 1};
}

bool CompactRow::Text(size_t slot, std::string_view& text) const {
    const size_t begin = Offset(slot);
    if (data_[begin] != kText) {
        return false;
    }
    text = {reinterpret_cast<const char*>(data_.get()) + begin + 1, Offset(slot + 1) - begin - 1};
    return true;
}

Variant CompactRow::Get(size_t slot) const {
    const size_t begin = Offset(slot);
    const std::uint8_t* at = data_.get() + begin + 1;
    const size_t length = Offset(slot + 1) - begin - 1;
    switch (data_[begin]) {
    case kFalse:
        return Variant(false);
    case kTrue:
        return Variant(true);
    case kInteger: {
        // Sign-extend from the stored width.
        const unsigned shift = static_cast<unsigned>(64 - 8 * length);
        const auto raw = static_cast<std::int64_t>(Take(at, length) << shift);
        return Variant(static_cast<std::int64_t>(raw >> shift));
    }
    case kFloat:
        return Variant(TakeDouble(at));
    case kDate:
        return Variant(TDateTime(TakeDouble(at)));
    case kText:
        return Variant(std::string(reinterpret_cast<const char*>(at), length));
    case kBlob:
        return Variant(Blob{std::string(reinterpret_cast<const char*>(at), length)});
    default:
        return {};
    }
}

Row CompactRow::ToRow() const {
    Row row;
    const size_t n = size();
    row.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        row.push_back(Get(i));
    }
    return row;
}

bool CompactRow::operator==(const CompactRow& other) const {
    const size_t n = size();
    if (n != other.size()) {
        return false;
    }
    if (n == 0 || (Footprint() == other.Footprint() &&
                   std::memcmp(data_.get(), other.data_.get(), Footprint()) == 0)) {
        return true;
    }
    for (size_t i = 0; i < n; ++i) {
        if (!(Get(i) == other.Get(i))) {
            return false;
        }
    }
    return true;
}

CompactRows::CompactRows(std::initializer_list<Row> rows) {
    *this = rows;
}

CompactRows& CompactRows::operator=(std::initializer_list<Row> rows) {
    rows_.clear();
    rows_.reserve(rows.size());
    for (const Row& row : rows) {
        rows_.emplace_back(row);
    }
    return *this;
}
