#pragma once
// Conjunto de dados de uma tela: as linhas de uma tabela em memória, o registro atual e o
// registro em edição (inclusão ou alteração). A edição só chega à base quando é gravada;
// cancelar a descarta. As telas de lista e de edição trabalham sobre o mesmo conjunto: a
// lista começa a inclusão ou a alteração e entrega o registro à tela de edição.
//
// Cada campo é achado pelo nome, na tabela de colunas da linha (Registros.h) ou entre os
// campos de consulta (descrições tiradas de outras tabelas pela chave). É assim que as
// telas ligam os seus controles aos campos, verificam os obrigatórios e exportam a tabela.
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "data/Registros.h"

namespace kov {

enum class EstadoConjunto { Fechado, Navegacao, Insercao, Edicao };

struct Campo {
    std::string nome;
    std::string rotulo;  // o nome mostrado ao usuário nas mensagens e nos títulos das colunas
    EspecieColuna especie = EspecieColuna::Texto;
    bool obrigatorio = false;
    // Campo de consulta: 'chaves' lista os campos-chave, separados por ";". Campos de
    // consulta e calculados não são gravados; valem o que a linha dá a cada leitura.
    bool calculado = false;
    std::string chaves;
    bool consulta() const { return !chaves.empty(); }
};

// Rótulo e obrigatoriedade de uma coluna da linha.
struct DescricaoCampo {
    std::string nome;
    std::string rotulo;
    bool obrigatorio = false;
};

enum class MudancaConjunto { Estado, Linhas, Posicao, Valor };

class ConjuntoDados {
public:
    using Observador = std::function<void(MudancaConjunto, const std::string& campo)>;

    explicit ConjuntoDados(std::string nome);
    virtual ~ConjuntoDados();
    ConjuntoDados(const ConjuntoDados&) = delete;
    ConjuntoDados& operator=(const ConjuntoDados&) = delete;

    // Nome do componente ("cdsContribuinte"): dá nome ao arquivo da exportação.
    const std::string& nome() const { return nome_; }
    const std::vector<Campo>& campos() const { return campos_; }
    const Campo* campo(const std::string& nome) const;

    EstadoConjunto estado() const { return estado_; }
    bool aberto() const { return estado_ != EstadoConjunto::Fechado; }
    bool navegando() const { return estado_ == EstadoConjunto::Navegacao; }
    bool editando() const { return estado_ == EstadoConjunto::Insercao || estado_ == EstadoConjunto::Edicao; }
    int quantidade() const { return aberto() ? linhas() : 0; }
    bool vazio() const { return quantidade() == 0; }
    // Linha do registro atual; -1 quando não há nenhum.
    int atual() const { return atual_; }
    bool noInicio() const { return atual_ <= 0; }
    bool noFim() const { return atual_ < 0 || atual_ >= quantidade() - 1; }
    // O registro em edição difere do que era quando a edição começou.
    bool modificado() const;
    // Registros postados na memória que ainda não foram aplicados na base.
    bool alteracoesPostadas() const { return aberto() && temPostadas(); }
    // Alterações digitadas ou postadas que ainda não foram gravadas na base.
    bool alteracoesPendentes() const { return (editando() && modificado()) || alteracoesPostadas(); }
    // Inclusão, alteração e exclusão recusadas (um detalhe cujo mestre não está em edição).
    virtual bool somenteLeitura() const { return false; }

    // Abrir um conjunto já aberto não muda nada: o registro em edição continua.
    void abrir();
    // Fechar descarta a edição em curso.
    void fechar();
    // Lê de novo da base e volta ao mesmo registro; recusado com uma edição em curso ou
    // com registros postados e ainda não aplicados.
    void atualizar();

    // Inclusão e alteração começam só com o conjunto aberto e sem outra edição em curso.
    void inserir();
    void editar();
    void cancelar();
    // Grava a edição na base. Falhando, a exceção passa adiante e a edição continua, com
    // os valores digitados; gravando, o conjunto é lido de novo e fica no registro gravado.
    // Num conjunto que guarda os registros postados, é postar e aplicar.
    void gravar();
    // Posta a edição na memória: o registro volta à lista, pendente, e uma nova alteração
    // continua dele. Só chega à base com aplicar(). Um conjunto que não guarda registros
    // postados grava na base (postar é gravar).
    void postar();
    // Aplica na base os registros postados; falhando, eles continuam pendentes, como estão.
    void aplicar();
    // Descarta a edição em curso e os registros postados; a lista volta a ser a da base.
    void descartarAlteracoes();
    // Exclui o registro atual na base; falhando, ele continua na lista.
    void excluir();

