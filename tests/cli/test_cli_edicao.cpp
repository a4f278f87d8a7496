// kov-cli declaracoes criar, alterar, mostrar e excluir: a declaração feita sem a tela passa
// pelas regras e recusas do editor, é gravada e consistida, e volta igual pela leitura.
#include <gtest/gtest.h>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "apoio/Processo.h"
#include "data/LinhasBanco.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"

using namespace kov;

namespace {

using teste::linhas;

struct CliEdicao : ::testing::Test {
    teste::InstalacaoTeste inst;
    std::string cli;
    int municipio = 0;

    void SetUp() override {
        cli = teste::instalarCli(inst.exe.string());
        fb::ParametrosConexao p;
        p.banco = inst.base.string();
        fb::Conexao c;
        c.abrir(p);
        fb::Transacao tr(c);
        fb::Comando m(tr, "SELECT MIN(CODDRUMUNICIPIO) FROM MUNICIPIO");
        m.proximo();
        municipio = static_cast<int>(m.coluna(0).inteiro());
        Responsavel r;
        r.RESPONSAVEL_ID = 1;
        r.NOME = "Contadora";
        InserirLinhas(tr, std::vector<Responsavel>{r});
        Contribuinte a = teste::ContribuinteDeTeste(1, municipio, "Mercado Boa Vista");
        a.RESPONSAVEL_ID = 1;
                Contribuinte semCnpj = a;
        semCnpj.CONTRIBUINTE_ID = 3;
        semCnpj.INSCESTADUAL = "1111111111111";
        semCnpj.CNPJ.clear();
        InserirLinhas(tr, std::vector<Contribuinte>{a, semCnpj});
        tr.commit();
    }

    teste::ResultadoProcesso kov(std::vector<std::string> args) {
        args.insert(args.begin(), "declaracoes");
        return teste::rodar(cli, args);
    }
    // Linhas de "mostrar" que começam com o prefixo
    std::vector<std::string> mostrar(int chave, const std::string& prefixo) {
        std::vector<std::string> v;
        for (const auto& l : linhas(kov({"mostrar", std::to_string(chave)}).saida))
            if (l.rfind(prefixo, 0) == 0) v.push_back(l);
        return v;
    }
    static int chaveDe(const std::string& saida) { return std::stoi(saida.substr(0, saida.find('\t'))); }
};

}  // namespace

