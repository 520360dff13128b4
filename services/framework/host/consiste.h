#pragma once

#include "core/variant.h"

#include <string>
#include <string_view>

class TDataSet;
class TWinControl;

/// The host's validation and formatting unit.
namespace Consiste {

/// Shows `text` as an error through the UI driver; with `raise` it then ends the
/// running operation with a silent EAbort (the message is already shown).
void MensErro(const std::string& text, bool raise = true);
/// The payload of a server result: an error the server reported in it is shown (and
/// with `raise`, ends the operation); anything else is handed back as it is. The result
/// is taken by value so that a packet moved in reaches its data set unshared: a shared
/// packet has every row copied on load.
Variant CheckResultServ(Variant result, bool raise = true, int helpContext = 0);
/// Enables or disables every control inside `panel` (the tools of a format panel).
void SetChildEnabled(TWinControl& panel, bool enabled);
/// The record's treatment before it is stored: text fields holding only blanks become
/// null, so that "nothing typed" is stored alike however it was typed. Only for a data
/// set in edit or insert; read-only fields are left alone.
void Seta_Campo_Null(TDataSet& dataSet);

/// True when the text is empty or holds only blanks and control characters.
bool EmptyString(std::string_view text);

/// A typed code brought to its stored width: blanks trimmed; a code of digits only is
/// left-padded with zeros to the width (leading zeros beyond it dropped); an empty code
/// stays empty; the result is never longer than the width (the first `width` characters
/// are kept). Codes with letters are only trimmed and cut.
std::string Ajusta(std::string_view code, int width);

/// An inscription number normalised in place: letters and digits only, letters in upper
/// case ("123.456.789-09" becomes "12345678909").
void Ajusta_Inscricao(std::string& inscription);

/// The edit mask of an inscription by person kind: "F" CPF, "J" CNPJ, "I" state
/// inscription; "O" and any other letter have none.
std::string PictPess(std::string_view personKind);

} // namespace Consiste
