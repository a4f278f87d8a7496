#include "apoio/Processo.h"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

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

std::string instalarCli(const std::string& pastaExe) {
    const fs::path destino = fs::path(pastaExe) / "kov-cli";
    fs::copy_file(KOV_CLI, destino, fs::copy_options::overwrite_existing);
    return destino.string();
}

}  // namespace kov::teste
