#pragma once
// A declaração como um agregado: a linha de DOCUMENTO com suas descrições, as sete seções
// de uma linha, as linhas de detalhamento por tipo de operação, a GI de entradas e saídas,
// as outras entradas por município e o cabeçalho como foi gravado pela última vez.
// É carregada inteira pela chave, editada em memória e gravada inteira numa transação;
// cancelar é simplesmente descartá-la.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/Registros.h"

namespace kov {

namespace fb { class Conexao; class Transacao; }

struct Declaracao {
    Documento doc;
    std::optional<Documento> salvo;  // cabeçalho como está na base; vazio numa declaração nova

    // Descrições vindas dos cadastros e tabelas de referência
    std::string IE_CONTRIBUINTE, NOME_CONTRIBUINTE, CNPJ_CONTRIBUINTE;
    std::string DESCRICAO_STATUS, DESCRICAO_TIPOREGIME, TITULO_TIPOCONTRIBUINTE, DESCRICAO_CNAEF;
    std::string DESCRICAO_MUNICIPIO, DESCRICAO_RECOLHIMENTO, TRANSMISSAO;
    std::string SITUACAO;  // situação da entrega: "T", "D", "N" (ou vazio)
    std::optional<int> MUNICIPIO_MUNICIPIO_ID;

    std::optional<Estoque> estoque;
    std::optional<DespesasOperacionais> despesas;
    std::optional<ResultadoOperacional> resultado;
    std::optional<Entrada> entrada;
    std::optional<Saida> saida;
    std::optional<Kov> kov;
    std::optional<ExclusoesKov> exclusoes;
    std::vector<DetalhamentoES> detalhamentoES;
    std::vector<GIEntrada> giEntrada;
    std::vector<GISaidas> giSaidas;
    std::vector<DetalhamentoEntrada> detalhamentoEntrada;

    // As seções como estão na base (lidas ou gravadas por último): a gravação escreve só
    // o que mudou desde então. Vazio numa declaração nova.
    std::shared_ptr<const Declaracao> gravada;
    // Versão da linha de DOCUMENTO (RDB$RECORD_VERSION, o número da transação que a gravou
    // por último) quando a declaração foi lida ou gravada aqui; 0 quando não se sabe. Toda
    // gravação troca a versão, mesmo a que não muda o cabeçalho: outra versão na base quer
    // dizer que outro usuário gravou a declaração depois.
    int64_t versaoBase = 0;
    int64_t versaoGravando = 0;  // a da transação que está gravando, até o commit

    bool nova() const { return !salvo.has_value(); }
    bool operator==(const Declaracao&) const = default;
    // Linha do detalhamento do tipo de operação, ou nulo quando não existe.
    DetalhamentoES* detalhamento(int tipo);
    const DetalhamentoES* detalhamento(int tipo) const;
};

// Recusas da gravação de uma declaração que outro usuário (outro kov ou kov-cli, outro
// computador do escritório) gravou ou excluiu depois que ela foi lida aqui. Nada é gravado.
extern const char* const MSG_DECLARACAO_GRAVADA_POR_OUTRO;
extern const char* const MSG_DECLARACAO_EXCLUIDA_POR_OUTRO;

// Lê a declaração inteira; lança ErroSistema se a chave não existe.
Declaracao CarregarDeclaracao(fb::Conexao& c, int documentoId);
// O mesmo dentro da transação de quem chama (que a confirma).
Declaracao CarregarDeclaracao(fb::Transacao& tr, int documentoId);
// Grava a declaração inteira numa transação (a linha de DOCUMENTO e todas as seções, como
// estão em memória). Depois de gravar, 'salvo' passa a ser o cabeçalho gravado.
// Uma declaração já gravada tem a sua linha de DOCUMENTO travada antes de qualquer escrita:
// duas gravações da mesma declaração ao mesmo tempo se enfileiram, e a que chega depois
// (ou a de uma cópia lida antes da gravação do outro) é recusada inteira com
// MSG_DECLARACAO_GRAVADA_POR_OUTRO, em vez de misturar as duas versões.
void GravarDeclaracao(fb::Conexao& c, Declaracao& d);
// As partes de GravarDeclaracao para quem grava junto com outras leituras e escritas numa
// transação só (cada transação custa escritas síncronas no disco): EscreverDeclaracao
// escreve na transação o que mudou; depois do commit, MarcarComoGravada faz do que está em
// memória o retrato do que está na base.
void EscreverDeclaracao(fb::Transacao& tr, Declaracao& d);
void MarcarComoGravada(Declaracao& d);
// Apaga a declaração e suas seções.
void ExcluirDeclaracao(fb::Conexao& c, int documentoId);

// Valores das seções de uma linha e do detalhamento por tipo de operação pelo nome
// "TABELA.COLUNA" ("ESTOQUE.INITRIBUTADOS") ou "DETALHAMENTOES.TIPO.COLUNA"
// ("DETALHAMENTOES.3.VCTRANSFERENCIA"), para quem escreve e lê a declaração sem as telas.
// Definir cria a seção que falta (zerada); falso quando o nome não é de uma coluna de valor.
bool DefinirValorPorNome(Declaracao& d, const std::string& nome, const Quantia& valor);
// Os valores não nulos, na ordem das seções e das colunas, com o texto de duas casas.
std::vector<std::pair<std::string, std::string>> ValoresPorNome(const Declaracao& d);

}  // namespace kov
