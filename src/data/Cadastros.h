#pragma once
// Cadastros de contribuintes e de responsáveis: listas, registro novo, carregar pela chave,
// as verificações de gravação com as suas mensagens, gravar e excluir. A tela de edição do
// contribuinte, a de responsáveis e o kov-cli chamam estas mesmas funções.
//
// Como as falhas aparecem:
// - GravarContribuinte e GravarResponsavel mostram a mensagem pela Interacao (caixa "Erro",
//   ou a pergunta de "Gravação") e interrompem com Abortar, cujo 'campo' é a coluna a
//   focar; nada é gravado;
// - ValidarCampoResponsavel é a validação de um campo enquanto é digitado: recusa o valor
//   levantando ErroCampo com o texto;
// - carregar e excluir levantam ErroSistema com o texto a mostrar.
#include <optional>
#include <string>
#include <vector>

#include "data/Registros.h"

namespace kov {

class Interacao;
namespace fb { class Conexao; class Transacao; }

// Linha da lista de contribuintes, com as descrições de município, tipo e CNAE-F.
struct LinhaListaContribuinte {
    Contribuinte c;
    std::string DESCRICAO_MUNICIPIO, TITULO_TIPO, CNAEF_DESCRICAO;
    std::optional<int> MUNICIPIO_MUNICIPIO_ID;
};

// --- Contribuintes -------------------------------------------------------------------

// Em ordem de INSCESTADUAL.
std::vector<LinhaListaContribuinte> ListarContribuintes(fb::Conexao& c);
// Levanta ErroSistema quando a chave não existe.
Contribuinte CarregarContribuinte(fb::Conexao& c, int contribuinteId);
Contribuinte CarregarContribuinte(fb::Transacao& tr, int contribuinteId);
// Registro novo: UF_ID 'QZ' e nenhum responsável (RESPONSAVEL_ID 0). A chave fica 0 até
// a gravação, que a tira do gerador.
Contribuinte NovoContribuinte();

// Inscrição repetida: só quando o contribuinte é novo, ou quando a inscrição difere da que
// está gravada. Se outro contribuinte já tem a mesma inscrição, mostra "Já existe um
// Contribuinte com esta Inscrição Estadual!" e devolve falso (a tela foca INSCESTADUAL).
bool VerificarIEDuplicada(fb::Conexao& c, const Contribuinte& ct, Interacao& ui);

// As verificações da gravação, na ordem da tela: inscrição repetida, inscrição válida,
// CEP, DDD (pergunta), Email, Telefone (pergunta quando vazio), responsável atribuído e,
// por fim, campos obrigatórios, tamanhos das colunas, CNPJ e códigos existentes.
// Cada falha mostra a sua mensagem e interrompe com Abortar(campo).
void ValidarContribuinte(fb::Conexao& c, const Contribuinte& ct, Interacao& ui);

// Verifica e grava numa transação: chave 0 tira a chave do gerador e insere; senão
// atualiza a linha existente. Depois de gravar, ct.CONTRIBUINTE_ID tem a chave. Depois das
// verificações (e das perguntas), toma a trava dos cadastros e confere de novo a
// inscrição repetida antes de gravar.
void GravarContribuinte(fb::Conexao& c, Contribuinte& ct, Interacao& ui);
// O mesmo dentro da transação do chamador, que já tomou a trava dos cadastros
// (TravarCadastros) e confirma a transação (a importação grava várias linhas numa
// transação só); ct.CONTRIBUINTE_ID recebe a chave quando a gravação passa.
void GravarContribuinte(fb::Transacao& tr, Contribuinte& ct, Interacao& ui);

// Só a inserção, na transação de quem chama e sem as verificações da tela: chave 0 é tirada
// do gerador. A restauração de arquivos cria assim o contribuinte que o arquivo traz.
void InserirContribuinte(fb::Transacao& tr, Contribuinte& ct);

// Recusa (ErroSistema) quando o contribuinte tem declarações.
void ExcluirContribuinte(fb::Conexao& c, int contribuinteId);

// --- Responsáveis ----------------------------------------------------------------------

// Em ordem de NOME, sem a linha 0 ("Não atribuído"), que nunca aparece na lista.
std::vector<Responsavel> ListarResponsaveis(fb::Conexao& c);
// Levanta ErroSistema quando a chave não existe, e também para a linha 0, que não se edita.
Responsavel CarregarResponsavel(fb::Conexao& c, int responsavelId);
Responsavel NovoResponsavel();
// A linha do responsável pela chave, também a 0 ("Não atribuído"), ou nada.
std::optional<Responsavel> LerResponsavel(fb::Transacao& tr, int responsavelId);

// Validação de um campo de responsável (DDD, TELEFONE, EMAIL); outros campos passam.
void ValidarCampoResponsavel(const std::string& campo, const std::string& valor);
// Todos os campos: as validações acima, NOME obrigatório e os tamanhos das colunas.
// Levanta ErroCampo na primeira falha.
void ValidarResponsavel(const Responsavel& r);

// Verifica e grava numa transação. A chave 0 é sempre um registro novo (a linha 0 não é
// carregada, portanto não há como alterá-la). Falhas: mensagem pela Interacao e Abortar.
void GravarResponsavel(fb::Conexao& c, Responsavel& r, Interacao& ui);
// O mesmo dentro da transação do chamador, que a confirma.
void GravarResponsavel(fb::Transacao& tr, Responsavel& r, Interacao& ui);

// Recusa (ErroSistema) a linha 0 e um responsável associado a algum contribuinte.
void ExcluirResponsavel(fb::Conexao& c, int responsavelId);

// Texto da recusa de editar ou excluir a linha 0.
extern const char* const MSG_RESPONSAVEL_NAO_ATRIBUIDO;

// --- Trava dos cadastros ---------------------------------------------------------------

// Serializa, entre processos ligados ao mesmo servidor, a procura de um cadastro repetido
// (inscrição estadual, nome de responsável na importação) e a gravação do novo: quem
// segura a trava sabe que ninguém mais grava cadastros até a sua transação terminar.
// A trava é a linha VERSAO de PARAMETROS, que toda base do KOV tem, travada na transação
// (SELECT ... WITH LOCK): nada muda no esquema, e bases antigas com inscrições já
// repetidas continuam abrindo. Quem chega depois espera a transação da outra terminar;
// o conflito de atualização que o Firebird devolve então é repetido até a trava ser nossa.
void TravarCadastros(fb::Transacao& tr);

// --- Auxiliares usados também pela importação -------------------------------------------

// Número de caracteres de um texto UTF-8.
size_t ContarCaracteres(const std::string& texto);
// Verdadeiro quando todos os caracteres existem em Windows-1252, o conjunto da base.
bool CabeEmWin1252(const std::string& texto);
// Maiúsculas de um texto UTF-8 (ASCII e letras acentuadas do Latin-1), para comparar nomes.
std::string MaiusculasUtf8(const std::string& texto);
std::string Aparar(const std::string& texto);

// Caracteres de controle num texto UTF-8: os de U+0000 a U+001F (NUL, ESC, tabulação, CR,
// LF...), DEL (U+007F) e os de U+0080 a U+009F, que os terminais também interpretam como
// comandos. Campos de texto dos cadastros os recusam.
bool TemCaracteresDeControle(const std::string& texto);

// Texto da base pronto para ir a um terminal ou a uma listagem separada por tabulação:
// tabulação, CR e LF viram espaço (um registro por linha, colunas intactas); os demais
// caracteres de controle e bytes que não formam UTF-8 viram U+FFFD, o caractere de
// substituição, visível e inofensivo. Bases antigas podem guardar esses caracteres;
// nenhuma listagem os mostra crus.
std::string TextoVisivel(const std::string& texto);

}  // namespace kov
