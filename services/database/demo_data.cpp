#include "database/demo_data.h"

#include "core/datetime.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <random>
#include <tuple>
#include <vector>

namespace oca::db {

namespace {

// A generator whose sequence is the same on every platform (std distributions are not).
class Dice {
public:
    explicit Dice(unsigned seed) : rng_(seed) {}
    int Below(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
    bool Chance(int percent) { return Below(100) < percent; }
    template <class T, size_t N> const T& Pick(const std::array<T, N>& items) {
        return items[static_cast<size_t>(Below(static_cast<int>(N)))];
    }

private:
    std::mt19937 rng_;
};

std::string Pad(long long value, int width) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*lld", width, value);
    return buf;
}

std::string Digits(Dice& dice, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += static_cast<char>('0' + dice.Below(10));
    }
    return out;
}

const std::array<const char*, 16> kFirstNames = {
    "Ana",     "Bruno", "Carla",   "Diego",  "Eduarda", "Felipe", "Gabriela", "Henrique",
    "Isabela", "João",  "Larissa", "Marcos", "Natália", "Otávio", "Patrícia", "Rafael"};
const std::array<const char*, 12> kLastNames = {"Almeida",    "Barbosa",  "Cardoso", "Dias",
                                                "Ferreira",   "Gomes",    "Lima",    "Martins",
                                                "Nascimento", "Oliveira", "Pereira", "Souza"};
const std::array<const char*, 14> kCompanyWords = {
    "Aurora",    "Bandeirantes", "Cerrado", "Delta",  "Estrela",    "Horizonte", "Ipê",
    "Jequitibá", "Litoral",      "Minuano", "Paraná", "Serra Azul", "Tropical",  "Vale Verde"};
const std::array<const char*, 8> kCompanyKinds = {"Indústria de Embalagens",
                                                  "Comércio de Alimentos",
                                                  "Transportes",
                                                  "Metalúrgica",
                                                  "Distribuidora",
                                                  "Química",
                                                  "Papéis",
                                                  "Plásticos"};
const std::array<const char*, 4> kSuffixes = {"Ltda", "S.A.", "Eireli", "ME"};

std::string PersonName(Dice& dice) {
    return std::string(dice.Pick(kFirstNames)) + " " + dice.Pick(kLastNames) + " " +
           dice.Pick(kLastNames);
}

struct Party {
    std::string code, kind, inscription, trade, company, segment;
};

Party MakeParty(Dice& dice, int index, bool allowPerson) {
    Party p;
    p.code = Pad(index, 6);
    p.segment = Pad(1 + dice.Below(5), 5);
    if (allowPerson && dice.Chance(20)) {
        p.kind = "F";
        p.inscription = CpfWithCheckDigits(Digits(dice, 9));
        p.company = PersonName(dice);
        p.trade = p.company.substr(0, p.company.find(' '));
        return p;
    }
    p.kind = "J";
    p.inscription = CnpjWithCheckDigits(Digits(dice, 8) + "0001");
    const std::string word = dice.Pick(kCompanyWords);
    const std::string kind = dice.Pick(kCompanyKinds);
    p.trade = word + " " + kind.substr(0, kind.find(' '));
    p.company = kind + " " + word + " " + dice.Pick(kSuffixes);
    return p;
}

void Exec(Statement& st, std::initializer_list<std::pair<const char*, Variant>> values) {
    for (const auto& [name, value] : values) {
        st.Bind(name, value);
    }
    st.Execute();
}

void FillReferenceTables(Database& db) {
    db.ExecuteScript(R"(
INSERT INTO FILIAL VALUES ('0001', 'Matriz São Paulo'), ('0002', 'Filial Curitiba'),
  ('0003', 'Filial Recife');
INSERT INTO PARAMFILIAL VALUES ('0001', 'S', 'N', 'S'), ('0002', 'S', 'S', 'N'),
  ('0003', 'N', 'N', 'S');
INSERT INTO OPERADOR VALUES ('001', 'Ana Beatriz Souza'), ('002', 'Carlos Eduardo Lima'),
  ('003', 'Fernanda Oliveira'), ('004', 'João Pedro Santos');
INSERT INTO SEGMERCADO VALUES ('00001', 'Varejo'), ('00002', 'Indústria'),
  ('00003', 'Serviços'), ('00004', 'Agronegócio'), ('00005', 'Construção civil');
INSERT INTO GRUPOCOR VALUES ('01', 'Qualidade do produto', 20), ('02', 'Prazo de entrega', 10),
  ('03', 'Documentação fiscal', 5), ('04', 'Atendimento', 5), ('05', 'Embalagem e transporte', 10);
INSERT INTO OCORRENCIA VALUES
  ('01', '01', 'Produto fora da especificação'), ('01', '02', 'Produto avariado'),
  ('01', '03', 'Validade vencida'), ('02', '01', 'Entrega atrasada'),
  ('02', '02', 'Entrega parcial'), ('02', '03', 'Entrega em local errado'),
  ('03', '01', 'Nota fiscal com valor divergente'), ('03', '02', 'Nota fiscal sem pedido'),
  ('04', '01', 'Demora no retorno'), ('04', '02', 'Informação incorreta'),
  ('05', '01', 'Embalagem violada'), ('05', '02', 'Carga mal acondicionada'),
  ('05', '03', 'Identificação ilegível');
INSERT INTO DESTPROD VALUES ('01', 'Devolução ao fornecedor'), ('02', 'Reprocesso interno'),
  ('03', 'Descarte'), ('04', 'Uso sob concessão');
INSERT INTO SERIEENTR VALUES ('1', 'Série 1'), ('2', 'Série 2'), ('U', 'Série única'),
  ('E', 'Nota eletrônica');
)");
}

const std::array<const char*, 10> kProductNames = {
    "Chapa de aço galvanizado",  "Parafuso sextavado",     "Tinta epóxi cinza",
    "Caixa de papelão ondulado", "Filme stretch",          "Resina de polipropileno",
    "Óleo lubrificante",         "Cabo elétrico flexível", "Luva de proteção nitrílica",
    "Etiqueta adesiva térmica"};

void FillProducts(Database& db) {
    auto product = db.Prepare("INSERT INTO PRODUTO VALUES (:C, :A, :N, '4', :L)");
    auto batch = db.Prepare("INSERT INTO LOTEESTQ VALUES (:F, :P, :L, :S)");
    for (int i = 1; i <= 40; ++i) {
        const std::string code = Pad(i, 10);
        const std::string tree =
            Pad(1 + (i - 1) / 10, 2) + Pad(1 + (i - 1) % 5, 2) + Pad(1 + i % 3, 3) + Pad(i, 4);
        const bool byBatch = i % 2 == 0;
        Exec(*product, {{"C", Variant(code)},
                        {"A", Variant(tree)},
                        {"N", Variant(std::string(kProductNames[static_cast<size_t>(i) % 10]) +
                                      " " + Pad(i, 3))},
                        {"L", Variant(byBatch ? "S" : "N")}});
        if (!byBatch) {
            continue;
        }
        for (const char* branch : {"0001", "0002", "0003"}) {
            for (int b = 0; b < 3; ++b) {
                const std::string lot = "L2025" + Pad(10 * i + b, 4);
                for (const char* sub : {"0001", "0002"}) {
                    Exec(*batch, {{"F", Variant(branch)},
                                  {"P", Variant(code)},
                                  {"L", Variant(lot)},
                                  {"S", Variant(sub)}});
                }
            }
        }
    }
}

std::vector<Party> FillParties(Database& db, Dice& dice, const char* table, int count,
                               bool allowPerson) {
    const std::string sql =
        std::string("INSERT INTO ") + table + " VALUES (:C, :K, :I, :T, :R, :S)";
    auto st = db.Prepare(sql);
    std::vector<Party> parties;
    for (int i = 1; i <= count; ++i) {
        Party p = MakeParty(dice, i, allowPerson);
        Exec(*st, {{"C", Variant(p.code)},
                   {"K", Variant(p.kind)},
                   {"I", Variant(p.inscription)},
                   {"T", Variant(p.trade)},
                   {"R", Variant(p.company)},
                   {"S", Variant(p.segment)}});
        parties.push_back(std::move(p));
    }
    return parties;
}

struct Invoice {
    std::string branch, entry, supplier;
    TDateTime received;
    double defects = 0; ///< how likely an occurrence is to follow it
};

const TDateTime kLastDay = EncodeDate(2026, 11, 30);
constexpr int kSpanDays = 730;
constexpr int kSpanMonths = 24;

TDateTime RandomMoment(Dice& dice) {
    return TDateTime(kLastDay.Value - dice.Below(kSpanDays) +
                     (7 * 60 + dice.Below(11 * 60)) / 1440.0);
}

// What makes the company's suppliers differ: how much each delivers, how often a delivery
// goes wrong, and whether that is getting better or worse. Without it every month would
// score 0 or 100.
struct Profile {
    int perMonth = 0;      ///< receipts a month at each branch it delivers to
    double rate = 0;       ///< occurrences per receipt, at the start of the two years
    double trend = 0;      ///< the change of that rate by the end (-0.8: far better)
    unsigned branches = 0; ///< bit b: delivers to branch b
};

Profile SupplierProfile(Dice& dice, size_t index) {
    Profile p;
    p.perMonth = 3 + dice.Below(6);
    static constexpr std::array<double, 5> kRates = {0.02, 0.08, 0.16, 0.26, 0.4};
    p.rate = kRates[index % kRates.size()] * (0.7 + dice.Below(60) / 100.0);
    static constexpr std::array<double, 3> kTrends = {-0.9, 0.0, 1.0};
    p.trend = kTrends[(index / kRates.size()) % kTrends.size()];
    p.branches = 1u << dice.Below(3);
    if (dice.Chance(40)) {
        p.branches |= 1u << dice.Below(3);
    }
    return p;
}

std::vector<Invoice> FillInvoices(Database& db, Dice& dice, const std::vector<Party>& suppliers) {
    auto st = db.Prepare("INSERT INTO NOTAFISCAL VALUES (:F, :L, :S, :N, :C, :R, :D)");
    const std::array<const char*, 3> branches = {"0001", "0002", "0003"};
    const std::array<const char*, 4> series = {"1", "2", "U", "E"};
    const int lastYear = 2026, lastMonth = 11;
    std::vector<Invoice> invoices;
    int number = 0;
    for (size_t s = 0; s < suppliers.size(); ++s) {
        const Profile profile = SupplierProfile(dice, s);
        for (int b = 0; b < 3; ++b) {
            if (!(profile.branches & (1u << b))) {
                continue;
            }
            for (int m = 0; m < kSpanMonths; ++m) {
                const int months = lastYear * 12 + lastMonth - 1 - (kSpanMonths - 1 - m);
                const TDateTime first = EncodeDate(months / 12, months % 12 + 1, 1);
                const double rate =
                    profile.rate * std::max(0.05, 1 + profile.trend * m / (kSpanMonths - 1));
                const int count = std::max(1, profile.perMonth - 1 + dice.Below(3));
                for (int i = 0; i < count; ++i) {
                    const TDateTime day(first.Value + dice.Below(28));
                    const std::string entry = Pad(++number, 10);
                    Exec(*st, {{"F", Variant(branches[static_cast<size_t>(b)])},
                               {"L", Variant(entry)},
                               {"S", Variant(dice.Pick(series))},
                               {"N", Variant(Pad(100000 + number * 7, 7))},
                               {"C", Variant(suppliers[s].code)},
                               {"R", Variant(branches[static_cast<size_t>(b)])},
                               {"D", Variant(day)}});
                    invoices.push_back(
                        {branches[static_cast<size_t>(b)], entry, suppliers[s].code, day, rate});
                }
            }
        }
    }
    return invoices;
}

// An invoice drawn as often as its supplier's deliveries went wrong at the time.
class InvoiceDraw {
public:
    explicit InvoiceDraw(const std::vector<Invoice>& invoices) : invoices_(invoices) {
        double sum = 0;
        for (const Invoice& i : invoices) {
            sum += i.defects;
            total_.push_back(sum);
        }
    }
    const Invoice& Next(Dice& dice) const {
        const double at = total_.back() * dice.Below(1000000) / 1000000.0;
        const auto it = std::upper_bound(total_.begin(), total_.end(), at);
        return invoices_[std::min(static_cast<size_t>(it - total_.begin()), invoices_.size() - 1)];
    }

private:
    const std::vector<Invoice>& invoices_;
    std::vector<double> total_;
};

const std::array<const char*, 6> kTaskTexts = {
    "Visita técnica ao cliente", "Análise de reclamação",       "Troca de mercadoria",
    "Auditoria de fornecedor",   "Acompanhamento de devolução", "Retorno ao cliente"};

void FillTasks(Database& db, Dice& dice) {
    auto st = db.Prepare("INSERT INTO TAREFA VALUES (:N, :D, :F, :S, :O, :T)");
    const std::array<const char*, 3> branches = {"0001", "0002", "0003"};
    const std::array<const char*, 4> operators = {"001", "002", "003", "004"};
    for (int i = 1; i <= 60; ++i) {
        Exec(*st, {{"N", Variant(Pad(i, 10))},
                   {"D", Variant(std::string(dice.Pick(kTaskTexts)) + " nº " + std::to_string(i))},
                   {"F", Variant(dice.Pick(branches))},
                   {"S", Variant(dice.Chance(60) ? "A" : "C")},
                   {"O", Variant(dice.Pick(operators))},
                   {"T", Variant(dice.Chance(50) ? "C" : "F")}});
    }
}

struct Pools {
    std::vector<Party> suppliers, customers, prospects;
    std::vector<Invoice> invoices;
};

const std::array<std::pair<const char*, const char*>, 13> kTypes = {{{"01", "01"},
                                                                     {"01", "02"},
                                                                     {"01", "03"},
                                                                     {"02", "01"},
                                                                     {"02", "02"},
                                                                     {"02", "03"},
                                                                     {"03", "01"},
                                                                     {"03", "02"},
                                                                     {"04", "01"},
                                                                     {"04", "02"},
                                                                     {"05", "01"},
                                                                     {"05", "02"},
                                                                     {"05", "03"}}};
const std::array<const char*, 6> kSummaries = {
    "Lote com defeito aparente", "Atraso superior a 5 dias", "Divergência de quantidade",
    "Reclamação por telefone",   "Avaria no recebimento",    "Documento incompleto"};

void FillOccurrences(Database& db, Dice& dice, const Pools& pools, int count) {
    auto occ = db.Prepare(
        "INSERT INTO MOVOCORR (CDFILILANCMO, NROCORRMOV, CDFILIAL, CDFORNECED, CDCLIENTE, "
        "CDPROSPECT,"
        " DTOCORRMOV, NMPESSIDETOC, CDOPERADOR, CDGRPOCOR, CDOCORR, CDPRODUTO, CDDESTPROD, "
        "CDSEGMER,"
        " NRLOTEESTQ, NRSUBLOTE, NMPESSAUTOOC, DSSUMARIAOC, CDFILIALNF, NRLANCTONF, DSCLASSOCOR,"
        " CDFORNTRANSP, NRTAREFA) VALUES (:B, :N, :B, :FO, :CL, :PR, :D, :ID, :OP, :G, :T, :P, :DE,"
        " :S, :L, :SL, :AU, :SU, :NFB, :NFL, :CLS, :TR, :TA)");
    auto desc = db.Prepare("INSERT INTO DESCMOVOCORR VALUES (:B, :N, :T, 1)");
    auto opinion = db.Prepare("INSERT INTO PARECER VALUES (:B, :N, :T, 1)");
    const std::array<const char*, 3> branches = {"0001", "0002", "0003"};
    const std::array<const char*, 4> operators = {"001", "002", "003", "004"};
    int numbers[3] = {0, 0, 0};
    const InvoiceDraw draw(pools.invoices);
    for (int i = 0; i < count; ++i) {
        int b = dice.Below(3);
        const int kind = dice.Below(10); // 0-5 supplier, 6-8 customer, 9 prospect
        Variant supplier, customer, prospect, nfBranch, nfEntry, segment;
        TDateTime when = RandomMoment(dice);
        if (kind < 6) {
            // A supplier's occurrence follows one of its deliveries, in the days after it.
            const Invoice& inv = draw.Next(dice);
            supplier = Variant(inv.supplier);
            b = inv.branch.back() - '1'; // recorded where the delivery was received
            when = TDateTime(std::min(kLastDay.Value, inv.received.Value + dice.Below(3)) +
                             (7 * 60 + dice.Below(11 * 60)) / 1440.0);
            if (dice.Chance(70)) {
                nfBranch = Variant(inv.branch);
                nfEntry = Variant(inv.entry);
            }
        } else if (kind < 9) {
            const Party& c = pools.customers[static_cast<size_t>(
                dice.Below(static_cast<int>(pools.customers.size())))];
            customer = Variant(c.code);
            segment = Variant(c.segment);
        } else {
            const Party& p = pools.prospects[static_cast<size_t>(
                dice.Below(static_cast<int>(pools.prospects.size())))];
            prospect = Variant(p.code);
            segment = Variant(p.segment);
        }
        const std::string branch = branches[static_cast<size_t>(b)];
        const std::string number = Pad(++numbers[b], 10);
        const auto& type = dice.Pick(kTypes);
        const int productNo = 1 + dice.Below(40);
        const bool hasProduct = dice.Chance(80);
        const bool batch = hasProduct && productNo % 2 == 0 && dice.Chance(60);
        Exec(*occ,
             {{"B", Variant(branch)},
              {"N", Variant(number)},
              {"FO", supplier},
              {"CL", customer},
              {"PR", prospect},
              {"D", Variant(when)},
              {"ID", Variant(PersonName(dice).substr(0, 30))},
              {"OP", Variant(dice.Pick(operators))},
              {"G", Variant(type.first)},
              {"T", Variant(type.second)},
              {"P", hasProduct ? Variant(Pad(productNo, 10)) : Variant()},
              {"DE", dice.Chance(60) ? Variant(Pad(1 + dice.Below(4), 2)) : Variant()},
              {"S", segment},
              {"L", batch ? Variant("L2025" + Pad(10 * productNo, 4)) : Variant()},
              {"SL", batch ? Variant("0001") : Variant()},
              {"AU", dice.Chance(50) ? Variant(PersonName(dice)) : Variant()},
              {"SU", Variant(dice.Pick(kSummaries))},
              {"NFB", nfBranch},
              {"NFL", nfEntry},
              {"CLS", dice.Chance(30) ? Variant("Reincidente") : Variant()},
              {"TR", dice.Chance(25) ? Variant(pools
                                                   .suppliers[static_cast<size_t>(dice.Below(
                                                       static_cast<int>(pools.suppliers.size())))]
                                                   .code)
                                     : Variant()},
              {"TA", dice.Chance(20) ? Variant(Pad(1 + dice.Below(60), 10)) : Variant()}});
        if (dice.Chance(85)) {
            Exec(*desc, {{"B", Variant(branch)},
                         {"N", Variant(number)},
                         {"T", Variant("<p>Ocorrência registrada: <b>" +
                                       std::string(dice.Pick(kSummaries)) +
                                       "</b>.</p><p>Responsável informado no local.</p>")}});
        }
        if (dice.Chance(70)) {
            Exec(*opinion, {{"B", Variant(branch)},
                            {"N", Variant(number)},
                            {"T", Variant(std::string("<p>Parecer: ") +
                                          (dice.Chance(50) ? "procedente" : "improcedente") +
                                          ". Providências combinadas com o responsável.</p>")}});
        }
    }
    auto last = db.Prepare("INSERT INTO NUMOCORR VALUES (:B, :N)");
    for (int b = 0; b < 3; ++b) {
        Exec(*last, {{"B", Variant(branches[static_cast<size_t>(b)])}, {"N", Variant(numbers[b])}});
    }
}

// The newest occurrences followed up in every situation: some with actions past their date,
// the closed ones with their actions done and found effective.
void FillTreatments(Database& db, Dice& dice) {
    std::vector<std::tuple<std::string, std::string, TDateTime>> newest;
    {
        auto st = db.Prepare("SELECT CDFILILANCMO, NROCORRMOV, DTOCORRMOV FROM MOVOCORR ORDER BY "
                             "DTOCORRMOV DESC, CDFILILANCMO, NROCORRMOV LIMIT 160");
        while (st->Next()) {
            newest.emplace_back(st->Value(0).AsString(), st->Value(1).AsString(),
                                st->Value(2).AsDateTime());
        }
    }
    auto treatment = db.Prepare(
        "INSERT INTO TRATOCORR (CDFILILANCMO, NROCORRMOV, IDSITUACAO, CDOPERRESP, DTPRAZO, "
        "DSCAUSA, DSACAOIMED, DTENCERRA, CDOPERENCERRA) VALUES (:B, :N, :S, :R, :P, :C, :I, :E, "
        ":EO)");
    auto action = db.Prepare(
        "INSERT INTO ACAOOCORR (CDFILILANCMO, NROCORRMOV, NRACAO, IDTIPO, DSACAO, CDOPERRESP, "
        "DTPREVISTA, DTREALIZADA, IDSITUACAO, DTVERIFICA, IDEFICAZ, DSVERIFICA) VALUES (:B, :N, "
        ":A, :T, :D, :R, :P, :RE, :S, :V, :EF, :VN)");
    static const std::array<const char*, 5> situations = {"A", "N", "E", "F", "C"};
    static const std::array<const char*, 4> operators = {"001", "002", "003", "004"};
    static const std::array<const char*, 4> causes = {
        "Embalagem inadequada ao transporte", "Conferência de recebimento falhou",
        "Matéria-prima fora da especificação", "Prazo combinado não registrado no pedido"};
    static const std::array<const char*, 4> actions = {
        "Revisar a especificação de embalagem com o fornecedor",
        "Treinar a equipe de recebimento na conferência", "Inspecionar os três lotes seguintes",
        "Incluir o prazo no pedido de compra"};
    for (size_t i = 0; i < newest.size(); i += 2) {
        const auto& [branch, number, when] = newest[i];
        const std::string situation = situations[(i / 2) % situations.size()];
        const Variant responsible(dice.Pick(operators));
        const bool closed = situation == "F";
        // Half of those being worked on are late: their actions were due two weeks in.
        const bool late = (situation == "N" || situation == "E") && dice.Chance(50);
        const TDateTime due(when.Value + (late ? 14 : 75));
        Exec(*treatment, {{"B", Variant(branch)},
                          {"N", Variant(number)},
                          {"S", Variant(situation)},
                          {"R", situation == "A" ? Variant() : responsible},
                          {"P", situation == "A" ? Variant() : Variant(due)},
                          {"C", situation == "A" ? Variant() : Variant(dice.Pick(causes))},
                          {"I", situation == "A" ? Variant() : Variant("Lote separado")},
                          {"E", closed ? Variant(TDateTime(when.Value + 20)) : Variant()},
                          {"EO", closed ? responsible : Variant()}});
        if (situation == "A") {
            continue;
        }
        const int count = 1 + dice.Below(2);
        for (int a = 1; a <= count; ++a) {
            const bool done = closed || (situation == "C" ? false : dice.Chance(30));
            Exec(*action, {{"B", Variant(branch)},
                           {"N", Variant(number)},
                           {"A", Variant(a)},
                           {"T", Variant(a == 1 ? "C" : "P")},
                           {"D", Variant(dice.Pick(actions))},
                           {"R", responsible},
                           {"P", Variant(due)},
                           {"RE", done ? Variant(TDateTime(when.Value + 10)) : Variant()},
                           {"S", Variant(done               ? "R"
                                         : situation == "C" ? "C"
                                                            : "A")},
                           {"V", closed ? Variant(TDateTime(when.Value + 18)) : Variant()},
                           {"EF", closed ? Variant("S") : Variant()},
                           {"VN", closed ? Variant("Sem reincidência") : Variant()}});
        }
    }
}

} // namespace

