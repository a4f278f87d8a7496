#include "platform/GravacaoSegura.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace kov {

namespace {

void sincronizar(const std::string& caminho, int flags) {
    const int fd = ::open(caminho.c_str(), flags | O_CLOEXEC);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), "open " + caminho);
    const int r = ::fsync(fd);
    const int erro = errno;
    ::close(fd);
    if (r != 0) throw std::system_error(erro, std::generic_category(), "fsync " + caminho);
}

std::string pastaDe(const std::string& arquivo) {
    const auto pasta = fs::path(arquivo).parent_path();
    return pasta.empty() ? std::string(".") : pasta.string();
}

}  // namespace

void SincronizarArquivo(const std::string& arquivo) { sincronizar(arquivo, O_RDONLY); }

void SincronizarPasta(const std::string& pasta) { sincronizar(pasta, O_RDONLY | O_DIRECTORY); }

void RenomearSincronizado(const std::string& de, const std::string& para) {
    fs::rename(de, para);
    SincronizarPasta(pastaDe(para));
}

void GravarArquivoSeguro(const std::string& arquivo, const std::string& conteudo) {
    const std::string temporario = arquivo + ".tmp";
    {
        std::ofstream f(temporario, std::ios::binary | std::ios::trunc);
        f << conteudo;
        f.close();
        if (!f) throw std::system_error(EIO, std::generic_category(), "gravação de " + temporario);
    }
    SincronizarArquivo(temporario);
    RenomearSincronizado(temporario, arquivo);
}

}  // namespace kov
