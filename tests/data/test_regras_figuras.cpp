// Regras das páginas das figuras e das telas de detalhamento, sem tela: figuras travadas
// e zeradas, GI disponível, ajustes de transferência, conferências por espécie e o limite
// dos produtos agropecuários.
#include <gtest/gtest.h>

#include "data/Figuras.h"
#include "data/RegrasDeclaracao.h"
#include "data/RegrasFiguras.h"

using namespace kov;

namespace {

Dinheiro R(int64_t reais) { return Dinheiro::deReais(reais); }

Declaracao comSecoes(int regime, int tipo, int recolhimento = 0) {
    Declaracao d = NovaDeclaracao("2016");
    d.doc.REGIME_ID = regime;
    d.doc.TIPOCONTRIBUINTE_ID = tipo;
    d.doc.TIPORECOLHIMENTO_ID = recolhimento;
    CriarSecoesQueFaltam(d);
    PrepararDetalhesPrelo(d);
    PrepararDetalhesKOV(d);
    // Todas as figuras das seções com 1 real
    auto encher = [](auto& linha) {
        for (const auto& c : std::decay_t<decltype(linha)>::colunas())
            if (c.especie == EspecieColuna::Valor) DefinirColuna(linha, c, fb::Valor(R(1)));
    };
    encher(*d.entrada);
    encher(*d.saida);
    encher(*d.exclusoes);
    encher(*d.kov);
    return d;
}

}  // namespace

TEST(RegrasFiguras, FigurasTravadasSaoZeradasPorRegimeApuracaoETipo) {
    const std::vector<std::string> transporte = {"ENTSUBCONTRATACAOTRANSPORTE", "SAITRANPORTESINICIADOOUTRA"};
    const std::vector<std::string> outrasExclusoes = {
        "ENTICMSST",   "ENTIPI",     "ENTATIVOIMOBILIZADO", "ENTMATERIALUSO",      "ENTENERGIAELETRICACOMUNICACAO",
        "ENTTRANSPORTE", "ENTAJUSTETRANSFERENCIA", "ENTOUTRAS", "SAIICMSST", "SAIIPI", "SAIATIVOIMOBILIZADO",
        "SAIMATERIALUSO", "SAIAJUSTETRANSFERENCIA", "SAIOUTRAS"};
    // Tipo 0: todas as exclusões menos as duas de transporte; tipo 3: só essas duas; tipo 1: nenhuma
    for (int tipo : {0, 1, 3}) {
        SCOPED_TRACE(tipo);
        Declaracao d = comSecoes(5, tipo, 1);
        ZerarFigurasTravadas(d);
        for (const auto& c : transporte)
            EXPECT_EQ(ValorColuna(*d.exclusoes, *ProcurarColuna<ExclusoesKov>(c)).dinheiro(), tipo == 3 ? R(0) : R(1))
                << c;
        for (const auto& c : outrasExclusoes)
            EXPECT_EQ(ValorColuna(*d.exclusoes, *ProcurarColuna<ExclusoesKov>(c)).dinheiro(), tipo == 0 ? R(0) : R(1))
                << c;
        EXPECT_EQ(v(d.saida->TRANSPORTETOMADO), tipo == 0 ? R(0) : R(1));
        EXPECT_EQ(v(d.saida->COOPERATIVA), tipo == 0 ? R(0) : R(1));
        EXPECT_EQ(v(d.entrada->AJUSTETRANSFERENCIA), tipo == 0 ? R(0) : R(1));
        EXPECT_EQ(v(d.kov->OUTRASENTRADAS), tipo == 1 ? R(1) : R(0));
        EXPECT_EQ(v(d.kov->SAIDAS), R(0)) << "SAIDAS e ENTRADAS do KOV são sempre calculadas";
        EXPECT_EQ(v(d.entrada->VCESTADO), R(1)) << "sem regra";
    }
    // Saídas simplificadas: só regimes 3, 5 e 6 com apuração "Real" as informam
    for (auto [regime, recolhimento, travadas] :
         {std::tuple{5, 1, false}, {6, 1, false}, {3, 1, false}, {5, 2, true}, {3, 0, true}, {1, 0, true}}) {
        SCOPED_TRACE(std::to_string(regime) + "/" + std::to_string(recolhimento));
        Declaracao d = comSecoes(regime, 1, recolhimento);
        ZerarFigurasTravadas(d);
        if (regime == 1) continue;  // débito/crédito: os totais voltam do detalhamento (abaixo)
        EXPECT_EQ(v(d.saida->VCESTADO), travadas ? R(0) : R(1));
        EXPECT_EQ(v(d.saida->VCEXTERIOR), travadas ? R(0) : R(1));
        EXPECT_EQ(v(d.entrada->VCTOTALSIMPLES), R(1)) << "entradas simplificadas só travam no débito/crédito";
        EXPECT_EQ(FiguraTravada(d.doc, SecaoFigura::Saida, "VCOUTROS"), travadas);
    }
    // Débito/crédito: as entradas simplificadas travam, e os totais de estado, outros estados
    // e exterior, que ocupam as mesmas colunas, voltam do detalhamento
    Declaracao d = comSecoes(1, 1);
    d.detalhamento(2)->VCSUBTOTAL = R(40);
    d.detalhamento(4)->VCSUBTOTAL = R(70);
    ZerarFigurasTravadas(d);
    EXPECT_EQ(v(d.entrada->VCTOTALSIMPLES), R(0));
    EXPECT_EQ(v(d.entrada->VCOUTROS), R(40));
    EXPECT_EQ(v(d.saida->VCESTADO), R(70));
    EXPECT_TRUE(FiguraTravada(d.doc, SecaoFigura::Entrada, "VCEXTERIOR"));
    EXPECT_FALSE(FiguraTravada(d.doc, SecaoFigura::Entrada, "PRODUTOSAGROP"));
}

