// The occurrence as a document for the supplier: what happened, to what, and what is being
// done about it. Built from what is stored now, never from what a screen holds.
#include "appserver/report.h"

#include "appserver/confirm_checks.h"
#include "core/datetime.h"
#include "core/file_kind.h"
#include "core/mask.h"
#include "core/text.h"
#include "core/treatment_names.h"

#include <functional>
#include <regex>

namespace oca::server {

namespace {

using Params = std::vector<std::pair<std::string, Variant>>;

std::string Escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// A stored text as formatted markup. Rich texts are kept as HTML documents; their body is
// taken, and pictures are left out: a document that named a file of the machine writing
// the report would otherwise carry that file into it.
std::string RichBody(const Variant& stored) {
    if (stored.IsNull() || Trim(stored.AsString()).empty()) {
        return "<p><i>(em branco)</i></p>";
    }
    std::string text = stored.AsString();
    if (text.find('<') == std::string::npos) {
        std::string out = "<p>";
        for (const char c : text) {
            out += c == '\n' ? std::string("<br/>") : Escape(std::string(1, c));
        }
        return out + "</p>";
    }
    static const std::regex body("<body[^>]*>([\\s\\S]*)</body>", std::regex::icase);
    std::smatch match;
    if (std::regex_search(text, match, body)) {
        text = match[1].str();
    }
    static const std::regex unsafe("<(img|script|style|link|object|iframe)\\b[^>]*>",
                                   std::regex::icase);
    return std::regex_replace(text, unsafe, "");
}

std::string When(const Variant& v, const char* format = "dd/mm/yyyy hh:nn") {
    return v.IsNull() ? std::string() : FormatDateTime(format, v.AsDateTime());
}

// A code and its name, as a person reads them together.
std::string CodeAndName(const std::string& code, const std::string& name) {
    if (Trim(code).empty()) {
        return "";
    }
    return Trim(name).empty() ? Trim(code) : Trim(code) + " - " + Trim(name);
}

class Builder {
public:
    Builder(db::Database& db, std::string branch, std::string number)
        : db_(db), branch_(std::move(branch)), number_(std::move(number)) {}

    ReportDocument Build() {
        const DataPacket record = OccurrenceRecord(db_, branch_, number_);
        if (record.rows.empty()) {
            throw ConfirmFailure("A ocorrência " + branch_ + "/" + number_ + " não existe.");
        }
        packet_ = &record;
        row_ = record.rows[0];
        ReportDocument report;
        report.title = "Relatório de não conformidade " + branch_ + "/" + number_;
        html_ = "<html><head><meta charset=\"utf-8\"/><title>" + Escape(report.title) +
                "</title></head><body style=\"font-family: sans-serif; font-size: 10pt\">";
        Header();
        Record();
        Text("Descrição", "DESCMOVOCORR", "DSMOVOCORR");
        Text("Parecer", "PARECER", "DSPAROCORMOV");
        Treatment();
        Attachments(report);
        html_ += "</body></html>";
        report.html = std::move(html_);
        return report;
    }

private:
    std::string Value(const char* name) const {
        const int i = packet_->FieldIndex(name);
        if (i < 0) {
            return "";
        }
        const Variant& v = row_[static_cast<size_t>(i)];
        return v.IsNull() ? std::string() : Trim(v.AsString());
    }
    Variant Raw(const char* name) const {
        const int i = packet_->FieldIndex(name);
        return i < 0 ? Variant() : row_[static_cast<size_t>(i)];
    }

    void Header() {
        html_ += "<p style=\"font-size: 16pt\"><b>Relatório de não conformidade</b></p>";
        html_ += "<p><b>Filial:</b> " + Escape(CodeAndName(Value("CDFILIAL"), Value("NMFILIAL"))) +
                 "<br/><b>Ocorrência:</b> " + Escape(branch_ + "/" + number_) +
                 " &nbsp; <b>Data:</b> " + Escape(When(Raw("DTOCORRMOV"))) +
                 " &nbsp; <b>Emitido em:</b> " + Escape(When(Variant(ServerNow()))) + "</p>";
    }

    void Line(const std::string& label, const std::string& value) {
        if (value.empty()) {
            return;
        }
        html_ += "<tr><td width=\"28%\" style=\"background-color:#eeeeee\"><b>" + Escape(label) +
                 "</b></td><td>" + Escape(value) + "</td></tr>";
    }

    std::string Inscription(const char* number, const char* kind) const {
        const std::string digits = Value(number);
        const std::string mask = InscriptionMask(Value(kind));
        return mask.empty() || digits.empty() ? digits : FormatMaskText(mask, digits);
    }

