// The screens' message catalogs, line by line: a wording slip, a lost accent or a line
// out of order fails here.
#include "filter/Cli_oca0080b.h"
#include "register/Cli_oca0080a.h"

#include "framework/host/host_context.h"
#include "framework/script/scripted_ui_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const TMessages& catalog) {
    std::vector<std::string> out;
    for (size_t i = 0; i < catalog.Messages.Count(); ++i) {
        out.push_back(catalog.Messages[i]);
    }
    return out;
}

template <size_t N>
std::vector<std::string> Expected(const std::pair<const char*, const char*> (&entries)[N]) {
    std::vector<std::string> out;
    for (const auto& [key, text] : entries) {
        out.push_back(std::string(key) + "|" + text);
    }
    return out;
}

class Catalogs : public ::testing::Test {
protected:
    void SetUp() override {
        SetUi(&ui);
        ModuleRegistry::Instance().RegisterModule("OCA0080A", ModuleFormResources());
    }
    void TearDown() override {
        ModuleRegistry::Instance().UnregisterModule("OCA0080A");
        SetUi(nullptr);
    }
    ScriptedUiDriver ui;
};

TEST_F(Catalogs, TheRegisterScreensCatalogInItsOrder) {
    const std::pair<const char*, const char*> kCatalog[] = {
        {"CDFILIAL_ni", "Filial deve ser informada."},
        {"CDFILIAL_nc", "Filial não cadastrada."},
        {"CDGRPOCOR_nc", "Grupo de ocorrência não cadastrado."},
        {"CDPRODUTO_nc", "Produto não cadastrado."},
        {"CDDESTPROD_nc", "Destino do produto não cadastrado."},
        {"CDOCORR_ni", "Tipo de ocorrência deve ser informada."},
        {"CDOCORR_nc", "Tipo de ocorrência não cadastrada."},
        {"CPF", "&Insc.(C.P.F.)"},
        {"JURIDICA", "&Insc.(Jurídica)"},
        {"CODIGO", "&Insc.(Código)"},
        {"CGC", "&Insc.(C.G.C.)"},
        {"DATA_ni", "Data deve ser informada."},
        {"RESPIDEN_ni", "Responsável pela identificação deve ser informado."},
        {"CDGRPOCOR_ni", "Grupo de ocorrência deve ser informado."},
        {"CGC_ni", "C.G.C. deve ser informado."},
        {"INSC_ni", "Jurídica deve ser informada."},
        {"CODIGO_ni", "Código deve ser informado."},
        {"CPF_ni", "C.P.F. deve ser informado."},
        {"CGC_inv", "C.G.C. inválido."},
        {"Insc_CliForn_nc", "Cliente/Forneced/Prosp não cadastrado."},
        {"CPF_inv", "C.P.F. inválido."},
        {"HORA_inv", "não é uma hora válida."},
        {"FISICA", "Física"},
        {"JURIDIC", "Jurídica"},
        {"INSC_JURIDICA", "Insc. Jurídica"},
        {"OUTROS", "Outros"},
        {"DATA_inv", "não é uma data válida."},
        {"CliForne_Inf", "Cliente/Forneced/Prosp deve ser informado."},
        {"GRUPO_N_CAD", "Grupo de ocorrência não cadastrado."},
        {"NF_N_CAD", "Nota fiscal não cadastrada para a série informada."},
        {"SERIE_N_CAD", "Série da NF não cadastrada para o fornecedor informado."},
        {"NF_NI", "Nota fiscal deve ser informada."},
        {"NoOcorr", "Nº Ocorrência"},
        {"F", "Fornecedor"},
        {"C", "Cliente"},
        {"SegMer_Deve", "Segmento de mercado não cadastrado."},
        {"Insc_Trans_nc", "Transportador não cadastrado."},
        {"Lote_NCad", "Lote não cadastrado para o produto informado ou o parâmetro que controla a "
                      "utiização de lote não está marcado."},
        {"SubLote_NCad", "Sub-lote não cadastrado para o lote informado."},
        {"Sub_NCad", "Sub-lote não cadastrado para o lote informado."},
        {"Sub_Deve", "Sub-lote deve ser informado."},
        {"NRTA_INF", "Atendimento deve ser informado."},
        {"NRTA_NC", "Atendimento já concluído ou não cadastrado."},
        {"Per", "Operador não tem permissão para alterar ocorrência."},
        {"P", "Prospect"},
        {"Fornecedor_N_Cad", "Não há fornecedor cadastrado."},
        {"Cliente_N_Cad", "Não há cliente cadastrado."},
        {"Prospect_N_Cad", "Não há prospect cadastrado."},
        {"Get_Lote", "Carregando lote..."},
        {"Get_Val_Lote", "Validando lote..."},
        {"ValidNF", "Validando nota fiscal no servidor."},
        {"Get_Ocor", "Carregando ocorrências..."},
        {"Get_Parecer", "Recebendo parecer da ocorrência de atendimento do servidor..."},
        {"Get_Desc", "Recebendo descrição da ocorrência do servidor..."},
        {"Atua_Ocorr", "Atualizando ocorrência no servidor..."},
        {"Del_ocorr", "Excluindo ocorrência no servidor..."},
        {"Produto_NCad", "Produto não cadastrado."},
        {"Err_NF", "Nº da nota fiscal não cadastrado."},
        {"INCFILIAL", "Filial não permite inclusão de ocorrência."},
        {"Lote_Inf", "Lote deve ser informado."},
    };
    TfrmParecerOcorrAtend screen; // built from its definition, not created
    EXPECT_EQ(Lines(*screen.msgPadrao), Expected(kCatalog));
}

TEST_F(Catalogs, TheFilterScreensCatalogInItsOrder) {
    const std::pair<const char*, const char*> kCatalog[] = {
        {"Filial", "Filial"},
        {"GrupOcor", "Grupo de Ocorrência"},
        {"SegMerc", "Segmento de Mercado"},
        {"Filial_Deve", "Filial deve ser informada."},
        {"Grup_Deve", "Grupo de ocorrência deve ser informado."},
        {"Seg_Deve", "Segmento deve ser informado."},
        {"DtIni_Deve", "Período inicial deve ser informado."},
        {"DtFin_Deve", "Período final deve ser informado."},
        {"DtIni<DtFin", "Data inicial deve ser menor ou igual a data final."},
        {"CPF", "Cliente/Fornecedor/Prospect"},
        {"Atend_INF", "Atendimento deve ser informado."},
        {"CPF_INF", "Cliente/Forneced/Prosp deve ser informado."},
        {"Atendimento", "Atendimento"},
        {"C", "Cliente"},
        {"F", "Fornecedor"},
        {"P", "Prospect"},
        {"NCad_ForCliePro", "Não há %s cadastrado."},
        {"Cli", "cliente"},
        {"For", "fornecedor"},
        {"Pro", "prospect"},
    };
    TfrmFiltroOcorAte screen; // built from its definition, not created
    EXPECT_EQ(Lines(*screen.msgPadrao), Expected(kCatalog));
}

} // namespace
