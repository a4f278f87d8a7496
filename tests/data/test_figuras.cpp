// Os números derivados da declaração: totais de exibição e gravados, somas correntes,
// totais de entradas e saídas, apuração do KOV, situação de entrega e as consultas de
// transferência sobre uma base real.
#include <gtest/gtest.h>

#include <set>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "data/Declaracao.h"
#include "data/Figuras.h"
#include "data/LinhasBanco.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/ErroBanco.h"
#include "data/fb/Transacao.h"

using namespace kov;

namespace {

Dinheiro R(const char* texto) { return Dinheiro::deTexto(texto); }

// Dá o mesmo valor a toda coluna monetária da linha.
template <class L>
void preencherTudo(L& l, Dinheiro valor) {
    for (const auto& c : L::colunas())
        if (auto m = std::get_if<Quantia L::*>(&c.membro)) l.*(*m) = valor;
}

// Verifica que só as colunas nomeadas mudaram entre 'antes' e 'depois'.
template <class L>
void soMudaram(const L& antes, const L& depois, std::set<std::string> permitidas) {
    for (const auto& c : L::colunas()) {
        if (permitidas.count(c.nome)) continue;
        EXPECT_EQ(ValorColuna(antes, c), ValorColuna(depois, c)) << "coluna alterada: " << c.nome;
    }
}

DetalhamentoES linhaES(int tipo) {
    DetalhamentoES l;
    l.TIPOOPERACAO_ID = tipo;
    ZerarCampos(l);
    return l;
}

Declaracao declaracao(int regime, int tipoContribuinte, const char* mmac) {
    Declaracao d;
    d.doc.DOCUMENTO_ID = 10;
    d.doc.REGIME_ID = regime;
    d.doc.TIPOCONTRIBUINTE_ID = tipoContribuinte;
    d.doc.MUDANCAMUNICIPIOANOCORRENTE = mmac;
    d.entrada.emplace();
    ZerarCampos(*d.entrada);
    d.saida.emplace();
    ZerarCampos(*d.saida);
    d.exclusoes.emplace();
    ZerarCampos(*d.exclusoes);
    d.kov.emplace();
    ZerarCampos(*d.kov);
    return d;
}

// Transportador do caso B cujo transporte prestado nas saídas soma 'transporte'.
Declaracao transportadorComSaidas(Dinheiro transporte) {
    Declaracao d = declaracao(2, 0, "N");
    d.detalhamentoES.push_back(linhaES(4));
    d.detalhamentoES.back().VCTRANSPORTE = transporte;
    return d;
}

LinhaTransmissao entrega(int documento, const char* tipo) {
    LinhaTransmissao t;
    t.DOCUMENTO_ID = documento;
    t.TIPOTRANSMISSAO = tipo;
    return t;
}

}  // namespace

// --- Campos calculados ---------------------------------------------------------------------

TEST(FigurasCalculadas, EstoqueSomaCadaPontaSemMisturarAsColunas) {
    Estoque e;
    e.INITRIBUTADOS = R("100,10");
    e.INISST = R("200,20");
    e.INIOUTROS = R("-50,05");  // INIISENTO nulo vale zero
    e.FIMTRIBUTADOS = R("1");
    e.FIMSST = R("2");
    e.FIMISENTO = R("3");
    e.FIMOUTROS = R("4,99");
    e.INITOTAL = R("999999");  // o total guardado não entra na conta
    EXPECT_EQ(calcIniTotal(e), R("250,25"));
    EXPECT_EQ(calcFimTotal(e), R("10,99"));
}

TEST(FigurasCalculadas, DespesasSomamAsQuatorzeParcelasEDeixamOTotalDeFora) {
    DespesasOperacionais d;
    // Cada parcela com um bit próprio: uma parcela esquecida ou somada duas vezes muda o resultado.
    int64_t bit = 1, esperado = 0;
    for (const auto& c : DespesasOperacionais::colunas()) {
        auto m = std::get_if<Quantia DespesasOperacionais::*>(&c.membro);
        if (!m) continue;
        d.*(*m) = Dinheiro::deCentavos(bit);
        if (std::string(c.nome) != "TOTAL") esperado += bit;
        bit *= 2;
    }
    EXPECT_EQ(calcTotal(d), Dinheiro::deCentavos(esperado));
    EXPECT_EQ(esperado, (int64_t{1} << 14) - 1);
}

TEST(FigurasCalculadas, ResultadoOperacionalEncadeiaOsCalculadosENaoOsGuardados) {
    ResultadoOperacional r;
    r.RECEITABRUTA = R("10000");
    r.DEVOLUCAOABATIMENTO = R("500,50");
    r.IMPOSTO = R("1200,25");
    r.CMSCPSCSP = R("5000");
    r.DESPESAOPERACIONAL = R("1000");
    r.OUTRASRECEITASOPERACIONAIS = R("200,10");
    r.OUTRASDESPESASOPERACIONAIS = R("50,05");
    r.CORRECAOMONETARIA = R("-10");
    // Guardados desatualizados não podem influir
    r.RECEITALIQUIDA = R("1");
    r.LUCROPREJUIZOBRUTO = R("2");
    EXPECT_EQ(calcReceitaLiquida(r), R("8299,25"));
    EXPECT_EQ(calcLucroPrejuizo(r), R("3299,25"));
    EXPECT_EQ(calcLucroPrejuizoOperacional(r), R("2439,30"));
    // Prejuízo: valores negativos seguem a mesma conta
    r.CMSCPSCSP = R("9000");
    EXPECT_EQ(calcLucroPrejuizo(r), R("-700,75"));
    EXPECT_EQ(calcLucroPrejuizoOperacional(r), R("-1560,70"));
}

TEST(FigurasCalculadas, TotaisDoKov) {
    Kov k;
    k.SAIDAS = R("1000");
    k.ENTRADAS = R("300");
    k.OUTRASENTRADAS = R("150,50");
    k.TOTALENTRADAS = R("7");  // guardado desatualizado
    EXPECT_EQ(calcTotalEntradas(k), R("450,50"));
    EXPECT_EQ(calcTotalKOV(k), R("549,50"));
    k.SAIDAS.reset();
    EXPECT_EQ(calcTotalKOV(k), R("-450,50"));
}

