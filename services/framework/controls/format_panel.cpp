#include "framework/controls/format_panel.h"

namespace {

struct ToolInfo {
    const char* name;
    const char* hint;
};

constexpr std::array<ToolInfo, TFormatPanel::kToolCount> kTools = {{
    {"Recortar", "Recortar"},
    {"Copiar", "Copiar"},
    {"Colar", "Colar"},
    {"Voltar", "Voltar"},
    {"Fonte", "Fonte"},
    {"Tamanho", "Tamanho"},
    {"Negrito", "Negrito"},
    {"Italico", "Itálico"},
    {"Sublinhado", "Sublinhado"},
    {"Esquerda", "Alinhar à esquerda"},
    {"Centro", "Alinhar centralizado"},
    {"Direita", "Alinhar à direita"},
    {"Numerador", "Numerador"},
    {"Cores", "Cores"},
}};

} // namespace

TFormatPanel::TFormatPanel(TComponent* Owner) : TPanel(Owner) {
    for (size_t i = 0; i < kToolCount; ++i) {
        TSpeedButton* tool = Create<TSpeedButton>(std::string("tbt") + kTools[i].name);
        tool->SetHint(kTools[i].hint);
        tool->SetGlyph(kTools[i].name);
        tool->SetParent(this);
        tools_[i] = tool;
    }
}
