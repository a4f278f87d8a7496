#include "apoio/Processo.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "apoio/BaseTeste.h"

namespace fs = std::filesystem;

namespace kov::teste {

namespace {
std::string aspas(const std::string& s) {
    std::string r = "'";
    for (char c : s) {
        if (c == '\'') r += "'\\''";
        else r += c;
    }
    return r + "'";
}
}  // namespace

std::vector<std::string> linhas(const std::string& texto) {
    std::vector<std::string> v;
    std::istringstream in(texto);
    for (std::string l; std::getline(in, l);) v.push_back(l);
    return v;
}

ResultadoProcesso rodar(const std::string& programa, const std::vector<std::string>& args, const std::string& entrada) {
    PastaTemporaria tmp;
    std::string cmd = aspas(programa);
    for (const auto& a : args) cmd += " " + aspas(a);
    const auto in = tmp.caminho() / "in", out = tmp.caminho() / "out", err = tmp.caminho() / "err";
    escreverArquivo(in, entrada);
    cmd += " < " + aspas(in.string()) + " > " + aspas(out.string()) + " 2> " + aspas(err.string());
    const int st = std::system(cmd.c_str());
    ResultadoProcesso r;
    r.codigo = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    r.saida = lerArquivo(out);
    r.erros = lerArquivo(err);
    return r;
}

struct ProcessoFilho::Arquivos {
    PastaTemporaria pasta;
    fs::path saida = pasta.caminho() / "out", erros = pasta.caminho() / "err";
};

ProcessoFilho::ProcessoFilho(const std::string& programa, const std::vector<std::string>& args, size_t limiteMemoria,
                             bool grupoProprio)
    : arq_(std::make_unique<Arquivos>()) {
    std::vector<std::string> argv{programa};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> ptrs;
    for (auto& a : argv) ptrs.push_back(a.data());
    ptrs.push_back(nullptr);
    const std::string out = arq_->saida.string(), err = arq_->erros.string();
    pid_ = ::fork();
    if (pid_ == 0) {
        // No filho só chamadas seguras depois do fork
        if (grupoProprio) ::setpgid(0, 0);
        const int in = ::open("/dev/null", O_RDONLY);
        const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || o < 0 || e < 0) ::_exit(127);
        ::dup2(in, 0);
        ::dup2(o, 1);
        ::dup2(e, 2);
        // Com o AddressSanitizer o filho reserva terabytes de endereços para a memória de
        // sombra e não partiria com o limite: o limite de memória vale na compilação comum
#if !defined(__SANITIZE_ADDRESS__)
        if (limiteMemoria > 0) {
            const struct rlimit lim = {limiteMemoria, limiteMemoria};
            ::setrlimit(RLIMIT_AS, &lim);
        }
#else
        (void)limiteMemoria;
#endif
        // O teste pode ter sinais bloqueados ou ignorados; o filho começa com os padrões
        sigset_t vazio;
        sigemptyset(&vazio);
        ::sigprocmask(SIG_SETMASK, &vazio, nullptr);
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGTERM, SIG_DFL);
        ::execv(ptrs[0], ptrs.data());
        ::_exit(127);
    }
    if (grupoProprio) ::setpgid(pid_, pid_);  // o mesmo do filho, antes que ele comece os seus
}

ResultadoProcesso rodarComoQueda(const std::string& programa, const std::vector<std::string>& args) {
    ProcessoFilho p(programa, args, 0, true);
    const int grupo = p.pid();
    auto r = p.esperar();
    // O que o programa deixou rodando no grupo (o gbak, por exemplo) morre junto, como numa queda
    // de energia. Os órfãos são recolhidos pelo init; espera-se que o grupo suma (um zumbi não
    // segura arquivo nem trava, então a espera tem limite).
    ::kill(-grupo, SIGKILL);
    for (int i = 0; i < 250 && ::kill(-grupo, 0) == 0; ++i) ::usleep(20000);
    return r;
}

ProcessoFilho::~ProcessoFilho() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

bool ProcessoFilho::esperarErros(const std::string& texto, std::chrono::milliseconds prazo) {
    const auto fim = std::chrono::steady_clock::now() + prazo;
    while (std::chrono::steady_clock::now() < fim) {
        if (lerArquivo(arq_->erros).find(texto) != std::string::npos) return true;
        siginfo_t info = {};
        if (pid_ <= 0 || (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
                          info.si_pid != 0)) {
            // terminou: a última chance é o que já foi escrito
            return lerArquivo(arq_->erros).find(texto) != std::string::npos;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

void ProcessoFilho::sinal(int s) {
    if (pid_ > 0) ::kill(pid_, s);
}

ResultadoProcesso ProcessoFilho::esperar() {
    ResultadoProcesso r;
    int st = 0;
    if (pid_ > 0 && ::waitpid(pid_, &st, 0) == pid_) {
        pid_ = -1;
        if (WIFEXITED(st)) r.codigo = WEXITSTATUS(st);
        if (WIFSIGNALED(st)) sinalFinal = WTERMSIG(st);
    }
    r.saida = lerArquivo(arq_->saida);
    r.erros = lerArquivo(arq_->erros);
    return r;
}

std::string instalarCli(const std::string& pastaExe) {
    const fs::path destino = fs::path(pastaExe) / "kov-cli";
    fs::copy_file(KOV_CLI, destino, fs::copy_options::overwrite_existing);
    return destino.string();
}

}  // namespace kov::teste
