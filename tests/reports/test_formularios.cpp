// Os formulários impressos renderizados em PDF e lidos de volta com pdftotext: as regras
// de regime e a ordem da seleção, os blocos e os textos calculados de cada formulário.
#include <gtest/gtest.h>

#include <QDateTime>

#include "reports/ApoioFormularios.h"
#include "reports/Formularios.h"

using namespace kov;
using namespace kov::relatorios;
using teste::Contar;
using teste::DadosDeTeste;
using teste::LinhaCom;
using teste::TextoDoPdf;

namespace {

struct Formularios : ::testing::Test {
    QDateTime momento{QDate(2027, 3, 15), QTime(9, 30, 5)};
    void SetUp() override { teste::garantirAplicacaoGui(); }
    std::string texto(const std::optional<Relatorio>& r) {
        EXPECT_TRUE(r.has_value());
        return r ? TextoDoPdf(*r) : std::string();
    }
};

Dinheiro R(int64_t reais) { return Dinheiro::deReais(reais); }

std::vector<TipoFormulario> tipos(const std::vector<FormularioMontado>& v) {
    std::vector<TipoFormulario> t;
    for (const auto& f : v) t.push_back(f.tipo);
    return t;
}

}  // namespace

TEST_F(Formularios, RegimesEOrdemDeProducao) {
    using T = TipoFormulario;
    const std::set<T> todos(TodosFormularios().begin(), TodosFormularios().end());
    struct Caso {
        int regime;
        std::vector<T> esperados;
        const char* tituloPrelo;
    };
    const std::vector<Caso> casos = {
        {1, {T::Prelo, T::Entradas, T::Saidas, T::Kov, T::KovOutras, T::GI}, "PRELO COMPLETA"},
        {2, {T::Prelo, T::Entradas, T::Saidas, T::Kov, T::KovOutras, T::GI}, "PRELO COMPLETA"},
        {3, {T::Kov, T::KovOutras, T::GI}, nullptr},
        {4, {T::Prelo, T::Entradas, T::Saidas, T::Kov, T::KovOutras, T::GI}, "PRELO COMPLETA"},
        {5, {T::Prelo, T::Kov, T::KovOutras, T::GI}, "PRELO SIMPLIFICADA"},
        {6, {T::Prelo, T::Kov, T::KovOutras, T::GI}, "PRELO SIMPLIFICADA"},
    };
    for (const auto& c : casos) {
        auto dd = DadosDeTeste(c.regime);
        dd.d.giSaidas.push_back(GISaidas{501, "SP"});
        dd.d.detalhamentoEntrada.push_back(DetalhamentoEntrada{501, 7, R(5), "N", {}});
        const auto v = MontarFormularios(dd, todos, momento);
        EXPECT_EQ(tipos(v), c.esperados) << "regime " << c.regime;
        if (c.tituloPrelo) {
            EXPECT_NE(TextoDoPdf(v.front().relatorio).find(c.tituloPrelo), std::string::npos);
        }
        // Só a PRELO, entradas e saídas marcadas: nada no regime 3
        const auto soPrelo = MontarFormularios(dd, {T::Prelo, T::Entradas, T::Saidas}, momento);
        EXPECT_EQ(soPrelo.empty(), c.regime == 3) << "regime " << c.regime;
    }
    // Outras entradas e GI sem linhas não são produzidos; KOV sem a sua linha também não
    auto dd = DadosDeTeste(1);
    EXPECT_EQ(tipos(MontarFormularios(dd, todos, momento)),
              (std::vector<T>{T::Prelo, T::Entradas, T::Saidas, T::Kov}));
    dd.d.kov.reset();
    dd.d.entrada.reset();
    EXPECT_EQ(tipos(MontarFormularios(dd, todos, momento)), (std::vector<T>{T::Prelo}));
}

