#pragma once
// A declaração vista pelas telas como conjuntos de dados: a lista das declarações do ano
// base, cujo registro em edição é o agregado inteiro (cdsDocumento); as seções de uma linha
// (estoque, KOV...) e as de várias linhas (outras entradas por município, GI...) como
// conjuntos presos ao agregado em edição.
//
// Postar a declaração a guarda na memória (a linha aparece na lista) e uma nova alteração
// continua do que foi postado; só aplicar() a grava na base, com SalvarDeclaracao. As seções
// escrevem direto no agregado em edição: nada chega à base antes da gravação da declaração,
// e descartar a declaração descarta tudo.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/Declaracao.h"
#include "data/Edicao.h"
#include "data/RegrasDeclaracao.h"
#include "data/RegrasFiguras.h"

namespace kov {

class Tdm;
struct ListasConsistencia;

template <class L>
class ConjuntoDetalhe;

class ConjuntoDeclaracoes : public ConjuntoDados {
public:
    explicit ConjuntoDeclaracoes(Tdm& dm);

    // Ano corrente: o do relógio do computador.
    std::function<int()> anoCorrente;
    // ANOEXERCICIO como está gravado e como número (1 quando não é número).
    std::string anoExercicio() const;
    int anoBase() const;

    Tdm& dm() const { return dm_; }
    const LinhaListaDeclaracao& linha(int i) const { return linhas_.at(static_cast<size_t>(i)); }
    // O agregado do registro atual: o em edição; fora da edição, o postado quando é ele o
    // atual; senão nulo.
    Declaracao* agregado();
    const Declaracao* agregado() const;
    // Aplica ao agregado em edição uma regra do núcleo e avisa quem observa o conjunto.
    void alterarAgregado(const std::function<void(Declaracao&)>& regra);

    // Os conjuntos das seções da declaração, criados na primeira vez e vivos enquanto ela:
    // as outras entradas por município (cdsDetalhamentoEntrada).
    ConjuntoDetalhe<DetalhamentoEntrada>& detalhamentoEntrada();
    // As seções de uma linha das páginas das figuras (cdsEstoque, cdsEntrada...), com os seus
    // campos calculados (calcIniTotal, calcTotal, calcEntTotal...).
    ConjuntoDados& secao(SecaoFigura s);
    // GI de entradas e de saídas (cdsGIEntrada, cdsGISaidas), com a consulta DESCRICAO_UF.
    ConjuntoDetalhe<GIEntrada>& giEntrada();
    ConjuntoDetalhe<GISaidas>& giSaidas();
    // Detalhamento por tipo de operação (cdsDetalhamentoES), com as operações sem ICMS e os
    // subtotais calculados; gravar uma linha refaz os totais de ENTRADA e SAIDA.
    ConjuntoDetalhe<DetalhamentoES>& detalhamentoES();

    // Com listas, a gravação da declaração (aplicar) a consiste na mesma transação: uma queda
    // no meio deixa os valores e o status de antes, ou os dois de depois. Os erros achados são
    // acrescentados às listas só quando a gravação vai até o fim. Nulo: grava sem consistir.
    void consistirAoGravar(ListasConsistencia* listas) { consistirEm_ = listas; }

protected:
    int linhas() const override { return static_cast<int>(linhas_.size()); }
    fb::Valor lerLinha(int linha, const Campo& c) const override;
    fb::Valor lerEdicao(const Campo& c) const override;
    void escreverEdicao(const Campo& c, const fb::Valor& v) override;
    void carregar() override;
    void descarregar() override;
    void comecarInclusao() override;
    void comecarAlteracao(int linha) override;
    bool edicaoAlterada() const override { return edicao_ && !(*edicao_ == original_); }
    void aplicarEdicao() override;
    void excluirNaBase(int linha) override;
    std::string chaveLinha(int linha) const override;
    std::string chaveEdicao() const override;
    bool guardaPostadas() const override { return true; }
    int postarEdicao() override;
    bool temPostadas() const override { return postada_.has_value(); }
    std::string aplicarPostadas() override;
    void descartarPostadas() override;

private:
    struct Textos {
        std::string IE, NOME, CNPJ, SITUACAO;
    };
    fb::Valor ler(const Documento& doc, const Textos& t, const Campo& c) const;
    // As descrições do agregado acompanham as chaves (município, regime, tipo, CNAE-F).
    void descrever(Declaracao& d) const;
    LinhaListaDeclaracao linhaDe(const Declaracao& d) const;
    void salvar(Declaracao& d);

