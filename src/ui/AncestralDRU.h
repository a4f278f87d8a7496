#pragma once
// Tela de edição de que descendem as telas de cadastro: controles ligados aos campos do
// conjunto principal, comandos de incluir, editar, gravar, cancelar, excluir, atualizar,
// navegar e exportar, verificação dos campos obrigatórios antes de gravar, bloqueio do
// fechamento depois de uma gravação que falhou e o lembrete de gravar.
//
// Um controle se liga a um campo pela propriedade dinâmica "campo" (o nome do campo; com
// vários nomes separados por ";" vale o último) e, quando o campo não é do conjunto
// principal, pela propriedade "fonte" (o nome de um conjunto dado à tela com definirFonte:
// uma seção ou um detalhe da declaração). Caixas de texto, memorandos, listas de consulta
// (QComboBox, com a chave de cada item nos dados do item), caixas de marcar ("S"/"N"),
// grupos de opções e rótulos são ligados. Texto digitado que não vira o valor do campo
// fica marcado no controle e a gravação o recusa com o erro da conversão.
// A propriedade "tag" = 30 isenta o controle do tratamento de somente leitura: campos
// preenchidos pelos localizadores, totais e grades que precisam continuar editáveis.
// Fora da edição as caixas de texto ficam somente leitura e as listas, caixas de marcar e
// grupos de opções não aceitam escolha (continuam na ordem do Tab); a tela marca os seus
// próprios controles somente leitura com DefinirSomenteLeitura, que o estado não desfaz.
#include <QDialog>
#include <QPointer>
#include <string>
#include <vector>

#include "platform/Interacao.h"

class QAction;
class QPushButton;
class QTimer;
class QToolBar;
class QVBoxLayout;

namespace kov {
class Tdm;
class ConjuntoDados;
}  // namespace kov

namespace kov::ui {

inline constexpr const char* PropriedadeCampo = "campo";
inline constexpr const char* PropriedadeFonte = "fonte";
inline constexpr const char* PropriedadeTag = "tag";
inline constexpr const char* PropriedadeErroConversao = "erroConversao";
// O controle só mostra o campo; quem o escreve é a tela (regras que dependem do valor
// anterior, por exemplo).
inline constexpr const char* PropriedadeSoMostra = "soMostra";
inline constexpr int TagSempreIgual = 30;

// Liga o controle ao campo e, opcionalmente, marca-o com a tag 30.
void LigarCampo(QWidget* controle, const char* campo, bool tag30 = false);
// O mesmo para um campo do conjunto 'fonte' da tela (definirFonte).
void LigarCampoDe(QWidget* controle, const char* fonte, const char* campo, bool tag30 = false);
// Somente leitura pela própria tela, além do estado do conjunto.
void DefinirSomenteLeitura(QWidget* controle, bool somenteLeitura);
// O controle (ou o grupo de opções em que está) não aceita entrada agora.
bool SomenteLeitura(const QWidget* controle);

// Campo cujo valor o controle mostra e altera: o último dos nomes listados; num campo de
// consulta, a última das suas chaves; um campo calculado não conta (vazio).
std::string CampoVinculado(const QWidget* controle, const ConjuntoDados& conjunto);

// Cursor de espera enquanto vive.
class CursorEspera {
public:
    CursorEspera();
    ~CursorEspera();
    CursorEspera(const CursorEspera&) = delete;
    CursorEspera& operator=(const CursorEspera&) = delete;
};

// Interacao das telas: a do módulo de dados, com o cursor normal enquanto uma caixa de
// mensagem espera a resposta do usuário (as perguntas podem vir no meio de uma gravação).
class InteracaoTela : public Interacao {
public:
    explicit InteracaoTela(Interacao& base) : base_(base) {}
    void mensagem(TipoMensagem tipo, const std::string& titulo, const std::string& texto) override;
    bool pergunta(const std::string& titulo, const std::string& texto) override;
    void erro(const std::string& texto) override;
    std::string escolherPasta(const std::string& titulo, const std::string& inicial) override;
    void mostrarStatus(const std::string& texto) override { base_.mostrarStatus(texto); }
    void limparStatus() override { base_.limparStatus(); }

private:
    Interacao& base_;
};

// Produz um F1 na janela, que abre a ajuda no contexto dela.
void PressionarF1(QWidget* janela);

class TfrmAncestral : public QDialog {
    Q_OBJECT
public:
    // Intervalo normal do lembrete de gravar: 10 minutos.
    static constexpr int IntervaloLembrete = 600000;

    TfrmAncestral(Tdm& dm, ConjuntoDados* conjunto, QWidget* pai = nullptr);
    ~TfrmAncestral() override;

    ConjuntoDados* conjunto() const { return conjunto_; }
    // Conjunto de que o controle mostra um campo: o da sua "fonte" ou o principal.
    ConjuntoDados* conjuntoDe(const QWidget* controle) const;
    bool fechamentoBloqueado() const { return bloqueado_; }
    void definirFechamentoBloqueado(bool bloqueado) { bloqueado_ = bloqueado; }
    QTimer* lembrete() const { return lembrete_; }
    void definirIntervaloLembrete(int ms);
    // Controle ligado ao campo do conjunto (pelo campo vinculado ou pelo nome listado), ou
    // nulo. Sem conjunto, o principal.
    QWidget* controleDoCampo(const std::string& campo, const ConjuntoDados* de = nullptr) const;

