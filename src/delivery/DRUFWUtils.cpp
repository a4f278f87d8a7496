#include "delivery/DRUFWUtils.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Interacao.h"

extern char** environ;

namespace fs = std::filesystem;

namespace kov {

namespace {

struct AcoesArquivo {
    posix_spawn_file_actions_t a;
    AcoesArquivo() { posix_spawn_file_actions_init(&a); }
    ~AcoesArquivo() { posix_spawn_file_actions_destroy(&a); }
};

std::string programaDaPastaOuSistema(const std::string& dirPrograma, const std::string& nome) {
    const fs::path local = fs::path(dirPrograma) / nome;
    if (::access(local.c_str(), X_OK) == 0) return local.string();
    const fs::path sistema = fs::path("/usr/bin") / nome;
    if (::access(sistema.c_str(), X_OK) == 0) return sistema.string();
    return nome;
}

// A ferramenta acusa falha pelo código de saída e também pelas suas linhas de erro
bool falhou(const ResultadoFerramenta& r) {
    return r.codigo != 0 || r.saida.find("ERROR") != std::string::npos;
}

void apagar(const std::string& arquivo) {
    std::error_code ec;
    fs::remove(arquivo, ec);
}

}  // namespace

ResultadoFerramenta RodarFerramenta(const std::string& programa, const std::vector<std::string>& argumentos,
                                    const std::string& pastaTrabalho) {
    std::vector<std::string> textos{programa};
    textos.insert(textos.end(), argumentos.begin(), argumentos.end());
    std::vector<char*> argv;
    for (auto& t : textos) argv.push_back(t.data());
    argv.push_back(nullptr);

    // Saída e erros num arquivo anônimo: nada a ler enquanto a ferramenta roda, nenhum
    // limite de tamanho de cano que a faça esperar
    std::FILE* registro = std::tmpfile();
    if (!registro) throw ErroSistema("Não foi possível executar " + programa + ": " + std::strerror(errno) + ".");
    std::unique_ptr<std::FILE, decltype(&std::fclose)> guarda(registro, &std::fclose);
    AcoesArquivo acoes;
    posix_spawn_file_actions_adddup2(&acoes.a, fileno(registro), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&acoes.a, fileno(registro), STDERR_FILENO);
    posix_spawn_file_actions_addopen(&acoes.a, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (!pastaTrabalho.empty()) posix_spawn_file_actions_addchdir_np(&acoes.a, pastaTrabalho.c_str());
    pid_t pid = -1;
    const int r = posix_spawnp(&pid, programa.c_str(), &acoes.a, nullptr, argv.data(), environ);
    if (r != 0) throw ErroSistema("Não foi possível executar " + programa + ": " + std::strerror(r) + ".");
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            throw ErroSistema("Não foi possível esperar o fim de " + programa + ": " + std::strerror(errno) + ".");
    }
    ResultadoFerramenta res;
    res.codigo = WIFEXITED(status) ? WEXITSTATUS(status) : (WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1);
    std::rewind(registro);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, registro)) > 0) res.saida.append(buf, n);
    return res;
}

std::string ProgramaGbak(const std::string& dirPrograma) { return programaDaPastaOuSistema(dirPrograma, "gbak"); }
std::string ProgramaNbackup(const std::string& dirPrograma) {
    return programaDaPastaOuSistema(dirPrograma, "nbackup");
}

std::vector<std::string> ArgumentosCopiaGbak(const std::string& base, const std::string& usuario,
                                             const std::string& senha, const std::string& arquivoReconstrucao) {
    return {"-b", "-t", "-l", "-user", usuario, "-password", senha, base, arquivoReconstrucao};
}

std::vector<std::string> ArgumentosRestauracaoGbak(const std::string& arquivoReconstrucao, const std::string& usuario,
                                                   const std::string& senha, const std::string& base) {
    return {"-c", "-r", "-user", usuario, "-password", senha, arquivoReconstrucao, base};
}

bool TDRUUtils::ReconstroiBase(const std::string& base, const std::string& usuario, const std::string& senha,
                               const std::string& dirPrograma, std::string* motivo) {
    const fs::path pasta = fs::path(base).parent_path();
    const std::string reconstrucao = (pasta / "bkp_tmp_Ignore.gbk").string();
    // A restauração vai para um arquivo novo: a ferramenta não sobrescreve uma base com "-r",
    // e a base só é trocada quando a nova ficou completa
    const std::string nova = base + ".reconstruida";
    const std::string gbak = ProgramaGbak(dirPrograma);
    apagar(reconstrucao);
    apagar(nova);
    bool ok = false;
    std::string texto;
    try {
        auto r = RodarFerramenta(gbak, ArgumentosCopiaGbak(base, usuario, senha, reconstrucao));
        if (falhou(r)) {
            texto = r.saida.empty() ? "a cópia terminou com o código " + std::to_string(r.codigo) : r.saida;
        } else {
            r = RodarFerramenta(gbak, ArgumentosRestauracaoGbak(reconstrucao, usuario, senha, nova));
            if (falhou(r) || !fs::is_regular_file(nova))
                texto = r.saida.empty() ? "a restauração terminou com o código " + std::to_string(r.codigo) : r.saida;
            else {
                fs::rename(nova, base);
                ok = true;
            }
        }
    } catch (const std::exception& e) {
        texto = e.what();
    }
    apagar(reconstrucao);
    apagar(nova);
    if (motivo) *motivo = texto;
    return ok;
}

}  // namespace kov
