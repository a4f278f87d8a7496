#include "platform/Sinais.h"

#include <pthread.h>

namespace kov {

namespace {

const int Sinais[] = {SIGTERM, SIGINT, SIGHUP};

volatile sig_atomic_t recebido = 0;

void anotar(int sinal) {
    if (recebido != 0) {
        // Segundo pedido: quem insiste quer o processo encerrado já
        ::signal(sinal, SIG_DFL);
        ::raise(sinal);
        return;
    }
    recebido = sinal;
}

}  // namespace

void InstalarTratadorEncerramento(void (*tratador)(int)) {
    struct sigaction sa = {};
    sa.sa_handler = tratador;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int s : Sinais) ::sigaction(s, &sa, nullptr);
}

sigset_t SinaisEncerramento() {
    sigset_t s;
    sigemptyset(&s);
    for (int sinal : Sinais) sigaddset(&s, sinal);
    return s;
}

void BloquearSinaisEncerramento() {
    const sigset_t s = SinaisEncerramento();
    pthread_sigmask(SIG_BLOCK, &s, nullptr);
}

void DesbloquearSinaisEncerramento() {
    const sigset_t s = SinaisEncerramento();
    pthread_sigmask(SIG_UNBLOCK, &s, nullptr);
}

ParadaPorSinal::ParadaPorSinal() {
    recebido = 0;
    InstalarTratadorEncerramento(anotar);
    DesbloquearSinaisEncerramento();
}

ParadaPorSinal::~ParadaPorSinal() { InstalarTratadorEncerramento(SIG_DFL); }

int ParadaPorSinal::sinal() const { return recebido; }

}  // namespace kov
