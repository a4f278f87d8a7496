// kov-cli como o usuário o roda: processo filho numa instalação temporária.
#include <gtest/gtest.h>

#include "apoio/BaseTeste.h"
#include "apoio/Processo.h"

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
    ASSERT_EQ(teste::rodar(cli, {"parametro", "VERSAO", "7.08.00"}).codigo, 0);
    auto r = teste::rodar(cli, {"parametro", "ANOEXERCICIO", "2012"});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.erros.find("Versão do Sistema (7.07.10) incompatível com a versão do banco de dados (7.08.00). \n"
                           "Não é possível executar o PRELO.\nContacte o suporte da DRU."),
              std::string::npos)
        << r.erros;
}
