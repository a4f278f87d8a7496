#pragma once
// Roda um programa como processo filho e captura saída, erros e código de saída.
#include <string>
#include <vector>

namespace kov::teste {

struct ResultadoProcesso {
    int codigo = -1;
    std::string saida, erros;
};

ResultadoProcesso rodar(const std::string& programa, const std::vector<std::string>& args,
                        const std::string& entrada = {});

// As linhas de uma saída de texto, sem os fins de linha.
std::vector<std::string> linhas(const std::string& texto);

// Copia o kov-cli compilado para a pasta (o programa lê o KOV.ini da sua própria pasta).
std::string instalarCli(const std::string& pastaExe);

}  // namespace kov::teste
