// Testes do componente de configuração (TConfigApp).
#include "data/ConfigApp.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "apoio/BaseTeste.h"
#include "apoio/InteracaoGravada.h"

namespace fs = std::filesystem;
using namespace kov;
using kov::teste::escreverArquivo;
using kov::teste::InteracaoGravada;
using kov::teste::PastaTemporaria;

TEST(ConfigApp, ValoresDoSistema) {
    TConfigApp c;
    EXPECT_EQ(c.Versao, "7.07.10");
    EXPECT_EQ(c.Release, "");
    EXPECT_FALSE(c.VersaoTeste);
    EXPECT_TRUE(c.GeraLog);
    EXPECT_EQ(c.NomeArqLog, "ArqLogKOV");
    EXPECT_EQ(c.MaxNumLinhas, 1000);
    EXPECT_EQ(c.SiglaSistema, "KOV");
    EXPECT_EQ(c.NomeSistema, "PRELO");
    EXPECT_EQ(c.NumLinhasLog, 0);
}

TEST(ConfigApp, NomeArqLogContaAsLinhasDoArquivoExistente) {
    PastaTemporaria tmp;
    escreverArquivo(tmp.caminho() / "ArqLogKOV", "linha 1\r\nlinha 2\r\nlinha 3");
    TConfigApp c;
    InteracaoGravada ui;
    DefinirNomeArqLog(c, "ArqLogKOV", &ui, tmp.str());
    EXPECT_EQ(c.NomeArqLog, "ArqLogKOV");
    EXPECT_EQ(c.NumLinhasLog, 3);
    EXPECT_TRUE(c.GeraLog);
    EXPECT_EQ(c.ArquivoLog, tmp.str() + "/ArqLogKOV");
    EXPECT_TRUE(ui.mensagens.empty());
}

TEST(ConfigApp, NomeArqLogArquivoInexistenteZeraOContador) {
    PastaTemporaria tmp;
    TConfigApp c;
    c.NumLinhasLog = 77;
    DefinirNomeArqLog(c, "NaoExiste.log", nullptr, tmp.str());
    EXPECT_EQ(c.NumLinhasLog, 0);
    EXPECT_TRUE(c.GeraLog);
    EXPECT_FALSE(fs::exists(tmp.caminho() / "NaoExiste.log"));  // nada é escrito
}

TEST(ConfigApp, NomeArqLogVazioDesligaOLog) {
    TConfigApp c;
    InteracaoGravada ui;
    DefinirNomeArqLog(c, "   ", &ui, "/tmp");
    EXPECT_FALSE(c.GeraLog);
    EXPECT_EQ(c.NomeArqLog, "   ");
    ASSERT_EQ(ui.mensagens.size(), 1u);
    EXPECT_EQ(ui.mensagens[0].texto, "Não foi informado o nome do arquivo de Log de controle da aplicação!");

    TConfigApp d;
    DefinirNomeArqLog(d, "", nullptr, "/tmp");  // sem interface: só desliga
    EXPECT_FALSE(d.GeraLog);
}

TEST(ConfigApp, NomeArqLogSoGuardaComLogDesligadoOuSemLimite) {
    InteracaoGravada ui;
    TConfigApp c;
    c.MaxNumLinhas = 0;  // como na carga do componente
    c.NumLinhasLog = 5;
    DefinirNomeArqLog(c, "", &ui, "/tmp");
    EXPECT_EQ(c.NomeArqLog, "");
    EXPECT_EQ(c.NumLinhasLog, 0);
    EXPECT_TRUE(c.GeraLog);
    EXPECT_TRUE(ui.mensagens.empty());

    TConfigApp d;
    d.GeraLog = false;
    DefinirNomeArqLog(d, "", &ui, "/tmp");
    EXPECT_FALSE(d.GeraLog);
    EXPECT_TRUE(ui.mensagens.empty());
}

TEST(ConfigApp, NomeArqLogErroDeLeituraDesligaOLog) {
    PastaTemporaria tmp;
    fs::create_directories(tmp.caminho() / "UmaPasta");  // existe, mas não se lê como texto
    TConfigApp c;
    DefinirNomeArqLog(c, "UmaPasta", nullptr, tmp.str());
    EXPECT_FALSE(c.GeraLog);
    EXPECT_EQ(c.NumLinhasLog, 0);
}

TEST(ConfigApp, NomeArqLogNaPastaDoPrograma) {
    TConfigApp c;
    DefinirNomeArqLog(c, "ArqLogKOV-que-nao-existe-no-teste", nullptr);
    EXPECT_TRUE(c.GeraLog);
    EXPECT_EQ(c.NumLinhasLog, 0);
    EXPECT_EQ(fs::path(c.ArquivoLog).filename().string(), "ArqLogKOV-que-nao-existe-no-teste");
}