TEST_F(Formularios, EntradasTotalSoNoBlocoDoExterior) {
    auto dd = DadosDeTeste(1);
    for (int t = 1; t <= 3; ++t) {
        dd.d.detalhamento(t)->VCSUBTOTAL = R(100 * t);
        dd.d.detalhamento(t)->VCTRANSFERENCIA = R(7);
    }
    dd.d.detalhamento(3)->VCCOMPRAVENDA = R(1234567);
    dd.d.entrada->PRODUTOSAGROP = R(11);
    dd.d.entrada->AUTUACAODENUNCIA = R(13);
    const std::string t = texto(TForm_imp_Prelo_Entradas(dd, momento));
    EXPECT_EQ(Contar(t, "PRELO - ENTRADAS"), 1u);
    EXPECT_NE(t.find("PRELO - Ano Base: 2026"), std::string::npos);
    EXPECT_NE(t.find("15/03/2027 09:30:05"), std::string::npos);
    EXPECT_NE(t.find("Contribuinte: 1234567890107 - Comércio Ação Ltda"), std::string::npos);
    EXPECT_NE(t.find("Entradas do Exterior (R$)"), std::string::npos);
    EXPECT_NE(LinhaCom(t, "Op.Prest.S/Crédito").find("Valor Contábil"), std::string::npos);
    // Transferências só nos blocos do estado e de outros estados; "Total:" só no exterior
    EXPECT_EQ(Contar(t, "Transferências"), 2u);
    EXPECT_EQ(Contar(t, "Total:"), 1u);
    EXPECT_NE(LinhaCom(t, "Total:").find(" 600 "), std::string::npos) << LinhaCom(t, "Total:");
    EXPECT_NE(LinhaCom(t, "Transferências").find(" 7 "), std::string::npos);
    EXPECT_NE(t.find("1.234.567"), std::string::npos);
    EXPECT_NE(LinhaCom(t, "Produtos agropecuários").find("11"), std::string::npos);
    EXPECT_NE(LinhaCom(t, "Autuações fiscais").find("13"), std::string::npos);
    EXPECT_EQ(t.find("Transporte Tomado"), std::string::npos);

    const std::string s = texto(TForm_imp_Prelo_Saidas(dd, momento));
    EXPECT_NE(s.find("PRELO - SAIDAS"), std::string::npos);
    EXPECT_NE(s.find("Op.Prest.S/Débito"), std::string::npos);
    EXPECT_EQ(Contar(s, "Vendas"), 3u);
    EXPECT_EQ(Contar(s, "Transferências"), 2u);
    for (const char* extra : {"Transporte Tomado", "Cooperativas", "Ajuste de transferências"})
        EXPECT_NE(s.find(extra), std::string::npos) << extra;
}

