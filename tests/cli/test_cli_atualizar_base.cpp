// kov-cli atualizar-base como o usuário o roda, parado em cada ponto da atualização como um
// processo morto (KOV_TESTE_PARAR_EM) e rodado de novo: a base termina igual à de uma
// atualização sem interrupção, com uma só cópia de segurança, que é a base original intacta.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "apoio/BaseTeste.h"
#include "apoio/Processo.h"
#include "apoio/RetratoBase.h"
#include "data/fb/Comando.h"
#include "data/fb/Conexao.h"
#include "data/fb/Transacao.h"
#include "platform/PontoParada.h"

namespace fs = std::filesystem;
using namespace kov;

namespace {

// KOV_TESTE_PARAR_EM para os processos filhos, enquanto o objeto existe.
struct PararEm {
    explicit PararEm(const std::string& ponto) { ::setenv("KOV_TESTE_PARAR_EM", ponto.c_str(), 1); }
    ~PararEm() { ::unsetenv("KOV_TESTE_PARAR_EM"); }
};

const char* const ARQUIVOS_CNAE[] = {"TabelaCNAE20.zip", "Tabela_CNAEF_CNAE.zip"};

// Instalação com uma base da 7.00.04 e, se pedido, os arquivos CNAE ao lado dela.
struct Instalacao70004 {
    teste::InstalacaoTeste inst{false};
    std::string cli;
    explicit Instalacao70004(bool comCNAE = true) {
        preparar(comCNAE);
        cli = teste::instalarCli(inst.exe.string());
    }
    // A pasta BD só com a base da 7.00.04 (e os arquivos CNAE).
    void preparar(bool comCNAE = true) {
        for (const auto& a : fs::directory_iterator(inst.bd)) fs::remove(a.path());
        teste::copiarBaseAntiga("7.00.04", inst.base);
        if (comCNAE)
            for (const char* z : ARQUIVOS_CNAE) fs::copy_file(fs::path(KOV_FONTE) / "db" / "antigas" / z, inst.bd / z);
    }
    teste::ResultadoProcesso atualizar() { return teste::rodar(cli, {"atualizar-base"}); }
    std::set<std::string> arquivosBD() const {
        std::set<std::string> s;
        for (const auto& a : fs::directory_iterator(inst.bd)) s.insert(a.path().filename().string());
        return s;
    }
    std::string copia() const { return (inst.bd / "KOV-7.00.04.GDB").string(); }
    std::string resultadoEsperado() const {
        return "A base de dados foi atualizada da versão 7.00.04 para a versão 7.07.10.\n"
               "Cópia da base anterior à atualização: " + copia() + "\nBase na versão 7.07.10: " +
               inst.base.string() + "\n";
    }
};

// Os pontos da subida desde a 7.00.04, na ordem em que a atualização passa por eles: a cópia
// de segurança, a criação de PARAMETROS, cada comando do script (e cada CSV extraído), a
// versão 7.01.00 e cada passo da escada (as duas transações dos passos que têm duas).
std::vector<std::string> pontosDaSubida() {
    std::vector<std::string> p = {"copia", "copia-diario", "copia-pronta", "parametros", "parametros-versao"};
    for (int i = 1; i <= 19; ++i) p.push_back("script-" + std::to_string(i));
    for (const char* s : {"extraido-TabelaCNAE20.csv", "script-20", "extraido-Tabela_CNAEF_CNAE.csv", "script-21",
                          "script-22", "script-23", "7.01.00", "7.01.01", "7.01.02", "7.01.03", "7.02.00", "7.02.01",
                          "7.02.02-1", "7.02.02", "7.02.03-1", "7.02.03", "7.03.00", "7.03.01", "7.04.00", "7.05.00",
                          "7.05.01", "7.05.02", "7.05.03", "7.05.04", "7.05.05", "7.06.00", "7.06.01", "7.07.01",
                          "7.07.02", "7.07.03", "7.07.04", "7.07.05", "7.07.06", "7.07.07", "7.07.08", "7.07.09",
                          "7.07.10", "fim"})
        p.push_back(s);
    return p;
}

// Páginas que o Firebird deixou em RDB$PAGES para uma tabela que não existe.
bool temPaginasOrfas(const fs::path& base) {
    fb::Conexao c;
    fb::ParametrosConexao p;
    p.banco = base.string();
    c.abrir(p);
    auto tr = fb::Transacao::leitura(c);
    fb::Comando q(tr, "SELECT FIRST 1 1 FROM RDB$PAGES P WHERE NOT EXISTS (SELECT 1 FROM RDB$RELATIONS R WHERE "
                      "R.RDB$RELATION_ID = P.RDB$RELATION_ID)");
    return q.proximo();
}

}  // namespace

