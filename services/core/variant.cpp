#include "core/variant.h"

#include "core/data_packet.h"
#include "core/exceptions.h"
#include "core/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

Variant::Variant(std::shared_ptr<const DataPacket> v) {
    if (v) {
        value_ = std::move(v);
    }
}

std::string FloatToStr(double value) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    std::string s(buf, ec == std::errc() ? end : buf);
    for (char& c : s) {
        if (c == '.') {
            c = ',';
        }
    }
    return s;
}

namespace {

// Reads the whole of a trimmed text as a number; a leading "+" is allowed.
template <class T> bool ParseWhole(const std::string& s, T& out) {
    if (s.empty()) {
        return false;
    }
    const char* begin = s.data() + (s[0] == '+' ? 1 : 0);
    auto [end, ec] = std::from_chars(begin, s.data() + s.size(), out);
    return ec == std::errc() && end == s.data() + s.size();
}

} // namespace

bool TryStrToFloat(std::string_view text, double& out) {
    std::string s = Trim(text);
    std::replace(s.begin(), s.end(), ',', '.');
    return ParseWhole(s, out) && std::isfinite(out);
}

bool TryStrToInt(std::string_view text, std::int64_t& out) {
    return ParseWhole(Trim(text), out);
}

std::string Variant::AsString() const {
    switch (Type()) {
    case VarType::Null:
        return {};
    case VarType::Boolean:
        return *Get<bool>() ? "True" : "False";
    case VarType::Integer:
        return std::to_string(*Get<std::int64_t>());
    case VarType::Float:
        return FloatToStr(*Get<double>());
    case VarType::String:
        return *Get<std::string>();
    case VarType::DateTime:
        return DateTimeToStr(*Get<TDateTime>());
    case VarType::Blob:
        return Get<Blob>()->bytes;
    case VarType::Packet:
        throw EConvertError("Um pacote de dados não pode ser lido como texto");
    case VarType::Error:
        return Get<ServerError>()->text;
    }
    return {};
}

std::int64_t Variant::AsInteger() const {
    switch (Type()) {
    case VarType::Null:
        return 0;
    case VarType::Boolean:
        return *Get<bool>() ? 1 : 0;
    case VarType::Integer:
        return *Get<std::int64_t>();
    case VarType::Float:
        return std::llround(*Get<double>());
    case VarType::String: {
        std::int64_t v = 0;
        if (!TryStrToInt(*Get<std::string>(), v)) {
            throw EConvertError("'" + *Get<std::string>() + "' não é um número inteiro válido");
        }
        return v;
    }
    case VarType::DateTime:
        return static_cast<std::int64_t>(Get<TDateTime>()->Value);
    default:
        throw EConvertError("O valor não pode ser lido como número inteiro");
    }
}

double Variant::AsFloat() const {
    switch (Type()) {
    case VarType::Null:
        return 0.0;
    case VarType::Boolean:
        return *Get<bool>() ? 1.0 : 0.0;
    case VarType::Integer:
        return static_cast<double>(*Get<std::int64_t>());
    case VarType::Float:
        return *Get<double>();
    case VarType::String: {
        double v = 0;
        if (!TryStrToFloat(*Get<std::string>(), v)) {
            throw EConvertError("'" + *Get<std::string>() + "' não é um número válido");
        }
        return v;
    }
    case VarType::DateTime:
        return Get<TDateTime>()->Value;
    default:
        throw EConvertError("O valor não pode ser lido como número");
    }
}

bool Variant::AsBoolean() const {
    switch (Type()) {
    case VarType::Null:
        return false;
    case VarType::Boolean:
        return *Get<bool>();
    case VarType::Integer:
        return *Get<std::int64_t>() != 0;
    case VarType::Float:
        return *Get<double>() != 0.0;
    case VarType::String: {
        const std::string s = UpperCase(Trim(*Get<std::string>()));
        if (s == "TRUE" || s == "T" || s == "S" || s == "1") {
            return true;
        }
        if (s == "FALSE" || s == "F" || s == "N" || s == "0") {
            return false;
        }
        throw EConvertError("'" + *Get<std::string>() + "' não é um valor lógico válido");
    }
    default:
        throw EConvertError("O valor não pode ser lido como valor lógico");
    }
}

TDateTime Variant::AsDateTime() const {
    switch (Type()) {
    case VarType::Null:
        return TDateTime();
    case VarType::DateTime:
        return *Get<TDateTime>();
    case VarType::Integer:
    case VarType::Float:
        return TDateTime(AsFloat());
    case VarType::String: {
        const std::string& s = *Get<std::string>();
        TDateTime dt;
        if (TryParseIsoText(s, dt)) {
            return dt;
        }
        return StrToDateTime(s);
    }
    default:
        throw EConvertError("O valor não pode ser lido como data e hora");
    }
}

const DataPacket& Variant::AsPacket() const {
    if (Type() != VarType::Packet) {
        throw EConvertError("O valor não é um pacote de dados");
    }
    return **Get<std::shared_ptr<const DataPacket>>();
}

std::shared_ptr<const DataPacket> Variant::TakePacket() {
    auto* p = std::get_if<std::shared_ptr<const DataPacket>>(&value_);
    if (!p) {
        return nullptr;
    }
    std::shared_ptr<const DataPacket> packet = std::move(*p);
    value_ = std::monostate{};
    return packet;
}

std::shared_ptr<const DataPacket> Variant::PacketPtr() const {
    const auto* p = Get<std::shared_ptr<const DataPacket>>();
    return p ? *p : nullptr;
}

bool Variant::operator==(const Variant& other) const {
    if (Type() == VarType::Packet && other.Type() == VarType::Packet) {
        return AsPacket() == other.AsPacket();
    }
    return value_ == other.value_;
}
