#include "framework/host/host_dialogs.h"

#include "core/mask.h"
#include "core/selection.h"
#include "core/text.h"
#include "framework/controls/db_controls.h"
#include "framework/data/datasource.h"
#include "framework/host/consiste.h"
#include "framework/host/host_context.h"
#include "framework/ui/ui_driver.h"

#include <fstream>

namespace {

constexpr const char* kDefaultEmpty = "Não há registros para pesquisar.";

// "Title|empty text" split in two; a title without a bar gets the default empty text.
std::pair<std::string, std::string> SplitTitle(const std::string& title) {
    const size_t bar = title.find('|');
    if (bar == std::string::npos) {
        return {title, kDefaultEmpty};
    }
    return {title.substr(0, bar), title.substr(bar + 1)};
}

void OpenSource(TDataSource& source) {
    if (TDataSet* ds = source.DataSet(); ds && !ds->Active()) {
        ds->Open();
    }
}

} // namespace

namespace Pesquisa {

bool Pesquisar(TDataSource& source, const std::string& title, bool, bool) {
    OpenSource(source);
    const auto [caption, empty] = SplitTitle(title);
    return Ui().Pesquisar(source, caption, empty);
}

} // namespace Pesquisa

namespace Pesqlista {

bool PesquisaLista(TDataSource& source, const std::string& keyField, const std::string& title, bool,
                   std::string& selection) {
    OpenSource(source);
    const auto [caption, empty] = SplitTitle(title);
    std::vector<std::string> keys = DecodeSelection(selection);
    if (!Ui().PesquisaLista(source, keyField, caption, empty, keys)) {
        return false;
    }
    selection = EncodeSelection(keys);
    return true;
}

} // namespace Pesqlista

namespace Showavi {

void ActiveShowAvi(TComponent* owner, int animation, const std::string& text) {
    Ui().ShowProgress(owner, animation, text);
}

void DeactiveShowAvi() {
    Ui().HideProgress();
}

} // namespace Showavi

TProgressNotice::TProgressNotice(TComponent* owner, int animation, const std::string& text) {
    Showavi::ActiveShowAvi(owner, animation, text);
}

TProgressNotice::~TProgressNotice() {
    Hide();
}

void TProgressNotice::Hide() {
    if (shown_) {
        shown_ = false;
        Showavi::DeactiveShowAvi();
    }
}

namespace Tabvalid {

bool ValidEx(TDataSource&, int pictureKind, std::string& code, int, const std::string& text,
             bool raise) {
    const std::string picture = Lumbra::DBPict(pictureKind);
    if (picture.empty() || Consiste::EmptyString(code)) {
        return true;
    }
    const EditMask mask(picture);
    const std::string shown = mask.Format(code);
    // Only characters typed count: blanks left over are the user's to fill or not.
    bool valid = true;
    const std::u32string chars = Utf8Decode(shown);
    for (size_t i = 0; i < mask.Slots().size() && i < chars.size(); ++i) {
        const auto& slot = mask.Slots()[i];
        if (!slot.literal && chars[i] != mask.BlankChar() && !EditMask::Accepts(slot, chars[i])) {
            valid = false;
            break;
        }
    }
    if (!valid) {
        Consiste::MensErro(text.empty() ? "Código '" + code + "' fora do formato " + picture : text,
                           raise);
    }
    return valid;
}

} // namespace Tabvalid

void ExportGridAsCsv(TDBGrid& grid, const std::string& suggestedName) {
    const std::optional<std::string> path =
        Ui().AskSaveFile("Exportar lista", suggestedName, "Planilha CSV (*.csv)");
    if (!path) {
        return;
    }
    std::ofstream out(*path, std::ios::binary | std::ios::trunc);
    out << grid.CsvText();
    if (!out.flush()) {
        Ui().ShowError("Não foi possível gravar " + *path + ".");
        return;
    }
    Ui().ShowStatus("Lista exportada para " + *path + ".");
}