TEST_F(Formularios, CompletaIdentificacaoResultadoEEntregas) {
    auto dd = DadosDeTeste(2);
    dd.d.doc.MESINICIAL = 1;
    dd.d.doc.MESFINAL = 6;
    dd.d.doc.ESCRITACONTABIL = "S";
    dd.d.doc.MUDANCAMUNICIPIO = "S";
    dd.d.resultado->RECEITABRUTA = R(5000);
    dd.d.despesas->PROLABORE = R(99);
    dd.d.estoque->INITOTAL = R(4321);
    dd.responsavel = Responsavel{3, "José da Silva", "61", "33334444", "jose@exemplo.br"};
    Entrega gravada, transmitida;
    gravada.DATA = fb::Data{std::chrono::year{2027}, std::chrono::month{2}, std::chrono::day{1}};
    gravada.HORA = "10:00:00";
    gravada.TIPOTRANSMISSAO = "D";
    transmitida.DATA = fb::Data{std::chrono::year{2027}, std::chrono::month{2}, std::chrono::day{3}};
    transmitida.HORA = "11:22:33";
    transmitida.PROTOCOLO = "20270203000000123";
    transmitida.TIPOTRANSMISSAO = "T";
    dd.entregas = {gravada, transmitida};
    const auto r = TForm_imp_Prelo_DebCred(dd, momento);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->paginas(), 2);  // uma página por linha de entrega
    const std::string t = TextoDoPdf(*r);
    const size_t quebra = t.find('\f');
    ASSERT_NE(quebra, std::string::npos);
    const std::string p1 = t.substr(0, quebra), p2 = t.substr(quebra);
    EXPECT_NE(p1.find("01/02/2027 - 10:00:00"), std::string::npos);
    EXPECT_EQ(p1.find("20270203000000123"), std::string::npos);
    EXPECT_NE(p2.find("20270203000000123"), std::string::npos);
    EXPECT_NE(p2.find("03/02/2027 - 11:22:33"), std::string::npos);
    EXPECT_EQ(Contar(t, "PRELO COMPLETA"), 2u);
    // Textos calculados
    EXPECT_NE(t.find("Período: 01/2026 a 06/2026"), std::string::npos);
    EXPECT_NE(t.find("Município em 30/06/2026: Serra Alta"), std::string::npos);
    EXPECT_NE(t.find("Mudou município em 2026: Sim"), std::string::npos);
    EXPECT_NE(t.find("Substituição: Não"), std::string::npos);
    EXPECT_NE(t.find("CNAE: 4711301 / 00 - Hipermercados"), std::string::npos);
    EXPECT_NE(t.find("Município: Porto Claro"), std::string::npos);
    EXPECT_NE(t.find("Nome: José da Silva"), std::string::npos);
    EXPECT_NE(t.find("Telefone: 61 33334444"), std::string::npos);
    EXPECT_NE(LinhaCom(t, "INICIAL(R$)").find("FINAL(R$)"), std::string::npos);
    EXPECT_NE(LinhaCom(t, "Total:").find("4.321"), std::string::npos);
    // Escrita contábil: o resultado, nenhuma despesa
    EXPECT_NE(t.find("DEMONSTRAÇÃO DO RESULTADO OPERACIONAL (R$)"), std::string::npos);
    EXPECT_NE(LinhaCom(t, "Receita bruta:").find("5.000"), std::string::npos);
    EXPECT_EQ(t.find("DESPESAS OPERACIONAIS"), std::string::npos);
    EXPECT_EQ(t.find("Pró-labore"), std::string::npos);

    dd.d.doc.ESCRITACONTABIL = "N";
    dd.entregas.clear();
    const auto semEntrega = TForm_imp_Prelo_DebCred(dd, momento);
    ASSERT_TRUE(semEntrega);
    EXPECT_EQ(semEntrega->paginas(), 1);
    const std::string n = TextoDoPdf(*semEntrega);
    EXPECT_NE(n.find("DESPESAS OPERACIONAIS"), std::string::npos);
    EXPECT_NE(LinhaCom(n, "Pró-labore:").find("99"), std::string::npos);
    EXPECT_EQ(n.find("Receita bruta"), std::string::npos);
}

TEST_F(Formularios, SimplificadaApuracaoEMudancaDeMunicipio) {
    auto dd = DadosDeTeste(5);
    dd.d.doc.TIPORECOLHIMENTO_ID = 2;
    dd.d.doc.ESCRITACONTABIL = "S";
    dd.d.resultado->RECEITABRUTA = Dinheiro::deCentavos(123456750);  // sem máscara: 1234567,5
    dd.d.entrada->VCTOTALSIMPLES = R(800);
    dd.d.saida->VCTOTALSIMPLES = R(900);
    dd.d.detalhamentoEntrada = {{501, 7, R(40), "S", {}}, {501, 30, R(2500), "S", {}}, {501, 12, R(1), "N", {}}};
    std::string t = texto(TForm_imp_Prelo_Simplificada(dd, momento));
    EXPECT_NE(t.find("PRELO SIMPLIFICADA"), std::string::npos);
    EXPECT_NE(t.find("Apuração: Presumida"), std::string::npos);
    EXPECT_NE(t.find("Período: 2026"), std::string::npos);
    EXPECT_NE(t.find("ESTOQUE DE MERCADORIAS E PRODUTOS (R$)"), std::string::npos);
    EXPECT_NE(LinhaCom(t, "Receita bruta:").find("1234567,5"), std::string::npos);
    EXPECT_NE(LinhaCom(t, "Total de entradas:").find("800"), std::string::npos);
    EXPECT_NE(LinhaCom(t, "Total de entradas:").find("900"), std::string::npos);
    // Declaração sem mudança de município: lista vazia e total 0
    EXPECT_NE(t.find("Mudança município: 0"), std::string::npos);
    EXPECT_EQ(t.find("Aldeia Nova"), std::string::npos);

    dd.d.doc.MUDANCAMUNICIPIO = "S";
    const auto r = TForm_imp_Prelo_Simplificada(dd, momento);
    t = texto(r);
    EXPECT_NE(t.find("Mudança município: 2540"), std::string::npos);
    // Linhas da lista: nome em 20 colunas e o valor sem máscara em 10, só as de mudança
    const std::string pagina = r->textoDaPagina(0).toStdString();
    EXPECT_NE(pagina.find("Aldeia Nova                 40\n"), std::string::npos);
    EXPECT_NE(pagina.find("Porto Claro               2500\n"), std::string::npos);
    EXPECT_EQ(pagina.find("Serra Alta          "), std::string::npos);
}

