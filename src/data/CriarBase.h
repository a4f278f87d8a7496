#pragma once
// Criação de uma base nova a partir dos scripts distribuídos com o programa.
#include <functional>
#include <string>

namespace kov {

// Cria a base em 'caminho' (arquivo local ou host:caminho). Recusa sobrescrever um
// arquivo existente (ErroSistema). Se algum script falhar, a base incompleta é apagada
// e o erro do servidor é relançado: nunca sobra um arquivo pela metade.
void criarBase(const std::string& caminho,
               const std::function<void(const std::string& etapa)>& progresso = {});

}  // namespace kov
