// Acesso ao Firebird: tipos exatos, parâmetros nomeados, blobs, transações e erros do servidor.
#include <gtest/gtest.h>

#include <filesystem>

#include "apoio/BaseTeste.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/ErroBanco.h"
#include "data/fb/Transacao.h"

using namespace kov;
using namespace std::chrono;

namespace {

struct BaseFb : ::testing::Test {
    teste::PastaTemporaria pasta;
    fb::Conexao c;
    void SetUp() override {
        teste::copiarBaseModelo(pasta.caminho() / "KOV.GDB");
        fb::ParametrosConexao p;
        p.banco = teste::enderecoBanco(pasta.caminho() / "KOV.GDB");
        c.abrir(p);
        fb::Transacao tr(c);
        fb::Comando::executarDireto(tr,
                                    "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, V NUMERIC(15,2), "
                                    "V13 NUMERIC(13,2), S VARCHAR(60), C CHAR(4), D DATE, B BLOB SUB_TYPE 0, "
                                    "BT BLOB SUB_TYPE 1, DP DOUBLE PRECISION)");
        tr.commit();
    }
};

}  // namespace

TEST_F(BaseFb, ValoresVoltamExatamenteComoForamGravados) {
    std::string binario;
    for (int i = 0; i < 100000; ++i) binario += static_cast<char>(i % 256);
    {
        fb::Transacao tr(c);
        fb::Comando ins(tr, "INSERT INTO T (ID, V, V13, S, C, D, B, BT, DP) VALUES (:ID, :V, :V13, :S, :C, :D, :B, :BT, :DP)");
        ins.param("ID", 1)
            .param("V", Dinheiro::deCentavos(1234567890123))  // 12.345.678.901,23
            .param("V13", Dinheiro::deCentavos(-5))
            .param("S", "Ω fora do WIN1252")  // letra grega não existe no conjunto da base
            .param("C", "E0")
            .param("D", fb::Data{year(2016), January, day(31)})
            .param("B", fb::Valor::binario(binario))
            .param("BT", "Recibo de entrega\r\nSegunda linha")
            .param("DP", 0.1);
        EXPECT_THROW(ins.executar(), fb::ErroBanco);  // caractere fora do conjunto da base
        ins.param("S", "Não atribuído ÇÃÕ çãõ áéíóú");
        ins.executar();
        ins.param("ID", 2).param("V", nullptr).param("V13", nullptr).param("S", nullptr).param("C", nullptr)
            .param("D", nullptr).param("B", nullptr).param("BT", nullptr).param("DP", nullptr);
        ins.executar();
        tr.commit();
    }
    fb::Transacao tr(c);
    fb::Comando q(tr, "SELECT * FROM T ORDER BY ID");
    ASSERT_TRUE(q.proximo());
    EXPECT_EQ(q["V"].dinheiro().centavos(), 1234567890123);
    EXPECT_EQ(q["V"].escala(), -2);
    EXPECT_EQ(q["V"].texto(), "12345678901.23");
    EXPECT_EQ(q["V13"].dinheiro().centavos(), -5);
    EXPECT_EQ(q["V13"].texto(), "-0.05");
    EXPECT_EQ(q["S"].texto(), "Não atribuído ÇÃÕ çãõ áéíóú");
    EXPECT_EQ(q["C"].texto(), "E0  ");  // CHAR mantém o tamanho declarado, em caracteres
    EXPECT_EQ(q["D"].data(), (fb::Data{year(2016), January, day(31)}));
    EXPECT_EQ(q["B"].bytes(), binario);
    EXPECT_EQ(q["BT"].texto(), "Recibo de entrega\r\nSegunda linha");
    EXPECT_DOUBLE_EQ(q["DP"].dupla(), 0.1);
    ASSERT_TRUE(q.proximo());
    for (const char* col : {"V", "V13", "S", "C", "D", "B", "BT", "DP"}) EXPECT_TRUE(q[col].nulo()) << col;
    EXPECT_EQ(q["V"].dinheiro().centavos(), 0);
    EXPECT_FALSE(q.proximo());
    EXPECT_THROW(q["NAO_EXISTE"], fb::ErroBanco);
}

