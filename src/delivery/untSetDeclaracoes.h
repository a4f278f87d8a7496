#pragma once
// A escolha das declarações para a entrega (transmissão ou gravação) e para a cópia de
// segurança de declarações: a lista das declarações consistentes do ano base, com os filtros,
// as linhas de colunas fixas, a inclusão e a exclusão com as marcas "[*]", o limite de 10 por
// entrega com as duas perguntas e as chaves de escolha de 32 caracteres em ordem.
#include <optional>
#include <string>
#include <vector>

#include "data/DeclaracoesEntrega.h"

namespace kov {

class Interacao;
namespace fb { class Conexao; }

enum class ModoSelecao { Transmissao = 0, Gravacao = 1, Copia = 2 };

// Textos de cada modo na tela.
struct TextosModoSelecao {
    const char* legenda;    // título da janela
    const char* titulo;
    const char* descricao;
    int ajuda;              // contexto de ajuda
};
TextosModoSelecao TextosDoModo(ModoSelecao modo);

constexpr size_t MAXIMO_DECLARACOES_ENTREGA = 10;

// A linha da lista (68 colunas; o nome pode ter letras de mais de um byte): marca, inscrição
// formatada, nome em 22 colunas, meses, ano, chave em 10 dígitos e a situação entre colchetes.
std::string LinhaSelecao(const LinhaDeclaracaoEntrega& l, const std::string& situacao);
// O nome nas colunas 20-41: até 20 caracteres completados a 22; mais longo, os 17 primeiros e "...  ".
std::string NomeNaLinha(const std::string& razaoSocial);
// A chave de escolha (32 caracteres) de uma linha: inscrição (13 dígitos), mês inicial, mês
// final, ano, chave da declaração (10 dígitos) e o indicador ("S" quando a coluna 65 não é
// branco; com o formato da linha é sempre "N").
std::string ChaveEscolha(const std::string& linha);
// O mês de uma caixa de data do filtro (caracteres 4-5) quando o texto é uma data preenchida
// (DataValida); senão nada.
std::optional<int> MesDoFiltro(const std::string& data);

// O estado da escolha, sem tela: a tela mostra as duas listas e repassa os comandos.
class SelecaoDeclaracoes {
public:
    explicit SelecaoDeclaracoes(ModoSelecao modo) : modo_(modo) {}

    ModoSelecao modo() const { return modo_; }

    // Filtros da primeira página. Com "Todas Declarações" nenhum filtro vale.
    bool usarFiltros = false;
    std::string inscricao;            // texto da caixa (só os dígitos contam)
    std::string dataInicio, dataFim;  // "dd/mm/aaaa"
    bool naoTransmitidas = false;

    // O filtro da consulta a partir das caixas.
    FiltroDeclaracoesEntrega filtro(const std::string& anoBase) const;

    // Refaz a lista disponível pela consulta e esvazia a escolhida. Falso quando nenhuma
    // declaração foi achada (a tela mostra o erro e volta à página dos filtros).
    bool reconstruir(fb::Conexao& c, const std::string& anoBase);
    // O mesmo a partir das linhas da consulta (em ordem): pula as repetidas e as
    // transmitidas com mudança de município no ano corrente.
    void montar(const std::vector<LinhaDeclaracaoEntrega>& linhas);

    const std::vector<std::string>& disponiveis() const { return disponiveis_; }
    const std::vector<std::string>& escolhidas() const { return escolhidas_; }

    // Inclui as linhas disponíveis dos índices (as já marcadas não se repetem).
    void incluir(const std::vector<size_t>& indices);
    // Exclui as linhas escolhidas dos índices, desmarcando-as na lista disponível.
    void excluir(const std::vector<size_t>& indices);
    void incluirTodas();
    void excluirTodas();
    // "Declarações selecionadas (n)"; antes da primeira inclusão "Declarações Selecionadas (0)".
    std::string rotuloContagem() const;

    // Confirmação: mensagens e perguntas pela conversa; as chaves de escolha em ordem quando
    // a tela pode fechar, nada quando ela fica.
    std::optional<std::vector<std::string>> confirmar(Interacao& ui) const;
    // As chaves das linhas escolhidas, em ordem.
    std::vector<std::string> chaves() const;

private:
    ModoSelecao modo_;
    std::vector<std::string> disponiveis_, escolhidas_;
    bool incluiu_ = false;
};

extern const char* const MSG_NENHUMA_ENCONTRADA;  // "Nenhuma declaração foi encontrada!"

}  // namespace kov
