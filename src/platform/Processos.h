#pragma once
// Programas externos (o transmissor da administração): iniciar com os argumentos e uma pasta
// de trabalho e esperar o fim, sem limite de tempo.
#include <functional>
#include <string>
#include <vector>

namespace kov {

// Inicia 'programa' com os argumentos (argv[0] é o próprio caminho) na pasta de trabalho e
// espera o fim. Enquanto espera chama 'enquantoEspera' a cada 50 ms (a tela continua a se
// redesenhar). Devolve o código de saída (128 + sinal quando o processo morreu por sinal).
// Lança ErroSistema com o motivo quando o programa não pode ser iniciado. Com 'saida', o que
// o programa escreve (saída e erros) é guardado ali em vez de ir para o terminal.
int ExecutarEEsperar(const std::string& programa, const std::vector<std::string>& argumentos,
                     const std::string& pastaTrabalho, const std::function<void()>& enquantoEspera = {},
                     std::string* saida = nullptr);

}  // namespace kov
