// kov-cli como um usuário novo o usa: ajuda por verbo, parâmetros protegidos, códigos de
// saída uniformes, listagens de referência e cabeçalho só no terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "apoio/BaseTeste.h"
#include "apoio/Processo.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"

using namespace kov;

namespace {

struct CliComandos : ::testing::Test {
    teste::InstalacaoTeste inst;
    std::string cli;
    void SetUp() override { cli = teste::instalarCli(inst.exe.string()); }

    std::map<std::string, std::string> parametros() {
        fb::Conexao c;
        fb::ParametrosConexao p;
        p.banco = inst.base.string();
        c.abrir(p);
        auto tr = fb::Transacao::leitura(c);
        fb::Comando q(tr, "SELECT CAMPO, VALOR FROM PARAMETROS");
        std::map<std::string, std::string> m;
        while (q.proximo()) m[q.coluna(0).texto()] = q.coluna(1).texto();
        return m;
    }
    teste::ResultadoProcesso rodar(const std::vector<std::string>& args) { return teste::rodar(cli, args); }
};

}  // namespace

TEST_F(CliComandos, ParametroLeTodosEGravaSoOAnoBaseQueATelaAceita) {
    const auto antes = parametros();
    ASSERT_EQ(antes.at("VERSAO"), "7.07.10");
    struct Caso {
        std::vector<std::string> args;
        const char* erro;
    };
    const Caso recusados[] = {
        {{"parametro", "VERSAO", "9.99.99"}, "só pode ser lido"},
        {{"parametro", "VERSAO", "7.00.04"}, "só pode ser lido"},
        {{"parametro", "ANOEXERCICIO", "abc"}, "Ano base inválido: abc. O ano base vai de 2005 a "},
        {{"parametro", "ANOEXERCICIO", "2004"}, "Ano base inválido: 2004"},
        {{"parametro", "ANOEXERCICIO", "3000"}, "Ano base inválido: 3000"},
        {{"parametro", "ANOEXERCICIO", "02016"}, "Ano base inválido"},
        {{"parametro", "ANOEXERCICO", "2017"}, "Parâmetro desconhecido: ANOEXERCICO"},
        {{"parametro", "ANOEXERCICO"}, "Parâmetro desconhecido: ANOEXERCICO"},
    };
    for (const auto& c : recusados) {
        const auto r = rodar(c.args);
        EXPECT_EQ(r.codigo, 2) << c.args[1] << " " << r.erros;
        EXPECT_NE(r.erros.find(c.erro), std::string::npos) << r.erros;
        EXPECT_TRUE(r.saida.empty()) << r.saida;
    }
    EXPECT_EQ(parametros(), antes);

    auto r = rodar({"parametro", "versao"});
    EXPECT_EQ(r.codigo, 0);
    EXPECT_EQ(r.saida, "7.07.10\n");
    r = rodar({"parametro", "anoexercicio", "2005"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    EXPECT_EQ(parametros().at("ANOEXERCICIO"), "2005");
    EXPECT_EQ(parametros().size(), antes.size());

    // Um ano base que não é ano, gravado à mão numa base antiga, é dito sem erro do banco
    inst.executarSQL("UPDATE PARAMETROS SET VALOR = 'abc' WHERE CAMPO = 'ANOEXERCICIO'");
    for (const char* verbo : {"listar", "consistir"}) {
        r = rodar({"declaracoes", verbo});
        EXPECT_EQ(r.codigo, 1);
        EXPECT_NE(r.erros.find("O ano base gravado na base não é um ano: \"abc\". Corrija-o com kov-cli parametro "
                               "ANOEXERCICIO AAAA."),
                  std::string::npos)
            << r.erros;
    }
    EXPECT_EQ(rodar({"parametro", "ANOEXERCICIO", "2016"}).codigo, 0);
}

TEST_F(CliComandos, UsoIncorretoNomeDesconhecidoEArquivoAusenteSaemComDois) {
    struct Caso {
        std::vector<std::string> args;
        const char* erro;
    };
    const Caso casos[] = {
        {{"versao", "x"}, "Uso: kov-cli versao"},
        {{"atualizar-base", "a", "b"}, "Uso: kov-cli atualizar-base"},
        {{"criar-base", (inst.raiz.caminho() / "n.GDB").string(), "--scripts", "/nao/existe.sql"},
         "Arquivo não encontrado: /nao/existe.sql"},
        {{"contribuintes", "importar", "/nao/existe.csv"}, "/nao/existe.csv"},
        {{"contribuintes", "listar", "x"}, "Uso: kov-cli contribuintes listar"},
        {{"contribuintes", "excluir"}, "Verbo desconhecido: contribuintes excluir"},
        {{"declaracoes", "listar", "abc"}, "Ano inválido: abc"},
        {{"declaracoes", "listar", "2016", "2017"}, "Uso: kov-cli declaracoes listar"},
        {{"municipios", "listar", "a", "b"}, "Uso: kov-cli municipios listar"},
        {{"cnae"}, "Uso: kov-cli cnae listar"},
        {{"nada"}, "Verbo desconhecido: nada"},
    };
    for (const auto& c : casos) {
        const auto r = rodar(c.args);
        EXPECT_EQ(r.codigo, 2) << c.args[0] << " " << r.erros;
        EXPECT_NE(r.erros.find(c.erro), std::string::npos) << r.erros;
    }
    EXPECT_FALSE(std::filesystem::exists(inst.raiz.caminho() / "n.GDB"));
}

TEST_F(CliComandos, AjudaDeCadaVerboMesmoComOutrosArgumentos) {
    const auto geral = rodar({"--help"});
    ASSERT_EQ(geral.codigo, 0);
    for (const char* cmd : {"criar-base", "atualizar-base", "versao", "parametro", "contribuintes listar",
                            "contribuintes importar", "responsaveis listar", "responsaveis importar",
                            "declaracoes listar", "declaracoes consistir", "municipios listar", "cnae listar"}) {
        EXPECT_NE(geral.saida.find(std::string("  ") + cmd), std::string::npos) << cmd;
        std::vector<std::string> args;
        for (std::string s = cmd; !s.empty();) {
            const auto p = s.find(' ');
            args.push_back(s.substr(0, p));
            s = p == std::string::npos ? "" : s.substr(p + 1);
        }
        args.push_back("--help");
        const auto r = rodar(args);
        EXPECT_EQ(r.codigo, 0) << cmd;
        EXPECT_EQ(r.saida.rfind(std::string("Uso: kov-cli ") + cmd, 0), 0u) << r.saida;
    }
    // As colunas das planilhas estão na ajuda (a instalação não tem o README)
    const auto r = rodar({"contribuintes", "importar", "ARQ.csv", "--help"});
    EXPECT_EQ(r.codigo, 0);
    for (const char* coluna : {"INSCESTADUAL", "RAZAOSOCIAL", "CNPJ", "TIPOCONTRIBUINTE_ID", "RESPONSAVEL", "CNAEF_ID",
                               "DESMEMBRAMENTO", "CODDRUMUNICIPIO", "CEP", "TELEFONE"})
        EXPECT_NE(r.saida.find(coluna), std::string::npos) << coluna;
    EXPECT_NE(rodar({"responsaveis", "--help"}).saida.find("Uso: kov-cli responsaveis importar"), std::string::npos);
}

TEST_F(CliComandos, MunicipiosECnaeDoAnoBaseParaAsPlanilhas) {
    auto r = rodar({"municipios", "listar", "sao"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    EXPECT_NE(r.saida.find("\tSÃO "), std::string::npos) << r.saida;  // sem distinguir acentos
    std::istringstream linhas(r.saida);
    for (std::string l; std::getline(linhas, l);) EXPECT_EQ(std::count(l.begin(), l.end(), '\t'), 1) << l;
    r = rodar({"municipios", "listar", "zzzz"});
    EXPECT_EQ(r.codigo, 0);
    EXPECT_TRUE(r.saida.empty());
    EXPECT_NE(r.erros.find("Nenhum município encontrado."), std::string::npos);

    // Só códigos completos, da tabela vigente no ano base
    r = rodar({"cnae", "listar", "4711"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    EXPECT_NE(r.saida.find("4711-3/01\t00\t"), std::string::npos) << r.saida;
    EXPECT_EQ(r.saida.find("4711-3\t"), std::string::npos) << r.saida;
    EXPECT_EQ(rodar({"cnae", "listar", "arroz"}).saida.find("0111-2/01"), std::string::npos);
    ASSERT_EQ(rodar({"parametro", "ANOEXERCICIO", "2005"}).codigo, 0);
    EXPECT_NE(rodar({"cnae", "listar", "arroz"}).saida.find("0111-2/01\t00\tCultivo de arroz"), std::string::npos);
    EXPECT_TRUE(rodar({"cnae", "listar", "4711-3/01"}).saida.empty());
}

TEST_F(CliComandos, CabecalhoSoNoTerminalEListaVaziaAvisadaEmStderr) {
    auto r = rodar({"responsaveis", "listar"});
    EXPECT_EQ(r.codigo, 0);
    EXPECT_TRUE(r.saida.empty()) << r.saida;
    EXPECT_NE(r.erros.find("Nenhum responsável cadastrado."), std::string::npos) << r.erros;
    EXPECT_NE(rodar({"declaracoes", "listar", "2001"}).erros.find("Nenhuma declaração do ano 2001."),
              std::string::npos);

    r = rodar({"municipios", "listar", "rio"});
    ASSERT_FALSE(r.saida.empty());
    EXPECT_EQ(r.saida.find("Código"), std::string::npos);
    // Num terminal (um pseudoterminal do script), a primeira linha é o cabeçalho
    r = teste::rodar("script", {"-qec", "'" + cli + "' municipios listar rio", "/dev/null"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    EXPECT_EQ(r.saida.rfind("Código\tMunicípio\r\n", 0), 0u) << r.saida;
}