TEST(FigurasCalculadas, ExclusoesDeixamDeForaOsCincoParesJuntadosEmOutras) {
    ExclusoesKov x;
    preencherTudo(x, R("1"));
    x.ENTTOTAL = R("0");
    x.SAITOTAL = R("0");
    // Nove parcelas de entrada e sete de saída contam; os cinco pares e os totais não.
    for (auto m : {&ExclusoesKov::ENTENTREGAFUTURA, &ExclusoesKov::ENTMERCADORIASUSP, &ExclusoesKov::ENTSIMPLESREMESSA,
                   &ExclusoesKov::ENTARMAZENAMENTODEPOSITO, &ExclusoesKov::ENTCONSIGNACAO, &ExclusoesKov::SAIENTREGAFUTURA,
                   &ExclusoesKov::SAIMERCADIORIASUSP, &ExclusoesKov::SAISIMPLESREMESSA,
                   &ExclusoesKov::SAIARMAZENAMENTODEPOSITO, &ExclusoesKov::SAICONSIGNACAO, &ExclusoesKov::ENTTOTAL,
                   &ExclusoesKov::SAITOTAL})
        x.*m = R("1000000");
    EXPECT_EQ(calcEntTotal(x), R("9"));
    EXPECT_EQ(calcSaiTotal(x), R("7"));
    // As colunas de ajuste, acrescentadas depois e nulas nas bases antigas, contam zero
    x.ENTAJUSTETRANSFERENCIA.reset();
    x.SAIAJUSTETRANSFERENCIA.reset();
    EXPECT_EQ(calcEntTotal(x), R("8"));
    EXPECT_EQ(calcSaiTotal(x), R("6"));
    x.ENTOUTRAS = R("-20,50");
    EXPECT_EQ(calcEntTotal(x), R("-13,50"));
}

TEST(FigurasCalculadas, DetalhamentoPorCategoriaESubtotais) {
    const auto& cats = CategoriasES();
    std::set<std::string> nomes, campos;
    for (const auto& c : cats) {
        nomes.insert(c.nome);
        campos.insert(c.campoOPSICMS);
    }
    EXPECT_EQ(nomes, (std::set<std::string>{"COMPRAVENDA", "TRANSFERENCIA", "DEVOLUCAO", "ENERGIAELETRICA",
                                           "COMUNICACAO", "TRANSPORTE", "OUTRAS"}));
    EXPECT_EQ(campos.size(), 7u);
    EXPECT_STREQ(cats[0].campoOPSICMS, "calcOPSICMSCompraVenda");
    EXPECT_STREQ(cats[3].campoOPSICMS, "calcOPSICMSEnergiaEletrica");

    DetalhamentoES d = linhaES(1);
    d.VCCOMPRAVENDA = R("1000");
    d.BCCOMPRAVENDA = R("800,40");
    d.ICMSCOMPRAVENDA = R("136,07");
    d.VCTRANSFERENCIA = R("50");
    d.BCTRANSFERENCIA = R("70");  // base maior que o valor: sem crédito negativo
    d.ICMSTRANSFERENCIA = R("8,40");
    d.VCOUTRAS = R("0,01");
    d.BCOUTRAS.reset();
    // Subtotais guardados desatualizados não entram
    d.VCSUBTOTAL = R("123456");
    d.OPSICMSSUBTOTAL = R("654321");
    EXPECT_EQ(calcOPSICMS(d, cats[0]), R("199,60"));
    EXPECT_EQ(calcOPSICMS(d, cats[1]), R("-20"));
    EXPECT_EQ(calcOPSICMS(d, cats[6]), R("0,01"));
    EXPECT_EQ(calcVCSubTotal(d), R("1050,01"));
    EXPECT_EQ(calcBCSubTotal(d), R("870,40"));
    EXPECT_EQ(calcICMSSubTotal(d), R("144,47"));
    EXPECT_EQ(calcOPSICMSSubTotal(d), R("179,61"));
    // Cada categoria aponta para as suas próprias colunas
    DetalhamentoES z = linhaES(2);
    for (const auto& c : cats) {
        DetalhamentoES l = z;
        l.*c.VC = R("5");
        EXPECT_EQ(calcOPSICMS(l, c), R("5")) << c.nome;
        EXPECT_EQ(calcVCSubTotal(l), R("5")) << c.nome;
        l.*c.BC = R("2");
        l.*c.ICMS = R("0,34");
        EXPECT_EQ(calcBCSubTotal(l), R("2")) << c.nome;
        EXPECT_EQ(calcICMSSubTotal(l), R("0,34")) << c.nome;
        EXPECT_EQ(calcOPSICMSSubTotal(l), R("3")) << c.nome;
    }
}

TEST(FigurasCalculadas, DescricaoDaUFENomesDosMeses) {
    EXPECT_EQ(UF_DESCRICAO(LinhaUF{"SP", "São Paulo"}), "SP - São Paulo");
    Documento doc;
    doc.MESINICIAL = 3;
    doc.MESFINAL = 12;
    EXPECT_EQ(calcMesInicial(doc), "Março");
    EXPECT_EQ(calcMesFinal(doc), "Dezembro");
    doc.MESINICIAL.reset();
    doc.MESFINAL = 13;
    EXPECT_EQ(calcMesInicial(doc), "");
    EXPECT_EQ(calcMesFinal(doc), "");
}

// --- Totais gravados ---------------------------------------------------------------------------

