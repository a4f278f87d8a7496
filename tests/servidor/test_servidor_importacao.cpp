// Duas importações das mesmas linhas ao mesmo tempo, pelo servidor Firebird: cada inscrição
// fica gravada uma vez só, e as duas terminam (uma espera a outra) sem erro de conflito.
// Uma lê a planilha de trás para a frente: elas se revezam por lotes e se encontram no
// meio, cada uma gravando a sua parte. O teste segura a trava dos cadastros até as duas
// estarem esperando por ela, para que comecem juntas qualquer que seja a carga da máquina.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "apoio/BaseTeste.h"
#include "apoio/Cadastro.h"
#include "apoio/Processo.h"
#include "data/Cadastros.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"

using namespace kov;

namespace {

int numero(const std::string& resumo, const std::string& palavra) {
    const size_t p = resumo.find(" " + palavra);
    if (p == std::string::npos) return -1;
    size_t i = p;
    while (i > 0 && std::isdigit(static_cast<unsigned char>(resumo[i - 1]))) --i;
    return std::stoi(resumo.substr(i, p - i));
}

}  // namespace

TEST(ServidorImportacao, DuasImportacoesSimultaneasNaoRepetemInscricoes) {
    ASSERT_FALSE(teste::servidorTeste().empty()) << "defina KOV_SERVIDOR_TESTE (ex.: localhost)";
    teste::InstalacaoTeste inst;
    inst.escreverIni(teste::iniDaSuite(inst));
    const std::string cli = teste::instalarCli(inst.exe.string());
    const auto responsaveis = inst.raiz.caminho() / "r.csv";
    teste::escreverArquivo(responsaveis, "NOME;DDD;TELEFONE;EMAIL\nAna;11;33334444;ana@x.com\n");
    ASSERT_EQ(teste::rodar(cli, {"responsaveis", "importar", responsaveis.string()}).codigo, 0);

    const int n = 3000;
    const std::string csv = teste::PlanilhaContribuintes(n, 1, 49145);
    std::vector<std::string> linhas;
    for (size_t i = 0, f; (f = csv.find('\n', i)) != std::string::npos; i = f + 1) linhas.push_back(csv.substr(i, f - i + 1));
    std::string invertida = linhas[0];
    for (size_t i = linhas.size() - 1; i > 0; --i) invertida += linhas[i];
    const auto direta = inst.raiz.caminho() / "c.csv", inversa = inst.raiz.caminho() / "invertida.csv";
    teste::escreverArquivo(direta, csv);
    teste::escreverArquivo(inversa, invertida);
    fb::Conexao c;
    fb::ParametrosConexao p;
    p.banco = teste::enderecoBanco(inst.base);
    c.abrir(p);
    fb::Transacao trava(c);
    TravarCadastros(trava);
    teste::ProcessoFilho a(cli, {"contribuintes", "importar", direta.string()});
    teste::ProcessoFilho b(cli, {"contribuintes", "importar", inversa.string()});
    auto esperando = [&c] {
        auto tr = fb::Transacao::leitura(c);  // a fotografia das tabelas MON$ é por transação
        fb::Comando q(tr, "SELECT COUNT(*) FROM MON$STATEMENTS WHERE MON$STATE = 1 AND "
                          "MON$ATTACHMENT_ID <> CURRENT_CONNECTION AND MON$SQL_TEXT CONTAINING 'WITH LOCK'");
        q.proximo();
        return q.coluna(0).inteiro();
    };
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (esperando() < 2 && std::chrono::steady_clock::now() < limite)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(esperando(), 2) << "as importações não chegaram à trava";
    trava.rollback();
    const auto ra = a.esperar(), rb = b.esperar();

    // Cada linha foi gravada por uma e recusada pela outra como inscrição repetida
    const std::string repetida = ": Já existe um Contribuinte com esta Inscrição Estadual!\n";
    for (const auto* r : {&ra, &rb}) {
        EXPECT_TRUE(r->codigo == 0 || r->codigo == 1) << r->erros;
        size_t linhas = 0;
        for (size_t p = 0; (p = r->erros.find('\n', p)) != std::string::npos; ++p) ++linhas;
        size_t repetidas = 0;
        for (size_t p = 0; (p = r->erros.find(repetida, p)) != std::string::npos; ++p) ++repetidas;
        EXPECT_EQ(linhas, repetidas) << r->erros.substr(0, 2000);
        EXPECT_EQ(static_cast<int>(repetidas), numero(r->saida, "recusado"));
    }
    EXPECT_GT(numero(ra.saida, "importado"), 0) << ra.saida << rb.saida;
    EXPECT_GT(numero(rb.saida, "importado"), 0) << ra.saida << rb.saida;
    EXPECT_EQ(numero(ra.saida, "importado") + numero(rb.saida, "importado"), n) << ra.saida << rb.saida;
    EXPECT_EQ(numero(ra.saida, "recusado") + numero(rb.saida, "recusado"), n) << ra.saida << rb.saida;

    auto tr = fb::Transacao::leitura(c);
    fb::Comando q(tr, "SELECT COUNT(*), COUNT(DISTINCT INSCESTADUAL) FROM CONTRIBUINTE");
    ASSERT_TRUE(q.proximo());
    EXPECT_EQ(q.coluna(0).inteiro(), n);
    EXPECT_EQ(q.coluna(1).inteiro(), n);
}
