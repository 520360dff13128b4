// Arbitrary bytes into everything that reads what a client or a server sends: the
// request reader, the wire decoder, the HTTP head parser (Beast's) with the request it
// makes, and the reader of streamed replies.
// The first byte picks which.
#include "appserver/http_request.h"
#include "appserver/jsonrpc.h"
#include "core/exceptions.h"
#include "core/packet_json.h"
#include "core/packet_sax.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 4) {
    case 0: {
        // Echoing the first parameter sends every decoded value through the encoder too.
        std::vector<oca::server::RpcOutcome> outcomes;
        oca::server::HandleRpc(
            text,
            [](const std::string&, const std::vector<Variant>& params) {
                return params.empty() ? Variant() : params[0];
            },
            outcomes, 1 << 20);
        break;
    }
    case 1: {
        try {
            EncodeVariant(DecodeVariant(text));
        } catch (const Exception&) {
        }
        // The fast reader of row packets and the ordinary reader agree whenever the fast
        // one reads a text at all.
        const std::optional<DataPacket> fast = TryReadRowPacket(text);
        if (fast) {
            DataPacket ordinary;
            try {
                ordinary = PacketFromJson(ParseJsonText(text).at("$packet"));
            } catch (const std::exception&) {
                __builtin_trap(); // the fast reader took a text the ordinary one refuses
            }
            if (!(ordinary == *fast)) {
                __builtin_trap();
            }
        }
        break;
    }
    case 3: {
        // A reply read row by row as its pieces arrive agrees with the ordinary reading.
        StreamedReplyReader reader(1);
        const size_t piece = 1 + (text.empty() ? 0 : static_cast<unsigned char>(text[0]) % 64);
        bool fed = true;
        for (size_t at = 0; fed && at < text.size(); at += piece) {
            fed = reader.Feed(text.data() + at, std::min(piece, text.size() - at));
        }
        if (fed && reader.Complete()) {
            DataPacket ordinary;
            try {
                ordinary = PacketFromJson(ParseJsonText(text).at("result").at("$packet"));
            } catch (const std::exception&) {
                __builtin_trap(); // read row by row, refused whole
            }
            if (!(ordinary == reader.Packet())) {
                __builtin_trap();
            }
        }
        break;
    }
    default: {
        // The head as Beast parses it, and the request it makes as the front reads it on:
        // its framing, its body, whether it is quick.
        oca::server::HttpRequest request;
        size_t head = 0;
        if (oca::server::ParseRequestHead(text, request, head) !=
            oca::server::HeadStatus::Complete) {
            break;
        }
        if (head > text.size() || (request.contentLength > 0 && !request.hasContentLength) ||
            request.target.find('?') != std::string::npos) {
            __builtin_trap();
        }
        request.body = std::string(text.substr(head, request.contentLength));
        request.KeepAlive();
        request.Header("authorization");
        oca::server::QuickCall(request);
        break;
    }
    }
    return 0;
}
