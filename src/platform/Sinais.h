#pragma once
// Sinais de término (SIGTERM, SIGINT, SIGHUP). O servidor Firebird embutido instala para
// SIGINT e SIGTERM um tratador que derruba as conexões sem encerrar o processo: o trabalho
// em andamento passaria a falhar linha a linha com "connection shutdown". Os programas
// instalam o seu próprio tratador depois de abrir a base.
#include <csignal>

namespace kov {

// Bloqueia os sinais de término na linha de execução atual, antes de a base ser aberta:
// as linhas de execução que o servidor embutido criar herdam o bloqueio, e um sinal que
// chegar durante a partida fica pendente até o tratador do programa ser instalado.
void BloquearSinaisEncerramento();
// Desbloqueia os sinais de término na linha de execução atual.
void DesbloquearSinaisEncerramento();
// O conjunto dos sinais de término.
sigset_t SinaisEncerramento();
// Instala o tratador (ou SIG_DFL) para todos os sinais de término, com SA_RESTART.
void InstalarTratadorEncerramento(void (*tratador)(int));

// Parada pedida por sinal, para trabalhos em lote sem interface: enquanto o objeto existe,
// o primeiro sinal de término só fica anotado (o trabalho termina a unidade em andamento
// e para); um segundo sinal encerra o processo na hora, com a ação padrão. O construtor
// instala o tratador e desbloqueia os sinais; o destrutor devolve a ação padrão.
class ParadaPorSinal {
public:
    ParadaPorSinal();
    ~ParadaPorSinal();
    ParadaPorSinal(const ParadaPorSinal&) = delete;
    ParadaPorSinal& operator=(const ParadaPorSinal&) = delete;

    // O sinal recebido, ou 0.
    int sinal() const;
    bool pedida() const { return sinal() != 0; }
};

}  // namespace kov
