#include "data/Consistencia.h"

#include <algorithm>

#include "data/Cadastros.h"
#include "data/Figuras.h"
#include "data/RegrasDeclaracao.h"
#include "data/RegrasFiguras.h"
#include "data/dmPrincipal.h"
#include "data/untUtils.h"
#include "data/fb/Transacao.h"
#include "platform/PontoParada.h"

namespace kov {

// --- Listas --------------------------------------------------------------------------------

void ListasConsistencia::esvaziar() {
    cdsErros.clear();
    cdsDocumentosErros.clear();
}

std::vector<LinhaErro> ListasConsistencia::errosDe(int documento) const {
    std::vector<LinhaErro> v;
    for (const auto& e : cdsErros)
        if (e.Documento == documento) v.push_back(e);
    return v;
}

bool ListasConsistencia::temDocumento(int documento) const {
    return std::any_of(cdsDocumentosErros.begin(), cdsDocumentosErros.end(),
                       [&](const LinhaDocumentoErros& l) { return l.Documento == documento; });
}

bool IncluirErro(ListasConsistencia& listas, const std::vector<LinhaConsistencia>& consistencias, int documento,
                 const std::string& codigo) {
    for (const auto& c : consistencias) {
        if (c.ERRO != codigo) continue;
        listas.cdsErros.push_back({documento, codigo, c.MENSAGEM, c.DICA});
        return true;
    }
    return false;  // código sem linha na tabela: não é apontado
}

namespace {

// Seções ausentes contam como linhas zeradas: cada valor vazio vale 0 nas comparações.
const Entrada& entradaDe(const Declaracao& d) {
    static const Entrada vazia{};
    return d.entrada ? *d.entrada : vazia;
}
const Saida& saidaDe(const Declaracao& d) {
    static const Saida vazia{};
    return d.saida ? *d.saida : vazia;
}
const Kov& kovDe(const Declaracao& d) {
    static const Kov vazio{};
    return d.kov ? *d.kov : vazio;
}
const ExclusoesKov& exclusoesDe(const Declaracao& d) {
    static const ExclusoesKov vazias{};
    return d.exclusoes ? *d.exclusoes : vazias;
}
const Estoque& estoqueDe(const Declaracao& d) {
    static const Estoque vazio{};
    return d.estoque ? *d.estoque : vazio;
}

// Coluna de uma linha de detalhamento por tipo de operação; sem a linha, 0.
Dinheiro det(const Declaracao& d, int tipo, Quantia DetalhamentoES::*coluna) {
    const DetalhamentoES* l = d.detalhamento(tipo);
    return l ? v(l->*coluna) : Dinheiro{};
}

// Um tipo de contribuinte nulo não é nenhum dos tipos com regra própria (0, 1, 3).
int tipoContribuinte(const Documento& doc) { return doc.TIPOCONTRIBUINTE_ID.value_or(-1); }

bool regimeSimplesComApuracaoReal(const Documento& doc) {
    const int r = doc.REGIME_ID.value_or(0);
    return (r == 5 || r == 6) && doc.TIPORECOLHIMENTO_ID.value_or(0) != 2;
}

// Os totais de exclusões que a conferência espera: os das telas mais os cinco pares que as
// telas não mostram mais, para que um valor esquecido neles apareça como erro de total.
Dinheiro entTotalConferido(const ExclusoesKov& x) {
    return calcEntTotal(x) + v(x.ENTENTREGAFUTURA) + v(x.ENTMERCADORIASUSP) + v(x.ENTSIMPLESREMESSA) +
           v(x.ENTARMAZENAMENTODEPOSITO) + v(x.ENTCONSIGNACAO);
}
Dinheiro saiTotalConferido(const ExclusoesKov& x) {
    return calcSaiTotal(x) + v(x.SAIENTREGAFUTURA) + v(x.SAIMERCADIORIASUSP) + v(x.SAISIMPLESREMESSA) +
           v(x.SAIARMAZENAMENTODEPOSITO) + v(x.SAICONSIGNACAO);
}

// P: produtos agropecuários, energia elétrica, transporte tomado e cooperativa.
Dinheiro parcelasP(const Declaracao& d) {
    const Entrada& e = entradaDe(d);
    const Saida& s = saidaDe(d);
    return v(e.PRODUTOSAGROP) + v(e.ENERGIAELETRICA) + v(s.TRANSPORTETOMADO) + v(s.COOPERATIVA);
}

bool algumaBaseSemImposto(const DetalhamentoES& l) {
    for (const auto& c : CategoriasES())
        if (v(l.*c.BC) > Dinheiro{} && v(l.*c.ICMS) == Dinheiro{}) return true;
    return false;
}

// Os cruzamentos E001..E036, na ordem da tabela de consistências.
class Cruzamentos {
public:
    Cruzamentos(const Declaracao& d, const ContextoConsistencia& ctx, ListasConsistencia& listas)
        : d_(d), ctx_(ctx), listas_(listas) {}

