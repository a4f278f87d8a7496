// kov-cli declaracoes imprimir: o programa real numa instalação temporária lê as
// declarações da base e grava um PDF por formulário produzido.
#include <gtest/gtest.h>

#include <filesystem>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "apoio/Processo.h"
#include "data/LinhasBanco.h"
#include "data/RegrasDeclaracao.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"

using namespace kov;
namespace fs = std::filesystem;

namespace {

using teste::linhas;

struct CliImpressao : ::testing::Test {
    teste::InstalacaoTeste inst;
    std::string cli, saida;
    int completa = 0, estimativa = 0;
    std::string municipio;

    void SetUp() override {
        cli = teste::instalarCli(inst.exe.string());
        saida = (inst.raiz.caminho() / "pdf").string();
        fb::Conexao c;
        fb::ParametrosConexao p;
        p.banco = inst.base.string();
        c.abrir(p);
        int codigo = 0;
        {
            fb::Transacao tr(c);
            fb::Comando m(tr, "SELECT FIRST 1 CODDRUMUNICIPIO, DESCRICAO FROM MUNICIPIO ORDER BY CODDRUMUNICIPIO");
            m.proximo();
            codigo = static_cast<int>(m.coluna(0).inteiro());
            municipio = m.coluna(1).texto();
            Responsavel r;
            r.RESPONSAVEL_ID = 1;
            r.NOME = "José Contador";
            InserirLinhas(tr, std::vector<Responsavel>{r});
            Contribuinte ct = teste::ContribuinteDeTeste(1, codigo, "Café & Cia");
            ct.RESPONSAVEL_ID = 1;
            InserirLinhas(tr, std::vector<Contribuinte>{ct});
            tr.commit();
        }
        const Contribuinte ct = teste::ContribuinteDeTeste(1, codigo, "Café & Cia");
        Contribuinte comResp = ct;
        comResp.RESPONSAVEL_ID = 1;
        for (int regime : {1, 3}) {
            Declaracao d = NovaDeclaracao("2026");
            DefinirContribuinte(d, comResp);
            d.doc.REGIME_ID = regime;
            d.doc.TIPOCONTRIBUINTE_ID = 1;
            d.doc.CODDRUMUNICIPIO = codigo;
            d.doc.MESINICIAL = regime == 1 ? 1 : 7;
            d.doc.MESFINAL = regime == 1 ? 6 : 12;
            SalvarDeclaracao(c, d, comResp, 2027, "2026");
            d.detalhamentoEntrada.push_back({d.doc.DOCUMENTO_ID, codigo, Dinheiro::deReais(4321), "N", Dinheiro{}});
            GravarDeclaracao(c, d);
            (regime == 1 ? completa : estimativa) = d.doc.DOCUMENTO_ID;
        }
    }
    std::string arquivo(int chave, const std::string& formulario) const {
        return saida + "/" + std::to_string(chave) + "-1234567890107-" + formulario + ".pdf";
    }
    std::string textoPdf(const std::string& caminho) const {
        return teste::rodar("/usr/bin/pdftotext", {"-layout", caminho, "-"}).saida;
    }
};

}  // namespace

TEST_F(CliImpressao, UmPdfPorFormularioProduzido) {
    auto r = teste::rodar(cli, {"declaracoes", "imprimir", std::to_string(completa), std::to_string(estimativa),
                                "--saida", saida});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    std::vector<std::string> esperadas;
    for (const char* f : {"prelo", "entradas", "saidas", "kov", "kov-outras"})
        esperadas.push_back(std::to_string(completa) + "\t" + f + "\t1\t" + arquivo(completa, f));
    for (const char* f : {"kov", "kov-outras"})
        esperadas.push_back(std::to_string(estimativa) + "\t" + f + "\t1\t" + arquivo(estimativa, f));
    EXPECT_EQ(linhas(r.saida), esperadas);  // a GI sem linhas não é produzida
    const std::string prelo = textoPdf(arquivo(completa, "prelo"));
    for (const std::string& t : {std::string("PRELO COMPLETA"), std::string("Café & Cia"), std::string("José Contador"),
                                 std::string("Período: 01/2026 a 06/2026"), municipio})
        EXPECT_NE(prelo.find(t), std::string::npos) << t << "\n" << prelo;
    const std::string outras = textoPdf(arquivo(estimativa, "kov-outras"));
    EXPECT_NE(outras.find("4.321"), std::string::npos) << outras;

    // Regime 3 só com a PRELO, entradas e saídas: nada a produzir, saída 1
    fs::remove_all(saida);
    r = teste::rodar(cli, {"declaracoes", "imprimir", std::to_string(estimativa), "--formularios",
                           "prelo,entradas,saidas", "--saida", saida});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.erros.find("nenhum formulário a imprimir"), std::string::npos) << r.erros;
    EXPECT_TRUE(fs::is_empty(saida));

    // Declaração inexistente ao lado de uma boa: a boa é impressa, saída 1
    r = teste::rodar(cli, {"declaracoes", "imprimir", "987654", std::to_string(completa), "--formularios", "gi,kov",
                           "--saida", saida});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(linhas(r.saida),
              std::vector<std::string>{std::to_string(completa) + "\tkov\t1\t" + arquivo(completa, "kov")});
    EXPECT_NE(r.erros.find("Declaração 987654 não impressa"), std::string::npos) << r.erros;

    r = teste::rodar(cli, {"declaracoes", "imprimir", "1", "--formularios", "prelo,recibo", "--saida", saida});
    EXPECT_EQ(r.codigo, 2);
    EXPECT_NE(r.erros.find("Formulário desconhecido: recibo"), std::string::npos);
    r = teste::rodar(cli, {"declaracoes", "imprimir", "1"});
    EXPECT_EQ(r.codigo, 2);
}
