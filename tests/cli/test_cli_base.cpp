// kov-cli como o usuário o roda: processo filho numa instalação temporária.
#include <gtest/gtest.h>

#include "apoio/BaseTeste.h"
#include "apoio/Processo.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>

using namespace kov;

TEST(KovCli, AjudaListaOsVerbos) {
    teste::InstalacaoTeste inst(false);
    const auto cli = teste::instalarCli(inst.exe.string());
    auto r = teste::rodar(cli, {"--help"});
    EXPECT_EQ(r.codigo, 0);
    for (const char* verbo : {"criar-base", "versao", "parametro"}) EXPECT_NE(r.saida.find(verbo), std::string::npos);
    r = teste::rodar(cli, {});
    EXPECT_NE(r.codigo, 0);
    r = teste::rodar(cli, {"verbo-que-nao-existe"});
    EXPECT_NE(r.codigo, 0);
    EXPECT_NE(r.erros.find("Verbo desconhecido"), std::string::npos);
}

TEST(KovCli, CriarBaseNovaERecusarExistente) {
    teste::InstalacaoTeste inst(false);
    const auto cli = teste::instalarCli(inst.exe.string());
    auto r = teste::rodar(cli, {"criar-base", inst.base.string()});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    ASSERT_TRUE(std::filesystem::exists(inst.base));
    const auto bytes = teste::lerArquivo(inst.base);
    r = teste::rodar(cli, {"criar-base", inst.base.string()});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.erros.find("já existe"), std::string::npos) << r.erros;
    EXPECT_EQ(teste::lerArquivo(inst.base), bytes);
    // A base criada é usável pelo programa
    r = teste::rodar(cli, {"versao"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    EXPECT_NE(r.saida.find("Programa: 7.07.10"), std::string::npos) << r.saida;
    EXPECT_NE(r.saida.find("Base: 7.07.10"), std::string::npos) << r.saida;
    EXPECT_NE(r.saida.find("Ano Base: 2016"), std::string::npos) << r.saida;
    EXPECT_NE(r.saida.find("Caminho Banco: " + inst.base.string()), std::string::npos) << r.saida;
}

TEST(KovCli, ParametroLeEGrava) {
    teste::InstalacaoTeste inst;
    const auto cli = teste::instalarCli(inst.exe.string());
    auto r = teste::rodar(cli, {"parametro", "ANOEXERCICIO"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    EXPECT_EQ(r.saida, "2016\n");
    r = teste::rodar(cli, {"parametro", "ANOEXERCICIO", "2014"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    r = teste::rodar(cli, {"parametro", "anoexercicio"});
    EXPECT_EQ(r.saida, "2014\n");
    r = teste::rodar(cli, {"parametro"});
    EXPECT_EQ(r.codigo, 2);
}

TEST(KovCli, FalhasDeAberturaVaoParaStderrComCodigo1) {
    teste::InstalacaoTeste inst;
    const auto cli = teste::instalarCli(inst.exe.string());
    std::filesystem::remove(inst.exe / "KOV.ini");
    auto r = teste::rodar(cli, {"versao"});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.erros.find("Erro na abertura da base : \nArquivo INI não encontrado!"), std::string::npos) << r.erros;
    r = teste::rodar(cli, {"parametro", "ANOEXERCICIO", "2010"});
    EXPECT_EQ(r.codigo, 1);

    inst.escreverIni("[KOV]\nDatabase=\n");
    r = teste::rodar(cli, {"parametro", "ANOEXERCICIO"});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(r.erros.rfind("Erro na abertura da base : \n", 0), 0u) << r.erros;
}

TEST(KovCli, BaseDeOutraVersaoERecusada) {
    teste::InstalacaoTeste inst;
    const auto cli = teste::instalarCli(inst.exe.string());
    inst.executarSQL("UPDATE PARAMETROS SET VALOR = '7.08.00' WHERE CAMPO = 'VERSAO'");
    auto r = teste::rodar(cli, {"parametro", "ANOEXERCICIO", "2012"});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.erros.find("Versão do Sistema (7.07.10) incompatível com a versão do banco de dados (7.08.00). \n"
                           "Não é possível executar o PRELO.\nContacte o suporte da DRU."),
              std::string::npos)
        << r.erros;
}

TEST(KovCli, ListaAsDeclaracoesDoAnoBase) {
    teste::InstalacaoTeste inst;
    const auto cli = teste::instalarCli(inst.exe.string());
    {
        fb::Conexao c;
        fb::ParametrosConexao p;
        p.banco = inst.base.string();
        c.abrir(p);
        fb::Transacao tr(c);
        for (const char* sql :
             {"INSERT INTO CONTRIBUINTE (CONTRIBUINTE_ID, CNAEF_ID, DESMEMBRAMENTO, CODDRUMUNICIPIO, UF_ID, "
              "TIPOCONTRIBUINTE_ID, RAZAOSOCIAL, CEP, INSCESTADUAL, CNPJ) SELECT 1, '4711301', '00', MIN(CODDRUMUNICIPIO), "
              "'QZ', 1, 'Padaria Pão Quente', '12345678', '1234567890107', '12345678000199' FROM MUNICIPIO",
              "INSERT INTO DOCUMENTO SELECT 10, 1, 2, 1, 1, '4711301', '00', CODDRUMUNICIPIO, 0, 2016, 1, 6, 'N', 'N', "
              "'N', 'N', 'N' FROM CONTRIBUINTE",
              "INSERT INTO DOCUMENTO SELECT 11, 1, 0, 1, 1, '4711301', '00', CODDRUMUNICIPIO, 0, 2015, 1, 12, 'N', 'N', "
              "'N', 'N', 'N' FROM CONTRIBUINTE",
              "INSERT INTO TRANSMISSAO (TRANSMISSAO_ID, DOCUMENTO_ID, TIPOTRANSMISSAO) VALUES (1, 10, 'D')"})
            fb::Comando::executarDireto(tr, sql);
        tr.commit();
    }
    auto r = teste::rodar(cli, {"declaracoes", "listar"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    EXPECT_EQ(r.saida.rfind("10\t1234567890107\tPadaria Pão Quente\t2016\tJaneiro\tJunho\t", 0), 0u) << r.saida;
    EXPECT_EQ(r.saida.substr(r.saida.size() - 3), "\tD\n");
    EXPECT_EQ(std::count(r.saida.begin(), r.saida.end(), '\n'), 1);
    r = teste::rodar(cli, {"declaracoes", "listar", "2015"});
    EXPECT_EQ(r.saida.rfind("11\t", 0), 0u) << r.saida;
    EXPECT_EQ(r.saida.substr(r.saida.size() - 3), "\tN\n");
    EXPECT_EQ(teste::rodar(cli, {"declaracoes"}).codigo, 2);
}

// Um usuário comum, que não pode gravar na pasta de travas do servidor Firebird
// (/tmp/firebird, do usuário firebird), também abre a base com o motor embutido.
TEST(KovCli, UsuarioComumUsaOMotorEmbutido) {
    if (::geteuid() != 0 || std::system("id nobody > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "precisa rodar como root, com o usuário nobody";
    teste::InstalacaoTeste inst;
    const auto cli = teste::instalarCli(inst.exe.string());
    std::filesystem::permissions(inst.raiz.caminho(), std::filesystem::perms::all);
    for (const auto& p : std::filesystem::recursive_directory_iterator(inst.raiz.caminho()))
        std::filesystem::permissions(p.path(), std::filesystem::perms::all);
    auto r = teste::rodar("su", {"nobody", "-s", "/bin/sh", "-c", "'" + cli + "' versao"});
    EXPECT_EQ(r.codigo, 0) << r.erros;
    EXPECT_NE(r.saida.find("Base: 7.07.10"), std::string::npos) << r.saida << r.erros;
}
