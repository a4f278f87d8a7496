// kov-cli declaracoes transmitir e gravar: o programa real e o substituto do transmissor como
// processos filhos numa instalação temporária.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "apoio/Processo.h"
#include "cli/ApoioEntrega.h"
#include "data/Entregas.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "files/CifraRSA.h"

using namespace kov;
namespace fs = std::filesystem;

namespace {

struct CliEntrega : ::testing::Test {
    teste::InstalacaoTeste inst;
    std::string cli;
    std::vector<int> ids;
    std::vector<Contribuinte> cts;

    void SetUp() override {
        setenv("KOV_NAO_ACERTAR_RELOGIO", "1", 1);
        cli = teste::PrepararEntrega(inst);
        fb::Conexao c;
        fb::ParametrosConexao p;
        p.banco = inst.base.string();
        c.abrir(p);
        ids = teste::DeclaracoesParaEntrega(c, 2, "2016", &cts);
    }
    void TearDown() override {
        unsetenv("ENVIAX_SEM_PROTOCOLO");
        unsetenv("KOV_NAO_ACERTAR_RELOGIO");
    }
    std::vector<Entrega> entregas(int id) {
        fb::Conexao c;
        fb::ParametrosConexao p;
        p.banco = inst.base.string();
        c.abrir(p);
        auto tr = fb::Transacao::leitura(c);
        auto v = LerEntregas(tr, id);
        tr.commit();
        return v;
    }
};

}  // namespace

TEST_F(CliEntrega, TransmiteComOSubstitutoEMostraOsPassos) {
    const std::string semProtocolo = "KOV" + cts[1].INSCESTADUAL + "201612012016" + "0131N.xml";
    setenv("ENVIAX_SEM_PROTOCOLO", semProtocolo.c_str(), 1);
    // Sem --sim a confirmação é respondida Não: nada acontece
    auto r = teste::rodar(cli, {"declaracoes", "transmitir", std::to_string(ids[0]), std::to_string(ids[1])});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.erros.find("Confirma transmissão de (2) declaração(ões)? [Não]"), std::string::npos) << r.erros;
    EXPECT_FALSE(fs::exists(inst.bd / "Declaracoes"));

    r = teste::rodar(cli, {"declaracoes", "transmitir", std::to_string(ids[0]), std::to_string(ids[1]), "--sim"});
    EXPECT_EQ(r.codigo, 0) << r.erros;
    EXPECT_EQ(teste::linhas(r.saida),
              (std::vector<std::string>{"Montando arquivos... ok.", "Transmitindo declarações ok.",
                                        "Atualizando banco de dados... ok.", "Finalizando... ok.",
                                        "Transmissão finalizada com sucesso!"}));
    EXPECT_NE(r.erros.find("As seguintes declarações não foram enviadas:\n" + (inst.exe / "temp").string() + "/" +
                           semProtocolo),
              std::string::npos)
        << r.erros;
    ASSERT_EQ(entregas(ids[0]).size(), 1u);
    EXPECT_EQ(entregas(ids[0])[0].TIPOTRANSMISSAO, "T");
    EXPECT_TRUE(entregas(ids[1]).empty());
    EXPECT_FALSE(fs::exists(inst.bd / "Declaracoes"));

    // Todas sem protocolo: saída 1 e "Operação não efetuada!"
    setenv("ENVIAX_SEM_PROTOCOLO", "*", 1);
    r = teste::rodar(cli, {"declaracoes", "transmitir", std::to_string(ids[1]), "--sim"});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(teste::linhas(r.saida).back(), "Operação não efetuada!");
}

TEST_F(CliEntrega, GravaNaPastaERecusaODesconhecido) {
    const fs::path destino = inst.raiz.caminho() / "pendrive";
    fs::create_directories(destino);
    auto r = teste::rodar(cli, {"declaracoes", "gravar", std::to_string(ids[0]), "--pasta", destino.string(), "--sim"});
    EXPECT_EQ(r.codigo, 0) << r.erros;
    EXPECT_EQ(teste::linhas(r.saida).back(), "Gravação finalizada com sucesso!");
    EXPECT_NE(r.erros.find("utilizando o transmissor ENVIAX"), std::string::npos) << r.erros;
    EXPECT_TRUE(fs::exists(destino / ("KOV" + cts[0].INSCESTADUAL + "201612012016" + "0131N.xml")));
    ASSERT_EQ(entregas(ids[0]).size(), 1u);
    EXPECT_EQ(entregas(ids[0])[0].TIPOTRANSMISSAO, "D");

    // Gravada de novo: a pergunta das já gravadas vem antes da confirmação
    r = teste::rodar(cli, {"declaracoes", "gravar", std::to_string(ids[0]), "--pasta", destino.string()});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.erros.find("Existem declarações já gravadas na lista selecionada! Deseja continuar? [Não]"),
              std::string::npos)
        << r.erros;

    r = teste::rodar(cli, {"declaracoes", "gravar", "999999", "--pasta", destino.string(), "--sim"});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.erros.find("A declaração 999999 não está entre as consistentes do ano base"), std::string::npos);
    r = teste::rodar(cli, {"declaracoes", "gravar", std::to_string(ids[0])});
    EXPECT_EQ(r.codigo, 2);
    r = teste::rodar(cli, {"declaracoes", "gravar", "--help"});
    EXPECT_NE((r.saida + r.erros).find("Uso: kov-cli declaracoes gravar N... --pasta PASTA [--sim]"), std::string::npos);
}