TEST_F(CliEdicao, CriaAlteraMostraEExcluiComoOEditor) {
    // Criada com valores: gravada com os totais calculados e consistida
    auto r = kov({"criar", "1234567890107", "--regime", "1", "--valor", "ESTOQUE.INITRIBUTADOS=1500", "--valor",
                  "estoque.iniisento=250,50", "--valor", "DETALHAMENTOES.1.VCCOMPRAVENDA=300"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    const int chave = chaveDe(r.saida);
    EXPECT_EQ(linhas(r.saida)[0], std::to_string(chave) + "\t1234567890107\tMercado Boa Vista\tConsistente");
    EXPECT_EQ(mostrar(chave, "ESTOQUE.INI"),
              (std::vector<std::string>{"ESTOQUE.INITRIBUTADOS\t1500,00", "ESTOQUE.INISST\t0,00",
                                        "ESTOQUE.INIISENTO\t250,50", "ESTOQUE.INIOUTROS\t0,00",
                                        "ESTOQUE.INITOTAL\t1750,50"}));
    EXPECT_EQ(mostrar(chave, "DOCUMENTO.MES"),
              (std::vector<std::string>{"DOCUMENTO.MESINICIAL\t1", "DOCUMENTO.MESFINAL\t12"}));
    EXPECT_EQ(mostrar(chave, "DOCUMENTO.CODDRUMUNICIPIO"),
              std::vector<std::string>{"DOCUMENTO.CODDRUMUNICIPIO\t" + std::to_string(municipio)});
    EXPECT_EQ(mostrar(chave, "DETALHAMENTOES.1.VCCOMPRAVENDA"),
              std::vector<std::string>{"DETALHAMENTOES.1.VCCOMPRAVENDA\t300,00"});
    // Os totais do detalhamento chegam às entradas e ao KOV, como no editor
    EXPECT_EQ(mostrar(chave, "ENTRADA.VCESTADO"), std::vector<std::string>{"ENTRADA.VCESTADO\t300,00"});
    EXPECT_EQ(mostrar(chave, "KOV.ENTRADAS"), std::vector<std::string>{"KOV.ENTRADAS\t300,00"});
    auto lista = linhas(kov({"listar"}).saida);
    ASSERT_EQ(lista.size(), 1u);
    EXPECT_EQ(chaveDe(lista[0]), chave);
    EXPECT_NE(lista[0].find("\tConsistente\t"), std::string::npos) << lista[0];

    // Alterada dentro do grupo débito/crédito: os valores ficam
    r = kov({"alterar", std::to_string(chave), "--regime", "2", "--mes-final", "6"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    EXPECT_EQ(mostrar(chave, "DOCUMENTO.MESFINAL"), std::vector<std::string>{"DOCUMENTO.MESFINAL\t6"});
    EXPECT_EQ(mostrar(chave, "ESTOQUE.INITOTAL"), std::vector<std::string>{"ESTOQUE.INITOTAL\t1750,50"});

    // Uma segunda declaração do contribuinte no resto do ano não conflita
    r = kov({"criar", "1234567890107", "--regime", "1", "--mes-inicial", "7"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    const int segunda = chaveDe(r.saida);
    EXPECT_EQ(linhas(kov({"listar"}).saida).size(), 2u);

    // Excluídas: a que não existe é dita e não impede as outras
    r = kov({"excluir", std::to_string(chave), "999999", std::to_string(segunda)});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(linhas(r.saida), (std::vector<std::string>{std::to_string(chave) + "\texcluída",
                                                         std::to_string(segunda) + "\texcluída"}));
    EXPECT_NE(r.erros.find("Declaração 999999 não excluída"), std::string::npos) << r.erros;
    EXPECT_TRUE(kov({"listar"}).saida.empty());
}

TEST_F(CliEdicao, RecusasNaoGravamNada) {
    ASSERT_EQ(kov({"criar", "1234567890107", "--regime", "1", "--mes-final", "6"}).codigo, 0);
    struct Caso {
        std::vector<std::string> args;
        int codigo;
        std::string mensagem;
    };
    const std::vector<Caso> casos = {
        {{"criar", "1234567890107", "--regime", "1", "--mes-inicial", "6"}, 1,
         "Existe documento com conflito de periodo para este contribuinte!"},
        {{"criar", "1234567890107", "--regime", "1", "--mes-inicial", "10", "--mes-final", "8"}, 1,
         "Mês Inicial maior que Mês Final!"},
        {{"criar", "1234567890107", "--mes-inicial", "7"}, 1, "Favor informar o regime de recolhimento."},
        {{"criar", "1234567890107", "--regime", "3", "--mes-inicial", "7"}, 1,
         "O regime 3 não é oferecido no ano base 2016."},
        {{"criar", "1234567890107", "--regime", "1", "--mes-inicial", "7", "--apuracao", "real"}, 1,
         "O regime 1 não tem apuração."},
        {{"criar", "1111111111111", "--regime", "1"}, 1,
         "O CNPJ do contribuinte selecionado deve ser informado no cadastro de contibuintes"},
        {{"criar", "5555555555555", "--regime", "1"}, 1, "Contribuinte não cadastrado: 5555555555555."},
        {{"criar", "1234567890107", "--regime", "1", "--mes-inicial", "7", "--municipio", "999999"}, 1,
         "Município não encontrado: 999999."},
        {{"criar", "1234567890107", "--regime", "1", "--mes-inicial", "7", "--valor", "ESTOQUE.NADA=1"}, 1,
         "Coluna de valor desconhecida: ESTOQUE.NADA."},
        {{"criar", "1234567890107", "--regime", "1", "--valor", "ESTOQUE.INITRIBUTADOS=-5"}, 2,
         "Valor negativo só em DEMOSTRACAORESULTADOOPERACIONAL.CORRECAOMONETARIA"},
        {{"criar", "1234567890107", "--regime", "1", "--valor", "ESTOQUE.INITRIBUTADOS=1x"}, 2, "Valor inválido"},
        {{"criar", "1234567890107", "--mes-inicial", "13"}, 2, "Mês inválido: 13"},
        {{"criar", "1234567890107", "--baixa", "X"}, 2, "Baixa deve ser S ou N"},
        {{"criar", "--regime", "1"}, 2, "Inscrição estadual não informada."},
        {{"alterar", "1"}, 2, "Nada a alterar."},
        {{"alterar", "999999", "--regime", "2"}, 1, "Declaração 999999 não encontrada."},
    };
    for (const auto& caso : casos) {
        const auto r = kov(caso.args);
        EXPECT_EQ(r.codigo, caso.codigo) << caso.mensagem << "\n" << r.erros;
        EXPECT_NE(r.erros.find(caso.mensagem), std::string::npos) << r.erros;
        EXPECT_TRUE(r.saida.empty()) << r.saida;
    }
    EXPECT_EQ(linhas(kov({"listar"}).saida).size(), 1u);
}

TEST_F(CliEdicao, TrocaDeGrupoDeRegimeApagaAsFiguras) {
    // Regimes simplificados só antes de 2007
    ASSERT_EQ(teste::rodar(cli, {"parametro", "ANOEXERCICIO", "2006"}).codigo, 0);
    auto r = kov({"criar", "1234567890107", "--regime", "5", "--apuracao", "real", "--valor", "SAIDA.VCESTADO=900"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    const int chave = chaveDe(r.saida);
    EXPECT_EQ(mostrar(chave, "DOCUMENTO.TIPORECOLHIMENTO_ID"),
              std::vector<std::string>{"DOCUMENTO.TIPORECOLHIMENTO_ID\t1"});
    EXPECT_EQ(mostrar(chave, "SAIDA.VCESTADO"), std::vector<std::string>{"SAIDA.VCESTADO\t900,00"});

    r = kov({"alterar", std::to_string(chave), "--regime", "6", "--apuracao", "real"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    EXPECT_EQ(mostrar(chave, "SAIDA.VCESTADO"), std::vector<std::string>{"SAIDA.VCESTADO\t900,00"});
    EXPECT_EQ(mostrar(chave, "DOCUMENTO.TIPORECOLHIMENTO_ID"),
              std::vector<std::string>{"DOCUMENTO.TIPORECOLHIMENTO_ID\t1"});

    r = kov({"alterar", std::to_string(chave), "--regime", "1"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    EXPECT_NE(r.erros.find("A troca de grupo de regime apagou as figuras da declaração."), std::string::npos);
    EXPECT_NE(mostrar(chave, "SAIDA.VCESTADO"), std::vector<std::string>{"SAIDA.VCESTADO\t900,00"});
    EXPECT_EQ(mostrar(chave, "DOCUMENTO.TIPORECOLHIMENTO_ID"),
              std::vector<std::string>{"DOCUMENTO.TIPORECOLHIMENTO_ID\t0"});
}

TEST_F(CliEdicao, TrazAsDeclaracoesDoAnoAnterior) {
    ASSERT_EQ(teste::rodar(cli, {"parametro", "ANOEXERCICIO", "2015"}).codigo, 0);
    ASSERT_EQ(kov({"criar", "1234567890107", "--regime", "2", "--valor", "ESTOQUE.FIMTRIBUTADOS=300"}).codigo, 0);
    ASSERT_EQ(teste::rodar(cli, {"parametro", "ANOEXERCICIO", "2016"}).codigo, 0);

    auto r = kov({"trazer-ano-anterior", "--todos"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    auto l = linhas(r.saida);
    ASSERT_EQ(l.size(), 2u) << r.saida;
    EXPECT_EQ(l[0].rfind("1234567890107\tMercado Boa Vista\tcriada\t", 0), 0u) << l[0];
    EXPECT_EQ(l[1], "1 declaração criada, 0 puladas.");
    const int chave = std::stoi(l[0].substr(l[0].find("criada\t") + 7));
    EXPECT_EQ(mostrar(chave, "ESTOQUE.INITRIBUTADOS"), std::vector<std::string>{"ESTOQUE.INITRIBUTADOS\t300,00"});
    EXPECT_EQ(mostrar(chave, "DOCUMENTO.REGIME_ID"), std::vector<std::string>{"DOCUMENTO.REGIME_ID\t2"});

    // De novo: nada a trazer; pedir quem já tem não é falha, uma inscrição desconhecida é
    r = kov({"trazer-ano-anterior", "--todos"});
    EXPECT_EQ(r.codigo, 0);
    EXPECT_EQ(r.saida, "Nenhum contribuinte com declaração em 2015 e sem declaração no ano base 2016.\n");
    r = kov({"trazer-ano-anterior", "1234567890107"});
    EXPECT_EQ(r.codigo, 0) << r.saida;
    r = kov({"trazer-ano-anterior", "1234567890107", "5555555555555"});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(linhas(r.saida),
              (std::vector<std::string>{"5555555555555\t\tpulada\tContribuinte não cadastrado.",
                                        "1234567890107\tMercado Boa Vista\tpulada\tJá tem declaração no ano base 2016.",
                                        "0 declarações criadas, 2 puladas."}));
    EXPECT_EQ(linhas(kov({"listar"}).saida).size(), 1u);
    EXPECT_EQ(kov({"trazer-ano-anterior"}).codigo, 2);
}