TEST_F(BaseFb, ParametrosNomeadosRepetidosEDentroDeTextos) {
    std::vector<std::string> nomes;
    EXPECT_EQ(fb::converterParametros("SELECT ':X', \"A:B\" FROM T WHERE ID = :ID OR V = :id -- :C\n/* :D */", nomes),
              "SELECT ':X', \"A:B\" FROM T WHERE ID = ? OR V = ? -- :C\n/* :D */");
    EXPECT_EQ(nomes, (std::vector<std::string>{"ID", "ID"}));

    fb::Transacao tr(c);
    fb::Comando ins(tr, "INSERT INTO T (ID, V, S) VALUES (:ID, :ID, ':ID')");
    ins.param("id", 7);
    ins.executar();
    EXPECT_THROW(ins.param("NADA", 1), fb::ErroBanco);
    fb::Comando q(tr, "SELECT V, S FROM T WHERE ID = :ID");
    q.param("ID", 7);
    ASSERT_TRUE(q.proximo());
    EXPECT_EQ(q["V"].dinheiro(), Dinheiro::deReais(7));
    EXPECT_EQ(q["S"].texto(), ":ID");
    // O mesmo comando reaberto com outro valor
    q.param("ID", 8);
    EXPECT_FALSE(q.proximo());
    // Texto convertido pelo servidor para o tipo da coluna
    q.param("ID", "7");
    EXPECT_TRUE(q.proximo());
}

TEST_F(BaseFb, TransacaoNaoConfirmadaEDesfeitaNoDestrutor) {
    {
        fb::Transacao tr(c);
        fb::Comando ins(tr, "INSERT INTO T (ID) VALUES (1)");
        ins.executar();
    }  // sem commit
    {
        fb::Transacao tr(c);
        fb::Comando q(tr, "SELECT COUNT(*) FROM T");
        ASSERT_TRUE(q.proximo());
        EXPECT_EQ(q.coluna(0).inteiro(), 0);
    }
    // Uma segunda conexão só vê o que foi confirmado
    fb::Conexao outra;
    outra.abrir(c.parametros());
    fb::Transacao tr(c);
    fb::Comando ins(tr, "INSERT INTO T (ID) VALUES (2)");
    ins.executar();
    auto contar = [&] {
        fb::Transacao t2(outra);
        fb::Comando q(t2, "SELECT COUNT(*) FROM T");
        q.proximo();
        return q.coluna(0).inteiro();
    };
    EXPECT_EQ(contar(), 0);
    tr.commit();
    EXPECT_EQ(contar(), 1);
}

TEST_F(BaseFb, PontoDeSalvamentoDesfazSoOQueVeioDepoisDele) {
    fb::Transacao tr(c);
    auto inserir = [&](int id) { fb::Comando(tr, "INSERT INTO T (ID) VALUES (" + std::to_string(id) + ")").executar(); };
    auto ids = [&] {
        std::string s;
        fb::Comando q(tr, "SELECT ID FROM T ORDER BY ID");
        while (q.proximo()) s += std::to_string(q.coluna(0).inteiro()) + " ";
        return s;
    };
    inserir(1);
    {
        fb::PontoSalvamento p(tr, "P");
        inserir(2);
        p.liberar();
    }
    {
        fb::PontoSalvamento p(tr, "P");
        inserir(3);
        p.desfazer();
    }
    {
        fb::PontoSalvamento p(tr, "P");
        inserir(4);
    }  // nem liberado nem desfeito: o destrutor desfaz
    EXPECT_EQ(ids(), "1 2 ");
    tr.commit();
    fb::Transacao tr2(c);
    fb::Comando q(tr2, "SELECT COUNT(*) FROM T");
    q.proximo();
    EXPECT_EQ(q.coluna(0).inteiro(), 2);
}