    int achados() const { return achados_; }

    void erro(const char* codigo) {
        if (IncluirErro(listas_, ctx_.consistencias, d_.doc.DOCUMENTO_ID, codigo)) ++achados_;
    }
    void se(bool condicao, const char* codigo) {
        if (condicao) erro(codigo);
    }

    void executar() {
        const Documento& doc = d_.doc;
        const bool completo = RegimeCompleto(doc);
        const int tc = tipoContribuinte(doc);
        const bool mm = doc.MUDANCAMUNICIPIO == "S";
        const bool simplesReal = regimeSimplesComApuracaoReal(doc);
        const int regime = doc.REGIME_ID.value_or(0);
        const Entrada& E = entradaDe(d_);
        const Saida& S = saidaDe(d_);
        const Kov& K = kovDe(d_);
        const ExclusoesKov& X = exclusoesDe(d_);
        const SomasGIEntrada gie = SomarGIEntrada(d_.giEntrada);
        const SomasGISaidas gis = SomarGISaidas(d_.giSaidas);
        const auto municipios = SomarDetalhamentoEntrada(d_.detalhamentoEntrada);
        const auto mudanca = SomarDetalhamentoEntrada(d_.detalhamentoEntrada, FiltroMudanca::SoMudancaMunicipio);
        const Dinheiro zero{};

        if (completo) {
            se(det(d_, 2, &DetalhamentoES::VCSUBTOTAL) != gie.agTotalVC, "E001");
            se(det(d_, 2, &DetalhamentoES::BCSUBTOTAL) != gie.agTotalBC, "E002");
            se(det(d_, 5, &DetalhamentoES::VCSUBTOTAL) != gis.agTotalVC, "E003");
            se(det(d_, 5, &DetalhamentoES::BCSUBTOTAL) != gis.agTotalBC, "E004");
        }
        if (simplesReal) {
            // A linha de detalhamento "corrente" que a GI de entradas também pode igualar é
            // a das entradas de outros estados (tipo 2), a que a GI de entradas detalha.
            const Dinheiro outrosEstados = det(d_, 2, &DetalhamentoES::VCSUBTOTAL);
            if (d_.giEntrada.empty())
                se(v(E.VCOUTROS).arredondadoInteiro() > zero, "E005");
            else
                se(gie.agTotalVC != v(E.VCOUTROS) && gie.agTotalVC != outrosEstados, "E005");
            if (d_.giSaidas.empty())
                se(v(S.VCOUTROS).arredondadoInteiro() > zero, "E006");
            else
                se(gis.agTotalVC != v(S.VCOUTROS), "E006");
        }
        if (!completo) se(v(E.VCESTADO) < v(E.PRODUTOSAGROP), "E007");
        se(d_.resultado && v(d_.resultado->RECEITALIQUIDA) < zero, "E008");
        if (completo) se(det(d_, 1, &DetalhamentoES::VCSUBTOTAL) < v(E.PRODUTOSAGROP), "E009");
        if ((regime < 1 || regime > 4) && doc.TIPORECOLHIMENTO_ID.value_or(0) != 2)
            se(v(S.VCTOTALSIMPLES) != v(S.VCESTADO) + v(S.VCOUTROS) + v(S.VCEXTERIOR), "E010");
        if (!completo) se(v(E.VCTOTALSIMPLES) != v(E.VCESTADO) + v(E.VCOUTROS) + v(E.VCEXTERIOR), "E011");
        if (completo && tc == 0) se(v(X.ENTTOTAL) + v(X.SAITOTAL) > SomarTransporteSaidas(d_), "E012");
        if (completo) se(v(S.VCTOTAL) < v(X.SAITOTAL), "E013");
        if (completo && tc != 0) se(v(X.ENTTOTAL) > v(E.VCTOTAL) - v(E.PRODUTOSAGROP), "E014");
        if (!completo) {
            se(v(S.VCTOTALSIMPLES) < v(X.SAITOTAL), "E015");
            se(v(X.ENTTOTAL) > v(E.VCTOTALSIMPLES) - v(E.PRODUTOSAGROP), "E016");
        }
        if (!completo && tc == 0) se(v(S.VCTOTALSIMPLES) < v(X.ENTTOTAL) + v(X.SAITOTAL), "E017");
        if (completo && tc != 0 && mm) {
            se(v(K.SAIDAS) > v(S.VCTOTAL) + v(S.AUTUACAODENUNCIA) + v(S.AJUSTETRANSFERENCIA) +
                                 v(S.TRANSPORTETOMADO) - v(X.SAITOTAL),
               "E018");
            se(v(K.ENTRADAS) > v(E.VCTOTAL) + v(E.AUTUACAODENUNCIA) + v(E.AJUSTETRANSFERENCIA) -
                                   v(E.PRODUTOSAGROP) - v(X.ENTTOTAL),
               "E019");
        }
        // Outras entradas: o contribuinte de tipo 3 com mudança só passa pelo E020; o de
        // tipo 1, pelo E021 (débito/crédito) ou E035 (demais regimes).
        const Dinheiro P = parcelasP(d_);
        if (tc == 3 && mm) {
            se(v(K.OUTRASENTRADAS) > P + mudanca.agTotalValorMudanca, "E020");
        } else if (tc == 1) {
            const Dinheiro minimo = mm ? P + mudanca.agTotalValorMudanca : P;
            se(v(K.OUTRASENTRADAS) < minimo, completo ? "E021" : "E035");
        }
        if (!completo && tc == 1) se(v(K.OUTRASENTRADAS) == zero, "E022");
        if (!completo && (tc == 1 || tc == 3) && mm) {
            se(v(K.SAIDAS) > v(S.VCTOTALSIMPLES) + v(S.TRANSPORTETOMADO) + v(S.AUTUACAODENUNCIA) - v(X.SAITOTAL),
               "E023");
            se(v(K.ENTRADAS) > v(E.VCTOTALSIMPLES) + v(E.PRODUTOSAGROP) - v(X.ENTTOTAL), "E024");
        }
        // Outras entradas por município: todas as linhas, com ou sem mudança
        if (d_.detalhamentoEntrada.empty())
            se(v(K.OUTRASENTRADAS) > zero, "E025");
        else
            se(v(K.OUTRASENTRADAS) != municipios.agTotalValor, "E025");
        static const char* const porTipo[] = {"E026", "E027", "E028", "E029", "E030", "E031"};
        for (int tipo = 1; tipo <= 6; ++tipo) {
            const DetalhamentoES* l = d_.detalhamento(tipo);
            if (l) se(algumaBaseSemImposto(*l), porTipo[tipo - 1]);
        }
        if (completo && tc == 1) se(v(S.VCTOTAL) < v(S.COOPERATIVA), "E032");
        se(v(E.AJUSTETRANSFERENCIA) > zero && det(d_, 2, &DetalhamentoES::VCTRANSFERENCIA) == zero &&
               det(d_, 1, &DetalhamentoES::VCTRANSFERENCIA) == zero,
           "E033");
        se(v(S.AJUSTETRANSFERENCIA) > zero && det(d_, 5, &DetalhamentoES::VCTRANSFERENCIA) == zero &&
               det(d_, 4, &DetalhamentoES::VCTRANSFERENCIA) == zero,
           "E034");
        if (mm)
            se(std::none_of(d_.detalhamentoEntrada.begin(), d_.detalhamentoEntrada.end(),
                            [](const DetalhamentoEntrada& l) { return l.MUDANCAMUNICIPIO == "S"; }),
               "E036");
    }

private:
    const Declaracao& d_;
    const ContextoConsistencia& ctx_;
    ListasConsistencia& listas_;
    int achados_ = 0;
};

// Linha "00" da conferência de totais quando o gravado difere do esperado.
struct Totais {
    const Declaracao& d;
    ListasConsistencia& listas;
    int achados = 0;