    Tdm& dm_;
    std::vector<LinhaListaDeclaracao> linhas_;
    std::optional<Declaracao> edicao_;
    Declaracao original_;
    std::optional<Declaracao> postada_;
    int linhaPostada_ = -1;
    ListasConsistencia* consistirEm_ = nullptr;
    std::map<int, std::string> municipios_, regimes_, tipos_, status_;
    std::map<int, int> idMunicipio_;
    std::map<std::pair<std::string, std::string>, std::string> cnaef_;
    std::map<SecaoFigura, std::unique_ptr<ConjuntoDados>> secoes_;
    std::unique_ptr<ConjuntoDados> giEntrada_, giSaidas_, detalhamentoES_;
    std::unique_ptr<ConjuntoDados> detalhamentoEntrada_;
};

// Seção de uma linha da declaração (estoque, despesas, KOV...): edita a linha do agregado
// enquanto a declaração está em edição; fora dela só mostra.
template <class L>
class ConjuntoSecao : public ConjuntoTipado<L> {
public:
    using Consulta = typename ConjuntoTipado<L>::Consulta;

    ConjuntoSecao(std::string nome, ConjuntoDeclaracoes& mestre, std::optional<L> Declaracao::*membro,
                  const std::vector<DescricaoCampo>& descricoes = {}, std::vector<Consulta> consultas = {})
        : ConjuntoTipado<L>(std::move(nome), descricoes, std::move(consultas)), mestre_(mestre), membro_(membro) {
        observador_ = mestre_.observar([this](MudancaConjunto, const std::string&) { seguirMestre(); });
    }
    ~ConjuntoSecao() override { mestre_.deixarDeObservar(observador_); }

    bool somenteLeitura() const override { return !mestre_.editando(); }

protected:
    int linhas() const override { return secao() ? 1 : 0; }
    fb::Valor lerLinha(int, const Campo& c) const override { return secao() ? this->ler(*secao(), c) : fb::Valor(); }
    fb::Valor lerEdicao(const Campo& c) const override { return lerLinha(0, c); }
    void escreverEdicao(const Campo& c, const fb::Valor& v) override {
        escrevendo_ = true;
        mestre_.alterarAgregado([&](Declaracao& d) {
            if (d.*membro_) this->escrever(*(d.*membro_), c, v);
        });
        escrevendo_ = false;
    }
    void carregar() override {}
    void descarregar() override {}
    void comecarInclusao() override {
        escrevendo_ = true;
        mestre_.alterarAgregado([&](Declaracao& d) {
            if (!(d.*membro_)) {
                d.*membro_ = L{};
                ZerarCampos(*(d.*membro_));
            }
        });
        escrevendo_ = false;
    }
    void comecarAlteracao(int) override {}
    bool edicaoAlterada() const override { return false; }  // quem sabe é a declaração
    void aplicarEdicao() override {}                         // gravada com a declaração
    void excluirNaBase(int) override {
        mestre_.alterarAgregado([&](Declaracao& d) { (d.*membro_).reset(); });
    }
    std::string chaveLinha(int) const override { return "1"; }
    std::string chaveEdicao() const override { return "1"; }

private:
    const L* secao() const {
        const Declaracao* d = mestre_.agregado();
        return d && (d->*membro_) ? &*(d->*membro_) : nullptr;
    }
    // A seção fica em edição enquanto a declaração está, quando tem a sua linha.
    void seguirMestre() {
        if (escrevendo_ || !this->aberto()) return;
        if (!mestre_.editando()) this->cancelar();
        if (this->editando()) {
            this->avisar(MudancaConjunto::Valor);
            return;
        }
        this->recarregarEm("1", 0);
        if (mestre_.editando() && secao()) this->editar();
    }

    ConjuntoDeclaracoes& mestre_;
    std::optional<L> Declaracao::*membro_;
    int observador_ = 0;
    bool escrevendo_ = false;
};

// Seção de várias linhas da declaração (outras entradas por município, GI...): cada linha
// é incluída, alterada e gravada no agregado pela regra do núcleo; a declaração em edição
// a leva à base na sua gravação. Sem a declaração em edição, só mostra.
template <class L>
class ConjuntoDetalhe : public ConjuntoTipado<L> {
public:
    using Consulta = typename ConjuntoTipado<L>::Consulta;
    using Filtro = std::function<bool(const L&)>;
    struct Regras {
        std::vector<L> Declaracao::*linhas = nullptr;
        std::function<L(const Declaracao&)> nova;
        // Grava a linha em edição no agregado (indice vazio numa inclusão); recusa levantando.
        std::function<void(Declaracao&, L&, std::optional<size_t>)> gravar;
    };

    ConjuntoDetalhe(std::string nome, ConjuntoDeclaracoes& mestre, Regras regras,
                    const std::vector<DescricaoCampo>& descricoes = {}, std::vector<Consulta> consultas = {})
        : ConjuntoTipado<L>(std::move(nome), descricoes, std::move(consultas)), mestre_(mestre),
          regras_(std::move(regras)) {
        observador_ = mestre_.observar([this](MudancaConjunto, const std::string&) { seguirMestre(); });
    }
    ~ConjuntoDetalhe() override { mestre_.deixarDeObservar(observador_); }

