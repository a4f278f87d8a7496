// kov-cli importar sob as condições de uso real: arquivos enormes com a memória limitada,
// Ctrl-C e SIGTERM no meio de uma importação longa, e listagens de bases antigas que
// guardam caracteres de controle.
#include <gtest/gtest.h>

#include <csignal>
#include <regex>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "apoio/Processo.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"

using namespace kov;

namespace {

const int MUNICIPIO = 49145;  // ALTO ALEGRE

struct Instalada {
    teste::InstalacaoTeste inst;
    std::string cli = teste::instalarCli(inst.exe.string());

    std::string arquivo(const std::string& nome, const std::string& bytes) {
        const auto p = inst.raiz.caminho() / nome;
        teste::escreverArquivo(p, bytes);
        return p.string();
    }

    int contar(const std::string& sql) {
        fb::Conexao c;
        fb::ParametrosConexao p;
        p.banco = inst.base.string();
        c.abrir(p);
        auto tr = fb::Transacao::leitura(c);
        fb::Comando q(tr, sql);
        q.proximo();
        return static_cast<int>(q.coluna(0).inteiro());
    }

    void executar(const std::string& sql) {
        fb::Conexao c;
        fb::ParametrosConexao p;
        p.banco = inst.base.string();
        c.abrir(p);
        fb::Transacao tr(c);
        fb::Comando::executarDireto(tr, sql);
        tr.commit();
    }
};

}  // namespace

TEST(CliImportacao, ArquivoEnormeComMemoriaLimitadaLidoEmFluxo) {
    Instalada i;
    // 20 MB de linhas em branco e uma linha de 5 MB: o arquivo inteiro na memória (e um
    // registro por linha em branco) passava de 1 GB
    std::string csv = "NOME;DDD;TELEFONE;EMAIL\n" + std::string(20 << 20, '\n') + "Ana;11;33334444;ana@x.com\n" +
                      std::string(5 << 20, ';') + "\nBia;11;33334444;bia@x.com\n";
    const auto arq = i.arquivo("enorme.csv", csv);
    csv.clear();
    csv.shrink_to_fit();
    teste::ProcessoFilho filho(i.cli, {"responsaveis", "importar", arq}, size_t{384} << 20);
    const auto r = filho.esperar();
    EXPECT_EQ(r.codigo, 1) << r.erros;
    EXPECT_EQ(r.saida, "2 importados, 1 recusado\n");
    EXPECT_EQ(r.erros, "Linha " + std::to_string(2 + (20 << 20) + 1) +
                           ": A linha tem mais de 64 KB; confira se alguma aspa ficou sem par.\n");
    EXPECT_EQ(i.contar("SELECT COUNT(*) FROM RESPONSAVEL WHERE RESPONSAVEL_ID <> 0"), 2);
}

TEST(CliImportacao, SinalParaDepoisDaLinhaAtualEGuardaOQueFoiLido) {
    const struct {
        int sinal, codigo;
    } casos[] = {{SIGINT, 130}, {SIGTERM, 143}};
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.sinal);
        Instalada i;
        ASSERT_EQ(teste::rodar(i.cli, {"responsaveis", "importar",
                                       i.arquivo("r.csv", "NOME;DDD;TELEFONE;EMAIL\nAna;11;33334444;ana@x.com\n")})
                      .codigo,
                  0);
        // Um registro em cada mil é recusado: a sua mensagem mostra até onde a importação foi
        const int n = 20000;
        const auto arq = i.arquivo("c.csv", teste::PlanilhaContribuintes(n, 1, MUNICIPIO, 1000));
        teste::ProcessoFilho filho(i.cli, {"contribuintes", "importar", arq});
        ASSERT_TRUE(filho.esperarErros("Linha 2001: ", std::chrono::seconds(120)));
        filho.sinal(caso.sinal);
        const auto r = filho.esperar();
        EXPECT_EQ(r.codigo, caso.codigo) << r.erros;
        EXPECT_EQ(r.erros.find("connection shutdown"), std::string::npos) << r.erros;

        // A última linha tratada N: os registros 1 a N - 1, inteiros; nenhum depois
        std::smatch m;
        ASSERT_TRUE(std::regex_search(r.erros, m,
                                      std::regex("Importação interrompida na linha ([0-9]+): ([0-9]+) importados, "
                                                 "([0-9]+) recusados\\. As linhas seguintes não foram lidas\\.\n$")))
            << r.erros;
        const int linha = std::stoi(m[1]), importados = std::stoi(m[2]), recusados = std::stoi(m[3]);
        const int lidos = linha - 1;
        EXPECT_LT(lidos, n);
        EXPECT_EQ(recusados, lidos / 1000);
        EXPECT_EQ(importados, lidos - recusados);
        EXPECT_EQ(r.saida, m[2].str() + " importados, " + m[3].str() + " recusados\n");
        EXPECT_EQ(i.contar("SELECT COUNT(*) FROM CONTRIBUINTE"), importados);
        EXPECT_EQ(i.contar("SELECT COUNT(*) FROM CONTRIBUINTE WHERE CAST(SUBSTRING(RAZAOSOCIAL FROM 9) AS INTEGER) > " +
                           std::to_string(lidos)),
                  0);
    }
}

TEST(CliImportacao, ListagensNuncaMostramCaracteresDeControleCrus) {
    Instalada i;
    // Gravados por fora das verificações, como numa base antiga
    i.executar("INSERT INTO RESPONSAVEL (RESPONSAVEL_ID, NOME, DDD, TELEFONE, EMAIL) VALUES (7, "
               "'Ana' || ASCII_CHAR(27) || '[31mVermelha' || ASCII_CHAR(7), '11', '33334444', "
               "'a@x' || ASCII_CHAR(127) || '.com')");
    i.executar("INSERT INTO CONTRIBUINTE (CONTRIBUINTE_ID, CNAEF_ID, DESMEMBRAMENTO, CODDRUMUNICIPIO, UF_ID, "
               "TIPOCONTRIBUINTE_ID, RAZAOSOCIAL, CEP, INSCESTADUAL, RESPONSAVEL_ID, CNPJ) VALUES (1, '4711301', '00', "
               "49145, 'QZ', 1, 'Linha 1' || ASCII_CHAR(13) || ASCII_CHAR(10) || 'Linha 2' || ASCII_CHAR(9) || 'fim', "
               "'12345678', '12345678901' || ASCII_CHAR(0) || '7', 7, '12345678000199')");
    auto semControles = [](const std::string& s) {
        for (unsigned char ch : s)
            if ((ch < 0x20 && ch != '\t' && ch != '\n') || ch == 0x7F) return false;
        return true;
    };
    auto r = teste::rodar(i.cli, {"responsaveis", "listar"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    EXPECT_TRUE(semControles(r.saida)) << r.saida;
    EXPECT_EQ(r.saida, "7\tAna\uFFFD[31mVermelha\uFFFD\t11\t33334444\ta@x\uFFFD.com\n");
    r = teste::rodar(i.cli, {"contribuintes", "listar"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    EXPECT_TRUE(semControles(r.saida)) << r.saida;
    EXPECT_EQ(r.saida.rfind("1\t12345678901\uFFFD7\tLinha 1  Linha 2 fim\t", 0), 0u) << r.saida;
}
