// Files attached to an occurrence, sent and read back through the server as a desktop does:
// byte for byte, within the limits, of the kind their content says, and never half stored.
#include "confirm_fixture.h"

#include "appserver/attachments.h"
#include "core/report_document.h"
#include "core/sha256.h"
#include "framework/net/attachment_transfer.h"

#include <random>

namespace {

using ::testing::HasSubstr;

class Attachments : public Confirm {
protected:
    void SetUp() override {
        Confirm::SetUp();
        folder = std::filesystem::temp_directory_path() /
                 ("oca-anexos-" + std::to_string(::getpid()) + "-" + CurrentTestName());
        std::filesystem::create_directories(folder);
    }
    void TearDown() override {
        oca::server::SetAttachmentLimits({});
        std::filesystem::remove_all(folder);
        Confirm::TearDown();
    }
    /// A file of `size` bytes starting with `head`, the rest `filler` (not compressible
    /// bytes when 0).
    std::string Write(const std::string& name, const std::string& head, size_t size,
                      char filler = 0) {
        std::string bytes = head;
        std::mt19937 random(static_cast<unsigned>(size));
        while (bytes.size() < size) {
            bytes += filler != 0 ? filler : static_cast<char>(random());
        }
        bytes.resize(size);
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::string Send(const std::string& path, const char* number = "0000000001") {
        return SendAttachment(net, {"0001", number, path, "", std::nullopt});
    }
    static AttachedFile FileOf(const DataPacket& list, size_t row) {
        const auto at = [&](const char* name) {
            return list.rows[row][static_cast<size_t>(list.FieldIndex(name))];
        };
        return {at("CDFILILANCMO").AsString(), at("NROCORRMOV").AsString(),
                at("NMARQUIVO").AsString(),    at("NRANEXO").AsInteger(),
                at("QTBYTES").AsInteger(),     at("DSHASH").AsString()};
    }
    DataPacket List(TNetConnection& client, const char* number = "0000000001") {
        return client.Call("GetAnexos", {Variant("0001"), Variant(number)}).AsPacket();
    }
    std::string StoredCounts() {
        return Scalar("SELECT COUNT(*) FROM ANEXOOCORR") + "/" +
               Scalar("SELECT COUNT(*) FROM ANEXOPARTE");
    }
    std::filesystem::path folder;
};

const std::string kJpeg = "\xFF\xD8\xFF\xE0";
const std::string kPdf = "%PDF-1.7\n";
const std::string kPng = "\x89PNG\r\n\x1a\n";

TEST_F(Attachments, APhotoAndAPdfAreListedAndReadBackByteForByteOnAnotherDesktop) {
    const std::string photo = Write("avaria.jpg", kJpeg, 5 * 1024 * 1024 + 123);
    const std::string pdf = Write("nota de entrega.pdf", kPdf, 70000);
    ASSERT_EQ(Send(photo), "");
    ASSERT_EQ(Send(pdf), "");

    TNetConnection other;
    Connect(other);
    const DataPacket list = List(other);
    ASSERT_EQ(list.rows.size(), 2u);
    const auto value = [&](size_t row, const char* name) {
        return list.rows[row][static_cast<size_t>(list.FieldIndex(name))];
    };
    EXPECT_EQ(value(0, "NMARQUIVO").AsString(), "avaria.jpg");
    EXPECT_EQ(value(0, "TPCONTEUDO").AsString(), "image/jpeg");
    EXPECT_EQ(value(0, "QTBYTES").AsInteger(), 5 * 1024 * 1024 + 123);
    EXPECT_EQ(value(0, "CDOPERADOR").AsString(), "001");
    EXPECT_FALSE(value(0, "NMOPERADOR").IsNull());
    EXPECT_FALSE(value(0, "DTINCLUSAO").IsNull());
    EXPECT_EQ(value(1, "NMARQUIVO").AsString(), "nota de entrega.pdf");
    EXPECT_EQ(value(1, "TPCONTEUDO").AsString(), "application/pdf");
    for (size_t row = 0; row < 2; ++row) {
        const AttachedFile file = FileOf(list, row);
        const std::string copy = (folder / ("copia-" + std::to_string(row))).string();
        ASSERT_EQ(ReceiveAttachment(other, file, copy), "");
        EXPECT_EQ(Read(copy), Read(row == 0 ? photo : pdf)) << file.name;
        EXPECT_FALSE(std::filesystem::exists(copy + ".parcial"));
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ANEXOPARTE WHERE NRANEXO = 1"), "6");
    // The history keeps what was attached, recognisable by its checksum.
    EXPECT_THAT(Scalar("SELECT DSVALORNOVO FROM HISTMOVOCORR WHERE NMCAMPO = 'ANEXO1'"),
                HasSubstr("avaria.jpg (5,0 MB, image/jpeg, SHA-256 " + Sha256::Of(Read(photo))));
}

TEST_F(Attachments, FilesPastTheLimitsAreRefusedAndNothingIsStored) {
    const std::string big = Write("grande.jpg", kJpeg, 25 * 1024 * 1024);
    EXPECT_EQ(Send(big),
              "O arquivo \"grande.jpg\" tem 25,0 MB; o limite por arquivo é 20 MB; nada foi "
              "gravado.");
    EXPECT_EQ(StoredCounts(), "0/0");

    oca::server::SetAttachmentLimits({2 << 20, 3 << 20});
    ASSERT_EQ(Send(Write("a.pdf", kPdf, 2 << 20)), "");
    EXPECT_THAT(Send(Write("b.pdf", kPdf, (1 << 20) + 1)),
                HasSubstr("já tem 2,0 MB em anexos; com \"b.pdf\" (1,0 MB) passaria do limite "
                          "de 3 MB por ocorrência"));
    EXPECT_EQ(StoredCounts(), "1/2");
    // Another occurrence has room of its own; exactly at the limit is within it.
    EXPECT_EQ(Send(Write("c.pdf", kPdf, 3 << 20), "0000000002"), "O arquivo \"c.pdf\" tem 3,0 MB; "
                                                                 "o limite por arquivo é 2 MB; "
                                                                 "nada foi gravado.");
    ASSERT_EQ(Send(Write("d.pdf", kPdf, 1 << 20)), "");
    EXPECT_EQ(StoredCounts(), "2/3");
    EXPECT_EQ(Send(Write("vazio.txt", "", 0)), "O arquivo \"vazio.txt\" está vazio; nada foi "
                                               "gravado.");
}

TEST_F(Attachments, TheKindIsTheContentsAndANameThatLiesIsRefused) {
    const struct {
        const char* name;
        std::string head;
        const char* refusal; ///< "" when accepted
        char filler = 0;
    } cases[] = {
        {"laudo.pdf", kPng, "não é o que o nome diz: o conteúdo é imagem PNG, não .pdf"},
        {"foto.JPG", kJpeg, ""},
        {"sem extensao", kPdf, ""},
        {"planilha.xlsx", kPdf, "não é o que o nome diz: o conteúdo é documento PDF"},
        {"programa.pdf",
         "\x7f"
         "ELF\x02\x01\x01",
         "não é de um tipo aceito"},
        {"setup.exe", "MZ\x90", "não é de um tipo aceito"},
        {"leia.txt", "Lote 44 chegou úmido.\n", "", 'a'},
        {"dados.txt", "Lote 44\n", "não é de um tipo aceito"},
    };
    int accepted = 0;
    for (const auto& c : cases) {
        const std::string answer = Send(Write(c.name, c.head, 5000 + c.head.size(), c.filler));
        if (*c.refusal == '\0') {
            EXPECT_EQ(answer, "") << c.name;
            ++accepted;
        } else {
            EXPECT_THAT(answer, HasSubstr(c.refusal)) << c.name;
            EXPECT_THAT(answer, HasSubstr("nada foi gravado")) << c.name;
        }
    }
    EXPECT_EQ(List(net).rows.size(), static_cast<size_t>(accepted));
    EXPECT_EQ(StoredCounts(), std::to_string(accepted) + "/" + std::to_string(accepted));
}

TEST_F(Attachments, AFileThatArrivesOtherThanAnnouncedIsNotListed) {
    const std::string bytes = kPdf + std::string(3000, 'x');
    const auto start = [&](const std::string& digest, std::int64_t size) {
        return net.Call("IniciaAnexo", {Variant("0001"), Variant("0000000001"), Variant("a.pdf"),
                                        Variant(size), Variant(digest), Variant()});
    };
    const auto part = [&](const Variant& n, std::int64_t index, const std::string& b) {
        return net
            .Call("GravaParteAnexo",
                  {Variant("0001"), Variant("0000000001"), n, Variant(index), Variant(Blob{b})})
            .AsString();
    };
    const auto finish = [&](const Variant& n) {
        return net.Call("ConcluiAnexo", {Variant("0001"), Variant("0000000001"), n}).AsString();
    };
    // The checksum announced is not the content's.
    Variant n = start(Sha256::Of("outra coisa"), static_cast<std::int64_t>(bytes.size()));
    ASSERT_EQ(n.Type(), VarType::Integer);
    ASSERT_EQ(part(n, 0, bytes), "");
    EXPECT_THAT(finish(n), HasSubstr("a soma de verificação não confere"));
    // Shorter than announced: whole parts, but fewer of them.
    const std::string whole = kPdf + std::string((1 << 20) - kPdf.size(), 'x');
    n = start(Sha256::Of(whole), (1 << 20) + 10);
    ASSERT_EQ(part(n, 0, whole), "");
    EXPECT_THAT(finish(n), HasSubstr("não chegou inteiro"));
    // Longer than announced; a part short of the part size before the last; a part out of
    // its place.
    n = start(Sha256::Of(bytes), 100);
    EXPECT_THAT(part(n, 0, bytes), HasSubstr("tamanho diferente do anunciado"));
    n = start(Sha256::Of(bytes), static_cast<std::int64_t>(bytes.size()) + 10);
    EXPECT_THAT(part(n, 0, bytes), HasSubstr("tamanho diferente do anunciado"));
    n = start(Sha256::Of(bytes), static_cast<std::int64_t>(bytes.size()));
    EXPECT_THAT(part(n, 1, bytes), HasSubstr("fora de ordem"));
    // The refused calls kept nothing; what the uploads had stored goes when they are
    // given up.
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ANEXOPARTE"), "2");
    for (int k = 1; k <= 6; ++k) {
        ASSERT_EQ(net.Call("CancelaAnexo",
                           {Variant("0001"), Variant("0000000001"), Variant(std::int64_t{k})}),
                  Variant(""));
    }
    EXPECT_EQ(List(net).rows.size(), 0u);
    EXPECT_EQ(StoredCounts(), "0/0");
    // Another operator cannot go on with an upload that is not theirs.
    n = start(Sha256::Of(bytes), static_cast<std::int64_t>(bytes.size()));
    TNetConnection other;
    Connect(other);
    SignInAs(other, "002");
    EXPECT_THAT(other
                    .Call("GravaParteAnexo", {Variant("0001"), Variant("0000000001"), n,
                                              Variant(std::int64_t{0}), Variant(Blob{bytes})})
                    .AsString(),
                HasSubstr("não está mais em andamento"));
}

TEST_F(Attachments, ARemovalIsAskedOfTheListedVersionAndKeptInTheHistory) {
    ASSERT_EQ(Send(Write("a.pdf", kPdf, 4000)), "");
    const DataPacket list = List(net);
    ASSERT_EQ(list.rows.size(), 1u);
    const auto remove = [&](TNetConnection& client, std::int64_t version) {
        return client
            .Call("ExcluiAnexo", {Variant("0001"), Variant("0000000001"), Variant(std::int64_t{1}),
                                  Variant(version)})
            .AsString();
    };
    EXPECT_THAT(remove(net, 7), HasSubstr("foi alterado por outro usuário"));
    TNetConnection other;
    Connect(other);
    EXPECT_EQ(remove(other, 1), "");
    EXPECT_THAT(remove(net, 1), HasSubstr("já foi removido por outro usuário"));
    EXPECT_EQ(StoredCounts(), "0/0");
    EXPECT_THAT(Scalar("SELECT DSVALORANT FROM HISTMOVOCORR WHERE NMCAMPO = 'ANEXO1' AND "
                       "DSVALORNOVO IS NULL"),
                HasSubstr("a.pdf"));
    // Reading a removed file says so.
    EXPECT_THAT(ReceiveAttachment(net, FileOf(list, 0), (folder / "x").string()),
                HasSubstr("não existe mais"));
    EXPECT_FALSE(std::filesystem::exists(folder / "x"));
}

TEST_F(Attachments, APartDamagedInTheDatabaseIsNeverHandedOut) {
    ASSERT_EQ(Send(Write("a.pdf", kPdf, 4000)), "");
    {
        auto db = oca::db::Database::Open(url);
        db->Execute("UPDATE ANEXOPARTE SET CONTEUDO = :C", {{"C", Variant(Blob{"%PDF-mudado"})}});
    }
    const std::string copy = (folder / "copia.pdf").string();
    std::ofstream(copy) << "o que havia";
    EXPECT_THAT(ReceiveAttachment(net, FileOf(List(net), 0), copy),
                HasSubstr("está danificado no banco de dados"));
    EXPECT_EQ(Read(copy), "o que havia");
    // Changed with a checksum of its own: the part passes, the whole file does not.
    {
        auto db = oca::db::Database::Open(url);
        db->Execute(
            "UPDATE ANEXOPARTE SET CONTEUDO = :C, DSHASH = :H",
            {{"C", Variant(Blob{"%PDF-mudado"})}, {"H", Variant(Sha256::Of("%PDF-mudado"))}});
    }
    AttachedFile file = FileOf(List(net), 0);
    file.size = 11;
    EXPECT_THAT(ReceiveAttachment(net, file, copy), HasSubstr("a soma de verificação não confere"));
    EXPECT_EQ(Read(copy), "o que havia");
    EXPECT_FALSE(std::filesystem::exists(copy + ".parcial"));
}

TEST_F(Attachments, AnOccurrenceDeletedTakesItsFilesWithItAndTheHistorySaysWhich) {
    ASSERT_EQ(Send(Write("a.pdf", kPdf, 4000), "0000000004"), "");
    ASSERT_EQ(net.Call("DelOcorr", {Variant("0001"), Variant("0000000004")}), Variant(""));
    EXPECT_EQ(StoredCounts(), "0/0");
    EXPECT_THAT(Scalar("SELECT DSVALORANT FROM HISTMOVOCORR WHERE NROCORRMOV = '0000000004' AND "
                       "NMCAMPO = 'ANEXO1' AND DSVALORNOVO IS NULL"),
                HasSubstr("a.pdf"));
    // Nothing is attached to an occurrence that is gone.
    EXPECT_THAT(Send(Write("b.pdf", kPdf, 4000), "0000000004"), HasSubstr("não existe mais"));
}

TEST_F(Attachments, AnUploadLeftUnfinishedIsRemovedByALaterOne) {
    const Variant n = net.Call("IniciaAnexo", {Variant("0001"), Variant("0000000001"),
                                               Variant("a.pdf"), Variant(std::int64_t{3 << 20}),
                                               Variant(Sha256::Of("x")), Variant()});
    ASSERT_EQ(n.Type(), VarType::Integer);
    const std::string whole = kPdf + std::string((1 << 20) - kPdf.size(), 'x');
    ASSERT_EQ(net.Call("GravaParteAnexo", {Variant("0001"), Variant("0000000001"), n,
                                           Variant(std::int64_t{0}), Variant(Blob{whole})}),
              Variant(""));
    EXPECT_EQ(List(net).rows.size(), 0u) << "not listed while it is being sent";
    ASSERT_EQ(Send(Write("b.pdf", kPdf, 4000), "0000000002"), "");
    EXPECT_EQ(StoredCounts(), "2/2") << "one under way, one complete";
    Exec("UPDATE ANEXOOCORR SET DTINCLUSAO = '2020-01-01 00:00:00' WHERE NMARQUIVO = 'a.pdf'");
    ASSERT_EQ(Send(Write("c.pdf", kPdf, 4000), "0000000002"), "");
    EXPECT_EQ(Listed("SELECT NMARQUIVO FROM ANEXOOCORR ORDER BY NMARQUIVO"), "b.pdf,c.pdf");
    EXPECT_EQ(StoredCounts(), "2/2");
}

TEST_F(Attachments, TheReportThroughTheServerListsTheFilesWithTheirThumbnails) {
    const std::string thumbnail = kPng + "miniatura";
    ASSERT_EQ(SendAttachment(net, {"0001", "0000000001", Write("avaria.jpg", kJpeg, 3000),
                                   "avaria.jpg", thumbnail}),
              "");
    const DataPacket list = List(net);
    ASSERT_EQ(list.rows.size(), 1u);
    EXPECT_EQ(list.rows[0][static_cast<size_t>(list.FieldIndex("MINIATURA"))],
              Variant(Blob{thumbnail}));
    const Variant answer = net.Call("GetRelatorio", {Variant("0001"), Variant("0000000001")});
    ASSERT_EQ(answer.Type(), VarType::Packet);
    const ReportDocument report = ReportFromPacket(answer.AsPacket());
    EXPECT_EQ(report.title, "Relatório de não conformidade 0001/0000000001");
    EXPECT_THAT(report.html, HasSubstr("avaria.jpg"));
    EXPECT_THAT(report.html, HasSubstr("<img src=\"anexo-1.png\"/>"));
    EXPECT_EQ(report.images.at("anexo-1.png"), thumbnail);
    // A thumbnail that is not a small PNG is refused before anything is stored.
    EXPECT_THROW(net.Call("IniciaAnexo", {Variant("0001"), Variant("0000000001"), Variant("b.jpg"),
                                          Variant(std::int64_t{10}), Variant(std::string(64, 'a')),
                                          Variant(Blob{kJpeg})}),
                 Exception);
    EXPECT_THAT(net.Call("GetRelatorio", {Variant("0001"), Variant("0000000099")}).AsString(),
                HasSubstr("não existe"));
}

} // namespace
