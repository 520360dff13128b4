#pragma once

#include <string>

class TComponent;
class TDataSource;

/// The single-choice search window.
namespace Pesquisa {
/// `title` may carry, after a bar, the text shown instead of an empty list. Opens the
/// data set when closed. True when a row was chosen; the data set then stands on it.
bool Pesquisar(TDataSource& source, const std::string& title, bool = false, bool = false);
} // namespace Pesquisa

/// The multi-choice search window.
namespace Pesqlista {
/// Marks rows by `keyField`; `selection` comes in with the earlier marks (see
/// EncodeSelection) and goes out with the new ones, empty when none is marked. A
/// cancelled window leaves it alone and gives false.
bool PesquisaLista(TDataSource& source, const std::string& keyField, const std::string& title, bool,
                   std::string& selection);
} // namespace Pesqlista

/// The progress notice.
namespace Showavi {
/// Over `owner` (the main window when null); `animation` 0, 1 or 6 chooses the picture.
void ActiveShowAvi(TComponent* owner, int animation, const std::string& text);
void DeactiveShowAvi();
} // namespace Showavi

/// Shows the progress notice for a scope and hides it on any path out, or earlier with
/// Hide(): a refusal that ends the operation never leaves the notice on the screen.
class TProgressNotice {
public:
    TProgressNotice(TComponent* owner, int animation, const std::string& text);
    ~TProgressNotice();
    TProgressNotice(const TProgressNotice&) = delete;
    TProgressNotice& operator=(const TProgressNotice&) = delete;
    /// Hides the notice now (before a message the person must read); later calls and
    /// the scope's end do nothing more.
    void Hide();

private:
    bool shown_ = true;
};

/// The table check of a code.
namespace Tabvalid {
/// Checks that `code` fits the picture of `pictureKind` (Lumbra::DBPict): a character
/// that no position accepts is an error, shown (with `text` when given) and, with
/// `raise`, ending the operation. The data source is the table's; its rows are not read.
bool ValidEx(TDataSource& source, int pictureKind, std::string& code, int options,
             const std::string& text, bool raise);
} // namespace Tabvalid

class TDBGrid;
/// Asks where to save the grid's list (offering `suggestedName`) and writes it there as
/// CSV (TDBGrid::CsvText); a failed write is shown.
void ExportGridAsCsv(TDBGrid& grid, const std::string& suggestedName);
