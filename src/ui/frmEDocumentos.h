#pragma once
// Editor da declaração ("Documentos"): a página do cabeçalho "Documento" (contribuinte,
// regime, período e as escolhas Sim/Nao) e as páginas das figuras "PRELO", "KOV" e "GI".
// A declaração fica em edição enquanto o editor está aberto; nada chega à base antes de uma
// gravação bem-sucedida, que grava a declaração inteira e a consiste. Fechar de qualquer
// modo descarta o que não foi gravado (com a pergunta de sempre quando há alterações).
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "data/Cadastros.h"
#include "data/Consistencia.h"
#include "data/RegrasFiguras.h"
#include "ui/AncestralKOV.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QTableView;
class QTabWidget;
class QToolButton;

namespace kov {
class ConjuntoDeclaracoes;
}

namespace kov::ui {

class CampoValor;
class GradeEditavel;
class GrupoOpcoes;
class ListaConsulta;

class TFormEdicaoDocumentos : public TfrmAncestralKOV {
    Q_OBJECT
public:
    // Páginas do editor, na ordem.
    enum Pagina { PaginaDocumento = 0, PaginaPrelo, PaginaKOV, PaginaGI };

    TFormEdicaoDocumentos(Tdm& dm, ConjuntoDeclaracoes* declaracoes, QWidget* pai = nullptr);
    ~TFormEdicaoDocumentos() override;

    ConjuntoDeclaracoes* declaracoes() const;
    int anoCorrente() const { return anoCorrente_; }
    int anoBase() const { return anoBase_; }
    // Regime da declaração quando a lista de regimes foi aberta (-1 antes disso).
    int regimeLembrado() const { return regimeLembrado_; }
    // Gravação a partir do cabeçalho: ligada enquanto a resposta da mudança de município
    // grava a declaração, e por toda a vida do editor quando a lista de consistências o abre.
    bool modoCabecalho() const { return modoCabecalho_; }
    void definirModoCabecalho(bool ligado) { modoCabecalho_ = ligado; }
    // Correção vinda da lista de consistências: ao ser mostrado, o editor (no modo de gravação
    // a partir do cabeçalho) vai à página e à aba do erro e põe o foco no campo.
    void definirCorrecao(const DestinoCorrecao& destino);
    // Vai ao lugar do erro; chamado ao mostrar o editor com uma correção definida.
    void irParaCorrecao(const DestinoCorrecao& destino);
    // O editor pode fechar: ligado por uma gravação bem-sucedida e pelo cancelamento.
    bool podeFechar() const { return podeFechar_; }

    QAction* actCadastrarContribuinte;

    QTabWidget* pgcPrincipal;
    QWidget* tbsDocumento;
    QWidget* tbsPrelo;
    QWidget* tbsKOV;
    QWidget* tbsGI;
    ListaConsulta* cbInscricao;
    QToolButton* btnContribuinte;
    QLineEdit* edtRazaoSocial;
    QLineEdit* edtCNPJ;
    QLineEdit* edtTipoContribuinte;
    QLineEdit* edtCnae;
    QLineEdit* edtDesmembramento;
    QLineEdit* edtDescricaoCnae;
    QLineEdit* edtMunicipio;
    QToolButton* btnMunicipio;
    QComboBox* cbAno;
    QComboBox* cbMesInicial;
    QComboBox* cbMesFinal;
    ListaConsulta* cbRegime;
    GrupoOpcoes* grpApuracao;
    GrupoOpcoes* grpEscrita;
    GrupoOpcoes* grpSubstituicao;
    GrupoOpcoes* grpBaixa;
    GrupoOpcoes* grpMudanca;

