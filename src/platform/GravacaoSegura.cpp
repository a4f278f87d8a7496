#include "platform/GravacaoSegura.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
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
        // Escrita direta: o erro do sistema (disco cheio, sem permissão) chega a quem chamou
        const int fd = ::open(temporario.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) throw std::system_error(errno, std::generic_category(), "gravação de " + temporario);
        size_t feito = 0;
        while (feito < conteudo.size()) {
            const ssize_t n = ::write(fd, conteudo.data() + feito, conteudo.size() - feito);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                const int erro = n < 0 ? errno : EIO;
                ::close(fd);
                ::unlink(temporario.c_str());
                throw std::system_error(erro, std::generic_category(), "gravação de " + temporario);
            }
            feito += static_cast<size_t>(n);
        }
        const int r = ::fsync(fd);
        const int erro = errno;
        ::close(fd);
        if (r != 0) {
            ::unlink(temporario.c_str());
            throw std::system_error(erro, std::generic_category(), "gravação de " + temporario);
        }
    }
    RenomearSincronizado(temporario, arquivo);
}

void CopiarArquivoSeguro(const std::string& origem, const std::string& destino) {
    std::ifstream f(origem, std::ios::binary);
    if (!f) throw std::system_error(errno ? errno : ENOENT, std::generic_category(), "leitura de " + origem);
    const std::string conteudo((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (f.bad()) throw std::system_error(EIO, std::generic_category(), "leitura de " + origem);
    GravarArquivoSeguro(destino, conteudo);
}

std::string DescreverErroSistema(int erro) {
    switch (erro) {
        case ENOSPC: return "espaço insuficiente no disco";
        case EDQUOT: return "cota de disco do usuário esgotada";
        case EACCES:
        case EPERM: return "sem permissão de escrita";
        case EROFS: return "a mídia é somente leitura";
        case ENOENT: return "a pasta não existe";
        case ENOTDIR: return "o caminho não é uma pasta";
        case EIO: return "erro de leitura ou gravação no disco";
        case EFBIG: return "arquivo grande demais para o disco";
        case ENAMETOOLONG: return "nome de arquivo longo demais";
        case EISDIR: return "o caminho é uma pasta";
        default: return std::strerror(erro);
    }
}

}  // namespace kov
