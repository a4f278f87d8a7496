#include "data/Figuras.h"

#include <initializer_list>

#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "data/untUtils.h"

namespace kov {

namespace {

// Soma de colunas que aceitam nulo; nulo conta como zero.
Dinheiro soma(std::initializer_list<Quantia> parcelas) {
    Dinheiro t;
    for (const auto& p : parcelas) t += v(p);
    return t;
}

template <class F>
Dinheiro somaCategorias(F valorDaCategoria) {
    Dinheiro t;
    for (const auto& c : CategoriasES()) t += valorDaCategoria(c);
    return t;
}

}  // namespace

// --- Campos calculados ------------------------------------------------------------------

Dinheiro calcIniTotal(const Estoque& e) { return soma({e.INITRIBUTADOS, e.INISST, e.INIISENTO, e.INIOUTROS}); }

Dinheiro calcFimTotal(const Estoque& e) { return soma({e.FIMTRIBUTADOS, e.FIMSST, e.FIMISENTO, e.FIMOUTROS}); }

Dinheiro calcTotal(const DespesasOperacionais& d) {
    return soma({d.PROLABORE, d.SALARIOSCOMISSOES, d.ENCARGOSSOCIAIS, d.SERVICOSPROF, d.PROPAGANDAPUB,
                 d.TRIBUTOSTAXAS, d.ALUGUELCOND, d.AGUALUZTEL, d.FRETECARRETO, d.COMBUSTIVEL, d.SEGURO,
                 d.DESPESAFINACEIRA, d.DESPESAGERAIS, d.OUTRAS});
}

Dinheiro calcReceitaLiquida(const ResultadoOperacional& r) {
    return v(r.RECEITABRUTA) - v(r.DEVOLUCAOABATIMENTO) - v(r.IMPOSTO);
}

Dinheiro calcLucroPrejuizo(const ResultadoOperacional& r) { return calcReceitaLiquida(r) - v(r.CMSCPSCSP); }

Dinheiro calcLucroPrejuizoOperacional(const ResultadoOperacional& r) {
    return calcLucroPrejuizo(r) - v(r.DESPESAOPERACIONAL) + v(r.OUTRASRECEITASOPERACIONAIS) -
           v(r.OUTRASDESPESASOPERACIONAIS) + v(r.CORRECAOMONETARIA);
}

Dinheiro calcTotalEntradas(const Kov& k) { return v(k.ENTRADAS) + v(k.OUTRASENTRADAS); }

Dinheiro calcTotalKOV(const Kov& k) { return v(k.SAIDAS) - calcTotalEntradas(k); }

Dinheiro calcEntTotal(const ExclusoesKov& x) {
    return soma({x.ENTICMSST, x.ENTIPI, x.ENTATIVOIMOBILIZADO, x.ENTMATERIALUSO, x.ENTENERGIAELETRICACOMUNICACAO,
                 x.ENTTRANSPORTE, x.ENTSUBCONTRATACAOTRANSPORTE, x.ENTOUTRAS, x.ENTAJUSTETRANSFERENCIA});
}

Dinheiro calcSaiTotal(const ExclusoesKov& x) {
    return soma({x.SAIICMSST, x.SAIIPI, x.SAIATIVOIMOBILIZADO, x.SAIMATERIALUSO, x.SAITRANPORTESINICIADOOUTRA,
                 x.SAIOUTRAS, x.SAIAJUSTETRANSFERENCIA});
}

#define KOV_CATEGORIA_ES(CAT, CAMPO) \
    CategoriaES{#CAT, CAMPO, &DetalhamentoES::VC##CAT, &DetalhamentoES::BC##CAT, &DetalhamentoES::ICMS##CAT, \
                &DetalhamentoES::OPSICMS##CAT}

const std::array<CategoriaES, 7>& CategoriasES() {
    static const std::array<CategoriaES, 7> categorias = {
        KOV_CATEGORIA_ES(COMPRAVENDA, "calcOPSICMSCompraVenda"),
        KOV_CATEGORIA_ES(TRANSFERENCIA, "calcOPSICMSTransferencia"),
        KOV_CATEGORIA_ES(DEVOLUCAO, "calcOPSICMSDevolucao"),
        KOV_CATEGORIA_ES(ENERGIAELETRICA, "calcOPSICMSEnergiaEletrica"),
        KOV_CATEGORIA_ES(COMUNICACAO, "calcOPSICMSComunicacao"),
        KOV_CATEGORIA_ES(TRANSPORTE, "calcOPSICMSTransporte"),
        KOV_CATEGORIA_ES(OUTRAS, "calcOPSICMSOutras"),
    };
    return categorias;
}

#undef KOV_CATEGORIA_ES

Dinheiro calcOPSICMS(const DetalhamentoES& d, const CategoriaES& c) { return v(d.*c.VC) - v(d.*c.BC); }

Dinheiro calcVCSubTotal(const DetalhamentoES& d) {
    return somaCategorias([&](const CategoriaES& c) { return v(d.*c.VC); });
}

Dinheiro calcBCSubTotal(const DetalhamentoES& d) {
    return somaCategorias([&](const CategoriaES& c) { return v(d.*c.BC); });
}

Dinheiro calcICMSSubTotal(const DetalhamentoES& d) {
    return somaCategorias([&](const CategoriaES& c) { return v(d.*c.ICMS); });
}

Dinheiro calcOPSICMSSubTotal(const DetalhamentoES& d) {
    return somaCategorias([&](const CategoriaES& c) { return calcOPSICMS(d, c); });
}

std::string UF_DESCRICAO(const LinhaUF& uf) { return uf.UF_ID + " - " + uf.DESCRICAO; }

std::string calcMesInicial(const Documento& doc) { return NomeMes(doc.MESINICIAL.value_or(0)); }

std::string calcMesFinal(const Documento& doc) { return NomeMes(doc.MESFINAL.value_or(0)); }

// --- Situação de entrega --------------------------------------------------------------------

std::string Situacao(const std::vector<LinhaTransmissao>& entregas) {
    if (entregas.empty()) return "N";
    // Percorrer em ordem de data e hora não muda o resultado: uma transmissão encerra a
    // busca e nenhuma gravação em disco depois dela a desfaz. Um tipo desconhecido não
    // muda o que já se achou.
    bool gravada = false;
    for (const auto& e : entregas) {
        if (e.TIPOTRANSMISSAO == "T") return "T";
        if (e.TIPOTRANSMISSAO == "D") gravada = true;
    }
    return gravada ? "D" : "";
}

std::string SituacaoDaDeclaracao(const std::vector<LinhaTransmissao>& todas, std::optional<int> documentoId) {
    if (!documentoId) return {};
    std::vector<LinhaTransmissao> daDeclaracao;
    for (const auto& e : todas)
        if (e.DOCUMENTO_ID == documentoId) daDeclaracao.push_back(e);
    return Situacao(daDeclaracao);
}

// --- Totais gravados -----------------------------------------------------------------------

void TotaisAntesDeGravar(Estoque& e) {
    e.INITOTAL = calcIniTotal(e);
    e.FIMTOTAL = calcFimTotal(e);
}

void TotaisAntesDeGravar(DespesasOperacionais& d) { d.TOTAL = calcTotal(d); }

void TotaisAntesDeGravar(ResultadoOperacional& r) {
    r.RECEITALIQUIDA = calcReceitaLiquida(r);
    r.LUCROPREJUIZOBRUTO = calcLucroPrejuizo(r);
    r.LUCROPREJUIZOOPERACIONAL = calcLucroPrejuizoOperacional(r);
}

void TotaisAntesDeGravar(Kov& k) {
    k.TOTALENTRADAS = calcTotalEntradas(k);
    k.TOTALKOV = calcTotalKOV(k);
}

void TotaisAntesDeGravar(ExclusoesKov& x) {
    x.ENTTOTAL = calcEntTotal(x);
    x.SAITOTAL = calcSaiTotal(x);
}

void TotaisAntesDeGravar(DetalhamentoES& d) {
    for (const auto& c : CategoriasES()) d.*c.OPSICMS = calcOPSICMS(d, c);
    d.VCSUBTOTAL = calcVCSubTotal(d);
    d.BCSUBTOTAL = calcBCSubTotal(d);
    d.ICMSSUBTOTAL = calcICMSSubTotal(d);
    d.OPSICMSSUBTOTAL = calcOPSICMSSubTotal(d);
}

void TotaisAntesDeGravar(Declaracao& d) {
    if (d.estoque) TotaisAntesDeGravar(*d.estoque);
    if (d.despesas) TotaisAntesDeGravar(*d.despesas);
    if (d.resultado) TotaisAntesDeGravar(*d.resultado);
    if (d.kov) TotaisAntesDeGravar(*d.kov);
    if (d.exclusoes) TotaisAntesDeGravar(*d.exclusoes);
    for (auto& e : d.detalhamentoES) TotaisAntesDeGravar(e);
}

// --- Somas correntes -------------------------------------------------------------------------

SomasGIEntrada SomarGIEntrada(const std::vector<GIEntrada>& linhas) {
    SomasGIEntrada s;
    for (const auto& l : linhas) {
        s.agTotalVC += v(l.VALORCONTABIL);
        s.agTotalBC += v(l.BASECALCULO);
        s.agTotalOE += v(l.OUTRASENTRADAS);
        s.agTotalSP += v(l.STPETROLEO);
        s.agTotalSO += v(l.STOUTROS);
    }
    return s;
}

SomasGISaidas SomarGISaidas(const std::vector<GISaidas>& linhas) {
    SomasGISaidas s;
    for (const auto& l : linhas) {
        s.agTotalVCC += v(l.VALORCONTABILCONT);
        s.agTotalVCNC += v(l.VALORCONTABILNAOCONT);
        s.agTotalBCC += v(l.BASECALCULOCONT);
        s.agTotalBCNC += v(l.BASECALCULONAOCONT);
        s.agTotalOS += v(l.OUTRASSAIDAS);
        s.agTotalST += v(l.SUBSTTRIBUTARIA);
    }
    // Cada parcela nula conta zero: a linha não some da soma por falta de um dos lados.
    s.agTotalVC = s.agTotalVCC + s.agTotalVCNC;
    s.agTotalBC = s.agTotalBCC + s.agTotalBCNC;
    return s;
}

SomasDetalhamentoEntrada SomarDetalhamentoEntrada(const std::vector<DetalhamentoEntrada>& linhas,
                                                  FiltroMudanca filtro) {
    SomasDetalhamentoEntrada s;
    for (const auto& l : linhas) {
        if (filtro == FiltroMudanca::SoMudancaMunicipio && l.MUDANCAMUNICIPIO != "S") continue;
        s.agTotalValor += v(l.VALOR);
        s.agTotalValorMudanca += v(l.VALORMUDANCA);
    }
    return s;
}

// --- Totais de entradas e saídas --------------------------------------------------------------

namespace {

template <class Secao>
void zerarTotais(Secao& s) {
    s.VCTOTAL = Dinheiro{};
    s.BCTOTAL = Dinheiro{};
    s.ICMSTOTAL = Dinheiro{};
    s.OPSEMICMSTOTAL = Dinheiro{};
}

// Soma os subtotais gravados da linha; VCESTADO, VCOUTROS e VCEXTERIOR recebem o
// VCSUBTOTAL do tipo que lhes corresponde (posição 0, 1, 2 dentro de entradas ou saídas).
template <class Secao>
void acumularLinha(Secao& s, const DetalhamentoES& l, int posicao) {
    s.VCTOTAL = v(s.VCTOTAL) + v(l.VCSUBTOTAL);
    s.BCTOTAL = v(s.BCTOTAL) + v(l.BCSUBTOTAL);
    s.ICMSTOTAL = v(s.ICMSTOTAL) + v(l.ICMSSUBTOTAL);
    s.OPSEMICMSTOTAL = v(s.OPSEMICMSTOTAL) + v(l.OPSICMSSUBTOTAL);
    Quantia Secao::*destino[] = {&Secao::VCESTADO, &Secao::VCOUTROS, &Secao::VCEXTERIOR};
    s.*destino[posicao] = v(l.VCSUBTOTAL);
}

}  // namespace

void TotalizarEntradasSaidas(Declaracao& d) {
    if (d.entrada) zerarTotais(*d.entrada);
    if (d.saida) zerarTotais(*d.saida);
    for (const auto& l : d.detalhamentoES) {
        const int tipo = l.TIPOOPERACAO_ID;
        if (tipo >= 1 && tipo <= 3 && d.entrada) acumularLinha(*d.entrada, l, tipo - 1);
        if (tipo >= 4 && tipo <= 6 && d.saida) acumularLinha(*d.saida, l, tipo - 4);
    }
}

Dinheiro SomarTransporteSaidas(const Declaracao& d) {
    Dinheiro t;
    for (const auto& l : d.detalhamentoES)
        if (l.TIPOOPERACAO_ID >= 4 && l.TIPOOPERACAO_ID <= 6) t += v(l.VCTRANSPORTE);
    return t;
}

// --- Apuração do KOV ----------------------------------------------------------------------------

namespace {

// Um tipo de contribuinte nulo não é o transportador (0) nem o de mudança (3).
int tipoContribuinte(const Documento& doc) { return doc.TIPOCONTRIBUINTE_ID.value_or(-1); }

bool mudancaNoAnoCorrente(const Documento& doc) { return doc.MUDANCAMUNICIPIOANOCORRENTE != "N"; }

struct Exclusoes {
    Dinheiro ET, ST;
};
Exclusoes exclusoesDe(const Declaracao& d) {
    if (!d.exclusoes) return {};
    return {calcEntTotal(*d.exclusoes), calcSaiTotal(*d.exclusoes)};
}

// Casos A e D: os livros de entradas e saídas, com o total do regime (VCTOTAL ou VCTOTALSIMPLES).
FigurasKOV pelosLivros(const Declaracao& d, Quantia Entrada::*totalEntradas, Quantia Saida::*totalSaidas) {
    const Entrada e = d.entrada.value_or(Entrada{});
    const Saida s = d.saida.value_or(Saida{});
    const Exclusoes x = exclusoesDe(d);
    FigurasKOV f;
    f.entradas = v(e.*totalEntradas) + v(e.AJUSTETRANSFERENCIA) + v(e.AUTUACAODENUNCIA) - v(e.PRODUTOSAGROP) - x.ET;
    f.saidas = v(s.*totalSaidas) + v(s.AJUSTETRANSFERENCIA) + v(s.TRANSPORTETOMADO) + v(s.AUTUACAODENUNCIA) - x.ST;
    return f;
}

// Casos B e E: as saídas vêm do transporte prestado (B) ou do total do regime simplificado
// (E); as entradas são presumidas em 20 % das saídas, depois de conhecidas as saídas.
FigurasKOV presumidas(const Declaracao& d, Dinheiro baseDasSaidas) {
    const Entrada e = d.entrada.value_or(Entrada{});
    const Saida s = d.saida.value_or(Saida{});
    const Exclusoes x = exclusoesDe(d);
    FigurasKOV f;
    f.saidas = v(s.AUTUACAODENUNCIA) + baseDasSaidas + v(e.PRODUTOSAGROP) - (x.ET + x.ST);
    f.entradas = EntradasVintePorCento(f.saidas, v(e.PRODUTOSAGROP));
    return f;
}

}  // namespace

bool RegimeCompleto(const Documento& doc) {
    const int r = doc.REGIME_ID.value_or(0);
    return r == 1 || r == 2 || r == 4;
}

CasoKOV CasoDoKOV(const Documento& doc) {
    const bool transportador = tipoContribuinte(doc) == 0;
    if (RegimeCompleto(doc)) return !transportador && !mudancaNoAnoCorrente(doc) ? CasoKOV::A : CasoKOV::B;
    if (mudancaNoAnoCorrente(doc)) return CasoKOV::C;
    return transportador ? CasoKOV::E : CasoKOV::D;
}

Dinheiro EntradasVintePorCento(Dinheiro saidas, Dinheiro produtosAgrop) {
    // 20 % = 1/5; dividir os centavos por 500 dá reais. Arredondar direto para reais evita o
    // duplo arredondamento (primeiro para centavos, depois para reais) que levaria, por
    // exemplo, 201,498 a 202 em vez de 201.
    return Dinheiro::deReais(dividirMeioParaPar((saidas - produtosAgrop).centavos(), 500));
}

FigurasKOV FigurasDoKOV(const Declaracao& d, CasoKOV caso) {
    switch (caso) {
        case CasoKOV::A: return pelosLivros(d, &Entrada::VCTOTAL, &Saida::VCTOTAL);
        case CasoKOV::D: return pelosLivros(d, &Entrada::VCTOTALSIMPLES, &Saida::VCTOTALSIMPLES);
        case CasoKOV::B: return presumidas(d, SomarTransporteSaidas(d));
        case CasoKOV::E: return presumidas(d, d.saida ? v(d.saida->VCTOTALSIMPLES) : Dinheiro{});
        case CasoKOV::C: break;
    }
    if (!d.kov) return {};
    return {v(d.kov->SAIDAS), v(d.kov->ENTRADAS)};
}

Dinheiro OutrasEntradasDeMudanca(const Declaracao& d) {
    const Entrada e = d.entrada.value_or(Entrada{});
    const Saida s = d.saida.value_or(Saida{});
    const auto mudanca = SomarDetalhamentoEntrada(d.detalhamentoEntrada, FiltroMudanca::SoMudancaMunicipio);
    return v(e.PRODUTOSAGROP) + v(e.ENERGIAELETRICA) + v(s.TRANSPORTETOMADO) + v(s.COOPERATIVA) +
           mudanca.agTotalValorMudanca;
}

void CalcularOutrasEntradas(Declaracao& d) {
    if (!d.kov) return;
    Kov& k = *d.kov;
    switch (tipoContribuinte(d.doc)) {
        case 0: k.OUTRASENTRADAS = v(k.SAIDAS) - v(k.ENTRADAS); break;  // fecha o KOV em zero
        case 3: k.OUTRASENTRADAS = OutrasEntradasDeMudanca(d); break;
        default: break;  // digitadas pelo usuário
    }
}

void CalcularKOV(Declaracao& d) {
    // A linha do KOV é criada ao gravar a declaração; se ainda faltar, nasce zerada como
    // qualquer linha nova, para que a apuração tenha onde ficar.
    if (!d.kov) {
        d.kov.emplace();
        ZerarCampos(*d.kov);
        d.kov->DOCUMENTO_ID = d.doc.DOCUMENTO_ID;
    }
    const CasoKOV caso = CasoDoKOV(d.doc);
    if (caso != CasoKOV::C) {
        const FigurasKOV f = FigurasDoKOV(d, caso);
        d.kov->SAIDAS = f.saidas;
        d.kov->ENTRADAS = f.entradas;
    }
    CalcularOutrasEntradas(d);
    // Os totais seguem as parcelas como na gravação, para a tela e a consistência verem o mesmo.
    TotaisAntesDeGravar(*d.kov);
}

// --- Consultas à base ---------------------------------------------------------------------------

namespace {

bool existeTransferencia(fb::Conexao& c, int documentoId, const char* tipos) {
    auto tr = fb::Transacao::leitura(c);
    fb::Comando q(tr, std::string("SELECT SUM(VCTRANSFERENCIA) FROM DETALHAMENTOES "
                                  "WHERE DOCUMENTO_ID = :DOCUMENTO_ID AND TIPOOPERACAO_ID IN (") +
                          tipos + ")");
    q.param("DOCUMENTO_ID", documentoId);
    // Sem linhas a soma é nula, e nula conta como zero.
    const Dinheiro total = q.proximo() ? q.coluna(0).dinheiro() : Dinheiro{};
    tr.commit();
    return total > Dinheiro{};
}

}  // namespace

bool ExisteTransferenciaEntradas(fb::Conexao& c, int documentoId) { return existeTransferencia(c, documentoId, "1, 2"); }

bool ExisteTransferenciaSaidas(fb::Conexao& c, int documentoId) { return existeTransferencia(c, documentoId, "4, 5"); }

}  // namespace kov
