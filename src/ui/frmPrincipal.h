#pragma once
// Janela principal: menu e barra de botões com todos os comandos do sistema, versão, ano
// base, relógio, caminho da base na barra de status e o quadro de avisos. Fechá-la encerra
// o programa.
#include <QDateTime>
#include <QMainWindow>
#include <functional>
#include <string>

class QAction;
class QLabel;
class QTimer;
class QToolButton;

namespace kov {
class Tdm;
}

namespace kov::ui {

class FiltroAjuda;
class QuadroMensagens;

class TFormPrincipal : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormPrincipal(Tdm& dm, QWidget* pai = nullptr);
    ~TFormPrincipal() override;

    // Fonte da data e hora do relógio (a do computador, salvo nos testes).
    void definirRelogio(std::function<QDateTime()> relogio);

    QuadroMensagens* quadro() const { return quadro_; }
    FiltroAjuda* filtroAjuda() const { return filtroAjuda_; }
    // Pasta temporária do programa, esvaziada ao sair pelo comando "Sair".
    std::string pastaTemporaria() const;

public slots:
    // Lê de novo o ANOEXERCICIO e reescreve o rótulo do ano base.
    void atualizarAnoBase();
    void atualizarRelogio();
    void sair();
    void abrirParametros();
    // Impressões > Relatórios: a seleção de impressão TFormFiltros.
    void abrirRelatorios();
    // Tela de cópia de segurança (0) ou de restauração (1).
    void abrirBackup(int modo);
    void abrirAjuda();
    void mostrarSobre();

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    QAction* criarAcao(const char* nome, const QString& texto, const QString& dica, bool habilitada);
    QToolButton* criarBotao(const char* nome, QAction* acao, const QString& legenda, const char* figura,
                            int iconePadrao);
    void criarMenus();
    void criarBarraBotoes();
    void criarPainel();
    void montarQuadro();
    QString lerAnoBase();

    Tdm& dm_;
    FiltroAjuda* filtroAjuda_;
    QuadroMensagens* quadro_ = nullptr;
    QLabel* lblSigla_ = nullptr;
    QLabel* lblVersao_ = nullptr;
    QLabel* lblAnoBase_ = nullptr;
    QLabel* lblVersaoTeste_ = nullptr;
    QLabel* lblRelogio_ = nullptr;
    QLabel* lblPainelCaminho_ = nullptr;
    QLabel* lblPainelBanco_ = nullptr;
    QTimer* timer_ = nullptr;
    std::function<QDateTime()> relogio_;
    bool mostrada_ = false;

    QAction* actCadastroContribuintes = nullptr;
    QAction* actCadastroDocumentos = nullptr;
    QAction* actCadastroResponsaveis = nullptr;
    QAction* actSair = nullptr;
    QAction* actTransmissao = nullptr;
    QAction* actGravaDisquete = nullptr;
    QAction* actCaptura = nullptr;
    QAction* actBackup = nullptr;
    QAction* actRestore = nullptr;
    QAction* actParametros = nullptr;
    QAction* actRelatorios = nullptr;
    QAction* actPrintReciboComputador = nullptr;
    QAction* actPrintReciboDisquete = nullptr;
    QAction* actAjuda = nullptr;
    QAction* actSobre = nullptr;
};

}  // namespace kov::ui