    void conferir(Dinheiro gravado, Dinheiro esperado, const char* mensagem, const char* dica) {
        if (gravado == esperado) return;
        listas.cdsErros.push_back({d.doc.DOCUMENTO_ID, "00", mensagem, dica});
        ++achados;
    }
};

}  // namespace

int VerificarTotais(const Declaracao& d, ListasConsistencia& listas) {
    Totais t{d, listas};
    const Entrada& E = entradaDe(d);
    const Saida& S = saidaDe(d);
    const Kov& K = kovDe(d);
    const ExclusoesKov& X = exclusoesDe(d);
    const Estoque& est = estoqueDe(d);

    // 1. Totais da PRELO contra as linhas por tipo de operação (débito/crédito)
    if (RegimeCompleto(d.doc)) {
        Dinheiro vcE, bcE, icmsE, opsE, vcS, bcS, icmsS, opsS;
        for (const auto& l : d.detalhamentoES) {
            const bool entrada = l.TIPOOPERACAO_ID >= 1 && l.TIPOOPERACAO_ID <= 3;
            const bool saida = l.TIPOOPERACAO_ID >= 4 && l.TIPOOPERACAO_ID <= 6;
            if (entrada) {
                vcE += v(l.VCSUBTOTAL);
                bcE += v(l.BCSUBTOTAL);
                icmsE += v(l.ICMSSUBTOTAL);
                opsE += v(l.OPSICMSSUBTOTAL);
            } else if (saida) {
                vcS += v(l.VCSUBTOTAL);
                bcS += v(l.BCSUBTOTAL);
                icmsS += v(l.ICMSSUBTOTAL);
                opsS += v(l.OPSICMSSUBTOTAL);
            }
        }
        t.conferir(v(E.VCTOTAL), vcE, "Erro no Total Valor Contábil de Entradas da PRELO", "Verifique as Entradas");
        t.conferir(v(E.BCTOTAL), bcE, "Erro no Total Base de Cálculo de Entradas da PRELO", "Verifique as Entradas");
        t.conferir(v(E.ICMSTOTAL), icmsE, "Erro no Total ICMS de Entradas da PRELO", "Verifique as Entradas");
        t.conferir(v(E.OPSEMICMSTOTAL), opsE,
                   "Erro no Total Operações e Prestações sem crédito ICMS de Entradas da PRELO",
                   "Verifique as Entradas ou Consista novamente");
        t.conferir(v(S.VCTOTAL), vcS, "Erro no Total de Saídas da PRELO", "Verifique as Saídas ou Consista novamente");
        t.conferir(v(S.BCTOTAL), bcS, "Erro no Total Base de Cálculo de Saídas da PRELO",
                   "Verifique as Saídas ou Consista novamente");
        t.conferir(v(S.ICMSTOTAL), icmsS, "Erro no Total ICMS de Saídas da PRELO",
                   "Verifique as Saídas ou Consista novamente");
        t.conferir(v(S.OPSEMICMSTOTAL), opsS,
                   "Erro no Total Operações e Prestações sem crédito ICMS de Saídas da PRELO",
                   "Verifique as Saídas ou Consista novamente");
    }

    // 2. O KOV refeito pela fórmula do caso, só sem mudança de município no ano corrente
    //    (nela o KOV é digitado e não há fórmula a conferir)
    if (d.doc.MUDANCAMUNICIPIOANOCORRENTE == "N") {
        const char* dica = "Verifique e Consista novamente";
        const CasoKOV caso = CasoDoKOV(d.doc);
        const FigurasKOV f = FigurasDoKOV(d, caso);
        if (caso == CasoKOV::B || caso == CasoKOV::E) {
            // Entradas presumidas: 20 % das saídas como estão gravadas
            t.conferir(v(K.SAIDAS), f.saidas, "Erro nas Saídas do KOV", dica);
            t.conferir(v(K.ENTRADAS), EntradasVintePorCento(v(K.SAIDAS), v(E.PRODUTOSAGROP)),
                       "Erro nas Entradas do KOV", dica);
        } else if (caso == CasoKOV::A || caso == CasoKOV::D) {
            t.conferir(v(K.ENTRADAS), f.entradas, "Erro nas Entradas do KOV", dica);
            t.conferir(v(K.SAIDAS), f.saidas, "Erro nas Saídas do KOV", dica);
        }
        const int tc = tipoContribuinte(d.doc);
        if (tc == 0)
            t.conferir(v(K.OUTRASENTRADAS), v(K.SAIDAS) - v(K.ENTRADAS), "Erro nas Outras Entradas do KOV", dica);
        else if (tc == 3)
            t.conferir(v(K.OUTRASENTRADAS), OutrasEntradasDeMudanca(d), "Erro nas Outras Entradas do KOV", dica);
    }

    // 3. Totais gravados do KOV, do estoque e das exclusões
    t.conferir(v(K.TOTALENTRADAS), calcTotalEntradas(K), "Erro no Total de Entradas do KOV ou Consista novamente",
               "Verifique as Entradas");
    t.conferir(v(K.TOTALKOV), v(K.SAIDAS) - v(K.TOTALENTRADAS), "Erro no Total do KOV",
               "Verifique as Entradas e Saídas, ou Consista novamente");
    t.conferir(v(est.INITOTAL), calcIniTotal(est), "Erro no Total do Estoque Inicial",
               "Verifique o Estoque, ou Consista novamente");
    t.conferir(v(est.FIMTOTAL), calcFimTotal(est), "Erro no Total do Estoque Final",
               "Verifique o Estoque, Consista novamente");
    t.conferir(v(X.ENTTOTAL), entTotalConferido(X), "Erro no Total das Exclusões de Entrada",
               "Verifique as Exclusões ou Consista novamente");
    t.conferir(v(X.SAITOTAL), saiTotalConferido(X), "Erro no Total das Exclusões de Saída",
               "Verifique as Exclusões ou Consista novamente");
    return t.achados;
}

namespace {

// A consistência dentro da transação de quem chama: as leituras, as conferências e a gravação
// do status numa transação só (cada transação custa escritas síncronas no disco).
int consistirNaTransacao(fb::Transacao& tr, Declaracao& d, const ContextoConsistencia& ctx,
                         ListasConsistencia& listas) {
    const int documento = d.doc.DOCUMENTO_ID;
    int achados = 0;
    auto incluir = [&](const char* codigo) {
        if (IncluirErro(listas, ctx.consistencias, documento, codigo)) ++achados;
    };

    // A consistência grava a declaração, e toda gravação copia do contribuinte a inscrição e
    // o CNAE-F. A cópia vem antes das conferências, para que o status confira com o que fica
    // gravado: um CNAE corrigido no cadastro deixa de dar E038 já nesta consistência.
    CopiarDoContribuinte(d, ctx.contribuinte);

    // Conflito de período com outra declaração gravada do mesmo contribuinte e ano
    if (ExisteConflitoPeriodo(tr, d.doc)) incluir("E039");

    // Uma linha por declaração no lote, mesmo consistida mais de uma vez
    if (!listas.temDocumento(documento))
        listas.cdsDocumentosErros.push_back({documento, d.IE_CONTRIBUINTE, d.NOME_CONTRIBUINTE, d.doc.PERIODO.value_or(0),
                                             calcMesInicial(d.doc), calcMesFinal(d.doc)});

    // Responsável 0 é o "Não atribuído"; nulo também é a falta de responsável
    if (ctx.contribuinte.RESPONSAVEL_ID.value_or(0) == 0) incluir("E037");

    const bool cnaefValido = std::any_of(ctx.cnaefDoAnoBase.begin(), ctx.cnaefDoAnoBase.end(), [&](const LinhaCNAEF& c) {
        return c.CNAEF_ID == d.doc.CNAEF_ID && c.DESMEMBRAMENTO == d.doc.DESMEMBRAMENTO;
    });
    if (!cnaefValido) incluir("E038");

    if (RegimeCompleto(d.doc)) TotalizarEntradasSaidas(d);

    Cruzamentos cruzamentos(d, ctx, listas);
    cruzamentos.executar();
    achados += cruzamentos.achados();
    achados += VerificarTotais(d, listas);

    // O status sai só do que esta consistência achou: uma declaração corrigida e consistida
    // de novo no mesmo lote não herda os erros da vez anterior, que continuam na lista.
    d.doc.STATUS_ID = achados > 0 ? STATUS_INCONSISTENTE : STATUS_CONSISTENTE;
    EscreverDeclaracao(tr, d);
    return *d.doc.STATUS_ID;
}

}  // namespace

int ConsistirDocumento(fb::Transacao& tr, Declaracao& d, const ContextoConsistencia& ctx, ListasConsistencia& listas) {
    return consistirNaTransacao(tr, d, ctx, listas);
}

int ConsistirDocumento(Declaracao& d, const ContextoConsistencia& ctx, ListasConsistencia& listas) {
    fb::Transacao tr(ctx.conexao);
    const int status = consistirNaTransacao(tr, d, ctx, listas);
    tr.commit();
    MarcarComoGravada(d);
    return status;
}

namespace {

// A consistência pela chave dentro de 'tr': a declaração e o contribuinte como estão na base
// para esta transação, com as consistências e os CNAE-F do ano base do módulo.
int consistirPelaChave(fb::Transacao& tr, Tdm& dm, int documentoId, ListasConsistencia& listas) {
    if (!dm.ref.abertas) dm.AbrirReferencias();
    Declaracao d = CarregarDeclaracao(tr, documentoId);
    const Contribuinte contribuinte = CarregarContribuinte(tr, d.doc.CONTRIBUINTE_ID.value_or(0));
    const std::vector<LinhaCNAEF> cnaef = dm.CNAEFDoAnoBase(dm.LerParametro(tr, "ANOEXERCICIO"));
    return consistirNaTransacao(tr, d, {dm.MainConnection, contribuinte, dm.ref.cdsConsistencias, cnaef}, listas);
}

}  // namespace

int ConsistirDocumento(Tdm& dm, int documentoId, ListasConsistencia& listas) {
    if (!dm.ref.abertas) dm.AbrirReferencias();
    fb::Transacao tr(dm.MainConnection);
    const int status = consistirPelaChave(tr, dm, documentoId, listas);
    tr.commit();
    return status;
}

DestinoCorrecao DestinoDaCorrecao(const std::string& erro, const std::vector<LinhaConsistencia>& consistencias) {
    DestinoCorrecao d;
    if (erro == "00") {  // conferência dos totais: o editor, sem página forçada
        d.forma = FormaCorrecao::Editor;
        return d;
    }
    const auto l = std::find_if(consistencias.begin(), consistencias.end(),
                                [&](const LinhaConsistencia& c) { return c.ERRO == erro; });
    if (l == consistencias.end()) return d;
    d.aba = l->ABA;
    d.campo = l->CAMPO;
    if (l->FORMULARIO == "1") {
        static const std::pair<const char*, PaginaCorrecao> paginas[] = {{"DOCUMENTO", PaginaCorrecao::Documento},
                                                                         {"PRELO", PaginaCorrecao::Prelo},
                                                                         {"KOV", PaginaCorrecao::KOV},
                                                                         {"GI", PaginaCorrecao::GI}};
        d.forma = FormaCorrecao::Editor;
        for (const auto& [nome, p] : paginas)
            if (l->PAGINA == nome) d.pagina = p;
    } else if (l->FORMULARIO == "2") {
        // As telas de detalhamento na ordem dos tipos de operação 1 a 6
        static const char* const telas[] = {"ENTRADAS_ESTADO", "ENTRADAS_OUTROS", "ENTRADAS_EXTERIOR",
                                            "SAIDAS_ESTADO",   "SAIDAS_OUTROS",   "SAIDAS_EXTERIOR"};
        for (int i = 0; i < 6; ++i)
            if (l->ABA == telas[i]) d.tipoOperacao = i + 1;
        if (d.tipoOperacao) d.forma = FormaCorrecao::Detalhamento;
    }
    return d;
}

namespace {

// Títulos das páginas do editor e das abas pela ABA da tabela, em cada página.
const char* TituloPagina(PaginaCorrecao p) {
    switch (p) {
        case PaginaCorrecao::Documento: return "Documento";
        case PaginaCorrecao::Prelo: return "PRELO";
        case PaginaCorrecao::KOV: return "KOV";
        case PaginaCorrecao::GI: return "GI";
        case PaginaCorrecao::Nenhuma: break;
    }
    return nullptr;
}

struct TituloAba {
    PaginaCorrecao pagina;
    const char* aba;
    const char* titulo;
};
constexpr TituloAba TitulosAbas[] = {
    {PaginaCorrecao::Prelo, "SIMPLES_ENTRADAS", "Entrada"},
    {PaginaCorrecao::Prelo, "SIMPLES_SAIDAS", "Saida"},
    {PaginaCorrecao::Prelo, "DEBCRED_DRO", "DRO - Despesas Operacionais"},
    {PaginaCorrecao::Prelo, "DEBCRED_SAIDAS", "Saida"},
    {PaginaCorrecao::Prelo, "ENTRADAS", "Entrada"},
    {PaginaCorrecao::Prelo, "SAIDAS", "Saida"},
    {PaginaCorrecao::KOV, "EXCLUSOES", "Exclusões KOV"},
    {PaginaCorrecao::KOV, "KOV", "KOV"},
    {PaginaCorrecao::KOV, "DETALHAMENTO", "Detalhamento de outras entradas"},
    {PaginaCorrecao::GI, "ENTRADAS", "Entradas"},
    {PaginaCorrecao::GI, "SAIDAS", "Saidas"},
};

// O rótulo do campo na aba (a linha do quadro ou o título da coluna da grade). Campos que a
// tela não mostra com esse nome (totais das exclusões) ficam de fora: a aba basta.
struct TituloCampo {
    const char* aba;
    const char* campo;
    const char* titulo;
};
constexpr TituloCampo TitulosCampos[] = {
    {"SIMPLES_ENTRADAS", "PRODUTOSAGROP", "Produtos Agropecuários"},
    {"SIMPLES_ENTRADAS", "VCTOTALSIMPLES", "Entradas Simplificadas"},
    {"SIMPLES_SAIDAS", "VCTOTALSIMPLES", "Saídas Simplificadas"},
    {"DEBCRED_DRO", "RECEITABRUTA", "Receita Bruta"},
    {"DEBCRED_SAIDAS", "COOPERATIVA", "Cooperativas"},
    {"DEBCRED_SAIDAS", "AJUSTETRANSFERENCIA", "Ajuste de Transferências"},
    {"ENTRADAS", "AJUSTETRANSFERENCIA", "Ajuste de Transferências"},
    {"KOV", "SAIDAS", "Saídas"},
    {"KOV", "ENTRADAS", "Entradas"},
    {"KOV", "OUTRASENTRADAS", "Outras Entradas"},
    {"DETALHAMENTO", "VALOR", "Valor"},
    {"ENTRADAS", "VALORCONTABIL", "Valor Contábil"},
    {"ENTRADAS", "BASECALCULO", "Base de Cálculo"},
    {"SAIDAS", "VALORCONTABILCONT", "Valor Contábil Contribuinte"},
    {"SAIDAS", "BASECALCULOCONT", "Base de Cálculo Contribuinte"},
};

std::string entreAspas(const char* t) { return std::string("\"") + t + "\""; }

}  // namespace

std::string OndeCorrigir(const DestinoCorrecao& d) {
    if (d.forma == FormaCorrecao::Nenhuma) return "Não se corrige pela lista de consistências; veja a dica";
    if (d.forma == FormaCorrecao::Detalhamento) return "Tela " + entreAspas(TituloDetalhamento(d.tipoOperacao));
    std::string s = "Editor da declaração";
    const char* pagina = TituloPagina(d.pagina);
    if (!pagina) return s;
    s += ", página " + entreAspas(pagina);
    if (d.pagina == PaginaCorrecao::Documento) {
        if (d.aba == "MUDANCAMUNICIPIO") s += ", \"Mudou de município\"";
        return s;
    }
    const auto aba = std::find_if(std::begin(TitulosAbas), std::end(TitulosAbas),
                                  [&](const TituloAba& a) { return a.pagina == d.pagina && d.aba == a.aba; });
    if (aba == std::end(TitulosAbas)) return s;
    s += ", aba " + entreAspas(aba->titulo);
    for (const TituloCampo& c : TitulosCampos)
        if (d.aba == c.aba && d.campo == c.campo) return s + ", campo " + entreAspas(c.titulo);
    return s;
}

int SalvarEConsistir(Tdm& dm, Declaracao& d, const Contribuinte& contribuinte, int anoCorrente,
                     const std::string& anoExercicio, ListasConsistencia& listas) {
    if (!dm.ref.abertas) dm.AbrirReferencias();
    fb::Transacao tr(dm.MainConnection);
    SalvarDeclaracao(tr, dm.MainConnection, d, contribuinte, anoCorrente, anoExercicio);
    const int status = consistirPelaChave(tr, dm, d.doc.DOCUMENTO_ID, listas);
    PontoDeParadaDurante("gravacao-declaracao");
    tr.commit();
    MarcarComoGravada(d);
    return status;
}

}  // namespace kov
