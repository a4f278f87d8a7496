#pragma once
// Executa um script SQL no estilo do isql: comandos separados pelo terminador atual
// (";" por padrão, trocado por SET TERM), COMMIT e ROLLBACK como comandos, comentários
// /* */ e -- ignorados.
#include <functional>
#include <string>
#include <vector>

namespace kov {

namespace fb { class Conexao; }

struct ComandoScript {
    std::string sql;
    int linha = 0;  // linha do arquivo onde começa
};

// Divide o texto em comandos (SET TERM é tratado aqui e não aparece na saída).
std::vector<ComandoScript> dividirScript(const std::string& texto, std::string terminador = ";");

// Executa todos os comandos numa transação que é confirmada a cada COMMIT e no fim.
// Falha: desfaz o que não foi confirmado e lança ErroBanco com o texto do servidor,
// precedido do nome do script e da linha.
void executarScript(fb::Conexao& c, const std::string& nome, const std::string& texto,
                    const std::function<void(int feitos, int total)>& progresso = {});

}  // namespace kov
