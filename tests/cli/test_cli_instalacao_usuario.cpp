// kov-cli instalado como pelo pacote: a pasta do programa é só de leitura e a primeira
// partida de um usuário novo monta a raiz dele; a base dele nunca é sobrescrita.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "apoio/BaseTeste.h"
#include "apoio/Processo.h"

namespace fs = std::filesystem;
using namespace kov;

namespace {

constexpr uid_t NINGUEM = 65534;  // nobody/nogroup: um usuário sem nada na máquina

// Roda o kov-cli como um usuário comum com a pasta pessoal 'home': quem roda os testes como
// root (que grava em qualquer pasta) desce para nobody, como um usuário novo da máquina.
teste::ResultadoProcesso rodarComoUsuario(const fs::path& home, const std::string& cli,
                                          const std::vector<std::string>& args) {
    std::vector<std::string> a;
    if (::geteuid() == 0)
        a = {"--reuid=" + std::to_string(NINGUEM), "--regid=" + std::to_string(NINGUEM), "--clear-groups", "env"};
    a.insert(a.end(), {"-u", "XDG_DATA_HOME", "-u", "FIREBIRD_LOCK", "HOME=" + home.string(), cli});
    a.insert(a.end(), args.begin(), args.end());
    return teste::rodar(::geteuid() == 0 ? "/usr/bin/setpriv" : "/usr/bin/env", a);
}

}  // namespace

TEST(KovCliInstalacaoUsuario, PastaDoProgramaSoDeLeituraGanhaARaizDoUsuario) {
    teste::PastaTemporaria tmp;
    const fs::path opt = tmp.caminho() / "opt" / "kov", exe = opt / "EXE", home = tmp.caminho() / "home";
    fs::create_directories(exe);
    fs::create_directories(opt / "BD");
    fs::create_directories(home);
    const std::string cli = teste::instalarCli(exe.string());
    fs::copy_file(fs::path(KOV_FONTE) / "recursos" / "EXE" / "KOV.ini", exe / "KOV.ini");
    fs::copy_file(fs::path(KOV_FONTE) / "recursos" / "EXE" / "Msgs.dat", exe / "Msgs.dat");
    teste::copiarBaseModelo(opt / "BD" / "KOV.GDB");
    const std::string modelo = teste::lerArquivo(opt / "BD" / "KOV.GDB");
    for (const fs::path& p : {opt.parent_path(), opt, opt / "BD", exe})
        fs::permissions(p, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(opt / "BD" / "KOV.GDB", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    // A pasta volta a ser gravável no fim, para ser apagada
    struct Gravavel {
        fs::path p;
        ~Gravavel() { fs::permissions(p, fs::perms::owner_all, fs::perm_options::add); }
    } gravavel{exe};
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(home.c_str(), NINGUEM, NINGUEM), 0);
    } else {
        fs::permissions(exe, fs::perms::owner_read | fs::perms::owner_exec, fs::perm_options::replace);
    }

    const fs::path raiz = home / ".local" / "share" / "kov";
    auto r = rodarComoUsuario(home, cli, {"versao"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    EXPECT_NE(r.saida.find((raiz / "BD" / "KOV.GDB").string()), std::string::npos) << r.saida;
    for (const char* p : {"EXE/KOV.ini", "EXE/temp", "EXE/Msgs.dat", "BD/KOV.GDB", "backup"})
        EXPECT_TRUE(fs::exists(raiz / p)) << p;
    EXPECT_FALSE(fs::exists(exe / "temp"));

    // O usuário muda o ano base; a segunda partida encontra a base dele, não a modelo
    r = rodarComoUsuario(home, cli, {"parametro", "ANOEXERCICIO", "2015"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    r = rodarComoUsuario(home, cli, {"parametro", "ANOEXERCICIO"});
    ASSERT_EQ(r.codigo, 0) << r.erros;
    EXPECT_EQ(teste::linhas(r.saida), std::vector<std::string>{"2015"});
    EXPECT_EQ(teste::lerArquivo(opt / "BD" / "KOV.GDB"), modelo) << "a base modelo do pacote foi alterada";

    // Pasta pessoal onde não se pode criar a raiz: a mensagem diz onde e o programa para
    r = rodarComoUsuario(exe / "KOV.ini", cli, {"versao"});
    EXPECT_EQ(r.codigo, 1);
    EXPECT_NE(r.erros.find("Não foi possível criar a pasta"), std::string::npos) << r.erros;
}
