#pragma once
// Verbos do kov-cli. Mensagens de falha vão para stderr com o mesmo texto das telas;
// o código de saída diz se houve falha.
#include <ostream>
#include <string>
#include <vector>

namespace kov::cli {

int executar(int argc, char** argv);
// Versão testável: argumentos sem o nome do programa, saídas explícitas.
// 'terminal': stdout é um terminal (as listagens ganham uma linha de cabeçalho).
int executar(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             const std::string& diretorioPrograma = {}, bool terminal = false);

}  // namespace kov::cli
