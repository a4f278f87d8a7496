#pragma once
// Telas do detalhamento de entradas e saídas por tipo de operação (1 a 6): uma linha de
// DETALHAMENTOES da declaração em edição, com as sete espécies de operação (valor contábil,
// base de cálculo e ICMS de cada uma), as operações sem ICMS e o subtotal calculados. A base
// comum monta a grade das espécies, abre a linha do tipo (a existente, em edição, ou uma
// nova), confere a gravação (base de cálculo sem ICMS ou sem valor contábil) e refaz os totais
// de ENTRADA e SAIDA; as seis telas mudam o título, a ajuda, as linhas escondidas e os campos
// a mais (produtos agropecuários e geração de energia; transporte tomado) com as suas regras.
// As alterações ficam na declaração em edição até o editor gravar, salvo quando a tela vem
// da lista de consistências: então cada gravação grava a declaração na base.
#include <memory>

#include "ui/AncestralKOV.h"

class QGridLayout;
class QLabel;

namespace kov {
class ConjuntoDeclaracoes;
}

namespace kov::ui {

class CampoValor;

class TfrmAncestralDetalhamentoES : public TfrmAncestralKOV {
    Q_OBJECT
public:
    TfrmAncestralDetalhamentoES(Tdm& dm, ConjuntoDeclaracoes& declaracoes, int tipoOperacao, QWidget* pai = nullptr);

    int tipoOperacao() const { return tipo_; }
    bool daListaConsistencia() const { return daLista_; }
    void definirDaListaConsistencia(bool ligado) { daLista_ = ligado; }
    // Rótulo da linha de cada espécie (0 a 6) e do subtotal (7).
    QLabel* rotuloLinha(int i) const { return rotulos_.at(static_cast<size_t>(i)); }
    // O campo da tela pelo nome do campo (VCCOMPRAVENDA, PRODUTOSAGROP...), ou nulo.
    CampoValor* campo(const char* nome) const;

protected:
    void gravarRegistro() override;
    void showEvent(QShowEvent* e) override;
    // Campo a mais, da seção da declaração (entradas ou saídas), sob a grade.
    CampoValor* adicionarCampo(const char* fonte, const char* campo, const QString& rotulo);
    // Regra do campo a mais que o transportador (tipo 0) não informa: zerado e desligado.
    void travarParaTransportador(CampoValor* c, const char* fonte, const char* campo);
    // Regra própria da tela, antes da gravação da base; falso recusa (a mensagem já foi dada).
    virtual bool conferirAntesDeGravar() { return true; }
    bool transportador() const;
    ConjuntoDeclaracoes& declaracoes() const { return declaracoes_; }
    // Fim da criação, pela tela concreta depois dos seus campos: inicia a tela e abre a
    // linha do tipo (a existente, em edição, ou uma nova com o tipo).
    void concluir();

private:
    void abrirTipo();

    ConjuntoDeclaracoes& declaracoes_;
    int tipo_;
    bool daLista_ = false;
    bool mostrada_ = false;
    std::vector<QLabel*> rotulos_;
    QGridLayout* grade_;
    int proximaLinha_ = 0;
};

class TfrmEEntradaEstado : public TfrmAncestralDetalhamentoES {
    Q_OBJECT
public:
    TfrmEEntradaEstado(Tdm& dm, ConjuntoDeclaracoes& declaracoes, QWidget* pai = nullptr);

protected:
    bool conferirAntesDeGravar() override;
};

class TfrmEEntradasOutrosEstados : public TfrmAncestralDetalhamentoES {
    Q_OBJECT
public:
    TfrmEEntradasOutrosEstados(Tdm& dm, ConjuntoDeclaracoes& declaracoes, QWidget* pai = nullptr);
};

class TfrmEEntradaExterior : public TfrmAncestralDetalhamentoES {
    Q_OBJECT
public:
    TfrmEEntradaExterior(Tdm& dm, ConjuntoDeclaracoes& declaracoes, QWidget* pai = nullptr);
};

class TfrmESaidaEstado : public TfrmAncestralDetalhamentoES {
    Q_OBJECT
public:
    TfrmESaidaEstado(Tdm& dm, ConjuntoDeclaracoes& declaracoes, QWidget* pai = nullptr);
};

class TfrmESaidaOutrosEstados : public TfrmAncestralDetalhamentoES {
    Q_OBJECT
public:
    TfrmESaidaOutrosEstados(Tdm& dm, ConjuntoDeclaracoes& declaracoes, QWidget* pai = nullptr);
};

class TfrmESaidaExterior : public TfrmAncestralDetalhamentoES {
    Q_OBJECT
public:
    TfrmESaidaExterior(Tdm& dm, ConjuntoDeclaracoes& declaracoes, QWidget* pai = nullptr);
};

// A tela do tipo de operação (1 a 6).
std::unique_ptr<TfrmAncestralDetalhamentoES> CriarTelaDetalhamento(int tipoOperacao, Tdm& dm,
                                                                   ConjuntoDeclaracoes& declaracoes,
                                                                   QWidget* pai = nullptr);

}  // namespace kov::ui