    // A navegação só move o registro atual fora da edição.
    void primeiro();
    void anterior();
    void proximo();
    void ultimo();
    void irPara(int linha);

    // Valor de um campo do registro atual (o em edição, durante a edição); nulo sem registro.
    fb::Valor valor(const std::string& campo) const;
    fb::Valor valor(int linha, const std::string& campo) const;
    // Texto de exibição: inteiros por extenso, valores com "#,##0", datas dd/mm/aaaa.
    std::string texto(const std::string& campo) const;
    std::string texto(int linha, const std::string& campo) const;
    // Só durante a edição; campos de consulta e calculados não se escrevem.
    void definir(const std::string& campo, const fb::Valor& v);
    // Converte o texto pela espécie do campo (vazio é nulo nos numéricos). Texto que não é
    // número ou data levanta ErroCampo.
    void definirTexto(const std::string& campo, const std::string& texto);

    int observar(Observador o);
    void deixarDeObservar(int id);

    // Texto de exibição de um valor conforme a espécie do campo.
    static std::string TextoExibicao(EspecieColuna especie, const fb::Valor& v);

protected:
    void definirCampos(std::vector<Campo> campos) { campos_ = std::move(campos); }

    virtual int linhas() const = 0;
    virtual fb::Valor lerLinha(int linha, const Campo& c) const = 0;
    virtual fb::Valor lerEdicao(const Campo& c) const = 0;
    virtual void escreverEdicao(const Campo& c, const fb::Valor& v) = 0;
    virtual void carregar() = 0;
    virtual void descarregar() = 0;
    virtual void comecarInclusao() = 0;
    virtual void comecarAlteracao(int linha) = 0;
    virtual bool edicaoAlterada() const = 0;
    // Grava o registro em edição na base; ele recebe a chave gerada.
    virtual void aplicarEdicao() = 0;
    // Exclui na base (a memória é lida de novo depois).
    virtual void excluirNaBase(int linha) = 0;
    // Chave que reencontra a linha depois de ler de novo; vazia quando não há.
    virtual std::string chaveLinha(int linha) const = 0;
    virtual std::string chaveEdicao() const = 0;

    // Registros postados. Um conjunto que os guarda sobrepõe as quatro: postarEdicao
    // guarda a edição e devolve a linha em que ela ficou; aplicarPostadas grava na base e
    // devolve a chave do registro a reencontrar.
    virtual bool guardaPostadas() const { return false; }
    virtual int postarEdicao() { return atual_; }
    virtual bool temPostadas() const { return false; }
    virtual std::string aplicarPostadas() { return {}; }
    virtual void descartarPostadas() {}

    void avisar(MudancaConjunto m, const std::string& campo = {});
    // Lê de novo e fica na linha da chave (ou na linha dada, quando a chave sumiu).
    void recarregarEm(const std::string& chave, int linhaPadrao);

private:
    const Campo& campoExistente(const std::string& nome) const;

    std::string nome_;
    std::vector<Campo> campos_;
    EstadoConjunto estado_ = EstadoConjunto::Fechado;
    int atual_ = -1;
    std::vector<std::pair<int, Observador>> observadores_;
    int proximoObservador_ = 1;
};

// Campos das colunas da linha L, com o rótulo e a obrigatoriedade descritos (sem
// descrição, o rótulo é o próprio nome).
template <class L>
std::vector<Campo> CamposDasColunas(const std::vector<DescricaoCampo>& descricoes) {
    std::vector<Campo> cs;
    for (const auto& col : L::colunas()) {
        Campo c{col.nome, col.nome, col.especie, false, false, {}};
        for (const auto& d : descricoes)
            if (d.nome == col.nome) {
                c.rotulo = d.rotulo;
                c.obrigatorio = d.obrigatorio;
            }
        cs.push_back(c);
    }
    return cs;
}

// Conjunto sobre linhas do tipo L (Registros.h): os campos são as colunas da linha, com
// rótulo e obrigatoriedade, mais os campos de consulta (descrições tiradas pela chave).
template <class L>
class ConjuntoTipado : public ConjuntoDados {
public:
    struct Consulta {
        Campo campo;
        std::function<fb::Valor(const L&)> valor;
    };

protected:
    ConjuntoTipado(std::string nome, const std::vector<DescricaoCampo>& descricoes, std::vector<Consulta> consultas)
        : ConjuntoDados(std::move(nome)), consultas_(std::move(consultas)) {
        std::vector<Campo> cs = CamposDasColunas<L>(descricoes);
        for (auto& q : consultas_) {
            q.campo.calculado = true;
            cs.push_back(q.campo);
        }
        definirCampos(std::move(cs));
    }