TEST_F(BaseFb, ReusoDeComandosEntreTransacoesELiberadoNoFim) {
    {
        fb::ReusoDeComandos reuso(c);
        for (int id = 1; id <= 3; ++id) {
            fb::Transacao tr(c);
            fb::Comando ins(tr, "INSERT INTO T (ID, S) VALUES (:ID, :S)");
            ins.param("ID", id).param("S", "linha " + std::to_string(id)).executar();
            // Dois comandos iguais vivos ao mesmo tempo não dividem o mesmo preparado
            fb::Comando a(tr, "SELECT S FROM T WHERE ID = :ID"), b(tr, "SELECT S FROM T WHERE ID = :ID");
            a.param("ID", id);
            b.param("ID", 1);
            ASSERT_TRUE(a.proximo() && b.proximo());
            EXPECT_EQ(a.coluna(0).texto(), "linha " + std::to_string(id));
            EXPECT_EQ(b.coluna(0).texto(), "linha 1");
            tr.commit();
        }
        EXPECT_NE(c.cacheComandos(), nullptr);
    }
    // Os comandos guardados prendiam a tabela; liberados, ela pode ser apagada
    EXPECT_EQ(c.cacheComandos(), nullptr);
    fb::Transacao tr(c);
    fb::Comando::executarDireto(tr, "DROP TABLE T");
    tr.commit();
}

// DDL com o reuso ativo: os comandos guardados são liberados antes (não prendem a tabela) e
// nenhum volta com a estrutura velha, nem um que estava em uso durante a DDL; depois de
// fechar e abrir a conexão, os da conexão anterior não são usados.
TEST_F(BaseFb, ReusoDeComandosSobreviveADDLEAoFechamento) {
    fb::ReusoDeComandos reuso(c);
    const std::string todos = "SELECT * FROM T";
    auto colunas = [&] {
        fb::Transacao tr(c);
        fb::Comando q(tr, todos);
        return q.colunas();
    };
    const int antes = colunas();
    EXPECT_EQ(colunas(), antes);  // agora guardado
    {
        fb::Transacao leitura(c);
        fb::Comando emUso(leitura, todos);  // tirado do reuso antes da DDL, devolvido depois
        leitura.commit();
        fb::Transacao tr(c);
        fb::Comando::executarDireto(tr, "ALTER TABLE T ADD NOVA INTEGER");
        tr.commit();
    }
    EXPECT_EQ(colunas(), antes + 1);
    {
        fb::Transacao tr(c);
        fb::Comando(tr, "ALTER TABLE T DROP NOVA").executar();  // DDL preparada como comando
        tr.commit();
    }
    EXPECT_EQ(colunas(), antes);
    c.fechar();
    c.abrir(c.parametros());
    EXPECT_EQ(colunas(), antes);
    fb::Transacao tr(c);
    fb::Comando::executarDireto(tr, "DROP TABLE T");
    tr.commit();
}

TEST_F(BaseFb, ErrosDoServidorChegamComSeuTexto) {
    fb::Transacao tr(c);
    try {
        fb::Comando q(tr, "SELECT FROM");
        FAIL() << "SQL inválido foi aceito";
    } catch (const fb::ErroBanco& e) {
        EXPECT_NE(std::string(e.what()).find("Token unknown"), std::string::npos) << e.what();
        EXPECT_FALSE(e.violacaoDeChave());
    }
    fb::Comando ins(tr, "INSERT INTO T (ID) VALUES (:ID)");
    ins.param("ID", 1).executar();
    try {
        ins.executar();
        FAIL() << "chave duplicada foi aceita";
    } catch (const fb::ErroBanco& e) {
        EXPECT_TRUE(e.violacaoDeChave()) << e.what();
        EXPECT_NE(std::string(e.what()).find("violation of PRIMARY or UNIQUE KEY"), std::string::npos) << e.what();
    }
    // A transação segue utilizável depois do erro de um comando
    fb::Comando q(tr, "SELECT COUNT(*) FROM T");
    ASSERT_TRUE(q.proximo());
    EXPECT_EQ(q.coluna(0).inteiro(), 1);
}

