// kov-cli declaracoes consistir: consistência em lote das declarações do ano base, de outro
// ano ou das chaves pedidas, rodando o programa como processo filho numa instalação
// temporária com declarações gravadas pelas regras do programa.
#include <gtest/gtest.h>

#include <sstream>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "apoio/Processo.h"
#include "data/Declaracao.h"
#include "data/LinhasBanco.h"
#include "data/RegrasDeclaracao.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"

using namespace kov;

namespace {

using teste::linhas;

struct CliConsistencia : ::testing::Test {
    teste::InstalacaoTeste inst;
    std::string cli;
    int consistente = 0, inconsistente = 0, outroAno = 0;

    fb::ParametrosConexao parametros() {
        fb::ParametrosConexao p;
        p.banco = inst.base.string();
        return p;
    }

    void SetUp() override {
        cli = teste::instalarCli(inst.exe.string());
        fb::Conexao c;
        c.abrir(parametros());
        Contribuinte a, b;
        {
            fb::Transacao tr(c);
            fb::Comando m(tr, "SELECT MIN(CODDRUMUNICIPIO) FROM MUNICIPIO");
            m.proximo();
            const int municipio = static_cast<int>(m.coluna(0).inteiro());
            Responsavel r;
            r.RESPONSAVEL_ID = 1;
            r.NOME = "Contadora";
            InserirLinhas(tr, std::vector<Responsavel>{r});
            a = teste::ContribuinteDeTeste(1, municipio, "Mercado Boa Vista");
            a.RESPONSAVEL_ID = 1;
            b = a;
            b.CONTRIBUINTE_ID = 2;
            b.RAZAOSOCIAL = "Armazém Central";
            b.INSCESTADUAL = "9876543210105";
            b.RESPONSAVEL_ID = 0;  // "Não atribuído"
            InserirLinhas(tr, std::vector<Contribuinte>{a, b});
            tr.commit();
        }
        auto nova = [&](const Contribuinte& ct, const std::string& ano) {
            Declaracao d = NovaDeclaracao(ano);
            DefinirContribuinte(d, ct);
            d.doc.REGIME_ID = 1;
            d.doc.TIPOCONTRIBUINTE_ID = 1;
            d.doc.CODDRUMUNICIPIO = ct.CODDRUMUNICIPIO;
            d.doc.MESINICIAL = 1;
            d.doc.MESFINAL = 12;
            SalvarDeclaracao(c, d, ct, 2026, ano);
            return d;
        };
        consistente = nova(a, "2016").doc.DOCUMENTO_ID;
        Declaracao ruim = nova(b, "2016");
        ruim.estoque->INITRIBUTADOS = Dinheiro::deReais(50);  // o total gravado fica velho
        GravarDeclaracao(c, ruim);
        inconsistente = ruim.doc.DOCUMENTO_ID;
        outroAno = nova(a, "2015").doc.DOCUMENTO_ID;
    }

    int status(int documento) {
        fb::Conexao c;
        c.abrir(parametros());
        auto tr = fb::Transacao::leitura(c);
        fb::Comando q(tr, "SELECT STATUS_ID FROM DOCUMENTO WHERE DOCUMENTO_ID = :ID");
        q.param("ID", documento);
        EXPECT_TRUE(q.proximo());
        const int s = static_cast<int>(q.coluna(0).inteiro());
        tr.commit();
        return s;
    }
};

}  // namespace

