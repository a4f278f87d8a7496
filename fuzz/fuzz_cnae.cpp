// Alvo libFuzzer: as linhas dos CSV do CNAE como a carga as lê (fim de linha CR LF ou LF,
// Windows-1252 ou UTF-8) e o separador de campos DividirLinhaCNAE. Cada campo devolvido
// tem texto e não começa por branco; o texto convertido é UTF-8 válido.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "ApoioFuzz.h"
#include "data/AtualizacaoCNAE.h"
#include "data/Codificacao.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dados, size_t tamanho) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(dados), tamanho));
    std::string linha;
    while (std::getline(in, linha)) {
        if (!linha.empty() && linha.back() == '\r') linha.pop_back();
        const std::string texto = kov::TextoParaUtf8(linha);
        if (!kov::Utf8Valido(texto) || !kov::fuzz::Utf8PeloIconv(texto)) kov::fuzz::Falhar("TextoParaUtf8 devolveu texto que não é UTF-8");
        for (const std::string& campo : kov::DividirLinhaCNAE(texto)) {
            if (campo.empty()) kov::fuzz::Falhar("campo vazio");
            if (campo[0] == ' ' || campo[0] == '\t') kov::fuzz::Falhar("campo começa por branco");
        }
    }
    return 0;
}