    void Record() {
        const std::string kind = Value("TIPO");
        const std::string who = kind == "F" ? "Fornecedor" : kind == "C" ? "Cliente" : "Prospect";
        const std::string code = kind == "F"   ? Value("CDFORNECED")
                                 : kind == "C" ? Value("CDCLIENTE")
                                               : Value("CDPROSPECT");
        html_ += "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\">";
        Line(who, CodeAndName(code, Value("NMRAZSOC")));
        Line("Inscrição", Inscription("NRINSJUR", "IDTPIJUR"));
        Line("Produto", CodeAndName(Value("CDPRODUTO"), Value("NMPRODUTO")));
        Line("Destino do produto", CodeAndName(Value("CDDESTPROD"), Value("DSDESTPROD")));
        std::string batch = Value("NRLOTEESTQ");
        if (!Value("NRSUBLOTE").empty()) {
            batch += " / " + Value("NRSUBLOTE");
        }
        Line("Lote", batch);
        if (!Value("NRLANCTONF").empty()) {
            Line("Nota fiscal", "Nº " + Value("NRNOTAFISC") + " série " + Value("CDSERIEENTR") +
                                    " (lançamento " + Value("CDFILIALNF") + "/" +
                                    Value("NRLANCTONF") + ")");
        }
        std::string carrier = CodeAndName(Value("CDFORNTRANSP"), Value("NMRAZSOCTRANS"));
        if (!carrier.empty() && !Value("NRINSJURTRANS").empty()) {
            carrier += " - " + Inscription("NRINSJURTRANS", "IDTPIJURTRANS");
        }
        Line("Transportadora", carrier);
        Line("Grupo de ocorrência", CodeAndName(Value("CDGRPOCOR"), Value("DSGRPOCOR")));
        Line("Tipo de ocorrência", CodeAndName(Value("CDOCORR"), Value("DSOCORR")));
        Line("Segmento de mercado", CodeAndName(Value("CDSEGMER"), Value("DSSEGMER")));
        Line("Resumo", Value("DSSUMARIAOC"));
        Line("Classificação", Value("DSCLASSOCOR"));
        Line("Pessoa que identificou", Value("NMPESSIDETOC"));
        Line("Pessoa que autorizou", Value("NMPESSAUTOOC"));
        Line("Tarefa", CodeAndName(Value("NRTAREFA"), Value("DSREFETAREFA")));
        Line("Registrada por", CodeAndName(Value("CDOPERADOR"), Value("NMOPERADOR")));
        html_ += "</table>";
    }

    std::unique_ptr<db::Statement> Query(const std::string& sql) {
        auto st = db_.Prepare(sql);
        st->Bind("B", Variant(branch_));
        st->Bind("N", Variant(number_));
        return st;
    }

    void Text(const char* title, const char* table, const char* column) {
        auto st = Query(std::string("SELECT ") + column + " FROM " + table +
                        " WHERE CDFILILANCMO = :B AND NROCORRMOV = :N");
        html_ +=
            std::string("<h3>") + title + "</h3>" + RichBody(st->Next() ? st->Value(0) : Variant());
    }

    void Treatment() {
        auto st = Query("SELECT T.IDSITUACAO, R.NMOPERADOR, T.DTPRAZO, T.DSCAUSA, T.DSACAOIMED, "
                        "T.DTENCERRA, E.NMOPERADOR, T.DSMOTIVOREAB FROM TRATOCORR T LEFT JOIN "
                        "OPERADOR R ON R.CDOPERADOR = T.CDOPERRESP LEFT JOIN OPERADOR E ON "
                        "E.CDOPERADOR = T.CDOPERENCERRA WHERE T.CDFILILANCMO = :B AND "
                        "T.NROCORRMOV = :N");
        if (!st->Next()) {
            return;
        }
        const auto text = [&](size_t i) {
            return st->Value(i).IsNull() ? std::string() : Trim(st->Value(i).AsString());
        };
        html_ += "<p style=\"font-size: 12pt\"><b>Tratamento</b></p><table width=\"100%\" "
                 "border=\"1\" cellspacing=\"0\" "
                 "cellpadding=\"3\">";
        Line("Situação", TreatmentSituationName(text(0)));
        Line("Responsável", text(1));
        Line("Prazo", When(st->Value(2), "dd/mm/yyyy"));
        Line("Causa", text(3));
        Line("Ação imediata", text(4));
        Line("Encerrado em", When(st->Value(5)) + (text(6).empty() ? "" : " por " + text(6)));
        Line("Motivo da reabertura", text(7));
        html_ += "</table>";
        Actions();
    }

