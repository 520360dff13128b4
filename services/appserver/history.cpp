// The history of occurrences: what each call stored, by whom and when, written with it.
#include "appserver/history.h"

#include "appserver/occurrence_record.h"
#include "core/text.h"

namespace oca::server {

namespace {

std::string Readable(const Variant& v) {
    if (v.IsNull()) {
        return {};
    }
    if (v.Type() == VarType::DateTime) {
        return FormatDateTime("dd/mm/yyyy hh:nn:ss", *v.Get<TDateTime>());
    }
    return v.AsString();
}

Variant Kept(const Variant& v) {
    const std::string text = Readable(v);
    return Trim(text).empty() ? Variant() : Variant(text);
}

} // namespace

const std::string& StoredColumns() {
    static const std::string list = [] {
        std::string l;
        for (const RecordColumn& c : OccurrenceColumns()) {
            if (c.own) {
                l += (l.empty() ? "" : ", ") + c.field.name;
            }
        }
        return l;
    }();
    return list;
}

HistoryWriter::HistoryWriter(db::Database& db, const Args& call)
    : db_(db), caller_(call.Caller()), callId_(call.CallId()), when_(ServerNow()) {}

void HistoryWriter::Write(const std::string& branch, const std::string& number, char operation,
                          const std::string& column, const Variant& before, const Variant& after) {
    const std::string key = branch + "/" + number;
    auto next = next_.find(key);
    if (next == next_.end()) {
        // The occurrence's row is locked by the change, so no other call numbers its
        // entries meanwhile.
        auto st = db_.Prepare("SELECT COALESCE(MAX(NRHIST), 0) FROM HISTMOVOCORR "
                              "WHERE CDFILILANCMO = :B AND NROCORRMOV = :N");
        st->Bind("B", Variant(branch));
        st->Bind("N", Variant(number));
        st->Next();
        next = next_.emplace(key, static_cast<int>(st->Value(0).AsInteger()) + 1).first;
    }
    for (Variant v :
         {Variant(branch), Variant(number), Variant(next->second++), Variant(when_),
          Variant(caller_.op), Variant(callId_.substr(0, 220)), Variant(std::string(1, operation)),
          Variant(column), Kept(before), Kept(after)}) {
        pending_.push_back(std::move(v));
    }
}

void HistoryWriter::Renumber(const std::string& branch, const std::string& provisional,
                             const std::string& number) {
    constexpr size_t kBranch = 0, kNumber = 1, kColumn = 7, kAfter = 9;
    for (size_t at = 0; at + kHistoryValues <= pending_.size(); at += kHistoryValues) {
        Variant* entry = &pending_[at];
        if (entry[kBranch].AsString() != branch || entry[kNumber].AsString() != provisional) {
            continue;
        }
        entry[kNumber] = Variant(number);
        // Its own number, among the columns its insertion lists.
        if (entry[kColumn].AsString() == "NROCORRMOV" && !entry[kAfter].IsNull() &&
            entry[kAfter].AsString() == provisional) {
            entry[kAfter] = Variant(number);
        }
    }
    const auto next = next_.find(branch + "/" + provisional);
    if (next != next_.end()) {
        next_[branch + "/" + number] = next->second;
        next_.erase(next);
    }
}

void HistoryWriter::Flush() {
    // Rows go in blocks of 32, 16, ... 1, so that the texts are few and kept prepared: on a
    // database across the network each statement is a round trip, and a new occurrence
    // has an entry for each of its filled columns.
    size_t row = 0;
    const size_t rows = pending_.size() / kHistoryValues;
    while (row < rows) {
        const size_t left = rows - row;
        size_t block = 32;
        while (block > left) {
            block /= 2;
        }
        std::string sql = "INSERT INTO HISTMOVOCORR (CDFILILANCMO, NROCORRMOV, NRHIST, DTHIST, "
                          "CDOPERADOR, IDCHAMADA, IDOPERACAO, NMCAMPO, DSVALORANT, DSVALORNOVO) "
                          "VALUES ";
        std::vector<std::pair<std::string, Variant>> params;
        for (size_t r = 0; r < block; ++r) {
            sql += r == 0 ? "(" : ", (";
            for (size_t c = 0; c < kHistoryValues; ++c) {
                const std::string name = "P" + std::to_string(r * kHistoryValues + c);
                sql += (c == 0 ? ":" : ", :") + name;
                params.emplace_back(name, std::move(pending_[(row + r) * kHistoryValues + c]));
            }
            sql += ")";
        }
        db_.Defer(sql, params);
        row += block;
    }
    pending_.clear();
}

void HistoryWriter::Inserted(const std::string& branch, const std::string& number,
                             const Row& stored) {
    // A number the branch's counter just gave has no entries yet: none to look for.
    next_.emplace(branch + "/" + number, 1);
    size_t i = 0;
    for (const RecordColumn& c : OccurrenceColumns()) {
        if (!c.own) {
            continue;
        }
        const Variant& value = stored.at(i++);
        if (!Kept(value).IsNull()) {
            Write(branch, number, kHistInsert, c.field.name, Variant(), value);
        }
    }
}

void HistoryWriter::Altered(const std::string& branch, const std::string& number,
                            const std::string& column, const Variant& before,
                            const Variant& after) {
    Write(branch, number, kHistAlter, column, before, after);
}

void HistoryWriter::Text(const std::string& branch, const std::string& number,
                         const std::string& column, const Variant& before, const Variant& after) {
    Write(branch, number, kHistText, column, before, after);
}

void HistoryWriter::Deleting(const std::string& branch, const std::string& number) {
    auto values = Stored(branch, number);
    for (const auto& [table, column] :
         {std::pair{"DESCMOVOCORR", "DSMOVOCORR"}, std::pair{"PARECER", "DSPAROCORMOV"}}) {
        auto text = db_.Prepare(std::string("SELECT ") + column + " FROM " + table +
                                " WHERE CDFILILANCMO = :B AND NROCORRMOV = :N");
        text->Bind("B", Variant(branch));
        text->Bind("N", Variant(number));
        if (text->Next()) {
            values.emplace_back(column, text->Value(0));
        }
    }
    for (const auto& [column, value] : values) {
        if (!Kept(value).IsNull()) {
            Write(branch, number, kHistDelete, column, value, Variant());
        }
    }
}

std::vector<std::pair<std::string, Variant>> HistoryWriter::Stored(const std::string& branch,
                                                                   const std::string& number) {
    auto st = db_.Prepare("SELECT " + StoredColumns() +
                          " FROM MOVOCORR WHERE CDFILILANCMO = :B AND NROCORRMOV = :N");
    st->Bind("B", Variant(branch));
    st->Bind("N", Variant(number));
    std::vector<std::pair<std::string, Variant>> values;
    if (st->Next()) {
        size_t i = 0;
        for (const RecordColumn& c : OccurrenceColumns()) {
            if (c.own) {
                values.emplace_back(c.field.name, st->Value(i++));
            }
        }
    }
    return values;
}

} // namespace oca::server