TEST(AtualizarBase, InterrompidaEmCadaPontoTerminaIgualAUmaAtualizacaoLimpa) {
    Instalacao70004 limpa;
    const auto r = limpa.atualizar();
    ASSERT_EQ(r.codigo, 0) << r.erros;
    EXPECT_EQ(r.saida, limpa.resultadoEsperado());

    // Cada execução para num ponto e a seguinte retoma de lá
    Instalacao70004 retomada;
    for (const auto& ponto : pontosDaSubida()) {
        PararEm parar(ponto);
        const auto p = retomada.atualizar();
        ASSERT_EQ(p.codigo, CODIGO_PARADA_TESTE) << "a atualização não passou pelo ponto " << ponto << ":\n" << p.erros;
    }
    const auto fim = retomada.atualizar();
    ASSERT_EQ(fim.codigo, 0) << fim.erros;
    EXPECT_EQ(fim.saida, retomada.resultadoEsperado());

    EXPECT_EQ(teste::RetratoBase(retomada.inst.base.string()), teste::RetratoBase(limpa.inst.base.string()));
    // Uma só cópia, a base original como estava; nenhum CSV, diário ou temporário deixado
    const std::set<std::string> esperados = {"KOV.GDB", "KOV-7.00.04.GDB", "TabelaCNAE20.zip", "Tabela_CNAEF_CNAE.zip"};
    EXPECT_EQ(retomada.arquivosBD(), esperados);
    EXPECT_EQ(limpa.arquivosBD(), esperados);
    Instalacao70004 original(false);
    EXPECT_EQ(teste::RetratoBase(retomada.copia()), teste::RetratoBase(original.inst.base.string()));
}

// Um processo morto enquanto o Firebird confirma a criação de uma tabela deixa as páginas dela
// registradas para um número de tabela que não existe; a criação seguinte falhava para sempre
// com "cannot create index PK_PARAMETROS" (ou PK_CNAEF_CNAE).
TEST(AtualizarBase, MortaNoMeioDaCriacaoDeUmaTabelaRetomaIgualAUmaAtualizacaoLimpa) {
    Instalacao70004 limpa;
    ASSERT_EQ(limpa.atualizar().codigo, 0);
    const std::string esperado = teste::RetratoBase(limpa.inst.base.string());
    Instalacao70004 morta;
    for (const std::string ponto : {"parametros", "script-17"}) {  // PARAMETROS e CNAEF_CNAE
        bool contaminada = false;
        // A janela em que as páginas já foram gravadas e a confirmação ainda não terminou
        // depende do disco: tenta do mais cedo ao mais tarde até cair nela
        for (int us : {500, 2000, 5000, 10000, 20000, 35000, 60000, 100000, 160000, 250000}) {
            morta.preparar();
            {
                PararEm parar(ponto + "@" + std::to_string(us));
                morta.atualizar();
            }
            if (!temPaginasOrfas(morta.inst.base)) continue;
            contaminada = true;
            const auto r = morta.atualizar();
            ASSERT_EQ(r.codigo, 0) << ponto << " " << us << " us:\n" << r.erros;
            EXPECT_EQ(r.saida, morta.resultadoEsperado());
            EXPECT_EQ(teste::RetratoBase(morta.inst.base.string()), esperado) << ponto << " " << us << " us";
            break;
        }
        EXPECT_TRUE(contaminada) << "nenhuma parada no meio da confirmação de " << ponto
                                 << " deixou páginas órfãs: o caso não foi exercitado";
    }
}

TEST(AtualizarBase, ResultadoNoStdoutAndamentoNoStderrEAvisoDosArquivosCNAE) {
    Instalacao70004 semCNAE(false);
    const auto r = semCNAE.atualizar();
    ASSERT_EQ(r.codigo, 0) << r.erros;
    const std::string pasta = semCNAE.inst.bd.string() + "/";
    EXPECT_EQ(r.saida, "A base de dados foi atualizada da versão 7.00.04 para a versão 7.07.10.\n"
                       "Cópia da base anterior à atualização: " + semCNAE.copia() +
                           "\nOs arquivos TabelaCNAE20.zip e Tabela_CNAEF_CNAE.zip não estavam na pasta da base (" +
                           pasta +
                           "): a tabela CNAE não foi renovada e os códigos CNAE dos contribuintes e das declarações "
                           "não foram convertidos.\nBase na versão 7.07.10: " + semCNAE.inst.base.string() + "\n");
    EXPECT_NE(r.erros.find("Atualizando a base de dados para a versão 7.01.00. Aguarde...\n"), std::string::npos);
    EXPECT_EQ(r.erros.find("atualizada da versão"), std::string::npos) << r.erros;

    // Só a correspondência faltando: a tabela é renovada, os códigos não são convertidos
    Instalacao70004 semCorrespondencia;
    fs::remove(semCorrespondencia.inst.bd / "Tabela_CNAEF_CNAE.zip");
    const auto r2 = semCorrespondencia.atualizar();
    ASSERT_EQ(r2.codigo, 0) << r2.erros;
    EXPECT_NE(r2.saida.find("\nO arquivo Tabela_CNAEF_CNAE.zip não estava na pasta da base (" +
                            semCorrespondencia.inst.bd.string() +
                            "/): os códigos CNAE dos contribuintes e das declarações não foram convertidos.\n"),
              std::string::npos)
        << r2.saida;

    // Base em dia: só a versão, nenhuma mensagem
    const auto r3 = semCNAE.atualizar();
    EXPECT_EQ(r3.codigo, 0);
    EXPECT_EQ(r3.saida, "Base na versão 7.07.10: " + semCNAE.inst.base.string() + "\n");
    EXPECT_EQ(r3.erros, "");
}
