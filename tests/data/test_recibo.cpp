// O recibo em texto: linhas, larguras, totais por regime, outras entradas e a codificação.
#include <gtest/gtest.h>

#include "data/Codificacao.h"
#include "data/ReciboTexto.h"
#include "platform/Interacao.h"

using namespace kov;

namespace {

Declaracao exemplo(int regime) {
    Declaracao d;
    d.doc.PERIODO = 2016;
    d.doc.MESINICIAL = 3;
    d.doc.MESFINAL = 11;
    d.doc.SUBSTITUICAO = "N";
    d.doc.REGIME_ID = regime;
    d.NOME_CONTRIBUINTE = "Comércio de Secos e Molhados Ação e Cia Limitada da Região Norte";
    d.IE_CONTRIBUINTE = "1234567890107";
    d.DESCRICAO_MUNICIPIO = "SÃO JOÃO DAS PEDRAS";
    d.DESCRICAO_TIPOREGIME = "Normal - Débito e Crédito";
    d.entrada.emplace();
    d.entrada->VCTOTAL = Dinheiro::deCentavos(123456789);
    d.entrada->VCTOTALSIMPLES = Dinheiro::deCentavos(5000);
    d.saida.emplace();
    d.saida->VCTOTAL = Dinheiro::deCentavos(250);
    d.saida->VCTOTALSIMPLES = Dinheiro::deCentavos(350);
    d.kov.emplace();
    d.kov->SAIDAS = Dinheiro::deCentavos(123456789);  // 1.234.567,89 → 1.234.568
    d.kov->ENTRADAS = Dinheiro::deCentavos(150);     // 1,50 → 2 (meio para par)
    d.kov->OUTRASENTRADAS = Dinheiro::deCentavos(250);  // 2,50 → 2
    d.kov->TOTALKOV = Dinheiro::deCentavos(-99999);  // os valores gravados, não recalculados
    return d;
}

}  // namespace

TEST(Recibo, SemOutrasEntradasLinhasELarguras) {
    const auto l = LinhasReciboTexto(exemplo(1), {});
    ASSERT_EQ(l.size(), 29u);  // 24 linhas e os avisos g a k
    EXPECT_EQ(l[0], "");
    EXPECT_EQ(l[1], "Período de referência:        03/2016 a 11/2016");
    EXPECT_EQ(l[2], "Substituição da declaração:   N");
    EXPECT_EQ(l[5], "Contribuinte:                 Comércio de Secos e Molhados Ação e Cia Limitada da Região Norte")
        << "a razão social nunca é cortada";
    EXPECT_EQ(l[6], "Inscrição Estadual:           1234567890107                 ");
    EXPECT_EQ(l[7], "Município:                    SÃO JOÃO DAS PEDRAS");
    EXPECT_EQ(l[8], "Regime de recolhimento:       Normal - Débito e Crédito");
    EXPECT_EQ(l[11], "             Apuração do Tessiva - KOV");
    EXPECT_EQ(l[13], "          PRELO - Valor Contábil");
    EXPECT_EQ(l[14], "  Total das Entradas            1.234.568");
    EXPECT_EQ(l[15], "  Total das Saídas                      2");
    EXPECT_EQ(l[17], "          KOV");
    EXPECT_EQ(l[18], "  Saídas                        1.234.568");
    EXPECT_EQ(l[19], "  Entradas                              2");
    EXPECT_EQ(l[20], "  Outras Entradas                       2");
    EXPECT_EQ(l[21], "  Valor Adicionado   " + std::string(14, ' ') + "-1.000");
    EXPECT_EQ(l[22], "");
    EXPECT_EQ(l[23], "");
    EXPECT_EQ(l[24].rfind("Os dados informados não serão considerados", 0), 0u);
    EXPECT_EQ(l[26], "Este recibo deverá ser mantido em seu poder pelo prazo previsto no parágrafo primeiro do art. "
                     "96 do RICMS/96");
    EXPECT_EQ(l[27], "");
    EXPECT_EQ(l[28], "");
    // A linha da inscrição tem sempre 60 caracteres: cortada quando passa
    Declaracao longa = exemplo(1);
    longa.IE_CONTRIBUINTE = std::string(40, '9');
    EXPECT_EQ(LinhasReciboTexto(longa, {})[6], "Inscrição Estadual:           " + std::string(30, '9'));
}

