#include "framework/host/consiste.h"

#include "core/exceptions.h"
#include "core/mask.h"
#include "core/text.h"
#include "framework/controls/control.h"
#include "framework/data/dataset.h"
#include "framework/ui/ui_driver.h"

#include <algorithm>
#include <cctype>

namespace Consiste {

void MensErro(const std::string& text, bool raise) {
    Ui().ShowError(text);
    if (raise) {
        throw EAbort();
    }
}

Variant CheckResultServ(Variant result, bool raise, int) {
    if (result.IsError()) {
        MensErro(result.AsString(), raise);
    }
    return result;
}

void SetChildEnabled(TWinControl& panel, bool enabled) {
    for (TControl* child : panel.Children()) {
        child->SetEnabled(enabled);
    }
}

void Seta_Campo_Null(TDataSet& dataSet) {
    if (dataSet.State() != dsEdit && dataSet.State() != dsInsert) {
        return;
    }
    for (TField* field : dataSet.FieldList()) {
        const bool text =
            field->DataType() == FieldType::String || field->DataType() == FieldType::FixedString;
        if (text && !field->Calculated() && !field->ReadOnly() && !field->IsNull() &&
            EmptyString(field->AsString())) {
            field->Clear();
        }
    }
}

bool EmptyString(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

std::string Ajusta(std::string_view code, int width) {
    std::string s = Trim(code);
    if (s.empty() || width <= 0) {
        return {};
    }
    const auto w = static_cast<size_t>(width);
    const bool digits = std::all_of(
        s.begin(), s.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
    if (digits) {
        while (s.size() > w && s[0] == '0') {
            s.erase(0, 1);
        }
        if (s.size() < w) {
            s.insert(0, w - s.size(), '0');
        }
    }
    return Utf8Left(s, w);
}

void Ajusta_Inscricao(std::string& inscription) {
    std::u32string kept;
    for (char32_t c : Utf8Decode(inscription)) {
        const bool digit = c >= U'0' && c <= U'9';
        const bool letter = UpperChar(c) != LowerChar(c);
        if (digit || letter) {
            kept += UpperChar(c);
        }
    }
    inscription = Utf8Encode(kept);
}

std::string PictPess(std::string_view personKind) {
    return InscriptionMask(personKind);
}

} // namespace Consiste
