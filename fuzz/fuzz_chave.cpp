// Alvo libFuzzer: os arquivos de chave (PublicKey.dat e PrivateKey.dat) lidos da pasta do
// programa e usados na decifração e na cifra, como um arquivo de chave corrompido ou trocado
// chegaria ao programa. Formato da entrada: dois bytes com o tamanho da chave privada, dois
// com o da pública, as duas chaves e o resto como o bloco cifrado (em Base64).
#include <cstddef>
#include <cstdint>
#include <string>

#include "ApoioFuzz.h"
#include "files/CifraRSA.h"

namespace {

std::string pasta;

// Os próximos 'n' bytes (ou o que restar) a partir de 'pos'.
std::string pedaco(const std::string& e, size_t& pos, size_t n) {
    const std::string s = e.substr(std::min(pos, e.size()), n);
    pos += s.size();
    return s;
}

size_t tamanho16(const std::string& e, size_t& pos) {
    const std::string t = pedaco(e, pos, 2);
    return t.size() < 2 ? 0 : static_cast<unsigned char>(t[0]) | (static_cast<unsigned char>(t[1]) << 8);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    pasta = kov::fuzz::PastaDeTrabalho("chave");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    const std::string e(reinterpret_cast<const char*>(dados), tamanho);
    size_t pos = 0;
    const size_t nPrivada = tamanho16(e, pos), nPublica = tamanho16(e, pos);
    const std::string privada = pedaco(e, pos, nPrivada), publica = pedaco(e, pos, nPublica);
    const std::string cifrado = e.substr(std::min(pos, e.size()));
    kov::fuzz::GravarBytes(pasta + kov::ARQUIVO_CHAVE_PRIVADA, privada);
    kov::fuzz::GravarBytes(pasta + kov::ARQUIVO_CHAVE_PUBLICA, publica);

    kov::fuzz::InteracaoMuda ui;
    // Erros viram a caixa e o texto vazio; nada pode escapar nem derrubar o programa
    kov::DecifrarTexto(kov::CodificarBase64(cifrado), pasta, ui);
    // A cifra do escritor lê as mesmas chaves; a volta pela decifração também não derruba
    const std::string texto = kov::CifrarTexto({"<contribuinte>\xe7\xe3o</contribuinte>"}, pasta, ui);
    if (!texto.empty()) kov::DecifrarTexto(texto, pasta, ui);
    return 0;
}
