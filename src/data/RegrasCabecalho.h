#pragma once
// Regras da página do cabeçalho da declaração ("Documento") que o editor chama: regimes
// oferecidos por ano base, troca de grupo de regime que apaga as figuras, a "Apuração", o
// que aparece conforme o ano base e o ano corrente, a lista de anos de referência, as
// escolhas do contribuinte, os meses e as recusas da gravação do editor.
#include <optional>
#include <string>
#include <vector>

#include "data/Declaracao.h"
#include "data/Referencia.h"

namespace kov {

class Interacao;
namespace fb { class Conexao; }

// Regimes da lista do cabeçalho, na ordem da tabela: 2007 e de 2009 em diante, 1 e 2;
// 2008, 1, 2 e 4; antes de 2007 (ou ano que não é número), todos.
std::vector<LinhaRegime> RegimesDoAnoBase(const std::vector<LinhaRegime>& todos, int anoBase);

// Grupos de regime: débito/crédito (1, 2 e 4) e simplificado (3, 5 e 6).
enum class GrupoRegime { Nenhum, DebitoCredito, Simplificado };
GrupoRegime GrupoDoRegime(std::optional<int> regime);
// A troca de regime apaga as figuras quando passa de um grupo ao outro; dentro de um grupo,
// ou de ou para um regime de nenhum grupo, não apaga nada.
bool TrocaDeRegimeApagaFiguras(std::optional<int> de, std::optional<int> para);
// Apaga todas as linhas das figuras: estoque, despesas, resultado, entradas, saídas, KOV,
// exclusões, outras entradas por município, GI e o detalhamento por tipo de operação.
void ApagarFiguras(Declaracao& d);

// "Apuração" ("Real" 1, "Presumida" 2): nos regimes 1 a 4 fica vazia e desabilitada; nos
// demais (5, 6 ou nenhum) habilitada e, sem escolha feita, "Presumida".
struct EstadoApuracao {
    bool habilitada = false;
    std::optional<int> escolha;  // o que a escolha mostra (vazio: nenhuma)
    bool escrever = false;       // a escolha foi feita pela regra e vai para TIPORECOLHIMENTO_ID
};
EstadoApuracao ApuracaoDoRegime(std::optional<int> regime, std::optional<int> tipoRecolhimento);

// "Baixa Referente Ano Corrente" só aparece quando o ano base é o ano corrente.
bool BaixaVisivel(int anoBase, int anoCorrente);
// "Mudança de Município no Ano Base" só aparece para quem não é transportador (tipo 0),
// com o ano base diferente do ano corrente.
bool MudancaMunicipioVisivel(std::optional<int> tipoContribuinte, int anoBase, int anoCorrente);

// Anos da lista "Ano Referência": o ano corrente e o anterior quando o período é um deles;
// senão só o período.
std::vector<int> AnosDeReferencia(int periodo, int anoCorrente);

// Com o ano base igual ao ano corrente a declaração precisa ser uma baixa: a mensagem da
// recusa (título "Inconsistência") conforme o tipo de contribuinte; vazio quando passa.
std::string InconsistenciaAnoCorrente(const Documento& doc, int anoBase, int anoCorrente);

// Escolha do contribuinte na lista do cabeçalho: a troca validada de DefinirContribuinte
// (recusa sem responsável) e o tipo de contribuinte.
void EscolherContribuinte(Declaracao& d, const Contribuinte& c);
// Comando "Contribuinte": a mesma troca, com o município do cadastro.
void CopiarCadastroContribuinte(Declaracao& d, const Contribuinte& c);

// Escolha de um mês: a mensagem (título "Erro") quando o outro mês já escolhido fica fora
// de ordem; vazio quando estão em ordem. O mês é gravado assim mesmo.
std::string ConferirMesInicial(int mesInicial, std::optional<int> mesFinal);
std::string ConferirMesFinal(int mesFinal, std::optional<int> mesInicial);

// "Baixa" e "Mudança de Município" não podem ser "Sim" juntas: "Não pode haver " + a
// escolha clicada + " com " + a outra.
std::string MensagemBaixaComMudanca(const std::string& clicada, const std::string& outra);

// As exclusões de transporte do KOV (subcontratação e iniciado em outra UF) somadas passam
// do total das saídas (serviços prestados da PRELO). Valores iguais passam.
bool ExclusoesAcimaDosServicos(const Declaracao& d);
extern const char* const MSG_EXCLUSOES_ACIMA;
extern const char* const MSG_CNPJ_CONTRIBUINTE;
// Título das caixas de aviso que não têm título próprio: o nome do programa.
extern const char* const TITULO_AVISO;

// As recusas da gravação do editor, na ordem: o ano corrente (caixa "Inconsistência"), o
// cabeçalho (ValidarDocumento, com o conflito de período), o CNPJ do contribuinte e as
// exclusões acima dos serviços. Falso na primeira recusa, já dita pela ui.
bool ConferirAntesDeGravar(fb::Conexao& c, const Declaracao& d, int anoBase, int anoCorrente, Interacao& ui);

// Linhas de outras entradas marcadas como de municípios anteriores (MUDANCAMUNICIPIO 'S').
bool TemValoresDeMunicipioAnterior(const Declaracao& d);
void ApagarValoresDeMunicipioAnterior(Declaracao& d);

}  // namespace kov