    void Actions() {
        auto st = Query("SELECT A.NRACAO, A.IDTIPO, A.DSACAO, R.NMOPERADOR, A.DTPREVISTA, "
                        "A.DTREALIZADA, A.IDSITUACAO, A.DTVERIFICA, A.IDEFICAZ, A.DSVERIFICA FROM "
                        "ACAOOCORR A LEFT JOIN OPERADOR R ON R.CDOPERADOR = A.CDOPERRESP WHERE "
                        "A.CDFILILANCMO = :B AND A.NROCORRMOV = :N ORDER BY A.NRACAO");
        std::string rows;
        while (st->Next()) {
            const auto text = [&](size_t i) {
                return st->Value(i).IsNull() ? std::string()
                                             : Escape(Trim(st->Value(i).AsString()));
            };
            std::string check = When(st->Value(7), "dd/mm/yyyy");
            if (!text(8).empty()) {
                check += text(8) == "S" ? " - eficaz" : " - não eficaz";
            }
            if (!text(9).empty()) {
                check += " (" + text(9) + ")";
            }
            rows += "<tr><td>" + text(0) + "</td><td>" +
                    (text(1) == "P" ? "Preventiva" : "Corretiva") + "</td><td>" + text(2) +
                    "</td><td>" + text(3) + "</td><td>" + When(st->Value(4), "dd/mm/yyyy") +
                    "</td><td>" + When(st->Value(5), "dd/mm/yyyy") + "</td><td>" +
                    Escape(ActionSituationName(Trim(st->Value(6).AsString()))) + "</td><td>" +
                    check + "</td></tr>";
        }
        if (rows.empty()) {
            return;
        }
        html_ += "<p style=\"font-size: 11pt\"><b>Ações</b></p><table width=\"100%\" border=\"1\" "
                 "cellspacing=\"0\" "
                 "cellpadding=\"3\" style=\"font-size: 8pt\"><tr "
                 "style=\"background-color:#eeeeee\"><th>Nº</th><th>Tipo</th>"
                 "<th>Ação</th><th>Responsável</th><th>Prevista</th><th>Realizada</th>"
                 "<th>Situação</th><th>Verificação</th></tr>" +
                 rows + "</table>";
    }

    void Attachments(ReportDocument& report) {
        auto st = Query("SELECT A.NRANEXO, A.NMARQUIVO, A.TPCONTEUDO, A.QTBYTES, O.NMOPERADOR, "
                        "A.DTINCLUSAO, A.MINIATURA FROM ANEXOOCORR A LEFT JOIN OPERADOR O ON "
                        "O.CDOPERADOR = A.CDOPERADOR WHERE A.CDFILILANCMO = :B AND "
                        "A.NROCORRMOV = :N AND A.IDSITUACAO = 'A' ORDER BY A.NRANEXO");
        std::string rows;
        while (st->Next()) {
            const std::string n = st->Value(0).AsString();
            std::string picture;
            const Variant thumbnail = st->Value(6);
            if (const Blob* png = thumbnail.Get<Blob>(); png && !png->bytes.empty()) {
                const std::string name = "anexo-" + n + ".png";
                report.images[name] = png->bytes;
                picture = "<img src=\"" + name + "\"/>";
            }
            rows += "<tr><td>" + n + "</td><td>" + picture + "</td><td>" +
                    Escape(st->Value(1).AsString()) + "</td><td>" +
                    Escape(st->Value(2).IsNull() ? "" : st->Value(2).AsString()) + "</td><td>" +
                    SizeText(st->Value(3).AsInteger()) + "</td><td>" +
                    Escape(st->Value(4).IsNull() ? "" : st->Value(4).AsString()) + "</td><td>" +
                    When(st->Value(5)) + "</td></tr>";
        }
        html_ += "<p style=\"font-size: 12pt\"><b>Anexos</b></p>";
        if (rows.empty()) {
            html_ += "<p><i>Nenhum arquivo anexado.</i></p>";
            return;
        }
        html_ += "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tr "
                 "style=\"background-color:#eeeeee\"><th>Nº</th><th></th><th>Arquivo</th>"
                 "<th>Tipo</th><th>Tamanho</th><th>Anexado por</th><th>Em</th></tr>" +
                 rows + "</table>";
    }

    db::Database& db_;
    std::string branch_, number_;
    const DataPacket* packet_ = nullptr;
    Row row_; ///< the occurrence's (a packet's rows are kept compact, read by copy)
    std::string html_;
};

} // namespace

ReportDocument BuildReport(db::Database& db, const std::string& branch, const std::string& number) {
    return Builder(db, branch, number).Build();
}

Variant GetRelatorio(db::Database& db, const Args& args) {
    args.Expect(2);
    const std::string branch = args.Text(0, 4), number = args.Text(1, 10);
    if (!args.Caller().MayUse(branch)) {
        return Variant(ServerError{args.Caller().NoAccessTo(branch) + "."});
    }
    try {
        return MakePacketVariant(ReportToPacket(BuildReport(db, branch, number)));
    } catch (const ConfirmFailure& e) {
        return Variant(ServerError{e.what()});
    }
}

} // namespace oca::server