TEST(RegrasFiguras, GIDisponivelETransferencias) {
    for (auto [regime, recolhimento, disponivel] : {std::tuple{1, 0, true}, {2, 0, true}, {3, 1, false}, {3, 0, false},
                                                    {5, 1, true}, {5, 2, false}, {6, 2, false}, {6, 1, true}}) {
        Documento doc;
        doc.REGIME_ID = regime;
        doc.TIPORECOLHIMENTO_ID = recolhimento;
        EXPECT_EQ(GIDisponivel(doc), disponivel) << regime << "/" << recolhimento;
    }
    Declaracao d = comSecoes(1, 1);
    d.giEntrada.push_back(GIEntrada{});
    d.giSaidas.push_back(GISaidas{});
    ApagarGI(d);
    EXPECT_TRUE(d.giEntrada.empty() && d.giSaidas.empty());
    // Transferências no detalhamento em memória: entradas 1 e 2, saídas 4 e 5 (não 3 nem 6)
    EXPECT_FALSE(ExisteTransferenciaEntradas(d));
    d.detalhamento(3)->VCTRANSFERENCIA = R(5);
    d.detalhamento(6)->VCTRANSFERENCIA = R(5);
    EXPECT_FALSE(ExisteTransferenciaEntradas(d));
    EXPECT_FALSE(ExisteTransferenciaSaidas(d));
    d.detalhamento(2)->VCTRANSFERENCIA = R(1);
    d.detalhamento(5)->VCTRANSFERENCIA = R(1);
    EXPECT_TRUE(ExisteTransferenciaEntradas(d));
    EXPECT_TRUE(ExisteTransferenciaSaidas(d));
}

TEST(RegrasFiguras, ConferenciasDoDetalhamentoPorEspecie) {
    struct Caso {
        const char* especie;
        int vc, bc, icms;
        const char* mensagem;  // vazio: passa
        const char* campo;
    };
    const Caso casos[] = {
        {"TRANSFERENCIA", 100, 100, 0, "Base de Cálculo sem valor de ICMS informado Transferência", "ICMSTRANSFERENCIA"},
        {"DEVOLUCAO", 0, 100, 10, "Base de Cálculo sem Valor Contábil informado Devolução", "VCDEVOLUCAO"},
        {"DEVOLUCAO", 100, 100, 0, "Base de Cálculo sem valor de ICMS informado Devolucão", "ICMSDEVOLUCAO"},
        {"COMPRAVENDA", 0, 10, 0, "Base de Cálculo sem valor de ICMS informado Compra/Venda", "ICMSCOMPRAVENDA"},
        {"OUTRAS", 0, 0, 50, "", ""},  // base zero com qualquer ICMS passa
        {"ENERGIAELETRICA", 10, 10, 1, "", ""},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.especie);
        DetalhamentoES l;
        ZerarCampos(l);
        const std::string e = c.especie;
        DefinirColuna(l, *ProcurarColuna<DetalhamentoES>("VC" + e), fb::Valor(R(c.vc)));
        DefinirColuna(l, *ProcurarColuna<DetalhamentoES>("BC" + e), fb::Valor(R(c.bc)));
        DefinirColuna(l, *ProcurarColuna<DetalhamentoES>("ICMS" + e), fb::Valor(R(c.icms)));
        const auto r = ConferirDetalhamentoES(l);
        if (!*c.mensagem) {
            EXPECT_FALSE(r.has_value());
            continue;
        }
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(r->mensagem, c.mensagem);
        EXPECT_EQ(r->campo, c.campo);
    }
    // Só a primeira falha, na ordem das espécies
    DetalhamentoES l;
    ZerarCampos(l);
    l.BCOUTRAS = R(1);
    l.BCTRANSFERENCIA = R(1);
    EXPECT_EQ(ConferirDetalhamentoES(l)->campo, "ICMSTRANSFERENCIA");

    // Produtos agropecuários: igual ao subtotal passa, um real a mais não
    Entrada en;
    l.VCCOMPRAVENDA = R(60);
    l.VCOUTRAS = R(40);
    en.PRODUTOSAGROP = R(100);
    EXPECT_FALSE(ProdutosAgropAcimaDoSubtotal(en, l));
    en.PRODUTOSAGROP = R(101);
    EXPECT_TRUE(ProdutosAgropAcimaDoSubtotal(en, l));
    EXPECT_EQ(RotuloCompraVenda(3), " Compras");
    EXPECT_EQ(RotuloCompraVenda(4), " Vendas");
}