    QPushButton* botaoGravar() const { return btnGravar_; }
    QPushButton* botaoCancelar() const { return btnCancelar_; }
    QPushButton* botaoFechar() const { return btnFechar_; }
    QPushButton* botaoAjuda() const { return btnAjuda_; }
    QToolBar* barraComandos() const { return barra_; }

    QAction* actdbAncestralIncluir;
    QAction* actdbAncestralEditar;
    QAction* actdbAncestralGravar;
    QAction* actdbAncestralCancelar;
    QAction* actdbAncestralExcluir;
    QAction* actdbAncestralAtualizar;
    QAction* actdbAncestralPrimeiro;
    QAction* actdbAncestralAnterior;
    QAction* actdbAncestralProximo;
    QAction* actdbAncestralUltimo;
    QAction* actAncestralExportar;
    QAction* actAncestralFechar;
    QAction* actAncestralAjuda;

public slots:
    void incluir();
    void editar();
    // Verdadeiro quando gravou.
    virtual bool gravar();
    virtual void cancelar();
    void excluir();
    void atualizar();
    void primeiro();
    void anterior();
    void proximo();
    void ultimo();
    void exportar();
    void fechar();
    void ajuda();
    // Botões do rodapé: gravar e fechar; cancelar e fechar sem perguntar.
    void gravarEFechar();
    void cancelarEFechar();
    // Estado dos comandos conforme a situação do conjunto.
    virtual void atualizarComandos();

    void done(int r) override;

protected:
    // Fim da criação, chamado pela tela concreta depois de montar os seus controles:
    // sem conjunto ligado, a criação falha com "A tabela principal da tela não foi
    // preenchida"; senão abre o conjunto (mantendo o registro em edição), liga os
    // controles e acerta o estado dos comandos.
    void iniciarTela();
    // Dá à tela um conjunto que os controles nomeiam pela propriedade "fonte". Chamado
    // antes de iniciarTela; a tela não é dona do conjunto.
    void definirFonte(const std::string& nome, ConjuntoDados* conjunto);

    // Área onde a tela concreta põe os seus controles (sem layout: a tela define o seu).
    QWidget* corpo() const { return corpo_; }
    Tdm& dm() const { return dm_; }
    Interacao& ui() { return ui_; }

    // Passo 1 da gravação: o primeiro campo obrigatório vazio (ou só de brancos), na ordem
    // dos campos, bloqueia o fechamento, recebe o foco e interrompe com o erro
    // "Campo (<rótulo>) precisa ser preenchido!".
    virtual void verificarObrigatorios();
    // Antes de tudo: o primeiro controle com texto que não virou valor do seu campo
    // bloqueia o fechamento, recebe o foco e interrompe com o erro da conversão.
    void verificarConversoes();
    // Passos 2 e 3: grava o registro na base pelas regras do núcleo.
    virtual void gravarRegistro();
    // Fechando com uma edição em curso: verdadeiro deixa fechar (a edição já descartada).
    virtual bool confirmarFechamento();
    // Chamado a cada mudança de estado do conjunto, depois do tratamento de somente leitura.
    virtual void estadoMudou() {}
    // Chamado quando a tela vai mesmo fechar, depois das regras de fechamento.
    virtual void aoFechar() {}
    // Foca o controle do campo (e seleciona o seu texto).
    void focarCampo(const std::string& campo);
    // Mostra o registro atual nos controles ligados.
    void mostrarRegistro();

    void showEvent(QShowEvent* e) override;
    void focarPrimeiroCampo();
    bool eventFilter(QObject* alvo, QEvent* e) override;
    // Mostra o erro (caixa de erro padrão) e foca o campo que ele aponta.
    void mostrarFalha(const std::exception& e);
    void verificarLembrete();

private:
    QAction* criarAcao(const char* nome, const QString& texto, const QString& dica, int icone);
    void ligarControles();
    void ligar(QWidget* w);
    void instalarFiltro(QObject* o);
    void aplicarSomenteLeitura();
    void marcarObrigatorios();
    void escreverDoControle(QWidget* w);
    void mostrarNoControle(QWidget* w);
    void aoMudarConjunto(int mudanca, bool principal);
    void dispararLembrete();

    Tdm& dm_;
    InteracaoTela ui_;
    ConjuntoDados* conjunto_;
    std::vector<std::pair<std::string, ConjuntoDados*>> fontes_;
    std::vector<std::pair<ConjuntoDados*, int>> observadores_;
    bool bloqueado_ = false;
    bool mostrando_ = false;
    bool marcados_ = false;
    std::vector<QPointer<QWidget>> ligados_;
    QPointer<QWidget> editandoControle_;
    QTimer* lembrete_;
    QWidget* corpo_;
    QToolBar* barra_;
    QPushButton* btnGravar_;
    QPushButton* btnCancelar_;
    QPushButton* btnFechar_;
    QPushButton* btnAjuda_;
};

}  // namespace kov::ui
