#include "apoio/BaseTeste.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <sstream>

#include "data/CriarBase.h"
#include "data/fb/Comando.h"
#include "data/fb/Transacao.h"

namespace fs = std::filesystem;

namespace kov::teste {

PastaTemporaria::PastaTemporaria() : dono_(::getpid()) {
    std::random_device rd;
    for (;;) {
        p_ = fs::temp_directory_path() / ("kov-teste-" + std::to_string(rd()));
        if (fs::create_directory(p_)) break;
    }
    // O servidor (usuário firebird) precisa gravar aqui nos testes em modo servidor
    fs::permissions(p_, fs::perms::all);
}

PastaTemporaria::~PastaTemporaria() {
    // Um processo filho criado por fork não apaga a pasta do pai
    if (::getpid() != dono_) return;
    std::error_code ec;
    fs::remove_all(p_, ec);
}

void copiarBaseModelo(const fs::path& destino) {
    // Criada uma vez e apagada no fim do processo
    static PastaTemporaria pasta;
    static std::once_flag uma;
    std::call_once(uma, [] { criarBase((pasta.caminho() / "MODELO.GDB").string()); });
    fs::create_directories(destino.parent_path());
    fs::copy_file(pasta.caminho() / "MODELO.GDB", destino, fs::copy_options::overwrite_existing);
    fs::permissions(destino, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                 fs::perms::group_write | fs::perms::others_read | fs::perms::others_write);
}

void copiarBaseAntiga(const std::string& versao, const fs::path& destino) {
    static std::mutex m;
    static std::map<std::string, fs::path> modelos;
    static PastaTemporaria pasta;
    std::lock_guard<std::mutex> trava(m);
    auto it = modelos.find(versao);
    if (it == modelos.end()) {
        const fs::path script = fs::path(KOV_FONTE) / "db" / "antigas" / ("base-" + versao + ".sql");
        const fs::path modelo = pasta.caminho() / ("ANTIGA-" + versao + ".GDB");
        criarBase(modelo.string(), {{script.filename().string(), lerArquivo(script)}});
        it = modelos.emplace(versao, modelo).first;
    }
    fs::create_directories(destino.parent_path());
    fs::copy_file(it->second, destino, fs::copy_options::overwrite_existing);
    fs::permissions(destino, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                 fs::perms::group_write | fs::perms::others_read | fs::perms::others_write);
}

std::vector<size_t> paginasAlteradas(const std::string& a, const std::string& b, const std::set<size_t>& tip) {
    std::vector<size_t> v;
    const size_t tam = 8192;
    for (size_t pg = 1; pg * tam < std::max(a.size(), b.size()); ++pg) {
        if (tip.count(pg)) continue;
        if (a.compare(pg * tam, tam, b, pg * tam, tam) != 0) v.push_back(pg);
    }
    return v;
}

InstalacaoTeste::InstalacaoTeste(bool criar) {
    exe = raiz.caminho() / "EXE";
    bd = raiz.caminho() / "BD";
    base = bd / "KOV.GDB";
    fs::create_directories(exe);
    fs::create_directories(bd);
    escreverIni("[KOV]\nDatabase=..\\BD\\KOV.GDB\n");
    if (criar) copiarBaseModelo(base);
}

void InstalacaoTeste::executarSQL(const std::string& sql) {
    fb::Conexao c;
    fb::ParametrosConexao p;
    p.banco = base.string();
    c.abrir(p);
    fb::Transacao tr(c);
    fb::Comando::executarDireto(tr, sql);
    tr.commit();
}

void InstalacaoTeste::escreverIni(const std::string& conteudo) { escreverArquivo(exe / "KOV.ini", conteudo); }

std::string servidorTeste() {
    const char* s = std::getenv("KOV_SERVIDOR_TESTE");
    return s ? s : "";
}

std::string lerArquivo(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

void escreverArquivo(const fs::path& p, const std::string& conteudo) {
    fs::create_directories(p.parent_path());
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f << conteudo;
}

}  // namespace kov::teste