TEST(FigurasTotaisGravados, CadaLinhaGravaSoOsSeusTotais) {
    Estoque e;
    preencherTudo(e, R("10,01"));
    Estoque e0 = e;
    TotaisAntesDeGravar(e);
    EXPECT_EQ(v(e.INITOTAL), R("40,04"));
    EXPECT_EQ(v(e.FIMTOTAL), R("40,04"));
    soMudaram(e0, e, {"INITOTAL", "FIMTOTAL"});

    DespesasOperacionais d;
    preencherTudo(d, R("-1,50"));
    DespesasOperacionais d0 = d;
    TotaisAntesDeGravar(d);
    EXPECT_EQ(v(d.TOTAL), R("-21"));
    soMudaram(d0, d, {"TOTAL"});

    ResultadoOperacional r;
    preencherTudo(r, R("100"));
    ResultadoOperacional r0 = r;
    TotaisAntesDeGravar(r);
    EXPECT_EQ(v(r.RECEITALIQUIDA), R("-100"));
    EXPECT_EQ(v(r.LUCROPREJUIZOBRUTO), R("-200"));
    EXPECT_EQ(v(r.LUCROPREJUIZOOPERACIONAL), R("-200"));  // -200 -100 +100 -100 +100
    soMudaram(r0, r, {"RECEITALIQUIDA", "LUCROPREJUIZOBRUTO", "LUCROPREJUIZOOPERACIONAL"});

    Kov k;
    k.SAIDAS = R("900");
    k.ENTRADAS = R("250,25");
    k.OUTRASENTRADAS = R("49,75");
    Kov k0 = k;
    TotaisAntesDeGravar(k);
    EXPECT_EQ(v(k.TOTALENTRADAS), R("300"));
    EXPECT_EQ(v(k.TOTALKOV), R("600"));
    soMudaram(k0, k, {"TOTALENTRADAS", "TOTALKOV"});

    ExclusoesKov x;
    preencherTudo(x, R("2"));
    ExclusoesKov x0 = x;
    TotaisAntesDeGravar(x);
    EXPECT_EQ(v(x.ENTTOTAL), R("18"));
    EXPECT_EQ(v(x.SAITOTAL), R("14"));
    soMudaram(x0, x, {"ENTTOTAL", "SAITOTAL"});

    DetalhamentoES l = linhaES(5);
    for (const auto& c : CategoriasES()) {
        l.*c.VC = R("100");
        l.*c.BC = R("60,50");
        l.*c.ICMS = R("10");
        l.*c.OPSICMS = R("777");  // valor velho, recalculado
    }
    l.BCOUTRAS = R("150");
    DetalhamentoES l0 = l;
    TotaisAntesDeGravar(l);
    EXPECT_EQ(v(l.OPSICMSCOMPRAVENDA), R("39,50"));
    EXPECT_EQ(v(l.OPSICMSOUTRAS), R("-50"));
    EXPECT_EQ(v(l.VCSUBTOTAL), R("700"));
    EXPECT_EQ(v(l.BCSUBTOTAL), R("513"));
    EXPECT_EQ(v(l.ICMSSUBTOTAL), R("70"));
    EXPECT_EQ(v(l.OPSICMSSUBTOTAL), R("187"));
    std::set<std::string> totais{"VCSUBTOTAL", "BCSUBTOTAL", "ICMSSUBTOTAL", "OPSICMSSUBTOTAL"};
    for (const auto& c : CategoriasES()) totais.insert(std::string("OPSICMS") + c.nome);
    soMudaram(l0, l, totais);
}

TEST(FigurasTotaisGravados, LinhaComTudoNuloGravaTotaisZerados) {
    DetalhamentoES l;
    l.TIPOOPERACAO_ID = 1;
    TotaisAntesDeGravar(l);
    ASSERT_TRUE(l.VCSUBTOTAL.has_value());
    EXPECT_EQ(*l.VCSUBTOTAL, Dinheiro{});
    ASSERT_TRUE(l.OPSICMSCOMPRAVENDA.has_value());
    EXPECT_FALSE(l.VCCOMPRAVENDA.has_value());  // as parcelas nulas continuam nulas
}

TEST(FigurasTotaisGravados, DeclaracaoAplicaSoNasSecoesPresentes) {
    Declaracao d = declaracao(1, 1, "N");
    d.estoque.emplace();
    d.estoque->INITRIBUTADOS = R("5");
    d.kov->SAIDAS = R("10");
    d.exclusoes->ENTIPI = R("3");
    d.exclusoes->SAIIPI = R("4");
    d.detalhamentoES = {linhaES(1), linhaES(4)};
    d.detalhamentoES[0].VCDEVOLUCAO = R("8");
    d.detalhamentoES[1].BCCOMUNICACAO = R("6");
    d.entrada->VCTOTAL = R("12345");  // ENTRADA e SAIDA não têm totais próprios ao gravar
    const Entrada entradaAntes = *d.entrada;
    TotaisAntesDeGravar(d);
    EXPECT_EQ(v(d.estoque->INITOTAL), R("5"));
    EXPECT_EQ(v(d.kov->TOTALKOV), R("10"));
    EXPECT_EQ(v(d.exclusoes->ENTTOTAL), R("3"));
    EXPECT_EQ(v(d.exclusoes->SAITOTAL), R("4"));
    EXPECT_EQ(v(d.detalhamentoES[0].VCSUBTOTAL), R("8"));
    EXPECT_EQ(v(d.detalhamentoES[0].OPSICMSDEVOLUCAO), R("8"));
    EXPECT_EQ(v(d.detalhamentoES[1].OPSICMSSUBTOTAL), R("-6"));
    EXPECT_EQ(*d.entrada, entradaAntes);
    // Seções ausentes não são criadas
    EXPECT_FALSE(d.despesas.has_value());
    EXPECT_FALSE(d.resultado.has_value());
    Declaracao vazia;
    TotaisAntesDeGravar(vazia);
    EXPECT_FALSE(vazia.estoque || vazia.kov || vazia.exclusoes);
}

// --- Somas correntes ------------------------------------------------------------------------------

TEST(FigurasSomas, GIEntradaESaidasENulosContamZero) {
    std::vector<GIEntrada> ge(2);
    ge[0].UF_ID = "BA";
    ge[0].VALORCONTABIL = R("100,10");
    ge[0].BASECALCULO = R("80");
    ge[0].OUTRASENTRADAS = R("5");
    ge[0].STPETROLEO = R("1");
    ge[0].STOUTROS = R("2");
    ge[1].UF_ID = "SP";
    ge[1].VALORCONTABIL = R("-0,10");
    ge[1].STOUTROS = R("3,33");
    const auto e = SomarGIEntrada(ge);
    EXPECT_EQ(e.agTotalVC, R("100"));
    EXPECT_EQ(e.agTotalBC, R("80"));
    EXPECT_EQ(e.agTotalOE, R("5"));
    EXPECT_EQ(e.agTotalSP, R("1"));
    EXPECT_EQ(e.agTotalSO, R("5,33"));
    EXPECT_EQ(SomarGIEntrada({}).agTotalVC, Dinheiro{});

    std::vector<GISaidas> gs(2);
    gs[0].VALORCONTABILCONT = R("1000");
    gs[0].VALORCONTABILNAOCONT = R("200,50");
    gs[0].BASECALCULOCONT = R("900");
    gs[0].BASECALCULONAOCONT = R("100");
    gs[0].OUTRASSAIDAS = R("7");
    gs[0].SUBSTTRIBUTARIA = R("8");
    // Um lado nulo não tira o outro lado da soma
    gs[1].VALORCONTABILCONT = R("50");
    gs[1].BASECALCULONAOCONT = R("20");
    const auto s = SomarGISaidas(gs);
    EXPECT_EQ(s.agTotalVC, R("1250,50"));
    EXPECT_EQ(s.agTotalBC, R("1020"));
    EXPECT_EQ(s.agTotalVCC, R("1050"));
    EXPECT_EQ(s.agTotalVCNC, R("200,50"));
    EXPECT_EQ(s.agTotalBCC, R("900"));
    EXPECT_EQ(s.agTotalBCNC, R("120"));
    EXPECT_EQ(s.agTotalOS, R("7"));
    EXPECT_EQ(s.agTotalST, R("8"));
}

