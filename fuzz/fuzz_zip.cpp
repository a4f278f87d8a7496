// Alvo libFuzzer: a extração do ZIP de uma cópia de declarações, como a restauração a faz
// (arquivo vazio de entradas recusado, limite de expansão pelo tamanho do arquivo). Nenhuma
// entrada escreve fora da pasta de destino; lá só ficam arquivos comuns com os nomes
// devolvidos, sem links, pastas ou sobras da extração, também quando ela falha.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>

#include <zip.h>

#include "ApoioFuzz.h"
#include "delivery/CompactacaoZip.h"

namespace fs = std::filesystem;

namespace {

std::string raiz;

// O que há na pasta (nome → é arquivo comum), sem seguir links.
std::set<std::string> conteudo(const std::string& pasta, bool& soArquivos) {
    std::set<std::string> nomes;
    soArquivos = true;
    for (const auto& e : fs::directory_iterator(pasta)) {
        nomes.insert(e.path().filename().string());
        soArquivos = soArquivos && e.symlink_status().type() == fs::file_type::regular;
    }
    return nomes;
}

// O último componente do nome de cada entrada: o que pode aparecer na pasta.
std::set<std::string> nomesDasEntradas(const std::string& arquivo) {
    std::set<std::string> nomes;
    int erro = 0;
    zip_t* z = zip_open(arquivo.c_str(), ZIP_RDONLY, &erro);
    if (!z) return nomes;
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
        const char* n = zip_get_name(z, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
        if (!n) continue;
        std::string nome = n;
        const auto barra = nome.find_last_of("/\\");
        nomes.insert(barra == std::string::npos ? nome : nome.substr(barra + 1));
    }
    zip_discard(z);
    return nomes;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    raiz = kov::fuzz::PastaDeTrabalho("zip");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    const std::string zip = raiz + "copia.zip";
    const std::string destino = raiz + "Restauracao";
    std::error_code ec;
    fs::remove_all(destino, ec);
    fs::create_directories(destino);
    kov::fuzz::GravarBytes(zip, std::string(reinterpret_cast<const char*>(dados), tamanho));

    std::set<std::string> devolvidos;
    bool extraiu = false;
    try {
        if (kov::EntradasZip(zip) > 0) {
            // O mínimo do limite é menor que o do programa só para o fuzzer não gastar o tempo
            // escrevendo dezenas de megabytes; a regra é a mesma
            for (const auto& n : kov::ExtrairZip(zip, destino, kov::LimiteExpansao(tamanho, 1 << 20)))
                devolvidos.insert(n);
            extraiu = true;
        }
    } catch (const kov::ErroZip&) {
    }

    bool soArquivos = false;
    const std::set<std::string> naPasta = conteudo(destino, soArquivos);
    bool ok = false;
    const std::set<std::string> naRaiz = conteudo(raiz, ok);
    if (naRaiz != std::set<std::string>{"copia.zip", "Restauracao"}) kov::fuzz::Falhar("escreveu fora da pasta");
    if (!soArquivos) kov::fuzz::Falhar("a pasta tem algo que não é arquivo comum");
    const std::set<std::string> entradas = nomesDasEntradas(zip);
    for (const auto& n : naPasta)
        if (!entradas.count(n)) kov::fuzz::Falhar("sobrou na pasta o que não é entrada do ZIP: " + n);
    if (extraiu && naPasta != devolvidos) kov::fuzz::Falhar("os nomes devolvidos não são os da pasta");
    for (const auto& n : devolvidos)
        if (n.empty() || n == "." || n == ".." || n.find('/') != std::string::npos)
            kov::fuzz::Falhar("nome devolvido com pasta: " + n);
    return 0;
}
