#pragma once

#include <string>
#include <string_view>

/// The host's validation and formatting unit: the pure part. The functions that show
/// messages (MensErro, CheckResultServ) come with the UI seam.
namespace Consiste {

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