TEST(FigurasSomas, OutrasEntradasTodasOuSoAsDeMudanca) {
    std::vector<DetalhamentoEntrada> m(3);
    m[0].MUDANCAMUNICIPIO = "S";
    m[0].VALOR = R("100,10");
    m[0].VALORMUDANCA = R("100,10");
    m[1].MUDANCAMUNICIPIO = "N";
    m[1].VALOR = R("5000");
    m[1].VALORMUDANCA = R("4000");
    m[2].MUDANCAMUNICIPIO = "S";
    m[2].VALOR = R("60");
    m[2].VALORMUDANCA = R("50");
    const auto todas = SomarDetalhamentoEntrada(m);
    EXPECT_EQ(todas.agTotalValor, R("5160,10"));
    EXPECT_EQ(todas.agTotalValorMudanca, R("4150,10"));
    const auto mudanca = SomarDetalhamentoEntrada(m, FiltroMudanca::SoMudancaMunicipio);
    EXPECT_EQ(mudanca.agTotalValor, R("160,10"));
    EXPECT_EQ(mudanca.agTotalValorMudanca, R("150,10"));
    EXPECT_EQ(SomarDetalhamentoEntrada({}, FiltroMudanca::SoMudancaMunicipio).agTotalValorMudanca, Dinheiro{});
}

// --- Situação de entrega --------------------------------------------------------------------------

TEST(FigurasSituacao, TransmitidaVenceEmQualquerOrdem) {
    EXPECT_EQ(Situacao({}), "N");
    EXPECT_EQ(Situacao({entrega(1, "D")}), "D");
    EXPECT_EQ(Situacao({entrega(1, "D"), entrega(1, "D")}), "D");
    EXPECT_EQ(Situacao({entrega(1, "T")}), "T");
    EXPECT_EQ(Situacao({entrega(1, "D"), entrega(1, "D"), entrega(1, "T")}), "T");
    EXPECT_EQ(Situacao({entrega(1, "T"), entrega(1, "D"), entrega(1, "D")}), "T");
    EXPECT_EQ(Situacao({entrega(1, "D"), entrega(1, "T"), entrega(1, "D")}), "T");
}

TEST(FigurasSituacao, TipoDesconhecidoNaoMudaOQueJaSeAchou) {
    EXPECT_EQ(Situacao({entrega(1, "")}), "");
    EXPECT_EQ(Situacao({entrega(1, "X"), entrega(1, "")}), "");
    EXPECT_EQ(Situacao({entrega(1, "D"), entrega(1, "X")}), "D");
    EXPECT_EQ(Situacao({entrega(1, "X"), entrega(1, "D")}), "D");
    EXPECT_EQ(Situacao({entrega(1, "X"), entrega(1, "T"), entrega(1, "X")}), "T");
    EXPECT_EQ(Situacao({entrega(1, "t"), entrega(1, "d")}), "");  // só as letras maiúsculas gravadas valem
}

TEST(FigurasSituacao, SoAsEntregasDaPropriaDeclaracao) {
    const std::vector<LinhaTransmissao> todas = {entrega(1, "T"), entrega(2, "D"), entrega(1, "D")};
    EXPECT_EQ(SituacaoDaDeclaracao(todas, 1), "T");
    EXPECT_EQ(SituacaoDaDeclaracao(todas, 2), "D");
    EXPECT_EQ(SituacaoDaDeclaracao(todas, 3), "N");
    EXPECT_EQ(SituacaoDaDeclaracao(todas, std::nullopt), "");
}

// --- Totais de entradas e saídas ------------------------------------------------------------------

TEST(FigurasTotalizar, SeisTiposVaoParaEntradaESaida) {
    Declaracao d = declaracao(1, 1, "N");
    // Totais velhos precisam ser zerados antes da soma
    preencherTudo(*d.entrada, R("999"));
    preencherTudo(*d.saida, R("888"));
    for (int t = 1; t <= 6; ++t) {
        DetalhamentoES l = linhaES(t);
        l.VCSUBTOTAL = Dinheiro::deReais(100 * t) + R("0,01");
        l.BCSUBTOTAL = Dinheiro::deReais(10 * t);
        l.ICMSSUBTOTAL = Dinheiro::deReais(t);
        l.OPSICMSSUBTOTAL = Dinheiro::deReais(-t);
        l.VCCOMPRAVENDA = R("123456");  // valem os subtotais gravados, não as parcelas
        d.detalhamentoES.push_back(l);
    }
    TotalizarEntradasSaidas(d);
    const Entrada& e = *d.entrada;
    const Saida& s = *d.saida;
    EXPECT_EQ(v(e.VCTOTAL), R("600,03"));
    EXPECT_EQ(v(e.BCTOTAL), R("60"));
    EXPECT_EQ(v(e.ICMSTOTAL), R("6"));
    EXPECT_EQ(v(e.OPSEMICMSTOTAL), R("-6"));
    EXPECT_EQ(v(e.VCESTADO), R("100,01"));
    EXPECT_EQ(v(e.VCOUTROS), R("200,01"));
    EXPECT_EQ(v(e.VCEXTERIOR), R("300,01"));
    EXPECT_EQ(v(s.VCTOTAL), R("1500,03"));
    EXPECT_EQ(v(s.BCTOTAL), R("150"));
    EXPECT_EQ(v(s.ICMSTOTAL), R("15"));
    EXPECT_EQ(v(s.OPSEMICMSTOTAL), R("-15"));
    EXPECT_EQ(v(s.VCESTADO), R("400,01"));
    EXPECT_EQ(v(s.VCOUTROS), R("500,01"));
    EXPECT_EQ(v(s.VCEXTERIOR), R("600,01"));
    // As demais colunas ficam como estavam
    EXPECT_EQ(v(e.PRODUTOSAGROP), R("999"));
    EXPECT_EQ(v(e.VCTOTALSIMPLES), R("999"));
    EXPECT_EQ(v(s.COOPERATIVA), R("888"));
}

