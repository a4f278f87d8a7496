#pragma once
// Tela de passos de que descendem as telas de entrega, cópia de segurança, restauração,
// captura de protocolo e impressão: teclado (Enter e Shift+Enter andam pelos controles,
// Esc e F4 fecham), a linha de situação e as ações que as telas concretas ligam aos seus
// botões. Fechada, a tela é destruída.
#include <QDialog>
#include <string>

class QAction;
class QLabel;
class QStatusBar;

namespace kov::ui {

class TscrPdrBasica : public QDialog {
    Q_OBJECT
public:
    explicit TscrPdrBasica(QWidget* pai = nullptr);

    // Área onde a tela concreta põe os seus controles (sem layout: a tela define o seu).
    QWidget* corpo() const { return corpo_; }
    QStatusBar* barraStatus() const { return barraStatus_; }
    // Primeiro painel da barra de situação.
    QLabel* painelStatus() const { return painelStatus_; }

    QAction* AcFechar;
    QAction* acSelecionar;
    QAction* acBackupFile;
    QAction* acRestoreFile;
    QAction* acFazBackup;
    QAction* acFazRestore;
    QAction* acGeraArquivos;
    QAction* acTipoBackup;
    QAction* acVoltar;
    QAction* acVisualizaRestore;
    QAction* acTodas;
    QAction* acConfirmaRestore;

protected:
    void showEvent(QShowEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    bool eventFilter(QObject* alvo, QEvent* e) override;

private:
    QAction* criarAcao(const char* nome, const QString& texto, const QString& dica);

    QWidget* corpo_;
    QStatusBar* barraStatus_;
    QLabel* painelStatus_;
    bool preparada_ = false;
};

// Situação das rotinas longas: escreve o texto seguido de ". Aguarde..." no primeiro
// painel da janela ativa e deixa a tela se redesenhar. Nada muda quando a janela ativa
// não é uma tela de passos.
void MostrarStatus(const std::string& texto);
void LimparStatus();

}  // namespace kov::ui
