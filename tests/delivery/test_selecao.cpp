// A escolha das declarações: linhas de colunas fixas, chaves de escolha, filtros pela consulta
// numa base real, inclusão e exclusão, o limite de 10 e as perguntas da confirmação.
#include <gtest/gtest.h>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "apoio/InteracaoGravada.h"
#include "data/LinhasBanco.h"
#include "data/Entregas.h"
#include "data/RegrasDeclaracao.h"
#include "data/untUtils.h"
#include "data/fb/Comando.h"
#include "data/fb/Transacao.h"
#include "delivery/untSetDeclaracoes.h"

using namespace kov;

namespace {

LinhaDeclaracaoEntrega linha(const std::string& ie, const std::string& nome, int ini, int fim, int id,
                             const std::string& situacao, const std::string& mudanca = "N") {
    LinhaDeclaracaoEntrega l;
    l.INSCESTADUAL = ie;
    l.RAZAOSOCIAL = nome;
    l.PERIODO = 2026;
    l.MESINICIAL = ini;
    l.MESFINAL = fim;
    l.DOCUMENTO_ID = id;
    l.SITUACAO = situacao;
    l.MUDANCAMUNICIPIOANOCORRENTE = mudanca;
    return l;
}

size_t caracteres(const std::string& s) {
    size_t n = 0;
    for (unsigned char ch : s)
        if ((ch & 0xC0) != 0x80) ++n;
    return n;
}

}  // namespace

TEST(SelecaoDeclaracoes, LinhaDeColunasFixasEChaveDeEscolha) {
    struct Caso {
        const char* nome;
        const char* colunas20a41;
    };
    const Caso casos[] = {
        {"Vinte Caracteres Ltd", "Vinte Caracteres Ltd  "},
        {"Vinte e Um Caracteres", "Vinte e Um Caract...  "},
        {"Ação Comércio Ótimo", "Ação Comércio Ótimo   "},       // 19 caracteres, com acentos
        {"Ação Comércio Ótimo SA", "Ação Comércio Óti...  "},    // 22: corta em caracteres, não bytes
        {"", "                      "},
    };
    for (const auto& c : casos) {
        const std::string l = LinhaSelecao(linha("1234567890107", c.nome, 1, 12, 42, "N"), "N");
        ASSERT_EQ(caracteres(l), 68u) << l;
        EXPECT_EQ(l.substr(0, 19), "   123.456789.0107 ") << l;
        EXPECT_EQ(NomeNaLinha(c.nome), c.colunas20a41);
        EXPECT_EQ(l.substr(l.size() - 27), "01 12 2026 - 0000000042 [N]") << l;
        EXPECT_EQ(ChaveEscolha(l), "1234567890107011220260000000042N") << l;
    }
    // O indicador da posição 32 segue a coluna 65, que no formato da linha é sempre branco
    std::string l = LinhaSelecao(linha("1234567890107", "X", 3, 5, 7, "T"), "T");
    EXPECT_EQ(ChaveEscolha(l), "1234567890107030520260000000007N");
    l[l.size() - 4] = '*';
    EXPECT_EQ(ChaveEscolha(l).back(), 'S');

    // Datas dos filtros: só uma data preenchida dá o mês
    EXPECT_EQ(MesDoFiltro("31/02/2026"), std::nullopt);
    EXPECT_EQ(MesDoFiltro("01/01/1950"), std::nullopt);
    EXPECT_EQ(MesDoFiltro("  /  /    "), std::nullopt);
    EXPECT_EQ(MesDoFiltro("15/03/2026"), 3);
    SelecaoDeclaracoes s(ModoSelecao::Transmissao);
    s.usarFiltros = true;
    s.inscricao = "123.456789.0107";
    s.dataInicio = "31/02/2026";
    s.dataFim = "15/03/2026";
    const auto f = s.filtro("2026");
    EXPECT_EQ(f.inscricao, "1234567890107");
    EXPECT_EQ(f.mesInicio, std::nullopt);
    EXPECT_EQ(f.mesFim, 3);
    s.usarFiltros = false;  // "Todas Declarações": nenhum filtro
    EXPECT_EQ(s.filtro("2026").inscricao, "");
    EXPECT_EQ(s.filtro("2026").mesFim, std::nullopt);
}

