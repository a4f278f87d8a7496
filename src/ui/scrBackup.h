#pragma once
// Tela de cópia de segurança e restauração (modo 0 cópia, 1 restauração): a página do tipo
// (declarações ou banco de dados), a seleção das declarações da cópia, o arquivo da
// restauração da base e a lista das declarações de uma cópia a restaurar. O trabalho é do
// TBackup; a tela só mostra, pergunta e repassa.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/pdrBasica.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace kov {
class Tdm;
class TBackup;
}  // namespace kov

namespace kov::ui {

class TscrBackup : public TscrPdrBasica {
    Q_OBJECT
public:
    enum Modo { ModoCopia = 0, ModoRestauracao = 1 };
    enum Pagina { PaginaTipo = 0, PaginaSelecao = 1, PaginaArquivo = 2, PaginaRestauraDeclaracoes = 3 };

    // A escolha das declarações (TscrUntSetDeclaracao no modo de cópia; os testes trocam):
    // as chaves de escolha quando confirmada, nada quando fechada sem confirmar.
    using Selecionador = std::function<std::optional<std::vector<std::string>>(QWidget* pai)>;
    // Escolha de um arquivo ZIP a partir de uma pasta (vazio quando cancelada).
    using EscolhaArquivo = std::function<QString(QWidget* pai, const QString& pasta)>;

    TscrBackup(Tdm& dm, int modo, QWidget* pai = nullptr);
    ~TscrBackup() override;

    // Mostra a tela modalmente no modo dado.
    void Executar();

    Selecionador selecionar;
    EscolhaArquivo escolherArquivo;
    // Fim do programa depois de uma restauração da base (a aplicação sai).
    std::function<void()> encerrarAplicacao;

    TBackup& backup() { return *backup_; }
    int modo() const { return modo_; }
    Pagina pagina() const;
    const std::string& pastaBackup() const { return pastaBackup_; }

    QRadioButton* rbDeclaracoes;
    QRadioButton* rbBanco;
    QPushButton* btnPasta;
    QListWidget* lstSelecionadas;
    QLabel* lblSelecionadas;
    QLineEdit* edtArquivo;
    QListWidget* lstRestaurar;
    QCheckBox* chkTodas;
    QLabel* pnlAguarde;
    QProgressBar* barraProgresso;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void montar();
    QWidget* paginaTipo();
    QWidget* paginaSelecao();
    QWidget* paginaArquivo();
    QWidget* paginaRestauraDeclaracoes();
    void continuar();
    void escolherPasta();
    void selecionarDeclaracoes();
    void iniciarCopiaDeclaracoes();
    void localizarArquivo();
    void executarRestauracao();
    void iniciarRestauracaoDeclaracoes();
    void abrirCopiaDeclaracoes();
    // Roda o trabalho com a barra de andamento à vista.
    template <class F>
    void comAndamento(F f);

    Tdm& dm_;
    int modo_;
    std::unique_ptr<TBackup> backup_;
    std::string pastaBackup_;
    QString pastaDialogo_;
    std::vector<std::string> escolhidas_;
    QStackedWidget* paginas_;
};

}  // namespace kov::ui
