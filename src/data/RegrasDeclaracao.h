#pragma once
// Regras da declaração nos seus momentos: valores de um registro novo, a troca do
// contribuinte, antes e depois de gravar, a validação do cabeçalho com o conflito de
// período, a limpeza do que não se aplica e as regras das linhas da GI e das outras
// entradas por município.
#include <optional>
#include <string>
#include <vector>

#include "data/Declaracao.h"

namespace kov {

class Interacao;
namespace fb { class Conexao; class Transacao; }

// Ano de um texto; o que não é número vale 1 (nunca igual ao ano corrente).
int AnoComoInteiro(const std::string& ano);

// Valores de uma declaração nova. 'anoExercicio' é o parâmetro ANOEXERCICIO; um valor
// não numérico faz a criação falhar com o erro de conversão.
Declaracao NovaDeclaracao(const std::string& anoExercicio);

// Troca do contribuinte da declaração: sem responsável associado, levanta o erro; senão
// copia CNAEF_ID e DESMEMBRAMENTO do contribuinte (e as descrições de exibição).
void DefinirContribuinte(Declaracao& d, const Contribuinte& c);

// Próxima chave do gerador de declarações que nenhuma declaração gravada usa.
int ProximaChaveDocumentoLivre(fb::Conexao& c);
int ProximaChaveDocumentoLivre(fb::Transacao& tr);

// Antes de gravar o cabeçalho: a regra do ano corrente, a apuração zerada nos regimes 1 a
// 4, a chave pelo gerador e as cópias do contribuinte. 'anoCorrente' é o ano de hoje.
void AntesDeGravarDocumento(fb::Conexao& c, Declaracao& d, const Contribuinte& contribuinte, int anoCorrente,
                            const std::string& anoExercicio);
// O mesmo para uma declaração que já tem a chave: não consulta a base.
void AntesDeGravarDocumento(Declaracao& d, const Contribuinte& contribuinte, int anoCorrente,
                            const std::string& anoExercicio);

// As cópias que toda gravação da declaração faz do seu contribuinte: inscrição, CNAEF_ID e
// DESMEMBRAMENTO (parte de AntesDeGravarDocumento, usada também pela consistência).
void CopiarDoContribuinte(Declaracao& d, const Contribuinte& contribuinte);

// Depois de gravar o cabeçalho: cria com valores zerados as seções de uma linha que faltam
// e as linhas de DETALHAMENTOES dos tipos 1 a 6.
void CriarSecoesQueFaltam(Declaracao& d);

// Conflito de período com outra declaração gravada do mesmo contribuinte e ano.
bool ExisteConflitoPeriodo(fb::Conexao& c, const Documento& doc);
bool ExisteConflitoPeriodo(fb::Transacao& tr, const Documento& doc);

// Validação do cabeçalho: mostra a mensagem (caixa "Erro") e devolve falso na primeira falha.
bool ValidarDocumento(fb::Conexao& c, const Declaracao& d, Interacao& ui);

// Limpeza do que não se aplica à declaração, nos seus seis passos.
void LimparDadosNaoAplicaveis(Declaracao& d, int anoCorrente);
// Passos avulsos usados pelas páginas do editor
void LimparExclusoes(Declaracao& d, int anoCorrente);
void LimparKOV(Declaracao& d, int anoCorrente);
void LimparPorRecolhimento(Declaracao& d);

// Cria as linhas das seções que as páginas PRELO e KOV editam, quando faltam.
void PrepararDetalhesPrelo(Declaracao& d);
void PrepararDetalhesKOV(Declaracao& d);

// GI: grava a linha em edição, nova (indice vazio) ou alterada. Falhas mostram a caixa
// "Erro" e interrompem (Abortar com o campo a focar): sem UF, a linha continua como foi
// digitada, com o foco na consulta da UF (DESCRICAO_UF); com a UF de outra linha, as
// alterações são descartadas (a linha volta a ser a gravada, ou em branco se é nova).
void GravarLinhaGIEntrada(Declaracao& d, GIEntrada& linha, std::optional<size_t> indice, Interacao& ui);
void GravarLinhaGISaidas(Declaracao& d, GISaidas& linha, std::optional<size_t> indice, Interacao& ui);

// Outras entradas por município: linha nova com o marcador de mudança de município.
DetalhamentoEntrada NovaLinhaDetalhamentoEntrada(const std::string& mudancaMunicipioPadrao);
// Grava a linha em edição, nova (indice vazio) ou alterada, com as regras de valor
// negativo, município informado e existente, valor da mudança e município repetido. A linha
// é a da edição: um valor negativo volta nela como 0 antes do erro; uma recusa por município
// devolve nela a linha gravada (as alterações são descartadas).
void GravarLinhaDetalhamentoEntrada(Declaracao& d, DetalhamentoEntrada& linha, std::optional<size_t> indice,
                                    const std::vector<int>& municipiosValidos);

// A gravação do editor: regras de antes de gravar, seções que faltam, figuras do KOV,
// limpeza do que não se aplica e totais guardados, tudo gravado numa só transação.
// Uma UF ou um município repetido chega como ErroSistema com as palavras do usuário.
void SalvarDeclaracao(fb::Conexao& c, Declaracao& d, const Contribuinte& contribuinte, int anoCorrente,
                      const std::string& anoExercicio);
// O mesmo dentro da transação de quem chama, com a chave tirada nela: quem chama confirma
// e depois chama MarcarComoGravada (para gravar e consistir numa transação só).
void SalvarDeclaracao(fb::Transacao& tr, fb::Conexao& c, Declaracao& d, const Contribuinte& contribuinte,
                      int anoCorrente, const std::string& anoExercicio);

// Texto da violação de chave das linhas de GI e de outras entradas, como o usuário as vê;
// vazio quando o erro do banco não é uma delas.
std::string MensagemChaveRepetida(const std::string& erroDoBanco);

// Declarações do ano base, para a lista.
struct LinhaListaDeclaracao {
    Documento doc;  // todas as colunas do cabeçalho
    int DOCUMENTO_ID = 0;
    std::string INSCESTADUAL, RAZAOSOCIAL, CNPJ;
    int PERIODO = 0, MESINICIAL = 0, MESFINAL = 0;
    int STATUS_ID = 0;
    std::string DESCRICAO_STATUS;
    std::string SITUACAO;  // "T", "D", "N" ou vazio
    int REGIME_ID = 0;
};
// Ano vazio lista todos os anos.
std::vector<LinhaListaDeclaracao> ListarDeclaracoes(fb::Conexao& c, const std::string& ano);

}  // namespace kov