TEST_F(CliConsistencia, ConsisteODoAnoBaseEMostraOsErros) {
    auto r = teste::rodar(cli, {"declaracoes", "consistir"});
    EXPECT_EQ(r.codigo, 1) << r.erros;
    const std::vector<std::string> esperado = {
        std::to_string(consistente) + "\t1234567890107\tMercado Boa Vista\tConsistente",
        std::to_string(inconsistente) + "\t9876543210105\tArmazém Central\tInconsistente",
        "  E037 Responsável (cadastro de contribuintes) não foi informado.",
        "    Onde corrigir: Não se corrige pela lista de consistências; veja a dica",
        "  00 Erro no Total do Estoque Inicial",
        "    Onde corrigir: Editor da declaração",
        "2 declarações consistidas: 1 consistente, 1 inconsistente.",
    };
    EXPECT_EQ(linhas(r.saida), esperado) << r.saida;
    EXPECT_EQ(status(consistente), 2);
    EXPECT_EQ(status(inconsistente), 1);
    EXPECT_EQ(status(outroAno), 0) << "a de outro ano não foi consistida";

    // A listagem mostra a situação gravada
    r = teste::rodar(cli, {"declaracoes", "listar"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    const auto l = linhas(r.saida);
    ASSERT_EQ(l.size(), 2u);
    EXPECT_NE(l[0].find("\tConsistente\t"), std::string::npos) << l[0];
    EXPECT_NE(l[1].find("\tInconsistente\t"), std::string::npos) << l[1];
}

TEST_F(CliConsistencia, PorAnoEPorChave) {
    auto r = teste::rodar(cli, {"declaracoes", "consistir", "2015"});
    EXPECT_EQ(r.codigo, 0) << r.erros;
    EXPECT_EQ(linhas(r.saida),
              (std::vector<std::string>{std::to_string(outroAno) + "\t1234567890107\tMercado Boa Vista\tConsistente",
                                        "1 declaração consistida: 1 consistente, 0 inconsistentes."}));
    EXPECT_EQ(status(outroAno), 2);
    EXPECT_EQ(status(inconsistente), 0);

    // Chaves na ordem pedida; a mesma chave pedida duas vezes sai duas vezes, cada uma com
    // os erros daquela consistência (sem repetir os da vez anterior)
    r = teste::rodar(cli, {"declaracoes", "consistir", "--id", std::to_string(inconsistente), std::to_string(consistente),
                           "--id", std::to_string(inconsistente)});
    EXPECT_EQ(r.codigo, 1);
    const auto l = linhas(r.saida);
    ASSERT_EQ(l.size(), 12u) << r.saida;
    EXPECT_EQ(l[0], std::to_string(inconsistente) + "\t9876543210105\tArmazém Central\tInconsistente");
    EXPECT_EQ(l[5], std::to_string(consistente) + "\t1234567890107\tMercado Boa Vista\tConsistente");
    EXPECT_EQ(std::vector<std::string>(l.begin() + 6, l.begin() + 11), std::vector<std::string>(l.begin(), l.begin() + 5));
    EXPECT_EQ(l[11], "3 declarações consistidas: 1 consistente, 2 inconsistentes.");

    // Chave que não existe: falha contada no resumo
    r = teste::rodar(cli, {"declaracoes", "consistir", "--id", "99999", std::to_string(consistente)});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.erros.find("Declaração 99999 não consistida: Declaração 99999 não encontrada."), std::string::npos)
        << r.erros;
    EXPECT_EQ(linhas(r.saida).back(), "1 declaração consistida: 1 consistente, 0 inconsistentes, 1 não consistida.");

    r = teste::rodar(cli, {"declaracoes", "consistir", "2030"});
    EXPECT_EQ(r.codigo, 0);
    EXPECT_EQ(r.saida, "Nenhuma declaração para consistir.\n");
}

TEST_F(CliConsistencia, UsoIncorreto) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"declaracoes", "consistir", "--id"},
          std::vector<std::string>{"declaracoes", "consistir", "--id", "abc"},
          std::vector<std::string>{"declaracoes", "consistir", "--id", "0"},
          std::vector<std::string>{"declaracoes", "consistir", "20x6"},
          std::vector<std::string>{"declaracoes", "consistir", "2016", "2015"},
          std::vector<std::string>{"declaracoes", "conferir"}}) {
        const auto r = teste::rodar(cli, args);
        EXPECT_EQ(r.codigo, 2) << args.back();
        EXPECT_NE(r.erros.find("kov-cli declaracoes consistir [ANO | --id N...]"), std::string::npos) << r.erros;
        EXPECT_TRUE(r.saida.empty());
    }
    EXPECT_EQ(status(consistente), 0) << "uso incorreto não consiste nada";
    const auto ajuda = teste::rodar(cli, {"--help"});
    EXPECT_NE(ajuda.saida.find("declaracoes consistir [ANO | --id N...]"), std::string::npos);
}
