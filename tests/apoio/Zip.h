#pragma once
// Monta arquivos ZIP reais para os testes.
#include <string>
#include <utility>
#include <vector>

namespace kov::teste {

// Cria 'arquivo' com as entradas (nome dentro do ZIP, conteúdo). Sem entradas, um ZIP vazio.
void criarZip(const std::string& arquivo, const std::vector<std::pair<std::string, std::string>>& entradas);

}  // namespace kov::teste
