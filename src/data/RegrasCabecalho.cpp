#include "data/RegrasCabecalho.h"

#include <algorithm>

#include "data/RegrasDeclaracao.h"
#include "data/Cadastros.h"
#include "platform/Interacao.h"

namespace kov {

const char* const MSG_EXCLUSOES_ACIMA =
    "Os valores lançados na exclusão do KOV estão superiores aos serviços prestados informados na PRELO.";
const char* const MSG_CNPJ_CONTRIBUINTE =
    "O CNPJ do contribuinte selecionado deve ser informado no cadastro de contibuintes";
const char* const TITULO_AVISO = "KOV";

std::vector<LinhaRegime> RegimesDoAnoBase(const std::vector<LinhaRegime>& todos, int anoBase) {
    std::vector<int> aceitos;
    if (anoBase == 2008) aceitos = {1, 2, 4};
    else if (anoBase >= 2007) aceitos = {1, 2};
    std::vector<LinhaRegime> v;
    for (const auto& r : todos)
        if (aceitos.empty() || std::find(aceitos.begin(), aceitos.end(), r.REGIME_ID) != aceitos.end()) v.push_back(r);
    return v;
}

GrupoRegime GrupoDoRegime(std::optional<int> regime) {
    switch (regime.value_or(0)) {
        case 1:
        case 2:
        case 4: return GrupoRegime::DebitoCredito;
        case 3:
        case 5:
        case 6: return GrupoRegime::Simplificado;
        default: return GrupoRegime::Nenhum;
    }
}

bool TrocaDeRegimeApagaFiguras(std::optional<int> de, std::optional<int> para) {
    const GrupoRegime a = GrupoDoRegime(de), b = GrupoDoRegime(para);
    return a != GrupoRegime::Nenhum && b != GrupoRegime::Nenhum && a != b;
}

void ApagarFiguras(Declaracao& d) {
    d.estoque.reset();
    d.despesas.reset();
    d.resultado.reset();
    d.entrada.reset();
    d.saida.reset();
    d.kov.reset();
    d.exclusoes.reset();
    d.detalhamentoEntrada.clear();
    d.giEntrada.clear();
    d.giSaidas.clear();
    d.detalhamentoES.clear();
}

EstadoApuracao ApuracaoDoRegime(std::optional<int> regime, std::optional<int> tipoRecolhimento) {
    const int r = regime.value_or(0);
    if (r >= 1 && r <= 4) return {false, std::nullopt, false};
    const int t = tipoRecolhimento.value_or(0);
    if (t == 1 || t == 2) return {true, t, false};
    return {true, 2, true};
}

bool BaixaVisivel(int anoBase, int anoCorrente) { return anoBase == anoCorrente; }

bool MudancaMunicipioVisivel(std::optional<int> tipoContribuinte, int anoBase, int anoCorrente) {
    return tipoContribuinte.value_or(-1) != 0 && anoBase != anoCorrente;
}

std::vector<int> AnosDeReferencia(int periodo, int anoCorrente) {
    if (periodo == anoCorrente || periodo == anoCorrente - 1) return {anoCorrente, anoCorrente - 1};
    return {periodo};
}

std::string InconsistenciaAnoCorrente(const Documento& doc, int anoBase, int anoCorrente) {
    if (anoBase != anoCorrente || doc.BAIXA != "N") return {};
    if (doc.TIPOCONTRIBUINTE_ID.value_or(-1) == 0)
        return "Quando o ano exercício é igual ao ano corrente obrigatoriamente o registro \r\nprecisa ser uma "
               "\"mudança de município no ano corrente\" ou \"baixa referente ao ano corrente\"";
    return "Quando o ano exercício é igual ao ano corrente obrigatoriamente o registro \r\nprecisa ser uma "
           "\"baixa referente ao ano corrente\"";
}

void EscolherContribuinte(Declaracao& d, const Contribuinte& c) {
    DefinirContribuinte(d, c);
    d.doc.TIPOCONTRIBUINTE_ID = c.TIPOCONTRIBUINTE_ID;
}

void CopiarCadastroContribuinte(Declaracao& d, const Contribuinte& c) {
    EscolherContribuinte(d, c);
    d.doc.CODDRUMUNICIPIO = c.CODDRUMUNICIPIO;
}

std::string ConferirMesInicial(int mesInicial, std::optional<int> mesFinal) {
    if (mesFinal && *mesFinal < mesInicial) return "Mês Inicial maior que Mês Final.";
    return {};
}

std::string ConferirMesFinal(int mesFinal, std::optional<int> mesInicial) {
    if (mesInicial && mesFinal < *mesInicial) return "Mês Final menor que Mês Inicial.";
    return {};
}

std::string MensagemBaixaComMudanca(const std::string& clicada, const std::string& outra) {
    return "Não pode haver " + clicada + " com " + outra;
}

bool ExclusoesAcimaDosServicos(const Declaracao& d) {
    const Dinheiro exclusoes = d.exclusoes ? v(d.exclusoes->ENTSUBCONTRATACAOTRANSPORTE) +
                                                 v(d.exclusoes->SAITRANPORTESINICIADOOUTRA)
                                           : Dinheiro{};
    const Dinheiro servicos = d.saida ? v(d.saida->VCTOTAL) : Dinheiro{};
    return servicos < exclusoes;
}

bool TemValoresDeMunicipioAnterior(const Declaracao& d) {
    return std::any_of(d.detalhamentoEntrada.begin(), d.detalhamentoEntrada.end(),
                       [](const DetalhamentoEntrada& l) { return l.MUDANCAMUNICIPIO == "S"; });
}

void ApagarValoresDeMunicipioAnterior(Declaracao& d) {
    std::erase_if(d.detalhamentoEntrada, [](const DetalhamentoEntrada& l) { return l.MUDANCAMUNICIPIO == "S"; });
}

bool ConferirAntesDeGravar(fb::Conexao& c, const Declaracao& d, int anoBase, int anoCorrente, Interacao& ui) {
    const std::string ano = InconsistenciaAnoCorrente(d.doc, anoBase, anoCorrente);
    if (!ano.empty()) {
        ui.mensagem(TipoMensagem::Aviso, "Inconsistência", ano);
        return false;
    }
    if (!ValidarDocumento(c, d, ui)) return false;
    if (Aparar(d.CNPJ_CONTRIBUINTE).empty()) {
        ui.mensagem(TipoMensagem::Informacao, TITULO_AVISO, MSG_CNPJ_CONTRIBUINTE);
        return false;
    }
    if (ExclusoesAcimaDosServicos(d)) {
        ui.mensagem(TipoMensagem::Informacao, TITULO_AVISO, MSG_EXCLUSOES_ACIMA);
        return false;
    }
    return true;
}

}  // namespace kov
