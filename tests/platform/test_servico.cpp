// Testes do controle do serviço Firebird e da pasta do programa (plataforma).
// Nenhum teste pede de verdade a parada ou a partida do serviço: a detecção é testada
// numa raiz falsa.
#include "platform/Programa.h"
#include "platform/ServicoBanco.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "apoio/BaseTeste.h"

namespace fs = std::filesystem;
using namespace kov;
using kov::teste::escreverArquivo;
using kov::teste::PastaTemporaria;

using Comando = std::vector<std::string>;

TEST(ServicoBanco, SemControleDoServico) {
    PastaTemporaria raiz;
    EXPECT_TRUE(ComandoServicoFirebird(0, raiz.str()).empty());
    EXPECT_TRUE(ComandoServicoFirebird(1, raiz.str()).empty());
    // systemctl sem a unidade do Firebird também não serve
    fs::create_directories(raiz.caminho() / "usr/bin");
    escreverArquivo(raiz.caminho() / "usr/bin/systemctl", "");
    EXPECT_TRUE(ComandoServicoFirebird(0, raiz.str()).empty());
}

TEST(ServicoBanco, ScriptInitD) {
    PastaTemporaria raiz;
    fs::create_directories(raiz.caminho() / "etc/init.d");
    escreverArquivo(raiz.caminho() / "etc/init.d/firebird3.0", "#!/bin/sh\n");
    EXPECT_EQ(ComandoServicoFirebird(0, raiz.str()), (Comando{"service", "firebird3.0", "stop"}));
    EXPECT_EQ(ComandoServicoFirebird(1, raiz.str()), (Comando{"service", "firebird3.0", "start"}));
    EXPECT_TRUE(ComandoServicoFirebird(2, raiz.str()).empty());   // ação desconhecida
    EXPECT_TRUE(ComandoServicoFirebird(-1, raiz.str()).empty());
}

TEST(ServicoBanco, UnidadeSystemd) {
    PastaTemporaria raiz;
    fs::create_directories(raiz.caminho() / "bin");
    fs::create_directories(raiz.caminho() / "lib/systemd/system");
    escreverArquivo(raiz.caminho() / "bin/systemctl", "");
    escreverArquivo(raiz.caminho() / "lib/systemd/system/firebird3.0.service", "[Unit]\n");
    EXPECT_EQ(ComandoServicoFirebird(1, raiz.str()), (Comando{"service", "firebird3.0", "start"}));
}

TEST(ServicoBanco, AcaoDesconhecidaNaoLancaNada) {
    EXPECT_FALSE(ServicoFirebird(2));
    EXPECT_FALSE(ServicoFirebird(-1));
}

TEST(Programa, DiretorioPrograma) {
    const std::string d = diretorioPrograma();
    ASSERT_FALSE(d.empty());
    EXPECT_EQ(d.front(), '/');
    EXPECT_EQ(d.back(), '/');
    EXPECT_TRUE(fs::exists(d + "testes_platform")) << d;
    EXPECT_EQ(fs::canonical(d), fs::canonical(fs::read_symlink("/proc/self/exe").parent_path()));
}
