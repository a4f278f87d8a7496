#include "platform/Processos.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

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
                     const std::string& pastaTrabalho, const std::function<void()>& enquantoEspera,
                     std::string* saida) {
    std::vector<std::string> textos;
    textos.push_back(programa);
    textos.insert(textos.end(), argumentos.begin(), argumentos.end());
    std::vector<char*> argv;
    for (auto& t : textos) argv.push_back(t.data());
    argv.push_back(nullptr);

    AcoesArquivo acoes;
    // A saída vai para um arquivo anônimo: nada a ler enquanto o programa roda e nenhum cano
    // cheio que o faça esperar
    std::unique_ptr<std::FILE, decltype(&std::fclose)> registro(saida ? std::tmpfile() : nullptr, &std::fclose);
    if (saida) {
        if (!registro) throw ErroSistema("Não foi possível executar " + programa + ": " + std::strerror(errno) + ".");
        posix_spawn_file_actions_adddup2(&acoes.a, fileno(registro.get()), STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&acoes.a, fileno(registro.get()), STDERR_FILENO);
        posix_spawn_file_actions_addopen(&acoes.a, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    }
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
    if (saida) {
        saida->clear();
        std::rewind(registro.get());
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, registro.get())) > 0) saida->append(buf, n);
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace kov
