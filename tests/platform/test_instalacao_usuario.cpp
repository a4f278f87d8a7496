// Raiz de instalação por usuário: montada a partir da pasta do programa de um pacote.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "apoio/BaseTeste.h"
#include "platform/InstalacaoUsuario.h"

namespace fs = std::filesystem;
using namespace kov;
using teste::escreverArquivo;
using teste::lerArquivo;

namespace {

// O que o pacote instala: /opt/kov/EXE (programas, KOV.ini, recursos, marca) e /opt/kov/BD.
struct Pacote {
    teste::PastaTemporaria tmp;
    fs::path exe = tmp.caminho() / "opt" / "EXE";
    fs::path raiz = tmp.caminho() / "home" / ".local" / "share" / "kov";
    Pacote() {
        fs::create_directories(exe / "ajuda");
        fs::create_directories(tmp.caminho() / "opt" / "BD");
        escreverArquivo(exe / "kov-cli", "programa");
        escreverArquivo(exe / "KOV.ini", "[KOV]\r\nDatabase=..\\BD\\KOV.GDB\r\n");
        escreverArquivo(exe / "Msgs.dat", "avisos");
        escreverArquivo(exe / "ajuda" / "1.html", "<p>ajuda</p>");
        escreverArquivo(exe / MARCA_INSTALACAO_COMPARTILHADA, "");
        escreverArquivo(tmp.caminho() / "opt" / "BD" / "KOV.GDB", "base modelo");
    }
};

// Variável de ambiente trocada durante um teste e devolvida no fim.
struct Ambiente {
    std::string nome;
    std::optional<std::string> antes;
    Ambiente(std::string n, const char* valor) : nome(std::move(n)) {
        if (const char* v = std::getenv(nome.c_str())) antes = v;
        valor ? ::setenv(nome.c_str(), valor, 1) : ::unsetenv(nome.c_str());
    }
    ~Ambiente() { antes ? ::setenv(nome.c_str(), antes->c_str(), 1) : ::unsetenv(nome.c_str()); }
};

}  // namespace

