// Alvo libFuzzer: o leitor dos arquivos de chave, o decodificador Base64 e a decifração
// (DecifrarTexto com as chaves de uma pasta), e a leitura segura do XML. Nenhuma entrada
// pode derrubar o programa: os erros são ErroSistema/ErroCifra ou o texto vazio de DecifrarTexto.
//
//   cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DKOV_FUZZ=ON \
//         -DKOV_TESTES=OFF -DKOV_BENCH=OFF
//   cmake --build build-fuzz --target fuzz_cifra
//   build-fuzz/fuzz_cifra -max_total_time=60
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "files/CifraRSA.h"
#include "files/DocumentoXml.h"

namespace {

class InteracaoMuda : public kov::Interacao {
public:
    void mensagem(kov::TipoMensagem, const std::string&, const std::string&) override {}
    bool pergunta(const std::string&, const std::string&) override { return false; }
};

std::string pastaChaves;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const auto pasta = std::filesystem::temp_directory_path() / "kov-fuzz-chaves";
    std::filesystem::create_directories(pasta);
    pastaChaves = pasta.string();
    kov::GravarParChavesRSA(kov::GerarParChavesRSA(), pastaChaves);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    const std::string entrada(reinterpret_cast<const char*>(dados), tamanho);
    InteracaoMuda ui;
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