TEST(Recibo, TotaisPeloRegime) {
    auto l = LinhasReciboTexto(exemplo(5), {});
    EXPECT_EQ(l[14], "  Total das Entradas                   50");
    EXPECT_EQ(l[15], "  Total das Saídas                      4") << "3,50 arredondado para exibir";
    l = LinhasReciboTexto(exemplo(6), {});
    EXPECT_EQ(l[14], "  Total das Entradas                   50");
    l = LinhasReciboTexto(exemplo(3), {});
    EXPECT_EQ(l[14], "  Total das Entradas            1.234.568");
    // Seções ausentes valem zero
    Declaracao vazia = exemplo(1);
    vazia.entrada.reset();
    vazia.kov.reset();
    l = LinhasReciboTexto(vazia, {});
    EXPECT_EQ(l[14], "  Total das Entradas                    0");
    EXPECT_EQ(l[18], "  Saídas                                0");
}

TEST(Recibo, OutrasEntradasEmOrdemDeNome) {
    Declaracao d = exemplo(1);
    for (auto [cod, valor, mm] : {std::tuple{30, 150000, "N"}, std::tuple{7, 99, "S"}, std::tuple{123456, 0, "N"}}) {
        DetalhamentoEntrada m;
        m.CODDRUMUNICIPIO = cod;
        m.VALOR = Dinheiro::deCentavos(valor);
        m.MUDANCAMUNICIPIO = mm;
        d.detalhamentoEntrada.push_back(m);
    }
    const std::map<int, std::string> nomes = {{30, "VILA RICA"}, {7, "ÁGUA BOA"}, {123456, "PORTO NOVO"}};
    const auto l = LinhasReciboTexto(d, nomes);
    ASSERT_EQ(l.size(), 29u + 3 + 3 + 2);
    EXPECT_EQ(l[24], "Detalhamento de Outras Entradas - K") << "o título de 37 caracteres é cortado a 35";
    EXPECT_EQ(l[25], "");
    EXPECT_EQ(l[26], "Cód. Município   Município                                                           Valores");
    // Em ordem de nome (como o agregado guarda os municípios)
    // Em ordem alfabética do nome: código com 14 posições, três brancos, nome com 50, valor com 25
    auto linha = [](const std::string& cod, const std::string& nome, size_t tamNome, const std::string& valor) {
        return std::string(14 - cod.size(), ' ') + cod + "   " + nome + std::string(50 - tamNome, ' ') +
               std::string(25 - valor.size(), ' ') + valor;
    };
    EXPECT_EQ(l[27], linha("7", "ÁGUA BOA", 8, "1"));
    EXPECT_EQ(l[28], linha("123456", "PORTO NOVO", 10, "0"));
    EXPECT_EQ(l[29], linha("30", "VILA RICA", 9, "1.500"));
    EXPECT_EQ(l[30], "");
    EXPECT_EQ(l[31], "");
    EXPECT_EQ(l[32].rfind("Os dados informados", 0), 0u);
}

TEST(Recibo, TextoEmWindows1252ComCrLf) {
    const std::string t = GerarReciboTexto(exemplo(1), {});
    EXPECT_EQ(t.substr(0, 4), "\r\nPe");
    EXPECT_EQ(static_cast<unsigned char>(t[5]), 0xED) << "í em Windows-1252";
    EXPECT_EQ(t.substr(t.size() - 4), "\r\n\r\n");
    size_t linhas = 0;
    for (size_t i = 0; i + 1 < t.size(); ++i) linhas += t[i] == '\r' && t[i + 1] == '\n';
    EXPECT_EQ(linhas, 29u);
}

TEST(Recibo, ConversaoSeguraParaWindows1252) {
    // Um '?' por caractere sem lugar no Windows-1252 (as colunas do recibo mantêm a largura),
    // e um por byte que não forma UTF-8, sem engolir o caractere seguinte
    const std::vector<std::pair<std::string, std::string>> casos = {
        {"Ação Ω", "A\xE7\xE3o ?"},
        {"€ “aspas” – ok", "\x80 \x93" "aspas\x94 \x96 ok"},
        {"emoji 😀 fim", "emoji ? fim"},
        {"a\xC3(b", "a?(b"},
        {"corte\xE2\x82", "corte??"},
        {"", ""},
    };
    for (const auto& [utf8, esperado] : casos) EXPECT_EQ(ParaWindows1252(utf8), esperado) << utf8;
    // Texto maior que o bloco de conversão sai inteiro
    std::string longo;
    for (int i = 0; i < 3000; ++i) longo += "ção";
    const std::string convertido = ParaWindows1252(longo);
    ASSERT_EQ(convertido.size(), 9000u);
    EXPECT_EQ(convertido.substr(8997), "\xE7\xE3o");
    // Sem a conversão disponível, erro em vez do texto sem converter
    EXPECT_THROW(ConverterTexto("Ação", "UTF-8", "CODIFICACAO-INEXISTENTE"), ErroSistema);
}
