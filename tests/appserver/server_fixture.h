#pragma once

#include "appserver/http_front.h"
#include "appserver/server.h"
#include "database/schema.h"
#include "framework/data/data_packet.h"
#include "framework/net/net_connection.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

/// A small company: two branches, a supplier, a customer and a prospect whose codes are
/// all "000001" or substrings of each other, and occurrences chosen to tell the
/// selection rules apart.
inline constexpr const char* kSeed = R"(
INSERT INTO FILIAL VALUES ('0001', 'Matriz'), ('0002', 'Filial Sul'), ('0012', 'Filial Doze');
INSERT INTO PARAMFILIAL VALUES ('0001', 'S', 'N', 'S'), ('0002', 'S', 'N', 'N');
INSERT INTO OPERADOR VALUES ('001', 'Ana'), ('002', 'Bruno');
INSERT INTO SEGMERCADO VALUES ('00001', 'Varejo'), ('00002', 'Indústria');
INSERT INTO GRUPOCOR VALUES ('01', 'Qualidade', 20), ('02', 'Entrega', 10);
INSERT INTO OCORRENCIA VALUES ('01', '01', 'Fora da especificação'), ('02', '01', 'Atraso');
INSERT INTO DESTPROD VALUES ('01', 'Devolução');
INSERT INTO SERIEENTR VALUES ('1', 'Série 1');
INSERT INTO PRODUTO VALUES ('0000000001', '01010010001', 'Chapa', '4', 'S'),
  ('0000000002', '01010010002', 'Parafuso', '4', 'N');
INSERT INTO LOTEESTQ VALUES ('0001', '0000000001', 'L1', '0001'), ('0001', '0000000001', 'L1', '0002'),
  ('0001', '0000000001', 'L2', '0001'), ('0002', '0000000001', 'L9', '0001');
INSERT INTO FORNECEDOR VALUES ('000001', 'J', '11222333000181', 'Aços', 'Aços Brasil S.A.', '00002'),
  ('123', 'J', '11444777000161', 'Cento', 'Cento e Vinte e Três Ltda', '00001'),
  ('12', 'F', '52998224725', 'Doze', 'José Doze', '00001');
INSERT INTO CLIENTE VALUES ('000001', 'F', '11144477735', 'Ana', 'Ana Souza', '00001');
INSERT INTO PROSPECT VALUES ('000001', 'J', '60701190000104', 'Estrela', 'Estrela ME', '00001');
INSERT INTO NOTAFISCAL VALUES ('0001', '0000000001', '1', '0001234', '000001', '0001', '2026-10-05 00:00:00'),
  ('0001', '0000000002', '1', '0001235', '000001', '0001', '2026-10-20 00:00:00'),
  ('0002', '0000000003', '1', '0001234', '000001', '0002', '2026-11-02 00:00:00');
INSERT INTO TAREFA VALUES ('0000000001', 'Visita', '0001', 'A', '001', 'C'),
  ('0000000012', 'Retorno', '0001', 'A', '001', 'C');
INSERT INTO MOVOCORR (CDFILILANCMO, NROCORRMOV, CDFILIAL, CDFORNECED, CDCLIENTE, CDPROSPECT,
  DTOCORRMOV, CDOPERADOR, CDGRPOCOR, CDOCORR, CDSEGMER, NRTAREFA, CDFILIALNF, NRLANCTONF,
  CDFORNTRANSP, DSSUMARIAOC) VALUES
 ('0001', '0000000001', '0001', '000001', NULL, NULL, '2026-10-10 09:30:00', '001', '01', '01', '00002', '0000000001', '0001', '0000000001', '123', 'Um'),
 ('0001', '0000000002', '0001', NULL, '000001', NULL, '2026-10-31 23:59:59', '001', '02', '01', '00001', NULL, NULL, NULL, NULL, 'Dois'),
 ('0001', '0000000003', '0001', NULL, NULL, '000001', '2026-11-01 00:00:00', '002', NULL, NULL, NULL, '0000000012', NULL, NULL, NULL, 'Tres'),
 ('0002', '0000000001', '0002', '123', NULL, NULL, '2026-10-15 12:00:00', '002', '01', '01', NULL, NULL, NULL, NULL, NULL, 'Quatro'),
 ('0012', '0000000001', '0012', '12', NULL, NULL, '2026-10-16 12:00:00', '001', '02', '01', NULL, NULL, NULL, NULL, NULL, 'Cinco'),
 ('0001', '0000000004', '0001', NULL, NULL, NULL, '2026-10-17 12:00:00', '001', NULL, NULL, NULL, NULL, NULL, NULL, NULL, 'Sem contato'),
 ('0002', '0000000002', '0002', '000001', NULL, NULL, '2026-10-18 12:00:00', '999', NULL, NULL, NULL, NULL, NULL, NULL, NULL, 'Operador inexistente');
INSERT INTO NUMOCORR VALUES ('0001', 4), ('0002', 2), ('0012', 1);
INSERT INTO DESCMOVOCORR VALUES ('0001', '0000000001', '<p>Descrição um</p>', 1);
INSERT INTO PARECER VALUES ('0001', '0000000001', '<p>Parecer um</p>', 1);
)";

/// A fresh database file, the server object, its HTTP front on a free loopback port,
/// and a client connection to it.
class ServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : name) {
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        path = std::filesystem::temp_directory_path() /
               ("oca_srv_" + std::to_string(::getpid()) + "_" + name + ".sqlite");
        RemoveFiles();
        url = "sqlite:" + path.string();
        {
            auto db = oca::db::Database::Open(url);
            oca::db::MigrateSchema(*db);
            db->ExecuteScript(kSeed);
        }
        server = std::make_unique<oca::server::OcorAtendimento>(
            [this] { return oca::db::Database::Open(url); });
        oca::server::HttpOptions options;
        options.port = 0;
        options.log = false;
        options.token = token;
        front = std::make_unique<oca::server::HttpFront>(*server, options);
        port = front->Start();
        net.SetServerName("OCA0080A.rdmOcorAtendimento");
        net.SetPort(port);
        net.SetToken(token);
    }
    void TearDown() override {
        net.SetConnected(false); // closes the kept-alive connection first
        front->Stop();
        front.reset();
        server.reset();
        RemoveFiles();
    }
    void RemoveFiles() {
        for (const char* suffix : {"", "-wal", "-shm"}) {
            std::filesystem::remove(path.string() + suffix);
        }
    }

    /// The occurrence keys ("branch/number") a GetMovOcorr answer holds, in order.
    static std::vector<std::string> Keys(const Variant& result) {
        std::vector<std::string> keys;
        const DataPacket& p = result.AsPacket();
        const int b = p.FieldIndex("CDFILILANCMO");
        const int n = p.FieldIndex("NROCORRMOV");
        for (const Row& row : p.rows) {
            keys.push_back(row[static_cast<size_t>(b)].AsString() + "/" +
                           row[static_cast<size_t>(n)].AsString().substr(8));
        }
        return keys;
    }

    std::filesystem::path path;
    std::string url;
    std::string token = "segredo";
    std::unique_ptr<oca::server::OcorAtendimento> server;
    std::unique_ptr<oca::server::HttpFront> front;
    int port = 0;
    TNetConnection net;
};