    // Páginas das figuras: as abas têm os nomes que a navegação da consistência ativa
    QTabWidget* pgcPrelo = nullptr;
    QWidget* tbsPreloSimples = nullptr;
    QWidget* tbsPreloDebCred = nullptr;
    QTabWidget* pgcPreloSimples = nullptr;
    QTabWidget* pgcPreloDebCred = nullptr;
    QTabWidget* pgcKov = nullptr;
    QWidget* tbsKovExclusoes = nullptr;
    QWidget* tbsKovKov = nullptr;
    QWidget* tbsKovDetalhamento = nullptr;
    QTabWidget* pgcGI = nullptr;
    QWidget* tbsGIEntrada = nullptr;
    QWidget* tbsGISaida = nullptr;
    // Botões das telas de detalhamento (débito/crédito), por tipo de operação 1 a 6
    QAction* actEntradaEstado = nullptr;
    QAction* actEntradaOutros = nullptr;
    QAction* actEntradaExterior = nullptr;
    QAction* actSaidaEstado = nullptr;
    QAction* actSaidaOutros = nullptr;
    QAction* actSaidaExterior = nullptr;
    // Grades: outras entradas por município, GI de entradas e de saídas
    QAction* actIncluirDetalhamentoEntrada = nullptr;
    QAction* actExcluirDetalhamentoEntrada = nullptr;
    QAction* actIncluirGIEntrada = nullptr;
    QAction* actExcluirGIEntrada = nullptr;
    QAction* actIncluirGISaida = nullptr;
    QAction* actExcluirGISaida = nullptr;
    QTableView* grdDetalhamento = nullptr;
    QTableView* grdGIEntrada = nullptr;
    QTableView* grdGISaida = nullptr;
    GradeEditavel* gradeDetalhamento = nullptr;
    GradeEditavel* gradeGIEntrada = nullptr;
    GradeEditavel* gradeGISaida = nullptr;

    // Aba de um nome ("tbsPreloDebCredEntrada"...) e o campo de figura de uma aba.
    QWidget* aba(const QString& nome) const;
    CampoValor* figura(const QString& nomeAba, const char* campo) const;
    // Total mostrado sob uma grade ("agTotalVC"...), como o usuário o vê.
    QString total(const char* nome) const;

public slots:
    // A gravação do editor, nos seus passos; verdadeiro quando gravou.
    bool gravar() override;
    // Descarta tudo o que não foi gravado e deixa fechar.
    void cancelar() override;
    // Abre o cadastro de contribuintes; o contribuinte em que ele fica vai para a declaração.
    void cadastrarContribuinte();
    // Muda de página pelas regras de saída do cabeçalho; falso quando ficou onde estava.
    bool irParaPagina(int pagina);
    // Regras de saída da página "Documento": verdadeiro quando pode sair (a declaração foi
    // postada e voltou à edição).
    bool sairDoDocumento();
    // Cliques nas respostas ("S" ou "N") da baixa e da mudança de município.
    void clicarBaixa(const QString& valor);
    void clicarMudancaMunicipio(const QString& valor);
    // Abre a tela de detalhamento do tipo de operação (1 a 6) sobre a declaração em edição.
    void abrirDetalhamento(int tipoOperacao);

protected:
    void showEvent(QShowEvent* e) override;
    void done(int r) override;
    void estadoMudou() override;
    void atualizarComandos() override;
    bool eventFilter(QObject* alvo, QEvent* e) override;

private:
    void montarDocumento();
    void carregarContribuintes();
    void tomarAnos();
    void preencherAnos();
    void recarregarRegimes();
    void aplicarApuracao();
    void aplicarVisibilidade();
    void escolherContribuinte(int indice);
    void escolherRegime(int indice);
    void escolherMes(bool inicial, int indice);
    // Mensagem da regra do ano corrente, quando ela recusa (título "Inconsistência").
    bool recusaAnoCorrente();
    void definirCampo(const char* campo, const fb::Valor& v);
    // Páginas das figuras (frmEDocumentosFiguras.cpp)
    void montarFiguras();
    void montarPrelo();
    void montarKOV();
    void montarGI();
    QWidget* montarGrade(QWidget* aba, QTableView*& grade, GradeEditavel*& g, ConjuntoDados& c,
                         std::vector<std::string> colunas, std::vector<const char*> totais, QAction* incluir,
                         QAction* excluir);
    // Variantes, figuras travadas (zeradas) e o KOV, ao sair do cabeçalho.
    void aplicarRegrasFiguras();
    // GI e ajustes de transferência, a cada troca de página e de aba do KOV; falso quando
    // a GI não está disponível e o editor voltou ao cabeçalho.
    bool aplicarDisponibilidade();
    void entrarPagina(int pagina);
    void mudouAbaKOV(int aba);
    void atualizarAjuda();
    void atualizarGrades();
    void alterarFiguras(const std::function<void(Declaracao&)>& regra);

    std::vector<LinhaListaContribuinte> contribuintes_;
    std::vector<std::pair<CampoValor*, SecaoFigura>> figuras_;
    std::map<std::string, QLineEdit*> totais_;
    int anoCorrente_ = 0;
    int anoBase_ = 0;
    int regimeLembrado_ = -1;
    bool modoCabecalho_ = false;
    std::optional<DestinoCorrecao> correcao_;
    bool podeFechar_ = false;
    bool mostrado_ = false;
    int paginaAtual_ = PaginaDocumento;
    bool mudandoPagina_ = false;
};

}  // namespace kov::ui
