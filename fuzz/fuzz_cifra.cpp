// Alvo libFuzzer: o leitor dos arquivos de chave, o decodificador Base64 e a decifração
// (DecifrarTexto com as chaves de uma pasta), e a leitura segura do XML. Nenhuma entrada
// pode derrubar o programa: os erros são ErroSistema/ErroCifra ou o texto vazio de DecifrarTexto.
// scripts/fuzz cifra [SEGUNDOS] compila e roda.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ApoioFuzz.h"
#include "files/CifraRSA.h"
#include "files/DocumentoXml.h"

namespace {

std::string pastaChaves;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    pastaChaves = kov::fuzz::PastaDeTrabalho("cifra");
    kov::fuzz::CopiarChavesDeTeste(pastaChaves);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    const std::string entrada(reinterpret_cast<const char*>(dados), tamanho);
    kov::fuzz::InteracaoMuda ui;
    try {
        kov::LerChaveRSA(entrada);
    } catch (const kov::ErroSistema&) {
    }
    try {
        kov::DecodificarBase64(entrada);
    } catch (const kov::ErroSistema&) {
    }
    // Base64 válido que decifra em blocos arbitrários, e o texto como veio
    kov::DecifrarTexto(kov::CodificarBase64(entrada), pastaChaves, ui);
    kov::DecifrarTexto(entrada, pastaChaves, ui);
    try {
        kov::SerializarDocumento(kov::LerXml(entrada));
    } catch (const kov::ErroSistema&) {
    }
    return 0;
}
