#pragma once

#include "core/data_packet.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// Reads the common large answer, {"$packet":{"fields":[...],"rows":[[...]]}}, straight
/// into a packet without building a JSON tree. Anything else, or anything wrong, gives
/// nullopt, and the caller reads the text the ordinary way (which names the error).
std::optional<DataPacket> TryReadRowPacket(std::string_view text);

/// A packet's field list "[...]", the whole of `text`, into `packet.fields`.
bool TryReadFields(std::string_view text, DataPacket& packet);

/// Reads a reply to a call, {"id":N,"jsonrpc":"2.0","result":{"$packet":{"fields":[...],
/// "rows":[...]}}} as the server writes a selection, as its bytes arrive: each row is read
/// as soon as it is whole and its text let go, so that a large answer is never held whole
/// and is read while the rest is still on its way. A reply of any other shape is kept
/// whole, for the ordinary reading (Whole()).
class StreamedReplyReader {
public:
    explicit StreamedReplyReader(long long id) : id_(id) {}
    /// False when the reply broke its own shape after its rows began; it is then refused.
    bool Feed(const char* data, size_t size);
    /// The reply was read row by row and ended as it should.
    bool Complete() const { return state_ == State::Done; }
    /// The reply is of another shape: its whole text.
    bool IsWhole() const { return state_ == State::Whole || state_ == State::Head; }
    const std::string& Whole() const { return pending_; }
    /// The packet read (after Complete).
    DataPacket& Packet() { return packet_; }

private:
    enum class State { Head, Rows, Tail, Done, Whole, Broken };
    bool ReadHead();
    bool ReadRows();
    long long id_;
    State state_ = State::Head;
    std::string pending_;
    size_t at_ = 0; ///< where reading stands in pending_
    DataPacket packet_;
    CompactRowBuilder row_; ///< each row's values, its buffers kept from row to row
};