TEST(SelecaoDeclaracoes, IncluiExcluiConfirmaEOLimiteDeDez) {
    std::vector<LinhaDeclaracaoEntrega> linhas;
    for (int i = 0; i < 11; ++i)
        linhas.push_back(linha(teste::InscricaoValida(i + 1), "Empresa " + std::to_string(i), 1, 12, 100 + i, "N"));
    // A junção com as entregas repete a declaração: a segunda linha é pulada
    linhas.insert(linhas.begin() + 1, linhas[0]);
    // Transmitida com mudança de município no ano corrente: não oferecida; situação vazia também não
    linhas.push_back(linha(teste::InscricaoValida(50), "Mudou", 1, 12, 300, "T", "S"));
    linhas.push_back(linha(teste::InscricaoValida(51), "Sem Tipo", 1, 12, 301, ""));
    SelecaoDeclaracoes s(ModoSelecao::Transmissao);
    s.montar(linhas);
    ASSERT_EQ(s.disponiveis().size(), 11u);
    EXPECT_EQ(s.rotuloContagem(), "Declarações Selecionadas (0)");

    teste::InteracaoGravada ui;
    EXPECT_EQ(s.confirmar(ui), std::nullopt);
    EXPECT_EQ(ui.textos(), std::vector<std::string>{"Nenhuma declaração foi selecionada!"});

    s.incluir({3, 1});
    s.incluir({1});  // incluir de novo não repete
    ASSERT_EQ(s.escolhidas().size(), 2u);
    EXPECT_LT(s.escolhidas()[0], s.escolhidas()[1]) << "a lista escolhida fica em ordem";
    EXPECT_EQ(s.escolhidas()[0].substr(0, 3), "   ");
    EXPECT_EQ(s.disponiveis()[1].substr(0, 3), "[*]");
    EXPECT_EQ(s.rotuloContagem(), "Declarações selecionadas (2)");
    s.excluir({0});
    EXPECT_EQ(s.disponiveis()[1].substr(0, 3), "   ") << "a exclusão desmarca a linha disponível";
    EXPECT_EQ(s.disponiveis()[3].substr(0, 3), "[*]");
    EXPECT_EQ(s.rotuloContagem(), "Declarações selecionadas (1)");

    s.incluirTodas();
    ASSERT_EQ(s.escolhidas().size(), 11u);
    ui.mensagens.clear();
    EXPECT_EQ(s.confirmar(ui), std::nullopt);
    EXPECT_EQ(ui.textos(), std::vector<std::string>{"Escolha, no máximo, 10 declarações para serem entregues!"});
    s.excluir({10});
    const auto chaves = s.confirmar(ui);
    ASSERT_TRUE(chaves.has_value());
    ASSERT_EQ(chaves->size(), 10u);
    EXPECT_TRUE(std::is_sorted(chaves->begin(), chaves->end()));
    for (const auto& k : *chaves) EXPECT_EQ(k.size(), 32u) << k;

    // Cópia de segurança: sem limite e sem perguntas
    SelecaoDeclaracoes copia(ModoSelecao::Copia);
    copia.montar(linhas);
    copia.incluirTodas();
    ui.mensagens.clear();
    EXPECT_EQ(copia.confirmar(ui).value_or(std::vector<std::string>{}).size(), 11u);
    EXPECT_TRUE(ui.mensagens.empty());
    copia.excluirTodas();
    EXPECT_TRUE(copia.escolhidas().empty());
    for (const auto& d : copia.disponiveis()) EXPECT_EQ(d.substr(0, 3), "   ");
}

TEST(SelecaoDeclaracoes, PerguntasDasJaGravadasETransmitidas) {
    const std::vector<LinhaDeclaracaoEntrega> linhas = {linha(teste::InscricaoValida(1), "Gravada", 1, 12, 1, "D"),
                                                        linha(teste::InscricaoValida(2), "Transmitida", 1, 12, 2, "T")};
    const std::string gravadas = "Existem declarações já gravadas na lista selecionada! Deseja continuar?";
    const std::string transmitidas = "Existem declarações já transmitidas na lista selecionada! Deseja continuar?";
    struct Caso {
        ModoSelecao modo;
        std::deque<bool> respostas;
        std::vector<std::string> perguntas;
        bool fecha;
    };
    const Caso casos[] = {
        {ModoSelecao::Transmissao, {true, true}, {gravadas, transmitidas}, true},
        {ModoSelecao::Transmissao, {false}, {gravadas}, false},
        {ModoSelecao::Transmissao, {true, false}, {gravadas, transmitidas}, false},
        {ModoSelecao::Gravacao, {true}, {gravadas}, true},  // na gravação só a primeira pergunta
        {ModoSelecao::Copia, {}, {}, true},
    };
    for (const auto& c : casos) {
        SelecaoDeclaracoes s(c.modo);
        s.montar(linhas);
        s.incluirTodas();
        teste::InteracaoGravada ui;
        ui.respostas = c.respostas;
        EXPECT_EQ(s.confirmar(ui).has_value(), c.fecha);
        EXPECT_EQ(ui.textos(), c.perguntas);
    }
}

