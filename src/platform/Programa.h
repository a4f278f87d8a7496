#pragma once
// Pasta do programa: a pasta do arquivo executável em execução.
#include <string>

namespace kov {

// Pasta de /proc/self/exe, com barra final ("/opt/kov/EXE/").
// Se o link não puder ser lido, a pasta de trabalho atual, com barra final.
std::string diretorioPrograma();

}  // namespace kov