TEST(FigurasTotalizar, TipoAusenteNaoSomaEDeixaASuaColunaComoEstava) {
    Declaracao d = declaracao(1, 1, "N");
    d.entrada->VCOUTROS = R("777");
    d.entrada->VCTOTAL = R("5");
    d.saida->VCEXTERIOR = R("-3,21");
    for (int t : {1, 3, 4, 5}) {
        DetalhamentoES l = linhaES(t);
        l.VCSUBTOTAL = Dinheiro::deReais(t);
        d.detalhamentoES.push_back(l);
    }
    TotalizarEntradasSaidas(d);
    EXPECT_EQ(v(d.entrada->VCTOTAL), R("4"));
    EXPECT_EQ(v(d.entrada->VCESTADO), R("1"));
    EXPECT_EQ(v(d.entrada->VCOUTROS), R("777"));
    EXPECT_EQ(v(d.entrada->VCEXTERIOR), R("3"));
    EXPECT_EQ(v(d.saida->VCTOTAL), R("9"));
    EXPECT_EQ(v(d.saida->VCEXTERIOR), R("-3,21"));

    // Sem nenhuma linha: totais zerados, colunas por origem intactas
    Declaracao semLinhas = declaracao(1, 1, "N");
    semLinhas.entrada->VCTOTAL = R("50");
    semLinhas.entrada->VCESTADO = R("50");
    TotalizarEntradasSaidas(semLinhas);
    EXPECT_EQ(v(semLinhas.entrada->VCTOTAL), Dinheiro{});
    EXPECT_EQ(v(semLinhas.entrada->VCESTADO), R("50"));
}

TEST(FigurasTotalizar, SecaoAusenteNaoECriada) {
    Declaracao d = declaracao(1, 1, "N");
    d.saida.reset();
    for (int t = 1; t <= 6; ++t) {
        DetalhamentoES l = linhaES(t);
        l.VCSUBTOTAL = R("10");
        d.detalhamentoES.push_back(l);
    }
    TotalizarEntradasSaidas(d);
    EXPECT_FALSE(d.saida.has_value());
    EXPECT_EQ(v(d.entrada->VCTOTAL), R("30"));
}

TEST(FigurasTotalizar, TransporteSoDasSaidas) {
    Declaracao d;
    EXPECT_EQ(SomarTransporteSaidas(d), Dinheiro{});
    for (int t = 1; t <= 6; ++t) {
        DetalhamentoES l = linhaES(t);
        l.VCTRANSPORTE = Dinheiro::deCentavos(int64_t{1} << t);
        d.detalhamentoES.push_back(l);
    }
    d.detalhamentoES[4].VCTRANSPORTE.reset();  // tipo 5 nulo conta zero
    EXPECT_EQ(SomarTransporteSaidas(d), Dinheiro::deCentavos(16 + 64));
}

// --- Apuração do KOV ------------------------------------------------------------------------------

TEST(FigurasKOV, CasoDeCadaCombinacao) {
    auto caso = [](int regime, int tc, const char* mmac) { return CasoDoKOV(declaracao(regime, tc, mmac).doc); };
    for (int r : {1, 2, 4}) {
        EXPECT_EQ(caso(r, 1, "N"), CasoKOV::A) << r;
        EXPECT_EQ(caso(r, 3, "N"), CasoKOV::A) << r;
        EXPECT_EQ(caso(r, 0, "N"), CasoKOV::B) << r;
        EXPECT_EQ(caso(r, 1, "S"), CasoKOV::B) << r;
        EXPECT_EQ(caso(r, 0, "S"), CasoKOV::B) << r;
        EXPECT_TRUE(RegimeCompleto(declaracao(r, 1, "N").doc));
    }
    for (int r : {3, 5, 6}) {
        EXPECT_EQ(caso(r, 1, "S"), CasoKOV::C) << r;
        EXPECT_EQ(caso(r, 0, "S"), CasoKOV::C) << r;
        EXPECT_EQ(caso(r, 1, "N"), CasoKOV::D) << r;
        EXPECT_EQ(caso(r, 3, "N"), CasoKOV::D) << r;
        EXPECT_EQ(caso(r, 0, "N"), CasoKOV::E) << r;
        EXPECT_FALSE(RegimeCompleto(declaracao(r, 1, "N").doc));
    }
}

TEST(FigurasKOV, VintePorCentoArredondaMeioParaParSobreOValorExato) {
    EXPECT_EQ(EntradasVintePorCento(R("1000"), R("0")), R("200"));
    EXPECT_EQ(EntradasVintePorCento(R("1003"), R("0")), R("201"));      // 200,6
    EXPECT_EQ(EntradasVintePorCento(R("1002,50"), R("0")), R("200"));   // 200,5 vai ao par
    EXPECT_EQ(EntradasVintePorCento(R("1007,50"), R("0")), R("202"));   // 201,5 vai ao par
    EXPECT_EQ(EntradasVintePorCento(R("1007,49"), R("0")), R("201"));   // 201,498: sem duplo arredondamento
    EXPECT_EQ(EntradasVintePorCento(R("1002,51"), R("0")), R("201"));   // 200,502
    EXPECT_EQ(EntradasVintePorCento(R("1525"), R("500")), R("205"));
    EXPECT_EQ(EntradasVintePorCento(R("-1002,50"), R("0")), R("-200"));
    EXPECT_EQ(EntradasVintePorCento(R("-1007,49"), R("0")), R("-201"));
    EXPECT_EQ(EntradasVintePorCento(R("100"), R("300")), R("-40"));
}

