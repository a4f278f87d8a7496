#include "platform/Processos.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Interacao.h"

extern char** environ;

namespace kov {

namespace {

struct AcoesArquivo {
    posix_spawn_file_actions_t a;
    AcoesArquivo() { posix_spawn_file_actions_init(&a); }
    ~AcoesArquivo() { posix_spawn_file_actions_destroy(&a); }
};

}  // namespace

int ExecutarEEsperar(const std::string& programa, const std::vector<std::string>& argumentos,
                     const std::string& pastaTrabalho, const std::function<void()>& enquantoEspera) {
    std::vector<std::string> textos;
    textos.push_back(programa);
    textos.insert(textos.end(), argumentos.begin(), argumentos.end());
    std::vector<char*> argv;
    for (auto& t : textos) argv.push_back(t.data());
    argv.push_back(nullptr);

    AcoesArquivo acoes;
    if (!pastaTrabalho.empty()) posix_spawn_file_actions_addchdir_np(&acoes.a, pastaTrabalho.c_str());
    pid_t pid = -1;
    const int r = posix_spawn(&pid, programa.c_str(), &acoes.a, nullptr, argv.data(), environ);
    if (r != 0) throw ErroSistema("Não foi possível executar " + programa + ": " + std::strerror(r) + ".");

    int status = 0;
    for (;;) {
        const pid_t w = waitpid(pid, &status, enquantoEspera ? WNOHANG : 0);
        if (w == pid) break;
        if (w < 0) {
            if (errno == EINTR) continue;
            throw ErroSistema("Não foi possível esperar o fim de " + programa + ": " + std::strerror(errno) + ".");
        }
        enquantoEspera();
        usleep(50 * 1000);
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace kov