TEST(InstalacaoUsuario, CompartilhadaPelaMarcaOuSemPermissaoDeGravacao) {
    Pacote p;
    EXPECT_TRUE(InstalacaoCompartilhada(p.exe.string() + "/"));
    fs::remove(p.exe / MARCA_INSTALACAO_COMPARTILHADA);
    EXPECT_FALSE(InstalacaoCompartilhada(p.exe.string()));  // a instalação portátil continua na própria pasta
    if (::geteuid() != 0) {  // root grava em qualquer pasta: para ele vale a marca
        fs::permissions(p.exe, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_TRUE(InstalacaoCompartilhada(p.exe.string()));
        fs::permissions(p.exe, fs::perms::owner_all);
    }
}

TEST(InstalacaoUsuario, RaizPelaPastaDeDadosOuPelaPastaPessoal) {
    Ambiente home("HOME", "/home/maria");
    {
        Ambiente dados("XDG_DATA_HOME", "/dados/maria");
        EXPECT_EQ(RaizDoUsuario(), "/dados/maria/kov");
    }
    for (const char* invalida : {"", "relativa/dados"}) {
        Ambiente dados("XDG_DATA_HOME", invalida);
        EXPECT_EQ(RaizDoUsuario(), "/home/maria/.local/share/kov") << invalida;
    }
}

TEST(InstalacaoUsuario, PrimeiraPartidaMontaARaizESegundaNaoSobrescreve) {
    Pacote p;
    const std::string exe = PrepararRaizDoUsuario(p.exe.string() + "/", p.raiz.string());
    EXPECT_EQ(exe, (p.raiz / "EXE").string() + "/");
    for (const char* pasta : {"EXE", "EXE/temp", "BD", "backup"}) EXPECT_TRUE(fs::is_directory(p.raiz / pasta)) << pasta;
    EXPECT_EQ(fs::status(p.raiz).permissions() & fs::perms::all, fs::perms::owner_all);
    // KOV.ini e base são cópias do usuário; os recursos, ligações para o pacote
    EXPECT_EQ(lerArquivo(p.raiz / "EXE" / "KOV.ini"), lerArquivo(p.exe / "KOV.ini"));
    EXPECT_FALSE(fs::is_symlink(p.raiz / "EXE" / "KOV.ini"));
    EXPECT_EQ(lerArquivo(p.raiz / "BD" / "KOV.GDB"), "base modelo");
    EXPECT_EQ(fs::status(p.raiz / "BD" / "KOV.GDB").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::read_symlink(p.raiz / "EXE" / "Msgs.dat"), p.exe / "Msgs.dat");
    EXPECT_EQ(lerArquivo(p.raiz / "EXE" / "ajuda" / "1.html"), "<p>ajuda</p>");
    for (const char* fora : {"kov-cli", MARCA_INSTALACAO_COMPARTILHADA})
        EXPECT_FALSE(fs::exists(fs::symlink_status(p.raiz / "EXE" / fora))) << fora;

    // O usuário trabalha; o pacote é atualizado (um recurso novo, um que saiu, as chaves da
    // administração postas na pasta do programa, que este usuário já tem as suas)
    escreverArquivo(p.raiz / "BD" / "KOV.GDB", "declarações do usuário");
    escreverArquivo(p.raiz / "EXE" / "KOV.ini", "[KOV]\r\nDatabase=servidor:/kov/KOV.GDB\r\n");
    escreverArquivo(p.raiz / "EXE" / "PublicKey.dat", "chave do usuário");
    escreverArquivo(p.exe / "PublicKey.dat", "chave do pacote");
    escreverArquivo(p.exe / "Logo.png", "logo");
    fs::remove(p.exe / "Msgs.dat");
    escreverArquivo(p.tmp.caminho() / "opt" / "BD" / "KOV.GDB", "base modelo nova");

    EXPECT_EQ(PrepararRaizDoUsuario(p.exe.string(), p.raiz.string()), exe);
    EXPECT_EQ(lerArquivo(p.raiz / "BD" / "KOV.GDB"), "declarações do usuário");
    EXPECT_EQ(lerArquivo(p.raiz / "EXE" / "KOV.ini"), "[KOV]\r\nDatabase=servidor:/kov/KOV.GDB\r\n");
    EXPECT_EQ(lerArquivo(p.raiz / "EXE" / "PublicKey.dat"), "chave do usuário");
    EXPECT_EQ(lerArquivo(p.raiz / "EXE" / "Logo.png"), "logo");
    EXPECT_FALSE(fs::exists(fs::symlink_status(p.raiz / "EXE" / "Msgs.dat")));
    for (const auto& e : fs::recursive_directory_iterator(p.raiz))
        EXPECT_EQ(e.path().filename().string().find(".copia-"), std::string::npos) << e.path();

    // Sem a base do usuário (apagada por engano): volta a da base modelo, sem tocar no resto
    fs::remove(p.raiz / "BD" / "KOV.GDB");
    PrepararRaizDoUsuario(p.exe.string(), p.raiz.string());
    EXPECT_EQ(lerArquivo(p.raiz / "BD" / "KOV.GDB"), "base modelo nova");
}

TEST(InstalacaoUsuario, RaizQueNaoPodeSerCriadaDizOMotivo) {
    Pacote p;
    escreverArquivo(p.tmp.caminho() / "arquivo", "não é pasta");
    const struct {
        std::string raiz, texto;
    } casos[] = {
        {"", "Não foi possível encontrar a pasta pessoal do usuário"},
        {(p.tmp.caminho() / "arquivo" / "kov").string(),
         "Não foi possível criar a pasta " + (p.tmp.caminho() / "arquivo" / "kov").string()},
    };
    for (const auto& c : casos) {
        try {
            PrepararRaizDoUsuario(p.exe.string(), c.raiz);
            ADD_FAILURE() << "aceitou " << c.raiz;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.texto), std::string::npos) << e.what();
        }
    }
}