TEST_F(BaseFb, ChavesVemDoProcedimentoGeradorDeCodigos) {
    fb::Transacao tr(c);
    auto proximo = [&](const char* tabela) {
        fb::Comando sp(tr, "EXECUTE PROCEDURE SP_GERACODIGO(:STABELA)");
        sp.param("STABELA", tabela);
        sp.executar();
        return sp["IPROXCODIGO"];
    };
    for (const char* t : {"CONTRIBUINTE", "DOCUMENTO", "TRANSMISSAO", "RESPONSAVEL"}) {
        const auto a = proximo(t).inteiro();
        EXPECT_GT(a, 0) << t;
        EXPECT_EQ(proximo(t).inteiro(), a + 1) << t;
    }
    EXPECT_TRUE(proximo("OUTRA").nulo());
}

TEST(ConexaoFb, FalhasDeAberturaTrazemOTextoDoServidor) {
    teste::PastaTemporaria pasta;
    fb::Conexao c;
    fb::ParametrosConexao p;
    p.banco = teste::enderecoBanco(pasta.caminho() / "nao-existe.gdb");
    EXPECT_THROW(c.abrir(p), fb::ErroBanco);
    EXPECT_FALSE(c.aberta());
    teste::escreverArquivo(pasta.caminho() / "texto.gdb", std::string(20000, 'x'));
    p.banco = teste::enderecoBanco(pasta.caminho() / "texto.gdb");
    try {
        c.abrir(p);
        FAIL() << "arquivo de texto aberto como base";
    } catch (const fb::ErroBanco& e) {
        EXPECT_FALSE(std::string(e.what()).empty());
    }
    EXPECT_FALSE(c.aberta());
    // Senha errada não passa pelo servidor de rede; o embutido não autentica
#ifdef KOV_SUITE_SERVIDOR
    teste::copiarBaseModelo(pasta.caminho() / "KOV.GDB");
    p.banco = teste::enderecoBanco(pasta.caminho() / "KOV.GDB");
    p.senha = "errada";
    EXPECT_THROW(c.abrir(p), fb::ErroBanco);
#endif
}

// Igualdade de valores numéricos pelo número, não pelo texto: a mesma quantia em escalas
// diferentes é igual; o que não cabe em 64 bits na escala do outro é diferente.
TEST(ValorFb, IgualdadeNumericaEmQualquerEscala) {
    struct Caso {
        fb::Valor a, b;
        bool igual;
    };
    const Caso casos[] = {
        {fb::Valor(int64_t{150}, -2), fb::Valor(int64_t{15}, -1), true},
        {fb::Valor(int64_t{150}, -2), fb::Valor(int64_t{151}, -2), false},
        {fb::Valor(int64_t{-5}, 0), fb::Valor(int64_t{-500}, -2), true},
        {fb::Valor(Dinheiro::deCentavos(-1)), fb::Valor(int64_t{-1}, -2), true},
        {fb::Valor(int64_t{3}, 2), fb::Valor(300), true},
        {fb::Valor(INT64_MAX, 0), fb::Valor(int64_t{-100}, -2), false},  // não cabe na escala -2
        {fb::Valor(INT64_MAX / 10 + 1, 0), fb::Valor(int64_t{0}, -1), false},
        {fb::Valor(0), fb::Valor(), false},  // zero não é nulo
        {fb::Valor(), fb::Valor(nullptr), true},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(c.a == c.b, c.igual) << c.a.texto() << " e " << c.b.texto();
        EXPECT_EQ(c.b == c.a, c.igual) << c.b.texto() << " e " << c.a.texto();
    }
}
