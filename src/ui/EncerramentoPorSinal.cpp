#include "ui/EncerramentoPorSinal.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/Sinais.h"

namespace kov::ui {

namespace {

int canal[2] = {-1, -1};  // o tratador só pode escrever num descritor: o laço de mensagens lê o outro lado

void tratador(int) {
    const char c = 1;
    [[maybe_unused]] ssize_t r = ::write(canal[0], &c, 1);
}

}  // namespace

EncerramentoPorSinal::EncerramentoPorSinal(QObject* pai) : QObject(pai) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, canal) != 0) return;
    // Nenhum lado bloqueia: o tratador não pode esperar, e a leitura esvazia o canal.
    for (int fd : canal) ::fcntl(fd, F_SETFL, O_NONBLOCK);
    aviso_ = new QSocketNotifier(canal[1], QSocketNotifier::Read, this);
    connect(aviso_, &QSocketNotifier::activated, this, &EncerramentoPorSinal::sinalRecebido);

    InstalarTratadorEncerramento(tratador);
    DesbloquearSinaisEncerramento();
}

EncerramentoPorSinal::~EncerramentoPorSinal() {
    InstalarTratadorEncerramento(SIG_DFL);
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
    encerrar();
    // Uma janela modal aberta na hora do sinal (uma mensagem na abertura, uma tela de trabalho)
    // devolve o controle a quem a abriu, que pode abrir outra ou ainda nem ter entrado no laço
    // principal: o pedido se repete até o programa sair.
    if (!repeticao_) {
        repeticao_ = new QTimer(this);
        repeticao_->setInterval(200);
        connect(repeticao_, &QTimer::timeout, this, &EncerramentoPorSinal::encerrar);
        repeticao_->start();
    }
}

void EncerramentoPorSinal::encerrar() {
    // Como fechar a janela principal pela moldura: sem pergunta e sem esvaziar a pasta temp.
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}

}  // namespace kov::ui