TEST_F(Formularios, KovTotalOperacoesPorRegime) {
    auto dd = DadosDeTeste(2);
    auto* e1 = dd.d.detalhamento(1);
    e1->VCCOMPRAVENDA = R(10);
    e1->VCTRANSFERENCIA = R(20);
    e1->VCDEVOLUCAO = R(30);
    e1->VCENERGIAELETRICA = R(1);
    e1->VCCOMUNICACAO = R(2);
    e1->VCTRANSPORTE = R(3);
    e1->VCOUTRAS = R(4);
    dd.d.detalhamento(5)->VCCOMPRAVENDA = R(1000);
    dd.d.kov->TOTALKOV = R(777);
    dd.d.exclusoes->ENTTOTAL = R(55);
    dd.d.saida->COOPERATIVA = R(66);
    std::string t = texto(TForm_imp_Kov(dd, momento));
    EXPECT_NE(t.find("TESSIVA - KOV"), std::string::npos);
    EXPECT_NE(t.find("EXCLUSÕES"), std::string::npos);
    EXPECT_NE(LinhaCom(t, "Energia Elétrica + Comunicação:").find(" 3 "), std::string::npos);
    const std::string totalOp = LinhaCom(t.substr(t.find("Total Operações")), "Total:");
    EXPECT_NE(totalOp.find(" 70 "), std::string::npos) << totalOp;
    EXPECT_NE(totalOp.find("1.000"), std::string::npos) << totalOp;
    EXPECT_NE(LinhaCom(t, "Cooperativas:").find("66"), std::string::npos);
    EXPECT_NE(LinhaCom(t, "KOV  ").find("777"), std::string::npos);
    EXPECT_NE(t.find("Mudança Município:"), std::string::npos);
    EXPECT_EQ(t.find("MUNICÍPIO"), std::string::npos);  // sem linhas de mudança, sem cabeçalhos
    EXPECT_EQ(t.find("VALOR"), std::string::npos);

    dd.d.doc.REGIME_ID = 4;
    dd.d.doc.MUDANCAMUNICIPIO = "S";
    dd.d.detalhamentoEntrada = {{501, 7, R(1), "S", R(12345)}};
    const auto r4 = TForm_imp_Kov(dd, momento);
    t = texto(r4);
    EXPECT_EQ(t.find("Total Operações"), std::string::npos);
    EXPECT_EQ(t.find("Cooperativas"), std::string::npos);
    EXPECT_NE(t.find("MUNICÍPIO"), std::string::npos);
    EXPECT_NE(r4->textoDaPagina(0).toStdString().find("Aldeia Nova                              12.345\n"),
              std::string::npos);  // 20 + 27 colunas
    // O bloco da mudança sobe para o lugar do total das operações: logo depois do KOV
    EXPECT_LT(t.find("Mudança Município:") - t.find("Outras entradas:"), 400u);
}

TEST_F(Formularios, OutrasEntradasCodigoTresDigitosEPaginas) {
    auto dd = DadosDeTeste(1);
    dd.d.detalhamentoEntrada = {{501, 7, R(150), "N", {}}, {501, 30, Dinheiro::deCentavos(100049), "N", {}}};
    std::string t = texto(TForm_imp_KovOutrasEntradas(dd, momento));
    EXPECT_NE(t.find("KOV - DETALHAMENTO DE OUTRAS ENTRADAS"), std::string::npos);
    EXPECT_NE(LinhaCom(t, "Aldeia Nova").find("007"), std::string::npos);
    EXPECT_NE(LinhaCom(t, "Aldeia Nova").find("150"), std::string::npos);
    EXPECT_NE(LinhaCom(t, "Porto Claro").find("030"), std::string::npos);
    EXPECT_NE(LinhaCom(t, "Totalização:").find("1.150"), std::string::npos) << LinhaCom(t, "Totalização:");

    // 300 linhas: várias páginas, o cabeçalho em todas, nenhuma linha perdida
    dd.d.detalhamentoEntrada.clear();
    for (int i = 1; i <= 300; ++i) dd.d.detalhamentoEntrada.push_back({501, i, R(i), "N", {}});
    const auto r = TForm_imp_KovOutrasEntradas(dd, momento);
    ASSERT_TRUE(r);
    t = TextoDoPdf(*r);
    EXPECT_GT(r->paginas(), 4);
    EXPECT_EQ(Contar(t, "PRELO - Ano Base: 2026"), static_cast<size_t>(r->paginas()));
    EXPECT_EQ(Contar(t, "\f"), static_cast<size_t>(r->paginas()));
    EXPECT_NE(t.find(QStringLiteral("Página %1 de %1").arg(r->paginas()).toStdString()), std::string::npos);
    EXPECT_NE(t.find("299"), std::string::npos);
    // Os títulos das colunas em toda página em que a lista continua
    EXPECT_EQ(Contar(t, "Valor (R$)"), static_cast<size_t>(r->paginas()));
    EXPECT_EQ(Contar(t, "Contribuinte:"), 1u);
    EXPECT_NE(LinhaCom(t, "Totalização:").find("45.150"), std::string::npos);
}

