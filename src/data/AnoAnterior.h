#pragma once
// Começo do ano base a partir das declarações do ano anterior: para cada contribuinte
// escolhido, uma declaração nova com o cabeçalho da última declaração do ano anterior e o
// estoque inicial igual ao estoque final dela, gravada e consistida como a gravação do
// editor. Cada declaração é gravada inteira ou não é gravada.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kov {

class Tdm;

// Contribuinte com declaração no ano anterior ao ano base e nenhuma no ano base.
struct CandidatoAnoAnterior {
    int CONTRIBUINTE_ID = 0;
    std::string INSCESTADUAL, RAZAOSOCIAL;
};
std::vector<CandidatoAnoAnterior> CandidatosDoAnoAnterior(Tdm& dm);

// O que aconteceu com um contribuinte: criada (chave e situação da consistência) ou pulada
// com o motivo em palavras. 'jaTinha' marca o pulo de quem já tem declaração no ano base.
struct ResultadoAnoAnterior {
    int CONTRIBUINTE_ID = 0;
    std::string INSCESTADUAL, RAZAOSOCIAL;
    std::optional<int> chave;
    bool consistente = false;
    std::string motivo;
    bool jaTinha = false;
};

// Cria as declarações do ano base dos contribuintes pedidos, na ordem pedida. 'progresso'
// (opcional) recebe quantos já foram tratados e o total.
std::vector<ResultadoAnoAnterior> TrazerDoAnoAnterior(
    Tdm& dm, const std::vector<int>& contribuintes,
    const std::function<void(size_t feitos, size_t total)>& progresso = {});

}  // namespace kov
