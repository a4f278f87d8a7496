// Alvo libFuzzer: a leitura do bloco de dados de um arquivo de declaração. Cada entrada é o
// texto claro do bloco (de <contribuinte> a </documento>); ela é cifrada com as chaves de teste,
// montada num arquivo com um cabeçalho válido e restaurada numa base real (motor embutido).
// Nenhuma entrada pode derrubar o programa: a restauração mostra o motivo e devolve nada, ou
// grava a declaração; só os erros da cópia de trabalho chegam como ErroSistema.
//
//   cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DKOV_FUZZ=ON \
//         -DKOV_TESTES=OFF -DKOV_BENCH=OFF
//   cmake --build build-fuzz --target fuzz_leitor
//   ASAN_OPTIONS=detect_leaks=0 build-fuzz/fuzz_leitor -max_total_time=60 -max_len=4096 CORPUS fuzz/corpus_leitor
//
// (CORPUS: uma pasta de trabalho vazia. O motor do Firebird e a ICU guardam memória até o fim
// do processo, que o detector de vazamentos acusaria a cada execução.)
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "data/CriarBase.h"
#include "data/fb/Conexao.h"
#include "files/CifraRSA.h"
#include "files/untManipula_XML.h"
#include "files/untRestauraXmlKOV.h"

namespace {

class InteracaoMuda : public kov::Interacao {
public:
    void mensagem(kov::TipoMensagem, const std::string&, const std::string&) override {}
    bool pergunta(const std::string&, const std::string&) override { return false; }
};

std::string pasta;
std::unique_ptr<kov::fb::Conexao> conexao;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const auto p = std::filesystem::temp_directory_path() / "kov-fuzz-leitor";
    std::filesystem::remove_all(p);
    std::filesystem::create_directories(p);
    pasta = p.string();
    kov::GravarParChavesRSA(kov::GerarParChavesRSA(), pasta);
    kov::criarBase((p / "KOV.GDB").string());
    conexao = std::make_unique<kov::fb::Conexao>();
    kov::fb::ParametrosConexao par;
    par.banco = (p / "KOV.GDB").string();
    conexao->abrir(par);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    const std::string bloco(reinterpret_cast<const char*>(dados), tamanho);
    kov::TInfCabecalho cab;
    cab.tipo_identificador = "IE";
    cab.identificador = "1234567890107";
    cab.tipo_arquivo = "3";
    cab.versao_programa_gerador = tamanho % 2 ? "7.07.10" : "7.00.02";  // as duas gerações
    cab.data_inicial = {std::chrono::year{2016} / 1 / 1, 0, 0, 0};
    cab.data_final = {std::chrono::year{2016} / 12 / 31, 0, 0, 0};
    cab.indicativo_substituicao = "N";
    const std::string arquivo = pasta + "/entrada.xml";
    InteracaoMuda ui;
    try {
        kov::MontarArquivoDeclaracao(arquivo, cab, kov::CifrarLinhas({bloco}, pasta) + "\r\n");
    } catch (const kov::ErroSistema&) {
        return 0;
    }
    try {
        kov::ImportarArquivoDeclaracao({*conexao, ui, pasta, 2026}, arquivo);
    } catch (const kov::ErroSistema&) {
    }
    return 0;
}