TEST_F(Formularios, GISoComSaidas) {
    auto dd = DadosDeTeste(1);
    dd.d.giSaidas = {{501, "SP", R(1), R(2), R(3), R(4), R(5), R(6)}, {501, "BA", R(10), R(20), R(30), R(40), R(50), R(60)}};
    const std::string t = texto(TForm_Imp_GI(dd, momento));
    const std::string titulo = LinhaCom(t, " GI");
    EXPECT_EQ(titulo.substr(titulo.find_first_not_of(' ')), "GI");
    EXPECT_EQ(t.find("PRELO - ENTRADAS"), std::string::npos);
    const size_t ent = t.find("ENTRADAS"), sai = t.find("SAÍDAS");
    ASSERT_NE(ent, std::string::npos);
    ASSERT_LT(ent, sai);
    const std::string entradas = t.substr(ent, sai - ent);
    EXPECT_NE(entradas.find("ST Petróleo"), std::string::npos);
    // A lista de entradas vazia e a linha do total sem valores
    const std::string totalEnt = LinhaCom(entradas, "Total");
    EXPECT_EQ(totalEnt.find_first_of("0123456789"), std::string::npos) << totalEnt;
    const std::string saidas = t.substr(sai);
    EXPECT_LT(saidas.find("BA"), saidas.find("SP"));  // em ordem de UF
    EXPECT_NE(saidas.find("N. contribuinte"), std::string::npos);
    EXPECT_NE(saidas.find("ICMS p/ ST"), std::string::npos);
    const std::string totalSai = LinhaCom(saidas, "Total");
    for (const char* v : {"11", "22", "33", "44", "55", "66"}) EXPECT_NE(totalSai.find(v), std::string::npos) << v;
}

TEST_F(Formularios, TextosCalculados) {
    Documento doc;
    doc.PERIODO = 2024;
    doc.MESINICIAL = 2;
    doc.MESFINAL = 2;
    EXPECT_EQ(LegendaMunicipio(doc), "Município em 29/02/2024:");  // ano bissexto
    doc.MESFINAL = 12;
    EXPECT_EQ(LegendaMunicipio(doc), "Município em 31/12/2024:");
    EXPECT_EQ(TextoPeriodo(doc), "02/2024 a 12/2024");
    EXPECT_EQ(SimNao("S"), "Sim");
    EXPECT_EQ(SimNao("N"), "Não");
    EXPECT_EQ(SimNao(""), "Não");
    for (int regime = 1; regime <= 6; ++regime) {
        doc.REGIME_ID = regime;
        EXPECT_EQ(OcultaTotalOperacoes(doc), regime > 2) << regime;
    }
    EXPECT_EQ(Valor(Dinheiro::deCentavos(123456789)).toStdString(), "1.234.568");
    EXPECT_EQ(Valor(Dinheiro::deCentavos(-150)).toStdString(), "-2");
    EXPECT_EQ(NumeroSimples(Dinheiro::deCentavos(-25)).toStdString(), "-0,25");
    EXPECT_EQ(NumeroSimples(Dinheiro::deCentavos(120)).toStdString(), "1,2");
    EXPECT_EQ(NumeroSimples(Dinheiro{}).toStdString(), "0");
}
