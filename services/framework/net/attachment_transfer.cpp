#include "framework/net/attachment_transfer.h"

#include "core/attachment_parts.h"
#include "core/sha256.h"

#include <filesystem>
#include <fstream>

namespace {

std::string Refusal(const Variant& answer) {
    if (answer.IsError() || answer.Type() == VarType::String) {
        return answer.AsString();
    }
    return "O servidor deu uma resposta inesperada ao anexo.";
}

std::optional<std::string> DigestOf(const std::string& path, std::int64_t& size) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    Sha256 digest;
    std::string block(kAttachmentPartBytes, '\0');
    size = 0;
    while (in) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        const auto got = in.gcount();
        digest.Update(std::string_view(block.data(), static_cast<size_t>(got)));
        size += got;
    }
    if (in.bad()) {
        return std::nullopt;
    }
    return digest.HexDigest();
}

std::string CannotRead(const std::string& path) {
    return "Não foi possível ler o arquivo \"" + path + "\"; nada foi anexado.";
}

} // namespace

std::string SendAttachment(TNetConnection& net, const AttachmentToSend& file,
                           const TransferProgress& progress) {
    std::int64_t size = 0;
    const std::optional<std::string> digest = DigestOf(file.path, size);
    if (!digest) {
        return CannotRead(file.path);
    }
    const std::string name =
        file.name.empty() ? std::filesystem::path(file.path).filename().string() : file.name;
    const Variant started =
        net.Call("IniciaAnexo",
                 {Variant(file.branch), Variant(file.number), Variant(name), Variant(size),
                  Variant(*digest), file.thumbnail ? Variant(Blob{*file.thumbnail}) : Variant()});
    if (started.Type() != VarType::Integer) {
        return Refusal(started);
    }
    const Variant attachment = started;
    // Whatever ends the upload before it is whole takes its parts back with it.
    const auto giveUp = [&](const std::string& reason) {
        try {
            net.Call("CancelaAnexo", {Variant(file.branch), Variant(file.number), attachment});
        } catch (const Exception&) {
            // left for the server, which removes abandoned uploads
        }
        return reason;
    };
    std::ifstream in(file.path, std::ios::binary);
    std::string block(kAttachmentPartBytes, '\0');
    std::int64_t sent = 0;
    for (std::int64_t part = 0; sent < size; ++part) {
        if (progress && !progress(sent, size)) {
            return giveUp("Envio interrompido; nada foi anexado.");
        }
        in.read(block.data(), static_cast<std::streamsize>(
                                  std::min<std::int64_t>(size - sent, kAttachmentPartBytes)));
        const auto got = in.gcount();
        if (got <= 0) {
            return giveUp(CannotRead(file.path)); // shortened while it was sent
        }
        const Variant answer =
            net.Call("GravaParteAnexo",
                     {Variant(file.branch), Variant(file.number), attachment, Variant(part),
                      Variant(Blob{block.substr(0, static_cast<size_t>(got))})});
        if (!(answer.Type() == VarType::String && answer.AsString().empty())) {
            return giveUp(Refusal(answer));
        }
        sent += got;
    }
    const Variant done =
        net.Call("ConcluiAnexo", {Variant(file.branch), Variant(file.number), attachment});
    if (!(done.Type() == VarType::String && done.AsString().empty())) {
        return giveUp(Refusal(done));
    }
    if (progress) {
        progress(size, size);
    }
    return "";
}

std::string ReceiveAttachment(TNetConnection& net, const AttachedFile& file,
                              const std::string& path, const TransferProgress& progress) {
    const std::string partial = path + ".parcial";
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    if (!out) {
        return "Não foi possível gravar em \"" + path + "\".";
    }
    Sha256 digest;
    std::int64_t received = 0;
    const auto fail = [&](const std::string& reason) {
        out.close();
        std::error_code ignored;
        std::filesystem::remove(partial, ignored);
        return reason;
    };
    for (std::int64_t part = 0; received < file.size; ++part) {
        if (progress && !progress(received, file.size)) {
            return fail("Recebimento interrompido.");
        }
        const Variant answer =
            net.Call("GetParteAnexo", {Variant(file.branch), Variant(file.number),
                                       Variant(file.attachment), Variant(part)});
        const Blob* bytes = answer.Get<Blob>();
        if (!bytes || bytes->bytes.empty()) {
            return fail(Refusal(answer));
        }
        digest.Update(bytes->bytes);
        out.write(bytes->bytes.data(), static_cast<std::streamsize>(bytes->bytes.size()));
        received += static_cast<std::int64_t>(bytes->bytes.size());
    }
    out.close();
    if (!out) {
        return fail("Não foi possível gravar em \"" + path + "\" (disco cheio?).");
    }
    if (received != file.size || digest.HexDigest() != file.sha256) {
        return fail("O anexo \"" + file.name +
                    "\" chegou diferente do guardado (a soma de verificação não confere); "
                    "tente de novo.");
    }
    std::error_code error;
    std::filesystem::rename(partial, path, error);
    if (error) {
        return fail("Não foi possível gravar em \"" + path + "\": " + error.message() + ".");
    }
    if (progress) {
        progress(file.size, file.size);
    }
    return "";
}
