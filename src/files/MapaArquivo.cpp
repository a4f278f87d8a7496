#include "files/MapaArquivo.h"

#include <array>
#include <string>

namespace kov {

Quantia DetalhamentoES::*ColunaOperacao(size_t medida, size_t especie) {
    constexpr size_t M = std::size(MEDIDAS_OPERACAO), E = std::size(ESPECIES_OPERACAO);
    static const auto colunas = [] {
        std::array<std::array<Quantia DetalhamentoES::*, E>, M> t{};
        for (size_t m = 0; m < M; ++m)
            for (size_t e = 0; e < E; ++e) {
                const std::string nome = std::string(MEDIDAS_OPERACAO[m].parte) + ESPECIES_OPERACAO[e].parte;
                t[m][e] = std::get<Quantia DetalhamentoES::*>(ProcurarColuna<DetalhamentoES>(nome)->membro);
            }
        return t;
    }();
    return colunas.at(medida).at(especie);
}

bool PrimeiraGeracaoFormato(const std::string& versao) {
    return versao == "7.00.00" || versao == "7.00.01" || versao == "7.00.02" || versao == "7.00.03";
}

}  // namespace kov
