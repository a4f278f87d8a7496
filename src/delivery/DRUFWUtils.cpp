#include "delivery/DRUFWUtils.h"

#include <unistd.h>

#include <filesystem>

#include "platform/Interacao.h"
#include "platform/Processos.h"

namespace fs = std::filesystem;

namespace kov {

namespace {

std::string programaDaPastaOuSistema(const std::string& dirPrograma, const std::string& nome) {
    const fs::path local = fs::path(dirPrograma) / nome;
    if (::access(local.c_str(), X_OK) == 0) return local.string();
    return (fs::path("/usr/bin") / nome).string();
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
    ResultadoFerramenta r;
    r.codigo = ExecutarEEsperar(programa, argumentos, pastaTrabalho, {}, &r.saida);
    return r;
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
