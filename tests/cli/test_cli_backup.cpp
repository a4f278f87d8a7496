// kov-cli base backup/restaurar e declaracoes backup/restaurar: os verbos sobre uma
// instalação real, com as confirmações, as saídas e os códigos de saída.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "apoio/BaseTeste.h"
#include "apoio/Processo.h"
#include "apoio/RetratoBase.h"

using namespace kov;
namespace fs = std::filesystem;

TEST(CliBackup, CopiaERestauracaoPelaLinhaDeComando) {
    teste::InstalacaoTeste inst;
    const std::string cli = teste::instalarCli(inst.exe.string());
    const fs::path pasta = inst.raiz.caminho() / "copias";
    const std::string antes = teste::RetratoDados(inst.base.string());

    auto r = teste::rodar(cli, {"base", "backup", "--pasta", pasta.string()});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    const std::string zip = teste::linhas(r.saida).at(0);
    EXPECT_EQ(fs::path(zip).parent_path(), pasta);
    EXPECT_TRUE(fs::path(zip).filename().string().rfind("BKP_KOV_BNC", 0) == 0);
    EXPECT_NE(r.erros.find("Confirma a geração do arquivo de backup? [Sim]"), std::string::npos);
    EXPECT_NE(r.erros.find("Cópia de segurança gerada com sucesso. Arquivos adicionados = 1"), std::string::npos);

    // Sem --sim nada é feito; o aviso da restauração é mostrado
    inst.executarSQL("INSERT INTO PARAMETROS (CAMPO, VALOR) VALUES ('TESTE', 'Depois da cópia')");
    r = teste::rodar(cli, {"base", "restaurar", zip});
    EXPECT_EQ(r.codigo, 2);
    EXPECT_NE(r.erros.find("Confirma restauração de backup de base completa?"), std::string::npos);
    EXPECT_NE(teste::RetratoDados(inst.base.string()), antes);

    r = teste::rodar(cli, {"base", "restaurar", zip, "--sim"});
    EXPECT_EQ(r.codigo, 0) << r.erros;
    EXPECT_NE(r.saida.find("BACKUP RESTAURADO COM SUCESSO."), std::string::npos) << r.saida;
    EXPECT_EQ(teste::RetratoDados(inst.base.string()), antes);

    // Declarações: chave inexistente e um arquivo que não é ZIP
    r = teste::rodar(cli, {"declaracoes", "backup", "999"});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.erros.find("Declaração não encontrada: 999"), std::string::npos);
    teste::escreverArquivo(inst.raiz.caminho() / "texto.zip", "não sou zip");
    r = teste::rodar(cli, {"declaracoes", "restaurar", (inst.raiz.caminho() / "texto.zip").string(), "--todas"});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_EQ(teste::linhas(r.erros), (std::vector<std::string>{"Erro - nenhum arquivo do tipo Compactado (.ZIP) "
                                                                "encontrado!",
                                                                "Não existe declaração a ser restaurada!"}));
    EXPECT_EQ(teste::rodar(cli, {"declaracoes", "restaurar", zip}).codigo, 2);
}

TEST(CliBackup, ProgramaMortoNoMeioNaoEstragaABase) {
    teste::InstalacaoTeste inst;
    const std::string cli = teste::instalarCli(inst.exe.string());
    const std::string antes = teste::RetratoDados(inst.base.string());
    auto morto = [&](const char* ponto, std::vector<std::string> args) {
        ::setenv("KOV_TESTE_PARAR_EM", ponto, 1);
        const auto r = teste::rodar(cli, args);
        ::unsetenv("KOV_TESTE_PARAR_EM");
        return r.codigo;
    };
    // Morto com a trava de cópia física posta: a próxima cópia solta a trava esquecida
    EXPECT_EQ(morto("backup-copia", {"base", "backup"}), 137);
    auto r = teste::rodar(cli, {"base", "backup"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    const std::string zip = teste::linhas(r.saida).at(0);
    EXPECT_FALSE(fs::exists(inst.bd / "KOV.GDB.delta"));
    // Morto antes da troca: a base é a de antes e uma nova restauração vai até o fim
    EXPECT_EQ(morto("restauracao-antes-troca", {"base", "restaurar", zip, "--sim"}), 137);
    EXPECT_EQ(teste::RetratoDados(inst.base.string()), antes);
    r = teste::rodar(cli, {"base", "restaurar", zip, "--sim"});
    EXPECT_EQ(r.codigo, 0) << r.erros;
    EXPECT_EQ(teste::RetratoDados(inst.base.string()), antes);
}
