#include "platform/ServicoBanco.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>
#include <thread>

extern char** environ;

namespace kov {

namespace {

bool existe(const std::string& caminho) {
    std::error_code ec;
    return std::filesystem::exists(caminho, ec);
}

bool controleDisponivel(const std::string& raiz) {
    if (existe(raiz + "/etc/init.d/firebird3.0")) return true;
    const bool temSystemctl = existe(raiz + "/usr/bin/systemctl") || existe(raiz + "/bin/systemctl");
    if (!temSystemctl) return false;
    for (const char* pasta : {"/etc/systemd/system/", "/run/systemd/system/", "/lib/systemd/system/",
                              "/usr/lib/systemd/system/"})
        if (existe(raiz + pasta + "firebird3.0.service")) return true;
    return false;
}

}  // namespace

std::vector<std::string> ComandoServicoFirebird(int acao, const std::string& raiz) {
    if (acao != 0 && acao != 1) return {};
    if (!controleDisponivel(raiz)) return {};
    return {"service", "firebird3.0", acao == 0 ? "stop" : "start"};
}

bool ServicoFirebird(int acao) {
    const auto comando = ComandoServicoFirebird(acao);
    if (comando.empty()) return false;

    std::vector<char*> argv;
    for (const auto& a : comando) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
    if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    // Não esperamos o pedido; uma linha de execução à parte recolhe o processo filho
    // quando ele terminar, para não deixar processo zumbi.
    std::thread([pid] {
        int estado = 0;
        ::waitpid(pid, &estado, 0);
    }).detach();
    return true;
}

}  // namespace kov
