#pragma once
// Apoio comum dos alvos libFuzzer: uma Interacao que não mostra nada e uma pasta de trabalho
// só do processo, em memória quando a máquina tem /dev/shm (as gravações com fsync da
// extração e das cópias de trabalho não vão ao disco a cada entrada).
#include <iconv.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Interacao.h"

namespace kov::fuzz {

// Com KOV_FUZZ_MOSTRAR no ambiente, as mensagens vão para stderr (para entender uma entrada).
class InteracaoMuda : public Interacao {
public:
    void mensagem(TipoMensagem, const std::string& titulo, const std::string& texto) override {
        if (mostrar_) std::fprintf(stderr, "[%s] %s\n", titulo.c_str(), texto.c_str());
    }
    bool pergunta(const std::string& titulo, const std::string& texto) override {
        mensagem(TipoMensagem::Informacao, titulo, texto + " [Não]");
        return false;
    }

private:
    bool mostrar_ = std::getenv("KOV_FUZZ_MOSTRAR") != nullptr;
};

// Pasta vazia "kov-fuzz-<nome>-<pid>", criada de novo; devolve o caminho com a barra final.
inline std::string PastaDeTrabalho(const std::string& nome) {
    std::error_code ec;
    const std::filesystem::path base =
        std::filesystem::is_directory("/dev/shm", ec) ? "/dev/shm" : std::filesystem::temp_directory_path();
    const auto p = base / ("kov-fuzz-" + nome + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(p, ec);
    std::filesystem::create_directories(p);
    return p.string() + "/";
}

inline void GravarBytes(const std::string& caminho, const std::string& bytes) {
    std::ofstream f(caminho, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f) std::abort();
}

// O par de chaves de desenvolvimento de fuzz/chaves, copiado para a pasta: as sementes cifradas
// do corpus foram cifradas com ele, e decifram.
inline void CopiarChavesDeTeste(const std::string& pasta) {
    for (const char* nome : {"PublicKey.dat", "PrivateKey.dat"})
        std::filesystem::copy_file(std::string(KOV_FUZZ_CHAVES) + "/" + nome, pasta + nome,
                                   std::filesystem::copy_options::overwrite_existing);
}

// UTF-8 bem formado pela conta do iconv (a mesma regra que a base aplica ao texto que recebe),
// independente do nosso Utf8Valido.
inline bool Utf8PeloIconv(const std::string& s) {
    static const iconv_t cd = iconv_open("UTF-32LE", "UTF-8");
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(s.data());
    size_t resta = s.size();
    while (resta > 0) {
        char buf[1024];
        char* out = buf;
        size_t livre = sizeof buf;
        if (iconv(cd, &in, &resta, &out, &livre) == static_cast<size_t>(-1) && errno != E2BIG) return false;
    }
    return true;
}

// Uma propriedade que não vale é uma falha como um estouro de memória: o libFuzzer guarda a
// entrada que a provocou.
[[noreturn]] inline void Falhar(const std::string& oQue) {
    std::fprintf(stderr, "Propriedade violada: %s\n", oQue.c_str());
    std::abort();
}

}  // namespace kov::fuzz