std::string CpfWithCheckDigits(const std::string& nine) {
    std::string out = nine;
    for (int round = 0; round < 2; ++round) {
        int sum = 0;
        const int weight = static_cast<int>(out.size()) + 1;
        for (size_t i = 0; i < out.size(); ++i) {
            sum += (out[i] - '0') * (weight - static_cast<int>(i));
        }
        const int rest = sum % 11;
        out += static_cast<char>('0' + (rest < 2 ? 0 : 11 - rest));
    }
    return out;
}

std::string CnpjWithCheckDigits(const std::string& twelve) {
    static const int w1[] = {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
    static const int w2[] = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
    std::string out = twelve;
    for (const int* weights : {w1, w2}) {
        int sum = 0;
        for (size_t i = 0; i < out.size(); ++i) {
            sum += (out[i] - '0') * weights[i];
        }
        const int rest = sum % 11;
        out += static_cast<char>('0' + (rest < 2 ? 0 : 11 - rest));
    }
    return out;
}

void FillDemoData(Database& db, int occurrences) {
    Dice dice(20261207);
    Transaction tx(db);
    FillReferenceTables(db);
    FillProducts(db);
    Pools pools;
    pools.suppliers = FillParties(db, dice, "FORNECEDOR", 30, true);
    pools.customers = FillParties(db, dice, "CLIENTE", 40, true);
    pools.prospects = FillParties(db, dice, "PROSPECT", 15, false);
    pools.invoices = FillInvoices(db, dice, pools.suppliers);
    FillTasks(db, dice);
    FillOccurrences(db, dice, pools, occurrences);
    FillTreatments(db, dice);
    tx.Commit();
    // Statistics for the planner, and the log folded into the file, as after a load.
    db.ExecuteScript("ANALYZE");
    if (db.product() == Product::SQLite) {
        db.ExecuteScript("PRAGMA wal_checkpoint(TRUNCATE)");
    }
}

} // namespace oca::db