TEST(FigurasKOV, CasoAPelosLivros) {
    Declaracao d = declaracao(1, 1, "N");
    Entrada& e = *d.entrada;
    e.VCTOTAL = R("50000");
    e.VCTOTALSIMPLES = R("11111");  // não é deste regime
    e.AJUSTETRANSFERENCIA = R("1000,50");
    e.AUTUACAODENUNCIA = R("200");
    e.PRODUTOSAGROP = R("3000,25");
    Saida& s = *d.saida;
    s.VCTOTAL = R("80000");
    s.VCTOTALSIMPLES = R("22222");
    s.AJUSTETRANSFERENCIA = R("100");
    s.TRANSPORTETOMADO = R("1500,75");
    s.AUTUACAODENUNCIA = R("300");
    s.COOPERATIVA = R("999");
    ExclusoesKov& x = *d.exclusoes;
    x.ENTICMSST = R("500");
    x.ENTIPI = R("250,25");
    x.ENTENTREGAFUTURA = R("9999");  // par juntado em OUTRAS: não conta
    x.SAIICMSST = R("400");
    x.SAIOUTRAS = R("100,50");
    x.SAICONSIGNACAO = R("8888");
    d.kov->OUTRASENTRADAS = R("1234");  // tipo 1: digitadas pelo usuário
    d.detalhamentoES.push_back(linhaES(4));
    d.detalhamentoES.back().VCTRANSPORTE = R("70000");  // transporte prestado só conta no caso B
    CalcularKOV(d);
    // 50000 + 1000,50 + 200 − 3000,25 − 750,25
    EXPECT_EQ(v(d.kov->ENTRADAS), R("47450"));
    // 80000 + 100 + 1500,75 + 300 − 500,50
    EXPECT_EQ(v(d.kov->SAIDAS), R("81400,25"));
    EXPECT_EQ(v(d.kov->OUTRASENTRADAS), R("1234"));
    EXPECT_EQ(v(d.kov->TOTALENTRADAS), R("48684"));
    EXPECT_EQ(v(d.kov->TOTALKOV), R("32716,25"));

    // Exclusões maiores que o movimento dão valores negativos, sem arredondar
    x.ENTOUTRAS = R("60000");
    CalcularKOV(d);
    EXPECT_EQ(v(d.kov->ENTRADAS), R("-12550"));

    // Regime 4 segue o mesmo caso
    d.doc.REGIME_ID = 4;
    CalcularKOV(d);
    EXPECT_EQ(v(d.kov->SAIDAS), R("81400,25"));
}

TEST(FigurasKOV, CasoAComContribuinteDeMudancaCalculaAsOutrasEntradas) {
    Declaracao d = declaracao(2, 3, "N");
    d.entrada->PRODUTOSAGROP = R("3000,25");
    d.entrada->ENERGIAELETRICA = R("600");
    d.saida->TRANSPORTETOMADO = R("1500,75");
    d.saida->COOPERATIVA = R("999");
    d.saida->VCTOTAL = R("20000");
    d.detalhamentoEntrada.resize(3);
    d.detalhamentoEntrada[0].MUDANCAMUNICIPIO = "S";
    d.detalhamentoEntrada[0].VALORMUDANCA = R("100,10");
    d.detalhamentoEntrada[1].MUDANCAMUNICIPIO = "N";
    d.detalhamentoEntrada[1].VALORMUDANCA = R("5000");  // linha comum: fora da soma
    d.detalhamentoEntrada[1].VALOR = R("5000");
    d.detalhamentoEntrada[2].MUDANCAMUNICIPIO = "S";
    d.detalhamentoEntrada[2].VALORMUDANCA = R("50");
    d.kov->OUTRASENTRADAS = R("1");
    CalcularKOV(d);
    EXPECT_EQ(OutrasEntradasDeMudanca(d), R("6250,10"));
    EXPECT_EQ(v(d.kov->OUTRASENTRADAS), R("6250,10"));
    EXPECT_EQ(v(d.kov->ENTRADAS), R("-3000,25"));
    EXPECT_EQ(v(d.kov->SAIDAS), R("21500,75"));
    EXPECT_EQ(v(d.kov->TOTALENTRADAS), R("3249,85"));
    EXPECT_EQ(v(d.kov->TOTALKOV), R("18250,90"));
}

TEST(FigurasKOV, CasoBTransportadorPresumeEntradasEFechaEmZero) {
    struct Exemplo {
        const char* transporte;
        const char* entradas;
    };
    for (auto ex : {Exemplo{"1000", "200"}, Exemplo{"1003", "201"}, Exemplo{"1002,50", "200"},
                    Exemplo{"1007,50", "202"}, Exemplo{"1007,49", "201"}}) {
        Declaracao d = transportadorComSaidas(R(ex.transporte));
        d.kov->OUTRASENTRADAS = R("5");
        CalcularKOV(d);
        EXPECT_EQ(v(d.kov->SAIDAS), R(ex.transporte)) << ex.transporte;
        EXPECT_EQ(v(d.kov->ENTRADAS), R(ex.entradas)) << ex.transporte;
        // O transportador termina sempre com TOTALENTRADAS = SAIDAS e TOTALKOV = 0
        EXPECT_EQ(v(d.kov->OUTRASENTRADAS), R(ex.transporte) - R(ex.entradas)) << ex.transporte;
        EXPECT_EQ(v(d.kov->TOTALENTRADAS), v(d.kov->SAIDAS)) << ex.transporte;
        EXPECT_EQ(v(d.kov->TOTALKOV), Dinheiro{}) << ex.transporte;
    }

    // Com produtos agropecuários, autuações e exclusões; só o transporte das saídas conta
    Declaracao d = declaracao(1, 0, "N");
    for (int t = 1; t <= 6; ++t) {
        d.detalhamentoES.push_back(linhaES(t));
        d.detalhamentoES.back().VCTRANSPORTE = t >= 4 ? R("333,33") : R("5000");
    }
    d.detalhamentoES[3].VCTRANSPORTE = R("333,34");
    d.saida->AUTUACAODENUNCIA = R("100");
    d.saida->VCTOTAL = R("99999");         // livros não contam no caso B
    d.saida->TRANSPORTETOMADO = R("99999");
    d.entrada->PRODUTOSAGROP = R("500");
    d.exclusoes->ENTICMSST = R("50");
    d.exclusoes->SAIIPI = R("25");
    CalcularKOV(d);
    // 100 + 1000 + 500 − (50 + 25)
    EXPECT_EQ(v(d.kov->SAIDAS), R("1525"));
    EXPECT_EQ(v(d.kov->ENTRADAS), R("205"));  // (1525 − 500) × 20 %
    EXPECT_EQ(v(d.kov->OUTRASENTRADAS), R("1320"));
    EXPECT_EQ(v(d.kov->TOTALKOV), Dinheiro{});
}

TEST(FigurasKOV, CasoBTambemParaOContribuinteComumComMudancaNoAno) {
    Declaracao d = transportadorComSaidas(R("1000"));
    d.doc.TIPOCONTRIBUINTE_ID = 1;
    d.doc.MUDANCAMUNICIPIOANOCORRENTE = "S";
    d.saida->VCTOTAL = R("50000");
    d.kov->OUTRASENTRADAS = R("321");
    CalcularKOV(d);
    EXPECT_EQ(v(d.kov->SAIDAS), R("1000"));
    EXPECT_EQ(v(d.kov->ENTRADAS), R("200"));
    EXPECT_EQ(v(d.kov->OUTRASENTRADAS), R("321"));  // tipo 1: digitadas
    EXPECT_EQ(v(d.kov->TOTALKOV), R("479"));
}

