#pragma once
// Apoio aos testes das telas: a aplicação Qt (plataforma offscreen), uma instalação de
// teste com a base real, as figuras e a ajuda do programa, e o módulo de dados aberto.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QMessageBox>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "apoio/BaseTeste.h"
#include "apoio/InteracaoGravada.h"
#include "data/dmPrincipal.h"

class QApplication;
class QLineEdit;

namespace kov::teste {

// A aplicação do processo de testes, preparada como a do programa (criada uma vez).
QApplication& aplicacaoTeste();

// Grava um parâmetro direto na base, por uma conexão própria (sem passar pelo Tdm).
void gravarParametroNaBase(const std::filesystem::path& base, const std::string& campo, const std::string& valor);

// Copia as figuras e as páginas de ajuda distribuídas com o programa para a pasta 'exe'.
void copiarRecursosPrograma(const std::filesystem::path& exe);

// Instalação de teste com base na versão do programa e o ano base dado, os recursos do
// programa (sem o Msgs.dat) e o módulo de dados criado como na partida do programa.
struct AmbienteTela {
    InstalacaoTeste inst;
    InteracaoGravada ui;
    std::unique_ptr<Tdm> dm;

    explicit AmbienteTela(const std::string& anoBase = "2016", bool versaoTeste = false);
    std::filesystem::path pastaTemp() const { return inst.exe / "temp"; }
    // Mensagens gravadas de um tipo ("info", "aviso", "erro", "pergunta").
    std::vector<MensagemGravada> doTipo(const std::string& tipo) const;
};

// Registra uma espera de janela: ela é cancelada no fim do teste que a criou, para não
// agir sobre as janelas do teste seguinte.
void registrarEspera(QTimer* timer);

// Quando uma janela do tipo T aparecer (modal, por exemplo aberta por exec()), chama 'acao'
// com ela. Se ela não vier em 10 s ou o teste acabar antes, desiste: o teste falha pelas suas
// verificações.
template <class T>
void quandoAparecer(std::function<void(T*)> acao) {
    auto* timer = new QTimer;
    QElapsedTimer relogio;
    relogio.start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, relogio, acao] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* t = qobject_cast<T*>(w);
            if (t && t->isVisible()) {
                timer->stop();
                timer->deleteLater();
                acao(t);
                return;
            }
        }
        if (relogio.elapsed() > 10000) {
            timer->stop();
            timer->deleteLater();
        }
    });
    registrarEspera(timer);
    timer->start();
}

// Quando a próxima caixa de mensagem aparecer, chama 'acao' com ela (que deve fechá-la).
inline void quandoCaixaAparecer(std::function<void(QMessageBox*)> acao) { quandoAparecer<QMessageBox>(std::move(acao)); }

// Texto do botão padrão da caixa, ou vazio se ela não o tem.
QString textoBotao(QMessageBox* caixa, QMessageBox::StandardButton b);

// Grava direto na base um responsável com DDD, telefone e e-mail válidos; devolve a chave.
int gravarResponsavel(Tdm& dm, const std::string& nome);

// Texto UTF-8 dos testes como QString.
inline QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

// Digita como o usuário, um caractere por vez (acentos inclusive: QTest::keyClicks não os
// aceita no Qt 6.4).
void digitar(QWidget* w, const QString& texto);
// Apaga o conteúdo da caixa pelo teclado e digita o novo texto.
void redigitar(QLineEdit* e, const QString& texto);
// Mostra a janela e espera que ela seja a janela ativa da aplicação (um diálogo conta como
// ativo para o Qt já quando a sua dona está ativa; aqui é preciso que ele mesmo esteja).
void mostrarAtiva(QWidget& w);

}  // namespace kov::teste
