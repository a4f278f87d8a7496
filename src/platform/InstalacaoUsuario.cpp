#include "platform/InstalacaoUsuario.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <system_error>

#include "platform/GravacaoSegura.h"
#include "platform/Programa.h"

namespace fs = std::filesystem;

namespace kov {

namespace {

// A pasta sem a barra final: "/opt/kov/EXE/" e "/opt/kov/EXE" são a mesma.
fs::path semBarra(const std::string& pasta) {
    fs::path p = fs::path(pasta).lexically_normal();
    return p.has_filename() ? p : p.parent_path();
}

bool existeNome(const fs::path& p) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(p, ec));
}

[[noreturn]] void falhar(const std::string& oque, const fs::path& p, const std::error_code& ec) {
    throw std::runtime_error("Não foi possível " + oque + " " + p.string() + " para a instalação do usuário: " +
                             ec.message());
}

void criarPasta(const fs::path& p, fs::perms modo) {
    std::error_code ec;
    if (fs::is_directory(p, ec)) return;
    if (!fs::create_directories(p, ec) && ec) falhar("criar a pasta", p, ec);
    fs::permissions(p, modo, ec);
}

// Copia 'origem' para 'destino' só quando nada tem o nome do destino. A cópia é feita num
// nome temporário, forçada para o disco e ligada ao nome final com link(), que falha se o nome
// já existe: dois programas partindo ao mesmo tempo não se sobrescrevem, e uma cópia
// interrompida (disco cheio, programa fechado) nunca fica com o nome final.
void copiarSeFaltar(const fs::path& origem, const fs::path& destino, fs::perms modo) {
    if (existeNome(destino)) return;
    std::error_code ec;
    if (!fs::is_regular_file(origem, ec)) return;
    const fs::path temporario = destino.string() + ".copia-" + std::to_string(::getpid());
    fs::copy_file(origem, temporario, fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::permissions(temporario, modo, ec);
    if (!ec) {
        try {
            SincronizarArquivo(temporario.string());
        } catch (const std::system_error& e) {
            ec = e.code();
        }
    }
    if (!ec && ::link(temporario.c_str(), destino.c_str()) != 0 && errno != EEXIST)
        ec = std::error_code(errno, std::generic_category());
    std::error_code ignorado;
    fs::remove(temporario, ignorado);
    if (ec) falhar("copiar " + origem.string() + " para", destino, ec);
    try {
        SincronizarPasta(destino.parent_path().string());
    } catch (const std::system_error&) {
        // o arquivo já está inteiro no disco; só o nome pode demorar a chegar lá
    }
}

// Os recursos do pacote aparecem na EXE/ do usuário como ligações simbólicas: uma atualização
// do pacote chega a todos os usuários sem cópia. Um arquivo do próprio usuário com o mesmo nome
// (por exemplo as chaves da administração postas só para ele) tem precedência e fica.
void ligarRecursos(const fs::path& pacote, const fs::path& exe) {
    static const std::set<std::string> doUsuario = {"kov", "kov-cli", "KOV.ini", "temp",
                                                     MARCA_INSTALACAO_COMPARTILHADA};
    std::error_code ec;
    for (fs::directory_iterator it(pacote, ec), fim; !ec && it != fim; it.increment(ec)) {
        const std::string nome = it->path().filename().string();
        if (doUsuario.count(nome) || nome.empty() || nome.front() == '.') continue;
        const fs::path ligacao = exe / nome;
        if (existeNome(ligacao)) continue;
        std::error_code e;
        fs::create_symlink(it->path(), ligacao, e);
        if (e && e != std::errc::file_exists) falhar("ligar o recurso", ligacao, e);
    }
    if (ec) falhar("ler a pasta do programa", pacote, ec);
    // Ligações para recursos que o pacote não tem mais
    for (fs::directory_iterator it(exe, ec), fim; !ec && it != fim; it.increment(ec)) {
        std::error_code e;
        if (!it->is_symlink(e)) continue;
        const fs::path alvo = fs::read_symlink(it->path(), e);
        if (!e && alvo.parent_path() == pacote && !fs::exists(alvo, e)) fs::remove(it->path(), e);
    }
}

}  // namespace

bool InstalacaoCompartilhada(const std::string& pastaPrograma) {
    const fs::path pasta = semBarra(pastaPrograma);
    return existeNome(pasta / MARCA_INSTALACAO_COMPARTILHADA) || ::access(pasta.c_str(), W_OK) != 0;
}

std::string RaizDoUsuario() {
    const char* dados = std::getenv("XDG_DATA_HOME");
    if (dados && dados[0] == '/') return (fs::path(dados) / "kov").string();
    std::string pessoal;
    if (const char* home = std::getenv("HOME"); home && home[0] == '/') pessoal = home;
    if (pessoal.empty())
        if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/') pessoal = pw->pw_dir;
    if (pessoal.empty()) return {};
    return (fs::path(pessoal) / ".local" / "share" / "kov").string();
}

std::string PrepararRaizDoUsuario(const std::string& pastaPrograma, const std::string& raiz) {
    if (raiz.empty())
        throw std::runtime_error(
            "Não foi possível encontrar a pasta pessoal do usuário, onde ficam a base e a configuração do KOV.");
    const fs::path pacote = semBarra(pastaPrograma);
    const fs::path r = semBarra(raiz);
    const fs::path exe = r / "EXE";
    // A raiz guarda os dados dos contribuintes: só o usuário entra nela
    criarPasta(r, fs::perms::owner_all);
    for (const fs::path& p : {exe, exe / "temp", r / "BD", r / "backup"}) criarPasta(p, fs::perms::owner_all);
    copiarSeFaltar(pacote / "KOV.ini", exe / "KOV.ini", fs::perms::owner_read | fs::perms::owner_write);
    ligarRecursos(pacote, exe);
    copiarSeFaltar(pacote.parent_path() / "BD" / "KOV.GDB", r / "BD" / "KOV.GDB",
                   fs::perms::owner_read | fs::perms::owner_write);
    return exe.string() + "/";
}

std::string PastaDoProgramaEmUso() {
    // Uma falha não fica guardada: a próxima chamada tenta de novo
    static const std::string pasta = [] {
        const std::string programa = diretorioPrograma();
        return InstalacaoCompartilhada(programa) ? PrepararRaizDoUsuario(programa, RaizDoUsuario()) : programa;
    }();
    return pasta;
}

}  // namespace kov
