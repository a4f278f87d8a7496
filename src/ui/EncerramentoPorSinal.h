#pragma once
// Encerramento pelos sinais de término (SIGTERM, SIGINT, SIGHUP): o fim da sessão ou um
// "kill" fecham o programa como o fechamento da janela principal, com a conexão da base
// fechada normalmente. O servidor Firebird embutido instala para esses sinais um
// tratador que não encerra o processo; este o substitui.
// Antes de abrir a base, o programa chama BloquearSinaisEncerramento (platform/Sinais.h).
#include <QObject>

class QSocketNotifier;
class QTimer;

namespace kov::ui {

class EncerramentoPorSinal : public QObject {
    Q_OBJECT
public:
    // Instala o tratador e desbloqueia os sinais; um sinal recebido encerra o laço de
    // mensagens da aplicação.
    explicit EncerramentoPorSinal(QObject* pai = nullptr);
    ~EncerramentoPorSinal() override;

private:
    void sinalRecebido();
    static void encerrar();
    QSocketNotifier* aviso_ = nullptr;
    QTimer* repeticao_ = nullptr;
};

}  // namespace kov::ui
