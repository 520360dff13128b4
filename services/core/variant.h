#pragma once

#include "core/datetime.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

class DataPacket;

/// Raw bytes of a binary large object.
struct Blob {
    std::string bytes;
    bool operator==(const Blob&) const = default;
};

/// An error the application server reports in a call's result, rather than by failing
/// the call: {"$error":"text"} on the wire.
struct ServerError {
    std::string text;
    bool operator==(const ServerError&) const = default;
};

enum class VarType { Null, Boolean, Integer, Float, String, DateTime, Blob, Packet, Error };

/// The value that crosses every boundary of the system: field values, query parameters,
/// server-call arguments and results. A data packet is shared, never copied.
class Variant {
public:
    Variant() = default;
    Variant(std::nullptr_t) {}
    Variant(bool v) : value_(v) {}
    Variant(int v) : value_(static_cast<std::int64_t>(v)) {}
    Variant(std::int64_t v) : value_(v) {}
    Variant(double v) : value_(v) {}
    Variant(const char* v) : value_(std::string(v)) {}
    Variant(std::string v) : value_(std::move(v)) {}
    Variant(std::string_view v) : value_(std::string(v)) {}
    Variant(TDateTime v) : value_(v) {}
    Variant(Blob v) : value_(std::move(v)) {}
    Variant(std::shared_ptr<const DataPacket> v);
    Variant(ServerError v) : value_(std::move(v)) {}

    static Variant Null() { return {}; }

    VarType Type() const { return static_cast<VarType>(value_.index()); }
    bool IsNull() const { return value_.index() == 0; }
    bool IsError() const { return Type() == VarType::Error; }

    /// Text of the value: null is "", booleans "True"/"False", floats with the pt-BR
    /// decimal comma, dates as DateTimeToStr, blobs as their bytes, errors their text.
    std::string AsString() const;
    /// Raises EConvertError for a text that is not a whole number; null is 0.
    std::int64_t AsInteger() const;
    /// Raises EConvertError for a text that is not a number (comma or point); null is 0.
    double AsFloat() const;
    /// "True"/"False"/"S"/"N"/"T"/"F"/"1"/"0" (any case) for texts; null is false.
    bool AsBoolean() const;
    /// Texts are read as dd/mm/yyyy [hh:nn[:ss]] or as the storage form; null is 0.
    TDateTime AsDateTime() const;
    /// Raises EConvertError when the value is not a packet.
    const DataPacket& AsPacket() const;
    std::shared_ptr<const DataPacket> PacketPtr() const;
    /// The packet, taken out of this variant (which becomes null); nullptr for any other
    /// kind. A caller that then holds the only reference may adopt the packet's rows.
    std::shared_ptr<const DataPacket> TakePacket();

    template <class T> const T* Get() const { return std::get_if<T>(&value_); }

    /// Same type and same value; a packet compares by content.
    bool operator==(const Variant& other) const;

private:
    std::variant<std::monostate, bool, std::int64_t, double, std::string, TDateTime, Blob,
                 std::shared_ptr<const DataPacket>, ServerError>
        value_;
};

/// Shortest text that reads back to the same double, with a decimal comma.
std::string FloatToStr(double value);
/// Reads a number written with a comma or a point; false when the text is not one.
bool TryStrToFloat(std::string_view text, double& out);
bool TryStrToInt(std::string_view text, std::int64_t& out);