TEST(FigurasKOV, CasoCMantemOsValoresDoKov) {
    for (int tc : {1, 0}) {
        Declaracao d = declaracao(5, tc, "S");
        d.entrada->VCTOTALSIMPLES = R("70000");
        d.saida->VCTOTALSIMPLES = R("90000");
        d.detalhamentoES.push_back(linhaES(4));
        d.detalhamentoES.back().VCTRANSPORTE = R("1000");
        d.kov->SAIDAS = R("5000");
        d.kov->ENTRADAS = R("1000");
        d.kov->OUTRASENTRADAS = R("700");
        CalcularKOV(d);
        EXPECT_EQ(v(d.kov->SAIDAS), R("5000")) << tc;
        EXPECT_EQ(v(d.kov->ENTRADAS), R("1000")) << tc;
        if (tc == 1) {
            EXPECT_EQ(v(d.kov->OUTRASENTRADAS), R("700"));
            EXPECT_EQ(v(d.kov->TOTALENTRADAS), R("1700"));
            EXPECT_EQ(v(d.kov->TOTALKOV), R("3300"));
        } else {
            // As outras entradas do transportador ainda absorvem a diferença
            EXPECT_EQ(v(d.kov->OUTRASENTRADAS), R("4000"));
            EXPECT_EQ(v(d.kov->TOTALKOV), Dinheiro{});
        }
    }
    // Valores nulos continuam nulos; só os totais são gravados
    Declaracao d = declaracao(3, 1, "S");
    d.kov->SAIDAS.reset();
    d.kov->ENTRADAS.reset();
    CalcularKOV(d);
    EXPECT_FALSE(d.kov->SAIDAS.has_value());
    EXPECT_FALSE(d.kov->ENTRADAS.has_value());
    EXPECT_EQ(v(d.kov->TOTALKOV), Dinheiro{});
}

TEST(FigurasKOV, CasoDPeloTotalDoRegimeSimplificado) {
    Declaracao d = declaracao(5, 1, "N");
    d.entrada->VCTOTALSIMPLES = R("20000");
    d.entrada->VCTOTAL = R("99999");
    d.entrada->AUTUACAODENUNCIA = R("150,50");
    d.entrada->AJUSTETRANSFERENCIA = R("10");
    d.entrada->PRODUTOSAGROP = R("1000");
    d.saida->VCTOTALSIMPLES = R("30000");
    d.saida->VCTOTAL = R("99999");
    d.saida->TRANSPORTETOMADO = R("200");
    d.saida->AUTUACAODENUNCIA = R("49,50");
    d.exclusoes->SAIATIVOIMOBILIZADO = R("250");
    d.exclusoes->ENTMATERIALUSO = R("0,50");
    d.kov->OUTRASENTRADAS = R("800");
    CalcularKOV(d);
    // 20000 + 10 + 150,50 − 1000 − 0,50
    EXPECT_EQ(v(d.kov->ENTRADAS), R("19160"));
    // 30000 + 200 + 49,50 − 250
    EXPECT_EQ(v(d.kov->SAIDAS), R("29999,50"));
    EXPECT_EQ(v(d.kov->OUTRASENTRADAS), R("800"));
    EXPECT_EQ(v(d.kov->TOTALKOV), R("10039,50"));
    const FigurasKOV f = FigurasDoKOV(d, CasoKOV::D);
    EXPECT_EQ(f.entradas, R("19160"));
    EXPECT_EQ(f.saidas, R("29999,50"));
}

TEST(FigurasKOV, CasoETransportadorDoRegimeSimplificado) {
    Declaracao d = declaracao(6, 0, "N");
    d.saida->VCTOTALSIMPLES = R("10000,37");
    d.saida->AUTUACAODENUNCIA = R("200");
    d.entrada->PRODUTOSAGROP = R("300");
    d.exclusoes->ENTTRANSPORTE = R("100");
    d.exclusoes->SAITRANPORTESINICIADOOUTRA = R("50");
    d.detalhamentoES.push_back(linhaES(5));
    d.detalhamentoES.back().VCTRANSPORTE = R("7777");  // o transporte prestado não entra no caso E
    CalcularKOV(d);
    // 10000,37 + 200 + 300 − 150
    EXPECT_EQ(v(d.kov->SAIDAS), R("10350,37"));
    EXPECT_EQ(v(d.kov->ENTRADAS), R("2010"));  // 20 % de 10050,37 = 2010,074
    EXPECT_EQ(v(d.kov->OUTRASENTRADAS), R("8340,37"));
    EXPECT_EQ(v(d.kov->TOTALENTRADAS), R("10350,37"));
    EXPECT_EQ(v(d.kov->TOTALKOV), Dinheiro{});
}

TEST(FigurasKOV, SecoesAusentes) {
    // Sem a linha do KOV: criada zerada, com a chave da declaração
    Declaracao d = transportadorComSaidas(R("1003"));
    d.kov.reset();
    d.entrada.reset();
    d.saida.reset();
    d.exclusoes.reset();
    CalcularKOV(d);
    ASSERT_TRUE(d.kov.has_value());
    EXPECT_EQ(d.kov->DOCUMENTO_ID, 10);
    EXPECT_EQ(v(d.kov->SAIDAS), R("1003"));
    EXPECT_EQ(v(d.kov->ENTRADAS), R("201"));
    EXPECT_EQ(v(d.kov->OUTRASENTRADAS), R("802"));
    EXPECT_FALSE(d.entrada || d.saida || d.exclusoes);  // só o KOV é criado

    // Caso A sem entradas, saídas nem exclusões: tudo zero, sem valores nulos
    Declaracao a = declaracao(1, 1, "N");
    a.kov.reset();
    a.entrada.reset();
    a.saida.reset();
    a.exclusoes.reset();
    CalcularKOV(a);
    ASSERT_TRUE(a.kov.has_value());
    EXPECT_EQ(a.kov->SAIDAS, Quantia(Dinheiro{}));
    EXPECT_EQ(a.kov->ENTRADAS, Quantia(Dinheiro{}));
    EXPECT_EQ(a.kov->OUTRASENTRADAS, Quantia(Dinheiro{}));

    // Outras entradas sem a linha do KOV: nada a fazer
    Declaracao semKov = declaracao(1, 0, "N");
    semKov.kov.reset();
    CalcularOutrasEntradas(semKov);
    EXPECT_FALSE(semKov.kov.has_value());
}

