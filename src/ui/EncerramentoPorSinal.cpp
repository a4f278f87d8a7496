#include "ui/EncerramentoPorSinal.h"

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kov::ui {

namespace {

const int SinaisEncerramento[] = {SIGTERM, SIGINT, SIGHUP};
int canal[2] = {-1, -1};  // o tratador só pode escrever num descritor: o laço de mensagens lê o outro lado

void tratador(int) {
    const char c = 1;
    [[maybe_unused]] ssize_t r = ::write(canal[0], &c, 1);
}

sigset_t conjunto() {
    sigset_t s;
    sigemptyset(&s);
    for (int sinal : SinaisEncerramento) sigaddset(&s, sinal);
    return s;
}

}  // namespace

void BloquearSinaisEncerramento() {
    const sigset_t s = conjunto();
    pthread_sigmask(SIG_BLOCK, &s, nullptr);
}

EncerramentoPorSinal::EncerramentoPorSinal(QObject* pai) : QObject(pai) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, canal) != 0) return;
    // Nenhum lado bloqueia: o tratador não pode esperar, e a leitura esvazia o canal.
    for (int fd : canal) ::fcntl(fd, F_SETFL, O_NONBLOCK);
    aviso_ = new QSocketNotifier(canal[1], QSocketNotifier::Read, this);
    connect(aviso_, &QSocketNotifier::activated, this, &EncerramentoPorSinal::sinalRecebido);

    struct sigaction sa = {};
    sa.sa_handler = tratador;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sinal : SinaisEncerramento) ::sigaction(sinal, &sa, nullptr);
    const sigset_t s = conjunto();
    pthread_sigmask(SIG_UNBLOCK, &s, nullptr);
}

EncerramentoPorSinal::~EncerramentoPorSinal() {
    struct sigaction sa = {};
    sa.sa_handler = SIG_DFL;
    for (int sinal : SinaisEncerramento) ::sigaction(sinal, &sa, nullptr);
    if (canal[0] >= 0) {
        ::close(canal[0]);
        ::close(canal[1]);
        canal[0] = canal[1] = -1;
    }
}

void EncerramentoPorSinal::sinalRecebido() {
    char c;
    while (::read(canal[1], &c, 1) > 0) {
    }
    // Como fechar a janela principal pela moldura: sem pergunta e sem esvaziar a pasta temp.
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}

}  // namespace kov::ui