TEST(SelecaoDeclaracoes, ConsultaDoAnoBaseComFiltrosEEntregas) {
    teste::BaseAberta b;
    fb::Conexao& c = b.c;
    std::vector<Contribuinte> cts;
    {
        fb::Transacao tr(c);
        fb::Comando m(tr, "SELECT MIN(CODDRUMUNICIPIO) FROM MUNICIPIO");
        m.proximo();
        const int municipio = static_cast<int>(m.coluna(0).inteiro());
        for (int i = 1; i <= 5; ++i) {
            Contribuinte ct = teste::ContribuinteDeTeste(i, municipio, "Empresa " + std::to_string(i));
            ct.INSCESTADUAL = teste::InscricaoValida(i);
            cts.push_back(ct);
        }
        InserirLinhas(tr, cts);
        tr.commit();
    }
    auto nova = [&](const Contribuinte& ct, const std::string& ano, int ini, int fim) {
        Declaracao d = NovaDeclaracao(ano);
        DefinirContribuinte(d, ct);
        d.doc.REGIME_ID = 1;
        d.doc.TIPOCONTRIBUINTE_ID = 1;
        d.doc.CODDRUMUNICIPIO = ct.CODDRUMUNICIPIO;
        d.doc.MESINICIAL = ini;
        d.doc.MESFINAL = fim;
        SalvarDeclaracao(c, d, ct, 2026, ano);
        return d.doc.DOCUMENTO_ID;
    };
    const int naoEntregue = nova(cts[0], "2016", 1, 6);
    const int gravadaETransmitida = nova(cts[0], "2016", 7, 12);
    const int mudou = nova(cts[1], "2016", 1, 12);
    const int gravada = nova(cts[2], "2016", 3, 12);
    const int inconsistente = nova(cts[3], "2016", 1, 12);
    const int outroAno = nova(cts[4], "2015", 1, 12);
    {
        fb::Transacao tr(c);
        fb::Comando::executarDireto(tr, "UPDATE DOCUMENTO SET STATUS_ID = 2");
        fb::Comando::executarDireto(tr, "UPDATE DOCUMENTO SET STATUS_ID = 1 WHERE DOCUMENTO_ID = " +
                                            std::to_string(inconsistente));
        fb::Comando::executarDireto(tr, "UPDATE DOCUMENTO SET MUDANCAMUNICIPIOANOCORRENTE = 'S' WHERE DOCUMENTO_ID = " +
                                            std::to_string(mudou));
        for (auto [doc, tipo] : {std::pair{gravadaETransmitida, "D"}, std::pair{gravadaETransmitida, "T"},
                                 std::pair{mudou, "T"}, std::pair{gravada, "D"}}) {
            Entrega e;
            e.DOCUMENTO_ID = doc;
            e.TIPOTRANSMISSAO = tipo;
            GravarEntrega(tr, e);
        }
        tr.commit();
    }
    auto ids = [](const SelecaoDeclaracoes& s) {
        std::vector<std::string> v;
        for (const auto& l : s.disponiveis()) v.push_back(l.substr(l.size() - 14));
        return v;
    };
    auto fim = [](int id, const char* sit) {
        char b[32];
        std::snprintf(b, sizeof b, "%010d [%s]", id, sit);
        return std::string(b);
    };
    (void)outroAno;
    SelecaoDeclaracoes s(ModoSelecao::Transmissao);
    ASSERT_TRUE(s.reconstruir(c, "2016"));
    EXPECT_EQ(ids(s), (std::vector<std::string>{fim(naoEntregue, "N"), fim(gravadaETransmitida, "T"), fim(gravada, "D")}));

    // "Não Transmitidas": a declaração com gravação e transmissão ainda aparece uma vez, como [T]
    s.usarFiltros = true;
    s.naoTransmitidas = true;
    ASSERT_TRUE(s.reconstruir(c, "2016"));
    EXPECT_EQ(ids(s), (std::vector<std::string>{fim(naoEntregue, "N"), fim(gravadaETransmitida, "T"), fim(gravada, "D")}));

    s.naoTransmitidas = false;
    s.dataInicio = "15/03/2026";  // MESINICIAL >= 3
    ASSERT_TRUE(s.reconstruir(c, "2016"));
    EXPECT_EQ(ids(s), (std::vector<std::string>{fim(gravadaETransmitida, "T"), fim(gravada, "D")}));
    s.dataInicio = "31/02/2026";  // não é data: não filtra
    s.dataFim = "10/06/2026";     // MESFINAL <= 6
    ASSERT_TRUE(s.reconstruir(c, "2016"));
    EXPECT_EQ(ids(s), (std::vector<std::string>{fim(naoEntregue, "N")}));

    s.dataFim.clear();
    s.inscricao = FormatarIE(cts[2].INSCESTADUAL);
    ASSERT_TRUE(s.reconstruir(c, "2016"));
    EXPECT_EQ(ids(s), (std::vector<std::string>{fim(gravada, "D")}));
    s.inscricao = "123' OR '1'='1";  // só os dígitos vão para o parâmetro
    EXPECT_FALSE(s.reconstruir(c, "2016"));
    EXPECT_TRUE(s.disponiveis().empty());
}