TEST(FigurasKOV, OutrasEntradasPorTipoDeContribuinte) {
    Declaracao d = declaracao(1, 0, "N");
    d.kov->SAIDAS = R("100");
    d.kov->ENTRADAS = R("250,50");
    CalcularOutrasEntradas(d);
    EXPECT_EQ(v(d.kov->OUTRASENTRADAS), R("-150,50"));
    // Só as outras entradas mudam: as demais figuras do KOV ficam
    EXPECT_EQ(v(d.kov->SAIDAS), R("100"));

    d.doc.TIPOCONTRIBUINTE_ID = 1;
    d.kov->OUTRASENTRADAS = R("42");
    CalcularOutrasEntradas(d);
    EXPECT_EQ(v(d.kov->OUTRASENTRADAS), R("42"));

    d.doc.TIPOCONTRIBUINTE_ID = 3;
    d.entrada->ENERGIAELETRICA = R("10");
    CalcularOutrasEntradas(d);
    EXPECT_EQ(v(d.kov->OUTRASENTRADAS), R("10"));
}

// --- Consultas à base ---------------------------------------------------------------------------

namespace {

struct FigurasTransferencia : ::testing::Test {
    teste::PastaTemporaria pasta;
    fb::Conexao c;
    int municipio = 0;
    void SetUp() override {
        teste::copiarBaseModelo(pasta.caminho() / "KOV.GDB");
        fb::ParametrosConexao p;
        p.banco = teste::enderecoBanco(pasta.caminho() / "KOV.GDB");
        c.abrir(p);
        fb::Transacao tr(c);
        fb::Comando m(tr, "SELECT FIRST 1 CODDRUMUNICIPIO FROM MUNICIPIO ORDER BY CODDRUMUNICIPIO");
        ASSERT_TRUE(m.proximo());
        municipio = static_cast<int>(m.coluna(0).inteiro());
        const Contribuinte ct = teste::ContribuinteDeTeste(7, municipio, "Transportes Ação Ltda");
        InserirLinhas(tr, std::vector<Contribuinte>{ct});
        tr.commit();
    }
    // Declaração gravada com uma linha por tipo e a transferência dada de cada tipo.
    void gravar(int id, std::vector<std::pair<int, const char*>> transferencias) {
        Declaracao d;
        d.doc.DOCUMENTO_ID = id;
        d.doc.CONTRIBUINTE_ID = 7;
        d.doc.STATUS_ID = 0;
        d.doc.REGIME_ID = 1;
        d.doc.TIPOCONTRIBUINTE_ID = 1;
        d.doc.CNAEF_ID = "4711301";
        d.doc.DESMEMBRAMENTO = "00";
        d.doc.CODDRUMUNICIPIO = municipio;
        d.doc.TIPORECOLHIMENTO_ID = 0;
        d.doc.PERIODO = 2016;
        d.doc.MESINICIAL = 1;
        d.doc.MESFINAL = 12;
        d.doc.ESCRITACONTABIL = "N";
        d.doc.SUBSTITUICAO = "N";
        d.doc.MUDANCAMUNICIPIO = "N";
        d.doc.BAIXA = "N";
        d.doc.MUDANCAMUNICIPIOANOCORRENTE = "N";
        for (auto [tipo, valor] : transferencias) {
            DetalhamentoES l = linhaES(tipo);
            l.VCTRANSFERENCIA = valor ? std::optional(R(valor)) : std::nullopt;
            l.VCCOMPRAVENDA = R("100000");  // outras colunas não contam
            d.detalhamentoES.push_back(l);
        }
        GravarDeclaracao(c, d);
    }
};

}  // namespace

TEST_F(FigurasTransferencia, SomaDasTransferenciasGravadasPorLado) {
    // Sem linhas de detalhamento: a soma é nula e vale zero
    gravar(1, {});
    EXPECT_FALSE(ExisteTransferenciaEntradas(c, 1));
    EXPECT_FALSE(ExisteTransferenciaSaidas(c, 1));

    // Tipos 3 e 6 (exterior) não contam
    gravar(2, {{1, "0"}, {2, nullptr}, {3, "500"}, {4, "0"}, {5, "0"}, {6, "500"}});
    EXPECT_FALSE(ExisteTransferenciaEntradas(c, 2));
    EXPECT_FALSE(ExisteTransferenciaSaidas(c, 2));

    // Um centavo em qualquer um dos dois tipos basta
    gravar(3, {{2, "0,01"}, {5, "0,01"}});
    EXPECT_TRUE(ExisteTransferenciaEntradas(c, 3));
    EXPECT_TRUE(ExisteTransferenciaSaidas(c, 3));
    gravar(4, {{1, "10"}, {4, "10"}});
    EXPECT_TRUE(ExisteTransferenciaEntradas(c, 4));
    EXPECT_TRUE(ExisteTransferenciaSaidas(c, 4));
    gravar(5, {{1, "10"}, {6, "10"}});
    EXPECT_TRUE(ExisteTransferenciaEntradas(c, 5));
    EXPECT_FALSE(ExisteTransferenciaSaidas(c, 5));

    // É a soma que decide: valores que se anulam ou somam negativo dão falso
    gravar(6, {{1, "500"}, {2, "-500"}, {4, "100"}, {5, "-100,01"}});
    EXPECT_FALSE(ExisteTransferenciaEntradas(c, 6));
    EXPECT_FALSE(ExisteTransferenciaSaidas(c, 6));

    // As linhas de outras declarações não contam; chave inexistente dá falso
    EXPECT_FALSE(ExisteTransferenciaEntradas(c, 1));
    EXPECT_FALSE(ExisteTransferenciaSaidas(c, 999));
}

TEST_F(FigurasTransferencia, ErrosDaBaseSeguemComOProprioTexto) {
    {
        fb::Transacao tr(c);
        fb::Comando::executarDireto(tr, "DROP TABLE DETALHAMENTOES");
        tr.commit();
    }
    try {
        ExisteTransferenciaEntradas(c, 1);
        FAIL() << "a consulta deveria falhar";
    } catch (const fb::ErroBanco& e) {
        EXPECT_NE(std::string(e.what()).find("DETALHAMENTOES"), std::string::npos) << e.what();
    }
    c.fechar();
    try {
        ExisteTransferenciaSaidas(c, 1);
        FAIL() << "a consulta deveria falhar";
    } catch (const fb::ErroBanco& e) {
        EXPECT_STREQ(e.what(), "Conexão com o banco de dados não está aberta");
    }
}
