#pragma once
// Criação de uma base nova a partir dos scripts distribuídos com o programa.
#include <functional>
#include <string>
#include <vector>

namespace kov {

// Cria a base em 'caminho' (arquivo local ou host:caminho). Recusa sobrescrever um
// arquivo existente (ErroSistema). Se algum script falhar, a base incompleta é apagada
// e o erro do servidor é relançado: nunca sobra um arquivo pela metade.
void criarBase(const std::string& caminho,
               const std::function<void(const std::string& etapa)>& progresso = {});

struct ScriptArquivo {
    std::string nome, texto;
};
// O mesmo, com outros scripts no lugar dos distribuídos (por exemplo, o esquema de uma
// versão antiga para testar a atualização da base).
void criarBase(const std::string& caminho, const std::vector<ScriptArquivo>& scripts,
               const std::function<void(const std::string& etapa)>& progresso = {});

}  // namespace kov