    bool somenteLeitura() const override { return !mestre_.editando(); }
    // Só as linhas que passam no filtro aparecem (vazio: todas).
    void definirFiltro(Filtro f) {
        filtro_ = std::move(f);
        if (this->aberto() && !this->editando()) this->recarregarEm({}, 0);
    }
    const L* registro() const {
        if (this->editando()) return &edicao_;
        return talvez(this->atual());
    }

protected:
    int linhas() const override { return static_cast<int>(indices_.size()); }
    // Outro observador da declaração pode ler antes de este conjunto seguir a mudança (as
    // linhas lembradas são de um agregado que já mudou): a linha que sumiu lê vazia.
    fb::Valor lerLinha(int linha, const Campo& c) const override {
        const L* l = talvez(linha);
        return l ? this->ler(*l, c) : fb::Valor();
    }
    fb::Valor lerEdicao(const Campo& c) const override { return this->ler(edicao_, c); }
    void escreverEdicao(const Campo& c, const fb::Valor& v) override { this->escrever(edicao_, c, v); }
    void carregar() override {
        indices_.clear();
        const auto* v = vetor();
        if (!v) return;
        for (size_t i = 0; i < v->size(); ++i)
            if (!filtro_ || filtro_((*v)[i])) indices_.push_back(i);
    }
    void descarregar() override { indices_.clear(); }
    void comecarInclusao() override {
        edicao_ = regras_.nova ? regras_.nova(*mestre_.agregado()) : L{};
        original_ = edicao_;
        indice_.reset();
    }
    void comecarAlteracao(int linha) override {
        edicao_ = em(linha);
        original_ = edicao_;
        indice_ = indices_.at(static_cast<size_t>(linha));
    }
    bool edicaoAlterada() const override { return !(edicao_ == original_); }
    void aplicarEdicao() override {
        mudando([&](Declaracao& d) {
            if (regras_.gravar) regras_.gravar(d, edicao_, indice_);
        });
    }
    void excluirNaBase(int linha) override {
        const size_t i = indices_.at(static_cast<size_t>(linha));
        mudando([&](Declaracao& d) { (d.*regras_.linhas).erase((d.*regras_.linhas).begin() + static_cast<long>(i)); });
    }
    std::string chaveLinha(int linha) const override { return this->chave(em(linha)); }
    std::string chaveEdicao() const override { return this->chave(edicao_); }

private:
    const std::vector<L>* vetor() const {
        const Declaracao* d = mestre_.agregado();
        return d ? &(d->*regras_.linhas) : nullptr;
    }
    const L& em(int linha) const { return vetor()->at(indices_.at(static_cast<size_t>(linha))); }
    const L* talvez(int linha) const {
        const auto* v = vetor();
        if (!v || linha < 0 || linha >= linhas()) return nullptr;
        const size_t i = indices_[static_cast<size_t>(linha)];
        return i < v->size() ? &(*v)[i] : nullptr;
    }
    // Mudança feita por este conjunto: o aviso da declaração não o relê no meio dela.
    template <class F>
    void mudando(F&& f) {
        escrevendo_ = true;
        try {
            mestre_.alterarAgregado(f);
        } catch (...) {
            escrevendo_ = false;
            throw;
        }
        escrevendo_ = false;
    }
    // Outra mudança da declaração (postada, descartada, alterada por outra tela): as linhas
    // são lidas de novo; a linha em edição é cancelada quando a declaração sai da edição.
    void seguirMestre() {
        if (escrevendo_ || !this->aberto()) return;
        if (!mestre_.editando()) this->cancelar();
        if (this->editando()) return;
        // As linhas lembradas podem ser de um agregado que já não existe
        const auto* v = vetor();
        const int a = this->atual();
        const bool valida = v && a >= 0 && a < linhas() && indices_[static_cast<size_t>(a)] < v->size();
        this->recarregarEm(valida ? chaveLinha(a) : std::string(), a);
    }

    ConjuntoDeclaracoes& mestre_;
    Regras regras_;
    Filtro filtro_;
    std::vector<size_t> indices_;
    L edicao_{};
    L original_{};
    std::optional<size_t> indice_;
    int observador_ = 0;
    bool escrevendo_ = false;
};

// Outras entradas por município da declaração, com a descrição do município; as linhas
// novas levam o marcador MudancaMunicipioPadrao do módulo de dados.
std::unique_ptr<ConjuntoDetalhe<DetalhamentoEntrada>> CriarDetalhamentoEntrada(Tdm& dm, ConjuntoDeclaracoes& mestre);

}  // namespace kov