    fb::Valor ler(const L& l, const Campo& c) const {
        if (const Coluna<L>* col = ProcurarColuna<L>(c.nome)) return ValorColuna(l, *col);
        for (const auto& q : consultas_)
            if (q.campo.nome == c.nome) return q.valor ? q.valor(l) : fb::Valor();
        return {};
    }
    static void escrever(L& l, const Campo& c, const fb::Valor& v) {
        if (const Coluna<L>* col = ProcurarColuna<L>(c.nome)) DefinirColuna(l, *col, v);
    }
    // As colunas de chave (e a UF das linhas da GI), juntas num texto.
    static std::string chave(const L& l) {
        std::string k;
        for (const auto& col : L::colunas())
            if (col.chave() || std::string(col.nome) == "UF_ID") k += ValorColuna(l, col).texto() + '\x1f';
        return k;
    }

private:
    std::vector<Consulta> consultas_;
};

// Conjunto sobre as linhas de uma tabela, com as operações do núcleo que leem, gravam e
// excluem na base.
template <class L>
class ConjuntoLinhas : public ConjuntoTipado<L> {
public:
    using Consulta = typename ConjuntoTipado<L>::Consulta;
    struct Operacoes {
        std::function<std::vector<L>()> carregar;
        std::function<L()> novo;
        std::function<void(L&)> gravar;
        std::function<void(const L&)> excluir;
    };

    ConjuntoLinhas(std::string nome, Operacoes ops, const std::vector<DescricaoCampo>& descricoes,
                   std::vector<Consulta> consultas = {})
        : ConjuntoTipado<L>(std::move(nome), descricoes, std::move(consultas)), ops_(std::move(ops)) {}

    // O registro atual como linha: o em edição durante a edição; nulo sem registro.
    const L* registro() const {
        if (this->editando()) return &edicao_;
        if (this->atual() < 0 || this->atual() >= static_cast<int>(linhas_.size())) return nullptr;
        return &linhas_[this->atual()];
    }
    const std::vector<L>& todas() const { return linhas_; }

protected:
    int linhas() const override { return static_cast<int>(linhas_.size()); }
    fb::Valor lerLinha(int linha, const Campo& c) const override { return this->ler(linhas_.at(linha), c); }
    fb::Valor lerEdicao(const Campo& c) const override { return this->ler(edicao_, c); }
    void escreverEdicao(const Campo& c, const fb::Valor& v) override { this->escrever(edicao_, c, v); }
    void carregar() override { linhas_ = ops_.carregar ? ops_.carregar() : std::vector<L>{}; }
    void descarregar() override { linhas_.clear(); }
    void comecarInclusao() override {
        edicao_ = ops_.novo ? ops_.novo() : L{};
        original_ = edicao_;
    }
    void comecarAlteracao(int linha) override {
        edicao_ = linhas_.at(linha);
        original_ = edicao_;
    }
    bool edicaoAlterada() const override { return !(edicao_ == original_); }
    void aplicarEdicao() override {
        if (ops_.gravar) ops_.gravar(edicao_);
    }
    void excluirNaBase(int linha) override {
        if (ops_.excluir) ops_.excluir(linhas_.at(linha));
    }
    std::string chaveLinha(int linha) const override { return this->chave(linhas_.at(linha)); }
    std::string chaveEdicao() const override { return this->chave(edicao_); }

private:
    Operacoes ops_;
    std::vector<L> linhas_;
    L edicao_{};
    L original_{};
};

// Texto da exportação: a primeira linha com os nomes dos campos, depois uma linha por
// registro com os textos sem brancos nas pontas; cada item seguido de ";", linhas
// terminadas por "\r\n". Os valores vão como estão, sem aspas.
std::string TextoExportacao(const std::vector<std::string>& nomes, const std::vector<std::vector<std::string>>& linhas);
// Do primeiro ao último registro do conjunto, que fica no último.
std::string TextoExportacao(ConjuntoDados& c);
// Grava <pasta>/<nome do conjunto>.txt, substituindo o arquivo; devolve o caminho.
// Falha ao gravar: ErroSistema.
std::string ExportarConjunto(ConjuntoDados& c, const std::string& pasta);

extern const char* const MSG_APLICAR_ANTES;  // "É necessário aplicar as alterações ..."

}  // namespace kov
